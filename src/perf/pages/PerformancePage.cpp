#include "perf/pages/PerformancePage.h"

#include <algorithm>

#include "keys/KeyEditor.h"
#include "lighting/QuickColourSwatch.h"
#include "perf/SensorRange.h"

namespace {

constexpr const char* kReportCombo = "ms_report_fct_combo";
constexpr const char* kHeightSlider = "ms_sensor_height_slider";
constexpr const char* kColourButton = "ms_DPI_colordp_btn";
constexpr const char* kPalette = "Pallet";
constexpr const char* kSwatchPrefix = "ms_DPI_color_btn_";

struct ColourEdit {
    char component;
    const char* name;
    size_t byte;
    int shift;  // of the component in 0xAARRGGBB
};
constexpr ColourEdit kColourEdits[] = {
    {'R', "ms_DPI_edit_R", MouseRecord::kSecondRed, 16},
    {'G', "ms_DPI_edit_G", MouseRecord::kSecondGreen, 8},
    {'B', "ms_DPI_edit_B", MouseRecord::kSecondBlue, 0},
};

// The record byte of level 1..6.
size_t levelByte(int level) {
    return level <= 4 ? MouseRecord::kDpiLevel1 + size_t(level - 1) : MouseRecord::kDpiLevel5 + size_t(level - 5);
}

// "ms_DPI3_slider" -> 3; 0 for any other name.
int levelOfSlider(const std::string& name) {
    for (int level = 1; level <= PerformancePage::kLevels; ++level)
        if (name == dpiControl(level, "slider")) return level;
    return 0;
}

}  // namespace

std::string dpiControl(int level, const char* suffix) { return "ms_DPI" + std::to_string(level) + "_" + suffix; }

PerformancePage::PerformancePage(ui::Ui& ui, MouseMirror& mirror, PerformanceHost& host)
    : ui_(ui), mirror_(mirror), host_(host) {}

void PerformancePage::nameControls() {
    for (int level = 1; level <= kLevels; ++level)
        ui_.setSpokenName(dpiControl(level, "slider"), "dpi_level_" + std::to_string(level) + "_text");
    ui_.setSpokenName(kReportCombo, "report_rate_text");
    ui_.setSpokenName(kHeightSlider, "sensor_height_text");
    ui_.setSpokenName(kPalette, "dpi_colour_caption");
    ui_.setSpokenName(kColourButton, "current_colour_tip");
    ui_.setSpokenName("ms_DPI_edit_R", "colour_red_tip");
    ui_.setSpokenName("ms_DPI_edit_G", "colour_green_tip");
    ui_.setSpokenName("ms_DPI_edit_B", "colour_blue_tip");
    for (size_t i = 0; i < lighting::kQuickColourSwatch.size(); ++i)
        ui_.setSpokenName(kSwatchPrefix + std::to_string(i), "quick_colour_text");
}

// ---- routing ----------------------------------------------------------------------------------------

void PerformancePage::onNotification(const ui::Notification& n, int index) {
    const std::string& sender = n.sender;
    if (n.type == "valuechanged" || n.type == "movevaluechanged") {
        if (const int level = levelOfSlider(sender)) return dpiValueChanged(level, ui_.value(sender), n.type == "movevaluechanged");
        if (sender == kHeightSlider && n.type == "valuechanged") return sensorHeightChanged(ui_.value(sender));
        return;
    }
    if (n.type == "itemselect" && sender == kReportCombo) return reportRateChanged(ui_.current(sender));
    if (n.type == "textchanged") {
        for (const ColourEdit& e : kColourEdits)
            if (sender == e.name) return dpiColourEdited(e.component);
        return;
    }
    if (n.type == "colorchanged" && sender == kPalette) return setDpiColour(ui_.color(kPalette), true);
    if (n.type == "click" && sender.rfind(kSwatchPrefix, 0) == 0) {
        const std::string digits = sender.substr(std::string(kSwatchPrefix).size());
        if (digits.empty() || digits.size() > 2 || digits.find_first_not_of("0123456789") != std::string::npos) return;
        (void)index;
        return quickColour(std::stoi(digits));
    }
}

// ---- handlers -----------------------------------------------------------------------------------------

void PerformancePage::dpiValueChanged(int level, int position, bool dragging) {
    if (level < 1 || level > kLevels) return;
    const perf::ResolutionInfo info = perf::pageResolution(mirror_.deviceInfo);
    ui_.setText(dpiControl(level, "label_value"), std::to_string(perf::resolutionOf(position, info)));
    if (level <= 4 && dragging) return;  // levels 1..4 store when the slider is let go
    mirror_.record[levelByte(level)] = uint8_t(std::clamp(position, 0, 255));
    commit();
}

void PerformancePage::sensorHeightChanged(int position) {
    mirror_.record[MouseRecord::kSensorHeight] = uint8_t(std::clamp(position, 0, 255));
    commit();
}

void PerformancePage::reportRateChanged(int index) {
    if (index < 0 || index > 255) return;
    mirror_.record[MouseRecord::kReportRate] = uint8_t(index);
    commit(true);
}

void PerformancePage::dpiColourEdited(char component) {
    for (const ColourEdit& e : kColourEdits) {
        if (e.component != component) continue;
        const std::string text = ui_.text(e.name);
        const int v = keys::clampEditValue(text, 255);
        if (std::to_string(v) != text) ui_.setText(e.name, std::to_string(v));
        const ui::Argb old = ui_.bkColor(kColourButton);
        const ui::Argb colour = 0xFF000000u | (old & 0x00FFFFFFu & ~(0xFFu << e.shift)) | (ui::Argb(v) << e.shift);
        ui_.setBkColor(kColourButton, colour);
        ui_.setColor(kPalette, colour, false);
        mirror_.record[e.byte] = uint8_t(v);
        return commit();
    }
}

void PerformancePage::setDpiColour(ui::Argb colour, bool commitIt) {
    ui_.setBkColor(kColourButton, colour);
    ui_.setBkImage(kColourButton, "");
    const uint8_t rgb[3] = {uint8_t(colour >> 16), uint8_t(colour >> 8), uint8_t(colour)};
    // Written without raising "textchanged": the edits only show the colour here.
    for (size_t i = 0; i < 3; ++i) ui_.setText(kColourEdits[i].name, std::to_string(rgb[i]));
    if (!commitIt) return;
    for (size_t i = 0; i < 3; ++i) mirror_.record[kColourEdits[i].byte] = rgb[i];
    commit();
}

void PerformancePage::quickColour(int index) {
    const std::optional<uint32_t> swatch = lighting::quickColourSwatch(index);
    if (!swatch) return;
    ui_.setColor(kPalette, *swatch, false);
    setDpiColour(*swatch, true);
}

void PerformancePage::commit(bool lightingOnly) {
    host_.markMouseDirty();
    if (lightingOnly) host_.saveMouseLightingProfile();
    else host_.saveMouseProfiles();
}

// ---- filling --------------------------------------------------------------------------------------------

void PerformancePage::fill() {
    const auto& r = mirror_.record;
    const int rates = ui_.itemCount(kReportCombo);
    // A rate index beyond the layout's items shows the last item; the record keeps its byte.
    if (rates > 0) ui_.setCurrent(kReportCombo, std::min<int>(r[MouseRecord::kReportRate], rates - 1), false);

    perf::applySensorBase(mirror_.deviceInfo);
    const perf::ResolutionInfo info = perf::pageResolution(mirror_.deviceInfo);
    if (const std::optional<perf::SensorRow> row = perf::findSensor(info.sensor)) {
        for (int level = 1; level <= kLevels; ++level) {
            ui_.setText(dpiControl(level, "min"), std::string(row->minText));
            ui_.setText(dpiControl(level, "max"), std::string(row->maxText));
        }
    }
    for (int level = 1; level <= kLevels; ++level) {
        const std::string slider = dpiControl(level, "slider");
        ui_.setRange(slider, 0, int(info.steps));
        const int position = std::min<int>(r[levelByte(level)], int(info.steps));
        ui_.setValue(slider, position, false);
        ui_.setText(dpiControl(level, "label_value"), std::to_string(perf::resolutionOf(position, info)));
    }
    colourActiveLevel();
    ui_.setValue(kHeightSlider, std::min<int>(r[MouseRecord::kSensorHeight], ui_.maximum(kHeightSlider)), false);

    const ui::Argb colour = 0xFF000000u | ui::Argb(r[MouseRecord::kSecondRed]) << 16 |
                            ui::Argb(r[MouseRecord::kSecondGreen]) << 8 | r[MouseRecord::kSecondBlue];
    ui_.setColor(kPalette, colour, false);
    setDpiColour(colour, false);
}

void PerformancePage::colourActiveLevel() {
    const int active = mirror_.record[MouseRecord::kActiveDpiLevel];
    // Above 5 the first level is marked and levels 5 and 6 keep their colours.
    const int marked = active <= 5 ? active + 1 : 1;
    const int last = active <= 5 ? kLevels : 4;
    for (int level = 1; level <= last; ++level) {
        const ui::Argb colour = level == marked ? kActiveColour : kIdleColour;
        ui_.setTextColor(dpiControl(level, "label_rank"), colour);
        ui_.setTextColor(dpiControl(level, "label_value"), colour);
    }
}
