#include "profile/ProfilePayload.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "ProfileFixture.h"

using namespace profiletest;

namespace {

template <typename Record, typename Block>
bool recordMatchesBlock(const Record& record, const Block& block) {
    return std::equal(record.begin(), record.end(), block.begin());
}

}  // namespace

TEST(ProfilePayload, SavingPutsTheRecordsIntoTheirBlocksAtTheDocumentedOffsets) {
    auto m = std::make_unique<Mirrors>();
    fillMirrors(*m, 3);
    ProfileMirrors refs = m->refs();
    m->keyboard.lighting.selectedSet = 4;
    m->keyboard.lighting.brush = {0x10, 0x20, 0x30};
    m->keyboard.lighting.sets[2][131 * 3 + 1] = 0xC3;  // set 2, LED 131, green
    m->system.pointerSpeed = 17;
    m->system.wheelLines = 6;

    const std::vector<uint8_t> device = buildProfilePayload(ProfileList::keyboardDevice, refs);
    EXPECT_TRUE(recordMatchesBlock(m->keyboard.record, m->keyboard.blocks[0]));
    EXPECT_TRUE(std::equal(m->keyboard.record.begin(), m->keyboard.record.end(), device.begin()));
    EXPECT_EQ(device[64], 4);
    EXPECT_EQ(device[65], 0x10);
    EXPECT_EQ(device[67], 0x30);
    EXPECT_EQ(device[68 + 2 * 396 + 131 * 3 + 1], 0xC3);
    EXPECT_TRUE(std::equal(device.begin() + 2048, device.end(), m->keyboard.workingKeyTable[0].begin()));

    const std::vector<uint8_t> mouse = buildProfilePayload(ProfileList::mouseDevice, refs);
    EXPECT_TRUE(recordMatchesBlock(m->mouse.record, m->mouse.blocks[0]));
    EXPECT_TRUE(std::equal(m->mouse.record.begin(), m->mouse.record.end(), mouse.begin() + 512));
    EXPECT_EQ(mouse[512 + 23], 17);
    EXPECT_EQ(mouse[512 + 24], 6);

    const std::vector<uint8_t> pad = buildProfilePayload(ProfileList::padLighting, refs);
    EXPECT_TRUE(std::equal(m->pad.record.begin(), m->pad.record.end(), pad.begin()));
    EXPECT_EQ(pad[21], m->pad.blocks[0][21]);  // block bytes after the record travel unchanged
}

TEST(ProfilePayload, LoadingTakesRecordsFromBlocksAndRepairsWhatFilesCanBreak) {
    auto m = std::make_unique<Mirrors>();
    ProfileMirrors refs = m->refs();

    std::vector<uint8_t> led(2048, 0);
    led[0] = 3;    // the active onboard profile the file was saved with
    led[25] = 1;   // last record byte
    led[26] = 9;   // block byte beyond the record
    led[64] = 7;   // a selected set no page can show
    applyProfilePayload(ProfileList::keyboardLighting, led.data(), refs);
    EXPECT_EQ(m->keyboard.record[0], 3);
    EXPECT_EQ(m->keyboard.record[25], 1);
    EXPECT_EQ(m->keyboard.blocks[0][26], 9);
    EXPECT_EQ(m->keyboard.lighting.selectedSet, 0);

    struct Case { uint8_t speed, lines, expectedSpeed, expectedLines; } cases[] = {
        {0, 0, 1, 1}, {10, 3, 10, 3}, {22, 12, 22, 12},  // above-range values are clamped when applied
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> block(64, 0);
        block[23] = c.speed;
        block[24] = c.lines;
        applyProfilePayload(ProfileList::mouseLighting, block.data(), refs);
        EXPECT_EQ(m->system.pointerSpeed.load(), c.expectedSpeed);
        EXPECT_EQ(m->system.wheelLines.load(), c.expectedLines);
    }
}
