// The virtual device bus: publishes emulated devices as sockets in a bus directory and answers
// their reports (the wire protocol is in device/hid/VhidProtocol.h).
//
// Each plugged device publishes one listening SOCK_SEQPACKET socket per USB interface,
// "<dev>-if<N>". A client that connects gets the hello (identity and report descriptor), then
// writes output reports and receives every input report of that interface, like every other
// client of it (hidraw hands each report to every open descriptor). A client whose socket buffer
// is full misses the report instead of stalling the bus. Unplugging closes every client of the
// device and removes its socket files; plugging publishes them again. Onboard memory and armed
// faults belong to the device and survive unplug and plug.
//
// One bus thread does all socket work with poll(); the public calls are safe from any thread,
// except from inside a wire hook (which runs on the bus thread and must not call the bus).
// Calls naming a device take "kb", "small", "companion", "mouse" or "pad" and fail (false, with
// the reason in *why when given) for any other name.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/DeviceCatalog.h"
#include "sim/FaultPlan.h"
#include "sim/WireLog.h"

namespace sim {

struct BusOptions {
    std::string wireLogPath;        // JSON-lines wire log; "" for none
    bool keepWireRecords = true;    // keep records in memory for wireRecords()
};

class VirtualBus {
public:
    // Prepares the directory (vhid::prepareBusDir) and starts the bus thread. On failure the
    // bus does not run: error() tells why and every call that needs the thread fails.
    explicit VirtualBus(const std::string& dir, const BusOptions& options = {});
    ~VirtualBus();  // unplugs every device (removing its sockets) and stops the thread
    VirtualBus(const VirtualBus&) = delete;
    VirtualBus& operator=(const VirtualBus&) = delete;

    const std::string& error() const { return error_; }
    bool running() const { return error_.empty(); }
    const std::string& dir() const { return dir_; }
    std::string socketPath(const std::string& dev, unsigned iface) const;

    // Publishes the device's interfaces. Fails when a socket cannot be made or a live socket of
    // the same name already answers (another bus owns it); a stale file is replaced.
    bool plug(const std::string& dev, std::string* why = nullptr);
    bool unplug(const std::string& dev, std::string* why = nullptr);
    bool isPlugged(const std::string& dev) const;
    std::vector<std::string> pluggedDevices() const;
    // Clients currently connected to any interface of the device.
    size_t clientCount(const std::string& dev) const;

    // Consumer notification: a press report (id 3, usage little-endian) then a release report
    // (id 3, 0x0000) to every client of the device's consumer interface.
    bool notify(const std::string& dev, uint16_t usage, std::string* why = nullptr);

    // Onboard memory. Out-of-range or missing areas fail and change nothing.
    bool peek(const std::string& dev, Area area, size_t offset, size_t length, std::vector<uint8_t>* out,
              std::string* why = nullptr) const;
    bool poke(const std::string& dev, Area area, size_t offset, const std::vector<uint8_t>& bytes,
              std::string* why = nullptr);
    bool restoreFactory(const std::string& dev);           // every area, device information too
    unsigned resetCount(const std::string& dev) const;     // command 13 requests carried out
    // The last complete lighting frame the device received (see DeviceModel.h). Fails when the
    // device takes no frames or none has arrived since it was made or reset.
    bool lastFrame(const std::string& dev, std::vector<uint8_t>* out, std::string* why = nullptr) const;
    unsigned frameCount(const std::string& dev) const;     // complete frames received

    // Faults (see FaultPlan.h for their exact meaning).
    bool unplugAfter(const std::string& dev, unsigned requests);
    bool dropAnswers(const std::string& dev, unsigned requests);
    bool failCommand(const std::string& dev, uint8_t command, uint8_t status, unsigned nth = 0);
    bool garbleAnswers(const std::string& dev, unsigned answers, Garble kind);
    bool delayAnswers(const std::string& dev, unsigned answers, unsigned ms);
    // Stops (or resumes) reading what the device's clients write; clearFaults resumes it too.
    bool stallReads(const std::string& dev, bool stalled);
    bool clearFaults(const std::string& dev);

    // Wire records (kept when BusOptions::keepWireRecords).
    std::vector<WireRecord> wireRecords() const { return wire_.snapshot(); }
    std::vector<WireRecord> takeWireRecords() { return wire_.take(); }
    void clearWireRecords() { wire_.clear(); }
    bool waitForWireRecords(size_t count, std::chrono::milliseconds timeout) const {
        return wire_.waitFor(count, timeout);
    }
    void setWireHook(WireLog::Hook hook) { wire_.setHook(std::move(hook)); }

private:
    struct Slot;
    struct Delayed;

    Slot* find(const std::string& dev, std::string* why) const;
    bool runOnBusThread(const std::function<void()>& task);
    void wake();

    // Bus thread only.
    void loop();
    void runTasks();
    std::string publish(Slot& slot);
    void withdraw(Slot& slot);
    void acceptClients(Slot& slot, size_t iface);
    bool readClient(Slot& slot, size_t iface, int fd);
    void handleReport(Slot& slot, size_t iface, const uint8_t* report, size_t length);
    void broadcast(Slot& slot, size_t iface, const uint8_t* report, size_t length);
    void sendDueAnswers();
    int pollTimeoutMs() const;

    std::string dir_;
    std::string error_;
    WireLog wire_;
    std::vector<std::unique_ptr<Slot>> slots_;

    mutable std::mutex state_;      // models, fault plans, plugged flags
    std::mutex tasksMutex_;
    std::deque<std::function<void()>> tasks_;
    std::vector<Delayed> delayed_;  // bus thread only
    bool topologyChanged_ = false;  // bus thread only: fds closed or opened during this turn
    int wakeFd_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace sim
