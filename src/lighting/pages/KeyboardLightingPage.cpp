// The keyboard's half of LightingPages: its mode handler and fill, the custom sets' key pictures
// and the preview on them.
#include "lighting/pages/LightingPages.h"

using lighting::LightDevice;
using lighting::Rgb;

namespace {

constexpr const char* kModeList = "kb_deng_combo_modeSelect";
constexpr const char* kPalette = "kb_deng_Color_Pallet";
constexpr std::size_t kAbMode = KeyboardRecord::kAbMode, kLightingTab = KeyboardRecord::kLightingTab,
                      kAbTab = KeyboardRecord::kAbTab;

}  // namespace

void LightingPages::keyboardModeSelected(int mode) {
    if (!lighting::isMode(LightDevice::keyboard, mode)) return;
    showKeyboardLayouts(mode);
    setPanels(LightDevice::keyboard, lighting::kKeyboardModePanels[static_cast<std::size_t>(mode)], true);
    const Rgb colour = mode == lighting::kKeyboardCustomMode ? model_.brush() : model_.colour(LightDevice::keyboard);
    ui_.setColor(kPalette, lighting::argbOf(colour), false);
    showColour(LightDevice::keyboard, colour, mode);
    model_.setMode(LightDevice::keyboard, mode);  // resets (and primes) the effect state too
}

// The custom mode swaps the direction, multi-colour and colour display for the custom-set tools;
// anything else, also a mode the list does not know, shows the ordinary panels.
void LightingPages::showKeyboardLayouts(int mode) {
    const bool custom = mode == lighting::kKeyboardCustomMode;
    for (const char* name : {"kb_deng_fx_layout", "kb_deng_7colorselect_layout", "kb_deng_color_display_layout"})
        ui_.setVisible(name, !custom);
    for (const char* name : {"kb_deng_custom_tool_layout", "kb_deng_custom_select_layout", "kb_deng_custom_color_layout"})
        ui_.setVisible(name, custom);
}

void LightingPages::fillKeyboardLightingPage() {
    const Device kb = LightDevice::keyboard;
    const int mode = model_.mode(kb);
    ui_.setCurrent(kModeList, lighting::isMode(kb, mode) ? mode : -1, true);  // runs the handler on a change

    const int shown = ui_.current(kModeList);
    showKeyboardLayouts(shown);
    if (const lighting::ModePanels* panels = lighting::modePanels(kb, shown)) setPanels(kb, *panels, false);
    model_.primeEffects(shown);

    ui_.setValue("kb_deng_light_slider", model_.field(kb, 2), false);
    ui_.setValue("kb_deng_speed_slider", lighting::sliderFromSpeedByte(kb, model_.field(kb, 3)), false);

    const Rgb colour = mode == lighting::kKeyboardCustomMode ? model_.brush() : model_.colour(kb);
    ui_.setColor(kPalette, lighting::argbOf(colour), false);
    showColour(kb, colour, shown);
    showChecks(kb);

    const bool ab = model_.field(kb, kAbMode) != 0;
    ui_.setCurrent("a_or_b_control_status", ab ? 1 : 0, false);
    ui_.setSelected("kb_aorb_check", ab, false);

    ui_.setCurrent("kb_deng_combo_curtom_count", model_.selectedSet(), false);
    showLightingTab();
    ui_.setSelected("kb_a/b_tab", model_.field(kb, kAbTab) == 0, true);
    host_.refreshKeyLabels();
}

// A keyboard without a lighting page loses the tab; if the user was on it, the key tab takes over.
void LightingPages::showLightingTab() {
    if (model_.field(LightDevice::keyboard, kLightingTab) != 0) return ui_.setVisible("kb_deng_Op_tab", true);
    const bool wasSelected = ui_.isSelected("kb_deng_Op_tab");
    ui_.setVisible("kb_deng_Op_tab", false);
    if (wasSelected) ui_.setSelected("kb_key_Op_tab", true, true);
}

void LightingPages::keyClicked(int picture) {
    const int mode = model_.mode(LightDevice::keyboard);
    if (mode == lighting::kKeyboardCustomMode) model_.paintKey(picture);
    if (mode == lighting::kKeyboardRippleMode) effects_.markRipple(picture);
}

void LightingPages::showPreview(const std::array<lighting::PreviewColour, lighting::kKeyPictures>& preview) {
    if (!previewShown_)
        for (int i = 0; i < lighting::kKeyPictures; ++i)
            pictures_[static_cast<std::size_t>(i)] = ui_.handle("kb_dkey_" + std::to_string(i));
    changes_.clear();
    for (std::size_t i = 0; i < preview.size(); ++i) {
        if (previewShown_ && shown_[i] == preview[i]) continue;
        shown_[i] = preview[i];
        if (pictures_[i]) changes_.push_back({pictures_[i], 0xFF000000u | preview[i], static_cast<int>(preview[i] >> 24)});
    }
    if (!changes_.empty()) ui_.setOverlays(changes_);
    previewShown_ = true;
}
