#pragma once
// Folding by heading: a folded section's body lines are hidden in the text view, a marker in a margin
// shows each heading folded or open, and a click on it folds or unfolds. The folds belong to the index's
// entries and follow its splices, so a re-index after edits keeps the folds of the sections it did not
// touch. What the view hides is kept as runs of lines, moved with every edit, so that a change of folds
// or of the index costs the lines whose visibility changes, not the document's.
#include <QObject>
#include <optional>
#include <utility>
#include <vector>

#include "outline/IndexEntry.h"
#include "outline/IndexTracker.h"

namespace oruvan {

class TextView;

class SectionFolds : public QObject {
    Q_OBJECT
public:
    explicit SectionFolds(TextView* view);

    // Shows or takes away the margin and its markers; off unfolds everything.
    void setEnabled(bool on);
    bool enabled() const { return m_enabled; }

    // The index was built again: folds stay on headings found on the same lines.
    void indexRebuilt(const Index& entries, bool levels);
    // The index followed edits.
    void indexSpliced(const std::vector<IndexSplice>& splices, const Index& entries, bool levels);

    bool folded(std::size_t entry) const { return entry < m_folded.size() && m_folded[entry]; }
    void setFolded(std::size_t entry, bool on);
    void setAllFolded(bool on);
    // Folds every section whose heading is deeper than `level`, unfolds the others.
    void foldDeeperThan(int level);
    // Unfolds every section that hides document line `line`; false when none did.
    bool reveal(int line);
    // Lines the view hides, as runs [first, end).
    const std::vector<std::pair<int, int>>& hiddenLines() const { return m_hidden; }

Q_SIGNALS:
    // A click on the marker of entry n's heading.
    void markerClicked(int line);

private:
    void aboutToChange(long position, long length, bool insertion);
    void settle();
    void checkDocument();
    // Makes the view hide what the folds hide, changing only the lines that differ.
    void apply();
    // Puts the markers of entries [first, end) on their lines, after clearing lines [fromLine, toLine).
    void mark(std::size_t first, std::size_t end, long fromLine, long toLine);
    void markEntry(std::size_t i);

    TextView* m_view;
    bool m_enabled = false;
    const Index* m_entries = nullptr;  // the index model's, as last given
    bool m_levels = false;
    std::vector<char> m_folded;              // beside the entries
    std::vector<std::pair<int, int>> m_hidden;  // what the view hides, ascending and apart
    std::vector<char> m_dirty;                  // beside m_hidden: an edit reached into the run
    long m_document = -1;
    struct Pending {
        long line, linesBefore, textLines;
    };
    std::optional<Pending> m_pending;
};

}  // namespace oruvan
