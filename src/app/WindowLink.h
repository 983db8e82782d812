// The worker threads' handle on the main window: send (blocking), post (queued) and timers from
// any thread, and the hosts the device watcher and the keyboard listener talk to.
//
// Workers hold the link (shared), never the window itself. Shutdown severs it: from then on every
// call returns at once (send answers 0) and never touches the window, so a worker that did not
// end in time can be left running after the window is gone.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

// DeviceWatcher.h names a parameter "slots", which Qt's keyword macro would erase.
#pragma push_macro("slots")
#undef slots
#include "device/DeviceWatcher.h"
#pragma pop_macro("slots")
#include "device/KeyboardListener.h"

class CMainWnd;
enum class DeviceKind;

class WindowLink : public DeviceWatcherHost, public KeyboardListenerHost {
public:
    explicit WindowLink(CMainWnd* window) : window_(window) {}
    WindowLink(const WindowLink&) = delete;
    WindowLink& operator=(const WindowLink&) = delete;

    // The handler's result; 0 once the window is shutting down.
    intptr_t send(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);
    void post(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);
    void setTimer(int id, int milliseconds);
    void markDirty(DeviceKind device);
    bool alive() const;

    // UI thread (Shutdown), after the window stopped answering sends: waits for calls under way to
    // return, then lets no further call through.
    void sever();

    // DeviceWatcherHost
    void deviceArrived(uint16_t kind, uint16_t subDevice) override;
    void deviceRemoved(uint16_t kind, uint16_t subDevice) override;
    void postActivation() override;
    // KeyboardListenerHost
    void armRereadTimer() override;
    void readKeyboard() override;

private:
    CMainWnd* enter();
    void leave();

    mutable std::mutex mutex_;
    std::condition_variable idle_;
    CMainWnd* window_;
    int inFlight_ = 0;
};
