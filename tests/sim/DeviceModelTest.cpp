// How an emulated device answers command requests: every command, its ranges and its refusals.
#include <gtest/gtest.h>

#include <cstring>

#include "sim/DeviceModel.h"
#include "sim/SimTestSupport.h"

using namespace sim;
using simtest::request;

namespace {

struct Case {
    const char* what;
    const char* device;
    uint8_t command;
    uint8_t length;
    uint16_t address;
    uint8_t status;
    Area area;           // where a read's data comes from / a write's data goes
    bool reads;
    bool writes;
};

// One row per situation; data of reads is compared with the area, writes are checked in memory.
const Case kCases[] = {
    {"begin transfer", "kb", CmdBeginTransfer, 0, 0, kStatusOk, Area::Info, false, false},
    {"end transfer", "pad", CmdEndTransfer, 0, 0, kStatusOk, Area::Info, false, false},
    {"read first settings block", "kb", CmdReadBlock, 56, 0, kStatusOk, Area::Settings, true, false},
    {"read active profile byte", "mouse", CmdReadBlock, 1, 0, kStatusOk, Area::Settings, true, false},
    {"read last settings block to its end", "pad", CmdReadBlock, 56, 264, kStatusOk, Area::Settings, true, false},
    {"read past the settings", "pad", CmdReadBlock, 56, 265, kStatusOutOfRange, Area::Settings, false, false},
    {"read block of length 0", "kb", CmdReadBlock, 0, 0, kStatusMalformed, Area::Settings, false, false},
    {"read block of 57 bytes", "kb", CmdReadBlock, 57, 0, kStatusMalformed, Area::Settings, false, false},
    {"write A/B flag of profile 2", "kb", CmdWriteBlock, 1, 2 * 64 + 23, kStatusOk, Area::Settings, false, true},
    {"write current settings", "mouse", CmdWriteBlock, 56, 0, kStatusOk, Area::Settings, false, true},
    {"write past the settings", "kb", CmdWriteBlock, 2, 319, kStatusOutOfRange, Area::Settings, false, false},
    {"last default-key chunk of the keyboard", "kb", CmdReadDefaultKeyTable, 42, 336, kStatusOk, Area::DefaultKeys, true, false},
    {"default keys past the keyboard's 126 keys", "kb", CmdReadDefaultKeyTable, 43, 336, kStatusOutOfRange, Area::DefaultKeys, false, false},
    {"companion's whole default table", "companion", CmdReadDefaultKeyTable, 48, 0, kStatusOk, Area::DefaultKeys, true, false},
    {"mouse default table at 504", "mouse", CmdReadDefaultKeyTable, 8, 504, kStatusOk, Area::DefaultKeys, true, false},
    {"pad has no key table", "pad", CmdReadDefaultKeyTable, 56, 0, kStatusMalformed, Area::DefaultKeys, false, false},
    {"key table of profile 4, last chunk", "mouse", CmdReadKeyTable, 56, 960, kStatusOk, Area::Keys, true, false},
    {"key table past its area", "kb", CmdReadKeyTable, 56, 961, kStatusOutOfRange, Area::Keys, false, false},
    {"write key table of profile 1", "small", CmdWriteKeyTable, 56, 126, kStatusOk, Area::Keys, false, true},
    {"write key table on the pad", "pad", CmdWriteKeyTable, 3, 0, kStatusMalformed, Area::Keys, false, false},
    {"frame chunk 8 of 8", "kb", CmdStreamFrame, 4, 392, kStatusOk, Area::Frame, false, true},
    {"frame past 396 bytes", "kb", CmdStreamFrame, 5, 392, kStatusOutOfRange, Area::Frame, false, false},
    {"frame to the small keyboard", "small", CmdStreamFrame, 56, 0, kStatusMalformed, Area::Frame, false, false},
    {"macro at the end of the capacity", "companion", CmdWriteMacroTable, 48, 2000, kStatusOk, Area::Macro, false, true},
    {"macro over the capacity", "kb", CmdWriteMacroTable, 49, 2000, kStatusOutOfRange, Area::Macro, false, false},
    {"macro of length 0", "kb", CmdWriteMacroTable, 0, 0, kStatusMalformed, Area::Macro, false, false},
    {"recoil at its end", "mouse", CmdWriteRecoilTable, 56, 3016, kStatusOk, Area::Recoil, false, true},
    {"recoil over 3072", "mouse", CmdWriteRecoilTable, 56, 3017, kStatusOutOfRange, Area::Recoil, false, false},
    {"recoil to the keyboard", "kb", CmdWriteRecoilTable, 8, 0, kStatusMalformed, Area::Recoil, false, false},
    {"command 4 does not exist", "kb", 4, 0, 0, kStatusMalformed, Area::Info, false, false},
    {"command 0xEE does not exist", "mouse", 0xEE, 0, 0, kStatusMalformed, Area::Info, false, false},
};

std::vector<uint8_t> pattern(size_t n, uint8_t seed) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = uint8_t(seed + 13 * i);
    return v;
}

}  // namespace

TEST(DeviceModel, AnswersEveryCommandAsTabled) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        DeviceModel model(*findDevice(c.device));
        const std::vector<uint8_t> data = pattern(c.length, c.command);
        const CommandReport req = request(c.command, c.length, c.address, data);
        const std::vector<uint8_t> before = model.area(c.area);

        const auto answer = model.handleOutput(model.definition().commandInterface, req.bytes(), 64);
        ASSERT_TRUE(answer.has_value());
        EXPECT_EQ(answer->reportId, 4);
        EXPECT_EQ(answer->command, c.command);
        EXPECT_EQ(answer->length, c.length);
        EXPECT_EQ(answer->address(), c.address);
        EXPECT_EQ(answer->status, c.status);
        EXPECT_TRUE(simtest::checksumHolds(answer->bytes()));

        if (c.reads) {
            EXPECT_EQ(0, std::memcmp(answer->data, before.data() + c.address, c.length));
            for (size_t i = c.length; i < kCommandDataSize; ++i) EXPECT_EQ(answer->data[i], 0) << i;
        }
        if (c.writes) {
            std::vector<uint8_t> expected = before;
            std::copy(data.begin(), data.end(), expected.begin() + c.address);
            EXPECT_EQ(model.area(c.area), expected);
        } else {
            EXPECT_EQ(model.area(c.area), before);  // refusals and reads change nothing
        }
        if (c.status != kStatusOk) {
            for (uint8_t b : answer->data) ASSERT_EQ(b, 0);
        }
    }
}

TEST(DeviceModel, DeviceInformationComesWhole) {
    for (const char* name : {"kb", "small", "companion", "mouse", "pad"}) {
        SCOPED_TRACE(name);
        DeviceModel model(*findDevice(name));
        const CommandReport req = request(CmdReadDeviceInfo, 33);
        ASSERT_EQ(req.checksumLow, 0x24);  // the example every reader of the protocol knows
        const auto answer = model.handleOutput(model.definition().commandInterface, req.bytes(), 64);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->status, kStatusOk);
        EXPECT_EQ(0, std::memcmp(answer->data, model.area(Area::Info).data(), 33));
        EXPECT_EQ(answer->data[5], model.definition().keyCount);
    }
}

TEST(DeviceModel, ChecksumIsChecked) {
    DeviceModel model(*findDevice("kb"));
    CommandReport req = request(CmdWriteBlock, 4, 0, {1, 2, 3, 4});
    const std::vector<uint8_t> before = model.area(Area::Settings);
    struct Spoil {
        const char* what;
        void (*apply)(CommandReport&);
    };
    const Spoil spoils[] = {
        {"low byte off by one", [](CommandReport& r) { r.checksumLow++; }},
        {"high byte set", [](CommandReport& r) { r.checksumHigh = 1; }},
        {"data changed after sealing", [](CommandReport& r) { r.data[55] ^= 0x80; }},
        {"no checksum at all", [](CommandReport& r) { r.checksumLow = r.checksumHigh = 0; }},
    };
    for (const Spoil& s : spoils) {
        SCOPED_TRACE(s.what);
        CommandReport bad = req;
        s.apply(bad);
        const auto answer = model.handleOutput(1, bad.bytes(), 64);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->status, kStatusMalformed);
        EXPECT_EQ(model.area(Area::Settings), before);
    }
    const auto good = model.handleOutput(1, req.bytes(), 64);
    ASSERT_TRUE(good);
    EXPECT_EQ(good->status, kStatusOk);
}

TEST(DeviceModel, OnlyCommandReportsOnTheCommandInterfaceAreAnswered) {
    DeviceModel kb(*findDevice("kb"));
    DeviceModel pad(*findDevice("pad"));
    const CommandReport req = request(CmdBeginTransfer);
    std::vector<uint8_t> wrongId = simtest::bytesOf(req);
    wrongId[0] = 3;
    EXPECT_FALSE(kb.handleOutput(1, wrongId.data(), 64));
    EXPECT_FALSE(kb.handleOutput(1, req.bytes(), 63));
    std::vector<uint8_t> longer = simtest::bytesOf(req);
    longer.push_back(0);
    EXPECT_FALSE(kb.handleOutput(1, longer.data(), 65));
    EXPECT_FALSE(kb.handleOutput(0, req.bytes(), 64));  // boot keyboard interface
    const uint8_t leds[2] = {0, 0x02};
    EXPECT_FALSE(kb.handleOutput(0, leds, 2));
    EXPECT_FALSE(kb.handleOutput(1, nullptr, 0));
    EXPECT_TRUE(kb.handleOutput(1, req.bytes(), 64));
    EXPECT_TRUE(pad.handleOutput(0, req.bytes(), 64));  // the pad's only interface
    EXPECT_FALSE(pad.handleOutput(1, req.bytes(), 64));
}

TEST(DeviceModel, ResetRestoresTheWritableAreasOnly) {
    DeviceModel kb(*findDevice("kb"));
    const DeviceModel factory(*findDevice("kb"));
    const std::vector<uint8_t> junk(56, 0xA5);
    for (auto [cmd, addr] : {std::pair{CmdWriteBlock, 0}, {CmdWriteKeyTable, 0}, {CmdWriteMacroTable, 0},
                             {CmdStreamFrame, 0}})
        ASSERT_EQ(kb.handleOutput(1, request(cmd, 56, uint16_t(addr), junk).bytes(), 64)->status, 0);
    const uint8_t bigger = 200;
    ASSERT_TRUE(kb.poke(Area::Info, 5, &bigger, 1));  // a test's own device identity stays

    CommandReport reset{};
    reset.reportId = 4;
    reset.command = CmdResetDevice;  // sent without a checksum
    const auto answer = kb.handleOutput(1, reset.bytes(), 64);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, kStatusOk);
    EXPECT_EQ(kb.resetCount(), 1u);
    for (Area a : {Area::Settings, Area::Keys, Area::Macro, Area::Frame}) EXPECT_EQ(kb.area(a), factory.area(a)) << areaName(a);
    EXPECT_EQ(kb.area(Area::Info)[5], 200);

    // A sealed reset is just as good; a reset with a wrong checksum is refused.
    EXPECT_EQ(kb.handleOutput(1, request(CmdResetDevice).bytes(), 64)->status, kStatusOk);
    reset.checksumLow = 0x77;
    EXPECT_EQ(kb.handleOutput(1, reset.bytes(), 64)->status, kStatusMalformed);
    EXPECT_EQ(kb.resetCount(), 2u);
}

TEST(DeviceModel, MacroCapacityFollowsTheReportedCapacity) {
    DeviceModel kb(*findDevice("kb"));
    const uint8_t twoUnits = 2;  // 256 bytes
    ASSERT_TRUE(kb.poke(Area::Info, 6, &twoUnits, 1));
    const std::vector<uint8_t> data(56, 1);
    EXPECT_EQ(kb.handleOutput(1, request(CmdWriteMacroTable, 56, 200, data).bytes(), 64)->status, kStatusOk);
    EXPECT_EQ(kb.handleOutput(1, request(CmdWriteMacroTable, 56, 201, data).bytes(), 64)->status,
              kStatusOutOfRange);
}

TEST(DeviceModel, PeekAndPokeStayInsideTheirArea) {
    DeviceModel mouse(*findDevice("mouse"));
    std::vector<uint8_t> out;
    EXPECT_TRUE(mouse.peek(Area::Recoil, 3000, 72, &out));
    EXPECT_EQ(out.size(), 72u);
    EXPECT_FALSE(mouse.peek(Area::Recoil, 3000, 73, &out));
    EXPECT_FALSE(mouse.peek(Area::Frame, 0, 1, &out));               // the mouse has no frame
    EXPECT_FALSE(mouse.peek(Area::Info, SIZE_MAX, 2, &out));         // no wrap-around
    const uint8_t b[2] = {1, 2};
    EXPECT_FALSE(mouse.poke(Area::Info, 32, b, 2));
    EXPECT_TRUE(mouse.poke(Area::Info, 31, b, 2));
    EXPECT_NE(mouse.rangeProblem(Area::Info, 32, 2).find("33 bytes"), std::string::npos);
    EXPECT_NE(mouse.rangeProblem(Area::Frame, 0, 1).find("no frame"), std::string::npos);
}

TEST(DeviceModel, OnlyAWholeRunOfChunksBecomesTheShownFrame) {
    // Chunks as (address, length); every run but the complete ones is cut short or has a gap.
    using Run = std::vector<std::pair<uint16_t, uint8_t>>;
    Run whole;
    for (uint16_t a = 0; a < kFrameSize; a += 56) whole.push_back({a, uint8_t(std::min<size_t>(56, kFrameSize - a))});
    Run retried = whole;
    retried.insert(retried.begin() + 3, retried[2]);  // chunk 3 sent again after a lost answer
    Run missingChunk = whole;
    missingChunk.erase(missingChunk.begin() + 4);     // streaming was off for one chunk
    Run unfinished(whole.begin(), whole.end() - 1);
    Run noStart(whole.begin() + 1, whole.end());
    struct RunCase {
        const char* what;
        Run chunks;
        bool shown;
    } cases[] = {
        {"whole frame", whole, true},
        {"a retried chunk", retried, true},
        {"a chunk missing", missingChunk, false},
        {"last chunk missing", unfinished, false},
        {"first chunk missing", noStart, false},
    };
    for (const RunCase& c : cases) {
        SCOPED_TRACE(c.what);
        DeviceModel kb(*findDevice("kb"));
        const std::vector<uint8_t> earlier(kFrameSize, 0x11);
        for (const auto& [address, length] : whole)
            kb.handleOutput(1, request(CmdStreamFrame, length, address, std::vector<uint8_t>(56, 0x11)).bytes(), 64);
        ASSERT_EQ(kb.lastFrame(), earlier);
        const std::vector<uint8_t> next = pattern(kFrameSize, 7);
        for (const auto& [address, length] : c.chunks) {
            const std::vector<uint8_t> data(next.begin() + address, next.begin() + address + length);
            ASSERT_EQ(kb.handleOutput(1, request(CmdStreamFrame, length, address, data).bytes(), 64)->status, 0);
        }
        EXPECT_EQ(kb.lastFrame(), c.shown ? next : earlier);
        EXPECT_EQ(kb.frameCount(), c.shown ? 2u : 1u);
    }

    // A refused chunk breaks the run; a reset forgets the frame.
    DeviceModel kb(*findDevice("kb"));
    for (const auto& [address, length] : whole) {
        const uint8_t sent = address == 112 ? 57 : length;  // malformed: refused, nothing written
        kb.handleOutput(1, request(CmdStreamFrame, sent, address, std::vector<uint8_t>(56, 1)).bytes(), 64);
    }
    EXPECT_FALSE(kb.lastFrame());
    for (const auto& [address, length] : whole)
        kb.handleOutput(1, request(CmdStreamFrame, length, address, std::vector<uint8_t>(56, 1)).bytes(), 64);
    EXPECT_TRUE(kb.lastFrame());
    kb.handleOutput(1, request(CmdResetDevice).bytes(), 64);
    EXPECT_FALSE(kb.lastFrame());
}
