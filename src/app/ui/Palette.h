// Our colour palette: a hue/saturation field with a value strip beside it. The user picks by
// pressing and dragging (committed on release), with the keys or through assistive technology
// (each step commits); the program sets the selected colour without a commit.
//
// Keys: Left/Right hue -/+1 degree, Up/Down saturation +/-5, Page Up/Page Down value +/-5.
#pragma once

#include "app/ui/Ui.h"

#include <QImage>
#include <QWidget>

namespace ui {

class ColourPalette : public QWidget {
    Q_OBJECT
public:
    explicit ColourPalette(QWidget* parent = nullptr);

    Argb colour() const { return colour_; }
    void setColour(Argb colour);  // exact: colour() gives it back unchanged

    // As a person's pick: a commit (colourPicked) when the colour changed.
    void pick(Argb colour);
    // A step from the current colour: hue in degrees (going round), saturation and value in
    // 0..255 units (held at the ends). Commits like a pick.
    void step(int hue, int saturation, int value);
    // What the colour is, for people who cannot see it: "#0199CB (1, 153, 203)".
    QString describe() const;

    // Where things are, for painting and for tests that point at a colour.
    QRect fieldRect() const;
    QRect stripRect() const;
    // The colour under a point of the field at the current value (alpha 0xFF).
    Argb colourAtField(const QPoint& pos) const;

    QSize sizeHint() const override { return {200, 120}; }

signals:
    void colourPicked();  // the user committed a colour different from the one before

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    enum class Drag { None, Field, Strip };
    void pickAt(const QPoint& pos);
    void setHsv(int hue, int saturation, int value);
    void commitIfChanged(Argb before);
    void colourShown();  // repaint, and tell assistive technology

    int hue_ = 0;           // 0..359
    int saturation_ = 0;    // 0..255
    int value_ = 255;       // 0..255
    Argb colour_ = 0xFFFFFFFFu;
    Drag drag_ = Drag::None;
    Argb colourAtPress_ = 0;
    QImage field_;          // hue/saturation at full value, rebuilt on resize
};

}  // namespace ui
