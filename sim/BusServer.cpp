// The bus thread: listening sockets, clients, reports in and out, late answers.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "device/hid/VhidProtocol.h"
#include "sim/BusSlot.h"

namespace sim {
namespace {

using Clock = std::chrono::steady_clock;

bool makeAddress(const std::string& path, sockaddr_un* addr) {
    std::memset(addr, 0, sizeof *addr);
    addr->sun_family = AF_UNIX;
    if (path.size() >= sizeof addr->sun_path) return false;
    std::memcpy(addr->sun_path, path.c_str(), path.size() + 1);
    return true;
}

// A socket file left behind by a bus that died is replaced; one that still answers is not ours.
bool liveSocketAt(const sockaddr_un& addr) {
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool live = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return live;
}

std::vector<uint8_t> helloFor(const DeviceDefinition& def, const InterfaceDefinition& iface) {
    vhid::VhidHello hello{};
    std::memcpy(hello.magic, vhid::kMagic, sizeof hello.magic);
    hello.vendorId = def.vendorId;
    hello.productId = def.productId;
    hello.version = def.version;
    hello.interfaceNumber = iface.number;
    hello.descriptorLength = uint16_t(iface.descriptor.size());
    std::vector<uint8_t> out(sizeof hello + iface.descriptor.size());
    std::memcpy(out.data(), &hello, sizeof hello);
    std::memcpy(out.data() + sizeof hello, iface.descriptor.data(), iface.descriptor.size());
    return out;
}

bool sendNow(int fd, const uint8_t* data, size_t length) {
    return ::send(fd, data, length, MSG_DONTWAIT | MSG_NOSIGNAL) == ssize_t(length);
}

}  // namespace

std::string VirtualBus::publish(Slot& slot) {
    if (slot.published()) return slot.model.name() + " is already plugged in";
    const DeviceDefinition& def = slot.model.definition();
    for (const InterfaceDefinition& idef : def.interfaces) {
        Slot::Interface iface;
        iface.number = idef.number;
        iface.path = socketPath(def.name, idef.number);
        sockaddr_un addr;
        std::string problem;
        if (!makeAddress(iface.path, &addr)) problem = iface.path + ": path too long for a socket";
        else if (liveSocketAt(addr)) problem = iface.path + " is served by another running bus";
        if (problem.empty()) {
            ::unlink(iface.path.c_str());
            iface.listenFd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            if (iface.listenFd < 0 ||
                ::bind(iface.listenFd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 ||
                ::listen(iface.listenFd, 16) != 0)
                problem = iface.path + ": " + std::strerror(errno);
        }
        if (!problem.empty()) {
            if (iface.listenFd >= 0) ::close(iface.listenFd);
            withdraw(slot);  // what was published so far goes away again
            return problem;
        }
        ::chmod(iface.path.c_str(), 0600);
        slot.ifaces.push_back(std::move(iface));
    }
    topologyChanged_ = true;
    std::lock_guard<std::mutex> lock(state_);
    slot.plugged = true;
    return {};
}

void VirtualBus::withdraw(Slot& slot) {
    {
        std::lock_guard<std::mutex> lock(state_);
        slot.plugged = false;
    }
    // Sockets go first, so that a client that sees its connection close finds the device gone.
    for (Slot::Interface& iface : slot.ifaces)
        if (iface.listenFd >= 0) {
            ::unlink(iface.path.c_str());
            ::close(iface.listenFd);
        }
    slot.clients.store(0);
    for (Slot::Interface& iface : slot.ifaces)
        for (int fd : iface.clients) ::close(fd);
    slot.ifaces.clear();
    ++slot.generation;
    topologyChanged_ = true;
}

void VirtualBus::acceptClients(Slot& slot, size_t index) {
    Slot::Interface& iface = slot.ifaces[index];
    for (;;) {
        const int fd = ::accept4(iface.listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) return;
        const InterfaceDefinition* idef = nullptr;
        for (const InterfaceDefinition& s : slot.model.definition().interfaces)
            if (s.number == iface.number) idef = &s;
        const std::vector<uint8_t> hello = helloFor(slot.model.definition(), *idef);
        slot.clients.fetch_add(1);  // counted before the hello: a client that has it is counted
        if (!sendNow(fd, hello.data(), hello.size())) {
            slot.clients.fetch_sub(1);
            ::close(fd);  // a prober that has already gone
            continue;
        }
        iface.clients.push_back(fd);
    }
}

// Reads what the client has sent. False when the client has gone (its fd is then closed).
bool VirtualBus::readClient(Slot& slot, size_t index, int fd) {
    uint8_t buffer[vhid::kMaxReport];
    for (int i = 0; i < 64; ++i) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n > 0) {
            handleReport(slot, index, buffer, size_t(n));
            if (!slot.published()) return true;  // the report unplugged the device
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return true;
        // 0 (orderly close), or an error: the client is gone. A zero-length message also reads
        // as 0 on a SEQPACKET socket; treating it as a close is what hidraw clients never send.
        Slot::Interface& iface = slot.ifaces[index];
        iface.clients.erase(std::remove(iface.clients.begin(), iface.clients.end(), fd), iface.clients.end());
        ::close(fd);
        slot.clients.fetch_sub(1);
        topologyChanged_ = true;
        return false;
    }
    return true;
}

void VirtualBus::handleReport(Slot& slot, size_t index, const uint8_t* report, size_t length) {
    const unsigned number = slot.ifaces[index].number;
    wire_.add(slot.model.name(), number, WireDir::Out, report, length);
    FaultDecision decision;
    std::vector<uint8_t> bytes;
    {
        std::lock_guard<std::mutex> lock(state_);
        if (!slot.model.isCommandRequest(number, report, length)) return;
        decision = slot.faults.onRequest(report[3]);
        if (!decision.swallow) bytes = slot.model.answerUnder(decision, number, report, length);
    }
    if (decision.unplug) {
        withdraw(slot);
        return;
    }
    if (decision.swallow) return;
    if (decision.delayMs > 0) {
        delayed_.push_back({Clock::now() + std::chrono::milliseconds(decision.delayMs), &slot, index,
                            slot.generation, std::move(bytes)});
        return;
    }
    broadcast(slot, index, bytes.data(), bytes.size());
}

void VirtualBus::broadcast(Slot& slot, size_t index, const uint8_t* report, size_t length) {
    Slot::Interface& iface = slot.ifaces[index];
    wire_.add(slot.model.name(), iface.number, WireDir::In, report, length);
    // A full client buffer loses the report, as a hidraw reader that falls behind does; a dead
    // client is noticed by poll() and closed there.
    for (int fd : iface.clients) sendNow(fd, report, length);
}

void VirtualBus::sendDueAnswers() {
    const Clock::time_point now = Clock::now();
    // Due answers go out in the order they fell due.
    std::stable_sort(delayed_.begin(), delayed_.end(),
                     [](const Delayed& a, const Delayed& b) { return a.due < b.due; });
    size_t sent = 0;
    for (; sent < delayed_.size() && delayed_[sent].due <= now; ++sent) {
        Delayed& d = delayed_[sent];
        if (d.generation == d.slot->generation && d.iface < d.slot->ifaces.size())
            broadcast(*d.slot, d.iface, d.report.data(), d.report.size());
    }
    delayed_.erase(delayed_.begin(), delayed_.begin() + ptrdiff_t(sent));
}

int VirtualBus::pollTimeoutMs() const {
    if (delayed_.empty()) return -1;
    Clock::time_point first = delayed_.front().due;
    for (const Delayed& d : delayed_) first = std::min(first, d.due);
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(first - Clock::now()).count();
    return wait < 0 ? 0 : int(wait);
}

void VirtualBus::runTasks() {
    uint64_t count;
    while (::read(wakeFd_, &count, sizeof count) > 0) {
    }
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard<std::mutex> lock(tasksMutex_);
            if (tasks_.empty()) return;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
    }
}

void VirtualBus::loop() {
    struct Source {
        Slot* slot;
        size_t iface;
        int fd;
        bool listener;
    };
    std::vector<pollfd> fds;
    std::vector<Source> sources;
    while (!stop_.load()) {
        fds.assign(1, pollfd{wakeFd_, POLLIN, 0});
        sources.assign(1, Source{nullptr, 0, wakeFd_, false});
        for (auto& slot : slots_)
            for (size_t i = 0; i < slot->ifaces.size(); ++i) {
                fds.push_back({slot->ifaces[i].listenFd, POLLIN, 0});
                sources.push_back({slot.get(), i, slot->ifaces[i].listenFd, true});
                // A stalled device reads nothing: its clients' reports wait in their sockets until
                // the sockets are full and writes block, as a device whose driver holds them.
                for (int fd : slot->ifaces[i].clients) {
                    if (slot->stalled.load()) continue;
                    fds.push_back({fd, POLLIN, 0});
                    sources.push_back({slot.get(), i, fd, false});
                }
            }
        const int ready = ::poll(fds.data(), fds.size(), pollTimeoutMs());
        if (ready < 0 && errno != EINTR) break;
        topologyChanged_ = false;
        if (fds[0].revents) runTasks();
        sendDueAnswers();
        // Once a socket has been closed or opened this turn, the remaining poll results may
        // describe a recycled fd number: poll again instead.
        for (size_t k = 1; k < fds.size() && !topologyChanged_ && !stop_.load(); ++k) {
            if (!fds[k].revents) continue;
            const Source& s = sources[k];
            if (s.listener) acceptClients(*s.slot, s.iface);
            else readClient(*s.slot, s.iface, s.fd);
        }
    }
    runTasks();  // nobody waits forever on a task posted while stopping
}

}  // namespace sim
