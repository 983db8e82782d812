// Helpers for the emulator's tests: building requests, and a bare bus client made of plain
// socket calls (so the tests do not lean on the program's transport).
#pragma once

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "device/CommandReport.h"
#include "device/hid/VhidProtocol.h"

namespace simtest {

inline CommandReport request(uint8_t command, uint8_t length = 0, uint16_t address = 0,
                             const std::vector<uint8_t>& data = {}) {
    CommandReport r{};
    r.reportId = kCommandReportId;
    r.command = command;
    r.length = length;
    r.setAddress(address);
    if (!data.empty()) std::memcpy(r.data, data.data(), std::min(data.size(), kCommandDataSize));
    sealCommandReport(r);
    return r;
}

inline std::vector<uint8_t> bytesOf(const CommandReport& r) {
    return std::vector<uint8_t>(r.bytes(), r.bytes() + kCommandReportSize);
}

inline bool checksumHolds(const uint8_t* report) {
    const uint16_t sum = commandChecksum(report);
    return report[1] == (sum & 0xFF) && report[2] == (sum >> 8);
}

class BusClient {
public:
    explicit BusClient(const std::string& path) {
        fd_ = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
        if (::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~BusClient() {
        if (fd_ >= 0) ::close(fd_);
    }
    BusClient(const BusClient&) = delete;
    BusClient& operator=(const BusClient&) = delete;

    bool connected() const { return fd_ >= 0; }
    int fd() const { return fd_; }

    // The first message: hello header and descriptor.
    bool hello(vhid::VhidHello* header, std::vector<uint8_t>* descriptor, int timeoutMs = 2000) {
        auto m = receive(timeoutMs);
        if (!m || m->size() < sizeof(vhid::VhidHello)) return false;
        std::memcpy(header, m->data(), sizeof *header);
        descriptor->assign(m->begin() + sizeof(vhid::VhidHello), m->end());
        return true;
    }
    bool skipHello() {
        vhid::VhidHello h;
        std::vector<uint8_t> d;
        return hello(&h, &d);
    }

    bool send(const std::vector<uint8_t>& report) {
        return ::send(fd_, report.data(), report.size(), MSG_NOSIGNAL) == ssize_t(report.size());
    }
    bool send(const CommandReport& r) { return send(bytesOf(r)); }

    // One message, or nothing on time-out or when the peer has closed (closed() tells).
    std::optional<std::vector<uint8_t>> receive(int timeoutMs = 2000) {
        pollfd p{fd_, POLLIN, 0};
        if (fd_ < 0 || ::poll(&p, 1, timeoutMs) <= 0) return std::nullopt;
        std::vector<uint8_t> buffer(vhid::kMaxReport + sizeof(vhid::VhidHello));
        const ssize_t n = ::recv(fd_, buffer.data(), buffer.size(), 0);
        if (n <= 0) {
            closed_ = true;
            return std::nullopt;
        }
        buffer.resize(size_t(n));
        return buffer;
    }
    // Sends a request and takes the next message.
    std::optional<std::vector<uint8_t>> exchange(const CommandReport& r, int timeoutMs = 2000) {
        if (!send(r)) return std::nullopt;
        return receive(timeoutMs);
    }
    // True when the peer closes the connection within the time (messages before it are skipped).
    bool closesWithin(int timeoutMs) {
        for (int i = 0; i < 1000 && !closed_; ++i)
            if (!receive(timeoutMs) && !closed_) return false;
        return closed_;
    }
    bool closed() const { return closed_; }

private:
    int fd_ = -1;
    bool closed_ = false;
};

}  // namespace simtest
