// The main window's side of device arrival and removal (messages 0x0C12 and 0x0C13, sent by the
// device watcher, which waits for them). Only the keyboard family (kind 1) is handled. The window
// never closes because a device went away.
#include <chrono>

#include "app/AppLog.h"
#include "app/MainWindow.h"
#include "platform/DebugLog.h"

namespace {

struct UnitControls {
    uint16_t subDevice;
    ChannelIndex channel;
    const char* trace;           // written when the channel opens
    const char* controls[2];     // shown on arrival, hidden on removal
};

constexpr UnitControls kUnits[] = {
    {kSubSmallKeyboard, ChannelSmallKeyboard, "小键盘111111111111", {"smallkb_deng_key", "smallkb_key"}},
    {kSubCompanionKeyboard, ChannelCompanionKeyboard, "小键盘22222222222222222222",
     {"companionkb_deng_key", "companionkb_key"}},
};

constexpr auto kStreamResumeWindow = std::chrono::seconds(2);

const UnitControls* unitFor(uint16_t subDevice) {
    for (const UnitControls& unit : kUnits)
        if (unit.subDevice == subDevice) return &unit;
    return nullptr;
}

}  // namespace

// Opens a channel that is not connected yet (the channel takes its own lock around the open).
bool CMainWnd::openChannel(ChannelIndex index, const std::string& path) {
    DeviceChannel& channel = channels_[index];
    if (channel.isConnected()) return true;
    if (channel.connect(path) != 1) {
        debugLog("device arrival: cannot open " + path + "; the device stays unused until it is plugged again");
        return false;
    }
    return true;
}

void CMainWnd::deviceArrived(uint16_t kind, uint16_t subDevice) {
    const std::string path = slots_->presentPath(kind, subDevice);
    if (path.empty() || kind != kKindKeyboardFamily) return;

    if (subDevice == kSubKeyboard) {
        if (channels_[ChannelKeyboard].isConnected()) return;
        if (!openChannel(ChannelKeyboard, path)) return;
        updateLightingPhaseTimer();
        setTimer(timer::ReadAllAgain, 500);
        // The stored device profile is applied next, over what the keyboard answered; a keyboard
        // that did not answer gets nothing applied (its read runs again from timer 1006).
        const bool read = readKeyboardAll(false);
        if (read) selectStoredDeviceProfile();
        // Back within moments of a removal that stopped the frame stream (a replug, a hub reset,
        // a resume): the stream goes on at once instead of after timer 1006.
        if (read && std::chrono::steady_clock::now() - streamStoppedAt_ < kStreamResumeWindow)
            setTimer(timer::LightingFrame, 50);
        refreshKeyboardPages();
        setTimer(timer::Repaint, 100);
        ui_.setVisible("kb_tab_panel", true);
        show();
        debugLog("keyboard arrival: read and shown " + std::to_string(msSinceProgramStart()) + " ms after start");
        return;
    }
    if (subDevice == kSubKeyboardConsumer) {
        openChannel(ChannelKeyboardConsumer, path);
        return;
    }
    if (const UnitControls* unit = unitFor(subDevice)) {
        const bool wasConnected = channels_[unit->channel].isConnected();
        if (!openChannel(unit->channel, path)) return;
        if (!wasConnected) debugLog(unit->trace);
        if (subDevice == kSubSmallKeyboard) readSmallKeyboard();
        else readCompanionKeyboard();
        for (const char* name : unit->controls) ui_.setVisible(name, true);
    }
}

void CMainWnd::deviceRemoved(uint16_t kind, uint16_t subDevice) {
    if (kind != kKindKeyboardFamily) return;
    if (subDevice == kSubKeyboard) {
        channels_[ChannelKeyboard].disconnect();
        // Nothing left to re-read or stream to.
        killTimer(timer::ReadAllAgain);
        if (isTimerActive(timer::LightingFrame)) streamStoppedAt_ = std::chrono::steady_clock::now();
        killTimer(timer::LightingFrame);
        updateLightingPhaseTimer();
        ui_.setVisible("kb_tab_panel", false);
        hideOrKeepReachable();
        return;
    }
    if (subDevice == kSubKeyboardConsumer) {
        channels_[ChannelKeyboardConsumer].disconnect();
        return;
    }
    if (const UnitControls* unit = unitFor(subDevice)) {
        channels_[unit->channel].disconnect();
        for (const char* name : unit->controls) ui_.setVisible(name, false);
    }
}
