// The emulated devices' identities, descriptors, key layouts and factory memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "device/hid/HidReportDescriptor.h"
#include "sim/DeviceCatalog.h"
#include "sim/KeyLayouts.h"
#include "sim/ReportDescriptors.h"

using namespace sim;

namespace {

constexpr int kIn = int(HidReportType::Input), kOut = int(HidReportType::Output);

HidReportDescriptor parse(std::span<const uint8_t> bytes) {
    HidReportDescriptor d;
    EXPECT_EQ(parseReportDescriptor(bytes.data(), bytes.size(), &d), 1);
    return d;
}

std::set<std::array<uint8_t, 3>> codesOf(std::span<const KeyCode> layout) {
    std::set<std::array<uint8_t, 3>> out;
    for (const KeyCode& k : layout)
        if (k != KeyCode{}) out.insert({k.type, k.p1, k.p2});
    return out;
}

}  // namespace

TEST(DeviceCatalog, IdentitiesAndInterfaces) {
    struct Row {
        const char* name;
        uint16_t product;
        uint8_t commandInterface;
        size_t commandCollection;  // 1-based, in descriptor order
        size_t keyCount;
    };
    const Row rows[] = {
        {"kb", 0x751D, 1, 4, 126}, {"small", 0x761E, 1, 4, 20}, {"companion", 0x7624, 1, 4, 16},
        {"mouse", 0x6656, 1, 1, 42}, {"pad", 0x6758, 0, 1, 0},
    };
    ASSERT_EQ(deviceCatalog().size(), std::size(rows));
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const DeviceDefinition* def = findDevice(r.name);
        ASSERT_NE(def, nullptr);
        EXPECT_EQ(def->vendorId, 0x0C45);
        EXPECT_EQ(def->productId, r.product);
        EXPECT_EQ(def->commandInterface, r.commandInterface);
        EXPECT_EQ(def->keyCount, r.keyCount);
        const InterfaceDefinition* command = nullptr;
        for (const InterfaceDefinition& i : def->interfaces)
            if (i.number == def->commandInterface) command = &i;
        ASSERT_NE(command, nullptr);
        const HidReportDescriptor d = parse(command->descriptor);
        ASSERT_GE(d.collections.size(), r.commandCollection);
        const HidCollection& c = d.collections[r.commandCollection - 1];
        EXPECT_EQ(c.usagePage, kCommandUsagePage);
        EXPECT_EQ(c.usage, kCommandUsage);
        EXPECT_EQ(c.reportIds[kIn], std::vector<uint8_t>{4});
        EXPECT_EQ(c.reportLength[kIn], 64);
        EXPECT_EQ(c.reportLength[kOut], 64);
    }
    EXPECT_EQ(findDevice("keyboard"), nullptr);
}

TEST(DeviceCatalog, KeyboardInterfaceOneHasItsFourCollectionsInOrder) {
    const HidReportDescriptor d = parse(keyboardExtrasDescriptor());
    ASSERT_EQ(d.collections.size(), 4u);
    const std::pair<uint16_t, uint16_t> usages[] = {{0x01, 0x80}, {0x01, 0x06}, {0x0C, 0x01}, {0xFF1C, 0x92}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(d.collections[i].usagePage, usages[i].first) << i;
        EXPECT_EQ(d.collections[i].usage, usages[i].second) << i;
        EXPECT_EQ(d.collections[i].reportIds[kIn], std::vector<uint8_t>{uint8_t(i + 1)}) << i;
    }
    // The consumer collection carries the private codes: decode a press of 0x0401.
    const HidCollection& consumer = d.collections[2];
    EXPECT_EQ(consumer.reportLength[kIn], 3);
    std::vector<HidDataItem> items = buildDataItems(consumer, HidReportType::Input);
    ASSERT_FALSE(items.empty());
    ASSERT_TRUE(items[0].isButtonData);
    const uint8_t press[3] = {kConsumerReportId, 0x01, 0x04};
    unpackInput(press, 3, HidReportType::Input, items, consumer);
    ASSERT_FALSE(items[0].usageList.empty());
    EXPECT_EQ(items[0].usageList[0], 0x0401);

    const HidReportDescriptor boot = parse(bootKeyboardDescriptor());
    ASSERT_EQ(boot.collections.size(), 1u);
    EXPECT_FALSE(boot.numbersReports);
    EXPECT_EQ(boot.collections[0].reportLength[kIn], 9);   // 8 bytes + the report-id byte
    EXPECT_EQ(boot.collections[0].reportLength[kOut], 2);
    EXPECT_EQ(parse(bootMouseDescriptor()).collections.size(), 1u);
}

TEST(KeyLayouts, SizesAndKnownPositions) {
    const auto kb = keyboardLayout();
    ASSERT_EQ(kb.size(), 126u);
    ASSERT_EQ(smallKeyboardLayout().size(), 20u);
    ASSERT_EQ(companionKeyboardLayout().size(), 16u);
    // Column-major scan: the first column is Esc, `, Tab, Caps Lock, left Shift, left Ctrl.
    const KeyCode firstColumn[] = {{0x20, 0, 0x29}, {0x20, 0, 0x35}, {0x20, 0, 0x2B},
                                   {0x20, 0, 0x39}, {0x20, 0x02, 0}, {0x20, 0x01, 0}};
    for (size_t i = 0; i < 6; ++i) EXPECT_EQ(kb[i], firstColumn[i]) << i;
    EXPECT_EQ(kb[6], (KeyCode{0x20, 0, 0x3A}));  // F1 heads the second column
    EXPECT_EQ(kb[18 * 6 + 3], (KeyCode{0xA0, 0x33, 0x00}));  // the lighting key
    EXPECT_EQ(smallKeyboardLayout()[0], (KeyCode{0xD0, 0xA2, 1}));
    EXPECT_EQ(companionKeyboardLayout()[15], (KeyCode{0x20, 0, 0x62}));  // Num 0 last
}

TEST(KeyLayouts, UnitsShareKeysWithTheKeyboard) {
    const auto kb = codesOf(keyboardLayout());
    EXPECT_EQ(kb.size(), 116u);  // every key position distinct; ten positions empty
    EXPECT_EQ(std::count(keyboardLayout().begin(), keyboardLayout().end(), KeyCode{}), 10);

    const auto small = codesOf(smallKeyboardLayout());
    ASSERT_EQ(small.size(), 20u);
    size_t gKeys = 0, shared = 0;
    for (const auto& code : small) {
        if (code[0] == 0xD0) ++gKeys;
        else if (kb.count(code)) ++shared;
    }
    EXPECT_EQ(gKeys, 6u);    // the G keys live on the small keyboard only
    EXPECT_EQ(shared, 14u);  // everything else is also on the keyboard

    const auto companion = codesOf(companionKeyboardLayout());
    ASSERT_EQ(companion.size(), 16u);
    for (const auto& code : companion) EXPECT_TRUE(kb.count(code)) << int(code[2]);
}

TEST(DeviceCatalog, FactoryMemory) {
    for (const DeviceDefinition& def : deviceCatalog()) {
        SCOPED_TRACE(def.name);
        for (size_t a = 0; a < kAreaCount; ++a)
            EXPECT_EQ(factoryContents(def, Area(a)).size(), def.areaSize[a]) << areaName(Area(a));
        const auto info = factoryContents(def, Area::Info);
        EXPECT_EQ(info[5], def.keyCount);
        EXPECT_EQ(size_t(info[6]) * 128, def.areaSize[size_t(Area::Macro)]);
        const auto settings = factoryContents(def, Area::Settings);
        EXPECT_EQ(settings[0], 0);  // profile 0 active
        for (size_t p = 0; p < 5; ++p) {
            EXPECT_NE(settings[p * 64 + 2], 0) << "brightness of block " << p;
            EXPECT_NE(settings[p * 64 + 6] | settings[p * 64 + 7] | settings[p * 64 + 8], 0) << p;
        }
        // Profile 0's key table is the default table.
        const auto defaults = factoryContents(def, Area::DefaultKeys);
        const auto keys = factoryContents(def, Area::Keys);
        const size_t n = size_t(def.keyCount) * 3;
        if (n) {
            EXPECT_TRUE(std::equal(defaults.begin(), defaults.begin() + ptrdiff_t(n), keys.begin()));
        }
    }
    const auto mouseInfo = factoryContents(*findDevice("mouse"), Area::Info);
    EXPECT_EQ(mouseInfo[9] | (mouseInfo[10] << 8), 0x3325);
    EXPECT_EQ(mouseInfo[13] | (mouseInfo[14] << 8), 200);
    EXPECT_EQ(200 + mouseInfo[11] * mouseInfo[12], 5000);
    // The mouse's 42-key tables do not overlap: every profile holds the defaults.
    const auto mouseKeys = factoryContents(*findDevice("mouse"), Area::Keys);
    for (size_t p = 1; p < 5; ++p)
        EXPECT_TRUE(std::equal(mouseKeys.begin(), mouseKeys.begin() + 126, mouseKeys.begin() + ptrdiff_t(p * 126))) << p;
}

TEST(DeviceCatalog, AreaNamesRoundTrip) {
    for (size_t a = 0; a < kAreaCount; ++a) {
        Area back;
        ASSERT_TRUE(areaFromName(areaName(Area(a)), &back));
        EXPECT_EQ(back, Area(a));
    }
    Area unused;
    EXPECT_FALSE(areaFromName("Info", &unused));
    EXPECT_FALSE(areaFromName("", &unused));
}
