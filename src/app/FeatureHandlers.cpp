// Where the main window hands work to the features built on top of the shell. Each handler here is
// the one place its feature plugs in; until the feature exists it does nothing.
#include "app/MainWindow.h"

#include <array>

#include "app/KeyboardFeatures.h"
#include "app/LightingFeatures.h"
#include "app/MouseFeatures.h"
#include "app/MacroFeatures.h"
#include "platform/DataFolder.h"

void CMainWnd::route(Owner owner, const ui::Notification& n, int index) {
    switch (owner) {
    case Owner::MouseMirror: return mouseFeatures().onMouseMirror(n, index);
    case Owner::KeyboardMirror:
        // The macro image goes first; when it is refused or fails, the save goes no further.
        if (n.sender == "kb_key_butt_prosave" && macros().saveKeyboardMacros()) keyboard().transfers().saveToDevice();
        return;
    case Owner::PadMirror: return mouseFeatures().onPadMirror(n);
    case Owner::MouseButtonPage: return mouseFeatures().buttonPage().onNotification(n, index);
    case Owner::KeyboardKeyPage: return keyboard().keyPage().onNotification(n, index);
    case Owner::MousePerformance: return mouseFeatures().performancePage().onNotification(n, index);
    case Owner::PointerAndWheel: return mouseFeatures().pointerPage().onNotification(n, index);
    case Owner::LightingModel:
    case Owner::LightingPages: return lighting().onNotification(n, index);
    case Owner::MacroRecorder:
    case Owner::MacroEditor: return macros().onNotification(n);
    case Owner::RecoilPatterns: return mouseFeatures().recoilPage().onNotification(n, index);
    case Owner::ProfileOperations:
        if (n.type == "itemselect") return keyboard().panels().onItemSelect(n.sender);
        keyboard().panels().onClick(n.sender);
        return;
    case Owner::ProgramLinks: keyboard().panels().onLinkControl(n.sender, n.type); return;
    }
}

// "windowinit": the macro lists, profile lists and profile files of the three devices.
//
// Every lighting change saves the selected profile files from the mirrors at once, so the mirrors
// start from those files: saved from empty mirrors, a first change (say the mouse's brightness
// with no mouse there) would overwrite the stored mouse keys and settings with zeros. The
// keyboard's arrival applies its device profile again, over what the keyboard itself holds.
void CMainWnd::initialiseProfileData() {
    macros().start();
    mouseFeatures().recoilPage().start();
    KeyboardFeatures& kb = keyboard();
    kb.panels().initialise();
    for (ProfileList list : {ProfileList::keyboardDevice, ProfileList::mouseDevice, ProfileList::mouseLighting,
                             ProfileList::padLighting})
        kb.store().loadEntry(list, readSelectedIndex(list));
    lighting().refreshMouse();
    lighting().refreshPad();
    // The mouse pages show the loaded files too; the pointer speed and wheel lines are only
    // shown: the desktop's own settings are not changed at start.
    mouseFeatures().refreshPages();
}

// Worker slot 5: the keyboard lighting effect thread.
void CMainWnd::startLightingEffects() { lighting().startEffects(); }
// Worker slots 9 and 10: the program watchers of the keyboard lighting and device profiles.
void CMainWnd::startProgramWatchers() { keyboard().startProgramWatchers(); }

// The input hook: removed when the window is deactivated and by the router.
void CMainWnd::removeKeyHook() {
    if (keyboardFeatures_) keyboardFeatures_->keyPage().cancelCapture();
    if (mouseFeatures_) mouseFeatures_->buttonPage().cancelCapture();
    if (macroFeatures_) macroFeatures_->captureLost();
}
// The X11 grab itself takes the focus from the window; that deactivation is not the user's.
bool CMainWnd::captureExplainsDeactivation() {
    return keyboardFeatures_ && keyboardFeatures_->capture().explainsDeactivation();
}
void CMainWnd::endMacroRecording() {
    if (macroFeatures_) macroFeatures_->endRecording();
}
// Messages 0x0801..0x0804 and 0x0810..0x0813 from the input hook.
void CMainWnd::hookMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (message == msg::HookKeySingleKey) keyboard().keyPage().onCapturedKey(int(wParam), unsigned(lParam));
    else if (message == msg::HookMouSingleKey) mouseFeatures().buttonPage().onCapturedKey(int(wParam), unsigned(lParam));
    else macros().hookMessage(message, wParam, lParam);
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
void CMainWnd::readMouseAll() {
    mouseFeatures().mouseTransfers().readAll();
    mouseFeatures().refreshPages();
}
void CMainWnd::rereadMouseBlock() {
    mouseFeatures().mouseTransfers().rereadActiveBlock();
    mouseFeatures().refreshPages();
}
void CMainWnd::readPadAll() {
    mouseFeatures().padTransfers().readAll();
    mouseFeatures().refreshPage();
}
void CMainWnd::rereadPadBlock() {
    mouseFeatures().padTransfers().rereadActiveBlock();
    mouseFeatures().refreshPage();
}

// Timer 9: one frame of keyboard key colours.
void CMainWnd::sendLightingFrame() { lighting().presentFrame(); }

KeyboardFeatures& CMainWnd::keyboard() {
    if (keyboardFeatures_) return *keyboardFeatures_;
    keyboardFeatures_ = std::make_unique<KeyboardFeatures>(*this);
    // The device list's reset is the keyboard's device-defaults sequence.
    keyboardFeatures_->panels().setResetHandler(ProfileList::keyboardDevice, [this] {
        keyboardFeatures_->transfers().deviceDefaults(keyboardFeatures_->store().defaultsFolder() + "kbdevicedefault.config",
                                                      flagOf(DeviceKind::keyboard));
    });
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
    kb.panels().setApplier(ProfileList::mouseLighting, [this] { mouseFeatures().refreshPages(); });
    kb.panels().setApplier(ProfileList::padLighting, [this] {
        lightingFeatures_->refreshPad();
        markDirty(DeviceKind::pad);
    });
    return *lightingFeatures_;
}

MacroFeatures& CMainWnd::macros() {
    if (!macroFeatures_) macroFeatures_ = std::make_unique<MacroFeatures>(*this, keyboard());
    return *macroFeatures_;
}

const LightingPhase& CMainWnd::lightingPhase() { return lighting().phase(); }

MouseFeatures& CMainWnd::mouseFeatures() {
    if (mouseFeatures_) return *mouseFeatures_;
    mouseFeatures_ = std::make_unique<MouseFeatures>(*this, keyboard(), options_.systemSettings);
    mouseFeatures_->setLightingRefresh([this] { lighting().refreshMouse(); }, [this] { lighting().refreshPad(); });
    return *mouseFeatures_;
}
