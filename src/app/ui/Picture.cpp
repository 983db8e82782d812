#include "app/ui/Picture.h"

#include "app/ui/OverlaySurface.h"

#include <QEvent>
#include <QPainter>

namespace ui {

PictureUI::PictureUI(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::TabFocus);
}

void PictureUI::setOverlayColor(Argb colour) {
    if (overlayColor_ == colour) return;
    overlayColor_ = colour;
    if (overlayAlpha_ > 0) repaintOverlay();
}

void PictureUI::setOverlayAlpha(int alpha) {
    alpha = std::clamp(alpha, 0, 255);
    if (overlayAlpha_ == alpha) return;
    overlayAlpha_ = alpha;
    repaintOverlay();
}

bool PictureUI::setOverlay(Argb colour, int alpha, bool repaint) {
    alpha = std::clamp(alpha, 0, 255);
    const bool shows = alpha != overlayAlpha_ || (alpha > 0 && ((colour ^ overlayColor_) & 0x00FFFFFFu) != 0);
    overlayColor_ = colour;
    overlayAlpha_ = alpha;
    if (shows && repaint && isVisible()) repaintOverlay();
    return shows;
}

void PictureUI::setSurface(OverlaySurface* surface) { surface_ = surface; }

void PictureUI::repaintOverlay() {
    if (surface_) surface_->overlayChanged(geometry());
    else update();
}

// Beneath a surface, Qt does not repaint the picture: the surface shows it.
void PictureUI::repaintAll() {
    if (surface_) surface_->beneathChanged(geometry());
    else update();
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
    paintBase(painter);
    if (!composing || !surface_) paintOverlayAndCaption(painter, devicePixelRatioF());
}

void PictureUI::paintBase(QPainter& painter) {
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
}

void PictureUI::paintOverlayAndCaption(QPainter& painter, qreal ratio) {
    const QRect r = rect();
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
    repaintAll();
    emit entered();
}

void PictureUI::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    hot_ = false;
    repaintAll();
    emit left();
}

void PictureUI::changeEvent(QEvent* event) {
    QAbstractButton::changeEvent(event);
    const auto type = event->type();
    if (type == QEvent::FontChange || type == QEvent::PaletteChange || type == QEvent::EnabledChange ||
        type == QEvent::StyleChange)
        repaintAll();
}

void PictureUI::moveEvent(QMoveEvent* event) {
    QAbstractButton::moveEvent(event);
    if (surface_) surface_->picturesMoved();
}

void PictureUI::resizeEvent(QResizeEvent* event) {
    QAbstractButton::resizeEvent(event);
    if (surface_) surface_->picturesMoved();
}

}  // namespace ui
