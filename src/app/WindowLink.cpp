#include "app/WindowLink.h"

#include "app/MainWindow.h"
#include "app/WindowMessages.h"

CMainWnd* WindowLink::enter() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!window_) return nullptr;
    ++inFlight_;
    return window_;
}

void WindowLink::leave() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        --inFlight_;
    }
    idle_.notify_all();
}

bool WindowLink::alive() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return window_ != nullptr;
}

void WindowLink::sever() {
    std::unique_lock<std::mutex> lock(mutex_);
    window_ = nullptr;
    // Calls under way return promptly: the window already answers every send with 0.
    idle_.wait(lock, [this] { return inFlight_ == 0; });
}

intptr_t WindowLink::send(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    CMainWnd* window = enter();
    if (!window) return 0;
    const intptr_t result = window->send(message, wParam, lParam);
    leave();
    return result;
}

void WindowLink::post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (CMainWnd* window = enter()) {
        window->post(message, wParam, lParam);
        leave();
    }
}

void WindowLink::setTimer(int id, int milliseconds) {
    if (CMainWnd* window = enter()) {
        window->setTimer(id, milliseconds);
        leave();
    }
}

void WindowLink::markDirty(DeviceKind device) {
    if (CMainWnd* window = enter()) {
        window->markDirty(device);
        leave();
    }
}

void WindowLink::deviceArrived(uint16_t kind, uint16_t subDevice) { send(msg::DeviceArrived, kind, subDevice); }
void WindowLink::deviceRemoved(uint16_t kind, uint16_t subDevice) { send(msg::DeviceRemoved, kind, subDevice); }
void WindowLink::postActivation() { post(kActivationMessage); }
void WindowLink::armRereadTimer() { setTimer(timer::RereadBlock, 100); }
void WindowLink::readKeyboard() { send(msg::ReadKeyboard); }
