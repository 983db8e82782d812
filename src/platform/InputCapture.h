// Input capture: our stand-in for system-wide low-level keyboard and mouse hooks. One object per
// main window serves single-key capture of the key pages and, later, macro recording; the hook
// mode says which use is active and so which window message an event becomes.
//
// Keyboard events are "sent": the key sink runs, on the UI thread, before the backend decides the
// event's fate. While the keyboard part is installed every keystroke is withheld from other
// programs and from our own controls, except Caps Lock, Num Lock and Scroll Lock, which keep their
// effect. Mouse events are only observed, never withheld; the window posts them on.
//
// Backends: X11 (a keyboard grab; platform/linux/x11), a Qt in-window fallback where X11 is not
// available (platform/capture/QtInputCapture.h) and a scripted one for tests
// (platform/capture/ScriptedInputCapture.h). makeInputCapture() picks one.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

enum class HookMode : int {
    None = 0,
    KeyboardSingleKey = 1,  // keyboard key page: capture one key
    KeyboardMacro = 4,      // keyboard page: macro recording
    MouseSingleKey = 16,    // mouse button page: capture one key
    MouseMacro = 64,        // mouse page: macro recording
};

// The event kind a keyboard event travels with (the window message's first parameter).
enum class KeyEventKind : uint32_t { KeyDown = 0x0100, KeyUp = 0x0101, SystemKeyDown = 0x0104, SystemKeyUp = 0x0105 };

constexpr bool isKeyPress(KeyEventKind kind) { return kind == KeyEventKind::KeyDown || kind == KeyEventKind::SystemKeyDown; }

enum class MouseEventKind : uint32_t {
    Move = 0x0200,
    LeftDown = 0x0201, LeftUp = 0x0202,
    RightDown = 0x0204, RightUp = 0x0205,
    MiddleDown = 0x0207, MiddleUp = 0x0208,
    Wheel = 0x020A,
    ExtraDown = 0x020B, ExtraUp = 0x020C,
};

// A keyboard event in the terms of the key tables: the Windows virtual-key code, and the hook
// flags (bit 0 extended key, bit 7 key up). Enter on the numeric pad is 0x0D with the extended flag.
struct CapturedKey {
    KeyEventKind kind = KeyEventKind::KeyDown;
    int virtualKey = 0;
    unsigned flags = 0;
    uint32_t time = 0;  // milliseconds, as the backend's clock gives them
};

namespace hookmsg {
constexpr uint32_t KeySingleKey = 0x0801;
constexpr uint32_t KeyMacro = 0x0803;
constexpr uint32_t KeyMacroMouse = 0x0804;
constexpr uint32_t MouSingleKey = 0x0810;
constexpr uint32_t MouMacro = 0x0812;
constexpr uint32_t MouMacroMouse = 0x0813;
}  // namespace hookmsg

// The message a keyboard event raises in a mode; 0 for none.
constexpr uint32_t keyMessageFor(HookMode mode) {
    switch (mode) {
    case HookMode::KeyboardSingleKey: return hookmsg::KeySingleKey;
    case HookMode::KeyboardMacro: return hookmsg::KeyMacro;
    case HookMode::MouseSingleKey: return hookmsg::MouSingleKey;
    case HookMode::MouseMacro: return hookmsg::MouMacro;
    default: return 0;
    }
}

// The message a mouse event raises in a mode; 0 for none (single-key capture ignores the mouse).
constexpr uint32_t mouseMessageFor(HookMode mode) {
    switch (mode) {
    case HookMode::KeyboardMacro: return hookmsg::KeyMacroMouse;
    case HookMode::MouseMacro: return hookmsg::MouMacroMouse;
    default: return 0;
    }
}

// Caps Lock, Num Lock and Scroll Lock keep working while the keyboard is captured.
constexpr bool passesCapture(int virtualKey) { return virtualKey == 0x14 || virtualKey == 0x90 || virtualKey == 0x91; }

class InputCapture {
public:
    using KeySink = std::function<void(uint32_t message, const CapturedKey& key)>;
    using MouseSink = std::function<void(uint32_t message, MouseEventKind kind)>;

    virtual ~InputCapture() = default;  // every backend's destructor calls remove()
    InputCapture() = default;
    InputCapture(const InputCapture&) = delete;
    InputCapture& operator=(const InputCapture&) = delete;

    void setKeySink(KeySink sink) { keySink_ = std::move(sink); }
    void setMouseSink(MouseSink sink) { mouseSink_ = std::move(sink); }

    // Removes whatever is installed, installs the keyboard part if wanted and the mouse part if
    // wanted, then takes the mode. false at once when a part cannot be installed; a keyboard part
    // installed in this call stays (and the mode is taken all the same, so it delivers).
    bool install(HookMode mode, bool keyboard, bool mouse);
    // Removes both parts; events stop at once. Safe to call from inside a sink.
    void remove();

    // The native window the capture serves (on X11 the main window's id). A backend whose grab
    // takes the focus from that window watches it, so that the user going elsewhere still ends
    // the capture.
    virtual void setOwnerWindow(uintptr_t window) { (void)window; }
    // True while the window's loss of activation is the backend's own doing: the X server reports
    // a keyboard grab to the focused window as the focus leaving it.
    virtual bool explainsDeactivation() const { return false; }

    HookMode mode() const { return mode_; }
    bool keyboardInstalled() const { return keyboard_; }
    bool mouseInstalled() const { return mouse_; }
    // The time of the event being delivered (or last delivered), in milliseconds of the backend's
    // event clock (the X server's on X11); 0 when the backend gives none. Pauses between events
    // measured on it do not include the time the events took to reach us.
    uint32_t lastEventTime() const { return lastEventTime_; }

protected:
    virtual bool startKeyboard() = 0;
    virtual void stopKeyboard() = 0;
    virtual bool startMouse() = 0;
    virtual void stopMouse() = 0;

    // Backends hand every event to these, on the UI thread, in order. deliverKey answers whether
    // the event is withheld from everyone else.
    bool deliverKey(const CapturedKey& key);
    void deliverMouse(MouseEventKind kind, uint32_t time = 0);

private:
    HookMode mode_ = HookMode::None;
    bool keyboard_ = false;
    bool mouse_ = false;
    uint32_t lastEventTime_ = 0;
    KeySink keySink_;
    MouseSink mouseSink_;
};

// The backend for this session: X11 when the program runs on an X server, else the Qt fallback.
// Needs the application object; UI thread only.
std::unique_ptr<InputCapture> makeInputCapture();
