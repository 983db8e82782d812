// Interfaces published on the virtual device bus by zelkar-vhid.
#pragma once

#include <string>
#include <vector>

#include "device/hid/HidNode.h"

// Appends every live interface socket of the bus directory (stale sockets are skipped). A missing
// directory means no interfaces; a directory that fails the ownership check is skipped and its
// reason stored in *problem (when given).
void listVhidNodes(const std::string& busDir, std::vector<HidNodeInfo>* out, std::string* problem = nullptr);

// Connects to an interface socket and takes its hello. fd -1 and error set on failure.
HidOpenedNode openVhidNode(const std::string& socketPath, int helloTimeoutMs = 1000);

// True while the socket still serves an interface with this vendor and product. A socket whose
// hello was taken before answers without a new connection as long as its file is the same one and
// the bus process that published it lives: the watcher asks about every present device ten times
// a second, and each connection would wake the bus.
bool vhidNodePresent(const std::string& socketPath, uint16_t vendorId, uint16_t productId);

// What tells this socket from one published later at the same path (a device unplugged and
// plugged again): the socket file's device, inode and change time. "" when absent.
std::string vhidNodeIdentity(const std::string& socketPath);
