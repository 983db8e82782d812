#include "keys/KeyNaming.h"

#include <string_view>

#include "keys/FunctionTables.h"
#include "keys/KeyCodeTable.h"

namespace keys {

namespace {

KeyName unchanged() { return {}; }

KeyName languageKey(std::string_view key) { return {KeyName::Kind::LanguageKey, std::string(key)}; }

KeyName closeText() { return languageKey(kCloseText); }

KeyName fromTable(std::span<const NamedFunction> table, KeyFunction entry) {
    const int row = findNamedFunction(table, entry.p1, entry.p2);
    return row < 0 ? closeText() : languageKey(table[std::size_t(row)].name);
}

KeyName mouseButtonName(uint8_t button) {
    for (const NamedFunction& row : kMouseKeyTable)
        if (row.function.p1 == button)
            return languageKey(row.name);
    return closeText();
}

KeyName gKeyName(KeyFunction entry) {
    for (const KeyCodeRow& row : gKeyTable())
        if (row.function.p1 == entry.p1 && row.function.p2 == entry.p2)
            return languageKey(row.name);
    return closeText();
}

}  // namespace

KeyName keyName(KeyFunction entry, KeyPage page, std::span<const std::string> macroNames) {
    const bool keyboardPage = page == KeyPage::Keyboard;
    switch (entry.type) {
    case 0x00:
    case uint8_t(KeyFunctionType::KeyboardKey): {
        // Only keyboard-key rows: a bare set of modifier bits such as 0xE9 must not borrow the
        // name of the consumer-key row whose usage bytes happen to match.
        const int row = findKeyboardKeyRowByParams(entry.p1, entry.p2);
        return row < 0 ? unchanged() : languageKey(kKeyCodeTable[std::size_t(row)].name);
    }
    case uint8_t(KeyFunctionType::MouseKey):
        return mouseButtonName(entry.p1);
    case uint8_t(KeyFunctionType::HorizontalSwing):
        return languageKey(kHorizontalSwingNames[entry.p2 >> 7]);
    case uint8_t(KeyFunctionType::VerticalSwing):
        return languageKey(kVerticalSwingNames[entry.p2 >> 7]);
    case uint8_t(KeyFunctionType::DpiKey):
        return fromTable(kDpiKeyTable, entry);
    case uint8_t(KeyFunctionType::FireKey):
        return languageKey(kFireKeyName);
    case 0x21:
    case uint8_t(KeyFunctionType::MediaKey):
        return fromTable(kMediaKeyTable, entry);
    case uint8_t(KeyFunctionType::SystemKey):
        return fromTable(kSystemKeyTable, entry);
    case uint8_t(KeyFunctionType::MacroKey):
    case uint8_t(KeyFunctionType::MacroRepeatKey):
        if (entry.p1 >= macroNames.size())
            return unchanged();
        return {KeyName::Kind::Literal, macroNames[entry.p1]};
    case uint8_t(KeyFunctionType::GunKey):
        return entry.p1 < kGunNames.size() ? languageKey(kGunNames[entry.p1]) : closeText();
    case uint8_t(KeyFunctionType::GKey):
        return keyboardPage ? gKeyName(entry) : closeText();
    case uint8_t(KeyFunctionType::FunctionKey):
        if (keyboardPage && entry.p1 == lightingFunctionKey().function.p1 &&
            entry.p2 == lightingFunctionKey().function.p2)
            return languageKey(lightingFunctionKey().name);
        return unchanged();
    case 0x15:
    case 0x50:
    case 0x60:
    case 0xB0:
    case 0xC0:
        return unchanged();
    default:
        return closeText();
    }
}

}  // namespace keys
