#include "platform/InputCapture.h"

bool InputCapture::install(HookMode mode, bool keyboard, bool mouse) {
    remove();
    // The mode comes first so that a keyboard part kept after a failed mouse part delivers.
    mode_ = mode;
    if (keyboard) {
        if (!startKeyboard()) return false;
        keyboard_ = true;
    }
    if (mouse) {
        if (!startMouse()) return false;
        mouse_ = true;
    }
    return true;
}

void InputCapture::remove() {
    if (keyboard_) stopKeyboard();
    if (mouse_) stopMouse();
    keyboard_ = mouse_ = false;
    mode_ = HookMode::None;
}

bool InputCapture::deliverKey(const CapturedKey& key) {
    if (!keyboard_) return false;
    lastEventTime_ = key.time;
    const uint32_t message = keyMessageFor(mode_);
    // A copy: the sink may remove or reinstall, which must not pull the callable from under us.
    if (message != 0 && keySink_) {
        const KeySink sink = keySink_;
        sink(message, key);
    }
    return !passesCapture(key.virtualKey);
}

void InputCapture::deliverMouse(MouseEventKind kind, uint32_t time) {
    if (!mouse_) return;
    lastEventTime_ = time;
    const uint32_t message = mouseMessageFor(mode_);
    if (message != 0 && mouseSink_) {
        const MouseSink sink = mouseSink_;
        sink(message, kind);
    }
}
