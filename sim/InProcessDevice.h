// One emulated device's command interface answering inside the calling thread: a transport with
// this attached opens "peer:" paths to it (see HidPeer), and each request written is answered
// before write() returns. For tests and fuzzers that run thousands of transfers a second, where a
// bus round trip through another thread would dominate.
//
// Faults: status, unplug and garble faults act as on the bus (garble spoils the answer). drop and
// delay are not for this device: the answer would never come, so the transfer waits out its full
// time limit. Instead, staleBefore has each answer preceded by a repeat of the previous one, as a
// late answer arriving just before the right one.
//
// Not thread-safe: one thread writes to the transport.
#pragma once

#include <string>
#include <vector>

#include "device/HidTransport.h"
#include "sim/DeviceModel.h"
#include "sim/FaultPlan.h"

namespace sim {

class InProcessDevice : public HidPeer {
public:
    explicit InProcessDevice(const DeviceDefinition& def);

    // The path of the command collection, for DeviceChannel::connect after attachPeer.
    std::string commandPath() const;

    HidNodeInfo node() const override;
    void take(const uint8_t* report, size_t length, int replyFd) override;

    DeviceModel model;
    FaultPlan faults;
    bool staleBefore = false;

private:
    std::vector<uint8_t> previous_;  // the last answer sent
};

}  // namespace sim
