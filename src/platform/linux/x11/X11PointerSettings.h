// Plain X11: the pointer speed as the X server's pointer acceleration (XChangePointerControl),
// which `xset q` shows. Speed s accelerates by s/5 past 4 pixels, so 10 is the server's own
// default of 2/1. Pointers driven by libinput get the same speed as their "libinput Accel Speed"
// property, (s - 10) / 10, through XInput 2 where libXi is there. X has no wheel lines setting.
#pragma once

#include <string>

#include "platform/SystemSettings.h"

class X11PointerSettings : public SystemSettings {
public:
    // The display named by DISPLAY; opened for each change and closed again.
    std::string name() const override { return "x11"; }
    int setPointerSpeed(int speed) override;
    int setWheelLines(int) override { return NoSuchSetting; }

    static constexpr int kDenominator = 5;
    static constexpr int kThreshold = 4;
    // What the server holds now, mapped back onto 1..20; 0 when there is no display.
    static int currentSpeed();
};
