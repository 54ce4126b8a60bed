// The byte and position bridge: the view's UTF-8 text answered in cp932 offsets, lines and columns,
// every break counted as CR LF whatever the document holds.
#include <algorithm>

#include "view/TextView.h"
#include "platform/Cp932.h"
#include "platform/TextLines.h"

namespace oruvan {

namespace {

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

std::string_view TextView::Utf8Buffer() const {
    const char* p = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
    return p ? std::string_view(p, static_cast<std::size_t>(Utf8Length())) : std::string_view();
}

long TextView::Utf8Length() const { return SendScintilla(SCI_GETLENGTH); }

std::string_view TextView::Utf8Range(long start, long end) const {
    if (start < 0 || end <= start) return {};
    // Moves the buffer's gap only when the range straddles it.
    const auto* p = reinterpret_cast<const char*>(
        SendScintilla(SCI_GETRANGEPOINTER, static_cast<unsigned long>(start), end - start));
    return p ? std::string_view(p, static_cast<std::size_t>(end - start)) : std::string_view();
}

long TextView::Utf8LineCount() const { return SendScintilla(SCI_GETLINECOUNT); }

long TextView::Utf8LineOf(long position) const {
    return SendScintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(position));
}

long TextView::Utf8LineStart(long line) const {
    if (line >= Utf8LineCount()) return Utf8Length();
    return SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
}

long TextView::DocumentId() const { return SendScintilla(SCI_GETDOCPOINTER); }

std::string_view TextView::lineUtf8(long line) const {
    return Utf8Range(SendScintilla(SCI_POSITIONFROMLINE, line), SendScintilla(SCI_GETLINEENDPOSITION, line));
}

int TextView::LineCount() const {
    long lines = SendScintilla(SCI_GETLINECOUNT);
    if (SendScintilla(SCI_POSITIONFROMLINE, lines - 1) == Utf8Length()) --lines;
    return static_cast<int>(lines);
}

std::string TextView::LineAt(int i) const {
    if (i < 0 || i >= LineCount()) return {};
    const std::string_view u = lineUtf8(i);
    std::string out;
    Utf8ToCp932(u.substr(0, Utf8OffsetOfCp932(u, kLineAtLimit)), out);
    return out;
}

std::string TextView::GetLinesText() const {
    std::string out;
    const int n = LineCount();
    for (int i = 0; i < n; ++i) {
        const std::string_view u = lineUtf8(i);
        Utf8ToCp932(u.substr(0, Utf8OffsetOfCp932(u, kLineAtLimit)), out);
        out += "\r\n";
    }
    return out;
}

std::string TextView::GetText() const { return Utf8ToCp932(Utf8Buffer()); }

long TextView::cp932OffsetOf(long utf8Pos) const { return cp932Span(Utf8Range(0, utf8Pos)); }

TextView::LineHit TextView::lineOfCp932(long pos) const {
    LineHit hit;
    const std::string_view text = Utf8Buffer();
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

long TextView::utf8PosOfCp932(long pos) const {
    const LineHit hit = lineOfCp932(pos);
    const std::string_view u = lineUtf8(hit.line);
    const long column = std::max(0L, pos - hit.cp932Start);
    return hit.utf8Start + static_cast<long>(Utf8OffsetOfCp932(u, static_cast<std::size_t>(column)));
}

int TextView::columnOf(long utf8Pos) const {
    const long line = SendScintilla(SCI_LINEFROMPOSITION, utf8Pos);
    return static_cast<int>(Cp932Columns(Utf8Range(SendScintilla(SCI_POSITIONFROMLINE, line), utf8Pos)));
}

int TextView::LineIndex(int n) const {
    if (n < 0) n = CaretLine();
    if (n >= SendScintilla(SCI_GETLINECOUNT)) return static_cast<int>(cp932OffsetOf(Utf8Length()));
    return static_cast<int>(cp932OffsetOf(SendScintilla(SCI_POSITIONFROMLINE, n)));
}

int TextView::LineFromChar(int pos) const { return lineOfCp932(pos).line; }

int TextView::SelStart() const {
    return static_cast<int>(cp932OffsetOf(SendScintilla(SCI_GETSELECTIONSTART)));
}

void TextView::SetSelStart(int pos) {
    SendScintilla(SCI_SETEMPTYSELECTION, utf8PosOfCp932(std::max(pos, 0)));
}

bool TextView::HasSelection() const { return !SendScintilla(SCI_GETSELECTIONEMPTY); }

int TextView::SelLength() const {
    return static_cast<int>(
        cp932Span(Utf8Range(SendScintilla(SCI_GETSELECTIONSTART), SendScintilla(SCI_GETSELECTIONEND))));
}

std::string TextView::SelText() const {
    std::string out;
    appendWithCrLf(Utf8Range(SendScintilla(SCI_GETSELECTIONSTART), SendScintilla(SCI_GETSELECTIONEND)), out);
    return out;
}

int TextView::FirstVisibleLine() const { return static_cast<int>(SendScintilla(SCI_GETFIRSTVISIBLELINE)); }

void TextView::ScrollLines(int n) { SendScintilla(SCI_LINESCROLL, 0, static_cast<long>(n)); }

int TextView::CaretLine() const {
    return static_cast<int>(SendScintilla(SCI_LINEFROMPOSITION, SendScintilla(SCI_GETCURRENTPOS)));
}

int TextView::CaretColumn() const { return columnOf(SendScintilla(SCI_GETCURRENTPOS)); }

int TextView::SelectionStartLine() const {
    return static_cast<int>(SendScintilla(SCI_LINEFROMPOSITION, SendScintilla(SCI_GETSELECTIONSTART)));
}

int TextView::SelectionEndLine() const {
    return static_cast<int>(SendScintilla(SCI_LINEFROMPOSITION, SendScintilla(SCI_GETSELECTIONEND)));
}

int TextView::SelectionEndColumn() const { return columnOf(SendScintilla(SCI_GETSELECTIONEND)); }

long TextView::displayRowStart(long pos) const {
    // Found from the line's own layout, which is made on demand: the line may be out of sight and its
    // wrapping not yet done.
    long lo = SendScintilla(SCI_POSITIONFROMLINE, SendScintilla(SCI_LINEFROMPOSITION, pos));
    if (!WordWrap()) return lo;
    const long y = SendScintilla(SCI_POINTYFROMPOSITION, 0, pos);
    if (SendScintilla(SCI_POINTYFROMPOSITION, 0, lo) == y) return lo;
    long hi = pos;  // lo lies on an earlier row, hi on the caret's row
    for (;;) {
        const long next = SendScintilla(SCI_POSITIONAFTER, lo);
        if (next >= hi) return hi;
        long mid = SendScintilla(SCI_POSITIONBEFORE, SendScintilla(SCI_POSITIONAFTER, lo + (hi - lo) / 2));
        if (mid <= lo || mid >= hi) mid = next;
        if (SendScintilla(SCI_POINTYFROMPOSITION, 0, mid) < y)
            lo = mid;
        else
            hi = mid;
    }
}

int TextView::CaretDisplayLine() const {
    const long pos = SendScintilla(SCI_GETSELECTIONSTART);
    const long line = SendScintilla(SCI_LINEFROMPOSITION, pos);
    if (!WordWrap()) return static_cast<int>(line);
    const long first = SendScintilla(SCI_VISIBLEFROMDOCLINE, line);
    const long height = std::max(1L, SendScintilla(SCI_TEXTHEIGHT, line));
    const long y0 = SendScintilla(SCI_POINTYFROMPOSITION, 0, SendScintilla(SCI_POSITIONFROMLINE, line));
    return static_cast<int>(first + (SendScintilla(SCI_POINTYFROMPOSITION, 0, pos) - y0) / height);
}

int TextView::CaretDisplayColumn() const {
    const long pos = SendScintilla(SCI_GETSELECTIONSTART);
    return static_cast<int>(Cp932Columns(Utf8Range(displayRowStart(pos), pos)));
}

void TextView::SetCaretToLineStart(int line) {
    SendScintilla(SCI_SETEMPTYSELECTION, SendScintilla(SCI_POSITIONFROMLINE, std::max(line, 0)));
}

int TextView::LineAtTop() const {
    return static_cast<int>(SendScintilla(SCI_DOCLINEFROMVISIBLE, SendScintilla(SCI_GETFIRSTVISIBLELINE)));
}

void TextView::ScrollLineToTop(int line) {
    SendScintilla(SCI_SETFIRSTVISIBLELINE, SendScintilla(SCI_VISIBLEFROMDOCLINE, std::max(line, 0)));
}

}  // namespace oruvan
