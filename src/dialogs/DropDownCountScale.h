#pragma once
// The drop-down count of the settings dialog: a marker dragged with the left button along a scale, the
// number centred above it. The part spans the dialog's width, so a count handed in outside the scale's
// range still shows where it falls, left of the scale or beyond it.
#include <QWidget>

class QFrame;
class QLabel;

namespace oruvan {

class DropDownCountScale : public QWidget {
    Q_OBJECT
public:
    explicit DropDownCountScale(QWidget* parent = nullptr);

    int Value() const;
    void SetValue(int value);

    QLabel* number = nullptr;  // above the marker
    QFrame* scale = nullptr;
    QLabel* marker = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void markerPressed(Qt::MouseButton button);
    void markerMoved(int x);
    void markerReleased();
    void showNumber(int value, int markerLeft);

    bool m_markerDragging = false;
};

}  // namespace oruvan
