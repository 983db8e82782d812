// The notification router: every notification of the main window's controls arrives here and is
// handed, by its type and its sender's name, to the feature that owns the control. It does a few
// small jobs itself: the caption buttons, tab switching with the unsaved-macro guard, the two
// keyboard A/B options, the profile panel toggles and the display-scale button.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/ui/Ui.h"

// The features notifications are routed to. Each one's handler lives with its page.
enum class Owner : uint8_t {
    MouseMirror,        // onboard profile switch, save to device, reset
    KeyboardMirror,     // save to device, A/B flag write
    PadMirror,          // pad profile switch and reset
    MouseButtonPage,
    KeyboardKeyPage,
    MousePerformance,   // DPI levels and colours, report rate, sensor height
    PointerAndWheel,
    LightingModel,      // same-mode sync
    LightingPages,
    MacroRecorder,
    MacroEditor,
    RecoilPatterns,
    ProfileOperations,
    ProgramLinks,
};

// A control name split at its last underscore: "kb_key_12" -> ("kb_key_", 12). The index is the
// decimal number at the start of the rest (0 when it starts with no digit); a name without an
// underscore has no prefix.
struct IndexedControlName {
    std::string prefix;
    int index = 0;
    bool hasPrefix = false;

    static IndexedControlName split(std::string_view name);
};

// What the router needs from the main window.
class RouterTarget {
public:
    virtual ~RouterTarget() = default;
    // A notification for a feature: the sender's index is set for prefix routes, else 0.
    virtual void route(Owner owner, const ui::Notification& n, int index) = 0;

    virtual void windowInit() = 0;
    virtual void closeWindow() = 0;                      // Shutdown, then destroy the window
    virtual void minimizeWindow() = 0;
    virtual void maximizeWindow() = 0;
    virtual void restoreWindow() = 0;
    virtual void openSkinPicker(ui::ControlHandle anchor) = 0;
    virtual void startTimer(int id, int milliseconds) = 0;
    virtual void removeKeyHook() = 0;
    virtual void endMacroRecording() = 0;
    virtual void setDisplayScale(int scale) = 0;
    virtual void showMessage(const std::string& key) = 0;
    // "kb_a/b_tab": byte 25 of the keyboard's current settings, then its dirty flag.
    virtual void setKeyboardAbTab(uint8_t value) = 0;
};

class NotificationRouter {
public:
    NotificationRouter(ui::Ui& ui, RouterTarget& target) : ui_(ui), target_(target) {}
    void routeNotification(const ui::Notification& n);

private:
    void click(const ui::Notification& n);
    void clickByName(const ui::Notification& n);
    void selectChanged(const ui::Notification& n);
    bool macroGuardStops(const std::string& option);
    void switchTab(const std::string& option);
    void toggle(const std::string& name);

    ui::Ui& ui_;
    RouterTarget& target_;
};
