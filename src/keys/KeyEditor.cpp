#include "keys/KeyEditor.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "keys/FunctionTables.h"
#include "keys/KeyCodeTable.h"

namespace keys {

namespace {

constexpr int kSwingAmountMax = 127;
constexpr int kNibbleMax = 15;
constexpr int kByteMax = 255;
constexpr int kPlayModeCount = 4;  // items 0..3; item 4 is "repeat"

bool inRange(int item, std::size_t count) { return item >= 0 && std::size_t(item) < count; }

template <std::size_t N>
std::optional<KeyFunction> rowAt(const std::array<NamedFunction, N>& table, int item) {
    if (!inRange(item, N))
        return std::nullopt;
    return table[std::size_t(item)].function;
}

std::optional<KeyFunction> encodeSwing(const std::array<KeyFunction, 2>& templates, int directionItem, int amount,
                                       int highNibble, int lowNibble) {
    if (!inRange(directionItem, templates.size()))
        return std::nullopt;
    const int nibbles = std::clamp(highNibble, 0, kNibbleMax) * 16 + std::clamp(lowNibble, 0, kNibbleMax);
    const int p2 = std::clamp(amount, 0, kSwingAmountMax) + (directionItem == 1 ? 0x80 : 0);
    return KeyFunction{templates[std::size_t(directionItem)].type, uint8_t(nibbles % 256), uint8_t(p2)};
}

std::optional<KeyFunction> encodeMacro(const EditorState& state, int macroCount) {
    // A macro index has to fit p1 as well as the list.
    const int listed = std::clamp(macroCount, 0, kByteMax + 1);
    if (!inRange(state.macroItem, std::size_t(listed)))
        return std::nullopt;
    const uint8_t macro = uint8_t(state.macroItem);
    if (state.playModeItem == kPlayModeRepeatItem)
        return makeKeyFunction(KeyFunctionType::MacroRepeatKey, macro,
                               uint8_t(std::clamp(state.repeatCount, 0, kByteMax)));
    if (!inRange(state.playModeItem, kPlayModeCount))
        return std::nullopt;
    return makeKeyFunction(KeyFunctionType::MacroKey, macro, uint8_t(state.playModeItem));
}

// Selects the row of `table` with the entry's p1 and p2; no such row leaves the combo as it was.
template <std::size_t N>
void selectRow(const std::array<NamedFunction, N>& table, KeyFunction entry, int& item) {
    const int row = findNamedFunction(table, entry.p1, entry.p2);
    if (row >= 0)
        item = row;
}

void showSwing(KeyFunction entry, int& directionItem, int& amount, int& highNibble, int& lowNibble) {
    highNibble = entry.p1 / 16;
    lowNibble = entry.p1 % 16;
    amount = entry.p2 % 128;
    directionItem = (entry.p2 & 0x80) ? 1 : 0;
}

void showMacro(KeyFunction entry, int macroCount, EditorState& state) {
    state.macroItem = entry.p1 < macroCount ? int(entry.p1) : kNoSelection;
    if (entry.is(KeyFunctionType::MacroRepeatKey)) {
        state.playModeItem = kPlayModeRepeatItem;
        state.repeatCount = entry.p2;
    } else if (entry.p2 < kPlayModeCount) {
        state.playModeItem = entry.p2;
    }
    // A MacroKey play mode beyond 3 is no play mode: the combo stays as it was.
}

// The function type item that shows `entry` on `page`; nothing for a type the page does not offer.
std::optional<FunctionItem> itemForType(uint8_t type, KeyPage page) {
    switch (type) {
    case uint8_t(KeyFunctionType::MouseKey): return FunctionItem::Mouse;
    case uint8_t(KeyFunctionType::HorizontalSwing): return FunctionItem::HorizontalSwing;
    case uint8_t(KeyFunctionType::VerticalSwing): return FunctionItem::VerticalSwing;
    case uint8_t(KeyFunctionType::DpiKey): return FunctionItem::Dpi;
    case uint8_t(KeyFunctionType::FireKey): return FunctionItem::Fire;
    case uint8_t(KeyFunctionType::KeyboardKey): return FunctionItem::Keyboard;
    case uint8_t(KeyFunctionType::MediaKey): return FunctionItem::Media;
    case uint8_t(KeyFunctionType::SystemKey): return FunctionItem::System;
    case uint8_t(KeyFunctionType::MacroKey):
    case uint8_t(KeyFunctionType::MacroRepeatKey): return FunctionItem::Macro;
    case uint8_t(KeyFunctionType::GunKey):
        if (page == KeyPage::Mouse)
            return FunctionItem::Gun;
        return std::nullopt;
    default: return std::nullopt;
    }
}

}  // namespace

int clampEditValue(std::string_view text, int upperBound) {
    const std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos)
        return 0;
    text.remove_prefix(start);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range)
        value = std::numeric_limits<long long>::max();
    else if (error != std::errc())
        value = 0;
    if (negative)
        return 0;
    return int(std::clamp<long long>(value, 0, std::max(upperBound, 0)));
}

std::optional<KeyFunction> encodeKey(const EditorState& state, const EditorContext& context) {
    if (!inRange(state.typeItem, std::size_t(functionItemCount(context.page))))
        return std::nullopt;
    switch (FunctionItem(state.typeItem)) {
    case FunctionItem::Default:
        return context.defaultEntry;
    case FunctionItem::Mouse:
        return rowAt(kMouseKeyTable, state.mouseButtonItem);
    case FunctionItem::HorizontalSwing:
        return encodeSwing(kHorizontalSwingTemplates, state.horizontalDirectionItem, state.horizontalAmount,
                           state.horizontalHighNibble, state.horizontalLowNibble);
    case FunctionItem::VerticalSwing:
        return encodeSwing(kVerticalSwingTemplates, state.verticalDirectionItem, state.verticalAmount,
                           state.verticalHighNibble, state.verticalLowNibble);
    case FunctionItem::Dpi:
        return rowAt(kDpiKeyTable, state.dpiItem);
    case FunctionItem::Fire:
        return KeyFunction{kFireTemplate.type, uint8_t(std::clamp(state.fireParameter1, 0, kByteMax)),
                           uint8_t(std::clamp(state.fireParameter2, 0, kByteMax))};
    case FunctionItem::Keyboard:
        if (state.capturedKeyName.empty())
            return std::nullopt;
        return state.capturedFunction;
    case FunctionItem::Media:
        return rowAt(kMediaKeyTable, state.mediaItem);
    case FunctionItem::System:
        return rowAt(kSystemKeyTable, state.systemItem);
    case FunctionItem::Macro:
        return encodeMacro(state, context.macroCount);
    case FunctionItem::Gun:
        if (!inRange(state.gunItem, kGunNames.size()))
            return std::nullopt;
        return makeKeyFunction(KeyFunctionType::GunKey, uint8_t(state.gunItem));
    }
    return std::nullopt;
}

ShowResult showKey(KeyFunction entry, const EditorContext& context, EditorState& state) {
    if (entry == context.defaultEntry) {
        state.typeItem = int(FunctionItem::Default);
        return {true, false};
    }
    const std::optional<FunctionItem> item = itemForType(entry.type, context.page);
    if (!item)
        return {false, state.typeItem == int(FunctionItem::Keyboard)};

    switch (*item) {
    case FunctionItem::Mouse: selectRow(kMouseKeyTable, entry, state.mouseButtonItem); break;
    case FunctionItem::Dpi: selectRow(kDpiKeyTable, entry, state.dpiItem); break;
    case FunctionItem::Media: selectRow(kMediaKeyTable, entry, state.mediaItem); break;
    case FunctionItem::System: selectRow(kSystemKeyTable, entry, state.systemItem); break;
    case FunctionItem::HorizontalSwing:
        showSwing(entry, state.horizontalDirectionItem, state.horizontalAmount, state.horizontalHighNibble,
                  state.horizontalLowNibble);
        break;
    case FunctionItem::VerticalSwing:
        showSwing(entry, state.verticalDirectionItem, state.verticalAmount, state.verticalHighNibble,
                  state.verticalLowNibble);
        break;
    case FunctionItem::Fire:
        state.fireParameter1 = entry.p1;
        state.fireParameter2 = entry.p2;
        break;
    case FunctionItem::Keyboard: {
        // The captured entry follows the shown key, so that re-encoding the panel writes back
        // this key's function and not whatever an earlier key captured. An entry without a named
        // row (a modifier combination) shows no name and is therefore never rewritten by encoding.
        const int row = findKeyboardKeyRowByParams(entry.p1, entry.p2);
        state.capturedKeyName = row < 0 ? std::string() : std::string(kKeyCodeTable[std::size_t(row)].name);
        state.capturedFunction = entry;
        break;
    }
    case FunctionItem::Macro: showMacro(entry, context.macroCount, state); break;
    case FunctionItem::Gun:
        if (entry.p1 < kGunNames.size())
            state.gunItem = entry.p1;
        break;
    case FunctionItem::Default: break;
    }
    state.typeItem = int(*item);
    return {true, *item == FunctionItem::Keyboard};
}

bool captureKey(int virtualKey, unsigned flags, EditorState& state) {
    const int row = findKeyCodeRowByVirtualKey(keyEventVirtualKey(virtualKey, flags));
    if (row < 0)
        return false;
    const KeyCodeRow& key = kKeyCodeTable[std::size_t(row)];
    if (!key.function.is(KeyFunctionType::KeyboardKey))
        return false;
    state.capturedKeyName = std::string(key.name);
    state.capturedFunction = key.function;
    return true;
}

}  // namespace keys
