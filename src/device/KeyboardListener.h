// The keyboard event listener: a worker thread that listens on the keyboard's consumer-control
// interface. The keyboard announces changes made on the keyboard itself with two private usages:
// 0x0401 (its current settings changed: re-read block 0 a little later) and 0x0402 (read the whole
// keyboard again).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "device/HidTransport.h"
#include "device/SupportedDevice.h"
#include "platform/StopEvent.h"

class KeyboardListenerHost {
public:
    virtual ~KeyboardListenerHost() = default;
    // (Re)arms the main window's timer 10 for 100 ms.
    virtual void armRereadTimer() = 0;
    // Message 0x0B01, sent: returns once the main window has read the keyboard.
    virtual void readKeyboard() = 0;
};

class KeyboardListener {
public:
    static constexpr uint16_t kVendorId = 0x0C45;
    static constexpr uint16_t kProductId = 0x751D;
    static constexpr uint16_t kSettingsChanged = 0x0401;
    static constexpr uint16_t kReadAll = 0x0402;

    KeyboardListener(KeyboardListenerHost& host, const HidRoots& roots) : host_(host), transport_(roots) {}

    // The thread body: runs until stop is set.
    void run(StopEvent& stop);
    // Ends a read that waits for the keyboard (the reads have no time limit). Any thread.
    void abort();

    bool listening() const { return found_.load(); }
    // Where to report that the keyboard went away under the listener's handle (set before run).
    void setSlotList(SlotList* slotList) { slots_ = slotList; }
    // How often the listener has connected to the keyboard (tests: a dead handle is not retried
    // in a tight loop).
    unsigned connections() const { return connections_.load(); }

private:
    bool findAndListen(StopEvent& stop);
    void listen(StopEvent& stop);
    void act(uint16_t usage);

    KeyboardListenerHost& host_;
    HidTransport transport_;
    std::atomic<bool> found_{false};
    std::atomic<bool> aborted_{false};
    std::atomic<unsigned> connections_{0};
    SlotList* slots_ = nullptr;
    std::string lastPath_;  // listener thread only
};
