// The name a key's function shows on its page (button labels, tips).
//
// Most functions are named by a language key from one of the built-in tables; a macro is named by
// the macro's own (literal) name; some entries cannot be named, and then the label keeps whatever
// it showed before. Any entry, whatever its bytes, is named without reading outside a table.
#pragma once

#include <span>
#include <string>

#include "keys/KeyFunction.h"

namespace keys {

// The two key pages share the model; they differ in a few rules.
enum class KeyPage { Mouse, Keyboard };

struct KeyName {
    enum class Kind {
        Unchanged,    // the label is left as it was
        LanguageKey,  // text is a key of the language file
        Literal,      // text is shown as it is (a macro's name)
    };
    Kind kind = Kind::Unchanged;
    std::string text;

    friend bool operator==(const KeyName&, const KeyName&) = default;
};

// Names `entry` for a label on `page`. macroNames is the device's macro list in list order (its
// count is the list's "MACROCOUNT"); a macro entry whose index lies beyond it cannot be named.
//
//   0x00, 0x20   the first KeyboardKey row of KeyCodeTable with the entry's p1 and p2; none: unchanged
//   0x10         the MouseKeyTable row with the entry's p1
//   0x11, 0x12   the swing name by bit 7 of p2
//   0x13         DpiKeyTable by p1 and p2
//   0x14         "mouse_key_fire_key"
//   0x21, 0x30   MediaKeyTable by p1 and p2
//   0x40         SystemKeyTable by p1 and p2
//   0x70, 0x71   the macro's name (literal); p1 beyond the list: unchanged
//   0x72         "GUN_1".."GUN_4" by p1
//   0xD0         GKeyTable by p1 and p2 (keyboard page)
//   0xA0         "keyboard_key_Function Deng" for (0x33, 0) on the keyboard page; otherwise unchanged
//   0x15, 0x50, 0x60, 0xB0, 0xC0   unchanged
//   anything else, and a table lookup without a match: "close_text"
KeyName keyName(KeyFunction entry, KeyPage page, std::span<const std::string> macroNames);

}  // namespace keys
