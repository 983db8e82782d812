#include "platform/linux/x11/X11InputCapture.h"

#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <optional>
#include <thread>

#include "keys/LinuxKeyMap.h"
#include "platform/DebugLog.h"

// Xlib after Qt: its macros (None, KeyPress, Bool, ...) would break Qt's headers.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace {
constexpr int kGrabAttempts = 20;
constexpr int kGrabRetryMs = 25;
constexpr int kOpenAttempts = 5;
constexpr int kOpenRetryMs = 10;
}  // namespace

struct X11InputCapture::Impl {
    Display* display = nullptr;
    Window root = 0;
    Window owner = 0;  // the window whose focus we watch; 0: none
    std::unique_ptr<QSocketNotifier> notifier;
    std::unique_ptr<QTimer> retry;
    int attemptsLeft = 0;
    bool wanted = false;
    bool grabbed = false;
    int xiOpcode = -1;  // XInput 2.1 or later; -1: none
    bool buttons = false;
};

namespace {

// Raw button numbers as the X server counts them: 1 left, 2 middle, 3 right, 4..7 the wheels,
// 8 back, 9 forward.
std::optional<MouseEventKind> mouseKindOfButton(int button, bool press) {
    switch (button) {
    case 1: return press ? MouseEventKind::LeftDown : MouseEventKind::LeftUp;
    case 2: return press ? MouseEventKind::MiddleDown : MouseEventKind::MiddleUp;
    case 3: return press ? MouseEventKind::RightDown : MouseEventKind::RightUp;
    case 4: case 5: case 6: case 7:
        if (press) return MouseEventKind::Wheel;
        return std::nullopt;
    case 8: case 9: return press ? MouseEventKind::ExtraDown : MouseEventKind::ExtraUp;
    default: return std::nullopt;
    }
}

void selectRawButtons(Display* display, Window root, bool on) {
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    if (on) {
        XISetMask(bits, XI_RawButtonPress);
        XISetMask(bits, XI_RawButtonRelease);
    }
    XIEventMask mask{XIAllMasterDevices, int(sizeof bits), bits};
    XISelectEvents(display, root, &mask, 1);
}

}  // namespace

std::unique_ptr<X11InputCapture> X11InputCapture::open(const char* displayName) {
    // A server may reset a connection made right after another client left (Xvfb does, now and
    // then); a few quick attempts tell that from a display that is not there.
    Display* display = nullptr;
    for (int attempt = 0; attempt < kOpenAttempts && !display; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(kOpenRetryMs));
        display = XOpenDisplay(displayName);
    }
    if (!display) return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->display = display;
    impl->root = DefaultRootWindow(display);
    // Held keys then repeat presses only, without the release X would otherwise put between them.
    Bool supported = False;
    XkbSetDetectableAutoRepeat(display, True, &supported);
    int event = 0, error = 0, major = 2, minor = 1;
    if (XQueryExtension(display, "XInputExtension", &impl->xiOpcode, &event, &error) &&
        XIQueryVersion(display, &major, &minor) == Success && (major > 2 || (major == 2 && minor >= 1))) {
        // raw events reach the root window from 2.1 on
    } else {
        impl->xiOpcode = -1;
    }
    return std::unique_ptr<X11InputCapture>(new X11InputCapture(std::move(impl)));
}

X11InputCapture::X11InputCapture(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {
    impl_->notifier = std::make_unique<QSocketNotifier>(ConnectionNumber(impl_->display), QSocketNotifier::Read);
    QObject::connect(impl_->notifier.get(), &QSocketNotifier::activated, [this] { readEvents(); });
    impl_->retry = std::make_unique<QTimer>();
    impl_->retry->setInterval(kGrabRetryMs);
    QObject::connect(impl_->retry.get(), &QTimer::timeout, [this] { tryGrab(); });
}

X11InputCapture::~X11InputCapture() {
    remove();
    impl_->notifier.reset();
    impl_->retry.reset();
    XCloseDisplay(impl_->display);
}

bool X11InputCapture::grabbed() const { return impl_->grabbed; }

void X11InputCapture::setOwnerWindow(uintptr_t window) {
    if (impl_->owner == Window(window)) return;
    impl_->owner = Window(window);
    // Another client may listen to a window's focus changes too; Qt's own selection is not touched.
    if (impl_->owner) XSelectInput(impl_->display, impl_->owner, FocusChangeMask);
    XFlush(impl_->display);
}

bool X11InputCapture::startKeyboard() {
    impl_->wanted = true;
    impl_->attemptsLeft = kGrabAttempts;
    tryGrab();
    return true;
}

void X11InputCapture::tryGrab() {
    if (!impl_->wanted || impl_->grabbed) return impl_->retry->stop();
    const int status = XGrabKeyboard(impl_->display, impl_->root, False, GrabModeAsync, GrabModeAsync, CurrentTime);
    if (status == GrabSuccess) {
        impl_->grabbed = true;
        impl_->retry->stop();
    } else if (--impl_->attemptsLeft > 0) {
        if (!impl_->retry->isActive()) impl_->retry->start();
    } else {
        impl_->retry->stop();
        debugLog("input capture: the X server refused the keyboard grab (status " + std::to_string(status) + ")");
    }
    XFlush(impl_->display);
    // The grab's round trip may have pulled events into Xlib's queue, where the socket notifier
    // would not see them.
    readEvents();
}

void X11InputCapture::stopKeyboard() {
    impl_->wanted = false;
    impl_->retry->stop();
    if (impl_->grabbed) XUngrabKeyboard(impl_->display, CurrentTime);
    impl_->grabbed = false;
    // A round trip: once this returns, the server has let the keyboard go, and the next key
    // reaches the focused window (a flush alone could let it overtake the release).
    XSync(impl_->display, False);
}

bool X11InputCapture::startMouse() {
    if (impl_->xiOpcode < 0) return false;
    selectRawButtons(impl_->display, impl_->root, true);
    impl_->buttons = true;
    XFlush(impl_->display);
    return true;
}

void X11InputCapture::stopMouse() {
    if (!impl_->buttons) return;
    impl_->buttons = false;
    selectRawButtons(impl_->display, impl_->root, false);
    XSync(impl_->display, False);
}

void X11InputCapture::readEvents() {
    while (XPending(impl_->display) > 0) {
        XEvent event;
        XNextEvent(impl_->display, &event);
        if (event.type == GenericEvent && event.xcookie.extension == impl_->xiOpcode) {
            XGenericEventCookie* cookie = &event.xcookie;
            if (!XGetEventData(impl_->display, cookie)) continue;
            std::optional<MouseEventKind> kind;
            uint32_t time = 0;
            if (impl_->buttons && (cookie->evtype == XI_RawButtonPress || cookie->evtype == XI_RawButtonRelease)) {
                const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
                kind = mouseKindOfButton(raw->detail, cookie->evtype == XI_RawButtonPress);
                time = uint32_t(raw->time);
            }
            XFreeEventData(impl_->display, cookie);
            if (kind) deliverMouse(*kind, time);
            continue;
        }
        if (event.type == FocusOut) {
            // Our own grab shows as mode NotifyGrab and is ignored. The focus moving while we hold
            // the grab (mode NotifyWhileGrabbed) is the user going elsewhere: capture ends, as it
            // does when the window is deactivated.
            const XFocusChangeEvent& focus = event.xfocus;
            if (impl_->grabbed && focus.window == impl_->owner && focus.mode == NotifyWhileGrabbed &&
                focus.detail != NotifyInferior && focus.detail != NotifyPointer) {
                remove();
                return;
            }
            continue;
        }
        if (event.type != KeyPress && event.type != KeyRelease) continue;
        if (!impl_->grabbed) continue;
        const XKeyEvent& key = event.xkey;
        const std::optional<keys::VirtualKey> vk = keys::virtualKeyFromX11Keycode(int(key.keycode));
        if (!vk) continue;  // withheld by the grab, but nothing the tables know
        const bool release = event.type == KeyRelease;
        // Windows reports keys pressed with Alt held (and Alt itself) as system keys.
        const bool alt = (key.state & Mod1Mask) != 0 || vk->code == 0xA4 || vk->code == 0xA5;
        CapturedKey captured;
        captured.kind = release ? (alt ? KeyEventKind::SystemKeyUp : KeyEventKind::KeyUp)
                                : (alt ? KeyEventKind::SystemKeyDown : KeyEventKind::KeyDown);
        captured.virtualKey = vk->code;
        captured.flags = keys::keyEventFlags(vk->extended, release);
        captured.time = uint32_t(key.time);
        deliverKey(captured);  // the grab already kept it from everyone else
    }
}
