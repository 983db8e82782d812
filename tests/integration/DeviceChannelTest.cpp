// The command channel against the emulated keyboard over the real virtual bus: what goes on the
// wire, results, retries, time limits and two threads on one channel.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "device/ChannelTable.h"
#include "integration/BusFixture.h"

using namespace testsupport;
using Clock = std::chrono::steady_clock;

namespace {

std::vector<uint8_t> pattern(size_t n, uint8_t seed) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = uint8_t(seed + i * 7);
    return v;
}

uint16_t wireAddress(const std::vector<uint8_t>& r) { return uint16_t(r[5] | (r[6] << 8)); }

}  // namespace

class ChannelOnBus : public BusTest {};

TEST_F(ChannelOnBus, DeviceInfoRequestCarriesTheChecksumOfItsBytes) {
    uint8_t info[33] = {};
    ASSERT_EQ(kb.readDeviceInfo(info), 1);
    EXPECT_EQ(info[5], 126);  // the keyboard's key count
    const auto out = sent();
    ASSERT_EQ(out.size(), 1u);
    std::vector<uint8_t> expected(64, 0);
    expected[0] = 4;
    expected[1] = 0x24;  // 03 + 21 = 0x24
    expected[3] = 3;
    expected[4] = 0x21;
    EXPECT_EQ(toHex(out[0].data(), 64), toHex(expected.data(), 64));
}

TEST_F(ChannelOnBus, ChunkingOfWrites) {
    // 60 bytes: 56 at address 0, then 4 at 56 whose trailing bytes still hold the first chunk.
    const std::vector<uint8_t> image = pattern(60, 1);
    ASSERT_EQ(kb.writeMacroTable(image.data(), 60), 1);
    auto out = sent();
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0][3], 21);
    EXPECT_EQ(out[0][4], 56);
    EXPECT_EQ(wireAddress(out[0]), 0);
    EXPECT_EQ(out[1][4], 4);
    EXPECT_EQ(wireAddress(out[1]), 56);
    EXPECT_EQ(0, std::memcmp(&out[1][8], &image[56], 4));
    EXPECT_EQ(0, std::memcmp(&out[1][12], &image[4], 52));
    for (const auto& r : out) {
        const uint16_t sum = commandChecksum(r.data());
        EXPECT_EQ(r[1], sum & 0xFF);
        EXPECT_EQ(r[2], sum >> 8);
    }
    std::vector<uint8_t> stored;
    ASSERT_TRUE(bus.peek("kb", sim::Area::Macro, 0, 60, &stored));
    EXPECT_EQ(stored, image);

    // A multiple of 56 ends with a full chunk; nothing at all for 0 bytes.
    bus.clearWireRecords();
    const std::vector<uint8_t> frame = pattern(112, 9);
    ASSERT_EQ(kb.streamFrame(frame.data(), 112), 1);
    out = sent();
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[1][4], 56);
    bus.clearWireRecords();
    EXPECT_EQ(kb.writeRecoilTable(frame.data(), 0), 1);
    EXPECT_TRUE(sent().empty());
}

TEST_F(ChannelOnBus, KeyTableAddressesFollowTheProfile) {
    std::vector<uint8_t> table(512, 0);
    EXPECT_EQ(kb.readKeyTable(table.data(), 5), -201);
    EXPECT_EQ(kb.writeKeyTable(table.data(), 126, 7), -201);
    EXPECT_TRUE(sent().empty());

    ASSERT_EQ(kb.setTransferSize(378), 1);
    EXPECT_EQ(kb.setTransferSize(513), 0);
    EXPECT_EQ(kb.transferSize(), 378);
    const std::vector<uint8_t> keys = pattern(378, 3);
    ASSERT_EQ(kb.writeKeyTable(keys.data(), 378, 1), 1);
    auto out = sent();
    ASSERT_EQ(out.size(), 7u);  // 6 x 56 + 42
    EXPECT_EQ(out[0][5], 0x7E);
    EXPECT_EQ(out[0][6], 0x00);
    EXPECT_EQ(out[6][4], 42);

    bus.clearWireRecords();
    ASSERT_EQ(kb.writeKeyTable(keys.data(), 56, 4), 1);
    out = sent();
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0][5], 0xF8);
    EXPECT_EQ(out[0][6], 0x01);

    std::vector<uint8_t> back(378, 0);
    ASSERT_EQ(kb.readKeyTable(back.data(), 1), 1);
    EXPECT_EQ(back[0], keys[0]);
    EXPECT_EQ(back[125], keys[125]);  // profile 4's write starts at 504, after profile 1's first 378
}

TEST_F(ChannelOnBus, ErrorStatusStopsAChunkedRead) {
    std::vector<uint8_t> expected(512), table(512, 0xEE);
    ASSERT_TRUE(bus.peek("kb", sim::Area::DefaultKeys, 0, 378, &expected));
    ASSERT_EQ(kb.setTransferSize(378), 1);
    ASSERT_TRUE(bus.failCommand("kb", CmdReadDefaultKeyTable, 0xFF, 3));
    EXPECT_EQ(kb.readDefaultKeyTable(table.data()), -102);
    EXPECT_EQ(sent().size(), 3u);  // later chunks are not asked for
    EXPECT_EQ(0, std::memcmp(table.data(), expected.data(), 112));
    EXPECT_EQ(table[112], 0xEE);

    ASSERT_TRUE(bus.failCommand("kb", CmdWriteBlock, 0xFE, 1));
    const uint8_t one = 1;
    EXPECT_EQ(kb.writeBlock(&one, 1, 23), -103);
    EXPECT_EQ(kb.writeBlock(&one, 1, 23), 1);
}

TEST_F(ChannelOnBus, FramesOnlyWhileStreamingAndNotToASilentKeyboard) {
    const std::vector<uint8_t> frame = pattern(396, 5);
    kb.streamingEnabled = false;
    EXPECT_EQ(kb.streamFrame(frame.data(), 396), 1);
    EXPECT_TRUE(sent().empty());

    // A chunk that gets no answer ends its frame, and the keyboard counts as silent.
    kb.streamingEnabled = true;
    ASSERT_TRUE(bus.dropAnswers("kb", 4));
    EXPECT_EQ(kb.streamFrame(frame.data(), 396), 0);
    EXPECT_EQ(sent().size(), 4u);
    EXPECT_TRUE(kb.isSilent());
    // Silent: the frames that follow send nothing until a probe is due, then one chunk.
    bus.clearWireRecords();
    EXPECT_EQ(kb.streamFrame(frame.data(), 396), 0);
    EXPECT_TRUE(sent().empty());
    std::this_thread::sleep_for(std::chrono::milliseconds(DeviceChannel::kSilentProbeMs + 50));
    // The probe is answered: the frame goes out whole and the stream is back.
    EXPECT_EQ(kb.streamFrame(frame.data(), 396), 1);
    EXPECT_EQ(sent().size(), 8u);
    EXPECT_FALSE(kb.isSilent());
    std::vector<uint8_t> shown;
    ASSERT_TRUE(bus.peek("kb", sim::Area::Frame, 0, 396, &shown));
    EXPECT_EQ(shown, frame);

    ASSERT_TRUE(bus.failCommand("kb", CmdStreamFrame, 0xFF, 2));
    EXPECT_EQ(kb.streamFrame(frame.data(), 396), -102);
}

// A device that takes no more reports (the bus stops reading, as a driver that holds a write): a
// write ends at its time limit, the next fail at once while the held one waits, the device is not
// taken for gone, and once it reads again everything works.
TEST_F(ChannelOnBus, AWriteTheDeviceHoldsEndsWithinItsLimit) {
    ASSERT_TRUE(bus.stallReads("kb", true));
    CommandReport r {};
    r.reportId = kCommandReportId;
    r.command = CmdBeginTransfer;
    sealCommandReport(r);
    HidTransport& t = kb.transport();
    int written = 0;
    while (written < 100000 && t.write(r.bytes(), 64, nullptr, 50) == 1) ++written;
    ASSERT_LT(written, 100000);  // the socket filled up and a write gave up
    EXPECT_GT(written, 0);
    EXPECT_EQ(t.write(r.bytes(), 64, nullptr, 50), 0);  // held: fails at once, nothing queued
    EXPECT_FALSE(t.deviceGone());
    EXPECT_EQ(kb.beginTransfer(), ResultWriteFailed);
    EXPECT_TRUE(kb.isConnected());

    ASSERT_TRUE(bus.clearFaults("kb"));
    const auto until = Clock::now() + std::chrono::seconds(5);
    while (t.writeHeld() && Clock::now() < until) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(t.writeHeld());
    EXPECT_EQ(kb.beginTransfer(), 1);
    uint8_t info[33] = {};
    EXPECT_EQ(kb.readDeviceInfo(info), 1);
    EXPECT_EQ(info[5], 126);
}

TEST_F(ChannelOnBus, ResetGoesOutBareAndOnce) {
    EXPECT_EQ(kb.resetDevice(), 1);
    auto out = sent();
    ASSERT_EQ(out.size(), 1u);
    std::vector<uint8_t> expected(64, 0);
    expected[0] = 4;
    expected[3] = 0x0D;
    EXPECT_EQ(out[0], expected);
    EXPECT_EQ(bus.resetCount("kb"), 1u);

    bus.clearWireRecords();
    ASSERT_TRUE(bus.dropAnswers("kb", 1));
    EXPECT_EQ(kb.resetDevice(), 0);  // no retry for the reset
    EXPECT_EQ(sent().size(), 1u);
}

TEST_F(ChannelOnBus, RetriesRewriteTheRequestFourTimes) {
    uint8_t block[56];
    ASSERT_TRUE(bus.dropAnswers("kb", 3));
    EXPECT_EQ(kb.readBlock(block, 56, 0), 1);  // the fourth attempt is answered
    auto out = sent();
    ASSERT_EQ(out.size(), 4u);
    for (const auto& r : out) EXPECT_EQ(r, out[0]);

    bus.clearWireRecords();
    ASSERT_TRUE(bus.dropAnswers("kb", 4));
    const auto start = Clock::now();
    EXPECT_EQ(kb.readBlock(block, 56, 0), 0);
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_EQ(sent().size(), 4u);
    EXPECT_GE(took, 4 * 290);  // four read limits of 300 ms
}

TEST_F(ChannelOnBus, GarbageAndLateAnswersAreNotTakenForAnswers) {
    uint8_t block[56] = {};
    std::vector<uint8_t> truth;
    ASSERT_TRUE(bus.peek("kb", sim::Area::Settings, 64, 56, &truth));
    ASSERT_TRUE(bus.garbleAnswers("kb", 1, sim::Garble::WrongId));
    EXPECT_EQ(kb.readBlock(block, 56, 64), 1);  // the foreign report is skipped; the retry is answered
    EXPECT_EQ(0, std::memcmp(block, truth.data(), 56));
    EXPECT_EQ(sent().size(), 2u);

    // An answer that arrives after the read limit must not pass for the next request's answer.
    ASSERT_TRUE(bus.delayAnswers("kb", 1, 450));
    uint8_t info[33] = {};
    EXPECT_EQ(kb.readBlock(block, 56, 64), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_EQ(kb.readDeviceInfo(info), 1);
    EXPECT_EQ(info[5], 126);
}

TEST_F(ChannelOnBus, NotConnectedOrGoneDevice) {
    DeviceChannel idle{busRoots(dir.path())};
    uint8_t block[56] = {};
    EXPECT_EQ(idle.beginTransfer(), 0);
    EXPECT_EQ(idle.readBlock(block, 56, 0), 0);
    EXPECT_EQ(idle.resetDevice(), 0);
    EXPECT_TRUE(sent().empty());

    // A block length outside 1..56 is refused before anything is sent.
    EXPECT_EQ(kb.readBlock(block, 57, 0), -1);
    EXPECT_EQ(kb.writeBlock(block, 0, 0), -1);
    EXPECT_TRUE(sent().empty());

    // Unplugged in the middle of a table: the channel sees the device go, says so once and sends
    // nothing more (no retries into a closed connection).
    std::vector<std::string> gone;
    kb.setGoneHandler([&](const std::string& path) { gone.push_back(path); });
    ASSERT_EQ(kb.setTransferSize(378), 1);
    std::vector<uint8_t> table(512);
    ASSERT_TRUE(bus.unplugAfter("kb", 2));
    const int result = kb.readKeyTable(table.data(), 0);
    EXPECT_TRUE(result == 0 || result == -1) << result;
    EXPECT_EQ(sent().size(), 3u);
    EXPECT_EQ(gone, std::vector<std::string>{kbPath});
    EXPECT_FALSE(kb.isConnected());
    EXPECT_EQ(kb.beginTransfer(), 0);
    EXPECT_EQ(sent().size(), 3u);
    kb.disconnect();
    EXPECT_FALSE(kb.isConnected());
    EXPECT_EQ(kb.beginTransfer(), 0);
    EXPECT_EQ(kb.connect(kbPath), 0);  // the path has vanished
}

TEST_F(ChannelOnBus, TwoThreadsInterleaveWithoutTakingEachOthersAnswers) {
    std::vector<uint8_t> settings;
    ASSERT_TRUE(bus.peek("kb", sim::Area::Settings, 0, 320, &settings));
    std::atomic<int> wrong{0}, ready{0};
    auto together = [&] {
        ++ready;
        while (ready.load() < 2) std::this_thread::yield();
    };
    std::thread frames([&] {
        together();
        const std::vector<uint8_t> frame = pattern(396, 11);
        for (int i = 0; i < 60; ++i) {
            if (kb.streamFrame(frame.data(), 396) != 1) ++wrong;
            std::this_thread::yield();
        }
    });
    together();
    for (int i = 0; i < 200; ++i) {
        uint8_t block[56];
        const uint16_t address = uint16_t((i % 5) * 64);
        if (kb.readBlock(block, 56, address) != 1 || std::memcmp(block, &settings[address], 56) != 0) ++wrong;
        std::this_thread::yield();
    }
    frames.join();
    EXPECT_EQ(wrong.load(), 0);
    std::vector<uint8_t> frame;
    ASSERT_TRUE(bus.peek("kb", sim::Area::Frame, 0, 396, &frame));
    EXPECT_EQ(frame, pattern(396, 11));
    // The two threads' reports did meet on the wire.
    int switches = 0;
    uint8_t last = 0;
    for (const auto& r : sent()) {
        if (last && r[3] != last) ++switches;
        last = r[3];
    }
    EXPECT_GE(switches, 1);
}

TEST(ChannelTable, SevenChannelsWithTheirIdentities) {
    std::array<DeviceChannel, kChannelCount> channels;
    applyChannelIdentities(channels);
    EXPECT_EQ(channels[ChannelKeyboard].identity().productId, 0x751D);
    EXPECT_EQ(channels[ChannelCompanionKeyboard].identity().productId, 0x7624);
    EXPECT_EQ(channels[ChannelPad].identity().productId, 0x6758);
    EXPECT_EQ(channels[ChannelMouse].identity().usagePage, 0xFF1C);
    EXPECT_EQ(channels[ChannelMouse].identity().usage, 0x92);
    EXPECT_EQ(channels[ChannelKeyboardConsumer].identity().vendorId, 0);
    for (auto& c : channels) {
        EXPECT_FALSE(c.isConnected());
        EXPECT_EQ(c.transferSize(), 512);
        EXPECT_TRUE(c.streamingEnabled.load());
        EXPECT_FALSE(c.effectsHeld.load());
    }
    channels[ChannelKeyboard].effectsHeld = true;
    uint8_t b = 0;
    channels[ChannelKeyboard].writeBlock(&b, 1, 0);  // not connected, but the hold is let go
    EXPECT_FALSE(channels[ChannelKeyboard].effectsHeld.load());
}
