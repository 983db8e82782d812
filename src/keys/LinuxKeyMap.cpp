#include "keys/LinuxKeyMap.h"

#include <linux/input-event-codes.h>

#include <array>

namespace keys {

namespace {

constexpr EvdevKeyRow key(uint16_t evdev, uint16_t vk) { return {evdev, {vk, false}}; }
constexpr EvdevKeyRow extendedKey(uint16_t evdev, uint16_t vk) { return {evdev, {vk, true}}; }

constexpr std::array kEvdevKeyTable = {
    // modifiers
    key(KEY_LEFTCTRL, 0xA2), key(KEY_LEFTSHIFT, 0xA0), key(KEY_LEFTALT, 0xA4), extendedKey(KEY_LEFTMETA, 0x5B),
    extendedKey(KEY_RIGHTCTRL, 0xA3), key(KEY_RIGHTSHIFT, 0xA1), extendedKey(KEY_RIGHTALT, 0xA5),
    extendedKey(KEY_RIGHTMETA, 0x5C),
    // letters
    key(KEY_A, 0x41), key(KEY_B, 0x42), key(KEY_C, 0x43), key(KEY_D, 0x44), key(KEY_E, 0x45), key(KEY_F, 0x46),
    key(KEY_G, 0x47), key(KEY_H, 0x48), key(KEY_I, 0x49), key(KEY_J, 0x4A), key(KEY_K, 0x4B), key(KEY_L, 0x4C),
    key(KEY_M, 0x4D), key(KEY_N, 0x4E), key(KEY_O, 0x4F), key(KEY_P, 0x50), key(KEY_Q, 0x51), key(KEY_R, 0x52),
    key(KEY_S, 0x53), key(KEY_T, 0x54), key(KEY_U, 0x55), key(KEY_V, 0x56), key(KEY_W, 0x57), key(KEY_X, 0x58),
    key(KEY_Y, 0x59), key(KEY_Z, 0x5A),
    // digits
    key(KEY_1, 0x31), key(KEY_2, 0x32), key(KEY_3, 0x33), key(KEY_4, 0x34), key(KEY_5, 0x35), key(KEY_6, 0x36),
    key(KEY_7, 0x37), key(KEY_8, 0x38), key(KEY_9, 0x39), key(KEY_0, 0x30),
    // editing keys and punctuation
    key(KEY_ENTER, 0x0D), key(KEY_ESC, 0x1B), key(KEY_BACKSPACE, 0x08), key(KEY_TAB, 0x09), key(KEY_SPACE, 0x20),
    key(KEY_MINUS, 0xBD), key(KEY_EQUAL, 0xBB), key(KEY_LEFTBRACE, 0xDB), key(KEY_RIGHTBRACE, 0xDD),
    key(KEY_BACKSLASH, 0xDC), key(KEY_SEMICOLON, 0xBA), key(KEY_APOSTROPHE, 0xDE), key(KEY_GRAVE, 0xC0),
    key(KEY_COMMA, 0xBC), key(KEY_DOT, 0xBE), key(KEY_SLASH, 0xBF), key(KEY_CAPSLOCK, 0x14),
    key(KEY_102ND, 0xE2),  // the extra key beside left Shift: VK_OEM_102, which the table does not name
    // function keys
    key(KEY_F1, 0x70), key(KEY_F2, 0x71), key(KEY_F3, 0x72), key(KEY_F4, 0x73), key(KEY_F5, 0x74),
    key(KEY_F6, 0x75), key(KEY_F7, 0x76), key(KEY_F8, 0x77), key(KEY_F9, 0x78), key(KEY_F10, 0x79),
    key(KEY_F11, 0x7A), key(KEY_F12, 0x7B),
    // system and navigation keys
    extendedKey(KEY_SYSRQ, 0x2C), key(KEY_SCROLLLOCK, 0x91), key(KEY_PAUSE, 0x13), extendedKey(KEY_INSERT, 0x2D),
    extendedKey(KEY_HOME, 0x24), extendedKey(KEY_PAGEUP, 0x21), extendedKey(KEY_DELETE, 0x2E),
    extendedKey(KEY_END, 0x23), extendedKey(KEY_PAGEDOWN, 0x22), extendedKey(KEY_RIGHT, 0x27),
    extendedKey(KEY_LEFT, 0x25), extendedKey(KEY_DOWN, 0x28), extendedKey(KEY_UP, 0x26),
    extendedKey(KEY_COMPOSE, 0x5D),  // the menu key
    // numeric pad
    extendedKey(KEY_NUMLOCK, 0x90), extendedKey(KEY_KPSLASH, 0x6F), key(KEY_KPASTERISK, 0x6A),
    key(KEY_KPMINUS, 0x6D), key(KEY_KPPLUS, 0x6B), extendedKey(KEY_KPENTER, 0x0D), key(KEY_KP1, 0x61),
    key(KEY_KP2, 0x62), key(KEY_KP3, 0x63), key(KEY_KP4, 0x64), key(KEY_KP5, 0x65), key(KEY_KP6, 0x66),
    key(KEY_KP7, 0x67), key(KEY_KP8, 0x68), key(KEY_KP9, 0x69), key(KEY_KP0, 0x60), key(KEY_KPDOT, 0x6E),
    // consumer keys, by the HID consumer usage the kernel maps to each code
    extendedKey(KEY_CALC, 0xB7),          // AL Calculator 0x192: VK_LAUNCH_APP2
    extendedKey(KEY_HOMEPAGE, 0xAC),      // AC Home 0x223
    extendedKey(KEY_PLAYPAUSE, 0xB3),     // 0xCD
    extendedKey(KEY_SEARCH, 0xAA),        // AC Search 0x221
    extendedKey(KEY_MAIL, 0xB4),          // AL Email Reader 0x18A
    extendedKey(KEY_VOLUMEUP, 0xAF),      // 0xE9
    extendedKey(KEY_MUTE, 0xAD),          // 0xE2
    extendedKey(KEY_STOPCD, 0xB2),        // 0xB7
    extendedKey(KEY_VOLUMEDOWN, 0xAE),    // 0xEA
    extendedKey(KEY_BOOKMARKS, 0xAB),     // AC Bookmarks 0x22A
    extendedKey(KEY_FORWARD, 0xA7),       // AC Forward 0x225
    extendedKey(KEY_BACK, 0xA6),          // AC Back 0x224
    extendedKey(KEY_PREVIOUSSONG, 0xB1),  // 0xB6
    extendedKey(KEY_NEXTSONG, 0xB0),      // 0xB5
    extendedKey(KEY_FILE, 0xB6),          // AL Local Machine Browser 0x194: VK_LAUNCH_APP1
    extendedKey(KEY_COMPUTER, 0xB6),      // what some keyboards send for the same key
    extendedKey(KEY_REFRESH, 0xA8),       // AC Refresh 0x227
    extendedKey(KEY_STOP, 0xA9),          // AC Stop 0x226: VK_BROWSER_STOP, which the table does not name
    extendedKey(KEY_CONFIG, 0xB5),        // AL Consumer Control Configuration 0x183
    extendedKey(KEY_MEDIA, 0xB5),         // what some keyboards send for the same key
};

}  // namespace

std::span<const EvdevKeyRow> evdevKeyTable() { return kEvdevKeyTable; }

std::optional<VirtualKey> virtualKeyFromEvdev(int evdevCode) {
    for (const EvdevKeyRow& row : kEvdevKeyTable)
        if (row.evdevCode == evdevCode)
            return row.virtualKey;
    return std::nullopt;
}

std::optional<VirtualKey> virtualKeyFromX11Keycode(int x11Keycode) {
    if (x11Keycode < kX11KeycodeOffset)
        return std::nullopt;
    return virtualKeyFromEvdev(x11Keycode - kX11KeycodeOffset);
}

}  // namespace keys
