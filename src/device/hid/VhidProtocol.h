// The virtual device bus: how zelkar-vhid publishes emulated HID interfaces and how the transport
// talks to them.
//
// Each USB interface of an emulated device is one listening Unix SOCK_SEQPACKET socket in the bus
// directory, named "<device>-if<interface number>" (for example "kb-if1"). A client connects and
// first receives one hello message: VhidHello followed by the raw report descriptor. After that
// every message is one report with its report id in byte 0 (0 for devices that number no
// reports), exactly as hidraw hands them out: the client writes output reports, the device sends
// input reports to every connected client. A closed connection is an unplugged device; an unplugged
// device also removes its socket file.
//
// The bus directory is $XDG_RUNTIME_DIR/zelkar-vhid (or /tmp/zelkar-vhid-<uid> without
// XDG_RUNTIME_DIR). It is created with mode 0700 and refused when another user owns it or when
// others may enter it.
#pragma once

#include <cstdint>
#include <string>

namespace vhid {

constexpr char kMagic[8] = {'Z', 'V', 'H', 'I', 'D', '0', '0', '1'};

#pragma pack(push, 1)
struct VhidHello {
    char magic[8];
    uint16_t vendorId;
    uint16_t productId;
    uint16_t version;
    uint8_t interfaceNumber;
    uint8_t reserved;
    uint16_t descriptorLength;  // bytes of report descriptor that follow in the same message
};
#pragma pack(pop)
static_assert(sizeof(VhidHello) == 18, "hello header is 18 bytes on the wire");

constexpr size_t kMaxDescriptor = 4096;
constexpr size_t kMaxReport = 4097;  // one report id byte plus at most 4096 bytes of report

// The default bus directory (not created).
std::string defaultBusDir();

// Creates dir (mode 0700) when missing and checks it: it must be a real directory owned by this
// user that no one else can enter. Returns "" when usable, else a one-line reason.
std::string prepareBusDir(const std::string& dir);

// Checks an existing dir as prepareBusDir() does, without creating it. "" when usable.
std::string checkBusDir(const std::string& dir);

// Socket file name of a device interface: "<device>-if<N>".
std::string socketName(const std::string& device, unsigned interfaceNumber);

}  // namespace vhid
