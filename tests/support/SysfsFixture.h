// A sysfs tree laid out as the kernel lays out hidraw nodes, for enumeration tests:
//   class/hidraw/hidrawN -> ../../devices/usbX/<usb interface>/<hid device>/hidraw/hidrawN
//   <hid device>/uevent (HID_ID=...), <hid device>/report_descriptor, <usb interface>/bInterfaceNumber
// plus a dev folder with a plain file per node (enough for presence checks; such nodes never open).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace testsupport {

// Report descriptors used across the device tests.
std::vector<uint8_t> vendorCommandDescriptor();      // usage page 0xFF1C usage 0x92, id 4, 64-byte reports
std::vector<uint8_t> fourCollectionDescriptor();     // system (1), mouse (2), consumer (3), vendor command (4)

class SysfsFixture {
public:
    SysfsFixture();
    std::string sysfs() const { return root_.path() + "/sys"; }
    std::string dev() const { return root_.path() + "/dev"; }
    // Adds hidraw<index> for one USB interface; returns the node's /dev path.
    std::string addNode(unsigned index, uint16_t vendor, uint16_t product, unsigned interfaceNumber,
                        const std::vector<uint8_t>& descriptor);
    void removeNode(unsigned index);

private:
    TempDir root_;
};

}  // namespace testsupport
