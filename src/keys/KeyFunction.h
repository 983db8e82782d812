// The three-byte key-table entry that every keyboard key and mouse button carries, and the key
// tables made of them.
//
// An entry is (type, p1, p2) exactly as the device stores it. Entries come from devices and
// profile files, so any byte value may turn up in any field: nothing here assumes a known type.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace keys {

// The type byte values this program produces. Device tables may also hold 0x15, 0x21, 0x50,
// 0x60, 0xB0, 0xC0 and anything else; those are named and shown by the rules in KeyNaming.h and
// KeyEditor.h, never rewritten on their own.
enum class KeyFunctionType : uint8_t {
    DefaultKey = 0x00,       // editor choice only: encoding replaces it by the key's default entry
    MouseKey = 0x10,         // p1 button bit (0x01 left, 0x02 right, 0x04 middle, 0x08 back, 0x10 forward)
    HorizontalSwing = 0x11,  // p1 two nibbles; p2 bits 0-6 amount, bit 7 right
    VerticalSwing = 0x12,    // p1 two nibbles; p2 bits 0-6 amount, bit 7 down
    DpiKey = 0x13,           // p1 1 up, 2 down, 3 cycle
    FireKey = 0x14,          // p1, p2 0..255
    KeyboardKey = 0x20,      // p1 modifier bits, p2 HID keyboard usage (0 for a modifier alone)
    MediaKey = 0x30,         // HID consumer usage: p1 low byte, p2 high byte
    SystemKey = 0x40,        // p1 0x01 power, 0x02 sleep, 0x04 wake
    MacroKey = 0x70,         // p1 macro index, p2 play mode 0..3
    MacroRepeatKey = 0x71,   // p1 macro index, p2 repeat count
    GunKey = 0x72,           // p1 recoil pattern 0..3 (mouse only)
    FunctionKey = 0xA0,      // keyboard function keys; only in the keyboard's built-in codes
    GKey = 0xD0,             // p1 0xA2, p2 G key 1..6; only in the keyboard's built-in codes
};

// Modifier bits of a KeyboardKey's p1.
enum ModifierBit : uint8_t {
    ModLeftCtrl = 0x01,
    ModLeftShift = 0x02,
    ModLeftAlt = 0x04,
    ModLeftWin = 0x08,
    ModRightCtrl = 0x10,
    ModRightShift = 0x20,
    ModRightAlt = 0x40,
    ModRightWin = 0x80,
};

struct KeyFunction {
    uint8_t type = 0;
    uint8_t p1 = 0;
    uint8_t p2 = 0;

    constexpr bool is(KeyFunctionType t) const { return type == uint8_t(t); }
    friend constexpr bool operator==(const KeyFunction&, const KeyFunction&) = default;
};
static_assert(sizeof(KeyFunction) == 3, "a key-table entry is three bytes on the device");

constexpr KeyFunction makeKeyFunction(KeyFunctionType type, uint8_t p1 = 0, uint8_t p2 = 0) {
    return KeyFunction{uint8_t(type), p1, p2};
}

// ---- key tables: the entry of key k sits at byte offset 3k ----

constexpr std::size_t kKeyFunctionSize = sizeof(KeyFunction);
constexpr std::size_t kKeyTableSize = 512;         // one onboard profile's key table
constexpr int kKeyboardLogicalKeyCount = 132;      // the keyboard's working table uses 396 bytes
constexpr int kMouseSavedKeyCount = 42;            // save to device sends the first 126 bytes

// Number of whole entries a table of this many bytes holds.
constexpr int keyCountOf(std::size_t tableBytes) { return int(tableBytes / kKeyFunctionSize); }

// The entry of key `key`; nothing when the key lies outside the table.
std::optional<KeyFunction> readKeyFunction(std::span<const uint8_t> table, int key);

// Writes the entry of key `key`; false (and the table untouched) when it lies outside the table.
bool writeKeyFunction(std::span<uint8_t> table, int key, KeyFunction entry);

}  // namespace keys
