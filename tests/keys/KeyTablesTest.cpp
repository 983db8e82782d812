// The built-in tables: sizes, a few known rows, and the invariants the lookups rely on.
#include <gtest/gtest.h>

#include <set>

#include "keys/FunctionTables.h"
#include "keys/KeyCodeTable.h"
#include "keys/KeyboardDefaultCodes.h"
#include "keys/MouseDefaultKeys.h"

using namespace keys;

TEST(KeyTables, SizesFollowTheEditorCombos) {
    EXPECT_EQ(kMouseKeyTable.size(), 5u);
    EXPECT_EQ(kDpiKeyTable.size(), 3u);
    EXPECT_EQ(kSystemKeyTable.size(), 3u);
    EXPECT_EQ(kMediaKeyTable.size(), 18u);
    EXPECT_EQ(kGunNames.size(), 4u);
    EXPECT_EQ(gKeyTable().size(), 6u);
    EXPECT_EQ(keyCodeTable().size(), 132u);
    EXPECT_EQ(kKeyboardDefaultCodes.size(), 132u);
    EXPECT_EQ(kMacroKeyRowCount, 106);
}

TEST(KeyTables, KnownChoiceRows) {
    EXPECT_EQ(kMouseKeyTable[1].function, (KeyFunction{0x10, 0x04, 0x00}));
    EXPECT_EQ(kMouseKeyTable[4].name, "mouse_key_back");
    EXPECT_EQ(kDpiKeyTable[2].function, (KeyFunction{0x13, 0x03, 0x00}));
    EXPECT_EQ(kSystemKeyTable[2].name, "system_wake_up");
    // Media rows store the consumer usage low byte first.
    EXPECT_EQ(kMediaKeyTable[0].function, (KeyFunction{0x30, 0x83, 0x01}));
    EXPECT_EQ(kMediaKeyTable[9].name, "web_refresh");
    EXPECT_EQ(kMediaKeyTable[17].function, (KeyFunction{0x30, 0x8A, 0x01}));
    EXPECT_EQ(gKeyTable()[5].function, (KeyFunction{0xD0, 0xA2, 0x06}));
    EXPECT_EQ(lightingFunctionKey().function, (KeyFunction{0xA0, 0x33, 0x00}));
    EXPECT_EQ(kHorizontalSwingTemplates[1].type, 0x11);
    EXPECT_EQ(kVerticalSwingTemplates[0].type, 0x12);
}

TEST(KeyTables, KnownKeyCodeRows) {
    struct Row {
        int row;
        uint16_t vk;
        KeyFunction function;
        std::string_view name;
    };
    const Row rows[] = {
        {0, 0xA2, {0x20, 0x01, 0x00}, "keyboard_key_LCtrl"},
        {7, 0x5C, {0x20, 0x80, 0x00}, "keyboard_key_RWin"},
        {8, 0x41, {0x20, 0x00, 0x04}, "keyboard_key_A"},
        {53, 0xDC, {0x20, 0x00, 0x31}, "keyboard_key_xiegang"},
        {54, 0xBA, {0x20, 0x00, 0x33}, "keyboard_key_;"},
        {91, 0x101, {0x20, 0x00, 0x58}, "keyboard_key_Num Enter"},
        {103, 0x5D, {0x20, 0x00, 0x65}, "keyboard_key_App"},
        {104, 0xB7, {0x30, 0x92, 0x01}, "keyboard_key_Launch App2"},
        {105, 0xAC, {0x30, 0x23, 0x02}, "keyboard_key_Browaer Home"},
        {121, 0xB5, {0x30, 0x83, 0x01}, "keyboard_key_Launch Media Select"},
        {124, 0x105, {0x40, 0x04, 0x00}, "keyboard_key_Wakeup"},
        {125, 0x00, {0xD0, 0xA2, 0x01}, "keyboard_key_G1"},
        {131, 0x00, {0xA0, 0x33, 0x00}, "keyboard_key_Function Deng"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.row);
        const KeyCodeRow& row = keyCodeTable()[std::size_t(r.row)];
        EXPECT_EQ(row.virtualKey, r.vk);
        EXPECT_EQ(row.function, r.function);
        EXPECT_EQ(row.name, r.name);
    }
}

TEST(KeyTables, KeyCodeRowsAreFoundByTheirOwnCodes) {
    // Every row with a key event code is the first with that code, except row 121, which repeats
    // row 120; names are unique apart from that pair.
    std::set<std::string_view> names;
    for (int row = 0; row < kKeyCodeRowCount; ++row) {
        SCOPED_TRACE(row);
        const KeyCodeRow& r = keyCodeTable()[std::size_t(row)];
        EXPECT_FALSE(r.name.empty());
        if (row == 121) {
            EXPECT_EQ(findKeyCodeRowByVirtualKey(r.virtualKey), 120);
            continue;
        }
        EXPECT_TRUE(names.insert(r.name).second);
        if (r.virtualKey != 0) {
            EXPECT_EQ(findKeyCodeRowByVirtualKey(r.virtualKey), row);
        }
        // The system-key rows share their parameters with the first three modifiers, which the
        // type-blind lookup finds first.
        const bool systemRow = row >= 122 && row <= 124;
        EXPECT_EQ(findKeyCodeRowByParams(r.function.p1, r.function.p2), systemRow ? row - 122 : row);
        EXPECT_EQ(r.function.is(KeyFunctionType::KeyboardKey), row < kFirstConsumerKeyRow);
    }
}

TEST(KeyTables, RowLookupsRespectTheirLimits) {
    EXPECT_EQ(findKeyCodeRowByVirtualKey(0), -1);  // the G-key rows are never found by a key event
    EXPECT_EQ(findKeyCodeRowByVirtualKey(0xAC, kMacroKeyRowCount), 105);
    EXPECT_EQ(findKeyCodeRowByVirtualKey(0xB3, kMacroKeyRowCount), -1);
    EXPECT_EQ(findKeyCodeRowByVirtualKey(0x41, 999), 8);
    EXPECT_EQ(findKeyCodeRowByVirtualKey(0x41, -5), -1);
    EXPECT_EQ(findKeyCodeRowByVirtualKey(0x7FFFFFFF), -1);
    // Modifier bits 0xE9 share their bytes with the volume-up row; only the type-blind lookup
    // finds it.
    EXPECT_EQ(findKeyCodeRowByParams(0xE9, 0x00), 109);
    EXPECT_EQ(findKeyboardKeyRowByParams(0xE9, 0x00), -1);
    EXPECT_EQ(keyEventVirtualKey(0x0D, 0x01), 0x101);
    EXPECT_EQ(keyEventVirtualKey(0x0D, 0x81), 0x101);
    EXPECT_EQ(keyEventVirtualKey(0x0D, 0x80), 0x0D);
    EXPECT_EQ(keyEventVirtualKey(0x26, 0x01), 0x26);
}

TEST(KeyTables, KeyboardDefaultCodesTakeTheirRows) {
    struct Known {
        int key;
        KeyFunction code;
    };
    const Known known[] = {
        {0, {0x20, 0x00, 0x29}},    // Esc
        {16, {0x30, 0x23, 0x02}},   // Browser Home
        {62, {0x00, 0x00, 0x00}},   // no key
        {64, {0x20, 0x00, 0x04}},   // A
        {81, {0xA0, 0x33, 0x00}},   // lighting function key
        {84, {0x20, 0x02, 0x00}},   // left Shift
        {102, {0x20, 0x00, 0x64}},  // the extra key beside left Shift
        {110, {0xA0, 0x02, 0x02}},  // the function key
        {118, {0x20, 0x00, 0x58}},  // Num Enter
        {125, {0x20, 0x80, 0x00}},  // right Win
        {131, {0xD0, 0xA2, 0x06}},  // G6
    };
    for (const Known& k : known) {
        SCOPED_TRACE(k.key);
        EXPECT_EQ(kKeyboardDefaultCodes[std::size_t(k.key)], k.code);
        EXPECT_EQ(keyboardDefaultCode(k.key), k.code);
    }
    EXPECT_EQ(keyboardDefaultCode(-1), std::nullopt);
    EXPECT_EQ(keyboardDefaultCode(132), std::nullopt);

    // Every key but the empty positions is a distinct key: the mirror finds keys on a unit by code.
    std::set<std::tuple<uint8_t, uint8_t, uint8_t>> seen;
    int empty = 0;
    for (const KeyFunction& code : kKeyboardDefaultCodes) {
        if (code == KeyFunction{}) {
            ++empty;
            continue;
        }
        EXPECT_TRUE(seen.insert({code.type, code.p1, code.p2}).second);
    }
    EXPECT_EQ(empty, 10);
}

TEST(KeyTables, MouseBuiltInDefaults) {
    constexpr auto table = mouseBuiltInDefaultKeyTable();
    static_assert(table.size() == 512);
    const KeyFunction expected[] = {
        {0x10, 0x01, 0}, {0x10, 0x04, 0}, {0x10, 0x02, 0}, {0x10, 0x10, 0}, {0x10, 0x08, 0}, {0x13, 0x03, 0}};
    for (int key = 0; key < 6; ++key)
        EXPECT_EQ(readKeyFunction(table, key), expected[key]) << key;
    for (std::size_t i = 18; i < table.size(); ++i)
        ASSERT_EQ(table[i], 0x05) << i;
}

TEST(KeyTables, KeyTableAccessStaysInsideTheTable) {
    std::array<uint8_t, 512> table{};
    EXPECT_TRUE(writeKeyFunction(table, 169, {1, 2, 3}));  // the last whole entry: bytes 507..509
    EXPECT_EQ(readKeyFunction(table, 169), (KeyFunction{1, 2, 3}));
    EXPECT_EQ(table[510], 0);
    EXPECT_FALSE(writeKeyFunction(table, 170, {1, 2, 3}));
    EXPECT_FALSE(writeKeyFunction(table, -1, {1, 2, 3}));
    EXPECT_EQ(readKeyFunction(table, 170), std::nullopt);
    EXPECT_EQ(readKeyFunction(std::span<const uint8_t>(), 0), std::nullopt);
    // The keyboard's working table: key 131 is the last entry of 396 bytes.
    std::array<uint8_t, 396> working{};
    EXPECT_TRUE(writeKeyFunction(working, 131, {0x20, 0, 4}));
    EXPECT_EQ(working[393], 0x20);
}
