#include "device/hid/VhidBackend.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
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

}  // namespace

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
    opened.fd = fd;
    opened.info.node = std::string(kVhidScheme) + socketPath;
    return opened;
}

void listVhidNodes(const std::string& busDir, std::vector<HidNodeInfo>* out, std::string* problem) {
    struct stat st {};
    if (::lstat(busDir.c_str(), &st) != 0) return;  // no bus running: nothing to list
    const std::string reason = vhid::checkBusDir(busDir);
    if (!reason.empty()) {
        if (problem) *problem = reason;
        return;
    }
    DIR* dir = opendir(busDir.c_str());
    if (!dir) return;
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir))
        if (entry->d_type == DT_SOCK || entry->d_type == DT_UNKNOWN) names.emplace_back(entry->d_name);
    closedir(dir);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        if (name == "." || name == "..") continue;
        HidOpenedNode opened = openVhidNode(busDir + "/" + name, 500);
        if (opened.fd < 0) continue;  // a socket left behind by an emulator that died
        ::close(opened.fd);
        out->push_back(std::move(opened.info));
    }
}
