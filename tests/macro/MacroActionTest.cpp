#include <gtest/gtest.h>

#include "keys/KeyCodeTable.h"
#include "macro/MacroAction.h"

using namespace macro;

TEST(MacroAction, LinesRoundTripAndBadLinesFail) {
    struct Case {
        const char* line;
        bool parses;
        int delayMs, type, code, press;
        const char* name;
        const char* formatted;  // nullptr: formatting gives the line back
    } cases[] = {
        {"12,0,138,4,1,keyboard_key_A", true, 120, 0x8A, 0x04, 1, "keyboard_key_A", nullptr},
        {"0,0,1,2,0,mouse_key_right", true, 0, 0x01, 0x02, 0, "mouse_key_right", nullptr},
        {"255,255,133,255,1,mouse_move_to_up_text", true, 655350, 0x85, 0xFF, 1, "mouse_move_to_up_text", nullptr},
        // numbers truncated to their width, names may be empty, junk reads as 0
        {"300,1,394,x,65537,", true, (44 + 256) * 10, 0x8A, 0, 1, "", "44,1,138,0,1,"},
        {" 7 ,-1,10,4,0,keyboard_key_A", true, (7 + 255 * 256) * 10, 0x0A, 4, 0, "keyboard_key_A",
         "7,255,10,4,0,keyboard_key_A"},
        // more commas than fields: the extra ones stay in delay low, which reads its leading digits
        {"1,2,3,4,5,6,name", true, (1 + 3 * 256) * 10, 4, 5, 6, "name", "1,3,4,5,6,name"},
        {"0,138,4,1,keyboard_key_A", false, 0, 0, 0, 0, "", nullptr},  // four commas
        {"", false, 0, 0, 0, 0, "", nullptr},
        {"0", false, 0, 0, 0, 0, "", nullptr},  // a missing key reads as "0"
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        auto a = parseActionLine(c.line);
        ASSERT_EQ(a.has_value(), c.parses);
        if (!a) continue;
        EXPECT_EQ(a->delayMs(), c.delayMs);
        EXPECT_EQ(a->type, c.type);
        EXPECT_EQ(a->code, c.code);
        EXPECT_EQ(a->pressFlag, c.press);
        EXPECT_EQ(a->name, c.name);
        EXPECT_EQ(formatActionLine(*a), c.formatted ? c.formatted : c.line);
    }
}

TEST(MacroAction, DelayConversions) {
    struct Case { int ms, low, high, shownMs; } cases[] = {
        {655350, 255, 255, 655350}, {5, 0, 0, 0}, {1234, 123, 0, 1230}, {2560, 0, 1, 2560},
        {10'000'000, 255, 255, 655350}, {-5, 0, 0, 0},
    };
    for (const Case& c : cases) {
        MacroAction a;
        a.setDelayMs(c.ms);
        EXPECT_EQ(a.delayLow, c.low) << c.ms;
        EXPECT_EQ(a.delayHigh, c.high) << c.ms;
        EXPECT_EQ(a.delayMs(), c.shownMs) << c.ms;
    }
}

TEST(MacroAction, VocabulariesFollowTheTables) {
    // Key rows: a usage makes a KeyAction, a modifier alone a ModifierKey; only rows 0..105.
    auto ctrl = keyAction(keys::keyCodeRowNamed("keyboard_key_LCtrl"), true);
    ASSERT_TRUE(ctrl);
    EXPECT_EQ(ctrl->type, 0x89);
    EXPECT_EQ(ctrl->code, 0x01);
    auto a = keyAction(keys::keyCodeRowNamed("keyboard_key_A"), false);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->type, 0x0A);
    EXPECT_EQ(a->code, 0x04);
    EXPECT_EQ(a->pressFlag, 0);
    EXPECT_FALSE(keyAction(keys::kMacroKeyRowCount, true));
    EXPECT_FALSE(keyAction(-1, true));
    int matched = 0;
    for (int row = 0; row < keys::kMacroKeyRowCount; ++row)
        if (auto act = keyAction(row, true); act && keyRowForAction(*act) == row) ++matched;
    EXPECT_GT(matched, 100);  // every row but duplicates of an earlier row's bytes comes back

    EXPECT_EQ(kMouseActionTable.size(), 15u);
    EXPECT_EQ(findMouseRowByEvent(0x205), 3);
    EXPECT_EQ(findMouseRowByEvent(0x20B), -1);  // extra buttons are not recorded
    EXPECT_EQ(findMouseRowByEvent(0x200), -1);
    for (int row = 0; row < 14; ++row) EXPECT_EQ(mouseRowForAction(mouseAction(row, 9)), row) << row;
    EXPECT_EQ(mouseAction(12, 40).code, 40);
    EXPECT_EQ(mouseAction(99).type, 0);
}
