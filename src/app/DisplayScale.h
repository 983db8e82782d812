// Scales a window built at 100 % (fixed sizes, positions inside absolute-placement boxes, fonts)
// to another display scale. The sizes at 100 % are taken when the scaler is made, so changing the
// scale back and forth never drifts. UI thread only.
#pragma once

#include <QFont>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <vector>

class QWidget;

class DisplayScaler {
public:
    explicit DisplayScaler(QWidget* window);
    void apply(int percent);

private:
    struct Base {
        QPointer<QWidget> widget;
        QSize minimum, maximum;
        QRect geometry;        // for children placed by position
        bool placed = false;
        QFont font;
        bool ownFont = false;
    };
    std::vector<Base> bases_;
};
