// Where the main window hands work to the features built on top of the shell. Each handler here is
// the one place its feature plugs in; until the feature exists it does nothing.
#include "app/MainWindow.h"

#include <array>

#include "app/KeyboardFeatures.h"
#include "app/LightingFeatures.h"
#include "platform/DataFolder.h"

namespace {

// One empty entry per feature that owns routed controls.
void onMouseMirror(const ui::Notification&, int) {}         // onboard profile switch, save, reset
void onPadMirror(const ui::Notification&, int) {}           // pad profile switch and reset
void onMouseButtonPage(const ui::Notification&, int) {}
void onMousePerformance(const ui::Notification&, int) {}    // DPI levels and colours, report rate, sensor
void onPointerAndWheel(const ui::Notification&, int) {}
void onMacroRecorder(const ui::Notification&, int) {}
void onMacroEditor(const ui::Notification&, int) {}
void onRecoilPatterns(const ui::Notification&, int) {}
void onProgramLinks(const ui::Notification&, int) {}

}  // namespace

void CMainWnd::route(Owner owner, const ui::Notification& n, int index) {
    switch (owner) {
    case Owner::MouseMirror: return onMouseMirror(n, index);
    case Owner::KeyboardMirror:
        if (n.sender == "kb_key_butt_prosave") keyboard().transfers().saveToDevice();
        return;
    case Owner::PadMirror: return onPadMirror(n, index);
    case Owner::MouseButtonPage: return onMouseButtonPage(n, index);
    case Owner::KeyboardKeyPage: return keyboard().keyPage().onNotification(n, index);
    case Owner::MousePerformance: return onMousePerformance(n, index);
    case Owner::PointerAndWheel: return onPointerAndWheel(n, index);
    case Owner::LightingModel:
    case Owner::LightingPages: return lighting().onNotification(n, index);
    case Owner::MacroRecorder: return onMacroRecorder(n, index);
    case Owner::MacroEditor: return onMacroEditor(n, index);
    case Owner::RecoilPatterns: return onRecoilPatterns(n, index);
    case Owner::ProfileOperations:
        if (n.type == "itemselect") return keyboard().panels().onItemSelect(n.sender);
        if (n.sender == "kb_pro_key_reset_btn") return keyboard().transfers().keyDefaults();
        if (n.sender == "kb_pro_device_reset_btn")
            return keyboard().transfers().deviceDefaults(defaultsFolder() + "kbdevicedefault.config",
                                                         flagOf(DeviceKind::keyboard));
        return;
    case Owner::ProgramLinks: return onProgramLinks(n, index);
    }
}

// "windowinit": the macro lists, profile lists and profile files of the three devices.
//
// Every lighting change saves the selected profile files from the mirrors at once, so the mirrors
// start from those files: saved from empty mirrors, a first change (say the mouse's brightness
// with no mouse there) would overwrite the stored mouse keys and settings with zeros. The
// keyboard's arrival applies its device profile again, over what the keyboard itself holds.
void CMainWnd::initialiseProfileData() {
    KeyboardFeatures& kb = keyboard();
    kb.panels().initialise();
    for (ProfileList list : {ProfileList::keyboardDevice, ProfileList::mouseDevice, ProfileList::mouseLighting,
                             ProfileList::padLighting})
        kb.store().loadEntry(list, readSelectedIndex(list));
    lighting().refreshMouse();
    lighting().refreshPad();
}

// Worker slot 5: the keyboard lighting effect thread.
void CMainWnd::startLightingEffects() { lighting().startEffects(); }
// Worker slots 9 and 10: the program watchers of the keyboard lighting and device profiles.
void CMainWnd::startProgramWatchers() {}

// The input hook: removed when the window is deactivated and by the router.
void CMainWnd::removeKeyHook() {
    if (keyboardFeatures_) keyboardFeatures_->keyPage().cancelCapture();
}
// The X11 grab itself takes the focus from the window; that deactivation is not the user's.
bool CMainWnd::captureExplainsDeactivation() {
    return keyboardFeatures_ && keyboardFeatures_->capture().explainsDeactivation();
}
void CMainWnd::endMacroRecording() {}
// Messages 0x0801..0x0804 and 0x0810..0x0813 from the input hook.
void CMainWnd::hookMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (message == msg::HookKeySingleKey) keyboard().keyPage().onCapturedKey(int(wParam), unsigned(lParam));
}

// Keyboard transfers: read-all (arrival, timer 1006, message 0x0B01), the re-read of block 0
// (timer 10, message 0x0B02), the key layout export (0x0B03), the two add-on units.
bool CMainWnd::readKeyboardAll(bool saveDeviceProfile) { return keyboard().transfers().readAll(saveDeviceProfile); }
void CMainWnd::rereadKeyboardBlock() { keyboard().transfers().rereadBlock0(); }
void CMainWnd::exportKeyLayout() { keyboard().transfers().exportKeyLayout(dataFolder()); }
void CMainWnd::readSmallKeyboard() { keyboard().transfers().readSmall(); }
void CMainWnd::readCompanionKeyboard() { keyboard().transfers().readCompanion(); }
// "select" of PROFILEDEVICESELECT in kbProfile.ini into "kb_device_profile_combo".
void CMainWnd::selectStoredDeviceProfile() { keyboard().panels().selectStored(ProfileList::keyboardDevice); }
void CMainWnd::refreshKeyboardPages() {
    keyboard().keyPage().refresh();
    lighting().refreshKeyboard();
}
void CMainWnd::refreshKeyboardLightingPage() { lighting().refreshKeyboard(); }

// Mouse and pad transfers (messages 0x0901, 0x0902, 0x0A01, 0x0A02).
void CMainWnd::readMouseAll() {}
void CMainWnd::rereadMouseBlock() {}
void CMainWnd::readPadAll() {}
void CMainWnd::rereadPadBlock() {}

// Timer 9: one frame of keyboard key colours.
void CMainWnd::sendLightingFrame() { lighting().presentFrame(); }

KeyboardFeatures& CMainWnd::keyboard() {
    if (!keyboardFeatures_) keyboardFeatures_ = std::make_unique<KeyboardFeatures>(*this);
    return *keyboardFeatures_;
}

LightingFeatures& CMainWnd::lighting() {
    if (lightingFeatures_) return *lightingFeatures_;
    KeyboardFeatures& kb = keyboard();
    lightingFeatures_ = std::make_unique<LightingFeatures>(*this, kb);
    kb.setLightingRefresh([this] { lightingFeatures_->refreshKeyboard(); });
    // A lighting profile chosen: the pages show it, and the records it changed go to the devices.
    kb.panels().setApplier(ProfileList::keyboardLighting, [this] {
        lightingFeatures_->refreshKeyboard();
        markDirty(DeviceKind::keyboard);
    });
    kb.panels().setApplier(ProfileList::mouseLighting, [this] { lightingFeatures_->refreshMouse(); });
    kb.panels().setApplier(ProfileList::padLighting, [this] {
        lightingFeatures_->refreshPad();
        markDirty(DeviceKind::pad);
    });
    return *lightingFeatures_;
}

const LightingPhase& CMainWnd::lightingPhase() { return lighting().phase(); }
