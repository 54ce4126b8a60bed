#pragma once
// Draws an item's text with some runs of it highlighted, the runs given by the model (a QList<int> of
// start and length pairs under one role). Items without runs are drawn as the plain delegate draws them,
// and the item's text stays what the model gives, for assistive technology among others.
#include <QStyledItemDelegate>

namespace oruvan {

class HighlightDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    HighlightDelegate(int runsRole, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    int m_runsRole;
};

}  // namespace oruvan
