#include "platform/linux/x11/X11PointerSettings.h"

#include <X11/Xlib.h>

#include <algorithm>

int X11PointerSettings::setPointerSpeed(int speed) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return Refused;
    XChangePointerControl(display, True, True, std::clamp(speed, 1, 20), kDenominator, kThreshold);
    XSync(display, False);
    XCloseDisplay(display);
    return Applied;
}

int X11PointerSettings::currentSpeed() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 0;
    int numerator = 0, denominator = 1, threshold = 0;
    XGetPointerControl(display, &numerator, &denominator, &threshold);
    XCloseDisplay(display);
    if (denominator <= 0) return 0;
    return std::clamp((numerator * kDenominator + denominator / 2) / denominator, 1, 20);
}
