// The X11 backend on a real X server (test.sh starts a private Xvfb; skipped without a display):
// while capturing, the keys go to us and not to the focused window of another client; the locks
// keep working; after removal the other client gets its keys again.
#ifdef ZELKAR_HAVE_X11
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <cstdlib>

#include "platform/linux/x11/X11InputCapture.h"
#include "x11/XTestSupport.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace {

void ensureApp() {
    static int argc = 1;
    static char name[] = "x11-capture-test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QApplication(argc, argv);
}

using xtest::openDisplay;

bool displayReachable() {
    if (!std::getenv("DISPLAY")) return false;
    Display* probe = openDisplay();
    if (probe) XCloseDisplay(probe);
    return probe != nullptr;
}

// Another program: a window that has the input focus and counts the key presses it gets.
struct OtherClient {
    Display* display = openDisplay();
    Window window = 0;
    OtherClient() {
        if (!display) return;
        window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 50, 50, 0, 0, 0);
        XSelectInput(display, window, KeyPressMask | KeyReleaseMask);
        XMapWindow(display, window);
        XSync(display, False);
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
        XSync(display, False);
    }
    ~OtherClient() {
        if (display) XCloseDisplay(display);
    }
    int presses() {
        int count = 0;
        XSync(display, False);
        XEvent event;
        while (XCheckWindowEvent(display, window, KeyPressMask | KeyReleaseMask, &event))
            if (event.type == KeyPress) ++count;
        return count;
    }
    void tap(KeySym symbol) { xtest::tapKey(display, symbol); }
};

template <typename Done>
bool pumpUntil(Done done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 2000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

}  // namespace

TEST(X11InputCapture, GrabWithholdsKeysFromOtherClientsAndTranslatesThem) {
    if (!displayReachable()) GTEST_SKIP() << "no X display";
    ensureApp();
    std::unique_ptr<X11InputCapture> capture = X11InputCapture::open();
    ASSERT_TRUE(capture);
    OtherClient other;
    ASSERT_TRUE(other.display);
    std::vector<std::pair<int, unsigned>> seen;
    capture->setKeySink([&](uint32_t message, const CapturedKey& key) {
        EXPECT_EQ(message, hookmsg::KeySingleKey);
        seen.push_back({key.virtualKey, key.flags});
    });

    other.tap(XK_b);
    EXPECT_EQ(other.presses(), 1) << "without capture the focused window gets the key";

    ASSERT_TRUE(capture->install(HookMode::KeyboardSingleKey, true, false));
    ASSERT_TRUE(pumpUntil([&] { return capture->grabbed(); }));
    other.tap(XK_b);
    other.tap(XK_KP_Enter);
    other.tap(XK_Control_R);
    ASSERT_TRUE(pumpUntil([&] { return seen.size() >= 6; }));
    EXPECT_EQ(seen, (std::vector<std::pair<int, unsigned>>{
                        {0x42, 0x00}, {0x42, 0x80}, {0x0D, 0x01}, {0x0D, 0x81}, {0xA3, 0x01}, {0xA3, 0x81}}));
    EXPECT_EQ(other.presses(), 0) << "the grab keeps the keys from the other client";

    // Caps Lock still toggles the lock for everyone (the server keeps that state), and is seen.
    auto capsLocked = [&] {
        XkbStateRec state;
        XkbGetState(other.display, XkbUseCoreKbd, &state);
        return (state.locked_mods & LockMask) != 0;
    };
    const bool locked = capsLocked();
    other.tap(XK_Caps_Lock);
    ASSERT_TRUE(pumpUntil([&] { return seen.size() >= 8; }));
    EXPECT_EQ(seen[6], (std::pair<int, unsigned>{0x14, 0x00}));
    EXPECT_NE(capsLocked(), locked);
    other.tap(XK_Caps_Lock);
    ASSERT_TRUE(pumpUntil([&] { return seen.size() >= 10; }));
    EXPECT_EQ(capsLocked(), locked);

    capture->remove();
    seen.clear();
    other.tap(XK_b);
    EXPECT_EQ(other.presses(), 1);
    QCoreApplication::processEvents();
    EXPECT_TRUE(seen.empty());
}
// The grab shows to the focused window as a loss of focus; for our own window that is not the
// user leaving. The focus moving to another window while we hold the grab is, and ends capture.
TEST(X11InputCapture, OwnGrabKeepsCaptureAndFocusElsewhereEndsIt) {
    if (!displayReachable()) GTEST_SKIP() << "no X display";
    ensureApp();
    std::unique_ptr<X11InputCapture> capture = X11InputCapture::open();
    ASSERT_TRUE(capture);
    OtherClient owner;  // stands for our main window: it has the focus
    ASSERT_TRUE(owner.display);
    capture->setOwnerWindow(uintptr_t(owner.window));
    capture->setKeySink([](uint32_t, const CapturedKey&) {});
    EXPECT_FALSE(capture->explainsDeactivation());

    ASSERT_TRUE(capture->install(HookMode::KeyboardSingleKey, true, false));
    ASSERT_TRUE(pumpUntil([&] { return capture->grabbed(); }));
    // Let the grab's focus-out reach the capture: it must not end anything.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 150) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_TRUE(capture->keyboardInstalled());
    EXPECT_TRUE(capture->explainsDeactivation());

    // Another program's window takes the focus (as a click and the window manager would do).
    const Window elsewhere = XCreateSimpleWindow(owner.display, DefaultRootWindow(owner.display), 60, 0, 50, 50, 0, 0, 0);
    XSelectInput(owner.display, elsewhere, KeyPressMask);
    XMapWindow(owner.display, elsewhere);
    XSync(owner.display, False);
    XSetInputFocus(owner.display, elsewhere, RevertToParent, CurrentTime);
    XSync(owner.display, False);
    ASSERT_TRUE(pumpUntil([&] { return !capture->keyboardInstalled(); }));
    EXPECT_FALSE(capture->grabbed());
    EXPECT_FALSE(capture->explainsDeactivation());

    // The keyboard is free again: the window with the focus gets its keys.
    owner.tap(XK_b);
    XEvent event;
    EXPECT_TRUE(XCheckWindowEvent(owner.display, elsewhere, KeyPressMask, &event));
}
#endif
