#include "device/DeviceChannel.h"

#include <algorithm>
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
    path_ = path;
    silent_.store(false);
    lastProbeMs_.store(0);
    connected_.store(opened == 1);
    return opened;
}

void DeviceChannel::disconnect() {
    connected_.store(false);
    transport_.close();  // no lock: a read blocked under it is aborted by the close itself
}

// ---- exchanges ----------------------------------------------------------------------------------

namespace {

std::atomic<void (*)()> g_waitPump{nullptr};
thread_local int t_waiting = 0;  // exchanges this thread is inside (more than one only via the pump)

struct WaitingHere {
    WaitingHere() { ++t_waiting; }
    ~WaitingHere() { --t_waiting; }
};

void pumpWhileWaiting() {
    if (void (*pump)() = g_waitPump.load()) pump();
}

int remainingMs(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return int(std::max<int64_t>(0, left.count()));
}

int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// An answer to this request: same command, length and address, and a checksum that adds up (a
// reset goes without one, so its answer may too).
bool answers(const CommandReport& request, const CommandReport& answer) {
    if (answer.reportId != kCommandReportId || answer.command != request.command ||
        answer.length != request.length || answer.address() != request.address())
        return false;
    const uint16_t sum = commandChecksum(answer.bytes());
    const bool sealed = answer.checksumLow == uint8_t(sum & 0xFF) && answer.checksumHigh == uint8_t(sum >> 8);
    const bool unsealedReset = request.command == CmdResetDevice && answer.checksumLow == 0 && answer.checksumHigh == 0;
    return sealed || unsealedReset;
}

}  // namespace

void DeviceChannel::setWaitPump(void (*pump)()) { g_waitPump.store(pump); }

bool DeviceChannel::waitingOnThisThread() { return t_waiting > 0; }

void DeviceChannel::setGoneHandler(std::function<void(const std::string& path)> handler) {
    std::lock_guard<std::mutex> guard(goneMutex_);
    goneHandler_ = std::move(handler);
}

// Under the lock: the device went away under this handle. Later commands return 0 at once; the
// handler has the watcher run the removal and look for the device again.
void DeviceChannel::noteGone() {
    if (!connected_.exchange(false)) return;
    std::function<void(const std::string&)> handler;
    {
        std::lock_guard<std::mutex> guard(goneMutex_);
        handler = goneHandler_;
    }
    if (handler) handler(path_);
}

// Writes the request within the write time limit, in slices with the pump in between.
// 1 written, ResultWriteFailed otherwise. A write the device holds (see HidTransport::write) is
// waited for up to the limit: ours counts when it goes out; another's, left by an earlier request,
// must end before ours is tried.
int DeviceChannel::writeRequest(const CommandReport& request) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWriteTimeoutMs);
    const bool pumped = g_waitPump.load() != nullptr;
    bool oursHeld = false;
    for (;;) {
        const int left = remainingMs(deadline);
        const int slice = pumped ? std::min(left, kWaitSliceMs) : left;
        if (oursHeld) {
            const int finished = transport_.finishHeldWrite(slice);
            if (finished == 1) return 1;
            if (finished == 0) break;
        } else if (transport_.writeHeld()) {
            transport_.finishHeldWrite(slice);  // an earlier request's write: ours comes after it
        } else if (transport_.write(request.bytes(), kCommandReportSize, nullptr, slice) == 1) {
            return 1;
        } else if (transport_.writeHeld()) {
            oursHeld = true;
        } else {
            break;
        }
        if (!connected_.load() || remainingMs(deadline) == 0) return ResultWriteFailed;
        pumpWhileWaiting();
    }
    if (transport_.deviceGone()) noteGone();
    return ResultWriteFailed;
}

// Reads until the answer to request comes or the read time limit passes; what else comes is
// discarded. 1 answered, 0 time-out, -1 the device is gone (or the channel was disconnected).
int DeviceChannel::awaitAnswer(const CommandReport& request, CommandReport* response) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kReadTimeoutMs);
    const bool pumped = g_waitPump.load() != nullptr;
    for (;;) {
        const int left = remainingMs(deadline);
        if (left == 0) return 0;
        const int slice = pumped ? std::min(left, kWaitSliceMs) : left;
        CommandReport answer {};
        if (transport_.read(answer.bytes(), kCommandReportSize, nullptr, slice) == 1) {
            if (answers(request, answer)) {
                *response = answer;
                return 1;
            }
            continue;  // a late answer to another request, or a spoiled one
        }
        if (transport_.deviceGone()) noteGone();
        if (!connected_.load()) return -1;
        if (remainingMs(deadline) > 0) pumpWhileWaiting();
    }
}

// Writes the request and waits for its answer, up to four times (once while the device is
// silent); a failed write ends at once.
// The lock covers one request and its answer: were it let go between the two, a second thread
// could write its own request in between and read the answer meant for the first. Between
// attempts and between chunks it is free, so two threads still interleave their exchanges.
int DeviceChannel::exchange(const CommandReport& request, CommandReport* response) {
    if (!connected_.load() || waitingOnThisThread()) return ResultNoAnswer;
    WaitingHere waiting;
    const int attempts = silent_.load() ? 1 : kAttempts;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        std::lock_guard<std::mutex> guard(lock_);
        if (!connected_.load()) return ResultNoAnswer;
        discardStaleAnswers();
        if (writeRequest(request) != 1) return ResultWriteFailed;
        const int answered = awaitAnswer(request, response);
        if (answered > 0) {
            silent_.store(false);
            return ResultOk;
        }
        if (answered < 0) return ResultNoAnswer;
    }
    lastProbeMs_.store(nowMs());  // the first probe is due a probe interval from now
    silent_.store(true);
    return ResultNoAnswer;
}

// An answer that came after its time limit must not be taken for the answer to the next request.
void DeviceChannel::discardStaleAnswers() {
    uint8_t stale[kCommandReportSize];
    for (int i = 0; i < 64 && transport_.read(stale, sizeof stale, nullptr, 0) == 1; ++i) {
    }
    if (transport_.deviceGone()) noteGone();
}

// Command 13: one write (its result is not looked at) and one wait for its answer, which lands in
// the same buffer.
int DeviceChannel::exchangeOnce(CommandReport* report) {
    if (!connected_.load() || waitingOnThisThread()) return ResultNoAnswer;
    WaitingHere waiting;
    std::lock_guard<std::mutex> guard(lock_);
    discardStaleAnswers();
    const CommandReport request = *report;
    writeRequest(request);
    if (!connected_.load()) return ResultNoAnswer;
    CommandReport answer {};
    if (awaitAnswer(request, &answer) != 1) return ResultNoAnswer;
    silent_.store(false);
    *report = answer;
    return ResultOk;
}

// The lighting stream of a silent device: one probing chunk a second, nothing in between.
bool DeviceChannel::frameMaySend() {
    if (!silent_.load()) return true;
    const int64_t now = nowMs();
    int64_t last = lastProbeMs_.load();
    if (now - last < kSilentProbeMs) return false;
    return lastProbeMs_.compare_exchange_strong(last, now);
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
        // A silent keyboard gets no frames but a probing first chunk now and then; a chunk that
        // goes unanswered ends its frame (the next frame replaces it anyway).
        if (command == CmdStreamFrame && offset == 0 && !frameMaySend()) return ResultNoAnswer;
        CommandReport response {};
        const int result = exchange(request, &response);
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
