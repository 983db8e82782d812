// The test backend: tests play key and mouse events into it and see what the rest of the desktop
// would have received. Installing can be scripted to fail.
#pragma once

#include <vector>

#include "platform/InputCapture.h"

class ScriptedInputCapture : public InputCapture {
public:
    ~ScriptedInputCapture() override { remove(); }

    // A keyboard event; answers whether it was withheld. Without the keyboard part installed the
    // event goes where it would go anyway (recorded in passedKeys()).
    bool key(KeyEventKind kind, int virtualKey, unsigned flags = 0);
    bool press(int virtualKey, unsigned flags = 0) { return key(KeyEventKind::KeyDown, virtualKey, flags); }
    bool release(int virtualKey, unsigned flags = 0) { return key(KeyEventKind::KeyUp, virtualKey, flags | 0x80u); }
    void mouse(MouseEventKind kind) { deliverMouse(kind); }

    // Virtual keys of the events that reached other programs, in order.
    const std::vector<int>& passedKeys() const { return passed_; }

    void failKeyboard(bool fail) { failKeyboard_ = fail; }
    void failMouse(bool fail) { failMouse_ = fail; }
    int keyboardInstalls() const { return keyboardInstalls_; }

protected:
    bool startKeyboard() override {
        if (failKeyboard_) return false;
        ++keyboardInstalls_;
        return true;
    }
    void stopKeyboard() override {}
    bool startMouse() override { return !failMouse_; }
    void stopMouse() override {}

private:
    std::vector<int> passed_;
    bool failKeyboard_ = false;
    bool failMouse_ = false;
    int keyboardInstalls_ = 0;
    uint32_t clock_ = 0;
};
