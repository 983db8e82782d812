#include "app/ui/Buttons.h"

#include <QPainter>
#include <QStyleOptionFocusRect>

namespace ui {

bool hasSkinnedFace(const Looks& looks) {
    return looks.bkColor != 0 || !looks.bkImage.isEmpty() || !looks.image.isEmpty() ||
           !looks.hotImage.isEmpty() || !looks.selectedImage.isEmpty();
}

QString stateImage(const QAbstractButton& button, const Looks& looks) {
    if (button.isChecked() && !looks.selectedImage.isEmpty()) return looks.selectedImage;
    if (button.underMouse() && button.isEnabled() && !looks.hotImage.isEmpty()) return looks.hotImage;
    return looks.image;
}

void paintButtonFace(QAbstractButton& button, const Looks& looks, const QString& image) {
    QPainter painter(&button);
    const QRect r = button.rect();
    paintBackground(painter, r, looks);
    paintImage(painter, r, image);
    if (!button.text().isEmpty()) {
        painter.setPen(button.palette().color(button.isEnabled() ? QPalette::Active : QPalette::Disabled,
                                              QPalette::ButtonText));
        painter.drawText(r, int(looks.align) | Qt::TextShowMnemonic, button.text());
    }
    if (button.hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(&button);
        button.style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, &button);
    }
}

SkinButton::SkinButton(QWidget* parent) : QPushButton(parent) {}

void SkinButton::paintEvent(QPaintEvent* event) {
    if (!hasSkinnedFace(looks)) return QPushButton::paintEvent(event);
    paintButtonFace(*this, looks, stateImage(*this, looks));
}

void SkinButton::enterEvent(QEnterEvent* event) {
    QPushButton::enterEvent(event);
    update();
}

void SkinButton::leaveEvent(QEvent* event) {
    QPushButton::leaveEvent(event);
    update();
}

bool SkinButton::hitButton(const QPoint& pos) const {
    return hasSkinnedFace(looks) ? rect().contains(pos) : QPushButton::hitButton(pos);
}

}  // namespace ui
