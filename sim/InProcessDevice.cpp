#include "sim/InProcessDevice.h"

#include <sys/socket.h>

#include "device/hid/HidReportDescriptor.h"

namespace sim {

namespace {

void sendReport(int fd, const uint8_t* bytes, size_t length) {
    [[maybe_unused]] ssize_t n = ::send(fd, bytes, length, MSG_NOSIGNAL | MSG_DONTWAIT);
}

}  // namespace

InProcessDevice::InProcessDevice(const DeviceDefinition& def) : model(def) {}

HidNodeInfo InProcessDevice::node() const {
    const DeviceDefinition& def = model.definition();
    HidNodeInfo info;
    info.node = std::string(kPeerScheme) + def.name;
    info.vendorId = def.vendorId;
    info.productId = def.productId;
    info.version = def.version;
    info.interfaceNumber = def.commandInterface;
    for (const InterfaceDefinition& iface : def.interfaces)
        if (iface.number == def.commandInterface) info.descriptor.assign(iface.descriptor.begin(), iface.descriptor.end());
    return info;
}

std::string InProcessDevice::commandPath() const {
    const HidNodeInfo info = node();
    HidReportDescriptor descriptor;
    if (!parseReportDescriptor(info.descriptor.data(), info.descriptor.size(), &descriptor)) return "";
    const unsigned count = unsigned(descriptor.collections.size());
    for (unsigned c = 1; c <= count; ++c)
        for (uint8_t id : descriptor.collections[c - 1].reportIds[int(HidReportType::Output)])
            if (id == kCommandReportId) return makeCollectionPath(info, c, count);
    return "";
}

void InProcessDevice::take(const uint8_t* report, size_t length, int replyFd) {
    const unsigned iface = model.definition().commandInterface;
    if (!model.isCommandRequest(iface, report, length)) return;
    const FaultDecision decision = faults.onRequest(report[3]);
    if (decision.unplug) ::shutdown(replyFd, SHUT_RDWR);
    if (decision.swallow) return;
    const std::vector<uint8_t> answer = model.answerUnder(decision, iface, report, length);
    if (staleBefore && !previous_.empty()) sendReport(replyFd, previous_.data(), previous_.size());
    sendReport(replyFd, answer.data(), answer.size());
    previous_ = answer;
}

}  // namespace sim
