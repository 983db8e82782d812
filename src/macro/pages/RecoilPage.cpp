#include "macro/pages/RecoilPage.h"

#include "device/DeviceChannel.h"
#include "macro/RecoilTable.h"
#include "platform/FileDialog.h"

namespace macro {

namespace {

constexpr const char* kEditor = "cursor_edit_layout";
constexpr const char* kIndexLabel = "bullet_select_index";
constexpr const char* kX = "ms_cursor_x_eidt";
constexpr const char* kY = "ms_cursor_y_eidt";
constexpr const char* kPause = "ms_cursor_delay_eidt";
constexpr const char* kXCheck = "ms_cursor_x_check";
constexpr const char* kYCheck = "ms_cursor_y_check";

std::string gunOption(int i) { return "ms_gun_op_" + std::to_string(i); }
std::string stepOption(int k) { return "ms_bullet_op_" + std::to_string(k); }
const char* xKey(bool left) { return left ? "mouse_move_to_left_text" : "mouse_move_to_right_text"; }
const char* yKey(bool up) { return up ? "mouse_move_to_up_text" : "mouse_move_to_down_text"; }

FileDialogRequest patternFileRequest() {
    FileDialogRequest request;
    request.filters = {{"(*.cur)", "*.cur"}};
    request.defaultExtension = "cur";
    request.initialName = "*.cur";
    return request;
}

}  // namespace

RecoilPage::RecoilPage(ui::Ui& ui, RecoilStore& store, DeviceChannel& mouse, Message show)
    : ui_(ui), store_(store), mouse_(mouse), show_(std::move(show)) {}

void RecoilPage::nameControls() {
    ui_.setSpokenName(kX, "recoil_x_text");
    ui_.setSpokenName(kY, "recoil_y_text");
    ui_.setSpokenName(kPause, "recoil_delay_text");
    ui_.setSpokenName("bullet_selected_prev", "step_prev_tip");
    ui_.setSpokenName("bullet_selected_next", "step_next_tip");
}

void RecoilPage::start() {
    store_.setUp();
    ui_.setSelected(gunOption(0), true, false);
    selectPattern(0);
}

void RecoilPage::onNotification(const ui::Notification& n, int index) {
    const std::string& s = n.sender;
    if (n.type == "selectchanged") {
        if (s.rfind("ms_gun_op_", 0) == 0 && index >= 0 && index < kRecoilPatterns) {
            // Clicking the chosen pattern again clears its option; it stays the chosen one.
            if (!ui_.isSelected(s)) return ui_.setSelected(gunOption(pattern_), true, false);
            return selectPattern(index);
        }
        if (s.rfind("ms_bullet_op_", 0) == 0 && index >= 0 && index < kRecoilSteps)
            return stepSelectionChanged(s, index);
        if (s == kXCheck || s == kYCheck) {
            ui_.setTextKey(s, s == kXCheck ? xKey(ui_.isSelected(s)) : yKey(ui_.isSelected(s)));
            return writeStep();
        }
        return;
    }
    if (n.type == "textchanged" && (s == kX || s == kY || s == kPause)) return writeStep();
    if (n.type != "click") return;
    if (s == "bullet_selected_prev" && step_ > 0) return ui_.setSelected(stepOption(step_ - 1), true, true);
    if (s == "bullet_selected_next" && step_ < kRecoilSteps - 1) return ui_.setSelected(stepOption(step_ + 1), true, true);
    if (s == "ms_bulletdate_save_btn") return void(send());
    if (s == "ms_bulletdate_reset_btn") return resetPattern();
    if (s == "ms_bulletdate_import_btn") return importPattern();
    if (s == "ms_bulletdate_export_btn") return exportPattern();
}

void RecoilPage::selectPattern(int pattern) {
    pattern_ = pattern;
    reselectFirstStep();
}

// Step 0 is loaded even when it was the selected step already.
void RecoilPage::reselectFirstStep() {
    ui_.setSelected(stepOption(0), false, true);
    ui_.setSelected(stepOption(0), true, true);
}

void RecoilPage::stepSelectionChanged(const std::string& sender, int step) {
    if (!ui_.isSelected(sender)) {
        // The chosen step clicked again: the editor closes until a step is chosen.
        if (step == step_) ui_.setEnabled(kEditor, false);
        return;
    }
    step_ = step;
    loadStep();
    ui_.setEnabled(kEditor, true);
    ui_.setText(kIndexLabel, std::to_string(step + 1));
}

void RecoilPage::loadStep() {
    const RecoilStep s = store_.loadStep(pattern_, step_);
    ui_.setText(kPause, std::to_string(s.pauseMs));
    ui_.setText(kX, std::to_string(s.horizontal));
    ui_.setSelected(kXCheck, s.left, false);
    ui_.setTextKey(kXCheck, xKey(s.left));
    ui_.setText(kY, std::to_string(s.vertical));
    ui_.setSelected(kYCheck, s.up, false);
    ui_.setTextKey(kYCheck, yKey(s.up));
}

// The field's number; a number out of range is replaced by the nearest bound and shown so.
int RecoilPage::field(const std::string& name, int maximum) {
    const std::string text = ui_.text(name);
    const int value = leadingInt(text);
    const int bounded = value < 0 ? 0 : value > maximum ? maximum : value;
    if (bounded != value) ui_.setText(name, std::to_string(bounded));
    return bounded;
}

void RecoilPage::writeStep() {
    if (!ui_.isEnabled(kEditor)) return;
    RecoilStep s;
    s.horizontal = field(kX, kMaxMoveDistance);
    s.vertical = field(kY, kMaxMoveDistance);
    s.pauseMs = field(kPause, kMaxRecoilPauseMs);
    s.left = ui_.isSelected(kXCheck);
    s.up = ui_.isSelected(kYCheck);
    if (!store_.saveStep(pattern_, step_, s)) show_("message_text_10", std::nullopt);
}

int RecoilPage::table(std::vector<uint8_t>* image) {
    int surplus = 0;
    const int built = buildImageFor(store_.loadPatterns(), kRecoilTableCapacity, image, &surplus);
    if (built == ImageOverflow) show_(kRecoilTooLargeKey, surplus);
    if (built == ImageNoRoom) show_("message_text_7", std::nullopt);
    return built;
}

int RecoilPage::send() {
    std::vector<uint8_t> image;
    const int built = table(&image);
    if (built == ImageBuilt) sendRecoilTable(mouse_, image);  // the mouse's answers are not examined
    return built >= 0 ? 1 : 0;
}

void RecoilPage::resetPattern() {
    if (!store_.reset(pattern_)) show_("message_text_10", std::nullopt);
    reselectFirstStep();
}

void RecoilPage::exportPattern() {
    if (auto path = askSaveFile(patternFileRequest()))
        if (!store_.exportPattern(pattern_, *path)) show_("message_text_10", std::nullopt);
}

void RecoilPage::importPattern() {
    const auto path = askOpenFile(patternFileRequest());
    if (!path) return;
    const int result = store_.importPattern(pattern_, *path);
    if (result == RecoilTooManyActions) return show_("message_text_18", std::nullopt);
    if (result == RecoilNotPatternFile) return show_(kRecoilImportRefusedKey, std::nullopt);
    if (result != RecoilOk) return show_("message_text_10", std::nullopt);
    loadStep();
}

}  // namespace macro
