// The program's own control classes that layouts may name: the ring progress, and the chart
// view and native-window host, which the program never fills and so behave as plain controls.
#pragma once

#include "app/ui/Skin.h"

#include <QWidget>

namespace ui {

// Degrees of the ring's filled arc: value / (maximum - minimum) of a full turn, cut to whole
// degrees. The value is not shifted by the minimum. An empty range gives 0.
int circleSweepDegrees(int minimum, int maximum, int value);

// Ring progress: the background colour as the track, the foreground colour as the filled arc
// from the bottom clockwise, and a white disc 10 pixels inside. Painted without anti-aliasing.
class CCircleProgressUI : public QWidget, public Skinned {
public:
    explicit CCircleProgressUI(QWidget* parent = nullptr);

    void setRange(int minimum, int maximum);
    void setValue(int value);
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    int value() const { return value_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int minimum_ = 0;
    int maximum_ = 100;
    int value_ = 0;
};

class CChartViewUI : public SkinWidget<QWidget> {
public:
    using SkinWidget::SkinWidget;
};

class CWndUI : public SkinWidget<QWidget> {
public:
    using SkinWidget::SkinWidget;
};

}  // namespace ui
