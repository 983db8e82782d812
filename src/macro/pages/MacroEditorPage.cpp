#include "macro/pages/MacroEditorPage.h"

#include "platform/FileDialog.h"

namespace macro {

namespace {

constexpr const char* kOptions[] = {"macro_keyboard_event", "macro_mouse_click", "macro_mouse_roller",
                                    "macro_mouse_move", "macro_check_time"};
constexpr const char* kMoveAndDeleteButtons[] = {"macro_btn_up", "macro_btn_down", "macro_btn_uptop",
                                                 "macro_btn_downbottom", "macro_btn_delete", "macro_btn_deleteall"};

FileDialogRequest macroFileRequest() {
    FileDialogRequest request;
    request.filters = {{"(*.mac)", "*.mac"}};
    request.defaultExtension = "mac";
    request.initialName = "*.mac";
    return request;
}

// The key page's macro chooser: one item per macro, in list order.
std::string chooserName(const std::string& prefix) { return prefix + "key_fct_combo_23"; }

}  // namespace

MacroEditorPage::MacroEditorPage(ui::Ui& ui, MacroStore& store, MacroPageHost& host, std::string prefix,
                                 bool mousePage)
    : ui_(ui), store_(store), host_(host), prefix_(std::move(prefix)), mousePage_(mousePage),
      list_(ui, prefix_, [this] { enterEditMode(); }) {}

bool MacroEditorPage::editing() const { return ui_.isVisible(name("macro_tab_saveorcancel")); }

int MacroEditorPage::selectedMacro() const {
    const int i = ui_.current(name("MacroName_list"));
    return i >= 0 && i < int(names_.size()) ? i : -1;
}

void MacroEditorPage::start() {
    list_.clear();
    names_ = store_.loadNames();
    const std::string list = name("MacroName_list");
    const std::string chooser = chooserName(prefix_);
    ui_.clearItems(list);
    ui_.clearItems(chooser);
    ui_.setItemHeight(list, 30);
    ui_.setItemHeight(chooser, 30);
    for (const std::string& n : names_) {
        ui_.addRow(list, {n}, n);
        ui_.addItem(chooser, n, n);
    }
    list_.fillKeyChooser();
    if (!names_.empty()) selectMacro(int(names_.size()) - 1);
    else setEditingControlsEnabled(false);
    list_.setHasMacro(!names_.empty());
}

bool MacroEditorPage::onNotification(const ui::Notification& n) {
    const std::string& s = n.sender;
    if (n.type == "click") {
        if (s == name("macro_btn_redio")) return toggleRecording(), true;
        if (s == name("macro_btn_name_add")) return addMacro(), true;
        if (s == name("macro_btn_name_sub")) return deleteMacro(), true;
        if (s == name("macro_btn_savemacroname")) return renameMacro(), true;
        if (s == name("macro_btn_save")) return save(), true;
        if (s == name("macro_btn_cancel")) return cancel(), true;
        if (mousePage_ && s == name("macro_btn_import")) return importMacro(), true;
        if (mousePage_ && s == name("macro_btn_export")) return exportMacro(), true;
    }
    if (n.type == "itemselect" && s == name("MacroName_list")) {
        const int index = selectedMacro();
        if (index == shownMacro_) return true;
        if (editing()) {
            // The rows on show belong to the macro selected before: keep that selection, or the
            // next save would write them into another macro's file.
            ui_.setCurrent(s, shownMacro_, false);
            host_.showMessage(mousePage_ ? "message_text_4" : "message_text_3", false);
            return true;
        }
        if (index >= 0) selectMacro(index);
        return true;
    }
    if (n.type == "selectchanged")
        for (const char* option : kOptions)
            if (s == prefix_ + option) return true;  // read when recording starts
    return list_.onNotification(n);
}

// ---- edit mode --------------------------------------------------------------------------------------

void MacroEditorPage::enterEditMode() {
    ui_.setVisible(name("macro_tab_saveorcancel"), true);
    ui_.setEnabled(name("MacroName_list"), false);
}

void MacroEditorPage::leaveEditMode() {
    ui_.setVisible(name("macro_tab_saveorcancel"), false);
    ui_.setEnabled(name("MacroName_list"), true);
    ui_.setEnabled(name("macro_btn_name_sub"), true);
    ui_.setCurrent(name("tab_macro_edit"), 0, false);
}

void MacroEditorPage::setEditingControlsEnabled(bool enabled) {
    for (const char* b : kMoveAndDeleteButtons) ui_.setEnabled(prefix_ + b, enabled);
    for (const char* b : {"macro_btn_save", "macro_btn_cancel", "macro_btn_redio", "macro_btn_name_sub"})
        ui_.setEnabled(prefix_ + b, enabled);
    for (const char* o : kOptions) ui_.setEnabled(prefix_ + o, enabled);
}

void MacroEditorPage::setRecordingLocks(bool locked) {
    ui_.setEnabled(name("Macro_list"), !locked);
    for (const char* b : kMoveAndDeleteButtons) ui_.setEnabled(prefix_ + b, !locked);
    ui_.setEnabled(name("macro_btn_save"), !locked);
    ui_.setEnabled(name("macro_btn_cancel"), !locked);
    for (const char* o : kOptions) ui_.setEnabled(prefix_ + o, !locked);
    if (locked) ui_.setEnabled(name("MacroName_list"), false);
    ui_.setTextKey(name("macro_btn_redio"), locked ? "macro_btn_stop_redio_text" : "macro_btn_star_redio_text");
}

// ---- the name list --------------------------------------------------------------------------------

void MacroEditorPage::selectMacro(int index) {
    ui_.setCurrent(name("MacroName_list"), index, false);
    loadRows(index);
}

void MacroEditorPage::loadRows(int index) {
    shownMacro_ = index;
    list_.clear();
    if (index < 0 || index >= int(names_.size())) return;
    ui_.setText(name("macro_edit_macroname"), names_[std::size_t(index)]);
    list_.setActions(store_.loadActions(names_[std::size_t(index)]));
    ui_.setCurrent(name("tab_macro_edit"), 0, false);
    ui_.setCurrent(name("Macro_list"), -1, false);
}

void MacroEditorPage::addMacro() {
    if (editing()) return void(host_.showMessage("message_text_3", false));
    std::string added;
    const int result = store_.add(&added);
    if (result == MacroListFull) return void(host_.showMessage("message_text_17", false, kMaxMacros));
    if (result != MacroOk) return void(host_.showMessage("message_text_10", false));
    names_.push_back(added);
    ui_.addRow(name("MacroName_list"), {added}, added);
    ui_.addItem(chooserName(prefix_), added, added);
    selectMacro(int(names_.size()) - 1);
    setEditingControlsEnabled(true);
    list_.setHasMacro(true);
}

void MacroEditorPage::deleteMacro() {
    const int d = selectedMacro();
    if (d < 0) return;
    if (editing()) return void(host_.showMessage("message_text_3", false));
    if (host_.macroInUse(d) && host_.showMessage("message_text_2", true) != 1) return;
    if (host_.showMessage("message_text_4", true) != 1) return;
    if (store_.remove(d) != MacroOk) return void(host_.showMessage("message_text_10", false));
    // Every assignment keeps pointing at the macro it named, whether or not the check found one.
    host_.correctAssignments(d);
    names_.erase(names_.begin() + d);
    ui_.removeItem(chooserName(prefix_), d);
    ui_.removeItem(name("MacroName_list"), d);
    list_.clear();
    shownMacro_ = -1;
    if (!names_.empty()) {
        selectMacro(0);
        ui_.setCurrent(chooserName(prefix_), 0, false);
    } else {
        ui_.setText(name("macro_edit_macroname"), "");
        setEditingControlsEnabled(false);
        list_.setHasMacro(false);
    }
    host_.refreshKeyLabels();
}

void MacroEditorPage::renameMacro() {
    const int i = selectedMacro();
    if (i < 0 || renaming_) return;
    renaming_ = true;
    const std::string wanted = ui_.text(name("macro_edit_macroname"));
    const int result = store_.rename(i, wanted, list_.actions());
    if (result == MacroOk) {
        names_[std::size_t(i)] = wanted;
        ui_.setItemText(name("MacroName_list"), i, wanted);
        ui_.setItemText(chooserName(prefix_), i, wanted);
        host_.refreshKeyLabels();
    } else if (result != MacroUnchanged) {
        host_.showMessage(result == MacroNameTaken     ? "message_text_5"
                          : result == MacroNameInvalid ? kMacroNameInvalidKey
                                                       : "message_text_10",
                          false);
        ui_.setText(name("macro_edit_macroname"), names_[std::size_t(i)]);
    }
    renaming_ = false;
}

void MacroEditorPage::save() {
    leaveEditMode();
    store_.writeCountAndLastName(names_);
    if (shownMacro_ >= 0 && shownMacro_ < int(names_.size()))
        store_.saveActions(names_[std::size_t(shownMacro_)], list_.actions());
}

void MacroEditorPage::cancel() {
    leaveEditMode();
    list_.clear();
    if (int(names_.size()) == store_.count()) loadRows(selectedMacro());
}

void MacroEditorPage::exportMacro() {
    const int i = selectedMacro();
    if (i < 0) return;
    if (auto path = askSaveFile(macroFileRequest())) store_.exportActions(names_[std::size_t(i)], *path);
}

void MacroEditorPage::importMacro() {
    if (names_.empty()) addMacro();
    const int i = selectedMacro();
    if (i < 0) return;
    const auto path = askOpenFile(macroFileRequest());
    if (!path) return;
    if (store_.importActions(names_[std::size_t(i)], *path) != MacroOk)
        return void(host_.showMessage(kMacroImportRefusedKey, false));
    if (editing()) return void(host_.showMessage("message_text_4", false));
    loadRows(i);
}

// ---- recording ----------------------------------------------------------------------------------------

void MacroEditorPage::toggleRecording() {
    if (names_.empty()) return;
    ui_.setVisible(name("macro_tab_saveorcancel"), true);
    ui_.setCurrent(name("tab_macro_edit"), 0, false);
    if (recorder_.recording()) return stopRecording();
    RecordingOptions options;
    options.keyboard = ui_.isSelected(name("macro_keyboard_event"));
    options.clicks = ui_.isSelected(name("macro_mouse_click"));
    options.wheel = ui_.isSelected(name("macro_mouse_roller"));
    options.movement = ui_.isSelected(name("macro_mouse_move"));
    options.fixedPause = ui_.isSelected(name("macro_check_time"));
    setRecordingLocks(true);
    // A part that cannot be installed leaves the recording without it; nothing is said.
    host_.installCapture(mousePage_ ? HookMode::MouseMacro : HookMode::KeyboardMacro, options.keyboard,
                         options.wantsMouse());
    recorder_.start(host_.now(), options);
}

void MacroEditorPage::stopRecording() {
    if (!recorder_.recording()) return;
    host_.removeCapture();
    recorder_.stop();
    setRecordingLocks(false);
    ui_.setEnabled(name("MacroName_list"), !editing());
}

void MacroEditorPage::recordKey(int virtualKey, unsigned flags, uint32_t eventTime) {
    if (!recorder_.recording()) return;
    const bool press = (flags & 0x80u) == 0;
    if (auto step = recorder_.key(virtualKey, flags, press, host_.now(), eventTime))
        list_.appendRecorded(step->action, step->pauseBeforeMs);
}

void MacroEditorPage::recordMouse(uint32_t eventKind, uint32_t eventTime) {
    if (!recorder_.recording()) return;
    if (auto step = recorder_.mouse(eventKind, host_.now(), eventTime)) list_.appendRecorded(step->action, step->pauseBeforeMs);
}

}  // namespace macro
