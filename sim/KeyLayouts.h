// The factory default key tables of the emulated units, in each unit's own physical order.
//
// A unit's default key table lists, position by position, the three-byte key function that the
// key at that position produces out of the box (type, p1, p2). The program finds a logical key on
// a unit by looking its built-in code up in this table, so the order here is the unit's matrix
// order, not the program's logical order. Positions without a key hold 00 00 00.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace sim {

struct KeyCode {
    uint8_t type = 0;
    uint8_t p1 = 0;
    uint8_t p2 = 0;
    friend constexpr bool operator==(const KeyCode&, const KeyCode&) = default;
};

// Keyboard 0x751D: 126 positions, a 6 x 21 matrix scanned column by column. Carries every key of
// a full-size board with number pad, media keys and the two function keys; no G keys.
std::span<const KeyCode> keyboardLayout();
// Small keyboard 0x761E: 20 positions, the six G keys and a left-hand gaming cluster whose keys
// the keyboard also has.
std::span<const KeyCode> smallKeyboardLayout();
// Companion keyboard 0x7624: 16 positions, a number pad (every key of it is also on the keyboard).
std::span<const KeyCode> companionKeyboardLayout();
// Mouse 0x6656: its buttons; the mouse's default key table holds them followed by zeros.
std::span<const KeyCode> mouseButtonLayout();

}  // namespace sim
