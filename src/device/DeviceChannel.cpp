#include "device/DeviceChannel.h"

#include <chrono>
#include <cstring>
#include <thread>

namespace {

CommandReport makeRequest(uint8_t command, unsigned length, uint32_t address) {
    CommandReport r {};
    r.reportId = kCommandReportId;
    r.command = command;
    r.length = uint8_t(length);
    r.setAddress(address);
    return r;
}

}  // namespace

int statusResult(const CommandReport& response) {
    if (response.status == kStatusRejected) return ResultStatusRejected;
    if (response.status == kStatusBusy) return ResultStatusBusy;
    return ResultOk;
}

DeviceChannel::DeviceChannel() = default;

DeviceChannel::DeviceChannel(const HidRoots& roots) : transport_(roots) {}

// ---- management ---------------------------------------------------------------------------------

void DeviceChannel::setIdentity(uint16_t vendorId, uint16_t productId, uint16_t usage, uint16_t usagePage) {
    {
        std::lock_guard<std::mutex> guard(identityMutex_);
        identity_ = {vendorId, productId, usage, usagePage};
    }
    connected_.store(false);
}

ChannelIdentity DeviceChannel::identity() const {
    std::lock_guard<std::mutex> guard(identityMutex_);
    return identity_;
}

int DeviceChannel::setTransferSize(unsigned n) {
    if (n > kMaxTransferSize) return 0;
    transferSize_.store(uint16_t(n));
    return 1;
}

int DeviceChannel::connect(const std::string& path) {
    std::lock_guard<std::mutex> guard(lock_);
    const int opened = transport_.open(path, true, true, true, false);
    connected_.store(opened == 1);
    return opened;
}

void DeviceChannel::disconnect() {
    connected_.store(false);
    transport_.close();  // no lock: a read blocked under it is aborted by the close itself
}

// ---- exchanges ----------------------------------------------------------------------------------

// Writes the request and reads one answer, up to four times; a failed write ends at once.
// The lock covers one request and its answer: were it let go between the two, a second thread
// could write its own request in between and read the answer meant for the first. Between
// attempts and between chunks it is free, so two threads still interleave their exchanges.
int DeviceChannel::exchange(const CommandReport& request, CommandReport* response) {
    if (!connected_.load()) return ResultNoAnswer;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        std::lock_guard<std::mutex> guard(lock_);
        discardStaleAnswers();
        if (transport_.write(request.bytes(), kCommandReportSize, nullptr, kWriteTimeoutMs) != 1)
            return ResultWriteFailed;
        if (transport_.read(response->bytes(), kCommandReportSize, nullptr, kReadTimeoutMs) == 1) return ResultOk;
    }
    return ResultNoAnswer;
}

// An answer that came after its time limit must not be taken for the answer to the next request.
void DeviceChannel::discardStaleAnswers() {
    uint8_t stale[kCommandReportSize];
    for (int i = 0; i < 64 && transport_.read(stale, sizeof stale, nullptr, 0) == 1; ++i) {
    }
}

// Command 13: one write (its result is not looked at) and one read into the same buffer.
int DeviceChannel::exchangeOnce(CommandReport* report) {
    if (!connected_.load()) return ResultNoAnswer;
    std::lock_guard<std::mutex> guard(lock_);
    discardStaleAnswers();
    transport_.write(report->bytes(), kCommandReportSize, nullptr, kWriteTimeoutMs);
    return transport_.read(report->bytes(), kCommandReportSize, nullptr, kReadTimeoutMs);
}

// One report each way: copies length source bytes into the request, length answer bytes out.
int DeviceChannel::simple(uint8_t command, unsigned length, uint16_t address, const uint8_t* source,
                          uint8_t* destination) {
    if (!connected_.load()) return ResultNoAnswer;
    CommandReport request = makeRequest(command, length, address);
    if (source) std::memcpy(request.data, source, length);
    sealCommandReport(request);
    CommandReport response {};
    const int result = exchange(request, &response);
    if (result != ResultOk) return result;
    const int status = statusResult(response);
    if (status == ResultOk && destination) std::memcpy(destination, response.data, length);
    return status;
}

// Moves total bytes in chunks of 56 from device address base + offset. The request is cleared
// once: bytes after a short last chunk still hold the previous chunk's data, and the checksum
// covers them as they stand.
int DeviceChannel::chunked(uint8_t command, unsigned total, unsigned base, const uint8_t* source,
                           uint8_t* destination) {
    CommandReport request = makeRequest(command, 0, 0);
    for (unsigned offset = 0; offset < total; offset += kCommandDataSize) {
        const unsigned chunk = offset + kCommandDataSize < total ? unsigned(kCommandDataSize) : total - offset;
        request.length = uint8_t(chunk);
        request.setAddress(base + offset);
        if (source) std::memcpy(request.data, source + offset, chunk);
        sealCommandReport(request);
        if (command == CmdStreamFrame && !streamingEnabled.load()) continue;  // a dropped frame chunk
        CommandReport response {};
        const int result = exchange(request, &response);
        if (command == CmdStreamFrame) {
            // Frames are best effort: a chunk that got no answer counts as delivered.
            if (result != ResultOk) continue;
            const int status = statusResult(response);
            if (status != ResultOk) return status;
            continue;
        }
        if (result != ResultOk) return result;
        const int status = statusResult(response);
        if (status != ResultOk) return status;
        if (destination) std::memcpy(destination + offset, response.data, chunk);
    }
    return ResultOk;
}

// ---- commands -----------------------------------------------------------------------------------

int DeviceChannel::beginTransfer() { return simple(CmdBeginTransfer, 0, 0, nullptr, nullptr); }

int DeviceChannel::endTransfer() {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return simple(CmdEndTransfer, 0, 0, nullptr, nullptr);
}

int DeviceChannel::readDeviceInfo(uint8_t* destination33) {
    return simple(CmdReadDeviceInfo, kDeviceInfoSize, 0, nullptr, destination33);
}

int DeviceChannel::readBlock(uint8_t* destination, unsigned length, uint16_t address) {
    if (length == 0 || length > kCommandDataSize) return ResultWriteFailed;
    return simple(CmdReadBlock, length, address, nullptr, destination);
}

int DeviceChannel::writeBlock(const uint8_t* source, unsigned length, uint16_t address) {
    effectsHeld.store(false);
    if (length == 0 || length > kCommandDataSize) return ResultWriteFailed;
    return simple(CmdWriteBlock, length, address, source, nullptr);
}

int DeviceChannel::readDefaultKeyTable(uint8_t* destination) {
    return chunked(CmdReadDefaultKeyTable, transferSize_.load(), 0, nullptr, destination);
}

int DeviceChannel::readKeyTable(uint8_t* destination, unsigned profile) {
    if (profile >= 5) return ResultBadProfile;
    return chunked(CmdReadKeyTable, transferSize_.load(), profile * 126, nullptr, destination);
}

int DeviceChannel::writeKeyTable(const uint8_t* source, unsigned length, unsigned profile) {
    if (profile >= 5) return ResultBadProfile;
    if (length > transferSize_.load()) length = transferSize_.load();
    return chunked(CmdWriteKeyTable, length, profile * 126, source, nullptr);
}

int DeviceChannel::resetDevice() {
    CommandReport report = makeRequest(CmdResetDevice, 0, 0);  // the only request without a checksum
    return exchangeOnce(&report);
}

int DeviceChannel::streamFrame(const uint8_t* source, unsigned length) {
    return chunked(CmdStreamFrame, length, 0, source, nullptr);
}

int DeviceChannel::writeMacroTable(const uint8_t* source, unsigned length) {
    return chunked(CmdWriteMacroTable, length, 0, source, nullptr);
}

int DeviceChannel::writeRecoilTable(const uint8_t* source, unsigned length) {
    return chunked(CmdWriteRecoilTable, length, 0, source, nullptr);
}
