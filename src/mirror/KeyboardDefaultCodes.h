// The built-in codes of the keyboard's 132 logical keys as the mirror and the profile files use
// them: byte entries and a whole working key table slot. The codes themselves are owned by
// keys/KeyboardDefaultCodes.h; this is only their byte view.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "keys/KeyboardDefaultCodes.h"
#include "mirror/MirrorAreas.h"

constexpr std::size_t kKeyboardLogicalKeys = keys::kKeyboardLogicalKeyCount;

using KeyEntry = std::array<uint8_t, 3>;

inline constexpr std::array<KeyEntry, kKeyboardLogicalKeys> kKeyboardDefaultCodes = [] {
    std::array<KeyEntry, kKeyboardLogicalKeys> entries{};
    for (std::size_t k = 0; k < kKeyboardLogicalKeys; ++k) {
        const keys::KeyFunction& f = keys::kKeyboardDefaultCodes[k];
        entries[k] = {f.type, f.p1, f.p2};
    }
    return entries;
}();

// A working key table slot holding the built-in codes (bytes after the 132 entries are zero).
constexpr mirror::KeyTableSlot keyboardDefaultKeyTable() {
    mirror::KeyTableSlot slot{};
    for (std::size_t k = 0; k < kKeyboardLogicalKeys; ++k)
        for (std::size_t b = 0; b < mirror::kKeyEntrySize; ++b) slot[k * 3 + b] = kKeyboardDefaultCodes[k][b];
    return slot;
}
