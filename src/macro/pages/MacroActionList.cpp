#include "macro/pages/MacroActionList.h"

#include <algorithm>

#include "app/ui/Language.h"
#include "keys/KeyCodeTable.h"

namespace macro {

namespace {

constexpr int kInsertPauseUnits = 5;  // 50 ms after an inserted action
constexpr int kEditorDefaultPage = 0, kEditorKeyPage = 1, kEditorMousePage = 2;

// The insert buttons that add a button action: suffix, mouse table row.
struct InsertButton {
    const char* suffix;
    int row;
};
constexpr InsertButton kInsertButtons[] = {
    {"macro_inset_leftkeydown_btn", 0},    {"macro_inset_leftkeyup_btn", 1},
    {"macro_inset_rightkeydown_btn", 2},   {"macro_inset_rightkeyup_btn", 3},
    {"macro_inset_moudlekeydown_btn", 4},  {"macro_inset_moudlekeyup_btn", 5},
    {"macro_inset_forwardkeydown_btn", 6}, {"macro_inset_forwardkeyup_btn", 7},
    {"macro_inset_backkeydown_btn", 8},    {"macro_inset_backkeyup_btn", 9},
};
// The move insert buttons: suffix, distance field suffix, mouse table row.
struct MoveButton {
    const char* suffix;
    const char* field;
    int row;
};
constexpr MoveButton kMoveButtons[] = {
    {"macro_inset_moveleftkey_btn", "mouse_x_left_edit", 10},
    {"macro_inset_moverightkey_btn", "mouse_x_right_edit", 11},
    {"macro_inset_moveupkey_btn", "mouse_y_up_edit", 12},
    {"macro_inset_movedownkey_btn", "mouse_y_down_edit", 13},
};
constexpr const char* kInsertTabs[] = {"macro_inset_leftkey", "macro_inset_moudlekey", "macro_inset_rightkey",
                                       "macro_inset_forwardkey", "macro_inset_backkey"};

int clampField(ui::Ui& ui, const std::string& field, int limit) {
    int value = leadingInt(ui.text(field));
    if (value < 0) value = 0;
    if (value > limit) {
        value = limit;
        ui.setText(field, std::to_string(value));
    }
    return value;
}

}  // namespace

MacroActionList::MacroActionList(ui::Ui& ui, std::string prefix, std::function<void()> enterEditMode)
    : ui_(ui), prefix_(std::move(prefix)), enterEditMode_(std::move(enterEditMode)) {}

bool MacroActionList::onNotification(const ui::Notification& n) {
    const std::string& s = n.sender;
    if (n.type == "click") {
        const int row = selected();
        const int last = int(actions_.size()) - 1;
        if (s == name("macro_btn_up")) move(row > 0 ? row - 1 : -1);
        else if (s == name("macro_btn_down")) move(row >= 0 && row < last ? row + 1 : -1);
        else if (s == name("macro_btn_uptop")) move(row > 0 ? 0 : -1);
        else if (s == name("macro_btn_downbottom")) move(row >= 0 && row < last ? last : -1);
        else if (s == name("macro_btn_delete")) {
            if (row >= 0) {
                actions_.erase(actions_.begin() + row);
                ui_.removeItem(name("Macro_list"), row);
                select(-1);
            }
            enterEditMode_();
        } else if (s == name("macro_btn_deleteall")) {
            clear();
            enterEditMode_();
        } else if (!insertButton(s)) {
            for (const char* tab : kInsertTabs)
                if (s == prefix_ + tab + "_btn") return showInsertTab(s), true;
            return false;
        }
        return true;
    }
    if ((n.type == "itemclick" || n.type == "itemselect") && s == name("Macro_list")) return openEditor(), true;
    if (n.type == "itemselect") {
        if (s == name("macro_combo_keyselect")) return keyChosen(), true;
        if (s == name("macro_combo_upordown")) return pressChosen(), true;
        if (s == name("macro_combo_mouselect")) return mouseRowChosen(), true;
        return false;
    }
    if (n.type == "textchanged") {
        if (s == name("_macro_edit_ActionDelay") || s == name("_macro_edit_mou_action_delay")) return delayChanged(s), true;
        if (s == name("macro_edit_mou_pointer_skewing")) return distanceChanged(), true;
        for (const MoveButton& b : kMoveButtons)
            if (s == prefix_ + b.field) return clampField(ui_, s, kMaxMoveDistance), true;
        return false;
    }
    if (n.type == "selectchanged" && s == name("macro_btn_shubiao")) {
        const bool insertPanel = ui_.isSelected(s);
        ui_.setVisible(name("MacroMouseEvent"), insertPanel);
        ui_.setVisible(name("MacroName"), !insertPanel);
        return true;
    }
    return false;
}

// ---- rows ---------------------------------------------------------------------------------------

std::vector<std::string> MacroActionList::cells(const MacroAction& a) const {
    const ui::Language& language = ui::Language::instance();
    std::string state = a.isMove() ? std::to_string(a.code)
                                   : language.text(a.pressed() ? "macro_press_text" : "macro_release_text");
    return {language.text(a.name), std::move(state), std::to_string(a.delayMs())};
}

void MacroActionList::setActions(const std::vector<MacroAction>& actions) {
    actions_ = actions;
    ui_.clearItems(name("Macro_list"));
    rebuildFrom(0);
}

void MacroActionList::clear() {
    actions_.clear();
    ui_.clearItems(name("Macro_list"));
    select(-1);
}

void MacroActionList::rebuildFrom(int row) {
    const std::string list = name("Macro_list");
    for (int i = ui_.itemCount(list) - 1; i >= row; --i) ui_.removeItem(list, i);
    for (std::size_t i = std::size_t(row); i < actions_.size(); ++i)
        ui_.addRow(list, cells(actions_[i]), formatActionLine(actions_[i]));
}

void MacroActionList::showRow(int row) {
    const std::string list = name("Macro_list");
    const std::vector<std::string> texts = cells(actions_[std::size_t(row)]);
    for (int c = 0; c < 3; ++c) ui_.setItemText(list, row, texts[std::size_t(c)], c);
}

void MacroActionList::retranslate() {
    for (int row = 0; row < int(actions_.size()); ++row) showRow(row);
}

void MacroActionList::appendRecorded(const MacroAction& action, int pauseBeforeMs) {
    actions_.push_back(action);
    actions_.back().setDelayUnits(0);
    if (actions_.size() > 1) {
        const int previous = int(actions_.size()) - 2;
        actions_[std::size_t(previous)].setDelayMs(pauseBeforeMs);
        showRow(previous);
    }
    ui_.addRow(name("Macro_list"), cells(actions_.back()), formatActionLine(actions_.back()));
}

int MacroActionList::selected() const {
    const int row = ui_.current(name("Macro_list"));
    return row >= 0 && row < int(actions_.size()) ? row : -1;
}

void MacroActionList::select(int row) { ui_.setCurrent(name("Macro_list"), row, false); }

void MacroActionList::move(int to) {
    const int from = selected();
    if (from >= 0 && to >= 0 && to != from) {
        MacroAction action = std::move(actions_[std::size_t(from)]);
        actions_.erase(actions_.begin() + from);
        actions_.insert(actions_.begin() + to, std::move(action));
        rebuildFrom(std::min(from, to));
        select(to);
    }
    enterEditMode_();
}

// ---- the action editor ----------------------------------------------------------------------------

void MacroActionList::fillKeyChooser() {
    const std::string combo = name("macro_combo_keyselect");
    ui_.clearItems(combo);
    for (int row = 0; row < keys::kMacroKeyRowCount; ++row)
        ui_.addItem(combo, std::string(keys::kKeyCodeTable[std::size_t(row)].name), {}, true);
}

void MacroActionList::openEditor() {
    const int row = selected();
    if (row < 0) return;
    enterEditMode_();
    const MacroAction& a = actions_[std::size_t(row)];
    if (a.isMouseAction()) {
        ui_.setCurrent(name("tab_macro_edit"), kEditorMousePage, false);
        const int item = mouseRowForAction(a);
        ui_.setCurrent(name("macro_combo_mouselect"), item, false);
        ui_.setVisible(name("macro_tab_mou_pointer_skewing"), a.isMove());
        if (a.isMove()) ui_.setText(name("macro_edit_mou_pointer_skewing"), std::to_string(a.code));
        ui_.setText(name("_macro_edit_mou_action_delay"), std::to_string(a.delayUnits()));
    } else {
        ui_.setCurrent(name("tab_macro_edit"), kEditorKeyPage, false);
        ui_.setCurrent(name("macro_combo_keyselect"), keyRowForAction(a), false);
        ui_.setCurrent(name("macro_combo_upordown"), a.pressed() ? 1 : 0, false);
        ui_.setText(name("_macro_edit_ActionDelay"), std::to_string(a.delayUnits()));
    }
}

void MacroActionList::keyChosen() {
    const int row = selected();
    const int item = ui_.current(name("macro_combo_keyselect"));
    if (row < 0 || item < 0) return;
    MacroAction& a = actions_[std::size_t(row)];
    std::optional<MacroAction> chosen = keyAction(item, a.pressFlag != 0);
    if (!chosen) return;
    chosen->delayLow = a.delayLow;
    chosen->delayHigh = a.delayHigh;
    a = std::move(*chosen);
    showRow(row);
}

void MacroActionList::pressChosen() {
    const int row = selected();
    const int item = ui_.current(name("macro_combo_upordown"));
    if (row < 0 || item < 0) return;
    actions_[std::size_t(row)].setPressed(item == 1);
    showRow(row);
}

void MacroActionList::mouseRowChosen() {
    const int row = selected();
    const int item = ui_.current(name("macro_combo_mouselect"));
    if (row < 0 || item < 0 || item >= kMouseActionRowCount - 1) return;
    MacroAction& a = actions_[std::size_t(row)];
    const bool move = item >= kMouseButtonRowCount;
    MacroAction chosen = mouseAction(item, move && a.isMove() ? a.code : 0);
    chosen.delayLow = a.delayLow;
    chosen.delayHigh = a.delayHigh;
    a = std::move(chosen);
    ui_.setVisible(name("macro_tab_mou_pointer_skewing"), move);
    if (move) ui_.setText(name("macro_edit_mou_pointer_skewing"), std::to_string(a.code));
    showRow(row);
}

void MacroActionList::delayChanged(const std::string& field) {
    const int row = selected();
    if (row < 0) return;
    actions_[std::size_t(row)].setDelayUnits(clampField(ui_, field, kMaxDelayUnits));
    showRow(row);
}

void MacroActionList::distanceChanged() {
    const int row = selected();
    if (row < 0) return;
    const int value = clampField(ui_, name("macro_edit_mou_pointer_skewing"), kMaxMoveDistance);
    MacroAction& a = actions_[std::size_t(row)];
    if (!a.isMove()) return;
    a.code = uint8_t(value);
    showRow(row);
}

// ---- the insert panel -----------------------------------------------------------------------------

void MacroActionList::showInsertTab(const std::string& sender) {
    for (const char* tab : kInsertTabs)
        ui_.setVisible(prefix_ + tab + "_tab", sender == prefix_ + tab + "_btn");
}

bool MacroActionList::insertButton(const std::string& sender) {
    for (const InsertButton& b : kInsertButtons)
        if (sender == prefix_ + b.suffix) return insert(mouseAction(b.row)), true;
    for (const MoveButton& b : kMoveButtons)
        if (sender == prefix_ + b.suffix)
            return insert(mouseAction(b.row, uint8_t(clampField(ui_, prefix_ + b.field, kMaxMoveDistance)))), true;
    return false;
}

void MacroActionList::insert(MacroAction action) {
    if (!hasMacro_) return;
    enterEditMode_();
    action.setDelayUnits(kInsertPauseUnits);
    if (actions_.empty()) {
        actions_.push_back(std::move(action));
        rebuildFrom(0);
        select(0);
        return;
    }
    const int at = std::max(selected(), 0);
    actions_.insert(actions_.begin() + at, std::move(action));
    rebuildFrom(at);
    select(at + 1);
}

}  // namespace macro
