#include <gtest/gtest.h>

#include "integration/BusFixture.h"
#include "macro/MacroTable.h"
#include "macro/MacroTransfer.h"
#include "support/TestSupport.h"

using namespace macro;
using testsupport::toHex;

namespace {

std::vector<MacroAction> actions(int n) {
    std::vector<MacroAction> out;
    for (int i = 0; i < n; ++i) out.push_back(*parseActionLine(std::to_string(i % 256) + ",0,138,4,1,keyboard_key_A"));
    return out;
}

}  // namespace

TEST(MacroTable, LayoutForNoneOneAndMany) {
    EXPECT_TRUE(buildMacroImage({}).empty());
    EXPECT_EQ(toHex(buildMacroImage({{}}).data(), 22), "aa551600010000000000000000000000120000000000");
    // Two macros of one and two actions: T = 40, records at 20 and 28.
    const std::vector<uint8_t> two = buildMacroImage({actions(1), actions(2)});
    EXPECT_EQ(toHex(two.data(), two.size()),
              "aa552800020000000000000000000000" "14001c00" "01000000" "00008a04"
              "02000000" "00008a04" "01008a04");

    MacroList many(50, actions(100));
    const std::vector<uint8_t> image = buildMacroImage(many);
    ASSERT_EQ(image.size(), 16u + 6 * 50 + 4 * 5000);
    for (size_t i = 0; i < 50; ++i) {
        const size_t at = image[16 + 2 * i] | image[17 + 2 * i] << 8;
        EXPECT_EQ(at, 16 + 100 + i * 404) << i;
        EXPECT_EQ(image[at], 100);
    }
}

TEST(MacroTable, CapacityEdges) {
    EXPECT_EQ(macroImageSize({actions(510)}), 2062u);
    EXPECT_EQ(surplusActions(2062, 2048), 4);
    EXPECT_EQ(surplusActions(2046, 2048), 0);
    EXPECT_EQ(surplusActions(2048, 2048), 0);
    EXPECT_EQ(macroImageSize({{}, {}, {}}), 16u + 18);
}

namespace {

struct TransferTest : testsupport::BusTest {
    DeviceChannel small{testsupport::busRoots(dir.path())};
    DeviceChannel companion{testsupport::busRoots(dir.path())};
    testsupport::TempDir data;
    MacroStore store{data.path() + "/", MacroListKind::keyboard};
    std::vector<std::pair<std::string, std::optional<int>>> shown;
    MacroMessage show = [this](const std::string& key, std::optional<int> v) { shown.emplace_back(key, v); };

    void makeMacro(int n) {
        std::string name;
        ASSERT_EQ(store.add(&name), MacroOk);
        ASSERT_TRUE(store.saveActions(name, actions(n)));
    }
    std::vector<uint8_t> peek(const std::string& dev, size_t n) {
        std::vector<uint8_t> out;
        EXPECT_TRUE(bus.peek(dev, sim::Area::Macro, 0, n, &out));
        return out;
    }
};

}  // namespace

TEST_F(TransferTest, SendsTheSameImageToEveryConnectedUnit) {
    for (const char* unit : {"small", "companion"}) ASSERT_TRUE(bus.plug(unit));
    ASSERT_EQ(small.connect(testsupport::findPath(dir.path(), 0x761E, 4)), 1);
    ASSERT_EQ(companion.connect(testsupport::findPath(dir.path(), 0x7624, 4)), 1);
    DeviceChannel* units[] = {&kb, &small, &companion};

    EXPECT_EQ(saveMacrosToDevice(store, units, 2048, show), 1);  // empty list: nothing at all
    EXPECT_TRUE(sent().empty());

    makeMacro(3);
    makeMacro(0);
    const std::vector<uint8_t> expected = buildMacroImage(loadMacroList(store));
    ASSERT_EQ(saveMacrosToDevice(store, units, 2048, show), 1);
    for (const char* unit : {"kb", "small", "companion"}) EXPECT_EQ(peek(unit, expected.size()), expected) << unit;
    EXPECT_TRUE(shown.empty());
    // Commands 1, 1, 1, then 21 to each, then 2 to each.
    std::vector<int> order;
    for (const sim::WireRecord& r : bus.wireRecords())
        if (r.dir == sim::WireDir::Out && r.bytes.size() > 3) order.push_back(r.bytes[3]);
    EXPECT_EQ(order, (std::vector<int>{1, 1, 1, 21, 21, 21, 2, 2, 2}));
}

TEST_F(TransferTest, TooLargeOrFailingStopsTheSaveAndSaysSo) {
    DeviceChannel* units[] = {&kb, &small, &companion};  // the add-on units are not connected
    makeMacro(510);
    EXPECT_EQ(saveMacrosToDevice(store, units, 2048, show), 0);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].first, "message_text_16");
    EXPECT_EQ(shown[0].second, 4);
    EXPECT_TRUE(sent().empty());

    ASSERT_TRUE(store.saveActions("name_1", actions(506)));  // T = 2046
    EXPECT_EQ(saveMacrosToDevice(store, units, 2048, show), 1);
    EXPECT_EQ(shown.size(), 1u);  // unconnected units are no failure

    shown.clear();
    ASSERT_TRUE(bus.failCommand("kb", CmdWriteMacroTable, 0xFF));
    EXPECT_EQ(saveMacrosToDevice(store, units, 2048, show), 0);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].first, kDeviceNotUpdatedKey);
    EXPECT_EQ(sent().back()[3], 2);  // command 1 still met by command 2
}
