#include "perf/pages/PointerWheelPage.h"

#include "perf/SystemSpeeds.h"

namespace {

constexpr const char* kSlider = "ms_point_speed_slider";
constexpr const char* kEdit = "ms_gunlun_speed_edit";
constexpr const char* kUp = "ms_gunlun_speed_up_btn";
constexpr const char* kDown = "ms_gunlun_speed_down_btn";

}  // namespace

PointerWheelPage::PointerWheelPage(ui::Ui& ui, MouseSystemSettings& values, SystemSettingsWorker& worker,
                                   SaveFn save, MessageFn message)
    : ui_(ui), values_(values), worker_(worker), save_(std::move(save)), message_(std::move(message)) {}

void PointerWheelPage::nameControls() {
    ui_.setSpokenName(kSlider, "pointer_speed_text");
    ui_.setSpokenName(kEdit, "wheel_lines_text");
}

void PointerWheelPage::onNotification(const ui::Notification& n, int) {
    if (n.type == "valuechanged" && n.sender == kSlider) return pointerSliderMoved(ui_.value(kSlider));
    if (n.type == "click" && n.sender == kUp) return wheelStep(true);
    if (n.type == "click" && n.sender == kDown) return wheelStep(false);
}

void PointerWheelPage::show() {
    ui_.setValue(kSlider, perf::positionOfPointerSpeed(values_.pointerSpeed.load()), false);
    const int lines = values_.wheelLines.load();
    ui_.setText(kEdit, std::to_string(lines < perf::kMinWheelLines ? perf::kMinWheelLines : lines));
}

void PointerWheelPage::pointerSliderMoved(int position) {
    values_.pointerSpeed.store(uint8_t(perf::pointerSpeedOfPosition(position)));
    applyPointerSpeed();
    if (save_) save_();
}

void PointerWheelPage::wheelStep(bool up) {
    const int v = perf::parseWheelText(ui_.text(kEdit));
    const int lines = up ? perf::wheelUp(v) : perf::wheelDown(v);
    ui_.setText(kEdit, std::to_string(lines));
    values_.wheelLines.store(uint8_t(lines));
    applyWheelLines();
    if (save_) save_();
}

void PointerWheelPage::reset() {
    ui_.setValue(kSlider, perf::positionOfPointerSpeed(perf::kDefaultPointerSpeed), false);
    ui_.setText(kEdit, std::to_string(perf::kDefaultWheelLines));
    worker_.setPointerSpeed(perf::kDefaultPointerSpeed);
    worker_.setWheelLines(perf::kDefaultWheelLines);
}

void PointerWheelPage::applyProfile() {
    show();
    applyPointerSpeed();
    applyWheelLines();
}

// A stored speed outside 1..20 (a file's 22 or 0) is applied held to the range and stored so.
void PointerWheelPage::applyPointerSpeed() {
    const uint8_t speed = perf::clampPointerSpeed(values_.pointerSpeed.load());
    values_.pointerSpeed.store(speed);
    worker_.setPointerSpeed(speed);
}

void PointerWheelPage::applyWheelLines() {
    const int lines = values_.wheelLines.load();
    worker_.setWheelLines(lines < perf::kMinWheelLines ? perf::kMinWheelLines : lines);
}

void PointerWheelPage::tell(SystemSettingsWorker::Kind kind, int result) {
    if (result == SystemSettings::Applied || !message_) return;
    bool& told = kind == SystemSettingsWorker::Kind::pointerSpeed ? toldPointer_ : toldWheel_;
    if (told) return;
    told = true;
    if (result == SystemSettings::NoSuchSetting)
        message_(kind == SystemSettingsWorker::Kind::pointerSpeed ? "message_pointer_kept" : "message_wheel_kept");
    else
        message_("message_system_refused");
}
