#include "app/IndexModel.h"

#include "widgets/Cp932Text.h"

namespace oruvan {

void IndexModel::setEntries(Index entries) {
    beginResetModel();
    m_entries = std::move(entries);
    endResetModel();
}

void IndexModel::setRowSize(QSize size) {
    if (size == m_rowSize) return;
    m_rowSize = size;
    if (!m_entries.empty()) Q_EMIT dataChanged(index(0), index(rowCount() - 1), {Qt::SizeHintRole});
}

int IndexModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_entries.size());
}

QVariant IndexModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const IndexEntry& e = m_entries[static_cast<std::size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
        case Qt::AccessibleTextRole:
            return FromCp932(e.text);
        case Qt::UserRole:
            return e.line;
        case Qt::SizeHintRole:
            return m_rowSize;
        default:
            return {};
    }
}

}  // namespace oruvan
