#include "platform/linux/x11/X11PointerSettings.h"

#include <X11/Xlib.h>
#ifdef ZELKAR_HAVE_XI
#include <X11/extensions/XInput2.h>
#endif

#include <algorithm>

namespace {

#ifdef ZELKAR_HAVE_XI
// Pointers driven by libinput ignore the core acceleration and take their speed, -1..1, from
// their "libinput Accel Speed" property. Sets it on every pointer that has one.
void setLibinputAccel(Display* display, float value) {
    int opcode = 0, event = 0, error = 0;
    if (!XQueryExtension(display, "XInputExtension", &opcode, &event, &error)) return;
    int major = 2, minor = 0;
    if (XIQueryVersion(display, &major, &minor) != Success) return;
    const Atom property = XInternAtom(display, "libinput Accel Speed", True);
    const Atom floatType = XInternAtom(display, "FLOAT", True);
    if (property == None || floatType == None) return;
    int count = 0;
    XIDeviceInfo* devices = XIQueryDevice(display, XIAllDevices, &count);
    for (int i = 0; devices && i < count; ++i) {
        if (devices[i].use != XISlavePointer) continue;
        Atom type = None;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        const int got = XIGetProperty(display, devices[i].deviceid, property, 0, 1, False, floatType, &type, &format,
                                      &items, &after, &data);
        if (got == Success && type == floatType && format == 32 && items == 1) {
            float speed = value;  // XI2 properties of format 32 are 32-bit values
            XIChangeProperty(display, devices[i].deviceid, property, floatType, 32, XIPropModeReplace,
                             reinterpret_cast<unsigned char*>(&speed), 1);
        }
        if (data) XFree(data);
    }
    if (devices) XIFreeDeviceInfo(devices);
}
#endif

}  // namespace

int X11PointerSettings::setPointerSpeed(int speed) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return Refused;
    const int s = std::clamp(speed, 1, 20);
    XChangePointerControl(display, True, True, s, kDenominator, kThreshold);
#ifdef ZELKAR_HAVE_XI
    setLibinputAccel(display, float(s - 10) / 10.0f);
#endif
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
