#pragma once
// The index as a list model: one row per heading, the text shown through the cp932 codec and the line
// number under Qt::UserRole. cmbMain's model is the master copy; ListBox1's model holds a copy.
#include <QAbstractListModel>
#include <QSize>

#include "outline/IndexEntry.h"

namespace oruvan {

class IndexModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    void setEntries(Index entries);
    const Index& entries() const { return m_entries; }
    // The size every row reports, so views with uniform rows take the widest text as their extent.
    void setRowSize(QSize size);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    Index m_entries;
    QSize m_rowSize{0, 12};
};

}  // namespace oruvan
