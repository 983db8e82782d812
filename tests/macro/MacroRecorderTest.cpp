#include <gtest/gtest.h>

#include <array>

#include "macro/MacroAssignments.h"
#include "macro/MacroRecorder.h"

using namespace macro;

namespace {

// Plays events into a recorder and collects the lines a list would end up with.
struct Recording {
    MacroRecorder recorder;
    std::vector<MacroAction> rows;
    void add(std::optional<RecordedStep> step) {
        if (!step) return;
        if (!rows.empty()) rows.back().setDelayMs(step->pauseBeforeMs);
        rows.push_back(step->action);
    }
    void key(int vk, bool press, uint32_t t, unsigned flags = 0) {
        add(recorder.key(vk, press ? flags : flags | 0x80, press, t));
    }
    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        for (const MacroAction& a : rows) out.push_back(formatActionLine(a));
        return out;
    }
};

}  // namespace

TEST(MacroRecorder, HeldKeysPausesAndPads) {
    Recording r;
    r.recorder.start(1000, {});
    r.key(0x41, true, 1100);
    for (uint32_t t : {1130u, 1160u, 1190u}) r.key(0x41, true, t);  // auto-repeat while held
    r.key(0x41, false, 2334);                                           // 1234 ms after the press
    r.key(0x0D, true, 2400, 0x01);                                      // Enter on the numeric pad
    r.key(0x0D, false, 2400 + 20 * 60 * 1000, 0x01);                    // twenty minutes later
    r.key(0x0D, true, 3'700'000);
    r.key(0xFF, true, 3'700'100);                                       // no key of the table
    EXPECT_EQ(r.lines(), (std::vector<std::string>{
                             "123,0,138,4,1,keyboard_key_A", "6,0,10,4,0,keyboard_key_A",
                             "255,255,138,88,1,keyboard_key_Num Enter", "255,255,10,88,0,keyboard_key_Num Enter",
                             "0,0,138,40,1,keyboard_key_Enter"}));
}

TEST(MacroRecorder, FixedPausesMouseOptionsAndCarriedKeys) {
    Recording r;
    r.recorder.start(0, {.keyboard = true, .clicks = true, .fixedPause = true});
    r.key(0xA2, true, 7000);
    r.add(r.recorder.mouse(0x204, 7001));
    r.add(r.recorder.mouse(0x204, 7002));  // the same event again is ignored
    r.add(r.recorder.mouse(0x205, 9000));
    r.add(r.recorder.mouse(0x200, 9001));  // moves, the wheel and extra buttons are never recorded
    r.add(r.recorder.mouse(0x20A, 9002));
    r.add(r.recorder.mouse(0x20B, 9003));
    EXPECT_EQ(r.lines(), (std::vector<std::string>{"5,0,137,1,1,keyboard_key_LCtrl", "5,0,129,2,1,mouse_key_right",
                                                   "0,0,1,2,0,mouse_key_right"}));

    // Without the click option the buttons are not recorded; a key whose release was not recorded
    // is not pressed again in the next recording, but its release is.
    Recording next;
    next.recorder = r.recorder;
    next.recorder.start(0, {.keyboard = true, .movement = true});
    next.add(next.recorder.mouse(0x201, 5));
    next.key(0xA2, true, 10);
    next.key(0xA2, false, 20);
    EXPECT_EQ(next.lines(), (std::vector<std::string>{"0,0,9,1,0,keyboard_key_LCtrl"}));
}

TEST(MacroAssignments, DeleteKeepsEveryAssignmentOnItsMacro) {
    // Four entries: macro 2 (play mode), macro 4 (repeat), macro 1, a plain key.
    std::array<uint8_t, 12> table{0x70, 2, 1, 0x71, 4, 9, 0x70, 1, 0, 0x20, 0, 4};
    const std::array<uint8_t, 12> defaults{0x20, 0, 0x1E, 0x20, 0, 0x1F, 0x20, 0, 0x20, 0x20, 0, 0x21};
    EXPECT_TRUE(tableUsesMacro(table, 4, 4));
    EXPECT_FALSE(tableUsesMacro(table, 4, 3));
    EXPECT_FALSE(tableUsesMacro(table, 1, 4));  // only the entries asked about
    EXPECT_EQ(correctAfterDelete(table, defaults, 4, 2), 2);
    EXPECT_EQ(table, (std::array<uint8_t, 12>{0x20, 0, 0x1E, 0x71, 3, 9, 0x70, 1, 0, 0x20, 0, 4}));
}
