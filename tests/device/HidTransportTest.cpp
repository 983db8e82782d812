// Path readers and enumeration of hidraw nodes on a fixture sysfs tree.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "device/HidTransport.h"
#include "support/SysfsFixture.h"

using testsupport::SysfsFixture;

namespace {

HidRoots fixtureRoots(const SysfsFixture& fixture) {
    HidRoots roots;
    roots.sysfs = fixture.sysfs();
    roots.dev = fixture.dev();
    roots.useVhid = false;
    return roots;
}

std::vector<std::string> allPaths(HidTransport& transport) {
    std::vector<std::string> paths;
    while (const char* p = transport.nextPath()) paths.emplace_back(p);
    return paths;
}

}  // namespace

TEST(HidPathReaders, ReadTaggedHexNumbers) {
    struct Case {
        const char* path;
        uint16_t vendor, product, interfaceNumber, collection;
    };
    const Case cases[] = {
        {"hidraw:/dev/hidraw3#vid_0c45&pid_751d&mi_01&col04", 0x0C45, 0x751D, 1, 4},
        {"\\\\?\\HID#VID_0C45&PID_751D&MI_01&COL04#7&1a2b", 0x0C45, 0x751D, 1, 4},  // any case
        {"hidraw:/dev/hidraw0#vid_0c45&pid_6656&mi_00", 0x0C45, 0x6656, 0, 0},       // no collection tag
        {"no tags at all", 0, 0, 0, 0},
        {"vid_&pid_zz&mi_&col", 0, 0, 0, 0},                                          // tags without digits
        {"vid_12345&pid_1ffff", 0x2345, 0xFFFF, 0, 0},                                // low 16 bits
        {"x#vid_0001&pid_0002&mi_03&col0a#vid_ffff", 1, 2, 3, 10},                    // first occurrence wins
        {"mi_01&col04", 0, 0, 0, 4},                                                  // "&mi_" needs its "&"
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(parseVendorId(c.path), c.vendor);
        EXPECT_EQ(parseProductId(c.path), c.product);
        EXPECT_EQ(parseInterfaceNumber(c.path), c.interfaceNumber);
        EXPECT_EQ(parseCollectionNumber(c.path), c.collection);
    }
}

TEST(HidEnumeration, OnePathPerTopLevelCollectionWithWindowsStyleTags) {
    SysfsFixture fixture;
    fixture.addNode(0, 0x0C45, 0x751D, 0, testsupport::vendorCommandDescriptor());
    fixture.addNode(1, 0x0C45, 0x751D, 1, testsupport::fourCollectionDescriptor());
    HidTransport transport(fixtureRoots(fixture));
    ASSERT_EQ(transport.enumerate(), 1);
    const std::vector<std::string> paths = allPaths(transport);
    const std::string node0 = "hidraw:" + fixture.dev() + "/hidraw0";
    const std::string node1 = "hidraw:" + fixture.dev() + "/hidraw1";
    EXPECT_EQ(paths, (std::vector<std::string>{
                         node0 + "#vid_0c45&pid_751d&mi_00",
                         node1 + "#vid_0c45&pid_751d&mi_01&col01",
                         node1 + "#vid_0c45&pid_751d&mi_01&col02",
                         node1 + "#vid_0c45&pid_751d&mi_01&col03",
                         node1 + "#vid_0c45&pid_751d&mi_01&col04",
                     }));
    EXPECT_EQ(transport.nextPath(), nullptr);  // exhausted stays exhausted
    EXPECT_EQ(transport.nextPath(), nullptr);

    std::vector<HidPathInfo> infos;
    ASSERT_TRUE(listHidInterfaces(fixtureRoots(fixture), &infos));
    ASSERT_EQ(infos.size(), 5u);
    const HidPathInfo& consumer = infos[3];
    EXPECT_EQ(consumer.usagePage, 0x000C);
    EXPECT_EQ(consumer.usage, 0x0001);
    EXPECT_EQ(consumer.collectionNumber, 3);
    const HidPathInfo& command = infos[4];
    EXPECT_EQ(command.usagePage, 0xFF1C);
    EXPECT_EQ(command.usage, 0x92);
    EXPECT_EQ(command.reportLength[0], 64);
    EXPECT_EQ(command.reportLength[1], 64);
}

TEST(HidEnumeration, ListGrowsPastEverySizeAndKeepsEveryPath) {
    for (unsigned count : {7u, 8u, 9u, 16u, 17u, 33u, 40u}) {
        SCOPED_TRACE(count);
        SysfsFixture fixture;
        for (unsigned i = 0; i < count; ++i)
            fixture.addNode(i, 0x0C45, uint16_t(0x1000 + i), 1, testsupport::vendorCommandDescriptor());
        HidTransport transport(fixtureRoots(fixture));
        ASSERT_EQ(transport.enumerate(), 1);
        const std::vector<std::string> paths = allPaths(transport);
        ASSERT_EQ(paths.size(), count);
        std::set<uint16_t> products;
        for (const std::string& p : paths) products.insert(parseProductId(p));
        EXPECT_EQ(products.size(), count);
        EXPECT_EQ(parseProductId(paths.back()), 0x1000 + count - 1);  // numeric, not text, order
    }
}

TEST(HidEnumeration, ReleaseAndReenumerate) {
    SysfsFixture fixture;
    fixture.addNode(0, 0x0C45, 0x751D, 1, testsupport::vendorCommandDescriptor());
    HidTransport transport(fixtureRoots(fixture));
    EXPECT_EQ(transport.nextPath(), nullptr);  // nothing enumerated yet
    ASSERT_EQ(transport.enumerate(), 1);
    transport.releasePaths();
    EXPECT_EQ(transport.nextPath(), nullptr);
    ASSERT_EQ(transport.enumerate(), 1);
    EXPECT_NE(transport.nextPath(), nullptr);  // enumerate resets the cursor
    ASSERT_EQ(transport.enumerate(), 1);
    EXPECT_NE(transport.nextPath(), nullptr);
}

TEST(HidEnumeration, MissingOrOddTreesDoNotFail) {
    SysfsFixture fixture;
    HidRoots roots = fixtureRoots(fixture);
    roots.sysfs = fixture.sysfs() + "/nowhere";  // no hidraw class at all (containers)
    HidTransport none(roots);
    EXPECT_EQ(none.enumerate(), 1);
    EXPECT_EQ(none.nextPath(), nullptr);

    // A node with a garbage descriptor still shows once (so diagnostics can name it) but never opens.
    fixture.addNode(0, 0x0C45, 0x751D, 1, {0xA1, 0x01, 0x85});
    HidTransport transport(fixtureRoots(fixture));
    ASSERT_EQ(transport.enumerate(), 1);
    const std::vector<std::string> paths = allPaths(transport);
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(transport.open(paths[0], true, false, true, false), 0);
    EXPECT_FALSE(transport.isOpen());
}

TEST(HidPresence, FollowsTheNodeAndItsIdentity) {
    SysfsFixture fixture;
    fixture.addNode(2, 0x0C45, 0x751D, 1, testsupport::vendorCommandDescriptor());
    HidTransport transport(fixtureRoots(fixture));
    const std::string path = "hidraw:" + fixture.dev() + "/hidraw2#vid_0c45&pid_751d&mi_01";
    EXPECT_TRUE(transport.isPresent(path));
    EXPECT_FALSE(transport.isPresent("hidraw:" + fixture.dev() + "/hidraw2#vid_0c45&pid_761e&mi_01"));
    fixture.removeNode(2);
    EXPECT_FALSE(transport.isPresent(path));
    // The number comes back for another device: not the one the path names.
    fixture.addNode(2, 0xF00D, 0xC077, 0, testsupport::vendorCommandDescriptor());
    EXPECT_FALSE(transport.isPresent(path));
    EXPECT_FALSE(transport.isPresent("unknown:/dev/null#vid_0c45&pid_751d"));
}

TEST(HidOpen, RefusesWhatCannotBeOpened) {
    SysfsFixture fixture;
    fixture.addNode(0, 0x0C45, 0x751D, 1, testsupport::vendorCommandDescriptor());
    HidTransport transport(fixtureRoots(fixture));
    // A plain file is not a hidraw node: the kernel's identity calls fail.
    EXPECT_EQ(transport.open("hidraw:" + fixture.dev() + "/hidraw0#vid_0c45&pid_751d&mi_01", true, true, true, false), 0);
    EXPECT_FALSE(transport.isOpen());
    EXPECT_EQ(transport.open("hidraw:" + fixture.dev() + "/hidraw9#vid_0c45&pid_751d&mi_01", true, true, true, false), 0);
    EXPECT_EQ(transport.open(std::string(300, 'x'), true, true, true, false), 0);  // longer than 259
    EXPECT_EQ(transport.lastOpenError(), ENAMETOOLONG);
    uint8_t buffer[64] = {};
    size_t done = 99;
    EXPECT_EQ(transport.read(buffer, sizeof buffer, &done, 10), 0);
    EXPECT_EQ(done, 0u);
    EXPECT_EQ(transport.write(buffer, sizeof buffer, &done, 10), 0);
    EXPECT_EQ(transport.inputReportLength(), 0);
}
