#include "app/ui/Picture.h"

#include <QPainter>

namespace ui {

PictureUI::PictureUI(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::TabFocus);
}

void PictureUI::setOverlayColor(Argb colour) {
    if (overlayColor_ == colour) return;
    overlayColor_ = colour;
    if (overlayAlpha_ > 0) update();
}

void PictureUI::setOverlayAlpha(int alpha) {
    alpha = std::clamp(alpha, 0, 255);
    if (overlayAlpha_ == alpha) return;
    overlayAlpha_ = alpha;
    update();
}

bool PictureUI::setOverlay(Argb colour, int alpha, bool repaint) {
    alpha = std::clamp(alpha, 0, 255);
    const bool shows = alpha != overlayAlpha_ || (alpha > 0 && ((colour ^ overlayColor_) & 0x00FFFFFFu) != 0);
    overlayColor_ = colour;
    overlayAlpha_ = alpha;
    if (shows && repaint && isVisible()) update();
    return shows;
}

QSize PictureUI::sizeHint() const {
    const QPixmap pixmap = skinPixmap(looks.bkImage);
    return pixmap.isNull() ? QSize(16, 16) : pixmap.size();
}

// While lighting runs, every key picture repaints up to the effect's frame rate: what does not
// change with the overlay (background, images, caption) is drawn once into pixmaps and reused
// until the look, the size or the caption changes.
void PictureUI::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect r = rect();
    const qreal ratio = devicePixelRatioF();
    const QString& background = hot_ && !looks.hotImage.isEmpty() ? looks.hotImage : looks.bkImage;
    if (base_.size != r.size() || base_.ratio != ratio || base_.bkColor != looks.bkColor ||
        base_.background != background || base_.image != looks.image) {
        base_ = {r.size(), ratio, looks.bkColor, background, looks.image, layer(r.size(), ratio)};
        QPainter p(&base_.pixmap);
        if (looks.bkColor != 0) p.fillRect(r, QColor::fromRgba(looks.bkColor));
        paintImage(p, r, background);
        paintImage(p, r, looks.image);
    }
    painter.drawPixmap(0, 0, base_.pixmap);
    if (overlayAlpha_ > 0) {
        QColor overlay = QColor::fromRgb(overlayColor_ & 0x00FFFFFFu);
        overlay.setAlpha(overlayAlpha_);
        painter.fillRect(r, overlay);
    }
    const QString caption = text();
    if (caption.isEmpty()) return;
    const QColor pen = palette().color(QPalette::ButtonText);
    if (caption_.size != r.size() || caption_.ratio != ratio || caption_.text != caption || caption_.font != font() ||
        caption_.pen != pen || caption_.align != looks.align) {
        caption_ = {r.size(), ratio, caption, font(), pen, looks.align, layer(r.size(), ratio)};
        QPainter p(&caption_.pixmap);
        p.setPen(pen);
        p.setFont(font());
        p.drawText(r, int(looks.align) | Qt::TextShowMnemonic, caption);
    }
    painter.drawPixmap(0, 0, caption_.pixmap);
}

QPixmap PictureUI::layer(const QSize& size, qreal ratio) {
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void PictureUI::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    hot_ = true;
    update();
    emit entered();
}

void PictureUI::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    hot_ = false;
    update();
    emit left();
}

}  // namespace ui
