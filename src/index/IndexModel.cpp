#include "index/IndexModel.h"

#include <algorithm>

#include "outline/Sections.h"
#include "widgets/Cp932Text.h"

namespace oruvan {

void IndexModel::setEntries(Index entries) {
    beginResetModel();
    m_entries = std::move(entries);
    m_foldedValid = false;
    if (m_keepFolded) fold();
    applyFilter();
    endResetModel();
}

void IndexModel::applySplices(const std::vector<IndexSplice>& splices) {
    // While filtering, rows are a choice among the entries: they are chosen again once the entries moved.
    const bool filtered = filtering();
    if (filtered) beginResetModel();
    std::size_t kept = 0;  // the first row after the last splice
    int delta = 0;
    long added = 0;
    for (const IndexSplice& s : splices) {
        const auto first = static_cast<std::size_t>(static_cast<long>(s.first) + added);
        shiftLines(kept, first, delta, !filtered);
        const auto at = m_entries.begin() + static_cast<long>(first);
        if (s.removed > 0) {
            if (!filtered) beginRemoveRows({}, static_cast<int>(first), static_cast<int>(first + s.removed) - 1);
            m_entries.erase(at, at + static_cast<long>(s.removed));
            if (!filtered) endRemoveRows();
        }
        if (!s.inserted.empty()) {
            if (!filtered)
                beginInsertRows({}, static_cast<int>(first), static_cast<int>(first + s.inserted.size()) - 1);
            m_entries.insert(m_entries.begin() + static_cast<long>(first), s.inserted.begin(),
                             s.inserted.end());
            if (!filtered) endInsertRows();
        }
        added += static_cast<long>(s.inserted.size()) - static_cast<long>(s.removed);
        kept = first + s.inserted.size();
        delta = s.lineDelta;
    }
    shiftLines(kept, m_entries.size(), delta, !filtered);
    m_foldedValid = false;
    if (m_keepFolded) fold();
    if (filtered) {
        applyFilter();
        endResetModel();
    }
}

void IndexModel::shiftLines(std::size_t from, std::size_t to, int delta, bool signal) {
    if (delta == 0 || from >= to) return;
    for (std::size_t i = from; i < to; ++i) m_entries[i].line += delta;
    if (signal) Q_EMIT dataChanged(index(static_cast<int>(from)), index(static_cast<int>(to) - 1), {Qt::UserRole});
}

void IndexModel::setRowSize(QSize size) {
    if (size == m_rowSize) return;
    m_rowSize = size;
    if (rowCount() > 0) Q_EMIT dataChanged(index(0), index(rowCount() - 1), {Qt::SizeHintRole});
}

void IndexModel::setFilter(HeadingFilter filter) {
    beginResetModel();
    m_filter = std::move(filter);
    applyFilter();
    endResetModel();
}

void IndexModel::setMaxLevel(int n) {
    if (n == m_maxLevel) return;
    beginResetModel();
    m_maxLevel = n;
    applyFilter();
    endResetModel();
}

void IndexModel::setKeepFolded(bool on) {
    m_keepFolded = on;
    if (on) fold();
}

void IndexModel::fold() {
    if (m_foldedValid) return;
    m_folded = FoldedHeadings(m_entries);
    m_foldedValid = true;
}

void IndexModel::applyFilter() {
    m_rows.clear();
    if (!filtering()) return;
    if (!m_filter.empty()) {
        fold();
        m_rows = m_folded.match(m_filter);
    } else {
        m_rows.resize(m_entries.size());
        for (std::size_t i = 0; i < m_rows.size(); ++i) m_rows[i] = static_cast<int>(i);
    }
    if (m_maxLevel > 0)
        m_rows.erase(std::remove_if(m_rows.begin(), m_rows.end(),
                                    [this](int n) {
                                        return SectionLevel(m_entries[static_cast<std::size_t>(n)], m_showLevels) >
                                               m_maxLevel;
                                    }),
                     m_rows.end());
}

int IndexModel::entryAt(int row) const {
    if (row < 0 || row >= rowCount()) return -1;
    return filtering() ? m_rows[static_cast<std::size_t>(row)] : row;
}

int IndexModel::rowOf(int entry) const {
    if (entry < 0 || entry >= static_cast<int>(m_entries.size())) return -1;
    if (!filtering()) return entry;
    const auto at = std::lower_bound(m_rows.begin(), m_rows.end(), entry);
    return at != m_rows.end() && *at == entry ? static_cast<int>(at - m_rows.begin()) : -1;
}

QString IndexModel::displayText(int entry) const {
    const IndexEntry& e = m_entries[static_cast<std::size_t>(entry)];
    if (!e.utf8.empty()) return QString::fromStdString(IndentedUtf8(e, m_showLevels));
    if (LevelIndentBytes(e, m_showLevels) == 0) return FromCp932(e.text);
    return FromCp932(IndentedText(e, true));
}

int IndexModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return static_cast<int>(filtering() ? m_rows.size() : m_entries.size());
}

QVariant IndexModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const int n = entryAt(index.row());
    const IndexEntry& e = m_entries[static_cast<std::size_t>(n)];
    switch (role) {
        case Qt::ToolTipRole:
            if (m_toolTipNote) return displayText(n) + QLatin1Char('\n') + m_toolTipNote(n);
            return displayText(n);
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            return displayText(n);
        case Qt::UserRole:
            return e.line;
        case EntryNumberRole:
            return n;
        case MatchRangesRole: {
            // Positions in the display text, which the codec may make longer or shorter than the bytes.
            QList<int> runs;
            const int indent = static_cast<int>(LevelIndentBytes(e, m_showLevels) / 2);
            if (!e.utf8.empty()) {
                const std::string_view shown(e.utf8);
                for (const auto& [first, last] : m_filter.matchRangesUtf8(shown))
                    runs << indent + static_cast<int>(QString::fromUtf8(shown.substr(0, first)).size())
                         << static_cast<int>(QString::fromUtf8(shown.substr(first, last - first)).size());
                return QVariant::fromValue(runs);
            }
            const std::string_view text(e.text);
            for (const auto& [first, last] : m_filter.matchRanges(text))
                runs << indent + static_cast<int>(FromCp932(text.substr(0, first)).size())
                     << static_cast<int>(FromCp932(text.substr(first, last - first)).size());
            return QVariant::fromValue(runs);
        }
        case Qt::SizeHintRole:
            return m_rowSize;
        default:
            return {};
    }
}

}  // namespace oruvan
