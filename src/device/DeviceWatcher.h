// The device watcher: a worker thread that looks for the supported interfaces about ten times a
// second, fills and empties the slot list, and tells the main window of each arrival and removal.
// After its first search it asks the main window once to show itself.
#pragma once

#include <cstdint>

#include "device/HidTransport.h"
#include "device/SupportedDevice.h"
#include "platform/StopEvent.h"

// The main window's side. deviceArrived and deviceRemoved return once the window has handled the
// message (a blocking send); postActivation only queues it.
class DeviceWatcherHost {
public:
    virtual ~DeviceWatcherHost() = default;
    virtual void deviceArrived(uint16_t kind, uint16_t subDevice) = 0;
    virtual void deviceRemoved(uint16_t kind, uint16_t subDevice) = 0;
    virtual void postActivation() = 0;
};

class DeviceWatcher {
public:
    static constexpr int kPeriodMs = 100;

    DeviceWatcher(SlotList& slotList, DeviceWatcherHost& host, const HidRoots& roots)
        : slots_(slotList), host_(host), transport_(roots) {}

    // The thread body: runs until stop is set.
    void run(StopEvent& stop);

    // One pass: the presence check, then a search when some slot is unfilled. Public for tests.
    void pass();

private:
    void search();
    void probe(const std::string& path);
    void checkPresence();

    SlotList& slots_;
    DeviceWatcherHost& host_;
    HidTransport transport_;
    bool searched_ = false;
};
