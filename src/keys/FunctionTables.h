// The editor's built-in choice tables and the fixed names of the functions without a table.
//
// Order matters: a combo's item index is the row index, and name lookups take the first match.
// Every name is a language key. The G keys and the lighting function key are rows of
// KeyCodeTable and are not kept a second time here: gKeyTable() and lightingFunctionKey() view
// those rows.
#pragma once

#include <array>
#include <span>
#include <string_view>

#include "keys/KeyCodeTable.h"
#include "keys/KeyFunction.h"

namespace keys {

struct NamedFunction {
    KeyFunction function;
    std::string_view name;  // language key
};

// "mouse button" combo.
inline constexpr std::array<NamedFunction, 5> kMouseKeyTable = {{
    {{0x10, 0x01, 0x00}, "mouse_key_left"},
    {{0x10, 0x04, 0x00}, "mouse_key_middle"},
    {{0x10, 0x02, 0x00}, "mouse_key_right"},
    {{0x10, 0x10, 0x00}, "mouse_key_forward"},
    {{0x10, 0x08, 0x00}, "mouse_key_back"},
}};

// "DPI function" combo.
inline constexpr std::array<NamedFunction, 3> kDpiKeyTable = {{
    {{0x13, 0x01, 0x00}, "mouse_key_DPI_add"},
    {{0x13, 0x02, 0x00}, "mouse_key_DPI_sub"},
    {{0x13, 0x03, 0x00}, "mouse_key_DPI_loop"},
}};

// "system key" combo.
inline constexpr std::array<NamedFunction, 3> kSystemKeyTable = {{
    {{0x40, 0x01, 0x00}, "system_power"},
    {{0x40, 0x02, 0x00}, "system_sleep"},
    {{0x40, 0x04, 0x00}, "system_wake_up"},
}};

// "media key" combo: MediaKey entries carry the HID consumer usage low byte first. The names are
// the language file's keys as they are spelt there ("Browaer", "wed_").
inline constexpr std::array<NamedFunction, 18> kMediaKeyTable = {{
    {detail::media(0x0183), "keyboard_key_Launch Media Select"},
    {detail::media(0x00CD), "keyboard_key_Media Play Pause"},
    {detail::media(0x00B7), "keyboard_key_Media Stop"},
    {detail::media(0x00B6), "keyboard_key_Media Prev Track"},
    {detail::media(0x00B5), "keyboard_key_Media Next Track"},
    {detail::media(0x00EA), "keyboard_key_Volume Down"},
    {detail::media(0x00E9), "keyboard_key_Volume Up"},
    {detail::media(0x00E2), "keyboard_key_Volume Mute"},
    {detail::media(0x0223), "keyboard_key_Browaer Home"},
    {detail::media(0x0227), "web_refresh"},
    {detail::media(0x0226), "wed_stop"},
    {detail::media(0x0224), "wed_back"},
    {detail::media(0x0225), "wed_forward"},
    {detail::media(0x022A), "wed_favorite"},
    {detail::media(0x0221), "keyboard_key_Browser Search"},
    {detail::media(0x0194), "keyboard_key_Computer"},
    {detail::media(0x0192), "media_calc"},
    {detail::media(0x018A), "keyboard_key_Launch Mail"},
}};

// "gun" combo (mouse only), by GunKey p1.
inline constexpr std::array<std::string_view, 4> kGunNames = {"GUN_1", "GUN_2", "GUN_3", "GUN_4"};

// Swing names by bit 7 of p2: [0] clear, [1] set.
inline constexpr std::array<std::string_view, 2> kHorizontalSwingNames = {"mouse_key_left_Swing",
                                                                          "mouse_key_right_Swing"};
inline constexpr std::array<std::string_view, 2> kVerticalSwingNames = {"mouse_key_up_Swing",
                                                                        "mouse_key_down_Swing"};
inline constexpr std::string_view kFireKeyName = "mouse_key_fire_key";

// The name of a function that has no other name.
inline constexpr std::string_view kCloseText = "close_text";

// Templates of the swing and fire types, by direction item. Only their type byte counts: the
// editor overwrites both parameters from its edits.
inline constexpr std::array<KeyFunction, 2> kHorizontalSwingTemplates = {{{0x11, 0xFF, 0xFF}, {0x11, 0xFF, 0x01}}};
inline constexpr std::array<KeyFunction, 2> kVerticalSwingTemplates = {{{0x12, 0x01, 0x01}, {0x12, 0xFF, 0xFF}}};
inline constexpr KeyFunction kFireTemplate = {0x14, 0x00, 0x00};

// GKeyTable: (0xD0, 0xA2, n) "keyboard_key_G1".."keyboard_key_G6", rows 125..130 of KeyCodeTable.
constexpr std::span<const KeyCodeRow, kGKeyCount> gKeyTable() {
    return std::span<const KeyCodeRow, kKeyCodeRowCount>(kKeyCodeTable).subspan<kFirstGKeyRow, kGKeyCount>();
}

// The lighting function key (0xA0, 0x33, 0) "keyboard_key_Function Deng", row 131 of KeyCodeTable.
constexpr const KeyCodeRow& lightingFunctionKey() { return kKeyCodeTable[kLightingFunctionKeyRow]; }

// The row index of the first row whose p1 and p2 equal the entry's (the type byte is not
// compared, as the tables are looked up by parameters); -1 when none.
constexpr int findNamedFunction(std::span<const NamedFunction> table, uint8_t p1, uint8_t p2) {
    for (std::size_t row = 0; row < table.size(); ++row)
        if (table[row].function.p1 == p1 && table[row].function.p2 == p2)
            return int(row);
    return -1;
}

}  // namespace keys
