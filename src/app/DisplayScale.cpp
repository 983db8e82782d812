#include "app/DisplayScale.h"

#include <QLayout>
#include <QWidget>
#include <cmath>

namespace {

int scaled(int value, int percent) {
    if (value <= 0 || value >= QWIDGETSIZE_MAX) return value;
    return std::max(1, int(std::lround(value * percent / 100.0)));
}

QSize scaled(QSize size, int percent) { return {scaled(size.width(), percent), scaled(size.height(), percent)}; }

}  // namespace

DisplayScaler::DisplayScaler(QWidget* window) {
    auto take = [this](QWidget* w, bool top) {
        Base b;
        b.widget = w;
        b.minimum = w->minimumSize();
        b.maximum = w->maximumSize();
        b.geometry = w->geometry();
        b.placed = !top && w->parentWidget() && !w->parentWidget()->layout();
        b.font = w->font();
        b.ownFont = top || w->testAttribute(Qt::WA_SetFont);
        bases_.push_back(b);
    };
    take(window, true);
    for (QWidget* w : window->findChildren<QWidget*>()) take(w, false);
}

void DisplayScaler::apply(int percent) {
    for (const Base& b : bases_) {
        QWidget* w = b.widget;
        if (!w) continue;
        w->setMinimumSize(scaled(b.minimum, percent));
        w->setMaximumSize(scaled(b.maximum, percent));
        if (b.placed) {
            const QRect g = b.geometry;
            w->setGeometry(scaled(g.x(), percent), scaled(g.y(), percent), scaled(g.width(), percent),
                           scaled(g.height(), percent));
        }
        if (b.ownFont) {
            QFont font = b.font;
            if (font.pixelSize() > 0) font.setPixelSize(scaled(font.pixelSize(), percent));
            else if (font.pointSizeF() > 0) font.setPointSizeF(font.pointSizeF() * percent / 100.0);
            w->setFont(font);
        }
    }
    if (!bases_.empty() && bases_.front().widget) {
        QWidget* top = bases_.front().widget;
        if (QLayout* layout = top->layout()) layout->activate();
        top->update();
    }
}
