// Private to the bus: one device's place on it.
#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

#include "sim/DeviceModel.h"
#include "sim/FaultPlan.h"
#include "sim/VirtualBus.h"

namespace sim {

struct VirtualBus::Slot {
    explicit Slot(const DeviceDefinition& def) : model(def) {}

    // Guarded by VirtualBus::state_.
    DeviceModel model;
    FaultPlan faults;
    bool plugged = false;

    // Bus thread only (or after the thread has stopped).
    struct Interface {
        unsigned number = 0;
        std::string path;
        int listenFd = -1;
        std::vector<int> clients;
    };
    std::vector<Interface> ifaces;   // filled while published
    uint64_t generation = 0;         // bumped at every unplug; late answers of older ones are void

    std::atomic<size_t> clients{0};  // connected clients, for tests
    std::atomic<bool> stalled{false};  // the bus reads nothing from the device's clients

    bool published() const { return !ifaces.empty(); }
    size_t interfaceIndex(unsigned number) const {
        for (size_t i = 0; i < ifaces.size(); ++i)
            if (ifaces[i].number == number) return i;
        return ifaces.size();
    }
};

struct VirtualBus::Delayed {
    std::chrono::steady_clock::time_point due;
    Slot* slot = nullptr;
    size_t iface = 0;
    uint64_t generation = 0;
    std::vector<uint8_t> report;
};

}  // namespace sim
