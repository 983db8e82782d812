#include "sim/KeyLayouts.h"

#include <array>

namespace sim {
namespace {

// Builders for the three-byte codes, so the tables read like key caps.
constexpr KeyCode key(uint8_t usage) { return {0x20, 0x00, usage}; }        // keyboard page usage
constexpr KeyCode modifier(uint8_t bit) { return {0x20, bit, 0x00}; }       // modifier alone
constexpr KeyCode media(uint16_t usage) { return {0x30, uint8_t(usage & 0xFF), uint8_t(usage >> 8)}; }
constexpr KeyCode gkey(uint8_t n) { return {0xD0, 0xA2, n}; }
constexpr KeyCode kNone{};
constexpr KeyCode kLightKey{0xA0, 0x33, 0x00};   // the lighting function key
constexpr KeyCode kFnKey{0xA0, 0x02, 0x02};      // the Fn key

constexpr KeyCode LCtrl = modifier(0x01), LShift = modifier(0x02), LAlt = modifier(0x04),
                  LWin = modifier(0x08), RCtrl = modifier(0x10), RShift = modifier(0x20),
                  RAlt = modifier(0x40), RWin = modifier(0x80);

constexpr size_t kRows = 6, kColumns = 21;
using KeyboardRows = std::array<std::array<KeyCode, kColumns>, kRows>;

// The keyboard as it lies on the desk, row by row.
constexpr KeyboardRows kKeyboardRows = {{
    {key(0x29), key(0x3A), key(0x3B), key(0x3C), key(0x3D), key(0x3E), key(0x3F), key(0x40),
     key(0x41), key(0x42), key(0x43), key(0x44), key(0x45), key(0x46), key(0x47), key(0x48),
     media(0x0223), media(0x0183), media(0x00CD), media(0x00B6), media(0x00B5)},
    {key(0x35), key(0x1E), key(0x1F), key(0x20), key(0x21), key(0x22), key(0x23), key(0x24),
     key(0x25), key(0x26), key(0x27), key(0x2D), key(0x2E), key(0x2A), key(0x49), key(0x4A),
     key(0x4B), key(0x53), key(0x54), key(0x55), key(0x56)},
    {key(0x2B), key(0x14), key(0x1A), key(0x08), key(0x15), key(0x17), key(0x1C), key(0x18),
     key(0x0C), key(0x12), key(0x13), key(0x2F), key(0x30), key(0x31), key(0x4C), key(0x4D),
     key(0x4E), key(0x5F), key(0x60), key(0x61), key(0x57)},
    {key(0x39), key(0x04), key(0x16), key(0x07), key(0x09), key(0x0A), key(0x0B), key(0x0D),
     key(0x0E), key(0x0F), key(0x33), key(0x34), key(0x28), key(0x5C), key(0x5D), key(0x5E),
     media(0x018A), media(0x0194), kLightKey, media(0x0221), media(0x00E2)},
    {LShift, key(0x64), key(0x1D), key(0x1B), key(0x06), key(0x19), key(0x05), key(0x11),
     key(0x10), key(0x36), key(0x37), key(0x38), RShift, key(0x52), key(0x59), key(0x5A),
     key(0x5B), key(0x58), kNone, kNone, kNone},
    {LCtrl, LWin, LAlt, key(0x2C), RAlt, kFnKey, key(0x65), RCtrl, key(0x50), key(0x51),
     key(0x4F), key(0x62), key(0x63), RWin, kNone, kNone, kNone, kNone, kNone, kNone, kNone},
}};

// The keyboard's controller scans its matrix column by column; its key table follows the scan.
constexpr std::array<KeyCode, kRows * kColumns> scanOrder(const KeyboardRows& rows) {
    std::array<KeyCode, kRows * kColumns> out{};
    for (size_t c = 0; c < kColumns; ++c)
        for (size_t r = 0; r < kRows; ++r) out[c * kRows + r] = rows[r][c];
    return out;
}

constexpr auto kKeyboard = scanOrder(kKeyboardRows);

// G keys down the left edge, then a WASD cluster, row by row.
constexpr std::array<KeyCode, 20> kSmallKeyboard = {
    gkey(1), key(0x29), key(0x1E), key(0x1F), key(0x20),
    gkey(2), key(0x2B), key(0x14), key(0x1A), key(0x08),
    gkey(3), key(0x39), key(0x04), key(0x16), key(0x07),
    gkey(4), gkey(5),   gkey(6),   LShift,    key(0x21),
};

// A 4 x 4 number pad scanned column by column.
constexpr std::array<KeyCode, 16> kCompanionKeyboard = {
    key(0x53), key(0x5F), key(0x5C), key(0x59),   // Num Lock, 7, 4, 1
    key(0x54), key(0x60), key(0x5D), key(0x5A),   // /, 8, 5, 2
    key(0x55), key(0x61), key(0x5E), key(0x5B),   // *, 9, 6, 3
    key(0x56), key(0x57), key(0x58), key(0x62),   // -, +, Enter, 0
};

constexpr std::array<KeyCode, 8> kMouseButtons = {
    {{0x10, 0x01, 0}, {0x10, 0x04, 0}, {0x10, 0x02, 0}, {0x10, 0x10, 0},
     {0x10, 0x08, 0}, {0x13, 0x03, 0}, {0x13, 0x01, 0}, {0x13, 0x02, 0}},
};

}  // namespace

std::span<const KeyCode> keyboardLayout() { return kKeyboard; }
std::span<const KeyCode> smallKeyboardLayout() { return kSmallKeyboard; }
std::span<const KeyCode> companionKeyboardLayout() { return kCompanionKeyboard; }
std::span<const KeyCode> mouseButtonLayout() { return kMouseButtons; }

}  // namespace sim
