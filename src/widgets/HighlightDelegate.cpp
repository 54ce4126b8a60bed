#include "widgets/HighlightDelegate.h"

#include <QApplication>
#include <QPainter>
#include <QTextLayout>

namespace oruvan {

HighlightDelegate::HighlightDelegate(int runsRole, QObject* parent)
    : QStyledItemDelegate(parent), m_runsRole(runsRole) {}

void HighlightDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    const QList<int> runs = index.data(m_runsRole).value<QList<int>>();
    if (runs.size() < 2) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    // The text goes where the style would put it: its rectangle less the margin the style keeps.
    QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    textRect.adjust(margin, 0, -margin, 0);
    const QString text = opt.text;
    opt.text.clear();  // background, selection and focus frame without the text
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    QTextLayout layout(text, opt.font);
    QTextOption textOption;
    textOption.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(textOption);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    if (!line.isValid()) return;

    QList<QTextLayout::FormatRange> formats;
    for (int i = 0; i + 1 < runs.size(); i += 2) {
        QTextLayout::FormatRange range;
        range.start = runs[i];
        range.length = runs[i + 1];
        // Dark on a bright yellow reads on a selected row and on a plain one alike.
        range.format.setBackground(QColor(255, 214, 10));
        range.format.setForeground(QColor(Qt::black));
        formats << range;
    }
    const bool selected = opt.state & QStyle::State_Selected;
    const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (opt.state & QStyle::State_Active) ? QPalette::Active
                                                                            : QPalette::Inactive;
    painter->save();
    painter->setClipRect(textRect);
    painter->setPen(opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    const qreal y = textRect.top() + (textRect.height() - line.height()) / 2;
    layout.draw(painter, QPointF(textRect.left(), y), formats);
    painter->restore();
}

}  // namespace oruvan
