#include "app/IndexModel.h"

#include "widgets/Cp932Text.h"

namespace oruvan {

void IndexModel::setEntries(Index entries) {
    beginResetModel();
    m_entries = std::move(entries);
    endResetModel();
}

void IndexModel::applySplices(const std::vector<IndexSplice>& splices) {
    std::size_t kept = 0;  // the first row after the last splice
    int delta = 0;
    long added = 0;
    for (const IndexSplice& s : splices) {
        const auto first = static_cast<std::size_t>(static_cast<long>(s.first) + added);
        shiftLines(kept, first, delta);
        const auto at = m_entries.begin() + static_cast<long>(first);
        if (s.removed > 0) {
            beginRemoveRows({}, static_cast<int>(first), static_cast<int>(first + s.removed) - 1);
            m_entries.erase(at, at + static_cast<long>(s.removed));
            endRemoveRows();
        }
        if (!s.inserted.empty()) {
            beginInsertRows({}, static_cast<int>(first), static_cast<int>(first + s.inserted.size()) - 1);
            m_entries.insert(m_entries.begin() + static_cast<long>(first), s.inserted.begin(),
                             s.inserted.end());
            endInsertRows();
        }
        added += static_cast<long>(s.inserted.size()) - static_cast<long>(s.removed);
        kept = first + s.inserted.size();
        delta = s.lineDelta;
    }
    shiftLines(kept, m_entries.size(), delta);
}

void IndexModel::shiftLines(std::size_t from, std::size_t to, int delta) {
    if (delta == 0 || from >= to) return;
    for (std::size_t i = from; i < to; ++i) m_entries[i].line += delta;
    Q_EMIT dataChanged(index(static_cast<int>(from)), index(static_cast<int>(to) - 1), {Qt::UserRole});
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
