// The in-window fallback where X11 is not there (Wayland, offscreen): an event filter on the
// application takes the key events that reach the program's own windows. It cannot withhold keys
// from other programs (no desktop-wide grab exists for it), and sees keys only while one of our
// windows has the focus; within the program every captured key is consumed, shortcuts included,
// except Caps Lock, Num Lock and Scroll Lock. Mouse buttons are observed in our windows only.
#pragma once

#include <QObject>
#include <optional>

#include "keys/LinuxKeyMap.h"
#include "platform/InputCapture.h"

class QKeyEvent;

class QtInputCapture : public QObject, public InputCapture {
public:
    QtInputCapture() = default;
    ~QtInputCapture() override { remove(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool startKeyboard() override;
    void stopKeyboard() override;
    bool startMouse() override;
    void stopMouse() override;

private:
    void updateFilter();
    bool filtering_ = false;
    bool keys_ = false;
    bool mouse_ = false;
    // The pass-through key event being propagated to parents, so it is delivered once.
    const QEvent* passing_ = nullptr;
    unsigned long passingTime_ = 0;
};

// A Qt key event in the key tables' terms. The native scan code is used when it is an X keycode
// (xcb and Wayland report evdev + 8), which tells left from right modifiers and the numeric
// pad's Enter; otherwise the Qt key is mapped. Nothing for keys the tables have no use for and
// for auto-repeated releases (a held key repeats presses only, as a keyboard hook sees it).
std::optional<CapturedKey> capturedKeyFromQt(const QKeyEvent& event);

// The Qt key (Qt::Key) as a virtual key; keypad = the event carried Qt::KeypadModifier.
std::optional<keys::VirtualKey> virtualKeyFromQtKey(int qtKey, bool keypad);
