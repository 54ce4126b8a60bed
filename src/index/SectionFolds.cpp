#include "index/SectionFolds.h"

#include <algorithm>

#include "outline/Sections.h"
#include "view/TextView.h"

namespace oruvan {

namespace {

using Runs = std::vector<std::pair<int, int>>;

// The lines of runs a that runs b leave out; both ascending and apart.
Runs Subtract(const Runs& a, const Runs& b) {
    Runs out;
    std::size_t j = 0;
    for (auto [first, end] : a) {
        while (j < b.size() && b[j].second <= first) ++j;
        for (std::size_t k = j; k < b.size() && b[k].first < end; ++k) {
            if (b[k].first > first) out.push_back({first, b[k].first});
            first = std::max(first, b[k].second);
        }
        if (first < end) out.push_back({first, end});
    }
    return out;
}

}  // namespace

SectionFolds::SectionFolds(TextView* view) : QObject(view), m_view(view) {
    connect(view, &TextView::aboutToChange, this, &SectionFolds::aboutToChange);
    connect(view, &TextView::foldMarkerClicked, this, &SectionFolds::markerClicked);
}

void SectionFolds::setEnabled(bool on) {
    if (on == m_enabled) return;
    m_enabled = on;
    if (!on) {
        std::fill(m_folded.begin(), m_folded.end(), 0);
        apply();
    }
    m_view->ShowFoldMargin(on);
    if (!on) return;
    if (m_entries) mark(0, m_entries->size(), 0, m_view->Utf8LineCount());
}

void SectionFolds::checkDocument() {
    if (m_view->DocumentId() == m_document) return;
    // Another document: it has no hidden lines, and folds of the old one mean nothing in it.
    m_document = m_view->DocumentId();
    m_pending.reset();
    m_hidden.clear();
    m_dirty.clear();
    std::fill(m_folded.begin(), m_folded.end(), 0);
}

void SectionFolds::indexRebuilt(const Index& entries, bool levels) {
    const long document = m_document;
    checkDocument();
    std::vector<int> foldedLines;
    if (m_entries && document == m_document)
        for (std::size_t i = 0; i < m_folded.size() && i < m_entries->size(); ++i)
            if (m_folded[i]) foldedLines.push_back((*m_entries)[i].line);
    m_entries = &entries;
    m_levels = levels;
    m_folded.assign(entries.size(), 0);
    for (std::size_t i = 0, k = 0; i < entries.size() && k < foldedLines.size(); ++i) {
        while (k < foldedLines.size() && foldedLines[k] < entries[i].line) ++k;
        if (k < foldedLines.size() && foldedLines[k] == entries[i].line) m_folded[i] = 1;
    }
    if (m_enabled) mark(0, entries.size(), 0, m_view->Utf8LineCount());
    apply();
}

void SectionFolds::indexSpliced(const std::vector<IndexSplice>& splices, const Index& entries, bool levels) {
    checkDocument();
    m_entries = &entries;
    m_levels = levels;
    SpliceAlong(m_folded, splices, char(0));
    m_folded.resize(entries.size(), 0);
    if (m_enabled) {
        // Markers move with their lines; only those between the entries kept are put again.
        const long lines = m_view->Utf8LineCount();
        long added = 0;
        for (const IndexSplice& s : splices) {
            const auto first = static_cast<std::size_t>(static_cast<long>(s.first) + added);
            const std::size_t end = first + s.inserted.size();
            const long fromLine = first > 0 ? entries[first - 1].line + 1 : 0;
            const long toLine = end < entries.size() ? entries[end].line : lines;
            mark(first, end, fromLine, toLine);
            added += static_cast<long>(s.inserted.size()) - static_cast<long>(s.removed);
        }
    }
    apply();
}

void SectionFolds::mark(std::size_t first, std::size_t end, long fromLine, long toLine) {
    m_view->ClearFoldMarkers(fromLine, toLine);
    for (std::size_t i = first; i < end; ++i) m_view->AddFoldMarker((*m_entries)[i].line, m_folded[i]);
}

void SectionFolds::markEntry(std::size_t i) {
    if (!m_enabled || !m_entries) return;
    m_view->SetFoldMarker((*m_entries)[i].line, m_folded[i]);
}

void SectionFolds::setFolded(std::size_t entry, bool on) {
    if (entry >= m_folded.size() || bool(m_folded[entry]) == on) return;
    m_folded[entry] = on;
    markEntry(entry);
    apply();
}

void SectionFolds::setAllFolded(bool on) {
    for (std::size_t i = 0; i < m_folded.size(); ++i)
        if (bool(m_folded[i]) != on) {
            m_folded[i] = on;
            markEntry(i);
        }
    apply();
}

void SectionFolds::foldDeeperThan(int level) {
    if (!m_entries) return;
    for (std::size_t i = 0; i < m_folded.size(); ++i) {
        const bool on = SectionLevel((*m_entries)[i], m_levels) > level;
        if (bool(m_folded[i]) != on) {
            m_folded[i] = on;
            markEntry(i);
        }
    }
    apply();
}

bool SectionFolds::reveal(int line) {
    if (!m_entries) return false;
    const Index& entries = *m_entries;
    const std::optional<std::size_t> at = SectionAt(entries, line);
    if (!at) return false;
    bool unfolded = false;
    // The section holding the line and the sections above it: each heading of a higher level than all
    // after it.
    int level = SectionLevel(entries[*at], m_levels) + 1;
    for (std::size_t j = *at + 1; j-- > 0 && level > 1;) {
        const int own = SectionLevel(entries[j], m_levels);
        if (own >= level) continue;
        level = own;
        if (m_folded[j] && entries[j].line < line) {
            m_folded[j] = 0;
            markEntry(j);
            unfolded = true;
        }
    }
    if (unfolded) apply();
    return unfolded;
}

void SectionFolds::aboutToChange(long position, long length, bool insertion) {
    if (m_hidden.empty() || m_view->DocumentId() != m_document) return;
    settle();
    const long line = m_view->Utf8LineOf(position);
    const long last = insertion ? line : m_view->Utf8LineOf(position + length);
    m_pending = Pending{line, last - line + 1, m_view->Utf8LineCount()};
}

void SectionFolds::settle() {
    if (!m_pending) return;
    const Pending p = *m_pending;
    m_pending.reset();
    const long delta = m_view->Utf8LineCount() - p.textLines;
    const long editEnd = p.line + p.linesBefore;  // the old lines the edit reached end here
    for (std::size_t k = 0; k < m_hidden.size(); ++k) {
        auto& [first, end] = m_hidden[k];
        if (end <= p.line) continue;
        if (first >= editEnd) {
            first += static_cast<int>(delta);
            end += static_cast<int>(delta);
            continue;
        }
        first = static_cast<int>(std::min<long>(first, p.line));
        end = static_cast<int>(std::max<long>(first, std::max<long>(end, editEnd) + delta));
        m_dirty[k] = 1;
    }
}

void SectionFolds::apply() {
    checkDocument();
    settle();
    if (!m_entries) return;
    const Index& entries = *m_entries;
    const int lines = static_cast<int>(m_view->Utf8LineCount());
    // A last section ends before the empty line after the text's last break: Ctrl+End stays in sight.
    const int textLines = m_view->LineCount();
    Runs wanted;
    if (std::find(m_folded.begin(), m_folded.end(), 1) != m_folded.end()) {
        const std::vector<std::size_t> ends = SectionEnds(entries, m_levels);
        int covered = -1;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const int heading = entries[i].line;
            if (!m_folded[i] || heading < covered || heading >= lines) continue;
            const int end = std::min(lines, ends[i] < entries.size() ? entries[ends[i]].line : textLines);
            if (end > heading + 1) {
                wanted.push_back({heading + 1, end});
                covered = end;
            }
        }
    }
    std::vector<TextView::LineRun> changes;
    Runs held;
    for (std::size_t k = 0; k < m_hidden.size(); ++k) {
        if (m_dirty[k])
            changes.push_back({m_hidden[k].first, m_hidden[k].second, true});
        else
            held.push_back(m_hidden[k]);
    }
    for (const auto& [first, end] : Subtract(held, wanted)) changes.push_back({first, end, true});
    for (const auto& [first, end] : Subtract(wanted, held)) changes.push_back({first, end, false});
    m_view->SetLinesShown(changes);
    m_hidden = std::move(wanted);
    m_dirty.assign(m_hidden.size(), 0);
}

}  // namespace oruvan
