#include "lighting/pages/LightingPages.h"

#include <algorithm>
#include <optional>

#include "lighting/QuickColourSwatch.h"

using lighting::LightDevice;
using lighting::Rgb;

namespace {

std::optional<LightDevice> deviceOf(std::string_view name) {
    if (name.size() <= 3) return std::nullopt;
    const std::string_view prefix = name.substr(0, 3);
    if (prefix == "kb_") return LightDevice::keyboard;
    if (prefix == "ms_") return LightDevice::mouse;
    if (prefix == "mp_") return LightDevice::pad;
    return std::nullopt;
}

// The index of "<stem><digits>": digits only, at most three, below `count`; nothing otherwise.
std::optional<int> indexAfter(std::string_view suffix, std::string_view stem, int count) {
    if (suffix.size() <= stem.size() || suffix.substr(0, stem.size()) != stem) return std::nullopt;
    const std::string_view digits = suffix.substr(stem.size());
    if (digits.size() > 3 || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    int value = 0;
    for (char c : digits) value = value * 10 + (c - '0');
    if (value >= count) return std::nullopt;
    return value;
}

int componentOf(std::string_view suffix) {
    if (suffix == "Deng_edit_R") return 0;
    if (suffix == "Deng_edit_G") return 1;
    if (suffix == "Deng_edit_B") return 2;
    return -1;
}

}  // namespace

LightingPages::LightingPages(ui::Ui& ui, KeyboardMirror& kb, MouseMirror& ms, PadMirror& mp,
                             lighting::LightingHost& host, lighting::EffectControl& effects)
    : ui_(ui), host_(host), effects_(effects), model_(kb, ms, mp, host, effects) {}

std::string LightingPages::control(Device d, std::string_view suffix) const {
    const char* prefix = d == LightDevice::keyboard ? "kb_" : d == LightDevice::mouse ? "ms_" : "mp_";
    return prefix + std::string(suffix);
}

// ---- routing -----------------------------------------------------------------------------------------

void LightingPages::onNotification(const ui::Notification& n, int /*index*/) {
    const std::optional<LightDevice> device = deviceOf(n.sender);
    if (!device) return;
    const Device d = *device;
    const std::string_view suffix = std::string_view(n.sender).substr(3);

    if (n.type == "itemselect") {
        const int item = ui_.current(n.sender);
        if (d == LightDevice::mouse) {
            if (const auto list = indexAfter(suffix, "deng_combo_modeSelect", 3)) mouseModeSelected(*list, item);
        } else if (suffix == "deng_combo_modeSelect") {
            d == LightDevice::keyboard ? keyboardModeSelected(item) : padModeSelected(item);
        } else if (d == LightDevice::keyboard && suffix == "deng_combo_curtom_count") {
            model_.selectCustomSet(item);
        }
    } else if (n.type == "valuechanged") {
        if (suffix == "deng_light_slider") model_.setBrightness(d, ui_.value(n.sender));
        if (suffix == "deng_speed_slider") model_.setSpeedFromSlider(d, ui_.value(n.sender));
    } else if (n.type == "selectchanged") {
        onSelectChanged(d, suffix, n.sender);
    } else if (n.type == "colorchanged") {
        if (suffix == "deng_Color_Pallet") pickColour(d, lighting::rgbOf(ui_.color(n.sender)));
    } else if (n.type == "click") {
        onClick(d, suffix, n.sender);
    } else if (n.type == "textchanged") {
        if (const int component = componentOf(suffix); component >= 0) typeComponent(d, component, n.sender);
    }
}

void LightingPages::onSelectChanged(Device d, std::string_view suffix, const std::string& sender) {
    if (suffix == "Deng_7color_check") return model_.setMultiColour(d, ui_.isSelected(sender));
    if (suffix == "Deng_FXL_check") return chooseDirection(d, true);
    if (suffix == "Deng_FXR_check") return chooseDirection(d, false);
    if (d != LightDevice::keyboard) return;
    if (suffix == "gunlun_deng") {
        const bool on = ui_.isSelected(sender);
        model_.setRoller(on);
        if (on) ui_.setEnabled("kb_deng_color_layout", true);  // the roller takes colours in every mode
    } else if (suffix == "Deng_all_bright_check") {
        model_.fillUnpainted();
    } else if (suffix == "Deng_all_kill_check") {
        model_.clearSet();
    }
}

void LightingPages::onClick(Device d, std::string_view suffix, const std::string& /*sender*/) {
    if (const auto swatch = indexAfter(suffix, "Deng_color_btn_", static_cast<int>(lighting::kQuickColourSwatch.size())))
        return pickColour(d, lighting::rgbOf(*lighting::quickColourSwatch(*swatch)));
    if (suffix == "deng_same_mode") return sameMode(d);
    // The mouse's flow buttons store the opposite of the check boxes of the same side.
    if (d == LightDevice::mouse && suffix == "Deng_FXL_btn") return model_.setDirection(d, false);
    if (d == LightDevice::mouse && suffix == "Deng_FXR_btn") return model_.setDirection(d, true);
    if (d == LightDevice::keyboard)
        if (const auto picture = indexAfter(suffix, "dkey_", lighting::kKeyPictures)) keyClicked(*picture);
}

// The two boxes act as one choice that follows the last event, also one that unchecked a box.
void LightingPages::chooseDirection(Device d, bool left) {
    ui_.setSelected(control(d, "Deng_FXL_check"), left, false);
    ui_.setSelected(control(d, "Deng_FXR_check"), !left, false);
    model_.setDirection(d, left);
}

// ---- panels and colours --------------------------------------------------------------------------------

void LightingPages::setPanels(Device d, const lighting::ModePanels& panels, bool withBrightness) {
    auto set = [this](lighting::Panel state, const std::string& name) {
        if (state != lighting::Panel::kept) ui_.setEnabled(name, state == lighting::Panel::yes);
    };
    set(panels.colour, control(d, "deng_color_layout"));
    set(panels.direction, control(d, "deng_fx_layout"));
    set(panels.multiColour, control(d, "deng_7colorselect_layout"));
    set(panels.speed, control(d, "deng_speed_layout"));
    set(panels.sameMode, control(d, "deng_same_mode"));
    if (withBrightness && d == LightDevice::keyboard) set(panels.brightness, "kb_deng_light_layout");
}

// Shows a colour without applying it: the edits, and the colour button (the brush button while
// the keyboard's list shows the custom mode). The roller light follows what the keyboard shows.
void LightingPages::showColour(Device d, Rgb colour, int shownMode) {
    ui_.setText(control(d, "Deng_edit_R"), std::to_string(colour.red));
    ui_.setText(control(d, "Deng_edit_G"), std::to_string(colour.green));
    ui_.setText(control(d, "Deng_edit_B"), std::to_string(colour.blue));
    const bool brush = d == LightDevice::keyboard && shownMode == lighting::kKeyboardCustomMode;
    const std::string button = brush ? "kb_Deng_custom_colordp_btn" : control(d, "Deng_colordp_btn");
    ui_.setBkColor(button, lighting::argbOf(colour));
    ui_.setBkImage(button, "");
    if (!brush && d == LightDevice::keyboard && model_.rollerOn()) model_.showOnRoller(colour);
}

void LightingPages::pickColour(Device d, Rgb colour) {
    ui_.setColor(control(d, "deng_Color_Pallet"), lighting::argbOf(colour), false);
    showColour(d, colour, model_.mode(d));
    if (model_.applyColour(d, colour) == lighting::ColourTarget::lighting)
        ui_.setSelected(control(d, "Deng_7color_check"), false, false);
}

void LightingPages::typeComponent(Device d, int component, const std::string& edit) {
    const lighting::TypedComponent typed = lighting::parseColourComponent(ui_.text(edit));
    const bool brush = d == LightDevice::keyboard && model_.mode(d) == lighting::kKeyboardCustomMode;
    if (typed.result == lighting::TypedComponent::Result::empty) return;
    if (typed.result == lighting::TypedComponent::Result::refused) {
        const Rgb stored = brush ? model_.brush() : model_.colour(d);
        const uint8_t values[3] = {stored.red, stored.green, stored.blue};
        ui_.setText(edit, std::to_string(values[component]));
        return;
    }
    if (typed.rewrite) ui_.setText(edit, "255");
    model_.typeComponent(d, component, typed.value);
    const Rgb now = brush ? model_.brush() : model_.colour(d);
    ui_.setColor(control(d, "deng_Color_Pallet"), lighting::argbOf(now), false);
    const std::string button = brush ? "kb_Deng_custom_colordp_btn" : control(d, "Deng_colordp_btn");
    ui_.setBkColor(button, lighting::argbOf(now));
    ui_.setBkImage(button, "");
    if (!brush) ui_.setSelected(control(d, "Deng_7color_check"), false, false);
}

// Set silently: the handlers would only store what the record already holds.
void LightingPages::showChecks(Device d) {
    ui_.setSelected(control(d, "Deng_7color_check"), model_.field(d, 5) != 0, false);
    const bool left = model_.field(d, 4) != 0;
    ui_.setSelected(control(d, "Deng_FXL_check"), left, false);
    ui_.setSelected(control(d, "Deng_FXR_check"), !left, false);
}

// ---- same mode -------------------------------------------------------------------------------------

void LightingPages::sameMode(Device from) {
    model_.sameModeSync(from, [this](Device d) { refresh(d); });
}

void LightingPages::refresh(Device d) {
    switch (d) {
    case LightDevice::keyboard: return fillKeyboardLightingPage();
    case LightDevice::mouse: return fillMouseLightingPage();
    case LightDevice::pad: return fillPadLightingPage();
    }
}
