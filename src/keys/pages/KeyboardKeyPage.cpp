#include "keys/pages/KeyboardKeyPage.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "app/ui/Language.h"
#include "keys/KeyCodeTable.h"
#include "keys/KeyboardDefaultCodes.h"
#include "keys/KeyNaming.h"

namespace {

constexpr const char* kPrefix = "kb_";
constexpr const char* kPanel = "kb_tab_function";
constexpr const char* kTypeCombo = "kb_key_fct_combo";
constexpr const char* kPlayModeCombo = "kb_key_fct_combo_24";
constexpr const char* kMacroCombo = "kb_key_fct_combo_23";
constexpr const char* kCapturedKeyEdit = "kb_key_fct_edit_21";
constexpr const char* kRepeatPanel = "kb_tab_function_26";
constexpr const char* kKeyButtonPrefix = "kb_key_";
constexpr int kKeyCount = keys::kKeyboardLogicalKeyCount;
constexpr int kTypeItems = keys::functionItemCount(keys::KeyPage::Keyboard);

std::string control(std::string_view suffix) { return kPrefix + std::string(suffix); }

std::string keyButton(int key) { return kKeyButtonPrefix + std::to_string(key); }

// "kb_key_<digits>" -> the key; -1 for any other name (the page's other "kb_key_" controls).
int keyOfButton(const std::string& name) {
    const std::string_view prefix = kKeyButtonPrefix;
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return -1;
    const std::string_view digits = std::string_view(name).substr(prefix.size());
    if (digits.size() > 3 || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return -1;
    const int key = std::stoi(std::string(digits));
    return key < kKeyCount ? key : -1;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

bool isKeyboardOnlyCombo(std::string_view suffix) { return suffix == "key_fct_combo_25"; }  // the mouse's gun

}  // namespace

std::string keyHotImage(const std::string& plain) {
    const std::size_t slash = plain.find_last_of('/');
    const std::size_t dot = plain.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return plain + "_hot";
    return plain.substr(0, dot) + "_hot" + plain.substr(dot);
}

KeyboardKeyPage::KeyboardKeyPage(ui::Ui& ui, KeyboardMirror& mirror, InputCapture& capture, MacroNamesFn macroNames)
    : ui_(ui), mirror_(mirror), capture_(capture), macroNames_(std::move(macroNames)) {}

// ---- routing ----------------------------------------------------------------------------------------

void KeyboardKeyPage::onNotification(const ui::Notification& n, int index) {
    const std::string& sender = n.sender;
    if (n.type == "click") {
        if (sender == "kb_key_butt_keydefalut") return restoreDefault();
        if (sender == "kb_key_butt_keycanlc") {
            ui_.setVisible(kPanel, false);
            ui_.setEnabled(kPanel, false);
            return cancelCapture();
        }
        const int key = keyOfButton(sender);
        (void)index;
        if (key < 0) return;
        if (!ui_.isVisible(kPanel)) {
            ui_.setVisible(kPanel, true);
            ui_.setEnabled(kPanel, true);
        }
        return openKey(key);
    }
    if (n.type == "itemselect") {
        if (sender == kTypeCombo) return chooseType();
        if (sender == kPlayModeCombo) return choosePlayMode();
        for (const keys::EditorCombo& combo : keys::kEditorCombos)
            if (!isKeyboardOnlyCombo(combo.suffix) && sender == control(combo.suffix)) return encode();
        return;
    }
    if (n.type == "textchanged") editChanged(sender);
}

// ---- the commands -----------------------------------------------------------------------------------

void KeyboardKeyPage::openKey(int key) {
    if (key < 0 || key >= kKeyCount) return;
    opened_ = key;
    keys::EditorState state = readEditor();
    const uint8_t* entry = entryOf(key);
    const keys::ShowResult shown = keys::showKey({entry[0], entry[1], entry[2]}, context(), state);
    writeEditor(state);
    if (shown.typeShown) showSubPanel(state.typeItem);
    // Keystrokes stay withheld from the desktop only while the editor asks for one.
    if (shown.captureWanted)
        startCapture();
    else if (shown.typeShown)
        cancelCapture();
}

void KeyboardKeyPage::restoreDefault() {
    if (opened_ < 0 || opened_ >= kKeyCount) return;
    const keys::KeyFunction code = keys::kKeyboardDefaultCodes[std::size_t(opened_)];
    uint8_t* entry = entryOf(opened_);
    entry[0] = code.type;
    entry[1] = code.p1;
    entry[2] = code.p2;
    // The editor moves to the logical key that sits at this index on the keyboard unit, if any.
    const KeyPositionMap& keyboard = mirror_.positionMaps[std::size_t(KeyboardUnit::keyboard)];
    for (int i = 0; i < kKeyCount; ++i) {
        if (keyboard[std::size_t(i)] == opened_) {
            opened_ = i;
            break;
        }
    }
    openKey(opened_);
    refreshKeyTips();
}

void KeyboardKeyPage::refresh() {
    fillMacroChooser();
    refreshKeyTips();
}

void KeyboardKeyPage::onCapturedKey(int virtualKey, unsigned flags) {
    if (!capturing()) return;
    keys::EditorState state = readEditor();
    if (!keys::captureKey(virtualKey, flags, state)) return;
    captured_ = state.capturedFunction;
    ui_.setTextKey(kCapturedKeyEdit, state.capturedKeyName);
    encode();
}

void KeyboardKeyPage::cancelCapture() {
    if (capturing()) capture_.remove();
}

void KeyboardKeyPage::refreshKeyTips() {
    for (int k = 0; k < kKeyCount; ++k) {
        const uint8_t* entry = entryOf(k);
        const keys::KeyName name = keys::keyName({entry[0], entry[1], entry[2]}, keys::KeyPage::Keyboard, macros_);
        if (name.kind == keys::KeyName::Kind::Unchanged) continue;

        const std::string button = keyButton(k);
        const keys::KeyFunction code = keys::kKeyboardDefaultCodes[std::size_t(k)];
        const int row = keys::findKeyCodeRowByParams(code.p1, code.p2);
        const std::string defaultName = row >= 0 ? std::string(keys::keyCodeTable()[std::size_t(row)].name) : button;
        const std::string plain = ui_.userData(button);

        if (sameIgnoringCase(name.text, defaultName)) {
            ui_.setToolTip(button, defaultName);
            ui_.setBkImage(button, plain);
            continue;
        }
        const std::string function =
            name.kind == keys::KeyName::Kind::Literal ? name.text : translate(name.text);
        ui_.setToolTip(button, translate(defaultName) + translate("Key_Set") + function);
        if (!plain.empty()) ui_.setBkImage(button, keyHotImage(plain));
    }
}

// ---- editor handlers --------------------------------------------------------------------------------

void KeyboardKeyPage::chooseType() {
    cancelCapture();
    const int item = ui_.current(kTypeCombo);
    showSubPanel(item);
    if (item == int(keys::FunctionItem::Keyboard)) startCapture();
    encode();
}

void KeyboardKeyPage::choosePlayMode() {
    ui_.setVisible(kRepeatPanel, ui_.current(kPlayModeCombo) == keys::kPlayModeRepeatItem);
    encode();
}

void KeyboardKeyPage::editChanged(const std::string& name) {
    for (const keys::EditorEdit& edit : keys::kEditorEdits) {
        if (name != control(edit.suffix)) continue;
        const std::string text = ui_.text(name);
        const std::string clamped = std::to_string(keys::clampEditValue(text, edit.upperBound));
        if (clamped != text) ui_.setText(name, clamped);
        return encode();
    }
}

void KeyboardKeyPage::encode() {
    if (opened_ < 0 || opened_ >= kKeyCount) return;
    const std::optional<keys::KeyFunction> made = keys::encodeKey(readEditor(), context());
    if (!made) return;  // nothing complete to write: the entry stays whole as it was
    uint8_t* entry = entryOf(opened_);
    entry[0] = made->type;
    entry[1] = made->p1;
    entry[2] = made->p2;
    refreshKeyTips();
}

// ---- the editor's controls <-> EditorState ----------------------------------------------------------

keys::EditorState KeyboardKeyPage::readEditor() const {
    keys::EditorState state;
    for (const keys::EditorCombo& combo : keys::kEditorCombos)
        if (!isKeyboardOnlyCombo(combo.suffix)) state.*combo.field = ui_.current(control(combo.suffix));
    for (const keys::EditorEdit& edit : keys::kEditorEdits)
        state.*edit.field = keys::clampEditValue(ui_.text(control(edit.suffix)), edit.upperBound);
    state.capturedKeyName =
        ui_.isKeyMode(kCapturedKeyEdit) ? ui_.textKey(kCapturedKeyEdit) : ui_.text(kCapturedKeyEdit);
    state.capturedFunction = captured_;
    return state;
}

void KeyboardKeyPage::writeEditor(const keys::EditorState& state) {
    for (const keys::EditorCombo& combo : keys::kEditorCombos) {
        if (isKeyboardOnlyCombo(combo.suffix)) continue;
        const std::string name = control(combo.suffix);
        const int item = state.*combo.field;
        if (ui_.current(name) != item) ui_.setCurrent(name, item, false);
    }
    for (const keys::EditorEdit& edit : keys::kEditorEdits) {
        const std::string name = control(edit.suffix);
        const std::string text = std::to_string(state.*edit.field);
        if (ui_.text(name) != text) ui_.setText(name, text);
    }
    if (state.capturedKeyName.empty())
        ui_.setText(kCapturedKeyEdit, "");
    else
        ui_.setTextKey(kCapturedKeyEdit, state.capturedKeyName);
    captured_ = state.capturedFunction;
    ui_.setVisible(kRepeatPanel, keys::repeatPanelVisible(state));
}

keys::EditorContext KeyboardKeyPage::context() const {
    keys::EditorContext context;
    context.page = keys::KeyPage::Keyboard;
    if (opened_ >= 0 && opened_ < kKeyCount) context.defaultEntry = keys::kKeyboardDefaultCodes[std::size_t(opened_)];
    context.macroCount = ui_.itemCount(kMacroCombo);
    return context;
}

void KeyboardKeyPage::showSubPanel(int item) {
    for (int i = 0; i < kTypeItems; ++i) ui_.setVisible(std::string(kPanel) + "_" + std::to_string(i), i == item);
}

void KeyboardKeyPage::startCapture() {
    capture_.install(HookMode::KeyboardSingleKey, true, false);
}

// ---- helpers ----------------------------------------------------------------------------------------

// The record's profile number picks the slot; a number beyond the mirror's slots edits slot 0, as
// the transfers do.
unsigned KeyboardKeyPage::activeProfile() const {
    const unsigned profile = mirror_.record[KeyboardRecord::kProfile];
    return profile < mirror::kOnboardProfiles ? profile : 0;
}

uint8_t* KeyboardKeyPage::entryOf(int key) {
    return &mirror_.workingKeyTable[activeProfile()][std::size_t(key) * keys::kKeyFunctionSize];
}

// The current language's text for a key: through the hidden label "str_test" as every page does,
// or the language table when the layout lacks it.
std::string KeyboardKeyPage::translate(const std::string& key) {
    if (!ui_.has("str_test")) return ui::Language::instance().text(key);
    ui_.setTextKey("str_test", key);
    return ui_.text("str_test");
}

void KeyboardKeyPage::fillMacroChooser() {
    macros_ = macroNames_ ? macroNames_() : std::vector<std::string>{};
    const int selected = ui_.current(kMacroCombo);
    ui_.clearItems(kMacroCombo);
    for (const std::string& name : macros_) ui_.addItem(kMacroCombo, name);
    if (selected >= 0 && selected < int(macros_.size())) ui_.setCurrent(kMacroCombo, selected, false);
}
