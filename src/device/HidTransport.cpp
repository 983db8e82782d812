#include "device/HidTransport.h"

#include <algorithm>
#include <map>
#include <memory>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include "device/hid/HidNode.h"
#include "device/hid/HidrawBackend.h"
#include "device/hid/VhidBackend.h"
#include "device/hid/VhidProtocol.h"

namespace {

std::mutex g_rootsMutex;
HidRoots g_roots;

constexpr size_t kMaxPathLength = 259;

bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

std::string busDirOf(const HidRoots& roots) { return roots.vhidBus.empty() ? vhid::defaultBusDir() : roots.vhidBus; }

HidOpenedNode openNode(const std::string& node, bool readAccess, bool writeAccess) {
    if (startsWith(node, kHidrawScheme))
        return openHidrawNode(node.substr(sizeof kHidrawScheme - 1), readAccess, writeAccess);
    if (startsWith(node, kVhidScheme)) return openVhidNode(node.substr(sizeof kVhidScheme - 1));
    HidOpenedNode none;
    none.error = ENOENT;
    return none;
}

// A socket pair for an in-process device: the transport reads one end, the peer answers into
// the other.
HidOpenedNode openPeer(HidPeer& peer, int* peerEnd) {
    HidOpenedNode opened;
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends) != 0) {
        opened.error = errno;
        return opened;
    }
    opened.fd = ends[0];
    opened.isSocket = true;
    opened.info = peer.node();
    *peerEnd = ends[1];
    return opened;
}

// The collection a path names: "&colNN" counts from 1; without the tag the interface must have
// exactly one top-level collection.
const HidCollection* collectionOfPath(const HidReportDescriptor& descriptor, const std::string& path) {
    const uint16_t number = parseCollectionNumber(path);
    if (number == 0) return descriptor.collections.size() == 1 ? &descriptor.collections[0] : nullptr;
    if (number > descriptor.collections.size()) return nullptr;
    return &descriptor.collections[number - 1];
}

int remainingMs(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return int(std::max<int64_t>(0, left.count()));
}

}  // namespace

void setDefaultHidRoots(const HidRoots& roots) {
    std::lock_guard<std::mutex> lock(g_rootsMutex);
    g_roots = roots;
}

HidRoots defaultHidRoots() {
    std::lock_guard<std::mutex> lock(g_rootsMutex);
    return g_roots;
}

HidTransport::HidTransport() : HidTransport(defaultHidRoots()) {}

HidTransport::HidTransport(const HidRoots& roots) : roots_(roots) {
    abortFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

HidTransport::~HidTransport() {
    close();
    if (abortFd_ >= 0) ::close(abortFd_);
}

// ---- enumeration ----------------------------------------------------------------------------

namespace {

// Parsed descriptors by their bytes: the watcher enumerates ten times a second and the same few
// descriptors come back every time.
struct ParsedDescriptor {
    bool ok = false;
    HidReportDescriptor descriptor;
};

std::mutex g_parsedMutex;
std::map<std::string, std::shared_ptr<const ParsedDescriptor>> g_parsed;
constexpr size_t kParsedCacheLimit = 256;

std::shared_ptr<const ParsedDescriptor> parseCached(const std::vector<uint8_t>& bytes) {
    const std::string key(bytes.begin(), bytes.end());
    {
        std::lock_guard<std::mutex> lock(g_parsedMutex);
        const auto found = g_parsed.find(key);
        if (found != g_parsed.end()) return found->second;
    }
    auto parsed = std::make_shared<ParsedDescriptor>();
    parsed->ok = parseReportDescriptor(bytes.data(), bytes.size(), &parsed->descriptor) &&
                 !parsed->descriptor.collections.empty();
    std::lock_guard<std::mutex> lock(g_parsedMutex);
    if (g_parsed.size() >= kParsedCacheLimit) g_parsed.clear();
    g_parsed.emplace(key, parsed);
    return parsed;
}

}  // namespace

bool listHidInterfaces(const HidRoots& roots, std::vector<HidPathInfo>* out, std::string* busProblem) {
    std::vector<HidNodeInfo> nodes;
    if (roots.useHidraw && !listHidrawNodes(roots, &nodes)) return false;
    if (roots.useVhid) listVhidNodes(busDirOf(roots), &nodes, busProblem);
    for (const HidNodeInfo& node : nodes) {
        const std::shared_ptr<const ParsedDescriptor> parsed = parseCached(node.descriptor);
        const HidReportDescriptor& descriptor = parsed->descriptor;
        if (!parsed->ok) {
            // An interface whose descriptor we cannot read still shows, as one path, so that the
            // diagnostics tool can name it; it will not open.
            HidPathInfo info;
            info.path = makeCollectionPath(node, 0, 1);
            info.vendorId = node.vendorId;
            info.productId = node.productId;
            info.interfaceNumber = node.interfaceNumber;
            info.descriptorReadable = false;
            out->push_back(std::move(info));
            continue;
        }
        const unsigned count = unsigned(descriptor.collections.size());
        for (unsigned c = 1; c <= count; ++c) {
            const HidCollection& collection = descriptor.collections[c - 1];
            HidPathInfo info;
            info.path = makeCollectionPath(node, c, count);
            info.vendorId = node.vendorId;
            info.productId = node.productId;
            info.interfaceNumber = node.interfaceNumber;
            info.collectionNumber = count > 1 ? uint16_t(c) : 0;
            info.usagePage = collection.usagePage;
            info.usage = collection.usage;
            for (int t = 0; t < 3; ++t) info.reportLength[t] = collection.reportLength[t];
            out->push_back(std::move(info));
        }
    }
    return true;
}

int HidTransport::enumerate() {
    paths_.clear();
    cursor_ = 0;
    std::vector<HidPathInfo> interfaces;
    if (!listHidInterfaces(roots_, &interfaces)) return 0;
    paths_.reserve(interfaces.size());
    for (HidPathInfo& info : interfaces) paths_.push_back(std::move(info.path));
    return 1;
}

const char* HidTransport::nextPath() {
    if (cursor_ >= paths_.size()) return nullptr;
    return paths_[cursor_++].c_str();
}

void HidTransport::releasePaths() {
    paths_.clear();
    paths_.shrink_to_fit();
    cursor_ = 0;
}

// ---- open / close -----------------------------------------------------------------------------

int HidTransport::open(const std::string& path, bool readAccess, bool writeAccess, bool overlapped, bool exclusive) {
    (void)overlapped;  // every transfer here has a time limit and an abort; there is no other mode
    (void)exclusive;   // hidraw has no share modes; other openers are not kept out
    std::unique_lock<std::mutex> lock(mutex_);
    closeLocked(lock);
    uint64_t drained = 0;
    [[maybe_unused]] ssize_t n = ::read(abortFd_, &drained, sizeof drained);  // an abort of before
    lastOpenError_ = 0;
    gone_.store(false);
    if (path.size() > kMaxPathLength) {
        lastOpenError_ = ENAMETOOLONG;
        return 0;
    }
    int peerEnd = -1;
    HidOpenedNode opened = peer_ && startsWith(path, kPeerScheme) ? openPeer(*peer_, &peerEnd)
                                                                  : openNode(nodeOfPath(path), readAccess, writeAccess);
    if (opened.fd < 0) {
        lastOpenError_ = opened.error;
        return 0;
    }
    HidReportDescriptor descriptor;
    const HidCollection* collection = nullptr;
    // The node must still be the device the path names (hidraw numbers are reused).
    const bool sameDevice = opened.info.vendorId == parseVendorId(path) && opened.info.productId == parseProductId(path);
    if (sameDevice && parseReportDescriptor(opened.info.descriptor.data(), opened.info.descriptor.size(), &descriptor))
        collection = collectionOfPath(descriptor, path);
    if (!collection) {
        ::close(opened.fd);
        if (peerEnd >= 0) ::close(peerEnd);
        lastOpenError_ = ENODEV;
        return 0;
    }
    fd_ = opened.fd;
    peerFd_ = peerEnd;
    openPeer_ = peerEnd >= 0 ? peer_ : nullptr;
    isSocket_ = opened.isSocket;
    writable_ = writeAccess;
    readable_ = readAccess;
    prependId_ = !descriptor.numbersReports;
    path_ = path;
    attributes_ = {opened.info.vendorId, opened.info.productId, opened.info.version};
    collection_ = *collection;
    for (int t = 0; t < 3; ++t) {
        buffers_[t].assign(collection_.reportLength[t], 0);
        items_[t] = buildDataItems(collection_, HidReportType(t));
    }
    interfaceNumber_ = parseInterfaceNumber(path);
    collectionNumber_ = parseCollectionNumber(path);
    return 1;
}

void HidTransport::close() {
    std::unique_lock<std::mutex> lock(mutex_);
    closeLocked(lock);
}

void HidTransport::abort() {
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(abortFd_, &one, sizeof one);
}

void HidTransport::attachPeer(HidPeer* peer) {
    std::lock_guard<std::mutex> lock(mutex_);
    peer_ = peer;
}

bool HidTransport::isOpen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return fd_ >= 0;
}

// Aborts transfers blocked in other threads, waits until they have let go of the descriptor, then
// closes it and forgets the per-open data.
void HidTransport::closeLocked(std::unique_lock<std::mutex>& lock) {
    if (fd_ < 0) return;
    closing_ = true;
    if (activeIo_ > 0) {
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(abortFd_, &one, sizeof one);
        idle_.wait(lock, [this] { return activeIo_ == 0; });
    }
    uint64_t drained = 0;
    [[maybe_unused]] ssize_t n = ::read(abortFd_, &drained, sizeof drained);
    ::close(fd_);
    fd_ = -1;
    if (peerFd_ >= 0) ::close(peerFd_);
    peerFd_ = -1;
    openPeer_ = nullptr;
    closing_ = false;
    gone_.store(false);
    path_.clear();
    attributes_ = {};
    collection_ = {};
    interfaceNumber_ = collectionNumber_ = 0;
    for (int t = 0; t < 3; ++t) {
        buffers_[t].clear();
        items_[t].clear();
    }
}

bool HidTransport::isPresent(const std::string& path) {
    const std::string node = nodeOfPath(path);
    if (startsWith(node, kHidrawScheme))
        return hidrawNodePresent(roots_, node.substr(sizeof kHidrawScheme - 1), parseVendorId(path), parseProductId(path));
    if (startsWith(node, kVhidScheme))
        return vhidNodePresent(node.substr(sizeof kVhidScheme - 1), parseVendorId(path), parseProductId(path));
    return false;
}

std::string HidTransport::nodeIdentity(const std::string& path) const {
    const std::string node = nodeOfPath(path);
    if (startsWith(node, kHidrawScheme)) return hidrawNodeIdentity(roots_, node.substr(sizeof kHidrawScheme - 1));
    if (startsWith(node, kVhidScheme)) return vhidNodeIdentity(node.substr(sizeof kVhidScheme - 1));
    return {};
}

// ---- transfers ----------------------------------------------------------------------------------

bool HidTransport::beginIo(std::atomic<bool>& flag, int* fd) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (fd_ < 0 || closing_) return false;
    ++activeIo_;
    flag.store(true);
    *fd = fd_;
    return true;
}

void HidTransport::endIo(std::atomic<bool>& flag) {
    std::lock_guard<std::mutex> lock(mutex_);
    --activeIo_;
    flag.store(false);
    idle_.notify_all();
}

bool HidTransport::reportIdWanted(uint8_t id, HidReportType type) const {
    const std::vector<uint8_t>& ids = collection_.reportIds[int(type)];
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

// Waits until fd is ready for events, the abort event fires or the deadline passes.
// 1 ready, 0 time-out or abort, -1 hang-up or error.
int HidTransport::waitReady(int fd, short events, int timeoutMs,
                            std::chrono::steady_clock::time_point deadline) const {
    for (;;) {
        pollfd fds[2] = {{abortFd_, POLLIN, 0}, {fd, events, 0}};
        const int wait = timeoutMs == kHidInfinite ? -1 : remainingMs(deadline);
        const int n = ::poll(fds, 2, wait);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (fds[0].revents) return 0;       // aborted by open/close from another thread
        if (n == 0) return 0;               // time-out
        if (fds[1].revents & events) return 1;  // data first: a socket may hold reports after hang-up
        return -1;                          // POLLHUP / POLLERR / POLLNVAL: unplugged
    }
}

// Sleeps for the given time unless the abort event fires first; true when it did.
bool HidTransport::pauseUnlessAborted(int milliseconds) const {
    for (;;) {
        pollfd abortEvent = {abortFd_, POLLIN, 0};
        const int n = ::poll(&abortEvent, 1, milliseconds);
        if (n < 0 && errno == EINTR) continue;
        return n != 0;
    }
}

int HidTransport::read(uint8_t* buffer, size_t count, size_t* transferred, int timeoutMs) {
    if (transferred) *transferred = 0;
    int fd = -1;
    if (!buffer || count == 0 || !beginIo(reading_, &fd)) return 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    int result = 0;
    size_t done = 0;
    uint8_t report[vhid::kMaxReport + 1];
    // A look without waiting (time limit 0) goes straight to the descriptor, which is
    // non-blocking: the channel looks before every request, hundreds of times a second.
    const bool look = timeoutMs == 0;
    const bool pauseOnForeign = timeoutMs == kHidInfinite && foreignPauseMs_ > 0;
    bool draining = false;  // after a pause: reading what gathered, without waiting
    size_t foreignDrained = 0;
    while (readable_) {
        if (!look && !draining) {
            const int ready = waitReady(fd, POLLIN, timeoutMs, deadline);
            if (ready < 0) gone_.store(true);
            if (ready != 1) break;
        }
        uint8_t* into = prependId_ ? report + 1 : report;
        const ssize_t n = isSocket_ ? ::recv(fd, into, vhid::kMaxReport, 0) : ::read(fd, into, vhid::kMaxReport);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) {
            if (look) break;
            // While foreign reports keep coming, pause again at once: one wake-up per pause for
            // a steady stream. Only a pause that gathered nothing goes back to waiting for data.
            if (draining && foreignDrained > 0) {
                if (pauseUnlessAborted(foreignPauseMs_)) break;
                foreignDrained = 0;
                continue;
            }
            draining = false;
            continue;
        }
        if (n <= 0) {  // EIO, ENODEV, a reset connection or the end of the stream: the device is gone
            if (n == 0 || errno == EIO || errno == ENODEV || errno == ECONNRESET || errno == EPIPE ||
                errno == ENOTCONN)
                gone_.store(true);
            break;
        }
        if (prependId_) report[0] = 0;
        const size_t length = size_t(n) + (prependId_ ? 1 : 0);
        if (!reportIdWanted(report[0], HidReportType::Input)) {  // another collection's report
            if (pauseOnForeign && !draining) {
                if (pauseUnlessAborted(foreignPauseMs_)) break;
                draining = true;
                foreignDrained = 0;
            } else {
                ++foreignDrained;
            }
            continue;
        }
        // A report shorter than the collection's longest is handed out zero-padded to that length.
        const size_t full = std::min<size_t>(count, std::max<size_t>(length, collection_.reportLength[0]));
        const size_t copied = std::min(length, full);
        std::memcpy(buffer, report, copied);
        std::memset(buffer + copied, 0, full - copied);
        done = full;
        result = 1;
        break;
    }
    endIo(reading_);
    if (transferred) *transferred = done;
    return result;
}

int HidTransport::write(const uint8_t* buffer, size_t count, size_t* transferred, int timeoutMs) {
    if (transferred) *transferred = 0;
    int fd = -1;
    if (!buffer || count == 0 || count > vhid::kMaxReport || !beginIo(writing_, &fd)) return 0;
    int result = 0;
    // The kernel takes the report id in byte 0 (0 when reports are not numbered).
    if (writable_ && reportIdWanted(buffer[0], HidReportType::Output)) {
        // A bus socket takes the report at once when it has room. A hidraw write may block inside
        // the USB driver whatever O_NONBLOCK says, so it always goes through the writer thread;
        // so does a socket report that must wait for room. Either way the caller waits no longer
        // than its time limit (see WriterThread.h).
        int error = 0;
        ssize_t n = -1;
        if (openPeer_) {
            openPeer_->take(buffer, count, peerFd_);
            n = ssize_t(count);
        } else if (isSocket_ && !writer_.held()) {
            do n = ::send(fd, buffer, count, MSG_NOSIGNAL | MSG_DONTWAIT);
            while (n < 0 && errno == EINTR);
            error = n < 0 ? errno : 0;
        }
        if (n == ssize_t(count)) {
            result = 1;
        } else if (!isSocket_ || error == EAGAIN) {
            result = writer_.write(fd, isSocket_, buffer, count, timeoutMs == kHidInfinite ? 24 * 3600 * 1000 : timeoutMs,
                                   abortFd_, &error);
            if (result < 0) result = 0;  // still held: not written as far as the caller knows
        }
        if (result != 1 && (error == EIO || error == ENODEV || error == ECONNRESET || error == EPIPE ||
                            error == ENOTCONN || error == ESHUTDOWN))
            gone_.store(true);
        if (result == 1 && transferred) *transferred = count;
    }
    endIo(writing_);
    return result;
}

int HidTransport::finishHeldWrite(int timeoutMs) {
    int error = 0;
    const int result = writer_.finish(timeoutMs, &error);
    if (result == 0 && (error == EIO || error == ENODEV || error == ECONNRESET || error == EPIPE ||
                        error == ENOTCONN || error == ESHUTDOWN))
        gone_.store(true);
    return result;
}

bool HidTransport::unpackInput(const uint8_t* report, size_t length, HidReportType type) {
    if (collection_.reportLength[int(type)] == 0) return false;
    return ::unpackInput(report, length, type, items_[int(type)], collection_);
}
