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
    m_pendingEdit = {};
}

const std::string* TextView::originalOf(long line, std::string_view body) const {
    if (m_originals.empty()) return nullptr;
    auto it = std::lower_bound(m_originals.begin(), m_originals.end(), line,
                               [](const Original& o, long l) { return o.line < l; });
    if (it == m_originals.end() || it->line != line || DecodeText(m_encoding, it->bytes) != body)
        return nullptr;
    return &it->bytes;
}

std::vector<std::pair<int, std::string_view>> TextView::OriginalLines(long first, long end) const {
    std::vector<std::pair<int, std::string_view>> lines;
    if (m_originals.empty()) return lines;
    settleEdit();
    auto it = std::lower_bound(m_originals.begin(), m_originals.end(), first,
                               [](const Original& o, long l) { return o.line < l; });
    for (; it != m_originals.end() && it->line < end; ++it)
        if (originalOf(it->line, lineUtf8(it->line)))
            lines.emplace_back(static_cast<int>(it->line), it->bytes);
    return lines;
}

std::vector<std::pair<int, std::string_view>> TextView::HeadingOwnBytes(long first, long end) const {
    if (m_encoding != Encoding::ShiftJis) return {};
    return OriginalLines(first, end);
}

long TextView::lineCount() const { return SendScintilla(SCI_GETLINECOUNT); }

void TextView::trackEdit(long position, int modificationType, long length) {
    if (m_originals.empty()) return;
    settleEdit();
    if (length <= 0 || !(modificationType & (SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE))) return;
    PendingEdit e;
    e.position = position;
    e.length = length;
    e.deletion = modificationType & SC_MOD_BEFOREDELETE;
    e.linesBefore = lineCount();
    e.first = SendScintilla(SCI_LINEFROMPOSITION, position);
    e.atFirstStart = position == SendScintilla(SCI_POSITIONFROMLINE, e.first);
    if (e.deletion) {
        e.last = SendScintilla(SCI_LINEFROMPOSITION, position + length);
        e.atLastStart = position + length == SendScintilla(SCI_POSITIONFROMLINE, e.last);
    }
    m_pendingEdit = e;
}

// An edit is accounted for once it is in place, by the lines the view counts then: a LF next to a lone
// CR joins it into one break, and a CR LF parted by the edit (Enter undone, text put between) leaves
// the CR ending its line.
void TextView::settleEdit() const {
    const PendingEdit e = m_pendingEdit;
    if (e.length <= 0) return;
    m_pendingEdit = {};
    const long added = lineCount() - e.linesBefore;
    if (e.deletion)
        settleDeletion(e, -added);
    else if (added != 0)
        settleInsertion(e, added);
}

void TextView::settleInsertion(const PendingEdit& e, long added) const {
    // The inserted text is read once it is in place (QScintilla does not pass it on).
    const std::string_view text = rangeUtf8(e.position, e.position + e.length);
    // Whole lines put before a line move it; otherwise the lines after the one edited move.
    const bool before = e.atFirstStart && !text.empty() && (text.back() == '\n' || text.back() == '\r');
    shiftOriginals(before ? e.first : e.first + 1, added);
}

void TextView::settleDeletion(const PendingEdit& e, long removed) const {
    // The rest of the last line now stands on line last - removed, the lines between first and last are
    // gone. Where the first and the last line now make one, whole lines taken leave it the last one's
    // text, otherwise the lines after the first join it; where a CR before the deletion and a LF after
    // it became one break, nothing of them is left.
    const long lastNow = e.last - removed;
    if (lastNow < e.first)
        forgetOriginals(e.first, e.last);
    else if (lastNow > e.first)
        forgetOriginals(e.first + 1, e.last - 1);
    else if (e.atFirstStart && e.atLastStart)
        forgetOriginals(e.first, e.last - 1);
    else
        forgetOriginals(e.first + 1, e.last);
    shiftOriginals(e.last, -removed);
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
