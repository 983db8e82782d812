// An image area that reacts like a button: the key, LED and mouse-button pictures of the pages.
// It shows its background image (the hot image while the pointer is over it) and, on top, a
// colour overlay whose alpha the lighting code drives (0: no overlay).
#pragma once

#include "app/ui/Skin.h"

#include <QAbstractButton>
#include <QStaticText>

namespace ui {

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

signals:
    void entered();
    void left();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void paintText(QPainter& painter, const QRect& r);

    Argb overlayColor_ = 0;
    // The caption laid out once (layout is most of a repaint's cost) until text or font change.
    QStaticText caption_;
    QString captionText_;
    QFont captionFont_;
    int overlayAlpha_ = 0;
    bool hot_ = false;
};

}  // namespace ui
