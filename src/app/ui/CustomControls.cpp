#include "app/ui/CustomControls.h"

#include <QPainter>

namespace ui {

int circleSweepDegrees(int minimum, int maximum, int value) {
    const long long range = static_cast<long long>(maximum) - minimum;
    if (range == 0) return 0;
    return static_cast<int>(value * 1.0 / static_cast<double>(range) * 360);
}

CCircleProgressUI::CCircleProgressUI(QWidget* parent) : QWidget(parent) {}

void CCircleProgressUI::setRange(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
    update();
}

void CCircleProgressUI::setValue(int value) {
    value_ = value;
    update();
}

void CCircleProgressUI::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    const QRect r = rect();
    painter.setBrush(QColor::fromRgba(looks.bkColor));
    painter.drawEllipse(r);

    // Qt counts angles counter-clockwise in sixteenths from 3 o'clock; the ring starts at the
    // bottom (-90 degrees) and grows clockwise (negative span).
    const int sweep = std::clamp(circleSweepDegrees(minimum_, maximum_, value_), -360, 360);
    if (sweep != 0) {
        painter.setBrush(QColor::fromRgba(looks.foreColor));
        painter.drawPie(r, -90 * 16, -sweep * 16);
    }
    const QRect inner = r.adjusted(10, 10, -10, -10);
    if (inner.width() > 0 && inner.height() > 0) {
        painter.setBrush(QColor::fromRgba(0xFFFFFFFFu));
        painter.drawEllipse(inner);
    }
}

}  // namespace ui
