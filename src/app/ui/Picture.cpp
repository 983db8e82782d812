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

void PictureUI::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect r = rect();
    if (looks.bkColor != 0) painter.fillRect(r, QColor::fromRgba(looks.bkColor));
    paintImage(painter, r, hot_ && !looks.hotImage.isEmpty() ? looks.hotImage : looks.bkImage);
    paintImage(painter, r, looks.image);
    if (overlayAlpha_ > 0) {
        QColor overlay = QColor::fromRgb(overlayColor_ & 0x00FFFFFFu);
        overlay.setAlpha(overlayAlpha_);
        painter.fillRect(r, overlay);
    }
    if (!text().isEmpty()) paintText(painter, r);
}

void PictureUI::paintText(QPainter& painter, const QRect& r) {
    painter.setPen(palette().color(QPalette::ButtonText));
    const QString caption = text();
    if (caption.contains(u'&')) {  // a mnemonic: drawn the general way
        painter.drawText(r, int(looks.align) | Qt::TextShowMnemonic, caption);
        return;
    }
    if (caption != captionText_ || font() != captionFont_) {
        captionText_ = caption;
        captionFont_ = font();
        caption_.setText(caption);
        caption_.setTextFormat(Qt::PlainText);
        caption_.prepare(QTransform(), font());
    }
    painter.setFont(font());
    const QSizeF size = caption_.size();
    const Qt::Alignment a = looks.align;
    const qreal x = a & Qt::AlignLeft ? r.left() : a & Qt::AlignRight ? r.right() + 1 - size.width()
                                                                       : r.left() + (r.width() - size.width()) / 2;
    const qreal y = a & Qt::AlignTop ? r.top() : a & Qt::AlignBottom ? r.bottom() + 1 - size.height()
                                                                      : r.top() + (r.height() - size.height()) / 2;
    painter.drawStaticText(QPointF(x, y), caption_);
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
