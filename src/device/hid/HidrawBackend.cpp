#include "device/hid/HidrawBackend.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <map>
#include <mutex>
#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "device/HidTransport.h"
#include "device/hid/VhidProtocol.h"

namespace {

// Reads a small sysfs file whole (at most limit bytes). False when it cannot be read.
bool readSmallFile(const std::string& path, std::string* out, size_t limit) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    out->clear();
    char buffer[1024];
    while (out->size() < limit) {
        const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, limit - out->size()));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        out->append(buffer, size_t(n));
    }
    ::close(fd);
    return true;
}

std::string parentOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
}

// uevent of a hid device holds "HID_ID=0003:00000C45:0000751D".
bool parseHidId(const std::string& uevent, uint16_t* vendor, uint16_t* product) {
    const size_t at = uevent.find("HID_ID=");
    if (at == std::string::npos) return false;
    unsigned bus = 0, v = 0, p = 0;
    if (std::sscanf(uevent.c_str() + at + 7, "%x:%x:%x", &bus, &v, &p) != 3) return false;
    *vendor = uint16_t(v);
    *product = uint16_t(p);
    return true;
}

unsigned hidrawIndex(const std::string& name) { return unsigned(std::strtoul(name.c_str() + 6, nullptr, 10)); }

// The hid device folder of class/hidraw/hidrawN: the link leads to
// devices/.../<usb interface>/<hid device>/hidraw/hidrawN. Read as written (one call, no walk
// through every folder of the way), it also names the device uniquely for the cache below.
bool hidDeviceFolder(const std::string& classEntry, std::string* folder) {
    char target[PATH_MAX];
    const ssize_t n = ::readlink(classEntry.c_str(), target, sizeof target - 1);
    std::string resolved;
    if (n > 0) {
        target[n] = 0;
        resolved = target[0] == '/' ? std::string(target) : parentOf(classEntry) + "/" + target;
    } else {
        char real[PATH_MAX];
        if (!realpath(classEntry.c_str(), real)) return false;
        resolved = real;
    }
    *folder = parentOf(parentOf(resolved));
    return true;
}

// What a node's sysfs files said, by hid device folder. The kernel gives every hid device it
// creates a folder name of its own ("0003:0C45:751D.0007"), so a folder seen before describes the
// same device and its files need not be read again on the watcher's next pass.
std::mutex g_cacheMutex;
std::map<std::string, HidNodeInfo> g_nodeCache;
constexpr size_t kNodeCacheLimit = 512;

bool readNode(const HidRoots& roots, const std::string& name, HidNodeInfo* node) {
    std::string hidDevice, uevent, descriptor, interfaceText;
    if (!hidDeviceFolder(roots.sysfs + "/class/hidraw/" + name, &hidDevice)) return false;
    const std::string nodePath = std::string(kHidrawScheme) + roots.dev + "/" + name;
    const std::string key = hidDevice + "|" + nodePath;
    {
        std::lock_guard<std::mutex> lock(g_cacheMutex);
        const auto cached = g_nodeCache.find(key);
        if (cached != g_nodeCache.end()) {
            *node = cached->second;
            return true;
        }
    }
    if (!readSmallFile(hidDevice + "/uevent", &uevent, 4096)) return false;
    if (!parseHidId(uevent, &node->vendorId, &node->productId)) return false;
    if (!readSmallFile(hidDevice + "/report_descriptor", &descriptor, vhid::kMaxDescriptor)) return false;
    node->descriptor.assign(descriptor.begin(), descriptor.end());
    node->interfaceNumber = 0;  // devices that are not USB have no interface number
    if (readSmallFile(parentOf(hidDevice) + "/bInterfaceNumber", &interfaceText, 16))
        node->interfaceNumber = uint16_t(std::strtoul(interfaceText.c_str(), nullptr, 16));
    node->node = nodePath;
    std::lock_guard<std::mutex> lock(g_cacheMutex);
    if (g_nodeCache.size() >= kNodeCacheLimit) g_nodeCache.clear();
    g_nodeCache.emplace(key, *node);
    return true;
}

}  // namespace

bool listHidrawNodes(const HidRoots& roots, std::vector<HidNodeInfo>* out) {
    const std::string classDir = roots.sysfs + "/class/hidraw";
    DIR* dir = opendir(classDir.c_str());
    if (!dir) return errno == ENOENT || errno == ENOTDIR;
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir))
        if (std::strncmp(entry->d_name, "hidraw", 6) == 0) names.emplace_back(entry->d_name);
    closedir(dir);
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return hidrawIndex(a) < hidrawIndex(b); });
    for (const std::string& name : names) {
        HidNodeInfo node;
        if (readNode(roots, name, &node)) out->push_back(std::move(node));
    }
    return true;
}

HidOpenedNode openHidrawNode(const std::string& devPath, bool readAccess, bool writeAccess) {
    HidOpenedNode opened;
    const int mode = readAccess && writeAccess ? O_RDWR : writeAccess ? O_WRONLY : O_RDONLY;
    const int fd = ::open(devPath.c_str(), mode | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        opened.error = errno;
        return opened;
    }
    hidraw_devinfo info {};
    int descriptorSize = 0;
    hidraw_report_descriptor descriptor {};
    if (ioctl(fd, HIDIOCGRAWINFO, &info) < 0 || ioctl(fd, HIDIOCGRDESCSIZE, &descriptorSize) < 0 ||
        descriptorSize < 0 || descriptorSize > HID_MAX_DESCRIPTOR_SIZE) {
        opened.error = errno ? errno : EINVAL;
        ::close(fd);
        return opened;
    }
    descriptor.size = uint32_t(descriptorSize);
    if (ioctl(fd, HIDIOCGRDESC, &descriptor) < 0) {
        opened.error = errno;
        ::close(fd);
        return opened;
    }
    opened.fd = fd;
    opened.info.vendorId = uint16_t(info.vendor);
    opened.info.productId = uint16_t(info.product);
    opened.info.descriptor.assign(descriptor.value, descriptor.value + descriptor.size);
    return opened;
}

bool hidrawNodePresent(const HidRoots& roots, const std::string& devPath, uint16_t vendorId, uint16_t productId) {
    const std::string name = devPath.substr(devPath.find_last_of('/') + 1);
    std::string hidDevice, uevent;
    uint16_t vendor = 0, product = 0;
    if (!hidDeviceFolder(roots.sysfs + "/class/hidraw/" + name, &hidDevice)) return false;
    if (!readSmallFile(hidDevice + "/uevent", &uevent, 4096) || !parseHidId(uevent, &vendor, &product)) return false;
    struct stat st {};
    return vendor == vendorId && product == productId && ::stat(devPath.c_str(), &st) == 0;
}

std::string hidrawNodeIdentity(const HidRoots& roots, const std::string& devPath) {
    const std::string name = devPath.substr(devPath.find_last_of('/') + 1);
    std::string hidDevice;
    return hidDeviceFolder(roots.sysfs + "/class/hidraw/" + name, &hidDevice) ? hidDevice : std::string();
}
