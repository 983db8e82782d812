#include "keys/KeyboardDefaultCodes.h"

namespace keys {

// A source left out of the initialiser would silently read as "no key" at the end.
static_assert(detail::kKeyboardDefaultSources.back().row == "keyboard_key_G6");

std::optional<KeyFunction> keyboardDefaultCode(int key) {
    if (key < 0 || key >= kKeyboardLogicalKeyCount)
        return std::nullopt;
    return kKeyboardDefaultCodes[std::size_t(key)];
}

}  // namespace keys
