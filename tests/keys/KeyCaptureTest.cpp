// Key capture: key events (Windows virtual-key codes, translated from Linux key codes) to the
// captured keyboard key.
#include <gtest/gtest.h>

#include <linux/input-event-codes.h>

#include <set>

#include "keys/KeyCodeTable.h"
#include "keys/KeyEditor.h"
#include "keys/LinuxKeyMap.h"

using namespace keys;

namespace {

struct Captured {
    bool accepted;
    std::string name;
    KeyFunction function;
};

Captured capture(int vk, unsigned flags) {
    EditorState state;
    const bool accepted = captureKey(vk, flags, state);
    return {accepted, state.capturedKeyName, state.capturedFunction};
}

// What capturing a key pressed on the Linux side gives.
Captured captureEvdev(int evdevCode, bool keyUp = false) {
    const std::optional<VirtualKey> vk = virtualKeyFromEvdev(evdevCode);
    if (!vk)
        return {false, {}, {}};
    return capture(vk->code, keyEventFlags(vk->extended, keyUp));
}

}  // namespace

TEST(KeyCapture, KeyboardKeysBecomeTheCapturedKey) {
    struct Case {
        int vk;
        unsigned flags;
        const char* name;
        KeyFunction function;
    };
    const Case cases[] = {
        {0x0D, 0x01, "keyboard_key_Num Enter", {0x20, 0x00, 0x58}},
        {0x0D, 0x81, "keyboard_key_Num Enter", {0x20, 0x00, 0x58}},
        {0x0D, 0x00, "keyboard_key_Enter", {0x20, 0x00, 0x28}},
        {0x0D, 0x80, "keyboard_key_Enter", {0x20, 0x00, 0x28}},
        {0xA2, 0x00, "keyboard_key_LCtrl", {0x20, 0x01, 0x00}},
        {0xA5, 0x01, "keyboard_key_RAlt", {0x20, 0x40, 0x00}},
        {0x41, 0x80, "keyboard_key_A", {0x20, 0x00, 0x04}},  // releases count as presses
        {0x5D, 0x01, "keyboard_key_App", {0x20, 0x00, 0x65}},
    };
    for (const Case& c : cases) {
        const Captured got = capture(c.vk, c.flags);
        EXPECT_TRUE(got.accepted) << c.name;
        EXPECT_EQ(got.name, c.name);
        EXPECT_EQ(got.function, c.function) << c.name;
    }
}

TEST(KeyCapture, OtherKeysChangeNothing) {
    EditorState state;
    ASSERT_TRUE(captureKey(0x42, 0, state));
    const EditorState before = state;
    for (int vk : {0xAF /* volume up: a media row */, 0x103 /* power: a system row */, 0x00, 0xE2, 0x7C, -1, 0x10000}) {
        EXPECT_FALSE(captureKey(vk, 0, state)) << vk;
        EXPECT_EQ(state, before) << vk;
    }
}

TEST(KeyCapture, LinuxKeysReachTheirRows) {
    struct Case {
        int evdev;
        const char* name;
    };
    const Case cases[] = {
        {KEY_KPENTER, "keyboard_key_Num Enter"}, {KEY_ENTER, "keyboard_key_Enter"},
        {KEY_RIGHTCTRL, "keyboard_key_RCtrl"},   {KEY_LEFTMETA, "keyboard_key_LWin"},
        {KEY_BACKSLASH, "keyboard_key_xiegang"}, {KEY_COMMA, "keyboard_key_<"},
        {KEY_SYSRQ, "keyboard_key_Print Scr"},   {KEY_KPDOT, "keyboard_key_Decimal"},
        {KEY_COMPOSE, "keyboard_key_App"},       {KEY_F12, "keyboard_key_F12"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(captureEvdev(c.evdev).name, c.name);
        EXPECT_EQ(captureEvdev(c.evdev, true).name, c.name) << "key up";
    }
    // Consumer keys translate but are not keyboard keys; keys without a row do not translate or
    // have no row.
    EXPECT_EQ(virtualKeyFromEvdev(KEY_VOLUMEUP), (VirtualKey{0xAF, true}));
    EXPECT_FALSE(captureEvdev(KEY_VOLUMEUP).accepted);
    EXPECT_FALSE(captureEvdev(KEY_102ND).accepted);
    EXPECT_EQ(virtualKeyFromEvdev(KEY_F24), std::nullopt);
    EXPECT_EQ(virtualKeyFromEvdev(-1), std::nullopt);
    EXPECT_EQ(virtualKeyFromEvdev(0x10000), std::nullopt);
    // X11 keycodes are evdev codes plus 8.
    EXPECT_EQ(virtualKeyFromX11Keycode(KEY_A + 8), (VirtualKey{0x41, false}));
    EXPECT_EQ(virtualKeyFromX11Keycode(7), std::nullopt);
    EXPECT_EQ(virtualKeyFromX11Keycode(0), std::nullopt);
}

TEST(KeyCapture, EveryKeyOfTheTableCanBePressedOnLinux) {
    // Each row a key event can reach (rows 0..121) is reached from some evdev code, and each evdev
    // code appears once.
    std::set<int> reached;
    std::set<int> codes;
    for (const EvdevKeyRow& row : evdevKeyTable()) {
        EXPECT_TRUE(codes.insert(row.evdevCode).second) << row.evdevCode;
        const int r = findKeyCodeRowByVirtualKey(
            keyEventVirtualKey(row.virtualKey.code, keyEventFlags(row.virtualKey.extended, false)));
        if (r >= 0)
            reached.insert(r);
    }
    // Row 121 repeats row 120 and is never the first match.
    for (int row = 0; row < 121; ++row)
        EXPECT_TRUE(reached.count(row)) << keyCodeTable()[std::size_t(row)].name;
}
