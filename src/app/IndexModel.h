#pragma once
// The index as a list model: one row per heading, the text shown through the cp932 codec and the line
// number under Qt::UserRole. cmbMain's model is the master copy; ListBox1's model holds a copy.
#include <QAbstractListModel>
#include <QSize>

#include "outline/IndexEntry.h"
#include "outline/IndexTracker.h"

namespace oruvan {

class IndexModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    void setEntries(Index entries);
    // Applies splices made for the entries as they stand, row by row: views keep what they know of the
    // rows that stay, where a reset would make them lay out every row again.
    void applySplices(const std::vector<IndexSplice>& splices);
    const Index& entries() const { return m_entries; }
    // The size every row reports, so views with uniform rows take the widest text as their extent.
    void setRowSize(QSize size);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    void shiftLines(std::size_t from, std::size_t to, int delta);

    Index m_entries;
    QSize m_rowSize{0, 12};
};

}  // namespace oruvan
