// The input capture's mode handling (scripted backend) and the Qt in-window fallback: which
// message an event raises, what is withheld, and how Qt key events translate.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include "platform/capture/QtInputCapture.h"
#include "platform/capture/ScriptedInputCapture.h"

namespace {

void ensureApp() {
    static int argc = 1;
    static char name[] = "capture-test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QApplication(argc, argv);
}

struct Seen {
    std::vector<std::pair<uint32_t, int>> keys;
    std::vector<std::pair<uint32_t, MouseEventKind>> mouse;
};

void listen(InputCapture& capture, Seen& seen) {
    capture.setKeySink([&seen](uint32_t m, const CapturedKey& k) { seen.keys.push_back({m, k.virtualKey}); });
    capture.setMouseSink([&seen](uint32_t m, MouseEventKind k) { seen.mouse.push_back({m, k}); });
}

struct CountingWidget : QWidget {
    int presses = 0;
    void keyPressEvent(QKeyEvent*) override { ++presses; }
};

}  // namespace

TEST(InputCaptureModes, EachModeRaisesItsMessages) {
    ScriptedInputCapture capture;
    Seen seen;
    listen(capture, seen);
    const struct {
        HookMode mode;
        uint32_t key;
        uint32_t mouse;  // 0: none
    } modes[] = {{HookMode::KeyboardSingleKey, 0x0801, 0},
                 {HookMode::KeyboardMacro, 0x0803, 0x0804},
                 {HookMode::MouseSingleKey, 0x0810, 0},
                 {HookMode::MouseMacro, 0x0812, 0x0813}};
    for (const auto& m : modes) {
        SCOPED_TRACE(int(m.mode));
        seen = {};
        ASSERT_TRUE(capture.install(m.mode, true, true));
        EXPECT_TRUE(capture.press(0x41));
        capture.mouse(MouseEventKind::RightDown);
        EXPECT_EQ(seen.keys, (std::vector<std::pair<uint32_t, int>>{{m.key, 0x41}}));
        EXPECT_EQ(seen.mouse.size(), m.mouse ? 1u : 0u);
        if (m.mouse) {
            EXPECT_EQ(seen.mouse[0].first, m.mouse);
        }
    }
    // Only one user at a time: installing replaces the mode; removing stops delivery.
    capture.remove();
    seen = {};
    EXPECT_FALSE(capture.press(0x41));
    capture.mouse(MouseEventKind::LeftDown);
    EXPECT_TRUE(seen.keys.empty() && seen.mouse.empty());
}

TEST(InputCaptureModes, LocksPassAndFailedInstallsKeepWhatWasMade) {
    ScriptedInputCapture capture;
    Seen seen;
    listen(capture, seen);
    ASSERT_TRUE(capture.install(HookMode::KeyboardSingleKey, true, false));
    for (int lock : {0x14, 0x90, 0x91}) EXPECT_FALSE(capture.press(lock));
    EXPECT_EQ(seen.keys.size(), 3u) << "the page still sees the locks";

    // A mouse part that fails: false, and the keyboard part installed in that call stays and
    // delivers in the new mode.
    capture.failMouse(true);
    EXPECT_FALSE(capture.install(HookMode::KeyboardMacro, true, true));
    EXPECT_TRUE(capture.keyboardInstalled());
    EXPECT_FALSE(capture.mouseInstalled());
    seen = {};
    capture.press(0x42);
    ASSERT_EQ(seen.keys.size(), 1u);
    EXPECT_EQ(seen.keys[0].first, hookmsg::KeyMacro);

    capture.failKeyboard(true);
    EXPECT_FALSE(capture.install(HookMode::KeyboardSingleKey, true, false));
    EXPECT_FALSE(capture.keyboardInstalled());
}

TEST(QtKeyTranslation, NativeCodesFirstThenQtKeys) {
    ensureApp();
    const struct {
        int qtKey;
        Qt::KeyboardModifiers modifiers;
        quint32 native;  // X keycode, 0 where the platform has none
        QEvent::Type type;
        int vk;
        unsigned flags;
    } cases[] = {
        {Qt::Key_Enter, Qt::KeypadModifier, 104, QEvent::KeyPress, 0x0D, 0x01},  // numeric-pad Enter
        {Qt::Key_Return, Qt::NoModifier, 36, QEvent::KeyPress, 0x0D, 0x00},
        {Qt::Key_Control, Qt::ControlModifier, 37, QEvent::KeyPress, 0xA2, 0x00},  // left Ctrl
        {Qt::Key_Control, Qt::ControlModifier, 105, QEvent::KeyRelease, 0xA3, 0x81},  // right Ctrl up
        {Qt::Key_Enter, Qt::KeypadModifier, 0, QEvent::KeyPress, 0x0D, 0x01},  // offscreen: no native code
        {Qt::Key_5, Qt::KeypadModifier, 0, QEvent::KeyPress, 0x65, 0x00},
        {Qt::Key_Exclam, Qt::ShiftModifier, 0, QEvent::KeyPress, 0x31, 0x00},
        {Qt::Key_B, Qt::NoModifier, 0, QEvent::KeyRelease, 0x42, 0x80},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.vk);
        QKeyEvent event(c.type, c.qtKey, c.modifiers, c.native, 0, 0);
        const std::optional<CapturedKey> key = capturedKeyFromQt(event);
        ASSERT_TRUE(key.has_value());
        EXPECT_EQ(key->virtualKey, c.vk);
        EXPECT_EQ(key->flags, c.flags);
    }
    QKeyEvent repeatUp(QEvent::KeyRelease, Qt::Key_B, Qt::NoModifier, QString(), true);
    EXPECT_FALSE(capturedKeyFromQt(repeatUp).has_value());
    QKeyEvent altF4(QEvent::KeyPress, Qt::Key_F4, Qt::AltModifier);
    EXPECT_EQ(capturedKeyFromQt(altF4)->kind, KeyEventKind::SystemKeyDown);
}

TEST(QtInputCapture, WithholdsKeysFromOurWidgetsExceptTheLocks) {
    ensureApp();
    QtInputCapture capture;
    Seen seen;
    listen(capture, seen);
    CountingWidget widget;
    auto send = [&](int qtKey) {
        QKeyEvent event(QEvent::KeyPress, qtKey, Qt::NoModifier);
        QApplication::sendEvent(&widget, &event);
    };
    send(Qt::Key_A);
    EXPECT_EQ(widget.presses, 1);
    EXPECT_TRUE(seen.keys.empty()) << "nothing is captured before install";

    ASSERT_TRUE(capture.install(HookMode::KeyboardSingleKey, true, false));
    send(Qt::Key_A);
    send(Qt::Key_CapsLock);
    EXPECT_EQ(widget.presses, 2) << "A withheld, Caps Lock passed";
    EXPECT_EQ(seen.keys, (std::vector<std::pair<uint32_t, int>>{{0x0801, 0x41}, {0x0801, 0x14}}));

    capture.remove();
    send(Qt::Key_A);
    EXPECT_EQ(widget.presses, 3);
    EXPECT_EQ(seen.keys.size(), 2u);
}
