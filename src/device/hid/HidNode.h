// One HID interface node as a backend finds it: a hidraw device node or a socket on the virtual
// bus. The transport turns each node into one path per top-level collection.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct HidNodeInfo {
    std::string node;        // "hidraw:/dev/hidraw3" or "vhid:/run/.../kb-if1"
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t version = 0;
    uint16_t interfaceNumber = 0;
    std::vector<uint8_t> descriptor;
};

struct HidOpenedNode {
    int fd = -1;
    bool isSocket = false;
    int error = 0;           // errno of a failed open (EACCES tells "no permission")
    int serverPid = 0;       // bus sockets: the process that serves the interface (0: unknown)
    HidNodeInfo info;
};

// "hidraw:" and "vhid:" node prefixes.
constexpr const char kHidrawScheme[] = "hidraw:";
constexpr const char kVhidScheme[] = "vhid:";

// Builds the path of one collection: node + "#vid_xxxx&pid_xxxx&mi_xx" (+ "&colxx" when the
// interface has several top-level collections).
std::string makeCollectionPath(const HidNodeInfo& node, unsigned collectionNumber, unsigned collectionCount);

// The node part of a path (everything before '#').
std::string nodeOfPath(const std::string& path);
