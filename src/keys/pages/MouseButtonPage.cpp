#include "keys/pages/MouseButtonPage.h"

#include <algorithm>
#include <array>
#include <utility>

#include "keys/KeyNaming.h"

namespace {

constexpr const char* kPrefix = "ms_";
constexpr const char* kPanel = "ms_tab_function";
constexpr const char* kTypeCombo = "ms_key_fct_combo";
constexpr const char* kPlayModeCombo = "ms_key_fct_combo_24";
constexpr const char* kMacroCombo = "ms_key_fct_combo_23";
constexpr const char* kCapturedKeyEdit = "ms_key_fct_edit_21";
constexpr const char* kRepeatPanel = "ms_tab_function_26";
constexpr const char* kButtonPrefix = "ms_key_";
constexpr int kTypeItems = keys::functionItemCount(keys::KeyPage::Mouse);
constexpr keys::KeyFunction kLeftButton{0x10, 0x01, 0x00};

// The six pictures' images, "ms/key_<name>_normal.png" and "..._down.png" in the skin folder.
constexpr std::array<const char*, MouseButtonPage::kPictures> kPictureNames = {"left",    "wheel", "right",
                                                                               "forward", "back",  "dpi"};

std::string control(std::string_view suffix) { return kPrefix + std::string(suffix); }
std::string button(int key) { return kButtonPrefix + std::to_string(key); }

// "ms_key_<digits>" -> the key; -1 for the page's other "ms_key_" controls.
int keyOfButton(const std::string& name) {
    const std::string_view prefix = kButtonPrefix;
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return -1;
    const std::string_view digits = std::string_view(name).substr(prefix.size());
    if (digits.size() > 2 || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return -1;
    const int key = std::stoi(std::string(digits));
    return key < MouseButtonPage::kKeys ? key : -1;
}

bool isEntry(const uint8_t* entry, keys::KeyFunction f) { return entry[0] == f.type && entry[1] == f.p1 && entry[2] == f.p2; }

}  // namespace

std::string MouseButtonPage::normalImage(int key) {
    return "ms/key_" + std::string(kPictureNames[size_t(key)]) + "_normal.png";
}
std::string MouseButtonPage::hoverImage(int key) {
    return "ms/key_" + std::string(kPictureNames[size_t(key)]) + "_down.png";
}

MouseButtonPage::MouseButtonPage(ui::Ui& ui, MouseMirror& mirror, InputCapture& capture, MessageFn message,
                                 MacroNamesFn macroNames)
    : ui_(ui), mirror_(mirror), capture_(capture), message_(std::move(message)), macroNames_(std::move(macroNames)) {}

// The editor's edits and combos are named after the caption beside each.
void MouseButtonPage::nameControls() {
    static constexpr std::pair<const char*, const char*> kSpoken[] = {
        {"key_fct_combo", "fct_type_text"},         {"key_fct_combo_11", "fct_mouse_button_text"},
        {"key_fct_combo_12", "fct_direction_text"}, {"key_fct_combo_13", "fct_direction_text"},
        {"key_fct_combo_14", "fct_dpi_text"},       {"key_fct_combo_21", "fct_media_text"},
        {"key_fct_combo_22", "fct_system_text"},    {"key_fct_combo_23", "fct_macro_text"},
        {"key_fct_combo_24", "fct_play_mode_text"}, {"key_fct_combo_25", "fct_gun_text"},
        {"key_fct_edit_11", "fct_fire_1_text"},     {"key_fct_edit_12", "fct_fire_2_text"},
        {"key_fct_edit_15", "fct_amount_text"},     {"key_fct_edit_16", "fct_amount_text"},
        {"key_fct_edit_17", "fct_high_nibble_text"}, {"key_fct_edit_18", "fct_high_nibble_text"},
        {"key_fct_edit_19", "fct_low_nibble_text"}, {"key_fct_edit_20", "fct_low_nibble_text"},
        {"key_fct_edit_21", "fct_captured_text"},   {"key_fct_edit_25", "fct_repeat_text"},
    };
    for (const auto& [suffix, key] : kSpoken) ui_.setSpokenName(control(suffix), key);
}

// ---- routing ----------------------------------------------------------------------------------------

void MouseButtonPage::onNotification(const ui::Notification& n, int index) {
    const std::string& sender = n.sender;
    if (n.type == "msenter" || n.type == "msleave") return hover(index, n.type == "msenter");
    if (n.type == "click") {
        if (sender == "ms_key_butt_keysave") return saveKey();
        if (sender == "ms_key_butt_keydefalut") return restoreDefault();
        const int key = keyOfButton(sender);
        if (key >= 0) openKey(key);
        return;
    }
    if (n.type == "itemselect") {
        if (sender == kTypeCombo) return chooseType();
        if (sender == kPlayModeCombo) return choosePlayMode();
        for (const keys::EditorCombo& combo : keys::kEditorCombos)
            if (sender == control(combo.suffix)) return encode();
        return;
    }
    if (n.type == "textchanged") editChanged(sender);
}

// ---- the commands -----------------------------------------------------------------------------------

bool MouseButtonPage::onlyLeftButton(int key) {
    if (!isEntry(entryOf(key), kLeftButton)) return false;
    for (int other = 0; other < kLeftRuleKeys; ++other)
        if (other != key && isEntry(entryOf(other), kLeftButton)) return false;
    return true;
}

void MouseButtonPage::openKey(int key) {
    if (key < 0 || key >= kKeys) return;
    opened_ = key;
    if (onlyLeftButton(key)) {
        cancelCapture();
        if (message_) message_("message_text_6");
        ui_.setVisible(kPanel, false);
        return;
    }
    showKey();
}

void MouseButtonPage::showKey() {
    if (!ui_.isVisible(kPanel)) {
        ui_.setVisible(kPanel, true);
        ui_.setEnabled(kPanel, true);
    }
    keys::EditorState state = readEditor();
    const uint8_t* entry = entryOf(opened_);
    const keys::ShowResult shown = keys::showKey({entry[0], entry[1], entry[2]}, context(), state);
    writeEditor(state);
    if (shown.typeShown) showSubPanel(state.typeItem);
    if (shown.captureWanted)
        capture_.install(HookMode::MouseSingleKey, true, false);
    else if (shown.typeShown)
        cancelCapture();
}

void MouseButtonPage::saveKey() { encode(); }

void MouseButtonPage::restoreDefault() {
    if (opened_ < 0 || opened_ >= kKeys) return;
    std::copy_n(&mirror_.defaultKeyTable[size_t(opened_) * 3], 3, entryOf(opened_));
    showKey();
    refreshButtonLabels();
}

void MouseButtonPage::hover(int key, bool entering) {
    if (key < 0 || key >= kPictures) return;
    ui_.setBkImage(button(key) + "_0", entering ? hoverImage(key) : normalImage(key));
}

void MouseButtonPage::refresh() {
    fillMacroChooser();
    refreshButtonLabels();
}

void MouseButtonPage::refreshButtonLabels() {
    for (int k = 0; k < kLabels; ++k) {
        const std::string name = button(k);
        if (!ui_.has(name)) continue;
        const uint8_t* entry = entryOf(k);
        const keys::KeyName label = keys::keyName({entry[0], entry[1], entry[2]}, keys::KeyPage::Mouse, macros_);
        if (label.kind == keys::KeyName::Kind::Unchanged) continue;
        if (label.kind == keys::KeyName::Kind::Literal) ui_.setText(name, label.text);
        else ui_.setTextKey(name, label.text);
        ui_.setToolTip(name, label.text);
    }
}

void MouseButtonPage::onCapturedKey(int virtualKey, unsigned flags) {
    if (!capturing()) return;
    keys::EditorState state = readEditor();
    if (!keys::captureKey(virtualKey, flags, state)) return;
    captured_ = state.capturedFunction;
    ui_.setTextKey(kCapturedKeyEdit, state.capturedKeyName);
    encode();
}

void MouseButtonPage::cancelCapture() {
    if (capturing()) capture_.remove();
}

// ---- editor handlers --------------------------------------------------------------------------------

void MouseButtonPage::chooseType() {
    cancelCapture();
    const int item = ui_.current(kTypeCombo);
    showSubPanel(item);
    if (item == int(keys::FunctionItem::Keyboard)) capture_.install(HookMode::MouseSingleKey, true, false);
    encode();
}

void MouseButtonPage::choosePlayMode() {
    ui_.setVisible(kRepeatPanel, ui_.current(kPlayModeCombo) == keys::kPlayModeRepeatItem);
    encode();
}

void MouseButtonPage::editChanged(const std::string& name) {
    for (const keys::EditorEdit& edit : keys::kEditorEdits) {
        if (name != control(edit.suffix)) continue;
        const std::string text = ui_.text(name);
        const std::string clamped = std::to_string(keys::clampEditValue(text, edit.upperBound));
        if (clamped != text) ui_.setText(name, clamped);
        return encode();
    }
}

void MouseButtonPage::encode() {
    if (opened_ < 0 || opened_ >= kKeys) return;
    const std::optional<keys::KeyFunction> made = keys::encodeKey(readEditor(), context());
    if (!made) return;
    uint8_t* entry = entryOf(opened_);
    entry[0] = made->type;
    entry[1] = made->p1;
    entry[2] = made->p2;
    refreshButtonLabels();
}

// ---- the editor's controls <-> EditorState ----------------------------------------------------------

keys::EditorState MouseButtonPage::readEditor() const {
    keys::EditorState state;
    for (const keys::EditorCombo& combo : keys::kEditorCombos) state.*combo.field = ui_.current(control(combo.suffix));
    for (const keys::EditorEdit& edit : keys::kEditorEdits)
        state.*edit.field = keys::clampEditValue(ui_.text(control(edit.suffix)), edit.upperBound);
    state.capturedKeyName =
        ui_.isKeyMode(kCapturedKeyEdit) ? ui_.textKey(kCapturedKeyEdit) : ui_.text(kCapturedKeyEdit);
    state.capturedFunction = captured_;
    return state;
}

void MouseButtonPage::writeEditor(const keys::EditorState& state) {
    for (const keys::EditorCombo& combo : keys::kEditorCombos) {
        const std::string name = control(combo.suffix);
        if (ui_.current(name) != state.*combo.field) ui_.setCurrent(name, state.*combo.field, false);
    }
    for (const keys::EditorEdit& edit : keys::kEditorEdits) {
        const std::string name = control(edit.suffix);
        const std::string text = std::to_string(state.*edit.field);
        if (ui_.text(name) != text) ui_.setText(name, text);
    }
    if (state.capturedKeyName.empty()) ui_.setText(kCapturedKeyEdit, "");
    else ui_.setTextKey(kCapturedKeyEdit, state.capturedKeyName);
    captured_ = state.capturedFunction;
    ui_.setVisible(kRepeatPanel, keys::repeatPanelVisible(state));
}

keys::EditorContext MouseButtonPage::context() const {
    keys::EditorContext context;
    context.page = keys::KeyPage::Mouse;
    if (opened_ >= 0 && opened_ < kKeys) {
        const uint8_t* d = &mirror_.defaultKeyTable[size_t(opened_) * 3];
        context.defaultEntry = {d[0], d[1], d[2]};
    }
    context.macroCount = ui_.itemCount(kMacroCombo);
    return context;
}

void MouseButtonPage::showSubPanel(int item) {
    for (int i = 0; i < kTypeItems; ++i) ui_.setVisible(std::string(kPanel) + "_" + std::to_string(i), i == item);
}

// The record's profile number picks the slot; one beyond the mirror's slots edits slot 0, as the
// transfers do.
uint8_t* MouseButtonPage::entryOf(int key) {
    const unsigned profile = mirror_.record[MouseRecord::kProfile];
    const unsigned slot = profile < mirror::kOnboardProfiles ? profile : 0;
    return &mirror_.keyTables[slot][size_t(key) * 3];
}

void MouseButtonPage::fillMacroChooser() {
    macros_ = macroNames_ ? macroNames_() : std::vector<std::string>{};
    const int selected = ui_.current(kMacroCombo);
    ui_.clearItems(kMacroCombo);
    for (const std::string& name : macros_) ui_.addItem(kMacroCombo, name);
    if (selected >= 0 && selected < int(macros_.size())) ui_.setCurrent(kMacroCombo, selected, false);
}
