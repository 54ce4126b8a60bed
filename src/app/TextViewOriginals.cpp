// The original bytes of lines read with a code that shares its character with another code: kept aside
// while the line stays unedited, and moved along as lines are inserted and deleted above it.
#include <QFile>
#include <algorithm>

#include "app/TextView.h"
#include "app/TextViewBytes.h"
#include "platform/Cp932.h"

namespace oruvan {

using textview::kChunk;
using textview::lfCount;

void TextView::forgetAllOriginals() {
    m_originals.clear();
    m_pendingInsertion = {};
}

const std::string* TextView::originalOf(long line, std::string_view body) const {
    if (m_originals.empty()) return nullptr;
    auto it = std::lower_bound(m_originals.begin(), m_originals.end(), line,
                               [](const Original& o, long l) { return o.line < l; });
    if (it == m_originals.end() || it->line != line || Cp932ToUtf8(it->bytes) != body) return nullptr;
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

void TextView::trackEdit(long position, int modificationType, long length) {
    if (m_originals.empty()) return;
    settleInsertion();
    if (modificationType & SC_MOD_BEFOREINSERT)
        m_pendingInsertion = {position, length};
    else if (modificationType & SC_MOD_BEFOREDELETE)
        trackDeletion(position, length);
}

void TextView::settleInsertion() const {
    // The inserted text is read once it is in place (QScintilla does not pass it on).
    const auto [pos, length] = m_pendingInsertion;
    if (length <= 0) return;
    m_pendingInsertion = {};
    const std::string_view text = rangeUtf8(pos, pos + length);
    const long line = SendScintilla(SCI_LINEFROMPOSITION, pos);
    const long breaks = lfCount(text);
    if (breaks == 0) {
        forgetOriginals(line, line);
        return;
    }
    // Whole lines put before or after a line leave its text as it was.
    if (pos == SendScintilla(SCI_POSITIONFROMLINE, line) && text.back() == '\n') {
        shiftOriginals(line, breaks);
        return;
    }
    if (text.front() != '\n' || pos + length != SendScintilla(SCI_GETLINEENDPOSITION, line + breaks))
        forgetOriginals(line, line);
    shiftOriginals(line + 1, breaks);
}

void TextView::trackDeletion(long pos, long length) {
    if (length <= 0) return;
    const long first = SendScintilla(SCI_LINEFROMPOSITION, pos);
    const long last = SendScintilla(SCI_LINEFROMPOSITION, pos + length);
    if (first == last) {
        forgetOriginals(first, first);
        return;
    }
    if (pos == SendScintilla(SCI_POSITIONFROMLINE, first) &&
        pos + length == SendScintilla(SCI_POSITIONFROMLINE, last)) {
        forgetOriginals(first, last - 1);  // whole lines go; the last one keeps its text
    } else if (pos == SendScintilla(SCI_GETLINEENDPOSITION, first) &&
               pos + length == SendScintilla(SCI_GETLINEENDPOSITION, last)) {
        forgetOriginals(first + 1, last);  // whole lines go after the first one
    } else {
        forgetOriginals(first, last);
    }
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

void TextView::collectOriginals(QFile& file, const std::vector<std::size_t>& lines) {
    // A second pass over the file, only for the rare lines that hold a non-canonical code. Lines are
    // counted as the decoder counts them: CR LF, lone CR and lone LF each end one.
    if (!file.seek(0)) return;
    std::size_t line = 0;
    std::size_t want = 0;
    std::string current;
    bool pendingCr = false;
    auto finishLine = [&] {
        if (want < lines.size() && lines[want] == line) {
            m_originals.push_back({static_cast<long>(line), current});
            ++want;
        }
        current.clear();
        ++line;
    };
    std::string buf(static_cast<std::size_t>(kChunk), '\0');
    while (want < lines.size()) {
        const qint64 got = file.read(buf.data(), static_cast<qint64>(buf.size()));
        if (got <= 0) break;
        for (qint64 k = 0; k < got && want < lines.size(); ++k) {
            const char c = buf[static_cast<std::size_t>(k)];
            if (pendingCr) {
                pendingCr = false;
                if (c == '\n') continue;
            }
            if (c == '\r' || c == '\n') {
                finishLine();
                pendingCr = c == '\r';
            } else if (lines[want] == line) {
                current.push_back(c);
            }
        }
    }
    if (want < lines.size() && !current.empty()) finishLine();
}

}  // namespace oruvan
