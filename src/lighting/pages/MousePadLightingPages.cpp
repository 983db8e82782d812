// The mouse's and the pad's halves of LightingPages: their mode handlers and fills.
#include "lighting/pages/LightingPages.h"

using lighting::LightDevice;

void LightingPages::mouseModeSelected(int list, int mode) {
    const lighting::ModePanels* panels = lighting::modePanels(LightDevice::mouse, mode, list);
    if (!panels) return;
    setPanels(LightDevice::mouse, *panels, false);
    model_.setMode(LightDevice::mouse, mode);
}

void LightingPages::padModeSelected(int mode) {
    const lighting::ModePanels* panels = lighting::modePanels(LightDevice::pad, mode);
    if (!panels) return;
    setPanels(LightDevice::pad, *panels, false);
    model_.setMode(LightDevice::pad, mode);
}

// The mouse page always works with list 1 and re-applies the mode, so every refresh marks and
// saves the mouse; a mode the mouse lacks (a keyboard's 9 after a same-mode sync) is left alone.
void LightingPages::fillMouseLightingPage() {
    const Device ms = LightDevice::mouse;
    ui_.setCurrent("ms_deng_mode_switch", 1, false);
    const int mode = model_.mode(ms);
    const bool known = lighting::isMode(ms, mode);
    ui_.setCurrent("ms_deng_combo_modeSelect1", known ? mode : -1, false);
    if (known) mouseModeSelected(1, mode);

    ui_.setValue("ms_deng_light_slider", model_.field(ms, 2), false);
    ui_.setValue("ms_deng_speed_slider", lighting::sliderFromSpeedByte(ms, model_.field(ms, 3)), false);
    ui_.setColor("ms_deng_Color_Pallet", lighting::argbOf(model_.colour(ms)), false);
    showColour(ms, model_.colour(ms), mode);
    showChecks(ms);
}

// Unlike choosing mode 6 in the list, a refresh in mode 6 leaves the direction panel off; a
// refresh in mode 9 leaves every panel as it was.
void LightingPages::fillPadLightingPage() {
    const Device mp = LightDevice::pad;
    const int mode = model_.mode(mp);
    ui_.setCurrent("mp_deng_combo_modeSelect", lighting::isMode(mp, mode) ? mode : -1, true);
    if (lighting::isMode(mp, mode) && mode != 9) {
        lighting::ModePanels panels = lighting::kPadModePanels[static_cast<std::size_t>(mode)];
        if (mode == 6) panels.direction = lighting::Panel::no;
        setPanels(mp, panels, false);
    }

    ui_.setValue("mp_deng_light_slider", model_.field(mp, 2), false);
    ui_.setValue("mp_deng_speed_slider", lighting::sliderFromSpeedByte(mp, model_.field(mp, 3)), false);
    ui_.setColor("mp_deng_Color_Pallet", lighting::argbOf(model_.colour(mp)), false);
    showColour(mp, model_.colour(mp), mode);
    showChecks(mp);
}
