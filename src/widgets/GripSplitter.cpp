#include "widgets/GripSplitter.h"

#include <QApplication>
#include <QChildEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QSplitterHandle>
#include <algorithm>
#include <cstdint>

namespace oruvan {

// The bar between two panes: paints the grip and hands the drag to its splitter.
class GripHandle : public QSplitterHandle {
public:
    GripHandle(Qt::Orientation orientation, GripSplitter* owner)
        : QSplitterHandle(orientation, owner), m_owner(owner) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Window));
        const auto alignment = orientation() == Qt::Horizontal ? GripSplitter::GripAlignment::Left
                                                               : GripSplitter::GripAlignment::Top;
        for (const auto& px : GripSplitter::GripDots(width(), height(), m_owner->PatternWidth(), alignment)) {
            painter.setPen(px.white ? Qt::white : Qt::black);
            painter.drawPoint(px.x, px.y);
        }
    }

    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton) m_owner->beginDrag(m_owner->indexOf(this), along(e));
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (e->buttons() & Qt::LeftButton) m_owner->dragTo(along(e));
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton) m_owner->endDrag();
    }

private:
    // The pointer's position along the splitter, in the splitter's coordinates.
    int along(QMouseEvent* e) const {
        const QPoint p = mapToParent(e->position().toPoint());
        return orientation() == Qt::Horizontal ? p.x() : p.y();
    }

    GripSplitter* m_owner;
};

std::vector<GripSplitter::GripPixel> GripSplitter::GripDots(int w, int h, int p, GripAlignment alignment) {
    std::vector<GripPixel> out;
    const bool upright = alignment == GripAlignment::Left || alignment == GripAlignment::Right;
    const bool lying = alignment == GripAlignment::Top || alignment == GripAlignment::Bottom;
    if (!upright && !lying) return out;

    auto put = [&](std::int64_t x, std::int64_t y, bool white) {
        if (x >= 0 && x < w && y >= 0 && y < h) out.push_back({int(x), int(y), white});
    };
    // A dot is lit at its point with a black shadow below right.
    auto dot = [&](std::int64_t along, std::int64_t across) {
        if (upright) {
            put(across, along, true);
            put(across + 1, along + 1, false);
        } else {
            put(along, across, true);
            put(along + 1, across + 1, false);
        }
    };
    const std::int64_t length = upright ? h : w;
    const std::int64_t thickness = upright ? w : h;
    const std::int64_t first = (length - p) / 2;
    const std::int64_t stop = (length + p) / 2;
    const std::int64_t across = thickness / 2 - 3;
    // Dots wholly before or after the bar are skipped without changing the 3-pixel rhythm, so a
    // huge pattern costs no more than the bar's length.
    std::int64_t at = first;
    if (at < -1) at += (-1 - at + 2) / 3 * 3;
    const std::int64_t end = std::min(stop, length);
    for (; at < end; at += 3) {
        dot(at, across);
        dot(at, across + 3);
    }
    return out;
}

GripSplitter::GripSplitter(QWidget* parent) : GripSplitter(Qt::Horizontal, parent) {}

GripSplitter::GripSplitter(Qt::Orientation orientation, QWidget* parent) : QSplitter(orientation, parent) {
    setHandleWidth(4);
    setOpaqueResize(false);
    setChildrenCollapsible(true);
}

QSplitterHandle* GripSplitter::createHandle() { return new GripHandle(orientation(), this); }

int GripSplitter::firstPaneWidth() const { return count() > 0 ? sizes().value(0) : 0; }

void GripSplitter::setFirstPaneWidth(int width) {
    if (count() > 1) applySize(0, width);
}

int GripSplitter::paneStart(int handleIndex) const {
    const QWidget* bar = handle(handleIndex);
    const int barPos = orientation() == Qt::Horizontal ? bar->x() : bar->y();
    return barPos - sizes().value(handleIndex - 1);
}

void GripSplitter::beginDrag(int handleIndex, int pos) {
    if (m_dragging || handleIndex < 1 || handleIndex >= count()) return;
    const QWidget* pane = widget(handleIndex - 1);
    if (pane->isHidden() || !pane->isEnabled()) return;

    const QList<int> s = sizes();
    int used = 0;  // what the other panes and the visible bars take
    for (int i = 0; i < count(); ++i) {
        if (i != handleIndex - 1 && i != handleIndex) used += s.value(i);
        if (i > 0 && !handle(i)->isHidden())
            used += orientation() == Qt::Horizontal ? handle(i)->width() : handle(i)->height();
    }
    const int total = orientation() == Qt::Horizontal ? contentsRect().width() : contentsRect().height();
    m_dragging = true;
    m_dragHandle = handleIndex;
    m_dragStartPos = pos;
    m_dragStartSize = s.value(handleIndex - 1);
    m_dragSize = m_dragStartSize;
    m_dragLargest = total - m_minSize - used;
    qApp->installEventFilter(this);
    showDragLine(paneStart(handleIndex) + m_dragSize);
}

void GripSplitter::dragTo(int pos) {
    if (!m_dragging) return;
    std::int64_t size = std::int64_t{m_dragStartSize} + pos - m_dragStartPos;
    if (size < m_minSize)
        size = m_minSize;
    else if (size > m_dragLargest)
        size = m_dragLargest;
    if (m_autoSnap && size <= m_minSize) size = 0;
    m_dragSize = static_cast<int>(std::max<std::int64_t>(size, 0));
    showDragLine(paneStart(m_dragHandle) + m_dragSize);
}

void GripSplitter::endDrag() {
    if (!m_dragging) return;
    const int pane = m_dragHandle - 1;
    const int size = m_dragSize;
    stopDrag();
    // Compared with the pane as it is now, so a width set from outside since the last drag (the list
    // hidden from the menu, say) never makes a drag back to the old width a no-op.
    if (size == sizes().value(pane)) return;
    applySize(pane, size);
    emit resized();
}

void GripSplitter::cancelDrag() { stopDrag(); }

void GripSplitter::stopDrag() {
    m_dragging = false;
    if (m_dragLine) m_dragLine->hide();
    qApp->removeEventFilter(this);
}

// The line shows where the bar will stand; the panes keep their sizes until the release.
void GripSplitter::showDragLine(int pos) {
    if (!m_dragLine) {
        m_addingDragLine = true;
        m_dragLine = new QRubberBand(QRubberBand::Line, this);
        m_addingDragLine = false;
    }
    const QRect area = contentsRect();
    const int thickness = handleWidth();
    m_dragLine->setGeometry(orientation() == Qt::Horizontal ? QRect(pos, area.y(), thickness, area.height())
                                                            : QRect(area.x(), pos, area.width(), thickness));
    m_dragLine->show();
    m_dragLine->raise();
}

void GripSplitter::applySize(int paneIndex, int size) {
    size = std::max(size, 0);
    QList<int> s = sizes();
    const int next = paneIndex + 1;
    // The bar's MinSize is the only limit: a pane's own minimum size hint must not hold it open.
    for (int i : {paneIndex, next}) {
        QWidget* w = widget(i);
        if (orientation() == Qt::Horizontal && w->minimumWidth() == 0) w->setMinimumWidth(1);
        if (orientation() == Qt::Vertical && w->minimumHeight() == 0) w->setMinimumHeight(1);
    }
    // A zero would collapse the pane after the bar, and nothing here could bring it back.
    s[next] = std::max(1, s.value(paneIndex) + s.value(next) - size);
    s[paneIndex] = size;
    setSizes(s);
}

// QSplitter makes every child widget a pane; the drag line lies over the panes and is none of them.
void GripSplitter::childEvent(QChildEvent* e) {
    if (m_addingDragLine || (m_dragLine && e->child() == m_dragLine)) return;
    QSplitter::childEvent(e);
}

bool GripSplitter::eventFilter(QObject* watched, QEvent* e) {
    if (m_dragging && (e->type() == QEvent::KeyPress || e->type() == QEvent::ShortcutOverride) &&
        static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
        // Claiming the override keeps an Escape shortcut elsewhere from taking the key first.
        e->accept();
        if (e->type() == QEvent::KeyPress) cancelDrag();
        return true;
    }
    return QSplitter::eventFilter(watched, e);
}

}  // namespace oruvan
