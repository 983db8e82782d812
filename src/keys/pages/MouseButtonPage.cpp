#include "keys/pages/MouseButtonPage.h"

#include <algorithm>
#include <array>
#include <utility>

#include "keys/KeyNaming.h"

namespace {

constexpr const char* kPanel = "ms_tab_function";
constexpr const char* kButtonPrefix = "ms_key_";
constexpr keys::KeyFunction kLeftButton{0x10, 0x01, 0x00};

// The six pictures' images, "ms/key_<name>_normal.png" and "..._down.png" in the skin folder.
constexpr std::array<const char*, MouseButtonPage::kPictures> kPictureNames = {"left",    "wheel", "right",
                                                                               "forward", "back",  "dpi"};

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
    : ui_(ui),
      mirror_(mirror),
      message_(std::move(message)),
      editor_(ui, capture, {"ms_", keys::KeyPage::Mouse, HookMode::MouseSingleKey, true},
              {kKeys, [this](int key) { return entryOf(key); },
               [this](int key) {
                   const uint8_t* d = &mirror_.defaultKeyTable[size_t(key) * 3];
                   return keys::KeyFunction{d[0], d[1], d[2]};
               },
               [this] { refreshButtonLabels(); }},
              std::move(macroNames)) {}

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
    for (const auto& [suffix, key] : kSpoken) ui_.setSpokenName(editor_.control(suffix), key);
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
    editor_.onNotification(n);
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
    editor_.setOpened(key);
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
    editor_.showOpened();
}

void MouseButtonPage::saveKey() { editor_.encode(); }

void MouseButtonPage::restoreDefault() {
    if (!editor_.openedValid()) return;
    const int opened = editor_.opened();
    std::copy_n(&mirror_.defaultKeyTable[size_t(opened) * 3], 3, entryOf(opened));
    showKey();
    refreshButtonLabels();
}

void MouseButtonPage::hover(int key, bool entering) {
    if (key < 0 || key >= kPictures) return;
    ui_.setBkImage(button(key) + "_0", entering ? hoverImage(key) : normalImage(key));
}

void MouseButtonPage::refresh() {
    editor_.fillMacroChooser();
    refreshButtonLabels();
}

void MouseButtonPage::refreshButtonLabels() {
    for (int k = 0; k < kLabels; ++k) {
        const std::string name = button(k);
        if (!ui_.has(name)) continue;
        const uint8_t* entry = entryOf(k);
        const keys::KeyName label = keys::keyName({entry[0], entry[1], entry[2]}, keys::KeyPage::Mouse, editor_.macros());
        if (label.kind == keys::KeyName::Kind::Unchanged) continue;
        if (label.kind == keys::KeyName::Kind::Literal) ui_.setText(name, label.text);
        else ui_.setTextKey(name, label.text);
        ui_.setToolTip(name, label.text);
    }
}

void MouseButtonPage::onCapturedKey(int virtualKey, unsigned flags) { editor_.onCapturedKey(virtualKey, flags); }

void MouseButtonPage::cancelCapture() { editor_.cancelCapture(); }

// ---- helpers ----------------------------------------------------------------------------------------

// The record's profile number picks the slot; one beyond the mirror's slots edits slot 0, as the
// transfers do.
uint8_t* MouseButtonPage::entryOf(int key) {
    const unsigned profile = mirror_.record[MouseRecord::kProfile];
    const unsigned slot = profile < mirror::kOnboardProfiles ? profile : 0;
    return &mirror_.keyTables[slot][size_t(key) * 3];
}
