// The main window's messages: send and post, the message table, the Show policy.
#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <QTimer>
#include <string>

#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "platform/DebugLog.h"

namespace {

struct PendingSend {
    bool done = false;
    intptr_t result = 0;
};

constexpr uintptr_t kPadLeds = 15;

}  // namespace

// ---- send and post ------------------------------------------------------------------------------

intptr_t CMainWnd::send(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (closing_.load()) return 0;
    if (QThread::currentThread() == thread()) return dispatch(message, wParam, lParam);

    auto pending = std::make_shared<PendingSend>();
    runOnUiThread([this, pending, message, wParam, lParam] {
        const intptr_t result = closing_.load() ? 0 : dispatch(message, wParam, lParam);
        {
            std::lock_guard<std::mutex> lock(sendMutex_);
            pending->done = true;
            pending->result = result;
        }
        sendDone_.notify_all();
    });
    std::unique_lock<std::mutex> lock(sendMutex_);
    sendDone_.wait(lock, [&] { return pending->done || closing_.load(); });
    return pending->done ? pending->result : 0;
}

void CMainWnd::post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (closing_.load()) return;
    runOnUiThread([this, message, wParam, lParam] {
        if (!closing_.load()) dispatch(message, wParam, lParam);
    });
}

// A call handed to the UI thread: it waits in our own queue, under our own lock, and a queued
// call of runPendingCalls (by name: no functor or event of ours crosses the threads) takes one
// call out and runs it. So every hand-over between the threads goes through a lock that
// ThreadSanitizer sees, whatever Qt's event loop does inside (futexes and atomics it cannot see).
// One wake-up per call keeps the calls separate events, as before: a nested event loop (a box)
// inside one call still runs the calls queued after it.
void CMainWnd::runOnUiThread(std::function<void()> call) {
    {
        std::lock_guard<std::mutex> lock(callsMutex_);
        pendingCalls_.push_back(std::move(call));
    }
    QMetaObject::invokeMethod(this, "runPendingCalls", Qt::QueuedConnection);
}

void CMainWnd::runPendingCalls() {
    std::function<void()> call;
    {
        std::lock_guard<std::mutex> lock(callsMutex_);
        if (pendingCalls_.empty()) return;
        call = std::move(pendingCalls_.front());
        pendingCalls_.pop_front();
    }
    call();
}

void CMainWnd::customEvent(QEvent* event) { QWidget::customEvent(event); }

// Shutdown: no handler runs any more, and every send that waits for one returns 0.
void CMainWnd::releaseWaitingSends() {
    {
        std::lock_guard<std::mutex> lock(sendMutex_);
        closing_.store(true);
    }
    sendDone_.notify_all();
}

// ---- the message table ---------------------------------------------------------------------------

intptr_t CMainWnd::dispatch(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (deferWhileWaiting(message, wParam, lParam)) return 0;
    switch (message) {
    case kActivationMessage: showPolicy(); break;
    case msg::TrayNotify: trayNotify(lParam); break;
    case msg::MenuCommand:
        if (wParam < trayMenuItems_.size()) menuCommand(trayMenuItems_[wParam].name);
        return 1;
    case msg::HookKeySingleKey:
    case msg::HookKeyKbHitKey:
    case msg::HookKeyMacro:
    case msg::HookKeyMacroMouse:
    case msg::HookMouSingleKey:
    case msg::HookMouHitKey:
    case msg::HookMouMacro:
    case msg::HookMouMacroMouse: hookMessage(message, wParam, lParam); break;
    case msg::ReadMouse: readMouseAll(); break;
    case msg::RereadMouseBlock: rereadMouseBlock(); break;
    case msg::ReadPad: readPadAll(); break;
    case msg::RereadPadBlock: rereadPadBlock(); break;
    case msg::PadLedColour:
    case msg::PadLedAlpha: setPadLed(message, wParam, lParam); break;
    case msg::ReadKeyboard:
        readKeyboardAll();
        refreshKeyboardPages();
        break;
    case msg::RereadKeyboardBlock: rereadKeyboardBlock(); break;
    case msg::ExportKeyLayout: exportKeyLayout(); break;
    case msg::ShowProgress: ui_.setVisible("setting_progress", true); break;
    case msg::HideProgress: setTimer(timer::HideProgress, 1000); break;
    case msg::HideNotice: hideNotice(); break;
    case msg::DeviceArrived: deviceArrived(uint16_t(wParam), uint16_t(lParam)); break;
    case msg::DeviceRemoved: deviceRemoved(uint16_t(wParam), uint16_t(lParam)); break;
    default: debugLog("message 0x" + QString::number(message, 16).toStdString() + " has no handler"); break;
    }
    return 0;
}

// Pad LED pictures "mp_dkey_0" .. "mp_dkey_14"; any other index names no picture.
void CMainWnd::setPadLed(uint32_t message, uintptr_t index, intptr_t value) {
    if (index >= kPadLeds) {
        debugLog("pad LED " + std::to_string(index) + " does not exist");
        return;
    }
    const std::string name = "mp_dkey_" + std::to_string(index);
    if (message == msg::PadLedColour) ui_.setOverlayColor(name, static_cast<ui::Argb>(value));
    else ui_.setOverlayAlpha(name, int(std::clamp<intptr_t>(value, 0, 255)));
}

void CMainWnd::hideNotice() {
    ui_.setSelected("ms_deng_Op_tab", true, true);
    showTimedMessageBox(true, this, "", "message_text_20", true);
    hideOrKeepReachable();
}

// ---- the Show policy (activation message) -------------------------------------------------------

void CMainWnd::showPolicy() {
    const bool connected = channels_[ChannelMouse].isConnected() || channels_[ChannelPad].isConnected() ||
                           channels_[ChannelKeyboard].isConnected();
    if (connected) {
        debugLog("show policy: bringing the window to the front");
        bringToFront();
        return;
    }
    hideOrKeepReachable();
    showNoDeviceBox(showPolicyBoxOpen_);
}

// One no-device box per path at a time: while it is open, a further request only hides the window.
void CMainWnd::showNoDeviceBox(bool& guard) {
    if (guard) {
        debugLog("show policy: the no-device box is already open");
        return;
    }
    debugLog("show policy: no device; showing message_text_1");
    guard = true;
    showMessageBox(this, "", "message_text_1", true);
    guard = false;
}
