// Naming a key's function for its label, for every kind of entry and for hostile bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "keys/KeyNaming.h"

using namespace keys;

namespace {

const std::vector<std::string> kMacros = {"Reload", "Combo 2", "宏三"};

KeyName lang(const char* key) { return {KeyName::Kind::LanguageKey, key}; }
KeyName literal(const char* text) { return {KeyName::Kind::Literal, text}; }
const KeyName kUnchanged{};

struct Case {
    KeyFunction entry;
    KeyPage page;
    KeyName name;
};

}  // namespace

TEST(KeyNaming, EveryKindOfEntry) {
    const KeyPage kb = KeyPage::Keyboard, ms = KeyPage::Mouse;
    const Case cases[] = {
        // keyboard keys and "no type" by KeyCodeTable
        {{0x20, 0x00, 0x05}, kb, lang("keyboard_key_B")},
        {{0x20, 0x01, 0x00}, ms, lang("keyboard_key_LCtrl")},
        {{0x20, 0x00, 0x58}, kb, lang("keyboard_key_Num Enter")},
        {{0x00, 0x00, 0x29}, kb, lang("keyboard_key_Esc")},
        {{0x00, 0x00, 0x00}, kb, kUnchanged},           // a position without a key
        {{0x20, 0x00, 0x64}, kb, kUnchanged},           // the extra key has no row
        {{0x20, 0x03, 0x04}, kb, kUnchanged},           // Ctrl+Shift+A: combinations have no row
        {{0x20, 0xE9, 0x00}, kb, kUnchanged},           // modifier bits, not the volume-up row
        // mouse buttons by p1 alone
        {{0x10, 0x04, 0x00}, kb, lang("mouse_key_middle")},
        {{0x10, 0x08, 0x33}, ms, lang("mouse_key_back")},
        {{0x10, 0x03, 0x00}, ms, lang("close_text")},
        // swings by bit 7 of p2, fire
        {{0x11, 0x32, 0x85}, ms, lang("mouse_key_right_Swing")},
        {{0x11, 0xFF, 0x7F}, ms, lang("mouse_key_left_Swing")},
        {{0x12, 0x00, 0x80}, kb, lang("mouse_key_down_Swing")},
        {{0x12, 0x00, 0x00}, kb, lang("mouse_key_up_Swing")},
        {{0x14, 0x09, 0x09}, kb, lang("mouse_key_fire_key")},
        // table rows by p1 and p2
        {{0x13, 0x02, 0x00}, ms, lang("mouse_key_DPI_sub")},
        {{0x13, 0x02, 0x01}, ms, lang("close_text")},
        {{0x30, 0x27, 0x02}, kb, lang("web_refresh")},
        {{0x21, 0xCD, 0x00}, kb, lang("keyboard_key_Media Play Pause")},
        {{0x30, 0x26, 0x03}, kb, lang("close_text")},
        {{0x40, 0x04, 0x00}, kb, lang("system_wake_up")},
        {{0x40, 0x08, 0x00}, kb, lang("close_text")},
        // macros by their own names, literally
        {{0x70, 0x02, 0x01}, kb, literal("宏三")},
        {{0x71, 0x00, 0x0A}, ms, literal("Reload")},
        {{0x70, 0x03, 0x00}, kb, kUnchanged},           // beyond the macro list
        {{0x71, 0xFF, 0xFF}, ms, kUnchanged},
        // guns
        {{0x72, 0x00, 0x00}, ms, lang("GUN_1")},
        {{0x72, 0x03, 0x00}, kb, lang("GUN_4")},
        {{0x72, 0x04, 0x00}, ms, lang("close_text")},
        // keyboard-only names
        {{0xD0, 0xA2, 0x03}, kb, lang("keyboard_key_G3")},
        {{0xD0, 0xA2, 0x07}, kb, lang("close_text")},
        {{0xD0, 0xA2, 0x03}, ms, lang("close_text")},
        {{0xA0, 0x33, 0x00}, kb, lang("keyboard_key_Function Deng")},
        {{0xA0, 0x02, 0x02}, kb, kUnchanged},           // the keyboard's function key
        {{0xA0, 0x33, 0x00}, ms, kUnchanged},
    };
    for (const Case& c : cases)
        EXPECT_EQ(keyName(c.entry, c.page, kMacros), c.name)
            << int(c.entry.type) << ',' << int(c.entry.p1) << ',' << int(c.entry.p2) << " page " << int(c.page);
}

TEST(KeyNaming, UnknownTypes) {
    for (uint8_t type : {0x15, 0x50, 0x60, 0xB0, 0xC0})
        for (KeyPage page : {KeyPage::Keyboard, KeyPage::Mouse})
            EXPECT_EQ(keyName({type, 0x01, 0x02}, page, kMacros), kUnchanged) << int(type);
    for (uint8_t type : {0x01, 0x05, 0x16, 0x22, 0x45, 0x73, 0xFF})
        EXPECT_EQ(keyName({type, 0, 0}, KeyPage::Keyboard, kMacros), lang("close_text")) << int(type);
}

TEST(KeyNaming, AnyBytesGiveAKnownKindOfName) {
    // Every entry names without reading outside a table (the sanitizer build checks the reads):
    // a language key is never empty, and only macro entries are named literally.
    const std::vector<std::string> none;
    for (KeyPage page : {KeyPage::Keyboard, KeyPage::Mouse})
        for (int type = 0; type < 256; ++type)
            for (int p1 = 0; p1 < 256; ++p1)
                for (int p2 : {0x00, 0x01, 0x02, 0x7F, 0x80, 0xFF}) {
                    const KeyFunction entry{uint8_t(type), uint8_t(p1), uint8_t(p2)};
                    const KeyName name = keyName(entry, page, p1 % 2 ? kMacros : none);
                    const bool macro = type == 0x70 || type == 0x71;
                    if (name.kind == KeyName::Kind::Literal && !macro)
                        FAIL() << "literal name for type " << type;
                    if (name.kind == KeyName::Kind::LanguageKey && name.text.empty())
                        FAIL() << "empty language key for " << type << ',' << p1 << ',' << p2;
                    if (macro && name.kind == KeyName::Kind::Literal && std::size_t(p1) >= kMacros.size())
                        FAIL() << "macro " << p1 << " named beyond the list";
                }
}
