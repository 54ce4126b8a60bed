// The original bytes of lines whose text does not give them back (a code that shares its character with
// another code, ISO-2022-JP not in canonical form): kept aside, moved along as lines are inserted and
// deleted above them, and written back whenever the line holds the text they decode to, so an edit
// undone or retyped restores them.
#include <QFile>
#include <algorithm>

#include "app/TextView.h"
#include "platform/TextEncoding.h"

namespace oruvan {

void TextView::forgetAllOriginals() {
    m_originals.clear();
    m_pendingInsertion = {};
}

const std::string* TextView::originalOf(long line, std::string_view body) const {
    if (m_originals.empty()) return nullptr;
    auto it = std::lower_bound(m_originals.begin(), m_originals.end(), line,
                               [](const Original& o, long l) { return o.line < l; });
    if (it == m_originals.end() || it->line != line || DecodeText(m_encoding, it->bytes) != body)
        return nullptr;
    return &it->bytes;
}

std::vector<std::pair<int, std::string_view>> TextView::OriginalLines() const {
    std::vector<std::pair<int, std::string_view>> lines;
    if (m_originals.empty()) return lines;
    settleInsertion();
    for (const Original& o : m_originals)
        if (originalOf(o.line, lineUtf8(o.line))) lines.emplace_back(static_cast<int>(o.line), o.bytes);
    return lines;
}

long TextView::lineCount() const { return SendScintilla(SCI_GETLINECOUNT); }

void TextView::trackEdit(long position, int modificationType, long length) {
    if (m_originals.empty()) return;
    settleInsertion();
    if (modificationType & SC_MOD_BEFOREINSERT)
        m_pendingInsertion = {position, length, lineCount()};
    else if (modificationType & SC_MOD_BEFOREDELETE)
        trackDeletion(position, length);
}

void TextView::settleInsertion() const {
    // The inserted text is read once it is in place (QScintilla does not pass it on). The lines it
    // added are counted by the view: a LF put after a lone CR joins it into one break.
    const PendingInsertion ins = m_pendingInsertion;
    if (ins.length <= 0) return;
    m_pendingInsertion = {};
    const long added = lineCount() - ins.linesBefore;
    if (added == 0) return;
    const std::string_view text = rangeUtf8(ins.position, ins.position + ins.length);
    const long line = SendScintilla(SCI_LINEFROMPOSITION, ins.position);
    // Whole lines put before a line move it; otherwise the lines after the one edited move.
    const bool before = ins.position == SendScintilla(SCI_POSITIONFROMLINE, line) && !text.empty() &&
                        (text.back() == '\n' || text.back() == '\r');
    shiftOriginals(before ? line : line + 1, added);
}

void TextView::trackDeletion(long pos, long length) {
    if (length <= 0) return;
    const long first = SendScintilla(SCI_LINEFROMPOSITION, pos);
    const long last = SendScintilla(SCI_LINEFROMPOSITION, pos + length);
    if (first == last) return;
    // Whole lines going leave the last one's text to the first; otherwise the lines after the first
    // join it.
    if (pos == SendScintilla(SCI_POSITIONFROMLINE, first) &&
        pos + length == SendScintilla(SCI_POSITIONFROMLINE, last))
        forgetOriginals(first, last - 1);
    else
        forgetOriginals(first + 1, last);
    shiftOriginals(last, first - last);
}

void TextView::forgetOriginals(long firstLine, long lastLine) const {
    auto lo = std::lower_bound(m_originals.begin(), m_originals.end(), firstLine,
                               [](const Original& o, long l) { return o.line < l; });
    auto hi = std::upper_bound(lo, m_originals.end(), lastLine,
                               [](long l, const Original& o) { return l < o.line; });
    m_originals.erase(lo, hi);
}

void TextView::shiftOriginals(long fromLine, long delta) const {
    auto it = std::lower_bound(m_originals.begin(), m_originals.end(), fromLine,
                               [](const Original& o, long l) { return o.line < l; });
    for (; it != m_originals.end(); ++it) it->line += delta;
}

void TextView::collectOriginals(QFile& file, const std::vector<NonCanonicalLine>& lines) {
    // A second look at the file, only for the lines whose bytes do not come back from their text.
    for (const NonCanonicalLine& l : lines) {
        if (!file.seek(static_cast<qint64>(l.begin))) return;
        const QByteArray bytes = file.read(static_cast<qint64>(l.end - l.begin));
        if (bytes.size() != static_cast<qsizetype>(l.end - l.begin)) return;
        m_originals.push_back({static_cast<long>(l.line), bytes.toStdString()});
    }
}

}  // namespace oruvan
