// zelkar-hidinfo: lists every HID interface path the program's transport sees (kernel hidraw
// nodes and the virtual bus of zelkar-vhid), with identity, usages and report lengths, and says
// which nodes exist but cannot be opened.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "device/HidTransport.h"
#include "device/hid/VhidProtocol.h"

namespace {

#ifndef ZELKAR_VERSION
#define ZELKAR_VERSION "unknown"
#endif

const char* kUsage =
    "usage: zelkar-hidinfo [--json] [--sysfs DIR] [--bus DIR] [-h|--help] [-V|--version]\n"
    "  --json          one JSON array of objects: path, vendorId, productId, interface, collection,\n"
    "                  usagePage, usage, inputReportLength, outputReportLength, featureReportLength\n"
    "  --sysfs DIR     read another sysfs tree (class/hidraw/hidrawN links into\n"
    "                  devices/.../<usb interface>/<hid device>/hidraw/hidrawN); nothing is opened\n"
    "                  and the virtual bus is not listed\n"
    "  --bus DIR       the virtual bus directory (default: %s)\n"
    "  -h, --help      show this text and exit\n"
    "  -V, --version   show the version and exit\n";

std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

// Tries the path the way the device watcher does (read access) and says what stops it.
std::string accessProblem(const std::string& path, const HidRoots& roots) {
    HidTransport probe(roots);
    if (probe.open(path, true, false, true, false)) return {};
    const int error = probe.lastOpenError();
    if (error == EACCES || error == EPERM)
        return "cannot be opened: permission denied. Install packaging/70-zelkar.rules into "
               "/etc/udev/rules.d/, run 'udevadm control --reload && udevadm trigger', and plug the device in again";
    return std::string("cannot be opened: ") + std::strerror(error ? error : EIO);
}

}  // namespace

int main(int argc, char** argv) {
    HidRoots roots;
    bool json = false, fromFixture = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool takesValue = arg == "--sysfs" || arg == "--bus";
        if (takesValue && i + 1 >= argc) {
            std::fprintf(stderr, "zelkar-hidinfo: option '%s' needs a value (try --help)\n", arg.c_str());
            return 2;
        }
        if (arg == "--json") {
            json = true;
        } else if (arg == "--sysfs") {
            roots.sysfs = argv[++i];
            roots.useVhid = false;
            fromFixture = true;
        } else if (arg == "--bus") {
            roots.vhidBus = argv[++i];
        } else if (arg == "--help" || arg == "-h") {
            std::printf(kUsage, vhid::defaultBusDir().c_str());
            return 0;
        } else if (arg == "--version" || arg == "-V") {
            std::printf("zelkar-hidinfo %s\n", ZELKAR_VERSION);
            return 0;
        } else {
            std::fprintf(stderr, "zelkar-hidinfo: unknown option '%s' (try --help)\n", arg.c_str());
            return 2;
        }
    }
    std::vector<HidPathInfo> interfaces;
    std::string busProblem;
    if (!listHidInterfaces(roots, &interfaces, &busProblem)) {
        std::fprintf(stderr, "zelkar-hidinfo: cannot read %s/class/hidraw: %s\n", roots.sysfs.c_str(), std::strerror(errno));
        return 1;
    }
    if (!busProblem.empty()) std::fprintf(stderr, "zelkar-hidinfo: virtual bus skipped: %s\n", busProblem.c_str());

    if (json) {
        std::printf("[");
        for (size_t i = 0; i < interfaces.size(); ++i) {
            const HidPathInfo& h = interfaces[i];
            std::printf("%s\n  {\"path\": %s, \"vendorId\": %u, \"productId\": %u, \"interface\": %u, "
                        "\"collection\": %u, \"usagePage\": %u, \"usage\": %u, \"inputReportLength\": %u, "
                        "\"outputReportLength\": %u, \"featureReportLength\": %u}",
                        i ? "," : "", jsonString(h.path).c_str(), h.vendorId, h.productId, h.interfaceNumber,
                        h.collectionNumber, h.usagePage, h.usage, h.reportLength[0], h.reportLength[1],
                        h.reportLength[2]);
        }
        std::printf("%s]\n", interfaces.empty() ? "" : "\n");
        return 0;
    }
    if (interfaces.empty()) std::printf("no HID interfaces found\n");
    for (const HidPathInfo& h : interfaces) {
        std::printf("%s\n  vendor 0x%04x  product 0x%04x  interface %u  collection %u\n", h.path.c_str(), h.vendorId,
                    h.productId, h.interfaceNumber, h.collectionNumber);
        if (!h.descriptorReadable) {
            std::printf("  report descriptor could not be parsed\n");
        } else {
            std::printf("  usage page 0x%04x  usage 0x%04x  report lengths: input %u  output %u  feature %u\n",
                        h.usagePage, h.usage, h.reportLength[0], h.reportLength[1], h.reportLength[2]);
        }
        if (!fromFixture) {
            const std::string problem = accessProblem(h.path, roots);
            if (!problem.empty()) std::printf("  %s\n", problem.c_str());
        }
    }
    return 0;
}
