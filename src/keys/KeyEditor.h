// The function editor panel of the key pages as plain values: which items its combos select,
// what its numeric edits hold and which key it captured; and the three operations on it:
// encoding the panel into a key function, showing a key function on the panel, and capturing a
// key event.
//
// The page reads its controls into an EditorState, calls these, and writes the state back into
// its controls (names are the page prefix, "kb_" or "ms_", followed by the suffixes below). The
// model never touches a widget and never reads outside a table, whatever the state holds.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "keys/KeyFunction.h"
#include "keys/KeyNaming.h"

namespace keys {

// Items of the function type combo ("key_fct_combo"), the same on both pages; the keyboard's
// combo ends before Gun. The sub-panel of item i is "tab_function_" followed by i.
enum class FunctionItem : int {
    Default = 0,
    Mouse = 1,
    HorizontalSwing = 2,
    VerticalSwing = 3,
    Dpi = 4,
    Fire = 5,
    Keyboard = 6,  // choosing or showing it starts key capture
    Media = 7,
    System = 8,
    Macro = 9,     // MacroKey or MacroRepeatKey, by the play mode
    Gun = 10,      // mouse page only
};

constexpr int functionItemCount(KeyPage page) { return page == KeyPage::Mouse ? 11 : 10; }

constexpr int kNoSelection = -1;
constexpr int kPlayModeRepeatItem = 4;  // play mode item that means "repeat a number of times"

struct EditorState {
    int typeItem = kNoSelection;                 // "key_fct_combo": a FunctionItem
    int mouseButtonItem = kNoSelection;          // "key_fct_combo_11": MouseKeyTable row
    int horizontalDirectionItem = kNoSelection;  // "key_fct_combo_12": 0 left, 1 right
    int horizontalAmount = 0;                    // "key_fct_edit_15": 0..127
    int horizontalHighNibble = 0;                // "key_fct_edit_17": 0..15
    int horizontalLowNibble = 0;                 // "key_fct_edit_20": 0..15
    int verticalDirectionItem = kNoSelection;    // "key_fct_combo_13": 0 up, 1 down
    int verticalAmount = 0;                      // "key_fct_edit_16": 0..127
    int verticalHighNibble = 0;                  // "key_fct_edit_18": 0..15
    int verticalLowNibble = 0;                   // "key_fct_edit_19": 0..15
    int dpiItem = kNoSelection;                  // "key_fct_combo_14": DpiKeyTable row
    int fireParameter1 = 0;                      // "key_fct_edit_11": 0..255
    int fireParameter2 = 0;                      // "key_fct_edit_12": 0..255
    std::string capturedKeyName;                 // "key_fct_edit_21": language key, empty until a capture
    KeyFunction capturedFunction{};              // the entry the captured key stands for
    int mediaItem = kNoSelection;                // "key_fct_combo_21": MediaKeyTable row
    int systemItem = kNoSelection;               // "key_fct_combo_22": SystemKeyTable row
    int macroItem = kNoSelection;                // "key_fct_combo_23": index in the macro list
    int playModeItem = kNoSelection;             // "key_fct_combo_24": 0..3 play mode, 4 repeat
    int repeatCount = 0;                         // "key_fct_edit_25": 0..255
    int gunItem = kNoSelection;                  // "key_fct_combo_25": 0..3 (mouse only)

    friend bool operator==(const EditorState&, const EditorState&) = default;
};

// The repeat count panel "tab_function_26" is visible exactly when play mode item 4 is chosen.
constexpr bool repeatPanelVisible(const EditorState& state) { return state.playModeItem == kPlayModeRepeatItem; }

// The numeric edits with their bounds, for the page's "textchanged" handler.
struct EditorEdit {
    std::string_view suffix;  // control name after the page prefix
    int EditorState::*field;
    int upperBound;
};
inline constexpr std::array<EditorEdit, 9> kEditorEdits = {{
    {"key_fct_edit_11", &EditorState::fireParameter1, 255},
    {"key_fct_edit_12", &EditorState::fireParameter2, 255},
    {"key_fct_edit_15", &EditorState::horizontalAmount, 127},
    {"key_fct_edit_16", &EditorState::verticalAmount, 127},
    {"key_fct_edit_17", &EditorState::horizontalHighNibble, 15},
    {"key_fct_edit_18", &EditorState::verticalHighNibble, 15},
    {"key_fct_edit_19", &EditorState::verticalLowNibble, 15},
    {"key_fct_edit_20", &EditorState::horizontalLowNibble, 15},
    {"key_fct_edit_25", &EditorState::repeatCount, 255},
}};

// The combos with their item counts. The type combo's count depends on the page and the macro
// combo's on the macro list; both are given as 0 here.
struct EditorCombo {
    std::string_view suffix;
    int EditorState::*field;
    int itemCount;
};
inline constexpr std::array<EditorCombo, 10> kEditorCombos = {{
    {"key_fct_combo", &EditorState::typeItem, 0},
    {"key_fct_combo_11", &EditorState::mouseButtonItem, 5},
    {"key_fct_combo_12", &EditorState::horizontalDirectionItem, 2},
    {"key_fct_combo_13", &EditorState::verticalDirectionItem, 2},
    {"key_fct_combo_14", &EditorState::dpiItem, 3},
    {"key_fct_combo_21", &EditorState::mediaItem, 18},
    {"key_fct_combo_22", &EditorState::systemItem, 3},
    {"key_fct_combo_23", &EditorState::macroItem, 0},
    {"key_fct_combo_24", &EditorState::playModeItem, 5},
    {"key_fct_combo_25", &EditorState::gunItem, 4},  // the mouse page only
}};

// The value of a numeric edit's text, as its handler writes it back: the leading decimal number
// (optional blanks and sign first), 0 when there is none, held to 0..upperBound.
int clampEditValue(std::string_view text, int upperBound);

// What the page knows about the key being edited.
struct EditorContext {
    KeyPage page = KeyPage::Keyboard;
    KeyFunction defaultEntry{};  // the key's default entry (built-in code or the mouse's default table)
    int macroCount = 0;          // number of macros listed in the macro combo
};

// The entry the panel describes for the chosen type, or nothing when nothing is to be written: no
// type chosen (or one the page does not offer), a needed combo without a valid selection, the
// Keyboard item with no captured key, the Macro item with no macro. Edit values are held to their
// bounds first.
std::optional<KeyFunction> encodeKey(const EditorState& state, const EditorContext& context);

struct ShowResult {
    bool typeShown = false;       // the type combo now shows the entry's type
    bool captureWanted = false;   // the Keyboard item is showing: key capture should run
};

// Sets the panel from `entry`, leaving what the entry does not determine as it was. An entry
// equal to the key's default shows as item Default. A type the page does not offer (0x15, 0x21,
// 0x50, 0x60, 0xA0, 0xB0, 0xD0, 0x72 on the keyboard page, ...) leaves the whole panel as it was.
ShowResult showKey(KeyFunction entry, const EditorContext& context, EditorState& state);

// A key event during capture (press and release alike), with the Windows virtual-key code and
// the hook flags (bit 0 extended key, bit 7 key up). A key whose KeyCodeTable row is a keyboard
// key becomes the captured key (name and entry) and the answer is true: the page then encodes.
// Other keys (media keys, unknown codes) change nothing and answer false.
bool captureKey(int virtualKey, unsigned flags, EditorState& state);

}  // namespace keys
