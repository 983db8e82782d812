#include "macro/MacroAction.h"

#include <climits>

#include "keys/KeyCodeTable.h"

namespace macro {

void MacroAction::setDelayUnits(int units) {
    if (units < 0) units = 0;
    if (units > kMaxDelayUnits) units = kMaxDelayUnits;
    delayLow = uint8_t(units & 0xFF);
    delayHigh = uint8_t(units >> 8);
}

void MacroAction::setDelayMs(int ms) { setDelayUnits(ms < 0 ? 0 : ms / kDelayUnitMs); }

int leadingInt(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) value = INT_MAX + 1LL;  // saturates below, never overflows
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return int(value);
}

std::optional<MacroAction> parseActionLine(std::string_view line) {
    // From the right: name, press flag, code, type, then delay high and low around the last comma.
    std::string_view fields[5];  // press flag, code, type, delay high, delay low
    MacroAction action;
    size_t comma = line.rfind(',');
    if (comma == std::string_view::npos) return std::nullopt;
    action.name = std::string(line.substr(comma + 1));
    std::string_view rest = line.substr(0, comma);
    for (int f = 0; f < 4; ++f) {
        comma = rest.rfind(',');
        if (comma == std::string_view::npos) return std::nullopt;
        fields[f] = rest.substr(comma + 1);
        rest = rest.substr(0, comma);
    }
    fields[4] = rest;
    action.pressFlag = uint16_t(leadingInt(fields[0]));
    action.code = uint8_t(leadingInt(fields[1]));
    action.type = uint8_t(leadingInt(fields[2]));
    action.delayHigh = uint8_t(leadingInt(fields[3]));
    action.delayLow = uint8_t(leadingInt(fields[4]));
    return action;
}

std::string formatActionLine(const MacroAction& a) {
    std::string line;
    line.reserve(24 + a.name.size());
    for (int v : {int(a.delayLow), int(a.delayHigh), int(a.type), int(a.code), int(a.pressFlag)})
        line.append(std::to_string(v)).push_back(',');
    line.append(a.name);
    return line;
}

MacroAction mouseAction(int row, uint8_t distance) {
    MacroAction action;
    if (row < 0 || row >= kMouseActionRowCount) return action;
    const MouseActionRow& r = kMouseActionTable[size_t(row)];
    action.type = r.type;
    action.code = (r.event == 4 || r.event == 5) ? distance : r.code;
    action.pressFlag = (r.type & kPressBit) ? 1 : 0;
    action.name = std::string(r.name);
    return action;
}

int findMouseRowByEvent(uint32_t event, int rowLimit) {
    for (int row = 0; row < rowLimit && row < kMouseActionRowCount; ++row)
        if (kMouseActionTable[size_t(row)].event == event) return row;
    return -1;
}

int mouseRowForAction(const MacroAction& action) {
    for (int row = 0; row < kMouseButtonRowCount; ++row) {
        const MouseActionRow& r = kMouseActionTable[size_t(row)];
        if (r.code == action.code && r.type == action.type) return row;
    }
    if (action.kindValue() == uint8_t(MacroActionKind::MoveX)) return action.pressed() ? 10 : 11;
    if (action.kindValue() == uint8_t(MacroActionKind::MoveY)) return action.pressed() ? 12 : 13;
    return -1;
}

std::optional<MacroAction> keyAction(int row, bool press) {
    if (row < 0 || row >= keys::kMacroKeyRowCount) return std::nullopt;
    const keys::KeyCodeRow& r = keys::kKeyCodeTable[size_t(row)];
    MacroAction action;
    if (r.function.p2 != 0) {
        action.type = uint8_t(MacroActionKind::KeyAction);
        action.code = r.function.p2;
    } else if (r.function.p1 != 0) {
        action.type = uint8_t(MacroActionKind::ModifierKey);
        action.code = r.function.p1;
    } else {
        return std::nullopt;
    }
    action.setPressed(press);
    action.name = std::string(r.name);
    return action;
}

int keyRowForAction(const MacroAction& action) {
    const uint8_t kind = action.kindValue();
    for (int row = 0; row < keys::kMacroKeyRowCount; ++row) {
        const keys::KeyFunction& f = keys::kKeyCodeTable[size_t(row)].function;
        if (kind == uint8_t(MacroActionKind::KeyAction) && f.p2 != 0 && f.p2 == action.code) return row;
        if (kind == uint8_t(MacroActionKind::ModifierKey) && f.p2 == 0 && f.p1 == action.code) return row;
    }
    return -1;
}

}  // namespace macro
