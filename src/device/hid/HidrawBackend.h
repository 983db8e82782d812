// Kernel hidraw nodes: found through sysfs (no permission needed), opened through /dev.
#pragma once

#include <string>
#include <vector>

#include "device/hid/HidNode.h"

struct HidRoots;

// Appends every hidraw node under roots.sysfs/class/hidraw. A missing class folder means no
// hidraw interfaces (true); an unreadable one is a failure (false).
bool listHidrawNodes(const HidRoots& roots, std::vector<HidNodeInfo>* out);

// Opens "/dev/hidrawN" (the node without its scheme) and learns identity and descriptor from the
// kernel. fd -1 and error set on failure.
HidOpenedNode openHidrawNode(const std::string& devPath, bool readAccess, bool writeAccess);

// True while sysfs still shows the node with the same vendor and product (numbers are reused
// when another device takes the node).
bool hidrawNodePresent(const HidRoots& roots, const std::string& devPath, uint16_t vendorId, uint16_t productId);

// What tells this node's device from one plugged in later at the same node: the kernel's hid
// device folder ("0003:0C45:751D.0007", a new name for every device it creates). "" when absent.
std::string hidrawNodeIdentity(const HidRoots& roots, const std::string& devPath);
