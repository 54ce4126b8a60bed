#include "outline/IndexTracker.h"

#include <algorithm>

namespace oruvan {

void ApplySplices(Index& index, std::vector<IndexSplice> splices) {
    if (splices.empty()) return;
    Index out;
    std::size_t added = 0;
    for (const IndexSplice& s : splices) added += s.inserted.size();
    out.reserve(index.size() + added);
    std::size_t at = 0;
    int delta = 0;
    for (IndexSplice& s : splices) {
        for (; at < s.first; ++at) {
            out.push_back(std::move(index[at]));
            out.back().line += delta;
        }
        std::move(s.inserted.begin(), s.inserted.end(), std::back_inserter(out));
        at += s.removed;
        delta = s.lineDelta;
    }
    for (; at < index.size(); ++at) {
        out.push_back(std::move(index[at]));
        out.back().line += delta;
    }
    index = std::move(out);
}

void IndexTracker::indexed() {
    compared();
    m_linesKnown = true;
    m_spans.clear();
}

void IndexTracker::compared() {
    m_window.reset();
    m_windowKnown = true;
}

void IndexTracker::lost() {
    m_windowKnown = false;
    m_linesKnown = false;
    m_spans.clear();
    m_pending.reset();
}

void IndexTracker::beforeInsert(const TextAccess& text, long pos, long length) {
    begin(text, pos, length);
    if (m_windowKnown) m_window.beforeInsert(text, pos, length);
}

void IndexTracker::beforeDelete(const TextAccess& text, long pos, long length) {
    begin(text, pos, 0);
    if (m_windowKnown) m_window.beforeDelete(text, pos, length);
}

void IndexTracker::begin(const TextAccess& text, long pos, long inserted) {
    settle(text);
    if (m_linesKnown) m_pending = Pending{pos, inserted, text.lineCount()};
}

// Lines that end before the edit keep their text and number (a CR ends a line whatever follows it); the
// line where the old text resumes may now start elsewhere, and the lines after it are as they were.
void IndexTracker::settle(const TextAccess& text) {
    if (!m_pending) return;
    const Pending p = *m_pending;
    m_pending.reset();
    const long first = text.lineFromPosition(p.pos);
    const long newEnd = text.lineFromPosition(p.pos + p.inserted) + 1;
    touched(first, newEnd - (text.lineCount() - p.linesBefore), newEnd);
}

void IndexTracker::touched(long first, long oldEnd, long newEnd) {
    // Spans that meet [first, oldEnd) of the text before this edit merge with it.
    auto lo = std::lower_bound(m_spans.begin(), m_spans.end(), first,
                               [](const Span& s, long l) { return s.newEnd < l; });
    auto hi =
        std::upper_bound(lo, m_spans.end(), oldEnd, [](long l, const Span& s) { return l < s.newFirst; });
    const long deltaBefore = lo == m_spans.begin() ? 0 : std::prev(lo)->newEnd - std::prev(lo)->oldEnd;
    const long deltaAfter = hi == m_spans.begin() ? 0 : std::prev(hi)->newEnd - std::prev(hi)->oldEnd;
    Span merged{first - deltaBefore, oldEnd - deltaAfter, first, oldEnd};
    if (lo != hi) {
        if (lo->newFirst < first) merged = {lo->oldFirst, merged.oldEnd, lo->newFirst, oldEnd};
        const Span& last = *std::prev(hi);
        if (last.newEnd > oldEnd) {
            merged.oldEnd = last.oldEnd;
            merged.newEnd = last.newEnd;
        }
    }
    const long shift = newEnd - oldEnd;
    merged.newEnd += shift;
    for (auto it = hi; it != m_spans.end(); ++it) {
        it->newFirst += shift;
        it->newEnd += shift;
    }
    if (lo == hi) {
        m_spans.insert(lo, merged);
    } else {
        *lo = merged;
        m_spans.erase(std::next(lo), hi);
    }
    if (m_spans.size() > kMaxSpans) {
        m_linesKnown = false;
        m_spans.clear();
    }
}

std::optional<bool> IndexTracker::unchanged(const TextAccess& text) {
    settle(text);
    if (!m_windowKnown) return std::nullopt;
    return m_window.unchanged(text);
}

bool IndexTracker::linesTracked(const TextAccess& text) {
    settle(text);
    return m_linesKnown;
}

bool IndexTracker::wholeScanNeeded(const TextAccess& text) {
    if (!linesTracked(text)) return true;
    // Rescanning costs about what scanning the same bytes costs, and a whole scan also refills
    // everything: a quarter of the text is where the rescan stops paying.
    long bytes = 0;
    for (const Span& s : m_spans)
        bytes += text.positionFromLine(s.newEnd) - text.positionFromLine(s.newFirst);
    return bytes > text.length() / 4;
}

std::vector<IndexSplice> IndexTracker::update(const TextAccess& text, const Index& index,
                                              const HeadingRules& rules, const OwnBytes& ownBytes) {
    settle(text);
    std::vector<IndexSplice> splices;
    auto byLine = [](const IndexEntry& e, long l) { return e.line < l; };
    for (const Span& s : m_spans) {
        IndexSplice splice;
        const auto first = std::lower_bound(index.begin(), index.end(), s.oldFirst, byLine);
        const auto end = std::lower_bound(first, index.end(), s.oldEnd, byLine);
        splice.first = static_cast<std::size_t>(first - index.begin());
        splice.removed = static_cast<std::size_t>(end - first);
        splice.lineDelta = static_cast<int>(s.newEnd - s.oldEnd);
        LineBytesList own;
        if (ownBytes) own = ownBytes(s.newFirst, s.newEnd);
        for (auto& line : own) line.first -= static_cast<int>(s.newFirst);
        // The span's lines with their breaks: an empty last line of the text is no line, as in a whole scan.
        const long from = text.positionFromLine(s.newFirst);
        splice.inserted = ScanHeadingsUtf8(text.range(from, text.positionFromLine(s.newEnd)), rules, own);
        for (IndexEntry& e : splice.inserted) e.line += static_cast<int>(s.newFirst);
        splices.push_back(std::move(splice));
    }
    return splices;
}

}  // namespace oruvan
