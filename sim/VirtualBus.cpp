// The bus's public calls: device lookup, memory, faults, and hand-over of socket work to the bus
// thread. The thread itself lives in BusServer.cpp.
#include "sim/VirtualBus.h"

#include <future>
#include <sys/eventfd.h>
#include <unistd.h>

#include "device/hid/VhidProtocol.h"
#include "sim/BusSlot.h"
#include "sim/ReportDescriptors.h"

namespace sim {

VirtualBus::VirtualBus(const std::string& dir, const BusOptions& options) : dir_(dir) {
    for (const DeviceDefinition& def : deviceCatalog()) slots_.push_back(std::make_unique<Slot>(def));
    wire_.keepRecords(options.keepWireRecords);
    error_ = vhid::prepareBusDir(dir_);
    if (error_.empty() && !options.wireLogPath.empty()) error_ = wire_.openFile(options.wireLogPath);
    if (!error_.empty()) return;
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd_ < 0) {
        error_ = "eventfd failed";
        return;
    }
    thread_ = std::thread([this] { loop(); });
}

VirtualBus::~VirtualBus() {
    if (thread_.joinable()) {
        stop_.store(true);
        wake();
        thread_.join();
    }
    for (auto& slot : slots_) withdraw(*slot);  // the thread is gone: safe here
    if (wakeFd_ >= 0) ::close(wakeFd_);
}

std::string VirtualBus::socketPath(const std::string& dev, unsigned iface) const {
    return dir_ + "/" + vhid::socketName(dev, iface);
}

VirtualBus::Slot* VirtualBus::find(const std::string& dev, std::string* why) const {
    for (const auto& slot : slots_)
        if (slot->model.name() == dev) return slot.get();
    if (why) *why = "unknown device '" + dev + "' (kb, small, companion, mouse, pad)";
    return nullptr;
}

void VirtualBus::wake() {
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(wakeFd_, &one, sizeof one);
}

bool VirtualBus::runOnBusThread(const std::function<void()>& task) {
    if (!thread_.joinable()) return false;
    if (std::this_thread::get_id() == thread_.get_id()) {
        task();
        return true;
    }
    std::promise<void> done;
    std::future<void> finished = done.get_future();
    {
        std::lock_guard<std::mutex> lock(tasksMutex_);
        tasks_.push_back([&] {
            task();
            done.set_value();
        });
    }
    wake();
    finished.wait();
    return true;
}

bool VirtualBus::plug(const std::string& dev, std::string* why) {
    Slot* slot = find(dev, why);
    if (!slot) return false;
    if (!running()) {
        if (why) *why = error_;
        return false;
    }
    std::string problem;
    runOnBusThread([&] { problem = publish(*slot); });
    if (!problem.empty() && why) *why = problem;
    return problem.empty();
}

bool VirtualBus::unplug(const std::string& dev, std::string* why) {
    Slot* slot = find(dev, why);
    if (!slot) return false;
    if (!isPlugged(dev)) {
        if (why) *why = dev + " is not plugged in";
        return false;
    }
    return runOnBusThread([&] { withdraw(*slot); });
}

bool VirtualBus::isPlugged(const std::string& dev) const {
    Slot* slot = find(dev, nullptr);
    std::lock_guard<std::mutex> lock(state_);
    return slot && slot->plugged;
}

std::vector<std::string> VirtualBus::pluggedDevices() const {
    std::vector<std::string> out;
    std::lock_guard<std::mutex> lock(state_);
    for (const auto& slot : slots_)
        if (slot->plugged) out.push_back(slot->model.name());
    return out;
}

size_t VirtualBus::clientCount(const std::string& dev) const {
    Slot* slot = find(dev, nullptr);
    return slot ? slot->clients.load() : 0;
}

bool VirtualBus::notify(const std::string& dev, uint16_t usage, std::string* why) {
    Slot* slot = find(dev, why);
    if (!slot) return false;
    const int iface = slot->model.definition().consumerInterface;
    if (iface < 0) {
        if (why) *why = dev + " has no consumer-control interface";
        return false;
    }
    if (!isPlugged(dev)) {
        if (why) *why = dev + " is not plugged in";
        return false;
    }
    bool sent = false;
    runOnBusThread([&] {
        const size_t index = slot->interfaceIndex(unsigned(iface));
        if (!slot->published() || index >= slot->ifaces.size()) return;  // unplugged meanwhile
        const uint8_t press[3] = {kConsumerReportId, uint8_t(usage & 0xFF), uint8_t(usage >> 8)};
        const uint8_t release[3] = {kConsumerReportId, 0, 0};
        broadcast(*slot, index, press, sizeof press);
        broadcast(*slot, index, release, sizeof release);
        sent = true;
    });
    if (!sent && why) *why = dev + " is not plugged in";
    return sent;
}

bool VirtualBus::peek(const std::string& dev, Area area, size_t offset, size_t length,
                      std::vector<uint8_t>* out, std::string* why) const {
    Slot* slot = find(dev, why);
    if (!slot) return false;
    std::lock_guard<std::mutex> lock(state_);
    if (slot->model.peek(area, offset, length, out)) return true;
    if (why) *why = slot->model.rangeProblem(area, offset, length);
    return false;
}

bool VirtualBus::poke(const std::string& dev, Area area, size_t offset, const std::vector<uint8_t>& bytes,
                      std::string* why) {
    Slot* slot = find(dev, why);
    if (!slot) return false;
    std::lock_guard<std::mutex> lock(state_);
    if (slot->model.poke(area, offset, bytes.data(), bytes.size())) return true;
    if (why) *why = slot->model.rangeProblem(area, offset, bytes.size());
    return false;
}

bool VirtualBus::restoreFactory(const std::string& dev) {
    Slot* slot = find(dev, nullptr);
    if (!slot) return false;
    std::lock_guard<std::mutex> lock(state_);
    slot->model.restoreAll();
    return true;
}

unsigned VirtualBus::resetCount(const std::string& dev) const {
    Slot* slot = find(dev, nullptr);
    if (!slot) return 0;
    std::lock_guard<std::mutex> lock(state_);
    return slot->model.resetCount();
}

bool VirtualBus::lastFrame(const std::string& dev, std::vector<uint8_t>* out, std::string* why) const {
    Slot* slot = find(dev, why);
    if (!slot) return false;
    std::lock_guard<std::mutex> lock(state_);
    if (slot->model.area(Area::Frame).empty()) {
        if (why) *why = dev + " takes no lighting frames";
        return false;
    }
    const auto& frame = slot->model.lastFrame();
    if (!frame) {
        if (why) *why = dev + " has received no complete frame";
        return false;
    }
    *out = *frame;
    return true;
}

unsigned VirtualBus::frameCount(const std::string& dev) const {
    Slot* slot = find(dev, nullptr);
    if (!slot) return 0;
    std::lock_guard<std::mutex> lock(state_);
    return slot->model.frameCount();
}

// Every fault call: find the device, change its plan under the state lock.
#define ZELKAR_WITH_FAULTS(statement)                  \
    Slot* slot = find(dev, nullptr);                   \
    if (!slot) return false;                           \
    std::lock_guard<std::mutex> lock(state_);          \
    slot->faults.statement;                            \
    return true

bool VirtualBus::unplugAfter(const std::string& dev, unsigned requests) {
    ZELKAR_WITH_FAULTS(unplugAfter(requests));
}
bool VirtualBus::dropAnswers(const std::string& dev, unsigned requests) {
    ZELKAR_WITH_FAULTS(drop(requests));
}
bool VirtualBus::failCommand(const std::string& dev, uint8_t command, uint8_t status, unsigned nth) {
    ZELKAR_WITH_FAULTS(failCommand(command, status, nth));
}
bool VirtualBus::garbleAnswers(const std::string& dev, unsigned answers, Garble kind) {
    ZELKAR_WITH_FAULTS(garble(answers, kind));
}
bool VirtualBus::delayAnswers(const std::string& dev, unsigned answers, unsigned ms) {
    ZELKAR_WITH_FAULTS(delay(answers, ms));
}
bool VirtualBus::clearFaults(const std::string& dev) {
    stallReads(dev, false);
    ZELKAR_WITH_FAULTS(clear());
}

bool VirtualBus::stallReads(const std::string& dev, bool stalled) {
    Slot* slot = find(dev, nullptr);
    if (!slot) return false;
    slot->stalled.store(stalled);
    wake();  // the loop polls its sockets anew
    return true;
}

#undef ZELKAR_WITH_FAULTS

}  // namespace sim
