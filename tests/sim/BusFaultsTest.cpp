// Faults as a client on the bus sees them.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "sim/SimTestSupport.h"
#include "sim/VirtualBus.h"
#include "support/TestSupport.h"

using namespace sim;
using simtest::BusClient;
using simtest::request;
using Clock = std::chrono::steady_clock;

namespace {

class Faults : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bus.running()) << bus.error();
        ASSERT_TRUE(bus.plug("kb"));
        connection = std::make_unique<BusClient>(bus.socketPath("kb", 1));
        ASSERT_TRUE(client().skipHello());
    }
    uint8_t statusOf(const CommandReport& r) {
        const auto answer = client().exchange(r);
        return answer && answer->size() == 64 ? (*answer)[7] : 0xAA;
    }

    testsupport::TempDir dir;
    VirtualBus bus{dir.path()};
    std::unique_ptr<BusClient> connection;
    BusClient& client() { return *connection; }
};

}  // namespace

TEST_F(Faults, DroppedRequestsAreNeitherAnsweredNorCarriedOut) {
    ASSERT_TRUE(bus.dropAnswers("kb", 2));
    EXPECT_FALSE(client().exchange(request(CmdWriteBlock, 1, 1, {7}), 100));
    EXPECT_FALSE(client().exchange(request(CmdWriteBlock, 1, 1, {7}), 100));
    std::vector<uint8_t> mode;
    ASSERT_TRUE(bus.peek("kb", Area::Settings, 1, 1, &mode));
    EXPECT_NE(mode[0], 7);
    EXPECT_EQ(statusOf(request(CmdWriteBlock, 1, 1, {7})), 0);
    ASSERT_TRUE(bus.peek("kb", Area::Settings, 1, 1, &mode));
    EXPECT_EQ(mode[0], 7);
}

TEST_F(Faults, ErrorStatusOnTheThirdChunkOfARead) {
    ASSERT_TRUE(bus.failCommand("kb", CmdReadDefaultKeyTable, 0xFF, 3));
    ASSERT_TRUE(bus.failCommand("kb", CmdWriteMacroTable, 0xFE));
    EXPECT_EQ(statusOf(request(CmdReadDefaultKeyTable, 56, 0)), 0);
    EXPECT_EQ(statusOf(request(CmdReadDefaultKeyTable, 56, 56)), 0);
    const auto third = client().exchange(request(CmdReadDefaultKeyTable, 56, 112));
    ASSERT_TRUE(third);
    EXPECT_EQ((*third)[7], 0xFF);
    EXPECT_EQ((*third)[8], 0);  // no data with a refusal
    EXPECT_EQ(statusOf(request(CmdReadDefaultKeyTable, 56, 112)), 0);  // one shot
    for (int i = 0; i < 3; ++i) EXPECT_EQ(statusOf(request(CmdWriteMacroTable, 4, 0, {1, 2, 3, 4})), 0xFE);
    std::vector<uint8_t> macro;
    ASSERT_TRUE(bus.peek("kb", Area::Macro, 0, 4, &macro));
    EXPECT_EQ(macro, std::vector<uint8_t>(4, 0));  // refused writes leave no trace
    ASSERT_TRUE(bus.clearFaults("kb"));
    EXPECT_EQ(statusOf(request(CmdWriteMacroTable, 4, 0, {1, 2, 3, 4})), 0);
}

TEST_F(Faults, LateAnswersComeLateWithoutHoldingUpOthers) {
    BusClient other(bus.socketPath("kb", 0));  // boot keyboard interface: unaffected
    ASSERT_TRUE(other.skipHello());
    ASSERT_TRUE(bus.delayAnswers("kb", 1, 400));
    const auto start = Clock::now();
    ASSERT_TRUE(client().send(request(CmdReadBlock, 1, 0)));
    EXPECT_FALSE(client().receive(50));
    // Meanwhile the next request is answered at once, ahead of the late one.
    const auto prompt = client().exchange(request(CmdReadDeviceInfo, 33), 300);
    ASSERT_TRUE(prompt);
    EXPECT_EQ((*prompt)[3], CmdReadDeviceInfo);
    const auto late = client().receive(1000);
    ASSERT_TRUE(late);
    EXPECT_EQ((*late)[3], CmdReadBlock);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(400));
}

TEST_F(Faults, LateAnswersOfAnUnpluggedDeviceAreNeverSent) {
    ASSERT_TRUE(bus.delayAnswers("kb", 1, 100));
    ASSERT_TRUE(client().send(request(CmdBeginTransfer)));
    ASSERT_TRUE(bus.waitForWireRecords(1, std::chrono::seconds(2)));
    ASSERT_TRUE(bus.unplug("kb"));
    ASSERT_TRUE(bus.plug("kb"));
    BusClient fresh(bus.socketPath("kb", 1));
    ASSERT_TRUE(fresh.skipHello());
    EXPECT_FALSE(fresh.receive(250));
}

TEST_F(Faults, GarbledAnswers) {
    ASSERT_TRUE(bus.garbleAnswers("kb", 1, Garble::WrongId));
    auto answer = client().exchange(request(CmdBeginTransfer));
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->size(), 64u);
    EXPECT_EQ((*answer)[0], kWrongReportId);

    ASSERT_TRUE(bus.garbleAnswers("kb", 2, Garble::Short));
    for (int i = 0; i < 2; ++i) {
        answer = client().exchange(request(CmdReadDeviceInfo, 33));
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->size(), kShortAnswerLength);
        EXPECT_EQ((*answer)[0], 4);
    }
    answer = client().exchange(request(CmdReadDeviceInfo, 33));
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->size(), 64u);
}

TEST_F(Faults, UnplugInTheMiddleOfATransfer) {
    const std::string path = bus.socketPath("kb", 1);
    ASSERT_TRUE(bus.unplugAfter("kb", 2));
    EXPECT_EQ(statusOf(request(CmdReadKeyTable, 56, 0)), 0);
    EXPECT_EQ(statusOf(request(CmdReadKeyTable, 56, 56)), 0);
    ASSERT_TRUE(client().send(request(CmdReadKeyTable, 56, 112)));
    EXPECT_TRUE(client().closesWithin(2000));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(bus.isPlugged("kb"));
    EXPECT_EQ(bus.clientCount("kb"), 0u);
    // Plugged again, the device answers as before: the fault was used up.
    ASSERT_TRUE(bus.plug("kb"));
    BusClient again(path);
    ASSERT_TRUE(again.skipHello());
    const auto answer = again.exchange(request(CmdReadKeyTable, 56, 112));
    ASSERT_TRUE(answer);
    EXPECT_EQ((*answer)[7], 0);
}

TEST_F(Faults, ArmingFromAnotherThreadWhileTrafficFlows) {
    std::atomic<bool> done{false};
    std::thread arming([&] {
        for (int i = 0; i < 200 && !done.load(); ++i) {
            bus.failCommand("kb", CmdEndTransfer, 0xFE, 1);
            bus.clearFaults("kb");
            std::vector<uint8_t> out;
            bus.peek("kb", Area::Settings, 0, 56, &out);
            bus.wireRecords();
        }
    });
    int answered = 0;
    for (int i = 0; i < 200; ++i)
        if (client().exchange(request(CmdReadBlock, 56, 0), 1000)) ++answered;
    done.store(true);
    arming.join();
    EXPECT_EQ(answered, 200);
}
