// The bus over real sockets, driven by a bare client: hello, exchanges, broadcast, hot-plug and
// every fault.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "sim/SimTestSupport.h"
#include "sim/ControlConsole.h"
#include "sim/DeviceModel.h"
#include "sim/VirtualBus.h"
#include "sim/ReportDescriptors.h"
#include "support/TestSupport.h"

using namespace sim;
using simtest::BusClient;
using simtest::request;

namespace {

bool exists(const std::string& path) { return std::filesystem::exists(std::filesystem::symlink_status(path)); }

class Bus : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bus.running()) << bus.error();
        ASSERT_TRUE(bus.plug("kb"));
    }
    std::string kbCommands() const { return bus.socketPath("kb", 1); }

    testsupport::TempDir dir;
    VirtualBus bus{dir.path() + "/bus"};
};

}  // namespace

TEST_F(Bus, HelloTellsIdentityAndDescriptor) {
    ASSERT_TRUE(bus.plug("pad"));
    struct Expect {
        const char* dev;
        unsigned iface;
        uint16_t product;
        std::span<const uint8_t> descriptor;
    };
    const Expect rows[] = {{"kb", 0, 0x751D, bootKeyboardDescriptor()},
                           {"kb", 1, 0x751D, keyboardExtrasDescriptor()},
                           {"pad", 0, 0x6758, commandOnlyDescriptor()}};
    for (const Expect& e : rows) {
        SCOPED_TRACE(std::string(e.dev) + " if" + std::to_string(e.iface));
        BusClient client(bus.socketPath(e.dev, e.iface));
        ASSERT_TRUE(client.connected());
        vhid::VhidHello hello;
        std::vector<uint8_t> descriptor;
        ASSERT_TRUE(client.hello(&hello, &descriptor));
        EXPECT_EQ(0, std::memcmp(hello.magic, vhid::kMagic, 8));
        EXPECT_EQ(hello.vendorId, 0x0C45);
        EXPECT_EQ(hello.productId, e.product);
        EXPECT_EQ(hello.interfaceNumber, e.iface);
        EXPECT_EQ(hello.descriptorLength, e.descriptor.size());
        EXPECT_TRUE(std::equal(descriptor.begin(), descriptor.end(), e.descriptor.begin(), e.descriptor.end()));
    }
    // The bus directory is private to this user.
    struct stat st{};
    ASSERT_EQ(stat(bus.dir().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(Bus, CommandRoundTripIsAnsweredAndLogged) {
    BusClient client(kbCommands());
    ASSERT_TRUE(client.skipHello());
    bus.clearWireRecords();
    const CommandReport req = request(CmdReadDeviceInfo, 33);
    const auto answer = client.exchange(req);
    ASSERT_TRUE(answer);
    ASSERT_EQ(answer->size(), 64u);
    EXPECT_EQ((*answer)[7], kStatusOk);
    EXPECT_EQ((*answer)[8 + 5], 126);

    ASSERT_TRUE(bus.waitForWireRecords(2, std::chrono::seconds(2)));
    const auto records = bus.takeWireRecords();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].dir, WireDir::Out);
    EXPECT_EQ(records[0].bytes, simtest::bytesOf(req));
    EXPECT_EQ(records[1].dir, WireDir::In);
    EXPECT_EQ(records[1].bytes, *answer);
    EXPECT_EQ(records[1].dev, "kb");
    EXPECT_EQ(records[1].iface, 1u);
    EXPECT_LE(records[0].t, records[1].t);
    EXPECT_TRUE(bus.wireRecords().empty());  // take cleared them

    // Reports that are no requests are logged but get no answer.
    const std::vector<uint8_t> shortReport = {4, 0, 0, 1};
    ASSERT_TRUE(client.send(shortReport));
    EXPECT_FALSE(client.receive(100));
    EXPECT_EQ(bus.wireRecords().size(), 1u);
}

TEST_F(Bus, InputReportsReachEveryClientOfTheInterface) {
    BusClient a(kbCommands()), b(kbCommands());
    ASSERT_TRUE(a.skipHello());
    ASSERT_TRUE(b.skipHello());
    EXPECT_EQ(bus.clientCount("kb"), 2u);

    ASSERT_TRUE(bus.notify("kb", 0x0401));
    for (BusClient* c : {&a, &b}) {
        EXPECT_EQ(c->receive(), (std::vector<uint8_t>{3, 0x01, 0x04}));
        EXPECT_EQ(c->receive(), (std::vector<uint8_t>{3, 0x00, 0x00}));
    }
    // hidraw hands a command answer to every reader as well.
    ASSERT_TRUE(a.send(request(CmdBeginTransfer)));
    const auto toA = a.receive(), toB = b.receive();
    ASSERT_TRUE(toA && toB);
    EXPECT_EQ(*toA, *toB);

    std::string why;
    EXPECT_FALSE(bus.notify("mouse", 0x0401, &why));
    EXPECT_NE(why.find("consumer"), std::string::npos);
    EXPECT_FALSE(bus.notify("small", 0x0402, &why));  // not plugged
    EXPECT_FALSE(bus.notify("trackball", 1, &why));
    EXPECT_NE(why.find("unknown device"), std::string::npos);
}

TEST_F(Bus, AClientThatNeverReadsDoesNotStallTheOthers) {
    BusClient sleeper(kbCommands()), worker(kbCommands());
    ASSERT_TRUE(sleeper.skipHello());
    ASSERT_TRUE(worker.skipHello());
    for (int i = 0; i < 300; ++i) {
        const auto answer = worker.exchange(request(CmdReadBlock, 56, uint16_t((i % 5) * 64)));
        ASSERT_TRUE(answer) << i;
        ASSERT_EQ((*answer)[7], 0) << i;
    }
}

TEST_F(Bus, UnplugClosesClientsAndRemovesSocketsPlugRepublishes) {
    BusClient client(kbCommands());
    ASSERT_TRUE(client.skipHello());
    ASSERT_TRUE(bus.poke("kb", Area::Settings, 1, {9}));
    ASSERT_TRUE(bus.unplug("kb"));
    EXPECT_TRUE(client.closesWithin(2000));
    EXPECT_FALSE(exists(bus.socketPath("kb", 0)));
    EXPECT_FALSE(exists(kbCommands()));
    EXPECT_FALSE(bus.isPlugged("kb"));
    EXPECT_FALSE(BusClient(kbCommands()).connected());
    EXPECT_FALSE(bus.unplug("kb"));

    ASSERT_TRUE(bus.plug("kb"));
    std::string why;
    EXPECT_FALSE(bus.plug("kb", &why));
    EXPECT_NE(why.find("already"), std::string::npos);
    BusClient again(kbCommands());
    ASSERT_TRUE(again.skipHello());
    const auto answer = again.exchange(request(CmdReadBlock, 2, 0));
    ASSERT_TRUE(answer);
    EXPECT_EQ((*answer)[9], 9);  // onboard memory survives the unplug
    EXPECT_EQ(bus.pluggedDevices(), std::vector<std::string>{"kb"});
}

TEST_F(Bus, StaleSocketsAreReplacedLiveOnesAreNot) {
    VirtualBus other(bus.dir());
    ASSERT_TRUE(other.running());
    std::string why;
    EXPECT_FALSE(other.plug("kb", &why));  // our bus still serves kb
    EXPECT_NE(why.find("another"), std::string::npos);
    EXPECT_TRUE(exists(kbCommands()));

    testsupport::writeFile(other.socketPath("small", 1), "left behind");
    EXPECT_TRUE(other.plug("small", &why)) << why;
    BusClient client(other.socketPath("small", 1));
    EXPECT_TRUE(client.skipHello());
}

TEST(BusDirectory, AnUnsafeDirectoryIsRefused) {
    testsupport::TempDir dir;
    const std::string open = dir.path() + "/open";
    ASSERT_EQ(mkdir(open.c_str(), 0755), 0);
    ASSERT_EQ(chmod(open.c_str(), 0755), 0);
    VirtualBus bus(open);
    EXPECT_FALSE(bus.running());
    EXPECT_NE(bus.error().find("0700"), std::string::npos);
    EXPECT_FALSE(bus.plug("kb"));
    EXPECT_FALSE(VirtualBus("relative/dir").running());
}

TEST_F(Bus, PeekAndPokeOfOnboardMemory) {
    std::vector<uint8_t> out;
    std::string why;
    ASSERT_TRUE(bus.peek("kb", Area::Info, 5, 2, &out));
    EXPECT_EQ(out, (std::vector<uint8_t>{126, 16}));
    EXPECT_FALSE(bus.peek("kb", Area::Recoil, 0, 1, &out, &why));
    EXPECT_NE(why.find("no recoil"), std::string::npos);
    EXPECT_FALSE(bus.poke("pad", Area::Settings, 319, {1, 2}, &why));
    EXPECT_FALSE(bus.peek("nope", Area::Info, 0, 1, &out, &why));
    ASSERT_TRUE(bus.poke("pad", Area::Settings, 318, {1, 2}));
    ASSERT_TRUE(bus.restoreFactory("pad"));
    ASSERT_TRUE(bus.peek("pad", Area::Settings, 318, 2, &out));
    EXPECT_EQ(out, (std::vector<uint8_t>{0, 0}));
}

TEST_F(Bus, TheConsoleShowsTheLastCompleteFrameStreamedOverTheWire) {
    BusClient client(kbCommands());
    ASSERT_TRUE(client.skipHello());
    std::vector<uint8_t> frame(kFrameSize);
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = uint8_t(i * 7);
    for (size_t offset = 0; offset < frame.size(); offset += 56) {
        const size_t n = std::min<size_t>(56, frame.size() - offset);
        const std::vector<uint8_t> chunk(frame.begin() + ptrdiff_t(offset), frame.begin() + ptrdiff_t(offset + n));
        ASSERT_TRUE(client.exchange(request(CmdStreamFrame, uint8_t(n), uint16_t(offset), chunk)));
    }
    // A new frame cut short by an unplug-like stop leaves the shown one alone.
    ASSERT_TRUE(client.exchange(request(CmdStreamFrame, 56, 0, std::vector<uint8_t>(56, 0xEE))));

    std::vector<uint8_t> shown;
    ASSERT_TRUE(bus.lastFrame("kb", &shown));
    EXPECT_EQ(shown, frame);
    EXPECT_EQ(bus.frameCount("kb"), 1u);
    ControlConsole console(bus);
    EXPECT_EQ(console.execute("frame kb"), "ok frame kb " + testsupport::toHex(frame.data(), frame.size()));
}
