#include "support/SysfsFixture.h"

#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

namespace testsupport {

std::vector<uint8_t> vendorCommandDescriptor() {
    return fromHex(
        "06 1C FF 09 92 A1 01 85 04 15 00 26 FF 00 75 08 95 3F"
        " 09 01 81 02 09 02 91 02 C0");
}

std::vector<uint8_t> fourCollectionDescriptor() {
    return fromHex(
        // system control, report 1: three 1-bit buttons and padding
        "05 01 09 80 A1 01 85 01 19 81 29 83 15 00 25 01 75 01 95 03 81 02 95 05 81 01 C0"
        // mouse, report 2: buttons and x/y
        " 05 01 09 02 A1 01 85 02 09 01 A1 00 05 09 19 01 29 03 15 00 25 01 75 01 95 03 81 02"
        " 95 05 81 01 05 01 09 30 09 31 15 81 25 7F 75 08 95 02 81 06 C0 C0"
        // consumer control, report 3: one 16-bit array element
        " 05 0C 09 01 A1 01 85 03 15 00 26 FF 0F 19 00 2A FF 0F 75 10 95 01 81 00 C0"
        // vendor command collection, report 4
        " 06 1C FF 09 92 A1 01 85 04 15 00 26 FF 00 75 08 95 3F 09 01 81 02 09 02 91 02 C0");
}

SysfsFixture::SysfsFixture() {
    makeDirs(sysfs() + "/class/hidraw");
    makeDirs(dev());
}

std::string SysfsFixture::addNode(unsigned index, uint16_t vendor, uint16_t product, unsigned interfaceNumber,
                                  const std::vector<uint8_t>& descriptor) {
    char hidName[64], hidId[64];
    std::snprintf(hidName, sizeof hidName, "0003:%04X:%04X.%04X", vendor, product, index + 1);
    std::snprintf(hidId, sizeof hidId, "HID_ID=0003:%08X:%08X\n", vendor, product);
    const std::string node = "hidraw" + std::to_string(index);
    const std::string usbInterface = "devices/pci0000:00/usb1/1-" + std::to_string(index) + "/1-" +
                                     std::to_string(index) + ":1." + std::to_string(interfaceNumber);
    const std::string hidDevice = usbInterface + "/" + hidName;
    writeFile(sysfs() + "/" + usbInterface + "/bInterfaceNumber", "0" + std::to_string(interfaceNumber) + "\n");
    writeFile(sysfs() + "/" + hidDevice + "/uevent", std::string("DRIVER=hid-generic\n") + hidId + "HID_NAME=test\n");
    writeBytes(sysfs() + "/" + hidDevice + "/report_descriptor", descriptor);
    makeDirs(sysfs() + "/" + hidDevice + "/hidraw/" + node);
    fs::create_directory_symlink("../../" + hidDevice + "/hidraw/" + node, sysfs() + "/class/hidraw/" + node);
    writeFile(dev() + "/" + node, "");
    return dev() + "/" + node;
}

void SysfsFixture::removeNode(unsigned index) {
    const std::string node = "hidraw" + std::to_string(index);
    fs::remove(sysfs() + "/class/hidraw/" + node);
    fs::remove(dev() + "/" + node);
}

}  // namespace testsupport
