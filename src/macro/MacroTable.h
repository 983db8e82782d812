// MacroTable: the image of a device's macros that command 21 writes into the device.
//
//   offset 0   u16 magic 0x55AA (bytes AA 55)
//          2   u16 total length T
//          4   u16 number of macros N
//          6   10 reserved bytes (zero)
//         16   N x u16 offset of each macro's record from the start of the image
//     16+2N    the records, macro 0 first, without gaps:
//                u16 number of actions A, 2 reserved bytes (zero), A x 4 bytes
//                (delay low, delay high, type, code)
//
// T = 16 + 6N + 4 x (all actions). Multi-byte fields are little-endian. The macro index a key
// assignment names is the position in this table, which is the position in the macro list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "macro/MacroAction.h"

namespace macro {

constexpr uint16_t kMacroImageMagic = 0x55AA;
constexpr std::size_t kMacroImageHeaderSize = 16;
constexpr std::size_t kMacroRecordHeaderSize = 4;
constexpr std::size_t kMacroImageActionSize = 4;
constexpr std::size_t kCapacityUnit = 128;  // device information byte 6 counts these

struct MacroImageHeader {
    uint8_t magic[2];
    uint8_t totalLength[2];
    uint8_t macroCount[2];
    uint8_t reserved[10];
};
static_assert(sizeof(MacroImageHeader) == kMacroImageHeaderSize);

struct MacroImageAction {
    uint8_t delayLow, delayHigh, type, code;
};
static_assert(sizeof(MacroImageAction) == kMacroImageActionSize);

using MacroList = std::vector<std::vector<MacroAction>>;

// T for these macros (0 for an empty list: nothing is sent then, not even a header).
std::size_t macroImageSize(const MacroList& macros);
// The image; empty for an empty list. Callers check the size against the capacity first.
std::vector<uint8_t> buildMacroImage(const MacroList& macros);
// How many actions must go for an image of size T to fit the capacity: ((T - capacity) >> 2) + 1;
// 0 when it fits.
int surplusActions(std::size_t imageSize, std::size_t capacity);

}  // namespace macro
