// Where the main window hands work to the features built on top of the shell. Each handler here is
// the one place its feature plugs in; until the feature exists it does nothing.
#include "app/MainWindow.h"

namespace {

// One empty entry per feature that owns routed controls.
void onMouseMirror(const ui::Notification&, int) {}         // onboard profile switch, save, reset
void onKeyboardMirror(const ui::Notification&, int) {}      // save to device
void onPadMirror(const ui::Notification&, int) {}           // pad profile switch and reset
void onMouseButtonPage(const ui::Notification&, int) {}
void onKeyboardKeyPage(const ui::Notification&, int) {}
void onMousePerformance(const ui::Notification&, int) {}    // DPI levels and colours, report rate, sensor
void onPointerAndWheel(const ui::Notification&, int) {}
void onLightingModel(const ui::Notification&, int) {}       // same-mode sync
void onLightingPages(const ui::Notification&, int) {}
void onMacroRecorder(const ui::Notification&, int) {}
void onMacroEditor(const ui::Notification&, int) {}
void onRecoilPatterns(const ui::Notification&, int) {}
void onProfileOperations(const ui::Notification&, int) {}
void onProgramLinks(const ui::Notification&, int) {}

}  // namespace

void CMainWnd::route(Owner owner, const ui::Notification& n, int index) {
    switch (owner) {
    case Owner::MouseMirror: return onMouseMirror(n, index);
    case Owner::KeyboardMirror: return onKeyboardMirror(n, index);
    case Owner::PadMirror: return onPadMirror(n, index);
    case Owner::MouseButtonPage: return onMouseButtonPage(n, index);
    case Owner::KeyboardKeyPage: return onKeyboardKeyPage(n, index);
    case Owner::MousePerformance: return onMousePerformance(n, index);
    case Owner::PointerAndWheel: return onPointerAndWheel(n, index);
    case Owner::LightingModel: return onLightingModel(n, index);
    case Owner::LightingPages: return onLightingPages(n, index);
    case Owner::MacroRecorder: return onMacroRecorder(n, index);
    case Owner::MacroEditor: return onMacroEditor(n, index);
    case Owner::RecoilPatterns: return onRecoilPatterns(n, index);
    case Owner::ProfileOperations: return onProfileOperations(n, index);
    case Owner::ProgramLinks: return onProgramLinks(n, index);
    }
}

// "windowinit": the macro lists, profile lists and profile files of the three devices.
void CMainWnd::initialiseProfileData() {}

// Worker slot 5: the keyboard lighting effect thread.
void CMainWnd::startLightingEffects() {}
// Worker slots 9 and 10: the program watchers of the keyboard lighting and device profiles.
void CMainWnd::startProgramWatchers() {}

// The input hook: removed when the window is deactivated and by the router.
void CMainWnd::removeKeyHook() {}
void CMainWnd::endMacroRecording() {}
// Messages 0x0801..0x0804 and 0x0810..0x0813 from the input hook.
void CMainWnd::hookMessage(uint32_t, uintptr_t, intptr_t) {}

// Keyboard transfers: read-all (arrival, timer 1006, message 0x0B01), the re-read of block 0
// (timer 10, message 0x0B02), the key layout export (0x0B03), the two add-on units.
void CMainWnd::readKeyboardAll() {}
void CMainWnd::rereadKeyboardBlock() {}
void CMainWnd::exportKeyLayout() {}
void CMainWnd::readSmallKeyboard() {}
void CMainWnd::readCompanionKeyboard() {}
// "select" of PROFILEDEVICESELECT in kbProfile.ini into "kb_device_profile_combo".
void CMainWnd::selectStoredDeviceProfile() {}
void CMainWnd::refreshKeyboardPages() {}
void CMainWnd::refreshKeyboardLightingPage() {}

// Mouse and pad transfers (messages 0x0901, 0x0902, 0x0A01, 0x0A02).
void CMainWnd::readMouseAll() {}
void CMainWnd::rereadMouseBlock() {}
void CMainWnd::readPadAll() {}
void CMainWnd::rereadPadBlock() {}

// Timer 9: one frame of keyboard key colours.
void CMainWnd::sendLightingFrame() {}
