#include "keys/pages/KeyEditorPanel.h"

#include <utility>

KeyEditorPanel::KeyEditorPanel(ui::Ui& ui, InputCapture& capture, Column column, KeySource keys,
                               MacroNamesFn macroNames)
    : ui_(ui), capture_(capture), column_(column), keys_(std::move(keys)), macroNames_(std::move(macroNames)) {}

void KeyEditorPanel::onNotification(const ui::Notification& n) {
    const std::string& sender = n.sender;
    if (n.type == "itemselect") {
        if (sender == control("key_fct_combo")) return chooseType();
        if (sender == control("key_fct_combo_24")) return choosePlayMode();
        for (const keys::EditorCombo& combo : keys::kEditorCombos)
            if (inColumn(combo.suffix) && sender == control(combo.suffix)) return encode();
        return;
    }
    if (n.type == "textchanged") editChanged(sender);
}

void KeyEditorPanel::showOpened() {
    keys::EditorState state = readEditor();
    const uint8_t* entry = keys_.entry(opened_);
    const keys::ShowResult shown = keys::showKey({entry[0], entry[1], entry[2]}, context(), state);
    writeEditor(state);
    if (shown.typeShown) showSubPanel(state.typeItem);
    // Keystrokes stay withheld from the desktop only while the editor asks for one.
    if (shown.captureWanted)
        startCapture();
    else if (shown.typeShown)
        cancelCapture();
}

void KeyEditorPanel::encode() {
    if (!openedValid()) return;
    const std::optional<keys::KeyFunction> made = keys::encodeKey(readEditor(), context());
    if (!made) return;  // nothing complete to write: the entry stays whole as it was
    uint8_t* entry = keys_.entry(opened_);
    entry[0] = made->type;
    entry[1] = made->p1;
    entry[2] = made->p2;
    if (keys_.changed) keys_.changed();
}

void KeyEditorPanel::onCapturedKey(int virtualKey, unsigned flags) {
    if (!capturing()) return;
    keys::EditorState state = readEditor();
    if (!keys::captureKey(virtualKey, flags, state)) return;
    captured_ = state.capturedFunction;
    ui_.setTextKey(control("key_fct_edit_21"), state.capturedKeyName);
    encode();
}

void KeyEditorPanel::startCapture() { capture_.install(column_.captureMode, true, false); }

void KeyEditorPanel::cancelCapture() {
    if (capturing()) capture_.remove();
}

void KeyEditorPanel::fillMacroChooser() {
    const std::string chooser = control("key_fct_combo_23");
    macros_ = macroNames_ ? macroNames_() : std::vector<std::string>{};
    const int selected = ui_.current(chooser);
    ui_.clearItems(chooser);
    for (const std::string& name : macros_) ui_.addItem(chooser, name);
    if (selected >= 0 && selected < int(macros_.size())) ui_.setCurrent(chooser, selected, false);
}

// ---- editor handlers --------------------------------------------------------------------------------

void KeyEditorPanel::chooseType() {
    cancelCapture();
    const int item = ui_.current(control("key_fct_combo"));
    showSubPanel(item);
    if (item == int(keys::FunctionItem::Keyboard)) startCapture();
    encode();
}

void KeyEditorPanel::choosePlayMode() {
    ui_.setVisible(control("tab_function_26"), ui_.current(control("key_fct_combo_24")) == keys::kPlayModeRepeatItem);
    encode();
}

void KeyEditorPanel::editChanged(const std::string& name) {
    for (const keys::EditorEdit& edit : keys::kEditorEdits) {
        if (name != control(edit.suffix)) continue;
        const std::string text = ui_.text(name);
        const std::string clamped = std::to_string(keys::clampEditValue(text, edit.upperBound));
        if (clamped != text) ui_.setText(name, clamped);
        return encode();
    }
}

// ---- the editor's controls <-> EditorState ----------------------------------------------------------

keys::EditorState KeyEditorPanel::readEditor() const {
    keys::EditorState state;
    for (const keys::EditorCombo& combo : keys::kEditorCombos)
        if (inColumn(combo.suffix)) state.*combo.field = ui_.current(control(combo.suffix));
    for (const keys::EditorEdit& edit : keys::kEditorEdits)
        state.*edit.field = keys::clampEditValue(ui_.text(control(edit.suffix)), edit.upperBound);
    const std::string capturedEdit = control("key_fct_edit_21");
    state.capturedKeyName = ui_.isKeyMode(capturedEdit) ? ui_.textKey(capturedEdit) : ui_.text(capturedEdit);
    state.capturedFunction = captured_;
    return state;
}

void KeyEditorPanel::writeEditor(const keys::EditorState& state) {
    for (const keys::EditorCombo& combo : keys::kEditorCombos) {
        if (!inColumn(combo.suffix)) continue;
        const std::string name = control(combo.suffix);
        const int item = state.*combo.field;
        if (ui_.current(name) != item) ui_.setCurrent(name, item, false);
    }
    for (const keys::EditorEdit& edit : keys::kEditorEdits) {
        const std::string name = control(edit.suffix);
        const std::string text = std::to_string(state.*edit.field);
        if (ui_.text(name) != text) ui_.setText(name, text);
    }
    const std::string capturedEdit = control("key_fct_edit_21");
    if (state.capturedKeyName.empty())
        ui_.setText(capturedEdit, "");
    else
        ui_.setTextKey(capturedEdit, state.capturedKeyName);
    captured_ = state.capturedFunction;
    ui_.setVisible(control("tab_function_26"), keys::repeatPanelVisible(state));
}

keys::EditorContext KeyEditorPanel::context() const {
    keys::EditorContext context;
    context.page = column_.page;
    if (openedValid()) context.defaultEntry = keys_.defaultOf(opened_);
    context.macroCount = ui_.itemCount(control("key_fct_combo_23"));
    return context;
}

void KeyEditorPanel::showSubPanel(int item) {
    const int items = keys::functionItemCount(column_.page);
    for (int i = 0; i < items; ++i) ui_.setVisible(panel() + "_" + std::to_string(i), i == item);
}
