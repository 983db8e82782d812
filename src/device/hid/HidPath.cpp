// Device paths: building them from a node and reading identity numbers back out of them.
#include <cstdio>

#include "device/HidTransport.h"
#include "device/hid/HidNode.h"

namespace {

// ASCII only, without the locale: the watcher reads four tags of every path ten times a second.
char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

int hexDigit(char c) {
    c = lowerAscii(c);
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

uint16_t readTagged(const std::string& path, const char* tag) {
    const size_t tagLength = std::char_traits<char>::length(tag);
    if (path.size() < tagLength) return 0;
    for (size_t i = 0; i + tagLength <= path.size(); ++i) {
        size_t k = 0;
        while (k < tagLength && lowerAscii(path[i + k]) == tag[k]) ++k;
        if (k != tagLength) continue;
        // First occurrence found: read as many hex digits as follow, keep the low 16 bits.
        uint32_t value = 0;
        for (size_t j = i + tagLength; j < path.size() && hexDigit(path[j]) >= 0; ++j)
            value = (value << 4) | uint32_t(hexDigit(path[j]));
        return uint16_t(value & 0xFFFF);
    }
    return 0;
}

}  // namespace

uint16_t parseVendorId(const std::string& path) { return readTagged(path, "vid_"); }
uint16_t parseProductId(const std::string& path) { return readTagged(path, "pid_"); }
uint16_t parseInterfaceNumber(const std::string& path) { return readTagged(path, "&mi_"); }
uint16_t parseCollectionNumber(const std::string& path) { return readTagged(path, "&col"); }

std::string makeCollectionPath(const HidNodeInfo& node, unsigned collectionNumber, unsigned collectionCount) {
    char tags[64];
    std::snprintf(tags, sizeof tags, "#vid_%04x&pid_%04x&mi_%02x", node.vendorId, node.productId,
                  node.interfaceNumber & 0xFFFFu);
    std::string path = node.node + tags;
    if (collectionCount > 1) {
        std::snprintf(tags, sizeof tags, "&col%02x", collectionNumber & 0xFFFFu);
        path += tags;
    }
    return path;
}

std::string nodeOfPath(const std::string& path) { return path.substr(0, path.find('#')); }
