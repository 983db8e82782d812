// An emulated device family on a private virtual bus, and channels opened on it the way the
// program opens them.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/DeviceChannel.h"
#include "device/HidTransport.h"
#include "sim/VirtualBus.h"
#include "support/TestSupport.h"

namespace testsupport {

inline HidRoots busRoots(const std::string& dir) {
    HidRoots roots;
    roots.useHidraw = false;
    roots.vhidBus = dir;
    return roots;
}

// The first enumerated path with this product id and collection number ("" when none).
inline std::string findPath(const std::string& busDir, uint16_t product, uint16_t collection) {
    HidTransport transport(busRoots(busDir));
    if (!transport.enumerate()) return {};
    while (const char* p = transport.nextPath())
        if (parseProductId(p) == product && parseCollectionNumber(p) == collection) return p;
    return {};
}

// Plugs the keyboard, the small keyboard and the companion keyboard and connects a channel to
// each one's command interface.
inline void connectKeyboardFamily(sim::VirtualBus& bus, DeviceChannel& kb, DeviceChannel& small,
                                  DeviceChannel& companion) {
    ASSERT_TRUE(bus.running()) << bus.error();
    for (const char* unit : {"kb", "small", "companion"}) ASSERT_TRUE(bus.plug(unit));
    ASSERT_EQ(kb.connect(findPath(bus.dir(), 0x751D, 4)), 1);
    ASSERT_EQ(small.connect(findPath(bus.dir(), 0x761E, 4)), 1);
    ASSERT_EQ(companion.connect(findPath(bus.dir(), 0x7624, 4)), 1);
}

class BusTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bus.running()) << bus.error();
        ASSERT_TRUE(bus.plug("kb"));
        kbPath = findPath(dir.path(), 0x751D, 4);
        ASSERT_FALSE(kbPath.empty());
        ASSERT_EQ(kb.connect(kbPath), 1);
        bus.clearWireRecords();
    }

    // Reports the program wrote to a device since the last clear.
    std::vector<std::vector<uint8_t>> sent(const std::string& dev = "kb") const {
        std::vector<std::vector<uint8_t>> out;
        for (const sim::WireRecord& r : bus.wireRecords())
            if (r.dev == dev && r.dir == sim::WireDir::Out) out.push_back(r.bytes);
        return out;
    }

    TempDir dir;
    sim::VirtualBus bus{dir.path()};
    DeviceChannel kb{busRoots(dir.path())};
    std::string kbPath;
};

}  // namespace testsupport
