#include "dialogs/DropDownCountScale.h"

#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <algorithm>

#include "settings/SettingDialogMath.h"

namespace oruvan {

namespace {

// Inside the part, whose left edge is the dialog's.
constexpr int kNumberTop = 0;
constexpr int kMarkerTop = 20;
constexpr int kFarOut = 10000;

}  // namespace

DropDownCountScale::DropDownCountScale(QWidget* parent) : QWidget(parent) {
    number = new QLabel(QStringLiteral("16"), this);
    number->setObjectName(QStringLiteral("countValue"));
    number->move(172, kNumberTop);
    QFont bold = font();
    bold.setBold(true);
    number->setFont(bold);
    number->adjustSize();

    scale = new QFrame(this);
    scale->setObjectName(QStringLiteral("countScale"));
    scale->setFrameShape(QFrame::HLine);
    scale->setFrameShadow(QFrame::Plain);
    scale->setLineWidth(1);
    scale->setGeometry(168, kMarkerTop, 237, 1);

    marker = new QLabel(QStringLiteral("△"), this);
    marker->setObjectName(QStringLiteral("countMarker"));
    marker->setGeometry(176, kMarkerTop, 12, 12);
    marker->setAlignment(Qt::AlignCenter);
    marker->setCursor(Qt::PointingHandCursor);
    marker->setToolTip(tr("左右にドラッグして数値変更"));
    marker->installEventFilter(this);
}

int DropDownCountScale::Value() const { return number->text().toInt(); }

void DropDownCountScale::SetValue(int value) {
    showNumber(value, MarkerLeftFor(value, scale->x(), scale->width(), marker->width()));
}

void DropDownCountScale::showNumber(int value, int markerLeft) {
    // A wild count from the settings file puts the marker far out of sight, but never at coordinates
    // the window system cannot take.
    markerLeft = std::clamp(markerLeft, -kFarOut, kFarOut);
    marker->move(markerLeft, marker->y());
    number->setText(QString::number(value));
    number->adjustSize();
    number->move(CentreLabelLeft(markerLeft, marker->width(), number->width()), number->y());
}

void DropDownCountScale::markerPressed(Qt::MouseButton button) {
    m_markerDragging = button == Qt::LeftButton;
}

void DropDownCountScale::markerReleased() { m_markerDragging = false; }

void DropDownCountScale::markerMoved(int x) {
    if (!m_markerDragging) return;
    const int scaleLeft = scale->x();
    const int scaleWidth = scale->width();
    const int left = ClampMarkerLeft(marker->x() + x, scaleLeft, scaleWidth, marker->width());
    showNumber(ValueForMarkerLeft(left, scaleLeft, scaleWidth, marker->width()), left);
}

bool DropDownCountScale::eventFilter(QObject* watched, QEvent* e) {
    if (watched == marker) {
        switch (e->type()) {
            case QEvent::MouseButtonPress:
                markerPressed(static_cast<QMouseEvent*>(e)->button());
                return true;
            case QEvent::MouseMove:
                markerMoved(static_cast<QMouseEvent*>(e)->position().toPoint().x());
                return true;
            case QEvent::MouseButtonRelease:
                markerReleased();
                return true;
            default:
                break;
        }
    }
    return QWidget::eventFilter(watched, e);
}

}  // namespace oruvan
