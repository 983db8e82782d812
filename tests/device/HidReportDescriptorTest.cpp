#include "device/hid/HidReportDescriptor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "support/TestSupport.h"

using testsupport::fromHex;

namespace {

constexpr int kIn = int(HidReportType::Input), kOut = int(HidReportType::Output);
constexpr int kFeat = int(HidReportType::Feature);

// The boot keyboard every BIOS understands: modifiers, a reserved byte, six key slots, five LEDs.
const char* const kBootKeyboard =
    "05 01 09 06 A1 01 05 07 19 E0 29 E7 15 00 25 01 75 01 95 08 81 02 95 01 75 08 81 01"
    "95 05 75 01 05 08 19 01 29 05 91 02 95 01 75 03 91 01"
    "95 06 75 08 15 00 25 65 05 07 19 00 29 65 81 00 C0";

// Four top-level collections: system control (id 1), mouse (id 2), consumer control (id 3, one
// 16-bit selector), vendor commands (id 4, 63 bytes each way).
const char* const kComposite =
    "05 01 09 80 A1 01 85 01 19 81 29 83 15 01 25 03 75 02 95 01 81 00 75 06 81 01 C0"
    "05 01 09 02 A1 01 85 02 09 01 A1 00 05 09 19 01 29 05 15 00 25 01 95 05 75 01 81 02"
    "  95 01 75 03 81 01 05 01 09 30 09 31 16 01 80 26 FF 7F 75 10 95 02 81 06"
    "  09 38 15 81 25 7F 75 08 95 01 81 06 C0 C0"
    "05 0C 09 01 A1 01 85 03 19 00 2A FF 0F 15 00 26 FF 0F 75 10 95 01 81 00 C0"
    "06 1C FF 09 92 A1 01 85 04 09 92 15 00 26 FF 00 75 08 95 3F 81 02 09 92 91 02 C0";

HidReportDescriptor parse(const std::string& hex) {
    const std::vector<uint8_t> bytes = fromHex(hex);
    HidReportDescriptor d;
    EXPECT_EQ(parseReportDescriptor(bytes.data(), bytes.size(), &d), 1) << hex;
    return d;
}

bool unpack(const HidCollection& c, std::vector<HidDataItem>& items, const std::string& reportHex) {
    const std::vector<uint8_t> report = fromHex(reportHex);
    return unpackInput(report.data(), report.size(), HidReportType::Input, items, c);
}

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

// One collection with reports 1..ids, each 4096 bytes long.
std::string reportsOf4096Bytes(int ids) {
    std::string hex = "A1 01 75 08 96 00 10 ";
    for (int id = 1; id <= ids; ++id) {
        char item[32];
        std::snprintf(item, sizeof item, "85 %02X 81 02 ", id);
        hex += item;
    }
    return hex + "C0";
}

// The descriptor followed by long items (prefix, size, tag, data) up to exactly `total` bytes.
std::vector<uint8_t> withLongItems(const std::string& hex, size_t total) {
    std::vector<uint8_t> bytes = fromHex(hex);
    while (bytes.size() < total) {
        size_t data = std::min<size_t>(255, total - bytes.size() - 3);
        const size_t left = total - bytes.size() - 3 - data;
        if (left == 1 || left == 2) data -= 3;  // leave room for one more whole item
        bytes.insert(bytes.end(), {0xFE, uint8_t(data), 0x10});
        bytes.insert(bytes.end(), data, 0xAA);
    }
    return bytes;
}

TEST(HidReportDescriptor, BootKeyboardCountsLengthsTheWindowsWay) {
    const HidReportDescriptor d = parse(kBootKeyboard);
    ASSERT_EQ(d.collections.size(), 1u);
    const HidCollection& c = d.collections[0];
    EXPECT_FALSE(d.numbersReports);
    EXPECT_EQ(c.usagePage, 0x01);
    EXPECT_EQ(c.usage, 0x06);
    EXPECT_EQ(c.reportLength[kIn], 9);   // 8 data bytes + the id byte nobody sends
    EXPECT_EQ(c.reportLength[kOut], 2);  // 5 LED bits + 3 padding bits
    EXPECT_EQ(c.reportLength[kFeat], 0);
    EXPECT_EQ(c.reportIds[kIn], std::vector<uint8_t>{0});
    EXPECT_TRUE(c.reportIds[kFeat].empty());

    EXPECT_TRUE(c.valueCaps[kIn].empty());  // padding is no capability

    std::vector<HidDataItem> items = buildDataItems(c, HidReportType::Input);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].maxUsageListLength, 8u);  // one usage per modifier bit
    EXPECT_EQ(items[1].maxUsageListLength, 6u);  // one per key slot
    // Left shift, right alt; keys a and b in slots 2 and 4 (the empty slots select usage 0).
    EXPECT_TRUE(unpack(c, items, "00 42 00 00 04 00 05 00 00"));
    EXPECT_EQ(items[0].usageList, (std::vector<uint16_t>{0xE1, 0xE6, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(items[1].usageList, (std::vector<uint16_t>{0x04, 0x05, 0, 0, 0, 0}));
}

TEST(HidReportDescriptor, CompositeCollectionsKeepTheirOwnReports) {
    const HidReportDescriptor d = parse(kComposite);
    EXPECT_TRUE(d.numbersReports);
    struct Expected { uint16_t page, usage; uint8_t id; uint16_t in, out; };
    const Expected expected[] = {
        {0x01, 0x80, 1, 2, 0}, {0x01, 0x02, 2, 7, 0}, {0x0C, 0x01, 3, 3, 0}, {0xFF1C, 0x92, 4, 64, 64}};
    ASSERT_EQ(d.collections.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        const HidCollection& c = d.collections[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(c.usagePage, expected[i].page);
        EXPECT_EQ(c.usage, expected[i].usage);
        EXPECT_EQ(c.reportIds[kIn], std::vector<uint8_t>{expected[i].id});
        EXPECT_EQ(c.reportLength[kIn], expected[i].in);
        EXPECT_EQ(c.reportLength[kOut], expected[i].out);
    }
    // The mouse's buttons sit in a nested collection and still belong to the mouse.
    EXPECT_EQ(d.collections[1].buttonCaps[kIn].size(), 1u);
    EXPECT_EQ(d.collections[1].valueCaps[kIn].size(), 2u);
}

TEST(HidReportDescriptor, ConsumerReportGivesTheSelectedUsageFirst) {
    const HidCollection c = parse(kComposite).collections[2];
    std::vector<HidDataItem> items = buildDataItems(c, HidReportType::Input);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].usageMinimum, 0);
    EXPECT_EQ(items[0].usageMaximum, 0x0FFF);
    EXPECT_EQ(items[0].maxUsageListLength, 1u);

    EXPECT_TRUE(unpack(c, items, "03 01 04"));
    EXPECT_EQ(items[0].usageList[0], 0x0401);
    EXPECT_TRUE(unpack(c, items, "03 00 00"));  // all released
    EXPECT_EQ(items[0].usageList[0], 0);

    // A report of another collection leaves the item alone.
    std::vector<HidDataItem> fresh = buildDataItems(c, HidReportType::Input);
    EXPECT_TRUE(unpack(c, fresh, "02 01 04"));
    EXPECT_FALSE(fresh[0].isDataSet);
}

TEST(HidReportDescriptor, MouseButtonsAndSignedValues) {
    const HidCollection c = parse(kComposite).collections[1];
    std::vector<HidDataItem> items = buildDataItems(c, HidReportType::Input);
    ASSERT_EQ(items.size(), 4u);  // buttons, then X, Y and wheel
    EXPECT_EQ(items[2].usage, 0x31);
    EXPECT_EQ(items[3].usage, 0x38);

    EXPECT_TRUE(unpack(c, items, "02 05 FF 7F 01 80 FF"));
    EXPECT_EQ(items[0].usageList, (std::vector<uint16_t>{1, 3, 0, 0, 0}));
    EXPECT_EQ(items[1].value, 0x7FFFu);
    EXPECT_EQ(items[1].scaledValue, 32767);
    EXPECT_EQ(items[2].value, 0x8001u);  // raw bits stay unsigned
    EXPECT_EQ(items[2].scaledValue, -32767);
    EXPECT_EQ(items[3].scaledValue, -1);
    EXPECT_EQ(items[3].status, HidStatusSuccess);

    // -128 is outside -127..127: null.
    EXPECT_TRUE(unpack(c, items, "02 00 00 00 00 00 80"));
    EXPECT_EQ(items[3].status, HidStatusNullValue);

    // Too short for Y: decoding stops there.
    std::vector<HidDataItem> shortItems = buildDataItems(c, HidReportType::Input);
    EXPECT_FALSE(unpack(c, shortItems, "02 01 10 00 20"));
    EXPECT_EQ(shortItems[0].usageList[0], 1);
    EXPECT_EQ(shortItems[1].scaledValue, 0x10);
    EXPECT_EQ(shortItems[2].status, HidStatusInvalidReportLength);
    EXPECT_FALSE(shortItems[2].isDataSet);
    EXPECT_FALSE(shortItems[3].isDataSet);
}

TEST(HidReportDescriptor, ArraySelectorsOutsideTheirRangesSelectNothing) {
    struct Case { const char* ranges; const char* element; uint16_t usage; };
    const Case cases[] = {
        {"19 00 2A FF 00 15 00 25 10", "10", 0x10},
        {"19 00 2A FF 00 15 00 25 10", "20", 0},     // above the logical maximum
        {"19 01 29 10 15 00 25 7F", "00", 1},
        {"19 01 29 10 15 00 25 7F", "10", 0},        // past the last usage
        {"19 00 29 10 15 00 25 10", "00", 0},        // usage 0 means no key
        {"19 20 29 22 15 FF 25 01", "FF", 0x20},     // signed selectors: -1 is the first
        {"19 20 29 22 15 FF 25 01", "02", 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(k.ranges) + " / " + k.element);
        const HidCollection c =
            parse(std::string("05 0C 09 01 A1 01 ") + k.ranges + " 75 08 95 01 81 00 C0").collections[0];
        std::vector<HidDataItem> items = buildDataItems(c, HidReportType::Input);
        ASSERT_EQ(items.size(), 1u);
        EXPECT_TRUE(unpack(c, items, std::string("00 ") + k.element));
        EXPECT_EQ(items[0].usageList[0], k.usage);
    }
}

TEST(HidReportDescriptor, ElementsAndUsagesPairUpTheHidWay) {
    // Four button bits for two usages: the last usage takes the spare bits.
    const HidCollection buttons = parse("05 09 09 01 A1 01 19 01 29 02 75 01 95 04 81 02 C0").collections[0];
    std::vector<HidDataItem> items = buildDataItems(buttons, HidReportType::Input);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].maxUsageListLength, 2u);
    EXPECT_TRUE(unpack(buttons, items, "00 09"));
    EXPECT_EQ(items[0].usageList, (std::vector<uint16_t>{1, 2}));

    // Two values for six usages: only the first two have data.
    const HidCollection values =
        parse("05 01 09 05 A1 01 19 30 29 35 15 00 25 64 75 08 95 02 81 02 C0").collections[0];
    items = buildDataItems(values, HidReportType::Input);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[1].usage, 0x31);
    EXPECT_TRUE(unpack(values, items, "00 0A 14"));
    EXPECT_EQ(items[1].scaledValue, 20);

    // A button field the report is too short for reads as nothing, and decoding goes on.
    items = buildDataItems(buttons, HidReportType::Input);
    EXPECT_TRUE(unpack(buttons, items, "00"));
    EXPECT_EQ(items[0].status, HidStatusInvalidReportLength);
    EXPECT_EQ(items[0].usageList, (std::vector<uint16_t>{0, 0}));
}

TEST(HidReportDescriptor, ScalesLogicalOntoPhysicalRange) {
    struct Case { const char* extents; const char* report; uint32_t status; int32_t scaled; };
    const Case cases[] = {
        {"15 00 25 FF 35 00 46 E8 03", "FF", HidStatusSuccess, 1000},   // 0..255 written with one byte
        {"15 00 25 FF 35 00 46 E8 03", "80", HidStatusSuccess, 501},    // 128*1000/255, truncated
        {"15 00 26 FF 00 35 A6 45 5A", "00", HidStatusSuccess, -90},
        {"15 00 26 FF 00", "C8", HidStatusSuccess, 200},                // no physical range: logical
        {"15 81 25 7F 35 00 45 00", "81", HidStatusSuccess, -127},
        {"15 0A 25 14", "05", HidStatusNullValue, 0},
        {"15 05 25 05", "05", HidStatusBadLogPhyValues, 0},
        {"15 00 25 0A 35 0A 45 00", "05", HidStatusBadLogPhyValues, 0},  // physical range upside down
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.extents);
        const HidCollection c =
            parse(std::string("06 00 FF 09 01 A1 01 09 02 ") + k.extents + " 75 08 95 01 81 02 C0").collections[0];
        std::vector<HidDataItem> items = buildDataItems(c, HidReportType::Input);
        ASSERT_EQ(items.size(), 1u);
        EXPECT_TRUE(unpack(c, items, std::string("00 ") + k.report));
        EXPECT_EQ(items[0].status, k.status);
        EXPECT_EQ(items[0].scaledValue, k.scaled);
    }
}

TEST(HidReportDescriptor, ResolvesSignOfExtentsAgainstTheirPair) {
    struct Case { const char* extents; int32_t min, max; };
    const Case cases[] = {
        {"15 00 25 FF", 0, 255},
        {"15 81 25 7F", -127, 127},
        {"15 FF 25 01", -1, 1},
        {"15 01 25 80", 1, 128},
        {"16 00 80 26 FF 7F", -32768, 32767},
        {"17 00 00 00 80 27 FF FF FF 7F", INT32_MIN, INT32_MAX},
        {"15 80 25 FF", -128, -1},
    };
    for (const Case& k : cases) {
        const HidField f =
            parse(std::string("A1 01 ") + k.extents + " 75 20 95 01 81 02 C0").collections[0].valueCaps[kIn][0];
        EXPECT_EQ(f.logicalMin, k.min) << k.extents;
        EXPECT_EQ(f.logicalMax, k.max) << k.extents;
    }
}

TEST(HidReportDescriptor, ListedUsagesAndRunsOfUsages) {
    // Consumer bits listed one by one: volume up, volume down, mute, play/pause; 4 bits padding.
    const HidCollection c =
        parse("05 0C 09 01 A1 01 09 E9 09 EA 09 E2 09 CD 15 00 25 01 75 01 95 04 81 02 95 04 81 01 C0").collections[0];
    std::vector<HidDataItem> items = buildDataItems(c, HidReportType::Input);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].usageMinimum, 0xCD);
    EXPECT_EQ(items[0].usageMaximum, 0xEA);
    EXPECT_EQ(items[0].maxUsageListLength, 4u);
    EXPECT_TRUE(unpack(c, items, "00 0A"));
    EXPECT_EQ(items[0].usageList, (std::vector<uint16_t>{0xEA, 0xCD, 0, 0}));

    // Buttons 1..3 then, written as a 32-bit usage, consumer mute: two fields, one after the other.
    const HidCollection mixed =
        parse("05 09 09 01 A1 01 19 01 29 03 0B E2 00 0C 00 15 00 25 01 75 01 95 04 81 02 C0").collections[0];
    ASSERT_EQ(mixed.buttonCaps[kIn].size(), 2u);
    EXPECT_EQ(mixed.buttonCaps[kIn][1].usagePage, 0x0C);
    items = buildDataItems(mixed, HidReportType::Input);
    EXPECT_TRUE(unpack(mixed, items, "00 0A"));
    EXPECT_EQ(items[0].usageList, (std::vector<uint16_t>{2, 0, 0}));
    EXPECT_EQ(items[1].usageList, (std::vector<uint16_t>{0xE2}));

    // An array selecting among two listed usages, then a range: selectors 1..5.
    const HidCollection sel =
        parse("05 0C 09 01 A1 01 09 81 09 82 19 B5 29 B7 15 01 25 05 75 08 95 02 81 00 C0").collections[0];
    items = buildDataItems(sel, HidReportType::Input);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_TRUE(unpack(sel, items, "00 04 01"));
    EXPECT_EQ(items[0].usageList, (std::vector<uint16_t>{0x81, 0}));
    EXPECT_EQ(items[1].usageList, (std::vector<uint16_t>{0xB6, 0}));
}

TEST(HidReportDescriptor, PushPopLongItemsAndExtendedUsages) {
    // Push keeps report size 16 while an 8-bit field is described; the pop brings it back.
    const HidCollection c = parse(
        "06 00 FF 09 01 A1 01 75 10 95 01 A4 75 08 09 02 81 02 B4 09 03 FE 02 10 AA BB 81 02 C0").collections[0];
    ASSERT_EQ(c.valueCaps[kIn].size(), 2u);
    EXPECT_EQ(c.valueCaps[kIn][0].reportSize, 8);
    EXPECT_EQ(c.valueCaps[kIn][1].reportSize, 16);
    EXPECT_EQ(c.reportLength[kIn], 4);

    // A 32-bit usage names its own page, whatever page is in force.
    const HidCollection e = parse("05 01 0B 01 00 0C 00 A1 01 C0").collections[0];
    EXPECT_EQ(e.usagePage, 0x0C);
    EXPECT_EQ(e.usage, 0x01);
}

TEST(HidReportDescriptor, LimitsAreInclusive) {
    const std::string accepted[] = {
        repeat("A1 00 ", 32) + repeat("C0 ", 32),
        repeat("A4 ", 16) + "A1 01 C0",
        "A1 01 75 01 95 01 " + repeat("81 02 ", 254) + "C0",  // 256 main items
        reportsOf4096Bytes(16),                                 // 64 KiB of reports
    };
    for (const std::string& hex : accepted) {
        const std::vector<uint8_t> bytes = fromHex(hex);
        HidReportDescriptor d;
        EXPECT_EQ(parseReportDescriptor(bytes.data(), bytes.size(), &d), 1) << hex.substr(0, 60);
    }
    const HidReportDescriptor d = parse(reportsOf4096Bytes(1));
    EXPECT_EQ(d.collections[0].reportLength[kIn], 4097);

    // Long items are stepped over whole, up to the longest descriptor we take.
    HidReportDescriptor padded;
    const std::vector<uint8_t> longest = withLongItems(kBootKeyboard, 4096);
    ASSERT_EQ(parseReportDescriptor(longest.data(), longest.size(), &padded), 1);
    EXPECT_EQ(padded.collections[0].reportLength[kIn], 9);
    const std::vector<uint8_t> tooLong = withLongItems(kBootKeyboard, 4097);
    EXPECT_EQ(parseReportDescriptor(tooLong.data(), tooLong.size(), &padded), 0);
}

TEST(HidReportDescriptor, RefusesMalformedDescriptors) {
    const std::string open = "05 01 09 02 A1 01 ";
    struct Case { const char* why; std::string hex; };
    const Case cases[] = {
        {"empty", ""},
        {"no collection", "05 01 09 02"},
        {"truncated item", open + "C0 05"},
        {"data overruns", open + "C0 06 01"},
        {"long item overruns", open + "C0 FE 05 00 01 02"},
        {"report size 0", open + "75 00 95 01 81 02 C0"},
        {"report size 33", open + "75 21 95 01 81 02 C0"},
        {"no report size", open + "95 01 81 02 C0"},
        {"report of 4097 bytes", open + "75 08 96 01 10 81 02 C0"},
        {"absurd report count", open + "75 01 97 FF FF FF FF 81 02 C0"},
        {"reports over 64 KiB together", reportsOf4096Bytes(17)},
        {"array of 4096 elements in 129 runs", open + "75 08 96 00 10 " + repeat("19 01 29 02 ", 129) + "81 00 C0"},
        {"end without collection", "C0"},
        {"collection left open", open},
        {"nested 33 deep", repeat("A1 00 ", 33) + repeat("C0 ", 33)},
        {"257 main items", "A1 01 75 01 95 01 " + repeat("81 02 ", 255) + "C0"},
        {"pop without push", "B4 " + open + "C0"},
        {"17 pushes", repeat("A4 ", 17) + open + "C0"},
        {"report id 0", open + "85 00 C0"},
        {"report id 256", open + "86 00 01 C0"},
        {"usage min above max", open + "19 05 29 01 75 01 95 01 81 02 C0"},
        {"usage min without max", open + "19 01 75 01 95 01 81 02 C0"},
        {"range across pages", open + "1B 01 00 09 00 2B 05 00 0C 00 75 01 95 01 81 02 C0"},
        {"field outside collections", "75 08 95 01 81 02 " + open + "C0"},
        {"field before first report id", open + "75 08 95 01 81 02 85 01 81 02 C0"},
    };
    for (const Case& k : cases) {
        const std::vector<uint8_t> bytes = fromHex(k.hex);
        HidReportDescriptor d;
        d.numbersReports = true;
        d.collections.resize(1);
        EXPECT_EQ(parseReportDescriptor(bytes.data(), bytes.size(), &d), 0) << k.why;
        EXPECT_TRUE(d.collections.empty()) << k.why;
    }
}

}  // namespace
