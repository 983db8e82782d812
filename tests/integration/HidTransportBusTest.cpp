// The transport against emulated devices on the virtual bus: enumeration, time limits, abort,
// unplug, per-collection filtering of input reports and usage decoding.
#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <thread>

#include "device/hid/VhidProtocol.h"
#include "integration/BusFixture.h"

using namespace testsupport;
using Clock = std::chrono::steady_clock;

namespace {

long msSince(Clock::time_point start) {
    return long(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

}  // namespace

class TransportOnBus : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(bus.running()) << bus.error(); }
    HidRoots roots() const { return busRoots(dir.path()); }

    TempDir dir;
    sim::VirtualBus bus{dir.path()};
};

TEST_F(TransportOnBus, EnumeratesTheKeyboardFamilyWithTagsAndUsages) {
    ASSERT_TRUE(bus.plug("kb"));
    ASSERT_TRUE(bus.plug("small"));
    ASSERT_TRUE(bus.plug("companion"));
    std::vector<HidPathInfo> found;
    ASSERT_TRUE(listHidInterfaces(roots(), &found));
    std::set<std::string> commandPaths;
    bool consumer = false;
    for (const HidPathInfo& h : found) {
        EXPECT_EQ(h.path.rfind("vhid:" + dir.path() + "/", 0), 0u) << h.path;
        EXPECT_EQ(parseVendorId(h.path), 0x0C45);
        if (h.usagePage == 0xFF1C && h.usage == 0x92) {
            EXPECT_EQ(h.interfaceNumber, 1);
            EXPECT_EQ(h.collectionNumber, 4);
            EXPECT_EQ(parseCollectionNumber(h.path), 4);
            EXPECT_EQ(h.reportLength[0], 64);
            EXPECT_EQ(h.reportLength[1], 64);
            commandPaths.insert(h.path);
        }
        if (h.productId == 0x751D && h.usagePage == 0x000C && h.usage == 0x0001) {
            consumer = true;
            EXPECT_EQ(h.collectionNumber, 3);
        }
    }
    EXPECT_EQ(commandPaths.size(), 3u);
    EXPECT_TRUE(consumer);

    HidTransport transport(roots());
    ASSERT_EQ(transport.enumerate(), 1);
    EXPECT_EQ(transport.pathCount(), found.size());
    ASSERT_TRUE(bus.unplug("small"));
    ASSERT_EQ(transport.enumerate(), 1);
    size_t smallPaths = 0;
    while (const char* p = transport.nextPath()) smallPaths += parseProductId(p) == 0x761E;
    EXPECT_EQ(smallPaths, 0u);
}

TEST_F(TransportOnBus, ReadLimitAbortAndUnplug) {
    ASSERT_TRUE(bus.plug("kb"));
    const std::string path = findPath(dir.path(), 0x751D, 4);
    HidTransport transport(roots());
    ASSERT_EQ(transport.open(path, true, true, true, false), 1);
    EXPECT_EQ(transport.inputReportLength(), 64);
    EXPECT_EQ(transport.interfaceNumber(), 1);
    EXPECT_EQ(transport.collectionNumber(), 4);
    EXPECT_EQ(transport.attributes().productId, 0x751D);

    uint8_t buffer[64];
    size_t done = 7;
    auto start = Clock::now();
    EXPECT_EQ(transport.read(buffer, 64, &done, 300), 0);  // a device that says nothing
    EXPECT_GE(msSince(start), 295);
    EXPECT_LT(msSince(start), 2000);
    EXPECT_EQ(done, 0u);

    // Another thread's close ends a read that has no limit.
    std::thread closer([&] {
        while (!transport.readInProgress()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        transport.close();
    });
    start = Clock::now();
    EXPECT_EQ(transport.read(buffer, 64, &done, kHidInfinite), 0);
    closer.join();
    EXPECT_LT(msSince(start), 1000);
    EXPECT_FALSE(transport.isOpen());
    EXPECT_FALSE(transport.readInProgress());

    // Unplugging ends a read that has no limit, and the path no longer opens.
    ASSERT_EQ(transport.open(path, true, true, true, false), 1);
    EXPECT_TRUE(transport.isPresent(path));
    std::thread unplugger([&] {
        while (!transport.readInProgress()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        bus.unplug("kb");
    });
    start = Clock::now();
    EXPECT_EQ(transport.read(buffer, 64, &done, kHidInfinite), 0);
    unplugger.join();
    EXPECT_LT(msSince(start), 1000);
    const uint8_t request[64] = {4};
    EXPECT_EQ(transport.write(request, 64, &done, 1000), 0);
    EXPECT_FALSE(transport.isPresent(path));
    EXPECT_EQ(transport.open(path, true, true, true, false), 0);
    EXPECT_FALSE(transport.isOpen());
    ASSERT_TRUE(bus.plug("kb"));
    EXPECT_TRUE(transport.isPresent(path));
}

TEST_F(TransportOnBus, EachCollectionSeesOnlyItsOwnReports) {
    ASSERT_TRUE(bus.plug("kb"));
    HidTransport consumer(roots()), command(roots());
    ASSERT_EQ(consumer.open(findPath(dir.path(), 0x751D, 3), true, false, true, false), 1);
    ASSERT_EQ(command.open(findPath(dir.path(), 0x751D, 4), true, true, true, false), 1);
    EXPECT_EQ(consumer.usagePage(), 0x000C);

    ASSERT_TRUE(bus.notify("kb", 0x0401));
    std::vector<uint8_t>& report = consumer.reportBuffer(HidReportType::Input);
    size_t done = 0;
    ASSERT_EQ(consumer.read(report.data(), report.size(), &done, 1000), 1);
    EXPECT_EQ(report[0], 3);
    consumer.unpackInput(report.data(), report.size(), HidReportType::Input);
    std::vector<HidDataItem>& items = consumer.dataItems(HidReportType::Input);
    ASSERT_FALSE(items.empty());
    ASSERT_FALSE(items[0].usageList.empty());
    EXPECT_EQ(items[0].usageList[0], 0x0401);
    ASSERT_EQ(consumer.read(report.data(), report.size(), &done, 1000), 1);  // the release
    consumer.unpackInput(report.data(), report.size(), HidReportType::Input);
    EXPECT_EQ(items[0].usageList[0], 0);

    // The command collection shares the interface but never hands out the consumer reports.
    uint8_t buffer[64];
    EXPECT_EQ(command.read(buffer, 64, &done, 100), 0);
    // Nor does it write another collection's reports, or anything without write access.
    uint8_t foreign[64] = {3};
    EXPECT_EQ(command.write(foreign, 64, &done, 100), 0);
    uint8_t request[64] = {4};
    EXPECT_EQ(consumer.write(request, 64, &done, 100), 0);
}

// A listener on the consumer collection that batches the command answers it also gets: its own
// report still comes, none is lost behind a burst of answers, and an abort ends the pause.
TEST_F(TransportOnBus, ForeignReportPauseLosesNothingAndEndsOnAbort) {
    ASSERT_TRUE(bus.plug("kb"));
    HidTransport consumer(roots()), command(roots());
    ASSERT_EQ(consumer.open(findPath(dir.path(), 0x751D, 3), true, false, true, false), 1);
    ASSERT_EQ(command.open(findPath(dir.path(), 0x751D, 4), true, true, true, false), 1);
    consumer.setForeignReportPause(10);

    std::mutex mutex;
    std::vector<uint16_t> usages;
    auto heard = [&] {
        std::lock_guard<std::mutex> lock(mutex);
        return usages.size();
    };
    std::thread listener([&] {
        std::vector<uint8_t>& report = consumer.reportBuffer(HidReportType::Input);
        size_t done = 0;
        while (consumer.read(report.data(), report.size(), &done, kHidInfinite) == 1) {
            EXPECT_EQ(report[0], 3) << "an answer to a command was handed to the consumer reader";
            consumer.unpackInput(report.data(), report.size(), HidReportType::Input);
            std::lock_guard<std::mutex> lock(mutex);
            usages.push_back(consumer.dataItems(HidReportType::Input)[0].usageList[0]);
        }
    });
    // Three rounds of 40 answers, each followed by a notice.
    CommandReport request {};
    request.reportId = kCommandReportId;
    request.command = CmdReadDeviceInfo;
    request.length = DeviceChannel::kDeviceInfoSize;
    sealCommandReport(request);
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 40; ++i) {
            ASSERT_EQ(command.write(request.bytes(), kCommandReportSize, nullptr, 1000), 1);
            uint8_t answer[64];
            ASSERT_EQ(command.read(answer, sizeof answer, nullptr, 1000), 1);
        }
        ASSERT_TRUE(bus.notify("kb", round == 1 ? 0x0402 : 0x0401));
    }
    const auto start = Clock::now();
    while (heard() < 6 && msSince(start) < 3000) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    // Answers keep coming while the reader pauses; the abort still ends it at once.
    std::thread more([&] {
        for (int i = 0; i < 20; ++i) {
            command.write(request.bytes(), kCommandReportSize, nullptr, 1000);
            uint8_t answer[64];
            command.read(answer, sizeof answer, nullptr, 1000);
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    const auto aborted = Clock::now();
    consumer.abort();
    listener.join();
    more.join();
    EXPECT_LT(msSince(aborted), 200);
    EXPECT_EQ(usages, (std::vector<uint16_t>{0x0401, 0, 0x0402, 0, 0x0401, 0}));
}

TEST(VirtualBusDirectory, RefusesDirectoriesOthersCanUse) {
    TempDir dir;
    const std::string open = dir.path() + "/open";
    ASSERT_EQ(::mkdir(open.c_str(), 0755), 0);
    EXPECT_NE(vhid::prepareBusDir(open), "");
    EXPECT_NE(vhid::prepareBusDir(dir.path() + "/vid_bus"), "");  // would be misread as a tag
    EXPECT_NE(vhid::prepareBusDir("relative/bus"), "");
    const std::string fresh = dir.path() + "/bus";
    EXPECT_EQ(vhid::prepareBusDir(fresh), "");
    struct stat st {};
    ASSERT_EQ(::stat(fresh.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    std::string problem;
    std::vector<HidPathInfo> found;
    HidRoots roots = busRoots(open);
    EXPECT_TRUE(listHidInterfaces(roots, &found, &problem));
    EXPECT_TRUE(found.empty());
    EXPECT_NE(problem.find("mode"), std::string::npos) << problem;
}
