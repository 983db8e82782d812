// Macro recording on a real X server: keys are withheld as in key capture, mouse buttons are seen
// and still reach the window under the pointer, and pauses come from the server's event times.
#ifdef ZELKAR_HAVE_X11
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <cstdlib>

#include "macro/MacroRecorder.h"
#include "platform/linux/x11/X11InputCapture.h"
#include "x11/XTestSupport.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

TEST(X11MacroRecording, ButtonsAreSeenNotWithheldAndPausesUseServerTimes) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
    static int argc = 1;
    static char name[] = "x11-macro-test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QApplication(argc, argv);
    std::unique_ptr<X11InputCapture> capture = X11InputCapture::open();
    Display* other = xtest::openDisplay();
    if (!capture || !other) GTEST_SKIP() << "X display not reachable";
    // Another program's window under the pointer, counting the clicks it gets.
    const Window window = XCreateSimpleWindow(other, DefaultRootWindow(other), 0, 0, 60, 60, 0, 0, 0);
    XSelectInput(other, window, ButtonPressMask | KeyPressMask);
    XMapWindow(other, window);
    XSync(other, False);
    XSetInputFocus(other, window, RevertToParent, CurrentTime);
    XTestFakeMotionEvent(other, -1, 20, 20, 0);
    XSync(other, False);

    macro::MacroRecorder recorder;
    std::vector<macro::RecordedStep> steps;
    capture->setKeySink([&](uint32_t message, const CapturedKey& key) {
        EXPECT_EQ(message, hookmsg::KeyMacro);
        if (auto s = recorder.key(key.virtualKey, key.flags, (key.flags & 0x80) == 0, 0, key.time)) steps.push_back(*s);
    });
    capture->setMouseSink([&](uint32_t message, MouseEventKind kind) {
        EXPECT_EQ(message, hookmsg::KeyMacroMouse);
        if (auto s = recorder.mouse(uint32_t(kind), 0, capture->lastEventTime())) steps.push_back(*s);
    });
    ASSERT_TRUE(capture->install(HookMode::KeyboardMacro, true, true));
    QElapsedTimer timer;
    timer.start();
    while (!capture->grabbed() && timer.elapsed() < 2000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_TRUE(capture->grabbed());
    recorder.start(0, {.keyboard = true, .clicks = true});

    // A key, then the right button 30 ms (server time) after its release.
    const KeyCode b = XKeysymToKeycode(other, XK_b);
    XTestFakeKeyEvent(other, b, True, 0);
    XTestFakeKeyEvent(other, b, False, 0);
    XTestFakeButtonEvent(other, 3, True, 30);
    XTestFakeButtonEvent(other, 3, False, 0);
    XSync(other, False);
    timer.restart();
    while (steps.size() < 4 && timer.elapsed() < 3000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_EQ(steps.size(), 4u);
    EXPECT_EQ(steps[2].action.name, "mouse_key_right");
    EXPECT_EQ(steps[2].action.type, 0x81);
    EXPECT_GE(steps[2].pauseBeforeMs, 30);  // the server never delivers early; late only under load

    // The click went on to the window under the pointer; the key did not.
    XSync(other, False);
    int clicks = 0, keys = 0;
    XEvent event;
    while (XCheckWindowEvent(other, window, ButtonPressMask | KeyPressMask, &event))
        (event.type == ButtonPress ? clicks : keys)++;
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(keys, 0);
    capture->remove();
    XCloseDisplay(other);
}
#endif
