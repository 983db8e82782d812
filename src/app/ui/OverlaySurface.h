// The lighting preview changes the overlays of a hundred key pictures many times a second.
// Painted one by one, each would cost Qt's per-widget machinery plus the window background and
// the plate beneath it. One opaque surface over a container's pictures instead shows a captured
// composite of everything beneath it (backgrounds, plate, the pictures' images) and paints only
// the overlays and captions on top. The pictures stay real widgets underneath for the mouse,
// focus, tooltips and accessibility.
#pragma once

#include "app/ui/Skin.h"

#include <QPixmap>
#include <QPointer>
#include <QRegion>
#include <QWidget>

#include <vector>

namespace ui {

class PictureUI;

class OverlaySurface : public QWidget {
    Q_OBJECT
public:
    // The surface over the pictures of container, made on first use and fitted over them.
    static OverlaySurface* of(QWidget* container);

    // rect (container coordinates) changed its overlays and nothing else.
    void overlayChanged(const QRect& rect);
    // rect (container coordinates) beneath the surface looks different: captured again.
    void beneathChanged(const QRect& rect);
    void picturesMoved();
    // widget (or anything inside it) changed its look. Qt does not repaint what an opaque widget
    // covers, so whoever changes a look beneath a surface must say so.
    static void changed(QWidget* widget);
    int captures() const { return captures_; }
    ~OverlaySurface() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    explicit OverlaySurface(QWidget* container);
    void fit();
    bool changedBeneath() const;
    void capture(const QRegion& region);

    struct Shown {
        QPointer<PictureUI> picture;
        QRect geometry;
        bool hot = false;
        Argb bkColor = 0;
        QString bkImage, hotImage, image;
    };
    std::vector<Shown> shown_;
    QPixmap composite_;
    QRegion pending_;  // repaints asked for overlays only
    QRegion stale_;    // to capture again
    QPoint origin_;    // in the window, at the last capture
    QSize windowSize_;
    int captures_ = 0;
    static inline std::vector<OverlaySurface*> all_;
};

}  // namespace ui
