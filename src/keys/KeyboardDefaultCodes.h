// KeyboardDefaultCodes: the built-in code (default function) of each of the keyboard page's 132
// logical keys. Besides serving as each key's default entry, it is how the keyboard mirror finds
// a logical key among a unit's positions.
//
// Most keys produce what a KeyCodeTable row produces, so they are listed by that row's name and
// the code is taken from the row at compile time; the rest are given as bytes:
//   (0x00, 0x00, 0x00)  a position that carries no key
//   (0x20, 0x00, 0x64)  the extra key beside left Shift on international layouts (no row)
//   (0xA0, 0x02, 0x02)  the keyboard's function key
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "keys/KeyCodeTable.h"
#include "keys/KeyFunction.h"

namespace keys {

// The built-in code of logical key `key`; nothing outside 0..131.
std::optional<KeyFunction> keyboardDefaultCode(int key);

namespace detail {

// A logical key's source: a KeyCodeTable row by name, or literal bytes when `row` is empty.
struct DefaultCodeSource {
    std::string_view row;
    KeyFunction bytes{};
};

inline constexpr DefaultCodeSource kNoKey{{}, {0x00, 0x00, 0x00}};
inline constexpr DefaultCodeSource kExtraKey{{}, {0x20, 0x00, 0x64}};
inline constexpr DefaultCodeSource kFunctionKey{{}, {0xA0, 0x02, 0x02}};

inline constexpr std::array<DefaultCodeSource, kKeyboardLogicalKeyCount> kKeyboardDefaultSources = {{
    // 0..20: top row
    {"keyboard_key_Esc"}, {"keyboard_key_F1"}, {"keyboard_key_F2"}, {"keyboard_key_F3"},
    {"keyboard_key_F4"}, {"keyboard_key_F5"}, {"keyboard_key_F6"}, {"keyboard_key_F7"},
    {"keyboard_key_F8"}, {"keyboard_key_F9"}, {"keyboard_key_F10"}, {"keyboard_key_F11"},
    {"keyboard_key_F12"}, {"keyboard_key_Print Scr"}, {"keyboard_key_Scroll Lock"}, {"keyboard_key_Pause"},
    {"keyboard_key_Browaer Home"}, {"keyboard_key_Launch Media Select"}, {"keyboard_key_Media Play Pause"},
    {"keyboard_key_Media Prev Track"}, {"keyboard_key_Media Next Track"},
    // 21..41: number row
    {"keyboard_key_`"}, {"keyboard_key_1"}, {"keyboard_key_2"}, {"keyboard_key_3"}, {"keyboard_key_4"},
    {"keyboard_key_5"}, {"keyboard_key_6"}, {"keyboard_key_7"}, {"keyboard_key_8"}, {"keyboard_key_9"},
    {"keyboard_key_0"}, {"keyboard_key_-"}, {"keyboard_key_="}, {"keyboard_key_BackSpace"},
    {"keyboard_key_Insert"}, {"keyboard_key_Home"}, {"keyboard_key_Page Up"}, {"keyboard_key_Num Lock"},
    {"keyboard_key_Num /"}, {"keyboard_key_Num *"}, {"keyboard_key_Num -"},
    // 42..62: Tab row
    {"keyboard_key_Tab"}, {"keyboard_key_Q"}, {"keyboard_key_W"}, {"keyboard_key_E"}, {"keyboard_key_R"},
    {"keyboard_key_T"}, {"keyboard_key_Y"}, {"keyboard_key_U"}, {"keyboard_key_I"}, {"keyboard_key_O"},
    {"keyboard_key_P"}, {"keyboard_key_["}, {"keyboard_key_]"}, {"keyboard_key_xiegang"},
    {"keyboard_key_Delete"}, {"keyboard_key_End"}, {"keyboard_key_Page Down"}, {"keyboard_key_Num 7"},
    {"keyboard_key_Num 8"}, {"keyboard_key_Num 9"}, kNoKey,
    // 63..83: Caps Lock row
    {"keyboard_key_Caplk"}, {"keyboard_key_A"}, {"keyboard_key_S"}, {"keyboard_key_D"}, {"keyboard_key_F"},
    {"keyboard_key_G"}, {"keyboard_key_H"}, {"keyboard_key_J"}, {"keyboard_key_K"}, {"keyboard_key_L"},
    {"keyboard_key_;"}, {"keyboard_key_'"}, {"keyboard_key_Enter"}, {"keyboard_key_Num 4"},
    {"keyboard_key_Num 5"}, {"keyboard_key_Num 6"}, {"keyboard_key_Launch Mail"}, {"keyboard_key_Computer"},
    {"keyboard_key_Function Deng"}, {"keyboard_key_Browser Search"}, {"keyboard_key_Volume Mute"},
    // 84..104: Shift row
    {"keyboard_key_LShift"}, {"keyboard_key_Z"}, {"keyboard_key_X"}, {"keyboard_key_C"}, {"keyboard_key_V"},
    {"keyboard_key_B"}, {"keyboard_key_N"}, {"keyboard_key_M"}, {"keyboard_key_<"}, {"keyboard_key_."},
    {"keyboard_key_/"}, {"keyboard_key_RShift"}, {"keyboard_key_Up"}, {"keyboard_key_Num 1"},
    {"keyboard_key_Num 2"}, {"keyboard_key_Num 3"}, kNoKey, kNoKey, kExtraKey, kNoKey, kNoKey,
    // 105..125: bottom row
    {"keyboard_key_LCtrl"}, {"keyboard_key_LWin"}, {"keyboard_key_LAlt"}, {"keyboard_key_Space"},
    {"keyboard_key_RAlt"}, kFunctionKey, {"keyboard_key_App"}, {"keyboard_key_RCtrl"}, {"keyboard_key_Left"},
    {"keyboard_key_Down"}, {"keyboard_key_Right"}, {"keyboard_key_Num 0"}, {"keyboard_key_Decimal"},
    {"keyboard_key_Num Enter"}, {"keyboard_key_Num +"}, kNoKey, kNoKey, kNoKey, kNoKey, kNoKey,
    {"keyboard_key_RWin"},
    // 126..131: G keys
    {"keyboard_key_G1"}, {"keyboard_key_G2"}, {"keyboard_key_G3"}, {"keyboard_key_G4"}, {"keyboard_key_G5"},
    {"keyboard_key_G6"},
}};

consteval std::array<KeyFunction, kKeyboardLogicalKeyCount> resolveKeyboardDefaults() {
    std::array<KeyFunction, kKeyboardLogicalKeyCount> codes{};
    for (std::size_t key = 0; key < codes.size(); ++key) {
        const DefaultCodeSource& source = kKeyboardDefaultSources[key];
        if (source.row.empty()) {
            codes[key] = source.bytes;
            continue;
        }
        const int row = keyCodeRowNamed(source.row);
        if (row < 0)
            throw "a built-in code names a row KeyCodeTable does not have";  // fails the compile
        codes[key] = kKeyCodeTable[std::size_t(row)].function;
    }
    return codes;
}

}  // namespace detail

inline constexpr std::array<KeyFunction, kKeyboardLogicalKeyCount> kKeyboardDefaultCodes =
    detail::resolveKeyboardDefaults();

}  // namespace keys
