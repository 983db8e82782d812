// The lighting pages of the keyboard ("kb_"), the mouse ("ms_") and the mouse pad ("mp_"): twins
// that differ in their prefix, plus the keyboard's custom colour sets, roller light, A/B controls
// and key picture preview.
//
// The pages hold no lighting state: each event becomes a change of LightingModel, and the three
// fill operations rewrite the controls from the records. A list selection made by a fill raises
// "itemselect" only when it changes the item, so the mode handler runs exactly then.
//
// Records from files or devices may hold any bytes. A mode the device lacks shows as no item in
// the list and leaves the panels as they are; the fill stores nothing for it (a same-mode sync may
// have put a keyboard mode 9 into the mouse, and it stays there untouched). A brightness above
// the slider's top shows as the top, a speed byte above it as the slowest step, a selected custom
// set above 4 as set 1. UI thread only.
#pragma once

#include <array>
#include <vector>
#include <string>
#include <string_view>

#include "app/ui/Ui.h"
#include "lighting/EffectEngine.h"
#include "lighting/LightingHost.h"
#include "lighting/LightingModel.h"
#include "mirror/KeyboardMirror.h"
#include "mirror/MouseMirror.h"
#include "mirror/PadMirror.h"

class LightingPages {
public:
    LightingPages(ui::Ui& ui, KeyboardMirror& kb, MouseMirror& ms, PadMirror& mp, lighting::LightingHost& host,
                  lighting::EffectControl& effects);

    // Everything routed to the lighting pages and the same-mode buttons. Indexed names
    // ("kb_dkey_12", "ms_Deng_color_btn_3") are read from the sender's name, strictly.
    void onNotification(const ui::Notification& n, int index);

    void fillKeyboardLightingPage();
    void fillMouseLightingPage();
    void fillPadLightingPage();

    // Paints the keyboard picture "kb_dkey_0..131" from a preview (0xAARRGGBB: RGB the colour,
    // AA the overlay alpha); only pictures whose look changed since the last call are touched.
    void showPreview(const std::array<lighting::PreviewColour, lighting::kKeyPictures>& preview);

    lighting::LightingModel& model() { return model_; }

private:
    using Device = lighting::LightDevice;

    // Common to the three pages (LightingPages.cpp).
    void onSelectChanged(Device d, std::string_view suffix, const std::string& sender);
    void onClick(Device d, std::string_view suffix, const std::string& sender);
    void chooseDirection(Device d, bool left);
    void setPanels(Device d, const lighting::ModePanels& panels, bool withBrightness);
    void showColour(Device d, lighting::Rgb colour, int shownMode);
    void pickColour(Device d, lighting::Rgb colour);
    void typeComponent(Device d, int component, const std::string& edit);
    void showChecks(Device d);
    void sameMode(Device from);
    void refresh(Device d);
    std::string control(Device d, std::string_view suffix) const;

    // Keyboard (KeyboardLightingPage.cpp).
    void keyboardModeSelected(int mode);
    void showKeyboardLayouts(int mode);
    void keyClicked(int picture);
    void showLightingTab();

    // Mouse and pad (MousePadLightingPages.cpp).
    void mouseModeSelected(int list, int mode);
    void padModeSelected(int mode);

    ui::Ui& ui_;
    lighting::LightingHost& host_;
    lighting::EffectControl& effects_;
    lighting::LightingModel model_;
    std::array<ui::ControlHandle, lighting::kKeyPictures> pictures_{};
    std::array<lighting::PreviewColour, lighting::kKeyPictures> shown_{};
    bool previewShown_ = false;
    std::vector<ui::Ui::OverlayChange> changes_;  // kept to spare an allocation per frame
};
