#pragma once
// The index as a list model: one row per heading, the text shown through the cp932 codec and the line
// number under Qt::UserRole. The drop-down list's model is the master copy; the heading list's is a copy.
//
// A filter makes the model show only the headings it matches; rows then map to entry numbers through
// entryAt() and rowOf(), the one mapping between the list's rows and the index.
#include <QAbstractListModel>
#include <QSize>
#include <functional>
#include <vector>

#include "outline/HeadingFilter.h"
#include "outline/IndexEntry.h"
#include "outline/IndexTracker.h"

namespace oruvan {

class IndexModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        EntryNumberRole = Qt::UserRole + 1,  // the row's entry number
        MatchRangesRole,  // QList<int>: start and length of each matched run of the display text
    };

    using QAbstractListModel::QAbstractListModel;

    // Replaces the entries; a filter in force is applied to the new ones.
    void setEntries(Index entries);
    // Applies splices made for the entries as they stand, row by row: views keep what they know of the
    // rows that stay, where a reset would make them lay out every row again.
    void applySplices(const std::vector<IndexSplice>& splices);
    const Index& entries() const { return m_entries; }
    // The size every row reports, so views with uniform rows take the widest text as their extent.
    void setRowSize(QSize size);
    // With levels shown, each heading is indented by one full-width space per level below the first.
    // Takes effect with the next setEntries.
    void setShowLevels(bool on) { m_showLevels = on; }
    bool showLevels() const { return m_showLevels; }

    // A second line under each row's text in its tooltip (the heading list shows its section's count).
    void setToolTipNote(std::function<QString(int entry)> note) { m_toolTipNote = std::move(note); }

    void setFilter(HeadingFilter filter);
    // Shows only the headings of level n or above (with levels off every heading is of level 1); 0 shows
    // every level. Combines with the filter.
    void setMaxLevel(int n);
    int maxLevel() const { return m_maxLevel; }
    // While on, the headings are folded for filtering as soon as they are set, rather than by the first
    // filter that needs them: the field is being typed in.
    void setKeepFolded(bool on);
    bool filtering() const { return !m_filter.empty() || m_maxLevel > 0; }
    int entryAt(int row) const;
    // The row that shows entry n, -1 when the filter hides it or there is no such entry.
    int rowOf(int entry) const;
    QString displayText(int entry) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    void shiftLines(std::size_t from, std::size_t to, int delta, bool signal);
    void applyFilter();
    void fold();

    Index m_entries;
    QSize m_rowSize{0, 12};
    bool m_showLevels = false;
    HeadingFilter m_filter;
    FoldedHeadings m_folded;  // of m_entries, made when a filter first needs it
    bool m_foldedValid = false;
    bool m_keepFolded = false;
    std::vector<int> m_rows;  // the entries shown while filtering
    int m_maxLevel = 0;
    std::function<QString(int)> m_toolTipNote;
};

}  // namespace oruvan
