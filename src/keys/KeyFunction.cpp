#include "keys/KeyFunction.h"

namespace keys {

namespace {

bool fits(std::size_t tableBytes, int key) {
    return key >= 0 && key < keyCountOf(tableBytes);
}

}  // namespace

std::optional<KeyFunction> readKeyFunction(std::span<const uint8_t> table, int key) {
    if (!fits(table.size(), key))
        return std::nullopt;
    const uint8_t* at = table.data() + std::size_t(key) * kKeyFunctionSize;
    return KeyFunction{at[0], at[1], at[2]};
}

bool writeKeyFunction(std::span<uint8_t> table, int key, KeyFunction entry) {
    if (!fits(table.size(), key))
        return false;
    uint8_t* at = table.data() + std::size_t(key) * kKeyFunctionSize;
    at[0] = entry.type;
    at[1] = entry.p1;
    at[2] = entry.p2;
    return true;
}

}  // namespace keys
