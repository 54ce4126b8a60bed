#pragma once
// A splitter whose bar carries a grip of raised dots so it can be found, and which resizes the pane
// before the bar the way the main window expects: a line follows the pointer while dragging, the
// panes change on release, a pane dragged down to MinSize snaps shut, the pane after the bar keeps at
// least MinSize, and Escape abandons the drag.
#include <QSplitter>
#include <vector>

class QRubberBand;

namespace oruvan {

class GripHandle;

class GripSplitter : public QSplitter {
    Q_OBJECT
    Q_PROPERTY(int PatternWidth READ PatternWidth WRITE SetPatternWidth)
    Q_PROPERTY(int MinSize READ MinSize WRITE SetMinSize)
    Q_PROPERTY(bool AutoSnap READ AutoSnap WRITE SetAutoSnap)

public:
    // Where the bar stands in its parent; an upright bar is left or right, a lying one top or bottom.
    enum class GripAlignment { Left, Right, Top, Bottom, None };
    struct GripPixel {
        int x;
        int y;
        bool white;  // the lit pixel of a dot; the other one is its black shadow
    };
    // The grip of a w x h bar with a pattern p long, clipped to the bar, in drawing order.
    static std::vector<GripPixel> GripDots(int w, int h, int p, GripAlignment alignment);

    explicit GripSplitter(QWidget* parent = nullptr);
    explicit GripSplitter(Qt::Orientation orientation, QWidget* parent = nullptr);

    // Takes effect at the next repaint.
    int PatternWidth() const { return m_patternWidth; }
    void SetPatternWidth(int width) { m_patternWidth = width; }
    int MinSize() const { return m_minSize; }
    void SetMinSize(int size) { m_minSize = size; }
    bool AutoSnap() const { return m_autoSnap; }
    void SetAutoSnap(bool on) { m_autoSnap = on; }

    // The width (height, for a vertical splitter) of the first pane; 0 when snapped shut.
    int firstPaneWidth() const;
    // Sets it exactly, even below the pane's own minimum size hint; the second pane makes up the difference.
    void setFirstPaneWidth(int width);

    bool isDragging() const { return m_dragging; }

Q_SIGNALS:
    // A drag changed the panes (not emitted for setFirstPaneWidth or setSizes).
    void resized();

protected:
    QSplitterHandle* createHandle() override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void childEvent(QChildEvent* e) override;

private:
    friend class GripHandle;
    void beginDrag(int handleIndex, int pos);
    void dragTo(int pos);
    void endDrag();
    void cancelDrag();
    void stopDrag();
    void showDragLine(int pos);
    void applySize(int paneIndex, int size);
    int paneStart(int handleIndex) const;

    int m_patternWidth = 60;
    int m_minSize = 60;
    bool m_autoSnap = true;

    bool m_dragging = false;
    int m_dragHandle = 0;
    int m_dragStartPos = 0;
    int m_dragStartSize = 0;
    int m_dragLargest = 0;
    int m_dragSize = 0;
    QRubberBand* m_dragLine = nullptr;
    bool m_addingDragLine = false;
};

}  // namespace oruvan
