// The mouse's and the pad's transfer sequences against the emulated mouse and pad over the
// virtual bus: what goes on the wire, and what lands in the mirror and in the emulator's memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "integration/BusFixture.h"
#include "mirror/MouseTransfers.h"
#include "mirror/PadTransfers.h"

using namespace testsupport;

namespace {

using Calls = std::vector<std::string>;

struct Host : MouseSequenceHost, PadSequenceHost {
    Calls calls;
    void showMessage(const std::string& key) override { calls.push_back("box " + key); }
    void saveDeviceProfile() override { calls.push_back("save device"); }
    void saveLightingProfile() override { calls.push_back("save lighting"); }
    void refreshPages() override { calls.push_back("refresh"); }
    void showFirstFunctionPage() override { calls.push_back("function page"); }
    void showProgress() override { calls.push_back("progress"); }
    void hideProgressLater() override { calls.push_back("progress off"); }
    void markDirty() override { calls.push_back("dirty"); }
    void resetSystemSettings() override { calls.push_back("system reset"); }
    void applySystemSettings() override { calls.push_back("system apply"); }
    void refreshPage() override { calls.push_back("refresh"); }
    void readAgainLater() override { calls.push_back("read later"); }
};

// The command interface of a product: the mouse has it on interface 1, the pad on interface 0.
std::string commandPath(const std::string& busDir, uint16_t product) {
    HidTransport transport(busRoots(busDir));
    if (!transport.enumerate()) return {};
    const uint16_t iface = product == 0x6656 ? 1 : 0;
    while (const char* p = transport.nextPath())
        if (parseProductId(p) == product && parseInterfaceNumber(p) == iface) return p;
    return {};
}

}  // namespace

class MouseAndPad : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bus.running()) << bus.error();
        ASSERT_TRUE(bus.plug("mouse"));
        ASSERT_TRUE(bus.plug("pad"));
        ASSERT_EQ(mouse.connect(commandPath(dir.path(), 0x6656)), 1);
        ASSERT_EQ(pad.connect(commandPath(dir.path(), 0x6758)), 1);
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
    std::vector<uint8_t> peek(const std::string& dev, sim::Area area, size_t offset, size_t length) {
        std::vector<uint8_t> out;
        EXPECT_TRUE(bus.peek(dev, area, offset, length, &out));
        return out;
    }
    void clear() {
        host.calls.clear();
        bus.clearWireRecords();
    }

    TempDir dir;
    sim::VirtualBus bus{dir.path()};
    HidRoots roots = busRoots(dir.path());
    DeviceChannel mouse{roots}, pad{roots};
    std::unique_ptr<MouseMirror> ms = std::make_unique<MouseMirror>();
    PadMirror mp;
    Host host;
    MouseTransfers mouseTransfers{*ms, mouse, host};
    PadTransfers padTransfers{mp, pad, host};
};

TEST_F(MouseAndPad, MouseReadAllTakesTheActiveBlockIntoTheRecord) {
    ASSERT_TRUE(bus.poke("mouse", sim::Area::Settings, 0, {3}));  // profile 3 is active
    ASSERT_TRUE(bus.poke("mouse", sim::Area::Keys, 2 * 126, {0x20, 0x00, 0x04}));
    EXPECT_EQ(mouseTransfers.readAll(), 1);
    EXPECT_EQ(host.calls, Calls{"save device"});
    // begin, info, default table (512 bytes: 10 reports), five blocks each with a 512-byte key
    // table, the active-profile byte, end.
    std::vector<uint8_t> expected{1, 3};
    expected.insert(expected.end(), 10, 7);
    for (int p = 0; p < 5; ++p) {
        expected.push_back(5);
        expected.insert(expected.end(), 10, 8);
    }
    expected.push_back(5);
    expected.push_back(2);
    EXPECT_EQ(commands("mouse"), expected);

    const std::vector<uint8_t> block3 = peek("mouse", sim::Area::Settings, 3 * 64, 56);
    EXPECT_EQ(ms->record[0], 3);
    EXPECT_EQ(0, std::memcmp(ms->record.data() + 1, block3.data() + 1, 22));
    EXPECT_EQ(0, std::memcmp(ms->blocks[3].data(), block3.data(), 56));
    EXPECT_EQ(ms->deviceInfo[9] | ms->deviceInfo[10] << 8, 0x3325);
    EXPECT_EQ(ms->keyTables[2][2], 0x04);
    EXPECT_EQ(ms->keyTables[0][0], 0x10);  // left button
}

TEST_F(MouseAndPad, AReadThatFailsHalfWayLeavesTheMirrorAndTheFileAlone) {
    ms->record[1] = 0x42;
    const MouseMirror before = *ms;
    ASSERT_TRUE(bus.unplugAfter("mouse", 20));
    EXPECT_NE(mouseTransfers.readAll(), 1);
    EXPECT_EQ(host.calls, Calls{});
    EXPECT_EQ(0, std::memcmp(&before, ms.get(), sizeof(MouseMirror)));

    DeviceChannel unconnected;  // the mouse this program never opens
    MouseTransfers idle{*ms, unconnected, host};
    EXPECT_EQ(idle.readAll(), 0);
    EXPECT_EQ(idle.switchProfile(2), 0);
    EXPECT_EQ(ms->record[1], 0x42);
    EXPECT_EQ(host.calls, Calls{});
}

TEST_F(MouseAndPad, MouseProfileSwitch) {
    mouseTransfers.readAll();
    clear();
    // Already active: one report, nothing changes.
    EXPECT_EQ(mouseTransfers.switchProfile(0), 1);
    EXPECT_EQ(commands("mouse"), std::vector<uint8_t>{5});
    EXPECT_EQ(host.calls, Calls{});

    clear();
    ms->record[15] = 9;  // an edit of profile 0 not yet flushed goes back into its block
    EXPECT_EQ(mouseTransfers.switchProfile(2), 1);
    EXPECT_EQ(commands("mouse"), (std::vector<uint8_t>{5, 6, 5}));
    EXPECT_EQ(host.calls, (Calls{"function page", "refresh"}));
    EXPECT_EQ(ms->blocks[0][15], 9);
    EXPECT_EQ(ms->record[0], 2);
    EXPECT_EQ(ms->record[6], 0x00);  // profile 2's colour 00 FF 60
    EXPECT_EQ(ms->record[7], 0xFF);
    EXPECT_EQ(peek("mouse", sim::Area::Settings, 0, 1)[0], 2);

    clear();
    EXPECT_EQ(mouseTransfers.switchProfile(5), -201);
    EXPECT_EQ(mouseTransfers.switchProfile(255), -201);
    EXPECT_TRUE(sent("mouse").empty());
}

TEST_F(MouseAndPad, SaveToDeviceWritesRecoilMacroAndKeyTableInOrder) {
    mouseTransfers.readAll();
    ms->record[0] = 1;
    ms->keyTables[1][3] = 0x13;  // button 1 becomes a DPI key
    std::vector<uint8_t> recoil(2920);
    for (size_t i = 0; i < recoil.size(); ++i) recoil[i] = uint8_t(i * 7);
    const std::vector<uint8_t> macro(300, 0x5C);
    mouseTransfers.setRecoilStep([&](size_t, std::vector<uint8_t>& image) {
        image = recoil;
        return int(ImageReady);
    });
    size_t capacityAsked = 0;
    mouseTransfers.setMacroStep([&](size_t capacity, std::vector<uint8_t>& image) {
        capacityAsked = capacity;
        image = macro;
        return int(ImageReady);
    });
    clear();
    mouseTransfers.saveToDevice();
    EXPECT_EQ(host.calls, (Calls{"progress", "save device", "progress off"}));
    EXPECT_EQ(capacityAsked, 16u * 128);
    const std::vector<uint8_t> cmds = commands("mouse");
    // Each image in its own frame, then the key table in its own.
    std::vector<uint8_t> framed;
    std::unique_copy(cmds.begin(), cmds.end(), std::back_inserter(framed));
    EXPECT_EQ(framed, (std::vector<uint8_t>{1, 23, 2, 1, 21, 2, 1, 9, 2}));
    EXPECT_EQ(peek("mouse", sim::Area::Recoil, 0, recoil.size()), recoil);
    EXPECT_EQ(peek("mouse", sim::Area::Macro, 0, macro.size()), macro);
    const std::vector<uint8_t> keys = peek("mouse", sim::Area::Keys, 126, 126);
    EXPECT_EQ(0, std::memcmp(keys.data(), ms->keyTables[1].data(), 126));
    // Exactly 126 bytes of key table: profile 2's table right after it is untouched.
    EXPECT_EQ(peek("mouse", sim::Area::Keys, 252, 3), (std::vector<uint8_t>{0x10, 0x01, 0x00}));
}

TEST_F(MouseAndPad, OversizedImagesAreNotWritten) {
    mouseTransfers.readAll();
    struct Case {
        const char* name;
        int recoilResult;
        size_t recoilBytes;
        int macroResult;
        size_t macroBytes;
        Calls calls;
        std::vector<uint8_t> framed;
    };
    const Case cases[] = {
        {"nothing to send", ImageNothing, 0, ImageNothing, 0, {"progress", "save device", "progress off"}, {1, 9, 2}},
        {"recoil too large", ImageReady, 3073, ImageNothing, 0, {"progress", "save device", "progress off"}, {1, 9, 2}},
        {"macro beyond capacity", ImageNothing, 0, ImageReady, 16 * 128 + 1,
         {"progress", "box message_text_16", "progress off"}, {}},
        {"macro refused by its step", ImageNothing, 0, ImageTooLarge, 0, {"progress", "progress off"}, {}},
        {"macro without memory", ImageNothing, 0, ImageNoMemory, 0,
         {"progress", "box message_text_7", "progress off"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mouseTransfers.setRecoilStep([&](size_t, std::vector<uint8_t>& image) {
            image.assign(c.recoilBytes, 1);
            return c.recoilResult;
        });
        mouseTransfers.setMacroStep([&](size_t, std::vector<uint8_t>& image) {
            image.assign(c.macroBytes, 1);
            return c.macroResult;
        });
        clear();
        mouseTransfers.saveToDevice();
        EXPECT_EQ(host.calls, c.calls);
        std::vector<uint8_t> framed;
        const std::vector<uint8_t> cmds = commands("mouse");
        std::unique_copy(cmds.begin(), cmds.end(), std::back_inserter(framed));
        EXPECT_EQ(framed, c.framed);
    }
    // Without the mouse the progress indicator still shows and hides.
    DeviceChannel unconnected;
    MouseTransfers idle{*ms, unconnected, host};
    host.calls.clear();
    idle.saveToDevice();
    EXPECT_EQ(host.calls, (Calls{"progress", "save device", "progress off"}));
}

TEST_F(MouseAndPad, MouseRereadResetAndLoadedProfiles) {
    mouseTransfers.readAll();
    ASSERT_TRUE(bus.poke("mouse", sim::Area::Settings, 2, {77}));
    clear();
    EXPECT_EQ(mouseTransfers.rereadActiveBlock(), 1);
    EXPECT_EQ(commands("mouse"), (std::vector<uint8_t>{5, 5}));
    EXPECT_EQ(ms->record[2], 77);
    EXPECT_EQ(host.calls, (Calls{"save lighting", "save device"}));

    clear();
    mouseTransfers.reset();
    EXPECT_EQ(host.calls, Calls{"system reset"});
    EXPECT_EQ(commands("mouse"), std::vector<uint8_t>{13});

    // A device profile loaded into block 0 and slot 0: 23 bytes of block 0, then the key table.
    clear();
    ms->blocks[0][1] = 4;
    ms->keyTables[0][0] = 0x20;
    mouseTransfers.applyDeviceProfile();
    EXPECT_EQ(host.calls, (Calls{"system apply", "refresh", "dirty"}));
    const auto out = sent("mouse");
    ASSERT_EQ(out.size(), 4u);  // 23 bytes, then 126 bytes of key table in three reports
    EXPECT_EQ(out[0][4], 23);
    EXPECT_EQ(ms->record[1], 4);
    EXPECT_EQ(peek("mouse", sim::Area::Keys, 0, 1)[0], 0x20);
}

TEST_F(MouseAndPad, PadSequences) {
    ASSERT_TRUE(bus.poke("pad", sim::Area::Settings, 0, {4}));
    EXPECT_EQ(padTransfers.readAll(), 1);
    EXPECT_EQ(commands("pad"), (std::vector<uint8_t>{1, 3, 5, 5, 5, 5, 5, 5, 2}));
    EXPECT_EQ(host.calls, Calls{"save lighting"});
    EXPECT_EQ(mp.record[0], 4);
    EXPECT_EQ(mp.record[6], 0xFF);  // profile 4 is white
    EXPECT_EQ(mp.record[1], 7);

    clear();
    EXPECT_EQ(padTransfers.switchProfile(4), 1);
    EXPECT_EQ(commands("pad"), std::vector<uint8_t>{5});
    EXPECT_EQ(padTransfers.switchProfile(1), 1);
    EXPECT_EQ(mp.record[0], 1);
    EXPECT_EQ(mp.record[1], 0);
    EXPECT_EQ(peek("pad", sim::Area::Settings, 0, 1)[0], 1);
    EXPECT_EQ(padTransfers.switchProfile(7), -201);

    clear();
    ASSERT_TRUE(bus.poke("pad", sim::Area::Settings, 64 + 2, {9}));
    EXPECT_EQ(padTransfers.rereadActiveBlock(), 1);
    EXPECT_EQ(mp.record[2], 9);
    EXPECT_EQ(mp.record[0], 1);
    EXPECT_EQ(host.calls, Calls{"save lighting"});

    clear();
    padTransfers.reset();
    EXPECT_EQ(commands("pad"), std::vector<uint8_t>{13});
    EXPECT_EQ(host.calls, Calls{"read later"});
}
