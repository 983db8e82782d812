#include "keys/KeyCodeTable.h"

#include <algorithm>

namespace keys {

namespace {

// A row left out of the initialiser would silently become an empty row at the end; these catch
// that and any shift in the rows other tables refer to by position.
constexpr bool everyRowNamed() {
    return std::all_of(kKeyCodeTable.begin(), kKeyCodeTable.end(),
                       [](const KeyCodeRow& row) { return !row.name.empty(); });
}
static_assert(everyRowNamed());
static_assert(kKeyCodeTable[kMacroKeyRowCount - 1].name == "keyboard_key_Browaer Home");
static_assert(kKeyCodeTable[kFirstConsumerKeyRow].function.is(KeyFunctionType::MediaKey));
static_assert(kKeyCodeTable[kFirstConsumerKeyRow - 1].function.is(KeyFunctionType::KeyboardKey));
static_assert(kKeyCodeTable[kFirstGKeyRow].name == "keyboard_key_G1");
static_assert(kKeyCodeTable[kLightingFunctionKeyRow].name == "keyboard_key_Function Deng");

}  // namespace

std::span<const KeyCodeRow, kKeyCodeRowCount> keyCodeTable() { return kKeyCodeTable; }

int findKeyCodeRowByVirtualKey(int virtualKey, int rowLimit) {
    if (virtualKey == 0)
        return -1;
    const int limit = std::clamp(rowLimit, 0, kKeyCodeRowCount);
    for (int row = 0; row < limit; ++row)
        if (kKeyCodeTable[std::size_t(row)].virtualKey == virtualKey)
            return row;
    return -1;
}

int findKeyCodeRowByParams(uint8_t p1, uint8_t p2) {
    for (int row = 0; row < kKeyCodeRowCount; ++row) {
        const KeyFunction& f = kKeyCodeTable[std::size_t(row)].function;
        if (f.p1 == p1 && f.p2 == p2)
            return row;
    }
    return -1;
}

int findKeyboardKeyRowByParams(uint8_t p1, uint8_t p2) {
    for (int row = 0; row < kKeyCodeRowCount; ++row) {
        const KeyFunction& f = kKeyCodeTable[std::size_t(row)].function;
        if (f.is(KeyFunctionType::KeyboardKey) && f.p1 == p1 && f.p2 == p2)
            return row;
    }
    return -1;
}

}  // namespace keys
