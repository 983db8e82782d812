// The mouse's built-in default key table: what the mouse mirror holds as the mouse's defaults
// until the first read of the real table from the mouse.
//
// Buttons 0..4 are the MouseKeyTable rows in their order (left, middle, right, forward, back) and
// button 5 is the DPI cycle row of DpiKeyTable; every other byte of the 512-byte buffer is 0x05.
#pragma once

#include <array>
#include <cstdint>

#include "keys/FunctionTables.h"
#include "keys/KeyFunction.h"

namespace keys {

inline constexpr std::array<KeyFunction, 6> kMouseDefaultButtons = {
    kMouseKeyTable[0].function, kMouseKeyTable[1].function, kMouseKeyTable[2].function,
    kMouseKeyTable[3].function, kMouseKeyTable[4].function, kDpiKeyTable[2].function,
};

constexpr uint8_t kMouseDefaultFillByte = 0x05;

constexpr std::array<uint8_t, kKeyTableSize> mouseBuiltInDefaultKeyTable() {
    std::array<uint8_t, kKeyTableSize> table{};
    table.fill(kMouseDefaultFillByte);
    for (std::size_t key = 0; key < kMouseDefaultButtons.size(); ++key) {
        table[key * kKeyFunctionSize + 0] = kMouseDefaultButtons[key].type;
        table[key * kKeyFunctionSize + 1] = kMouseDefaultButtons[key].p1;
        table[key * kKeyFunctionSize + 2] = kMouseDefaultButtons[key].p2;
    }
    return table;
}

}  // namespace keys
