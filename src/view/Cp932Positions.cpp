// cp932 offsets, lines and columns over the view's UTF-8 text.
#include "view/Cp932Positions.h"

#include <Qsci/qsciscintillabase.h>

#include <algorithm>

#include "platform/Cp932.h"
#include "platform/TextLines.h"

namespace oruvan {

namespace {

using Sci = QsciScintillaBase;

// Offsets far from the caret are found by skipping whole blocks of lines of about this size.
constexpr std::size_t kScanBlock = 1 << 16;

// Appends the cp932 form of UTF-8 text, every break as CR LF.
void appendWithCrLf(std::string_view u, std::string& out) {
    std::size_t i = 0;
    while (i < u.size()) {
        std::size_t length = 0;
        const std::size_t j = NextBreak(u, i, length);
        Utf8ToCp932(u.substr(i, j - i), out);
        if (length == 0) break;
        out += "\r\n";
        i = j + length;
    }
}

// The cp932 length of text with every break counted as CR LF.
long cp932Span(std::string_view u) { return static_cast<long>(Cp932Length(u)) + TallyBreaks(u).lone; }

}  // namespace

std::string_view Cp932Positions::utf8Buffer() const {
    const char* p = static_cast<const char*>(m_view->SendScintillaPtrResult(Sci::SCI_GETCHARACTERPOINTER));
    return p ? std::string_view(p, static_cast<std::size_t>(utf8Length())) : std::string_view();
}

long Cp932Positions::utf8Length() const { return m_view->SendScintilla(Sci::SCI_GETLENGTH); }

std::string_view Cp932Positions::utf8Range(long start, long end) const {
    if (start < 0 || end <= start) return {};
    // Moves the buffer's gap only when the range straddles it.
    const auto* p = reinterpret_cast<const char*>(
        m_view->SendScintilla(Sci::SCI_GETRANGEPOINTER, static_cast<unsigned long>(start), end - start));
    return p ? std::string_view(p, static_cast<std::size_t>(end - start)) : std::string_view();
}

std::string_view Cp932Positions::lineUtf8(long line) const {
    return utf8Range(m_view->SendScintilla(Sci::SCI_POSITIONFROMLINE, line),
                     m_view->SendScintilla(Sci::SCI_GETLINEENDPOSITION, line));
}

int Cp932Positions::lineCount() const {
    long lines = m_view->SendScintilla(Sci::SCI_GETLINECOUNT);
    if (m_view->SendScintilla(Sci::SCI_POSITIONFROMLINE, lines - 1) == utf8Length()) --lines;
    return static_cast<int>(lines);
}

std::string Cp932Positions::lineAt(int i, std::size_t limit) const {
    if (i < 0 || i >= lineCount()) return {};
    const std::string_view u = lineUtf8(i);
    std::string out;
    Utf8ToCp932(u.substr(0, Utf8OffsetOfCp932(u, limit)), out);
    return out;
}

std::string Cp932Positions::linesText(std::size_t limit) const {
    std::string out;
    const int n = lineCount();
    for (int i = 0; i < n; ++i) {
        const std::string_view u = lineUtf8(i);
        Utf8ToCp932(u.substr(0, Utf8OffsetOfCp932(u, limit)), out);
        out += "\r\n";
    }
    return out;
}

long Cp932Positions::cp932OffsetOf(long utf8Pos) const { return cp932Span(utf8Range(0, utf8Pos)); }

Cp932Positions::LineHit Cp932Positions::lineOfCp932(long pos) const {
    LineHit hit;
    const std::string_view text = utf8Buffer();
    std::size_t i = 0;
    bool found = false;  // pos lies in the block ahead: walk it line by line
    for (;;) {
        // Skip whole blocks of lines that end before pos.
        const std::size_t end = found ? std::string_view::npos : LastBreakEnd(text, i, i + kScanBlock);
        if (end != std::string_view::npos) {
            const std::string_view block = text.substr(i, end - i);
            const BreakTally breaks = TallyBreaks(block);
            const long length = static_cast<long>(Cp932Length(block)) + breaks.lone;
            if (pos >= hit.cp932Start + length) {
                hit.cp932Start += length;
                hit.line += static_cast<int>(breaks.breaks);
                i = end;
                hit.utf8Start = static_cast<long>(i);
                continue;
            }
            found = true;
        }
        std::size_t breakLength = 0;
        const std::size_t br = NextBreak(text, i, breakLength);
        if (breakLength == 0) break;
        const long length = static_cast<long>(Cp932Length(text.substr(i, br - i))) + 2;
        if (pos < hit.cp932Start + length) break;
        hit.cp932Start += length;
        ++hit.line;
        i = br + breakLength;
        hit.utf8Start = static_cast<long>(i);
    }
    return hit;
}

long Cp932Positions::utf8PosOfCp932(long pos) const {
    const LineHit hit = lineOfCp932(pos);
    const std::string_view u = lineUtf8(hit.line);
    const long column = std::max(0L, pos - hit.cp932Start);
    return hit.utf8Start + static_cast<long>(Utf8OffsetOfCp932(u, static_cast<std::size_t>(column)));
}

int Cp932Positions::columnOf(long utf8Pos) const {
    const long line = m_view->SendScintilla(Sci::SCI_LINEFROMPOSITION, utf8Pos);
    const long lineStart = m_view->SendScintilla(Sci::SCI_POSITIONFROMLINE, line);
    ColumnMemo& m = m_column;
    const long fromStart = utf8Pos - lineStart;
    long column;
    if (m.lineStart == lineStart && m.pos <= utf8Pos && utf8Pos - m.pos < fromStart)
        column = m.column + static_cast<long>(Cp932Columns(utf8Range(m.pos, utf8Pos)));
    else if (m.lineStart == lineStart && m.pos > utf8Pos && m.pos - utf8Pos < fromStart)
        column = m.column - static_cast<long>(Cp932Columns(utf8Range(utf8Pos, m.pos)));
    else
        column = static_cast<long>(Cp932Columns(utf8Range(lineStart, utf8Pos)));
    m = {lineStart, utf8Pos, column};
    return static_cast<int>(column);
}

void Cp932Positions::textAboutToChange(long position, long length, bool insert) {
    ColumnMemo& m = m_column;
    if (m.lineStart < 0 || position >= m.pos || length <= 0) return;
    // Before the line (a break deleted there joins it to the one above), the line and what is kept move;
    // inside it, the kept column moves by what a deletion takes, and an insertion is counted anew.
    if ((insert && position < m.lineStart) || (!insert && position + length < m.lineStart)) {
        const long shift = insert ? length : -length;
        m.lineStart += shift;
        m.pos += shift;
        return;
    }
    const std::string_view gone = insert ? std::string_view() : utf8Range(position, position + length);
    if (insert || position < m.lineStart || position + length > m.pos ||
        gone.find_first_of("\r\n") != std::string_view::npos) {
        m.lineStart = -1;
        return;
    }
    m.column -= static_cast<long>(Cp932Columns(gone));
    m.pos -= length;
}

long Cp932Positions::lineIndex(long n) const {
    if (n >= m_view->SendScintilla(Sci::SCI_GETLINECOUNT)) return cp932OffsetOf(utf8Length());
    return cp932OffsetOf(m_view->SendScintilla(Sci::SCI_POSITIONFROMLINE, n));
}

long Cp932Positions::selStart() const {
    return cp932OffsetOf(m_view->SendScintilla(Sci::SCI_GETSELECTIONSTART));
}

long Cp932Positions::selLength() const {
    return cp932Span(utf8Range(m_view->SendScintilla(Sci::SCI_GETSELECTIONSTART),
                               m_view->SendScintilla(Sci::SCI_GETSELECTIONEND)));
}

std::string Cp932Positions::selText() const {
    std::string out;
    appendWithCrLf(utf8Range(m_view->SendScintilla(Sci::SCI_GETSELECTIONSTART),
                             m_view->SendScintilla(Sci::SCI_GETSELECTIONEND)),
                   out);
    return out;
}

long Cp932Positions::displayRowStart(long pos, bool wrap) const {
    // Found from the line's own layout, which is made on demand: the line may be out of sight and its
    // wrapping not yet done.
    long lo = m_view->SendScintilla(Sci::SCI_POSITIONFROMLINE,
                                    m_view->SendScintilla(Sci::SCI_LINEFROMPOSITION, pos));
    if (!wrap) return lo;
    const long y = m_view->SendScintilla(Sci::SCI_POINTYFROMPOSITION, 0, pos);
    if (m_view->SendScintilla(Sci::SCI_POINTYFROMPOSITION, 0, lo) == y) return lo;
    long hi = pos;  // lo lies on an earlier row, hi on the caret's row
    for (;;) {
        const long next = m_view->SendScintilla(Sci::SCI_POSITIONAFTER, lo);
        if (next >= hi) return hi;
        long mid = m_view->SendScintilla(Sci::SCI_POSITIONBEFORE,
                                         m_view->SendScintilla(Sci::SCI_POSITIONAFTER, lo + (hi - lo) / 2));
        if (mid <= lo || mid >= hi) mid = next;
        if (m_view->SendScintilla(Sci::SCI_POINTYFROMPOSITION, 0, mid) < y)
            lo = mid;
        else
            hi = mid;
    }
}

int Cp932Positions::selectionDisplayLine(bool wrap) const {
    const long pos = m_view->SendScintilla(Sci::SCI_GETSELECTIONSTART);
    const long line = m_view->SendScintilla(Sci::SCI_LINEFROMPOSITION, pos);
    if (!wrap) return static_cast<int>(line);
    const long first = m_view->SendScintilla(Sci::SCI_VISIBLEFROMDOCLINE, line);
    const long height = std::max(1L, m_view->SendScintilla(Sci::SCI_TEXTHEIGHT, line));
    const long y0 = m_view->SendScintilla(Sci::SCI_POINTYFROMPOSITION, 0,
                                          m_view->SendScintilla(Sci::SCI_POSITIONFROMLINE, line));
    return static_cast<int>(first +
                            (m_view->SendScintilla(Sci::SCI_POINTYFROMPOSITION, 0, pos) - y0) / height);
}

int Cp932Positions::selectionDisplayColumn(bool wrap) const {
    const long pos = m_view->SendScintilla(Sci::SCI_GETSELECTIONSTART);
    return static_cast<int>(Cp932Columns(utf8Range(displayRowStart(pos, wrap), pos)));
}

}  // namespace oruvan
