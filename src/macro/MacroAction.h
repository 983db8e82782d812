// One macro action and its one-line text form, the vocabulary of mouse actions, and the delay
// conversions. Every macro file, the device image, the recorder and the editors speak these.
//
// Action line: "delay low,delay high,type,code,press flag,name", numbers in decimal, for example
// "12,0,138,4,1,keyboard_key_A" (press A, then 120 ms). The delay is in units of 10 ms and is the
// pause after the action. Bit 7 of the type is press (buttons, keys) or direction (moves: 1 left
// or up); the press flag always equals it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace macro {

enum class MacroActionKind : uint8_t {
    MouseButton = 1,
    MoveX = 4,
    MoveY = 5,
    ModifierKey = 9,
    KeyAction = 10,
};

constexpr uint8_t kPressBit = 0x80;
constexpr int kDelayUnitMs = 10;
constexpr int kMaxDelayUnits = 0xFFFF;
constexpr int kMaxDelayMs = kMaxDelayUnits * kDelayUnitMs;  // 655 350
constexpr int kMaxMoveDistance = 255;

struct MacroAction {
    uint8_t delayLow = 0;
    uint8_t delayHigh = 0;
    uint8_t type = 0;
    uint8_t code = 0;
    uint16_t pressFlag = 0;
    std::string name;  // language key of the key, button or direction

    uint8_t kindValue() const { return type & 0x7F; }
    bool isMouseAction() const { return kindValue() < 9; }  // the lists and editors decide by this
    bool isMove() const {
        return kindValue() == uint8_t(MacroActionKind::MoveX) || kindValue() == uint8_t(MacroActionKind::MoveY);
    }
    bool pressed() const { return (type & kPressBit) != 0; }
    // Sets bit 7 of the type and the press flag together.
    void setPressed(bool press) {
        type = uint8_t(press ? (type | kPressBit) : (type & ~kPressBit));
        pressFlag = press ? 1 : 0;
    }
    int delayUnits() const { return delayLow + 256 * delayHigh; }
    int delayMs() const { return delayUnits() * kDelayUnitMs; }
    void setDelayUnits(int units);  // clamped to 0..65535
    void setDelayMs(int ms);        // units = ms / 10, clamped

    friend bool operator==(const MacroAction&, const MacroAction&) = default;
};

// The decimal number at the start of text as the files were read: blanks, an optional sign, the
// digits; 0 when there are none; saturated at the int range.
int leadingInt(std::string_view text);

// Nothing when the line has fewer than five commas (it is then skipped everywhere: lists, image
// and editor alike). Numbers are truncated to their field's width; the name is the text after
// the last comma, so a name may hold no comma but the fields before it are found from the right.
std::optional<MacroAction> parseActionLine(std::string_view line);
std::string formatActionLine(const MacroAction& action);

// ---- the mouse action vocabulary ----

struct MouseActionRow {
    uint32_t event;  // the mouse event kind (button messages), or 4 / 5 for the move rows
    uint8_t code;
    uint8_t type;
    std::string_view name;
};

constexpr int kMouseActionRowCount = 15;
constexpr int kMouseButtonRowCount = 10;  // rows 0..9; 10..13 are moves, 14 the wheel
constexpr int kRecordedMouseRowCount = 6; // left, right and middle button down and up

inline constexpr std::array<MouseActionRow, kMouseActionRowCount> kMouseActionTable = {{
    {0x201, 0x01, 0x81, "mouse_key_left"},
    {0x202, 0x01, 0x01, "mouse_key_left"},
    {0x204, 0x02, 0x81, "mouse_key_right"},
    {0x205, 0x02, 0x01, "mouse_key_right"},
    {0x207, 0x04, 0x81, "mouse_key_middle"},
    {0x208, 0x04, 0x01, "mouse_key_middle"},
    {0x20B, 0x10, 0x81, "mouse_key_forward"},
    {0x20C, 0x10, 0x01, "mouse_key_forward"},
    {0x20B, 0x08, 0x81, "mouse_key_back"},
    {0x20C, 0x08, 0x01, "mouse_key_back"},
    {4, 0, 0x84, "mouse_move_to_left_text"},
    {4, 0, 0x04, "mouse_move_to_right_text"},
    {5, 0, 0x85, "mouse_move_to_up_text"},
    {5, 0, 0x05, "mouse_move_to_down_text"},
    {0x20A, 0, 0, "mouse_cursor_text"},
}};

// The action of a table row (delay 0, press flag from bit 7 of the type); distance for moves.
MacroAction mouseAction(int row, uint8_t distance = 0);
// The row among rows [0, rowLimit) for a mouse event kind; -1 when none.
int findMouseRowByEvent(uint32_t event, int rowLimit = kRecordedMouseRowCount);
// The editor's item for an action: the button row with the same code and type, else the move row
// for its kind and direction; -1 for anything else.
int mouseRowForAction(const MacroAction& action);

// ---- the key vocabulary: rows 0..105 of the key table ----

// The action of key-table row r (kKeyAction with the usage, else kModifierKey with the bit), with
// the press flag given; nothing for rows outside the macro rows or rows that produce neither.
std::optional<MacroAction> keyAction(int row, bool press);
// The macro key row of a keyboard action (usage column for KeyAction, modifier column for
// ModifierKey); -1 when none.
int keyRowForAction(const MacroAction& action);

}  // namespace macro
