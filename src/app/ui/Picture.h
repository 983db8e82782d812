// An image area that reacts like a button: the key, LED and mouse-button pictures of the pages.
// It shows its background image (the hot image while the pointer is over it) and, on top, a
// colour overlay whose alpha the lighting code drives (0: no overlay).
#pragma once

#include "app/ui/Skin.h"

#include <QAbstractButton>
#include <QPixmap>
#include <QPointer>

namespace ui {

class OverlaySurface;

class PictureUI : public QAbstractButton, public Skinned {
    Q_OBJECT
public:
    explicit PictureUI(QWidget* parent = nullptr);

    // The overlay's red, green and blue come from colour; its alpha is overlayAlpha().
    void setOverlayColor(Argb colour);
    void setOverlayAlpha(int alpha);  // clamped to 0..255
    // Both at once; true when what shows changed (the colour does not show at alpha 0), and
    // then repainted unless the caller repaints itself.
    bool setOverlay(Argb colour, int alpha, bool repaint = true);
    Argb overlayColor() const { return overlayColor_; }
    int overlayAlpha() const { return overlayAlpha_; }
    bool isHot() const { return hot_; }

    QSize sizeHint() const override;

    // Pictures beneath an OverlaySurface are not painted by Qt: the surface shows their base
    // layer from its composite and paints overlay and caption itself.
    void paintOverlayAndCaption(QPainter& painter, qreal ratio);
    void setSurface(OverlaySurface* surface);
    // While a surface captures what lies beneath it, its pictures paint their base layer only.
    static inline bool composing = false;

signals:
    void entered();
    void left();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;


private:
    static QPixmap layer(const QSize& size, qreal ratio);
    void repaintOverlay();
    void repaintAll();
    void paintBase(QPainter& painter);

    Argb overlayColor_ = 0;
    int overlayAlpha_ = 0;
    struct BaseLayer {
        QSize size;
        qreal ratio = 0;
        Argb bkColor = 0;
        QString background, image;
        QPixmap pixmap;
    } base_;
    struct CaptionLayer {
        QSize size;
        qreal ratio = 0;
        QString text;
        QFont font;
        QColor pen;
        Qt::Alignment align;
        QPixmap pixmap;
    } caption_;
    bool hot_ = false;
    QPointer<OverlaySurface> surface_;
};

}  // namespace ui
