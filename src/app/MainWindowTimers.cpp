// The main window's timers, by the numeric ids of WindowMessages.h. Each is a precise Qt timer;
// one-shot timers are killed first thing in their handler.
#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <cstring>

#include "app/KeyboardFeatures.h"
#include "app/LightingFeatures.h"
#include "app/MainWindow.h"
#include "app/MouseFeatures.h"
#include "platform/DebugLog.h"

namespace {

constexpr unsigned kSettingsBlock = 56;  // what one settings write carries

// Timer 2's share for one device: send the record once when it is dirty. The flag is taken before
// the write, so a change made while the write runs is sent on the next tick, not lost. A write the
// device did not take puts the flag back for the next tick, up to kFlushAttempts times in a row;
// then the change is given up and the user told (the next change sends the record again). A
// device that is not connected has nothing to retry: the flag goes down as before.
constexpr int kFlushAttempts = 3;

template <size_t N>
bool flushRecord(std::atomic<bool>& dirty, int& failures, DeviceChannel& channel, const std::array<uint8_t, N>& record) {
    static_assert(N <= kSettingsBlock);
    if (!dirty.exchange(false)) return false;
    uint8_t block[kSettingsBlock] = {};
    std::memcpy(block, record.data(), N);
    const int result = channel.writeBlock(block, kSettingsBlock, 0);
    if (result == ResultOk || !channel.isConnected()) {
        failures = 0;
        return false;
    }
    if (++failures < kFlushAttempts) {
        dirty.store(true);
        return false;
    }
    failures = 0;
    return true;  // given up: tell the user
}

}  // namespace

void CMainWnd::setTimer(int id, int milliseconds) {
    if (QThread::currentThread() != thread()) {
        runOnUiThread([this, id, milliseconds] { setTimer(id, milliseconds); });
        return;
    }
    if (closing_.load()) return;
    QTimer*& timer = timers_[id];
    if (!timer) {
        timer = new QTimer(this);
        timer->setTimerType(Qt::PreciseTimer);
        connect(timer, &QTimer::timeout, this, [this, id] { onTimer(id); });
    }
    timer->start(std::max(0, milliseconds));
}

void CMainWnd::killTimer(int id) {
    const auto it = timers_.find(id);
    if (it != timers_.end() && it->second) it->second->stop();
}

bool CMainWnd::isTimerActive(int id) const {
    const auto it = timers_.find(id);
    return it != timers_.end() && it->second && it->second->isActive();
}

int CMainWnd::timerInterval(int id) const {
    const auto it = timers_.find(id);
    return it != timers_.end() && it->second && it->second->isActive() ? it->second->interval() : -1;
}

void CMainWnd::stopAllTimers() {
    for (auto& [id, timer] : timers_)
        if (timer) timer->stop();
}

// The wait pump: a window that waits for a device's answer handles its events in the meantime
// (input excepted, which waits for the exchange), so it never stops responding.
void CMainWnd::pumpWhileDeviceWaits() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread()) return;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool CMainWnd::deferTimerWhileWaiting(int id) {
    if (!DeviceChannel::waitingOnThisThread()) return false;
    switch (id) {
    case timer::FlushSettings:
    case timer::LightingFrame: return true;  // periodic: the next tick does it
    case timer::AbFlag:
    case timer::RereadBlock:
    case timer::ReadAllAgain:
        setTimer(id, 20);
        return true;
    default: return false;
    }
}

// Only messages that cannot open a box or talk to a device run inside a wait; the others are
// queued again behind what is pending (a sender waiting for one is released now).
bool CMainWnd::deferWhileWaiting(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!DeviceChannel::waitingOnThisThread()) return false;
    switch (message) {
    case msg::ShowProgress:
    case msg::HideProgress:
    case msg::PadLedColour:
    case msg::PadLedAlpha: return false;
    default:
        runOnUiThread([this, message, wParam, lParam] {
            if (!closing_.load()) dispatch(message, wParam, lParam);
        });
        return true;
    }
}

void CMainWnd::onTimer(int id) {
    if (closing_.load() || deferTimerWhileWaiting(id)) return;
    switch (id) {
    case timer::HideProgress:
        killTimer(id);
        ui_.setVisible("setting_progress", false);
        break;
    case timer::FlushSettings:
        flushCurrentSettings();
        if (!isDirty(DeviceKind::keyboard) && !isDirty(DeviceKind::mouse) && !isDirty(DeviceKind::pad)) killTimer(id);
        break;
    case timer::LightingPhase: lighting().advancePhase(); break;
    case timer::Repaint:
        killTimer(id);
        repaintAll();
        break;
    case timer::AbFlag:
        killTimer(id);
        writeAbFlag();
        break;
    case timer::LightingFrame:
        sendLightingFrame();
        // The stream goes on only while the keyboard is there; its next arrival starts it again.
        if (channels_[ChannelKeyboard].isConnected()) {
            if (timerInterval(id) != 10) {
                setTimer(id, 10);
                // Timer 3 restarts with it: two 10 ms timers falling due together cost one wake-up.
                if (isTimerActive(timer::LightingPhase)) setTimer(timer::LightingPhase, 10);
            }
        } else {
            killTimer(id);
            streamStoppedAt_ = std::chrono::steady_clock::now();  // an arrival soon resumes it
        }
        break;
    case timer::RereadBlock:
        killTimer(id);
        rereadKeyboardBlock();
        refreshKeyboardLightingPage();
        break;
    case timer::ReadAllAgain:
        killTimer(id);
        readKeyboardAll();
        refreshKeyboardLightingPage();
        setTimer(timer::LightingFrame, 50);
        break;
    default:
        killTimer(id);
        debugLog("timer " + std::to_string(id) + " has no handler");
        break;
    }
}

void CMainWnd::markDirty(DeviceKind device) {
    flagOf(device).store(true);
    if (QThread::currentThread() == thread()) armFlush();
    else runOnUiThread([this] { armFlush(); });
}

bool CMainWnd::isDirty(DeviceKind device) const {
    switch (device) {
    case DeviceKind::keyboard: return keyboardDirty_.load();
    case DeviceKind::mouse: return mouseDirty_.load();
    case DeviceKind::pad: break;
    }
    return padDirty_.load();
}

// Timer 2 starts with "windowinit"; before that a flag waits for it.
void CMainWnd::armFlush() {
    if (!workersStarted_ || closing_.load() || isTimerActive(timer::FlushSettings)) return;
    if (isDirty(DeviceKind::keyboard) || isDirty(DeviceKind::mouse) || isDirty(DeviceKind::pad))
        setTimer(timer::FlushSettings, 10);
}

void CMainWnd::updateLightingPhaseTimer() {
    const bool wanted = workersStarted_ && channels_[ChannelKeyboard].isConnected();
    if (!wanted) killTimer(timer::LightingPhase);
    else if (!isTimerActive(timer::LightingPhase)) setTimer(timer::LightingPhase, 10);
}

// Timer 2: keyboard, mouse, pad, in this order.
void CMainWnd::flushCurrentSettings() {
    bool gaveUp = flushRecord(keyboardDirty_, flushFailures_[0], channels_[ChannelKeyboard], keyboard_.record);
    gaveUp |= flushRecord(mouseDirty_, flushFailures_[1], channels_[ChannelMouse], mouse_.record);
    gaveUp |= flushRecord(padDirty_, flushFailures_[2], channels_[ChannelPad], pad_.record);
    if (gaveUp) keyboard().showNoticeLater("kb_settings_write_failed_text");
}

// Timer 8: the keyboard's A/B option, one byte of the current profile's settings block.
void CMainWnd::writeAbFlag() {
    const uint8_t value = ui_.isSelected("kb_aorb_check") ? 1 : 0;
    keyboard_.record[KeyboardRecord::kAbMode] = value;
    ui_.setCurrent("a_or_b_control_status", value, false);
    // The profile number comes from the device or a profile file; one out of range gets profile
    // 0's flag, as the key-table writes do, instead of an address past the onboard profiles.
    unsigned profile = keyboard_.record[KeyboardRecord::kProfile];
    if (profile >= mirror::kOnboardProfiles) {
        debugLog("A/B flag: active profile " + std::to_string(profile) + " is out of range; using 0");
        profile = 0;
    }
    channels_[ChannelKeyboard].writeBlock(&value, 1, uint16_t(profile * 64 + KeyboardRecord::kAbMode));
}
