// The keyboard family's transfer sequences against the emulated units over the virtual bus.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <ostream>

#include "integration/BusFixture.h"
#include "mirror/KeyboardTransfers.h"
#include "profile/ProfileFile.h"

using namespace testsupport;

namespace {

struct Host : KeyboardSequenceHost {
    std::vector<std::string> calls;
    void showMessage(const std::string& key) override { calls.push_back("box " + key); }
    void saveDeviceProfile() override { calls.push_back("save device"); }
    void saveKeyProfile() override { calls.push_back("save keys"); }
    void showSettingsTab(bool lighting) override { calls.push_back(lighting ? "tab lighting" : "tab keys"); }
    void showFirstFunctionPage() override { calls.push_back("function page"); }
    void setAbControlEnabled(bool on) override { calls.push_back(on ? "ab on" : "ab off"); }
    void refreshPages() override { calls.push_back("refresh"); }
    void showProgress() override { calls.push_back("progress"); }
    void hideProgressLater() override { calls.push_back("progress off"); }
};

using Calls = std::vector<std::string>;

}  // namespace

class KeyboardFamily : public ::testing::Test {
protected:
    void SetUp() override {
        connectKeyboardFamily(bus, kb, small, companion);
        if (HasFatalFailure()) return;
        bus.clearWireRecords();
    }
    std::vector<std::vector<uint8_t>> sent(const std::string& dev) const {
        std::vector<std::vector<uint8_t>> out;
        for (const sim::WireRecord& r : bus.wireRecords())
            if (r.dev == dev && r.dir == sim::WireDir::Out) out.push_back(r.bytes);
        return out;
    }
    std::vector<uint8_t> commands(const std::string& dev) const {
        std::vector<uint8_t> out;
        for (const auto& r : sent(dev)) out.push_back(r[3]);
        return out;
    }
    void readFamily() {
        transfers.readAll();
        transfers.readSmall();
        transfers.readCompanion();
        host.calls.clear();
        bus.clearWireRecords();
    }

    TempDir dir;
    sim::VirtualBus bus{dir.path()};
    HidRoots roots = busRoots(dir.path());
    DeviceChannel kb{roots}, small{roots}, companion{roots};
    std::unique_ptr<KeyboardMirror> mirror = std::make_unique<KeyboardMirror>();
    Host host;
    KeyboardTransfers transfers{*mirror, {kb, small, companion}, host};
};

TEST_F(KeyboardFamily, ReadAllFillsTheMirrorAndTheWorkingTable) {
    std::vector<uint8_t> block;
    ASSERT_TRUE(bus.poke("kb", sim::Area::Settings, 24, {1}));  // the lighting tab is shown
    ASSERT_TRUE(bus.peek("kb", sim::Area::Settings, 0, 56, &block));
    transfers.readAll();
    EXPECT_EQ(host.calls, (Calls{"tab lighting", "save device"}));
    EXPECT_EQ(mirror->deviceInfo[0][5], 126);
    EXPECT_EQ(kb.transferSize(), 378);
    // begin, info, 7 + 1 + 7 reports of tables and block, the active-profile byte, end.
    EXPECT_EQ(commands("kb"), (std::vector<uint8_t>{1, 3, 7, 7, 7, 7, 7, 7, 7, 5, 8, 8, 8, 8, 8, 8, 8, 5, 2}));
    EXPECT_EQ(0, std::memcmp(mirror->blocks[0].data(), block.data(), 56));
    EXPECT_EQ(0, std::memcmp(mirror->record.data() + 1, block.data() + 1, 25));

    // Every key the keyboard carries is found and merged: the working table equals the built-in
    // codes wherever the keyboard's table is still the factory one.
    size_t found = 0;
    for (size_t key = 0; key < kKeyboardLogicalKeys; ++key) {
        if (mirror->positionMaps[0][key] == kPositionAbsent) continue;
        ++found;
        EXPECT_EQ(0, std::memcmp(&mirror->workingKeyTable[0][key * 3], kKeyboardDefaultCodes[key].data(), 3)) << key;
    }
    EXPECT_GT(found, 100u);
}

TEST_F(KeyboardFamily, TooManyKeysStopTheRead) {
    ASSERT_TRUE(bus.poke("kb", sim::Area::Info, 5, {171}));  // 513 bytes of key table
    ASSERT_EQ(kb.setTransferSize(300), 1);
    EXPECT_FALSE(transfers.readAll());
    EXPECT_EQ(host.calls, Calls{"box message_text_11"});
    EXPECT_EQ(commands("kb"), (std::vector<uint8_t>{1, 3, 2}));  // closed straight after the information
    EXPECT_EQ(kb.transferSize(), 300);
    EXPECT_EQ(mirror->deviceInfo[0][5], 0);  // the mirror is left as it was
}

TEST_F(KeyboardFamily, TheCompanionKeyboardWinsAKeyItShares) {
    // The keyboard first, the companion keyboard later (its table is still all zeros meanwhile).
    transfers.readAll();
    for (size_t key = 0; key < kKeyboardLogicalKeys; ++key)
        EXPECT_EQ(mirror->positionMaps[2][key], kPositionAbsent) << key;
    readFamily();
    // Find a logical key both the keyboard and the companion keyboard carry.
    size_t shared = kKeyboardLogicalKeys;
    for (size_t key = 0; key < kKeyboardLogicalKeys && shared == kKeyboardLogicalKeys; ++key)
        if (mirror->positionMaps[0][key] != kPositionAbsent && mirror->positionMaps[2][key] != kPositionAbsent)
            shared = key;
    ASSERT_LT(shared, kKeyboardLogicalKeys);
    const size_t onCompanion = size_t(mirror->positionMaps[2][shared]);
    const size_t onKeyboard = size_t(mirror->positionMaps[0][shared]);
    ASSERT_TRUE(bus.poke("companion", sim::Area::Keys, onCompanion * 3, {0x20, 0x00, 0x04}));  // A
    ASSERT_TRUE(bus.poke("kb", sim::Area::Keys, onKeyboard * 3, {0x20, 0x00, 0x05}));         // B
    transfers.readAll();
    transfers.readCompanion();
    EXPECT_EQ(mirror->workingKeyTable[0][shared * 3 + 2], 0x04);

    // Written back, the entry goes to the companion keyboard only.
    mirror->workingKeyTable[0][shared * 3 + 2] = 0x06;
    bus.clearWireRecords();
    transfers.writeKeyTables();
    std::vector<uint8_t> back;
    ASSERT_TRUE(bus.peek("companion", sim::Area::Keys, onCompanion * 3, 3, &back));
    EXPECT_EQ(back[2], 0x06);
    ASSERT_TRUE(bus.peek("kb", sim::Area::Keys, onKeyboard * 3, 3, &back));
    EXPECT_EQ(back[2], 0x05);
    EXPECT_TRUE(kb.streamingEnabled.load());
    EXPECT_EQ(sent("small").size(), 2u);     // 60 bytes
    EXPECT_EQ(sent("companion").size(), 1u); // 48 bytes
}

TEST_F(KeyboardFamily, FlushSendsTheRecordPaddedWithZeros) {
    readFamily();
    std::atomic<bool> dirty{false};
    transfers.flush(dirty);
    EXPECT_TRUE(sent("kb").empty());
    mirror->record[1] = 7;
    dirty = true;
    EXPECT_EQ(transfers.flush(dirty), ResultOk);
    EXPECT_FALSE(dirty.load());
    const auto out = sent("kb");
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0][3], 6);
    EXPECT_EQ(out[0][4], 56);
    EXPECT_EQ(0, std::memcmp(&out[0][8], mirror->record.data(), 26));
    EXPECT_EQ(std::vector<uint8_t>(out[0].begin() + 34, out[0].end()), std::vector<uint8_t>(30, 0));
}

TEST_F(KeyboardFamily, AbFlagGoesToTheActiveProfilesBlock) {
    readFamily();
    mirror->record[0] = 2;
    transfers.writeAbFlag(true);
    EXPECT_EQ(host.calls, Calls{"ab on"});
    const auto out = sent("kb");
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0][4], 1);
    EXPECT_EQ(out[0][5] | (out[0][6] << 8), 2 * 64 + 23);
    EXPECT_EQ(out[0][8], 1);
    EXPECT_EQ(mirror->record[23], 1);

    // A profile number past the onboard profiles (from a profile file or a device) gets profile
    // 0's flag, never an address beyond them.
    bus.clearWireRecords();
    mirror->record[0] = 200;
    transfers.writeAbFlag(false);
    ASSERT_EQ(sent("kb").size(), 1u);
    EXPECT_EQ(sent("kb")[0][5] | (sent("kb")[0][6] << 8), 23);
}

TEST_F(KeyboardFamily, AFlushTheKeyboardRefusedStaysDirty) {
    readFamily();
    std::atomic<bool> dirty{true};
    ASSERT_TRUE(bus.failCommand("kb", CmdWriteBlock, 0xFF, 1));
    EXPECT_EQ(transfers.flush(dirty), ResultStatusRejected);
    EXPECT_TRUE(dirty.load());
    EXPECT_EQ(transfers.flush(dirty), ResultOk);
    EXPECT_FALSE(dirty.load());
}

TEST_F(KeyboardFamily, SaveToDeviceWithoutTheSmallKeyboard) {
    readFamily();
    small.disconnect();
    transfers.saveToDevice();
    EXPECT_EQ(host.calls, (Calls{"progress", "save keys", "save device", "progress off"}));
    EXPECT_TRUE(sent("small").empty());
    const auto kbCommands = commands("kb");
    ASSERT_FALSE(kbCommands.empty());
    EXPECT_EQ(kbCommands.front(), 1);
    EXPECT_EQ(kbCommands.back(), 2);
    EXPECT_EQ(std::count(kbCommands.begin(), kbCommands.end(), 9), 7);
    EXPECT_TRUE(kb.streamingEnabled.load());
}

TEST_F(KeyboardFamily, DefaultsRestoreTheBuiltInCodes) {
    readFamily();
    mirror->workingKeyTable[0].fill(0x33);
    transfers.keyDefaults();
    EXPECT_EQ(host.calls, (Calls{"function page", "save keys", "refresh"}));
    EXPECT_EQ(mirror->workingKeyTable[0], keyboardDefaultKeyTable());
    EXPECT_EQ(commands("kb").back(), 2);

    // Device defaults: a missing file shows a message and sends nothing.
    host.calls.clear();
    bus.clearWireRecords();
    std::atomic<bool> dirty{false};
    transfers.deviceDefaults(dir.file("nowhere.config"), dirty);
    EXPECT_EQ(host.calls, Calls{"box message_text_8"});
    EXPECT_TRUE(sent("kb").empty());
    EXPECT_FALSE(dirty.load());
    writeFile(dir.file("bad.config"), std::string(100, 'x'));
    host.calls.clear();
    transfers.deviceDefaults(dir.file("bad.config"), dirty);
    EXPECT_EQ(host.calls, Calls{"box message_text_9"});

    std::vector<uint8_t> payload(2048, 0);
    payload[1] = 3;   // lighting mode
    payload[64] = 9;  // a custom set that does not exist
    ASSERT_TRUE(writeProfileFile(dir.file("good.config"), payload.data(), payload.size(), ProfileTagKeyboard));
    host.calls.clear();
    transfers.deviceDefaults(dir.file("good.config"), dirty);
    EXPECT_EQ(host.calls, (Calls{"save device", "refresh"}));
    EXPECT_TRUE(dirty.load());
    EXPECT_EQ(mirror->record[1], 3);
    EXPECT_EQ(mirror->lighting.selectedSet, 0);
}

// Reads that fail at any step: the mirror stays as it was, no profile file is saved, command 1 is
// closed by command 2 whenever the unit can still hear it, and the user is told once.
struct ReadFault {
    const char* name;
    enum Kind { Drop, Status, Unplug } kind;
    unsigned after;    // Unplug: requests that go through first
    uint8_t command;   // Status: the command refused
};

void PrintTo(const ReadFault& f, std::ostream* out) { *out << f.name; }

class KeyboardReadFaults : public KeyboardFamily, public ::testing::WithParamInterface<ReadFault> {};

TEST_P(KeyboardReadFaults, LeaveTheMirrorAndTheFilesAlone) {
    const ReadFault f = GetParam();
    const auto before = std::make_unique<KeyboardMirror>(*mirror);
    bool armed = false;
    switch (f.kind) {
    case ReadFault::Drop: armed = bus.dropAnswers("kb", 100000); break;
    case ReadFault::Status: armed = bus.failCommand("kb", f.command, 0xFF); break;
    case ReadFault::Unplug: armed = bus.unplugAfter("kb", f.after); break;
    }
    ASSERT_TRUE(armed);
    EXPECT_FALSE(transfers.readAll());
    EXPECT_EQ(host.calls, Calls{"box kb_no_answer_text"});
    EXPECT_EQ(0, std::memcmp(before.get(), mirror.get(), sizeof(KeyboardMirror)));
    const auto wire = commands("kb");
    ASSERT_FALSE(wire.empty());
    EXPECT_EQ(wire.front(), 1);
    if (f.kind == ReadFault::Status) EXPECT_EQ(wire.back(), 2);
    if (f.kind == ReadFault::Unplug) EXPECT_FALSE(kb.isConnected());  // gone, not merely silent

    // A second failure is not told again; a read that works clears that.
    host.calls.clear();
    EXPECT_FALSE(transfers.readAll());
    EXPECT_TRUE(host.calls.empty());
}

INSTANTIATE_TEST_SUITE_P(
    AtEachStep, KeyboardReadFaults,
    ::testing::Values(ReadFault{"NoAnswer", ReadFault::Drop, 0, 0},
                      ReadFault{"InfoRefused", ReadFault::Status, 0, CmdReadDeviceInfo},
                      ReadFault{"DefaultTableRefused", ReadFault::Status, 0, CmdReadDefaultKeyTable},
                      ReadFault{"BlockRefused", ReadFault::Status, 0, CmdReadBlock},
                      ReadFault{"KeyTableRefused", ReadFault::Status, 0, CmdReadKeyTable},
                      ReadFault{"UnplugAfterBegin", ReadFault::Unplug, 1, 0},
                      ReadFault{"UnplugInDefaultTable", ReadFault::Unplug, 5, 0},
                      ReadFault{"UnplugInKeyTable", ReadFault::Unplug, 14, 0},
                      ReadFault{"UnplugBeforeActiveByte", ReadFault::Unplug, 17, 0}),
    [](const ::testing::TestParamInfo<ReadFault>& info) { return std::string(info.param.name); });

TEST_F(KeyboardFamily, AKeyboardThatStopsAnsweringMidReadKeepsTheMirror) {
    ASSERT_TRUE(transfers.readAll());  // a good read first
    host.calls.clear();
    const auto before = std::make_unique<KeyboardMirror>(*mirror);
    ASSERT_TRUE(bus.poke("kb", sim::Area::Settings, 1, {9}));
    ASSERT_TRUE(bus.dropAnswers("kb", 100000));
    bus.clearWireRecords();
    EXPECT_FALSE(transfers.readAll());
    EXPECT_EQ(0, std::memcmp(before.get(), mirror.get(), sizeof(KeyboardMirror)));
    EXPECT_TRUE(kb.isSilent());
    // Silent: the begin got four attempts, the closing command one.
    EXPECT_EQ(commands("kb"), (std::vector<uint8_t>{1, 1, 1, 1, 2}));
    // It answers again: the read completes and takes the new settings.
    ASSERT_TRUE(bus.clearFaults("kb"));
    EXPECT_TRUE(transfers.readAll());
    EXPECT_FALSE(kb.isSilent());
    EXPECT_EQ(mirror->record[1], 9);
}

TEST_F(KeyboardFamily, AUnitReadThatFailsKeepsTheMirrorAndClosesTheTransfer) {
    readFamily();
    const auto before = std::make_unique<KeyboardMirror>(*mirror);
    ASSERT_TRUE(bus.failCommand("small", CmdReadKeyTable, 0xFF));
    EXPECT_FALSE(transfers.readSmall());
    EXPECT_EQ(host.calls, Calls{"box kb_no_answer_text"});  // no profile file saved
    EXPECT_EQ(0, std::memcmp(before.get(), mirror.get(), sizeof(KeyboardMirror)));
    EXPECT_EQ(commands("small").back(), 2);
}

TEST_F(KeyboardFamily, ASaveTheKeyboardRefusesSaysSoAndLeavesTheFiles) {
    readFamily();
    ASSERT_TRUE(bus.failCommand("kb", CmdWriteKeyTable, 0xFF, 2));
    EXPECT_FALSE(transfers.saveToDevice());
    EXPECT_EQ(host.calls, (Calls{"progress", "progress off", "box kb_save_failed_text"}));
    EXPECT_EQ(commands("kb").back(), 2);
    EXPECT_TRUE(kb.streamingEnabled.load());
}

TEST_F(KeyboardFamily, LateAnswersAreNotTakenForTheNextRequest) {
    readFamily();
    std::vector<uint8_t> keys, block;
    ASSERT_TRUE(bus.poke("kb", sim::Area::Settings, 1, {4, 3, 2}));
    ASSERT_TRUE(bus.peek("kb", sim::Area::Settings, 0, 56, &block));
    // The information, the first default-table chunks: each answered 320 ms late, after its
    // attempt's time limit, while the next attempt (the same request) waits.
    ASSERT_TRUE(bus.delayAnswers("kb", 3, 320));
    EXPECT_TRUE(transfers.readAll());
    EXPECT_EQ(mirror->deviceInfo[0][5], 126);
    EXPECT_EQ(0, std::memcmp(mirror->blocks[0].data(), block.data(), 56));
    EXPECT_EQ(mirror->record[1], 4);
}

TEST(KeyboardMerge, KeysNoUnitCarriesKeepTheirEntries) {
    auto m = std::make_unique<KeyboardMirror>();
    m->workingKeyTable[1].fill(0x5A);
    m->positionMaps[1][10] = 2;  // only the small keyboard carries key 10, at position 2
    m->unitKeyTables[1][1][6] = 0x20;
    m->unitKeyTables[1][1][8] = 0x1E;
    KeyboardTransfers::merge(*m, 1);
    EXPECT_EQ(m->workingKeyTable[1][30], 0x20);
    EXPECT_EQ(m->workingKeyTable[1][32], 0x1E);
    EXPECT_EQ(m->workingKeyTable[1][33], 0x5A);
    KeyboardTransfers::merge(*m, 7);  // no such profile: nothing happens
    // A companion table shorter than 20 positions is never read past its end.
    m->deviceInfo[0][5] = 0;
    m->companionDefaultKeyTable.fill(0);
    m->positionMaps[2] = absentPositions();
    KeyboardTransfers::rebuildPositionMaps(*m);
    for (size_t key = 0; key < kKeyboardLogicalKeys; ++key) EXPECT_EQ(m->positionMaps[2][key], kPositionAbsent) << key;
}
