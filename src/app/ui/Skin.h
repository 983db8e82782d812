// What a skinned control looks like: background colour and images from the layout, drawn the
// same way by every control that paints itself.
#pragma once

#include "app/ui/Ui.h"

#include <QPixmap>
#include <QString>
#include <QWidget>

class QPainter;

namespace ui {

struct Looks {
    Argb bkColor = 0;          // 0: no background
    QString bkImage;           // image descriptions, resolved against the skin folder
    QString image;             // normal state
    QString hotImage;          // while the pointer is over the control
    QString selectedImage;     // selected options
    Argb foreColor = 0;
    Qt::Alignment align = Qt::AlignCenter;
};

// A widget that paints its Looks itself. The facade finds it by dynamic_cast.
class Skinned {
public:
    virtual ~Skinned() = default;
    Looks looks;
};

// The file an image description names: absolute paths stay, others are taken inside the skin
// folder. "" for an empty description.
QString resolveImagePath(const QString& description);
// The image, cached; a null pixmap (and one debug line per file) when it cannot be read.
QPixmap skinPixmap(const QString& description);

// Background colour, then the background image stretched over rect.
void paintBackground(QPainter& painter, const QRect& rect, const Looks& looks);
// One image stretched over rect; nothing for a missing image.
void paintImage(QPainter& painter, const QRect& rect, const QString& description);

// A Qt widget with a skinned background drawn beneath the widget's own painting. No Q_OBJECT:
// the widget keeps its Qt class name, so accessibility and qobject_cast see the base.
template <class Base>
class SkinWidget : public Base, public Skinned {
public:
    using Base::Base;

protected:
    void paintEvent(QPaintEvent* event) override;
};

void paintSkinBackground(QWidget& widget, const Looks& looks);

template <class Base>
void SkinWidget<Base>::paintEvent(QPaintEvent* event) {
    paintSkinBackground(*this, looks);
    Base::paintEvent(event);
}

}  // namespace ui
