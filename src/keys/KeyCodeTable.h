// KeyCodeTable: the 132 keys the program knows by name, with the Windows virtual-key code that
// key capture reports for each (Linux key codes are translated to these, see LinuxKeyMap.h) and
// the key function the key produces.
//
// Row order matters: every lookup runs in row order and the first match wins, and the macro pages
// use rows 0..105 (modifiers, keyboard keys and the first two consumer keys) as their key list.
// Rows 122..124 carry virtual-key codes no key event produces, rows 125..131 carry 0: those rows
// are reached only through their functions. Row 121 repeats row 120.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "keys/KeyFunction.h"

namespace keys {

struct KeyCodeRow {
    uint16_t virtualKey;
    KeyFunction function;
    std::string_view name;  // language key
};

constexpr uint16_t kVkNumpadEnter = 0x101;  // Enter with the extended-key flag
constexpr int kKeyCodeRowCount = 132;
constexpr int kMacroKeyRowCount = kKeyCodeRowCount - 26;  // rows the macro pages offer: 0..105

// The code a key event stands for in this table: Enter with the extended-key flag (hook flags 1
// down, 0x81 up) is the numeric pad's Enter, 0x101; every other code stands for itself.
constexpr int keyEventVirtualKey(int virtualKey, unsigned flags) {
    return virtualKey == 0x0D && (flags == 0x01 || flags == 0x81) ? kVkNumpadEnter : virtualKey;
}

// The row index of the first row with this virtual-key code among rows [0, rowLimit); -1 when
// none. Code 0 never matches (the rows without a key event).
int findKeyCodeRowByVirtualKey(int virtualKey, int rowLimit = kKeyCodeRowCount);

// The row index of the first row whose p1 and p2 equal these, whatever its type; -1 when none.
int findKeyCodeRowByParams(uint8_t p1, uint8_t p2);

// The row index of the first KeyboardKey row (rows 0..103) whose p1 and p2 equal these; -1 when
// none. Used where the entry is known to be a keyboard key, so that a bare combination of
// modifiers never takes the name of a consumer-key row that happens to share its bytes.
int findKeyboardKeyRowByParams(uint8_t p1, uint8_t p2);

std::span<const KeyCodeRow, kKeyCodeRowCount> keyCodeTable();

// ---- the data ----

namespace detail {

constexpr KeyFunction kb(uint8_t usage) { return {0x20, 0x00, usage}; }
constexpr KeyFunction mod(uint8_t bit) { return {0x20, bit, 0x00}; }
constexpr KeyFunction media(uint16_t usage) { return {0x30, uint8_t(usage & 0xFF), uint8_t(usage >> 8)}; }

}  // namespace detail

inline constexpr std::array<KeyCodeRow, kKeyCodeRowCount> kKeyCodeTable = {{
    // 0..7: modifiers alone
    {0xA2, detail::mod(0x01), "keyboard_key_LCtrl"},
    {0xA0, detail::mod(0x02), "keyboard_key_LShift"},
    {0xA4, detail::mod(0x04), "keyboard_key_LAlt"},
    {0x5B, detail::mod(0x08), "keyboard_key_LWin"},
    {0xA3, detail::mod(0x10), "keyboard_key_RCtrl"},
    {0xA1, detail::mod(0x20), "keyboard_key_RShift"},
    {0xA5, detail::mod(0x40), "keyboard_key_RAlt"},
    {0x5C, detail::mod(0x80), "keyboard_key_RWin"},
    // 8..33: letters
    {0x41, detail::kb(0x04), "keyboard_key_A"},
    {0x42, detail::kb(0x05), "keyboard_key_B"},
    {0x43, detail::kb(0x06), "keyboard_key_C"},
    {0x44, detail::kb(0x07), "keyboard_key_D"},
    {0x45, detail::kb(0x08), "keyboard_key_E"},
    {0x46, detail::kb(0x09), "keyboard_key_F"},
    {0x47, detail::kb(0x0A), "keyboard_key_G"},
    {0x48, detail::kb(0x0B), "keyboard_key_H"},
    {0x49, detail::kb(0x0C), "keyboard_key_I"},
    {0x4A, detail::kb(0x0D), "keyboard_key_J"},
    {0x4B, detail::kb(0x0E), "keyboard_key_K"},
    {0x4C, detail::kb(0x0F), "keyboard_key_L"},
    {0x4D, detail::kb(0x10), "keyboard_key_M"},
    {0x4E, detail::kb(0x11), "keyboard_key_N"},
    {0x4F, detail::kb(0x12), "keyboard_key_O"},
    {0x50, detail::kb(0x13), "keyboard_key_P"},
    {0x51, detail::kb(0x14), "keyboard_key_Q"},
    {0x52, detail::kb(0x15), "keyboard_key_R"},
    {0x53, detail::kb(0x16), "keyboard_key_S"},
    {0x54, detail::kb(0x17), "keyboard_key_T"},
    {0x55, detail::kb(0x18), "keyboard_key_U"},
    {0x56, detail::kb(0x19), "keyboard_key_V"},
    {0x57, detail::kb(0x1A), "keyboard_key_W"},
    {0x58, detail::kb(0x1B), "keyboard_key_X"},
    {0x59, detail::kb(0x1C), "keyboard_key_Y"},
    {0x5A, detail::kb(0x1D), "keyboard_key_Z"},
    // 34..43: digits
    {0x31, detail::kb(0x1E), "keyboard_key_1"},
    {0x32, detail::kb(0x1F), "keyboard_key_2"},
    {0x33, detail::kb(0x20), "keyboard_key_3"},
    {0x34, detail::kb(0x21), "keyboard_key_4"},
    {0x35, detail::kb(0x22), "keyboard_key_5"},
    {0x36, detail::kb(0x23), "keyboard_key_6"},
    {0x37, detail::kb(0x24), "keyboard_key_7"},
    {0x38, detail::kb(0x25), "keyboard_key_8"},
    {0x39, detail::kb(0x26), "keyboard_key_9"},
    {0x30, detail::kb(0x27), "keyboard_key_0"},
    // 44..60: editing keys and punctuation
    {0x0D, detail::kb(0x28), "keyboard_key_Enter"},
    {0x1B, detail::kb(0x29), "keyboard_key_Esc"},
    {0x08, detail::kb(0x2A), "keyboard_key_BackSpace"},
    {0x09, detail::kb(0x2B), "keyboard_key_Tab"},
    {0x20, detail::kb(0x2C), "keyboard_key_Space"},
    {0xBD, detail::kb(0x2D), "keyboard_key_-"},
    {0xBB, detail::kb(0x2E), "keyboard_key_="},
    {0xDB, detail::kb(0x2F), "keyboard_key_["},
    {0xDD, detail::kb(0x30), "keyboard_key_]"},
    {0xDC, detail::kb(0x31), "keyboard_key_xiegang"},
    {0xBA, detail::kb(0x33), "keyboard_key_;"},
    {0xDE, detail::kb(0x34), "keyboard_key_'"},
    {0xC0, detail::kb(0x35), "keyboard_key_`"},
    {0xBC, detail::kb(0x36), "keyboard_key_<"},
    {0xBE, detail::kb(0x37), "keyboard_key_."},
    {0xBF, detail::kb(0x38), "keyboard_key_/"},
    {0x14, detail::kb(0x39), "keyboard_key_Caplk"},
    // 61..72: function keys
    {0x70, detail::kb(0x3A), "keyboard_key_F1"},
    {0x71, detail::kb(0x3B), "keyboard_key_F2"},
    {0x72, detail::kb(0x3C), "keyboard_key_F3"},
    {0x73, detail::kb(0x3D), "keyboard_key_F4"},
    {0x74, detail::kb(0x3E), "keyboard_key_F5"},
    {0x75, detail::kb(0x3F), "keyboard_key_F6"},
    {0x76, detail::kb(0x40), "keyboard_key_F7"},
    {0x77, detail::kb(0x41), "keyboard_key_F8"},
    {0x78, detail::kb(0x42), "keyboard_key_F9"},
    {0x79, detail::kb(0x43), "keyboard_key_F10"},
    {0x7A, detail::kb(0x44), "keyboard_key_F11"},
    {0x7B, detail::kb(0x45), "keyboard_key_F12"},
    // 73..85: system and navigation keys
    {0x2C, detail::kb(0x46), "keyboard_key_Print Scr"},
    {0x91, detail::kb(0x47), "keyboard_key_Scroll Lock"},
    {0x13, detail::kb(0x48), "keyboard_key_Pause"},
    {0x2D, detail::kb(0x49), "keyboard_key_Insert"},
    {0x24, detail::kb(0x4A), "keyboard_key_Home"},
    {0x21, detail::kb(0x4B), "keyboard_key_Page Up"},
    {0x2E, detail::kb(0x4C), "keyboard_key_Delete"},
    {0x23, detail::kb(0x4D), "keyboard_key_End"},
    {0x22, detail::kb(0x4E), "keyboard_key_Page Down"},
    {0x27, detail::kb(0x4F), "keyboard_key_Right"},
    {0x25, detail::kb(0x50), "keyboard_key_Left"},
    {0x28, detail::kb(0x51), "keyboard_key_Down"},
    {0x26, detail::kb(0x52), "keyboard_key_Up"},
    // 86..102: numeric pad
    {0x90, detail::kb(0x53), "keyboard_key_Num Lock"},
    {0x6F, detail::kb(0x54), "keyboard_key_Num /"},
    {0x6A, detail::kb(0x55), "keyboard_key_Num *"},
    {0x6D, detail::kb(0x56), "keyboard_key_Num -"},
    {0x6B, detail::kb(0x57), "keyboard_key_Num +"},
    {kVkNumpadEnter, detail::kb(0x58), "keyboard_key_Num Enter"},
    {0x61, detail::kb(0x59), "keyboard_key_Num 1"},
    {0x62, detail::kb(0x5A), "keyboard_key_Num 2"},
    {0x63, detail::kb(0x5B), "keyboard_key_Num 3"},
    {0x64, detail::kb(0x5C), "keyboard_key_Num 4"},
    {0x65, detail::kb(0x5D), "keyboard_key_Num 5"},
    {0x66, detail::kb(0x5E), "keyboard_key_Num 6"},
    {0x67, detail::kb(0x5F), "keyboard_key_Num 7"},
    {0x68, detail::kb(0x60), "keyboard_key_Num 8"},
    {0x69, detail::kb(0x61), "keyboard_key_Num 9"},
    {0x60, detail::kb(0x62), "keyboard_key_Num 0"},
    {0x6E, detail::kb(0x63), "keyboard_key_Decimal"},
    // 103: the menu key
    {0x5D, detail::kb(0x65), "keyboard_key_App"},
    // 104..121: consumer keys
    {0xB7, detail::media(0x0192), "keyboard_key_Launch App2"},
    {0xAC, detail::media(0x0223), "keyboard_key_Browaer Home"},
    {0xB3, detail::media(0x00CD), "keyboard_key_Media Play Pause"},
    {0xAA, detail::media(0x0221), "keyboard_key_Browser Search"},
    {0xB4, detail::media(0x018A), "keyboard_key_Launch Mail"},
    {0xAF, detail::media(0x00E9), "keyboard_key_Volume Up"},
    {0xAD, detail::media(0x00E2), "keyboard_key_Volume Mute"},
    {0xB2, detail::media(0x00B7), "keyboard_key_Media Stop"},
    {0xAE, detail::media(0x00EA), "keyboard_key_Volume Down"},
    {0xAB, detail::media(0x022A), "keyboard_key_Browser Favorites"},
    {0xA7, detail::media(0x0225), "keyboard_key_Browser ForWard"},
    {0xA6, detail::media(0x0224), "keyboard_key_Browser Back"},
    {0xB1, detail::media(0x00B6), "keyboard_key_Media Prev Track"},
    {0xB0, detail::media(0x00B5), "keyboard_key_Media Next Track"},
    {0xB6, detail::media(0x0194), "keyboard_key_Computer"},
    {0xA8, detail::media(0x0227), "keyboard_key_Browser Refresh"},
    {0xB5, detail::media(0x0183), "keyboard_key_Launch Media Select"},
    {0xB5, detail::media(0x0183), "keyboard_key_Launch Media Select"},
    // 122..124: system keys (codes no key event produces)
    {0x103, {0x40, 0x01, 0x00}, "keyboard_key_Power"},
    {0x104, {0x40, 0x02, 0x00}, "keyboard_key_Sleep"},
    {0x105, {0x40, 0x04, 0x00}, "keyboard_key_Wakeup"},
    // 125..131: G keys and the lighting function key, reached only through their functions
    {0x00, {0xD0, 0xA2, 0x01}, "keyboard_key_G1"},
    {0x00, {0xD0, 0xA2, 0x02}, "keyboard_key_G2"},
    {0x00, {0xD0, 0xA2, 0x03}, "keyboard_key_G3"},
    {0x00, {0xD0, 0xA2, 0x04}, "keyboard_key_G4"},
    {0x00, {0xD0, 0xA2, 0x05}, "keyboard_key_G5"},
    {0x00, {0xD0, 0xA2, 0x06}, "keyboard_key_G6"},
    {0x00, {0xA0, 0x33, 0x00}, "keyboard_key_Function Deng"},
}};

// Where the rows of one kind begin, for the tables that are views of this one.
constexpr int kFirstConsumerKeyRow = 104;
constexpr int kFirstGKeyRow = 125;
constexpr int kGKeyCount = 6;
constexpr int kLightingFunctionKeyRow = 131;

// The first row with this name; -1 when none. constexpr so that tables naming rows (the
// keyboard's built-in codes) fail to compile on a misspelt name.
constexpr int keyCodeRowNamed(std::string_view name) {
    for (int row = 0; row < kKeyCodeRowCount; ++row)
        if (kKeyCodeTable[std::size_t(row)].name == name)
            return row;
    return -1;
}

}  // namespace keys
