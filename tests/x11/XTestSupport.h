// Shared by the X11 tests: a connection to the test display, and key taps faked with XTest.
#pragma once

#include <chrono>
#include <thread>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace xtest {

// Xvfb now and then resets a connection made just after another one closed: try again.
inline Display* openDisplay() {
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (Display* display = XOpenDisplay(nullptr)) return display;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return nullptr;
}

// Presses and releases the key, as the keyboard would; returns once the server has both.
inline void tapKey(Display* display, KeySym symbol) {
    const KeyCode code = XKeysymToKeycode(display, symbol);
    XTestFakeKeyEvent(display, code, True, 0);
    XTestFakeKeyEvent(display, code, False, 0);
    XSync(display, False);
}

}  // namespace xtest
