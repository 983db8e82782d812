#include "app/ui/Palette.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace ui {

namespace {

constexpr int kStripWidth = 16;
constexpr int kGap = 4;

Argb hsvColour(int hue, int saturation, int value) {
    return QColor::fromHsv(hue, saturation, value).rgb() | 0xFF000000u;
}

// Field x runs through the hues, y from full saturation (top) to none (bottom).
int hueAt(const QRect& field, int x) {
    if (field.width() <= 1) return 0;
    return std::clamp((x - field.left()) * 359 / (field.width() - 1), 0, 359);
}

int levelAt(const QRect& area, int y) {  // 255 at the top, 0 at the bottom
    if (area.height() <= 1) return 255;
    return std::clamp(255 - (y - area.top()) * 255 / (area.height() - 1), 0, 255);
}

}  // namespace

ColourPalette::ColourPalette(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setColour(0xFFFFFFFFu);
}

void ColourPalette::setColour(Argb colour) {
    colour_ = colour;
    int h = 0, s = 0, v = 0;
    QColor::fromRgba(colour).getHsv(&h, &s, &v);
    if (h >= 0) hue_ = h;  // grey has no hue: keep the last one
    saturation_ = s;
    value_ = v;
    colourShown();
}

void ColourPalette::pick(Argb colour) {
    const Argb before = colour_;
    setColour(colour);
    commitIfChanged(before);
}

void ColourPalette::step(int hue, int saturation, int value) {
    const Argb before = colour_;
    setHsv(((hue_ + hue) % 360 + 360) % 360, std::clamp(saturation_ + saturation, 0, 255),
           std::clamp(value_ + value, 0, 255));
    commitIfChanged(before);
}

QString ColourPalette::describe() const {
    const QColor c = QColor::fromRgb(colour_);
    return QStringLiteral("#%1 (%2, %3, %4)")
        .arg(colour_ & 0xFFFFFFu, 6, 16, QLatin1Char('0'))
        .toUpper()
        .arg(c.red())
        .arg(c.green())
        .arg(c.blue());
}

void ColourPalette::colourShown() {
    update();
    if (!QAccessible::isActive()) return;
    QAccessibleValueChangeEvent changed(this, int(colour_ & 0xFFFFFFu));
    QAccessible::updateAccessibility(&changed);
    QAccessibleEvent described(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&described);
}

QRect ColourPalette::fieldRect() const {
    return QRect(0, 0, std::max(1, width() - kStripWidth - kGap), std::max(1, height()));
}

QRect ColourPalette::stripRect() const {
    return QRect(std::max(0, width() - kStripWidth), 0, kStripWidth, std::max(1, height()));
}

Argb ColourPalette::colourAtField(const QPoint& pos) const {
    const QRect field = fieldRect();
    return hsvColour(hueAt(field, pos.x()), levelAt(field, pos.y()), value_);
}

void ColourPalette::setHsv(int hue, int saturation, int value) {
    hue_ = hue;
    saturation_ = saturation;
    value_ = value;
    colour_ = hsvColour(hue, saturation, value);
    colourShown();
}

void ColourPalette::commitIfChanged(Argb before) {
    if (colour_ != before) emit colourPicked();
}

void ColourPalette::pickAt(const QPoint& pos) {
    if (drag_ == Drag::Field) {
        const QRect field = fieldRect();
        setHsv(hueAt(field, pos.x()), levelAt(field, pos.y()), value_);
    } else if (drag_ == Drag::Strip) {
        setHsv(hue_, saturation_, levelAt(stripRect(), pos.y()));
    }
}

void ColourPalette::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    const QPoint pos = event->position().toPoint();
    drag_ = fieldRect().contains(pos) ? Drag::Field : stripRect().contains(pos) ? Drag::Strip : Drag::None;
    colourAtPress_ = colour_;
    pickAt(pos);
}

void ColourPalette::mouseMoveEvent(QMouseEvent* event) {
    pickAt(event->position().toPoint());
}

void ColourPalette::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || drag_ == Drag::None) return QWidget::mouseReleaseEvent(event);
    pickAt(event->position().toPoint());
    drag_ = Drag::None;
    commitIfChanged(colourAtPress_);
}

void ColourPalette::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Left: return step(-1, 0, 0);
    case Qt::Key_Right: return step(1, 0, 0);
    case Qt::Key_Up: return step(0, 5, 0);
    case Qt::Key_Down: return step(0, -5, 0);
    case Qt::Key_PageUp: return step(0, 0, 5);
    case Qt::Key_PageDown: return step(0, 0, -5);
    default: return QWidget::keyPressEvent(event);
    }
}

void ColourPalette::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    field_ = QImage();
}

void ColourPalette::paintEvent(QPaintEvent*) {
    const QRect field = fieldRect();
    if (field_.size() != field.size()) {
        field_ = QImage(field.size(), QImage::Format_RGB32);
        for (int y = 0; y < field.height(); ++y)
            for (int x = 0; x < field.width(); ++x)
                field_.setPixel(x, y, hsvColour(hueAt(field, x), levelAt(field, y), 255));
    }
    QPainter painter(this);
    painter.drawImage(field.topLeft(), field_);

    const QRect strip = stripRect();
    QLinearGradient ramp(strip.topLeft(), strip.bottomLeft());
    ramp.setColorAt(0, QColor::fromRgb(hsvColour(hue_, saturation_, 255)));
    ramp.setColorAt(1, Qt::black);
    painter.fillRect(strip, ramp);

    // Markers: a small ring on the field, a bar on the strip.
    const int x = field.left() + hue_ * (field.width() - 1) / 359;
    const int y = field.top() + (255 - saturation_) * (field.height() - 1) / 255;
    const int vy = strip.top() + (255 - value_) * (strip.height() - 1) / 255;
    painter.setPen(value_ > 128 ? Qt::black : Qt::white);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPoint(x, y), 4, 4);
    painter.drawRect(strip.left(), vy - 1, strip.width() - 1, 2);
    if (hasFocus()) painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace ui
