// The X11 backend of input capture. The keyboard part grabs the keyboard on the root window
// through a connection of its own (XGrabKeyboard): while it holds the grab the X server sends every
// key event to us alone, so no other program - and none of our own widgets - receives it.
//
// Caps Lock, Num Lock and Scroll Lock: the lock state lives in the server's keyboard state, which
// a grab does not bypass, so these keys keep their effect for every program while we hold the
// grab; we only see them go by. They are therefore not re-sent (XTest would toggle them twice).
//
// The grab can be refused for a moment (another client, or one of our own popups that is closing,
// still holds one); installing then keeps trying for about half a second and the key part counts
// as installed meanwhile. Key repeat reaches us as repeated presses without releases, as a
// keyboard hook sees it. Our own window sees the grab as a loss of focus; that loss does not end
// the capture, while the focus going to another window during the grab does.
//
// The mouse part (macro recording) listens to XInput 2 raw button events on the root window: they
// reach us whatever window the pointer is over and whoever grabs it, and they are only copies, so
// every click still goes where it was going. Without XInput 2.1 installing it fails. Keys and
// buttons carry the X server's event time.
#pragma once

#include <memory>

#include "platform/InputCapture.h"

class X11InputCapture : public InputCapture {
public:
    // A backend on its own connection to the display (nullptr: the default display); nothing when
    // the display cannot be opened.
    static std::unique_ptr<X11InputCapture> open(const char* display = nullptr);
    ~X11InputCapture() override;

    // Whether the server has granted the grab (false while a refused grab is being retried).
    bool grabbed() const;
    // Watches the window's focus: while we hold the grab, the focus moving to another window
    // (a click on another program, the window manager) ends the capture.
    void setOwnerWindow(uintptr_t window) override;
    bool explainsDeactivation() const override { return grabbed(); }

protected:
    bool startKeyboard() override;
    void stopKeyboard() override;
    bool startMouse() override;
    void stopMouse() override;

private:
    struct Impl;
    explicit X11InputCapture(std::unique_ptr<Impl> impl);
    void readEvents();
    void tryGrab();
    std::unique_ptr<Impl> impl_;
};
