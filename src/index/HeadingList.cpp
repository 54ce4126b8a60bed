#include "index/HeadingList.h"

#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <algorithm>

#include "index/IndexModel.h"
#include "outline/HeadingScanner.h"
#include "outline/Cp932Strings.h"
#include "widgets/Cp932Text.h"
#include "widgets/HighlightDelegate.h"

namespace oruvan {

HeadingList::HeadingList(QWidget* parent) : QListView(parent) {
    setObjectName(QStringLiteral("headingList"));
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setMinimumWidth(0);
    m_headings = new IndexModel(this);
    setModel(m_headings);
    setItemDelegate(new HighlightDelegate(IndexModel::MatchRangesRole, this));
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
        if (!m_quiet) emit chosen();
    });
}

void HeadingList::setEntries(Index entries) {
    m_rowWidths.clear();
    m_headings->setEntries(std::move(entries));
}

void HeadingList::applySplices(const std::vector<IndexSplice>& splices) {
    SpliceAlong(m_rowWidths, splices, RowWidth{});
    m_headings->applySplices(splices);
}

void HeadingList::showEntry(int entry) {
    const auto quiet = quietly();
    // While the list is filtered the entry may not be in it.
    const int row = m_headings->rowOf(entry);
    if (row < 0) {
        selectionModel()->clear();
        return;
    }
    const QModelIndex index = m_headings->index(row);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
}

// A click on the row already current changes nothing in the view, yet it is a choice: it goes back to
// that heading.
void HeadingList::mousePressEvent(QMouseEvent* e) {
    const QModelIndex index = indexAt(e->position().toPoint());
    if (e->button() == Qt::LeftButton && index.isValid() && index == selectionModel()->currentIndex())
        emit chosen();
    QListView::mousePressEvent(e);
}

// Measuring every heading with text shaping costs milliseconds per thousand; a sum of cached
// per-character advances finds the few widest candidates, and only those are measured exactly. Both
// measures of an entry are kept until it changes or the list's font or style does.
void HeadingList::fitWidth(bool levels) {
    const QFont shown = font();
    const Index& entries = m_headings->entries();
    if (shown != m_rowWidthFont || style() != m_rowWidthStyle || m_rowWidths.size() != entries.size()) {
        m_rowWidths.assign(entries.size(), RowWidth{});
        m_rowWidthFont = shown;
        m_rowWidthStyle = style();
    }
    const QFontMetricsF fm(shown);
    std::vector<float> advance(0x10000, -1.0f);
    auto estimate = [&](std::string_view text) {
        double sum = 0;
        for (std::size_t i = 0; i < text.size();) {
            const std::size_t n = Cp932CharLength(text, i);
            unsigned code = static_cast<unsigned char>(text[i]);
            if (n == 2) code = code << 8 | static_cast<unsigned char>(text[i + 1]);
            float& a = advance[code];
            if (a < 0) a = static_cast<float>(fm.horizontalAdvance(FromCp932(text.substr(i, n))));
            sum += a;
            i += n;
        }
        return sum;
    };
    double most = 0;
    const double indentAdvance = levels ? estimate(kLevelIndent) : 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        RowWidth& r = m_rowWidths[i];
        // A heading cp932 cannot hold is rare: it is measured as it stands.
        if (r.estimate < 0)
            r.estimate =
                (entries[i].utf8.empty() ? estimate(entries[i].text)
                                         : fm.horizontalAdvance(QString::fromStdString(entries[i].utf8))) +
                indentAdvance * static_cast<double>(LevelIndentBytes(entries[i], levels) / 2);
        most = std::max(most, r.estimate);
    }
    // The candidates are measured as the list draws them: the style's size of a view item holds the text
    // and the margins drawn on either side of it, so the end of the widest one shows in full.
    QStyleOptionViewItem item;
    item.initFrom(this);
    item.rect = QRect();
    item.font = shown;
    item.fontMetrics = QFontMetrics(item.font);
    item.features = QStyleOptionViewItem::HasDisplay;
    item.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    item.textElideMode = textElideMode();
    item.widget = this;
    int w = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        RowWidth& r = m_rowWidths[i];
        if (r.estimate < most * 0.9 - 2) continue;
        if (r.exact < 0) {
            item.text = m_headings->displayText(static_cast<int>(i));
            r.exact = style()->sizeFromContents(QStyle::CT_ItemViewItem, &item, QSize(), this).width();
        }
        w = std::max(w, r.exact);
    }
    m_headings->setRowSize(QSize(w, 12));
}

}  // namespace oruvan
