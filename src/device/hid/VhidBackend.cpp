#include "device/hid/VhidBackend.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <unistd.h>

#include "device/hid/VhidProtocol.h"

namespace {

int connectSeqpacket(const std::string& socketPath) {
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof address.sun_path) {
        errno = ENAMETOOLONG;
        return -1;
    }
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

// The hello comes first on every connection: identity and the report descriptor.
bool takeHello(int fd, int timeoutMs, HidNodeInfo* info) {
    pollfd p {fd, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) != 1 || !(p.revents & POLLIN)) return false;
    uint8_t message[sizeof(vhid::VhidHello) + vhid::kMaxDescriptor];
    const ssize_t n = ::recv(fd, message, sizeof message, 0);
    if (n < ssize_t(sizeof(vhid::VhidHello))) return false;
    vhid::VhidHello hello;
    std::memcpy(&hello, message, sizeof hello);
    if (std::memcmp(hello.magic, vhid::kMagic, sizeof hello.magic) != 0) return false;
    if (hello.descriptorLength > vhid::kMaxDescriptor ||
        size_t(n) != sizeof hello + hello.descriptorLength)
        return false;
    info->vendorId = hello.vendorId;
    info->productId = hello.productId;
    info->version = hello.version;
    info->interfaceNumber = hello.interfaceNumber;
    info->descriptor.assign(message + sizeof hello, message + n);
    return true;
}

// Hellos already taken, by socket path. An entry holds while the socket file is the very file it
// was taken from (device, inode and change time: an unplug removes the file, a replug makes a new
// one) and the process serving it has not ended (a bus that died leaves its files behind; a
// pidfd tells its end without pid reuse). Anything else costs a new connection, as before.
class KnownSockets {
public:
    bool lookup(const std::string& path, const struct stat& file, HidNodeInfo* info) {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto found = entries_.find(path);
        if (found == entries_.end()) return false;
        const Entry& e = found->second;
        if (e.device != file.st_dev || e.inode != file.st_ino || e.changed.tv_sec != file.st_ctim.tv_sec ||
            e.changed.tv_nsec != file.st_ctim.tv_nsec || !serverAlive(e.serverPid)) {
            entries_.erase(found);
            return false;
        }
        *info = e.info;
        return true;
    }

    // The entry of a file known to be unchanged: only its server must still live.
    bool lookupLive(const std::string& path, HidNodeInfo* info) {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto found = entries_.find(path);
        if (found == entries_.end() || !serverAlive(found->second.serverPid)) return false;
        *info = found->second.info;
        return true;
    }

    void remember(const std::string& path, const struct stat& file, const HidOpenedNode& opened) {
        if (opened.serverPid <= 0) return;
        std::lock_guard<std::mutex> lock(mutex_);
        if (!watchServer(opened.serverPid)) return;
        if (entries_.size() >= kLimit) entries_.clear();
        entries_[path] = Entry{file.st_dev, file.st_ino, file.st_ctim, opened.serverPid, opened.info};
    }

    void forget(const std::string& path) {
        std::lock_guard<std::mutex> lock(mutex_);
        entries_.erase(path);
    }

private:
    struct Entry {
        dev_t device;
        ino_t inode;
        timespec changed;
        int serverPid;
        HidNodeInfo info;
    };
    static constexpr size_t kLimit = 256;

    bool watchServer(int pid) {
        if (servers_.count(pid)) return serverAlive(pid);
        if (servers_.size() >= kLimit) return false;
        const int fd = int(::syscall(SYS_pidfd_open, pid, 0));
        if (fd < 0) return false;  // no pidfds here: every question connects
        servers_[pid] = fd;
        return true;
    }

    // The pidfd turns readable when its process has ended.
    bool serverAlive(int pid) {
        const auto found = servers_.find(pid);
        if (found == servers_.end()) return false;
        pollfd p {found->second, POLLIN, 0};
        if (::poll(&p, 1, 0) == 0) return true;
        ::close(found->second);
        servers_.erase(found);
        return false;
    }

    std::mutex mutex_;
    std::map<std::string, Entry> entries_;
    std::map<int, int> servers_;  // pid -> pidfd
};

KnownSockets& knownSockets() {
    static KnownSockets* known = new KnownSockets;  // used by worker threads until the very end
    return *known;
}

// Takes the hello of a socket file that is not known yet (or no longer), remembering it.
bool helloOf(const std::string& path, const struct stat& file, HidNodeInfo* info) {
    if (knownSockets().lookup(path, file, info)) return true;
    HidOpenedNode opened = openVhidNode(path, 500);
    if (opened.fd < 0) {
        knownSockets().forget(path);
        return false;
    }
    ::close(opened.fd);
    knownSockets().remember(path, file, opened);
    *info = std::move(opened.info);
    return true;
}

bool sameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

// The socket names of a bus folder as last read. Adding, removing or replacing a socket stamps the
// folder's change times, so a folder whose times are those of the last reading holds the same
// names. The kernel stamps times by clock tick, so a reading taken within a second of the last
// change is not kept: a second change in the same tick would leave the times as they were.
class BusListings {
public:
    bool take(const std::string& dir, const struct stat& folder, std::vector<std::string>* names) {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto found = listings_.find(dir);
        if (found == listings_.end()) return false;
        const Listing& l = found->second;
        if (l.device != folder.st_dev || l.inode != folder.st_ino || !sameTime(l.modified, folder.st_mtim) ||
            !sameTime(l.changed, folder.st_ctim)) {
            listings_.erase(found);
            return false;
        }
        *names = l.names;
        return true;
    }

    void keep(const std::string& dir, const struct stat& folder, const std::vector<std::string>& names) {
        timespec now {};
        clock_gettime(CLOCK_REALTIME, &now);
        const time_t latest = std::max(folder.st_mtim.tv_sec, folder.st_ctim.tv_sec);
        std::lock_guard<std::mutex> lock(mutex_);
        if (now.tv_sec - latest < 2) {  // whole seconds: at least one second has gone by
            listings_.erase(dir);
            return;
        }
        if (listings_.size() >= 16) listings_.clear();
        listings_[dir] = Listing{folder.st_dev, folder.st_ino, folder.st_mtim, folder.st_ctim, names};
    }

private:
    struct Listing {
        dev_t device;
        ino_t inode;
        timespec modified, changed;
        std::vector<std::string> names;
    };
    std::mutex mutex_;
    std::map<std::string, Listing> listings_;
};

BusListings& busListings() {
    static BusListings* listings = new BusListings;
    return *listings;
}

// Sorted names of the entries that may be sockets; false when the folder cannot be read.
bool readSocketNames(const std::string& busDir, std::vector<std::string>* names) {
    DIR* dir = opendir(busDir.c_str());
    if (!dir) return false;
    while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if ((entry->d_type == DT_SOCK || entry->d_type == DT_UNKNOWN) && name != "." && name != "..")
            names->push_back(name);
    }
    closedir(dir);
    std::sort(names->begin(), names->end());
    return true;
}

}  // namespace

bool vhidNodePresent(const std::string& socketPath, uint16_t vendorId, uint16_t productId) {
    struct stat file {};
    HidNodeInfo info;
    if (::lstat(socketPath.c_str(), &file) != 0 || !S_ISSOCK(file.st_mode)) {
        knownSockets().forget(socketPath);
        return false;
    }
    return helloOf(socketPath, file, &info) && info.vendorId == vendorId && info.productId == productId;
}

HidOpenedNode openVhidNode(const std::string& socketPath, int helloTimeoutMs) {
    HidOpenedNode opened;
    opened.isSocket = true;
    const int fd = connectSeqpacket(socketPath);
    if (fd < 0) {
        opened.error = errno;
        return opened;
    }
    if (!takeHello(fd, helloTimeoutMs, &opened.info)) {
        opened.error = EPROTO;
        ::close(fd);
        return opened;
    }
    const int flags = fcntl(fd, F_GETFL);
    fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    ucred server {};
    socklen_t length = sizeof server;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &server, &length) == 0) opened.serverPid = int(server.pid);
    opened.fd = fd;
    opened.info.node = std::string(kVhidScheme) + socketPath;
    return opened;
}

void listVhidNodes(const std::string& busDir, std::vector<HidNodeInfo>* out, std::string* problem) {
    struct stat folder {};
    if (::lstat(busDir.c_str(), &folder) != 0) return;  // no bus running: nothing to list
    std::vector<std::string> names;
    const bool unchanged = busListings().take(busDir, folder, &names);
    if (!unchanged) {
        const std::string reason = vhid::checkBusDir(busDir);
        if (!reason.empty()) {
            if (problem) *problem = reason;
            return;
        }
        if (!readSocketNames(busDir, &names)) return;
        busListings().keep(busDir, folder, names);
    }
    for (const std::string& name : names) {
        const std::string path = busDir + "/" + name;
        HidNodeInfo info;
        // In an unchanged folder every file is the one seen last time; only its server may be gone.
        if (!unchanged || !knownSockets().lookupLive(path, &info)) {
            struct stat file {};
            if (::lstat(path.c_str(), &file) != 0 || !S_ISSOCK(file.st_mode)) continue;
            if (!helloOf(path, file, &info)) continue;  // a socket left behind by an emulator that died
        }
        info.node = std::string(kVhidScheme) + path;
        out->push_back(std::move(info));
    }
}

std::string vhidNodeIdentity(const std::string& socketPath) {
    struct stat file {};
    if (::lstat(socketPath.c_str(), &file) != 0 || !S_ISSOCK(file.st_mode)) return {};
    return std::to_string(file.st_dev) + ":" + std::to_string(file.st_ino) + ":" + std::to_string(file.st_ctim.tv_sec) +
           "." + std::to_string(file.st_ctim.tv_nsec);
}
