// The default files in defaults/ are generated: they must be what the generator makes today, and
// what the program reads.
#include <gtest/gtest.h>

#include <cstdlib>

#include "../../tools/defaults/DefaultContent.h"
#include "ProfileFixture.h"
#include "mirror/KeyboardDefaultCodes.h"
#include "profile/IniFile.h"

using namespace profiletest;
using testsupport::readFile;

namespace {

std::string committedDefaults() {
    const char* source = std::getenv("ZELKAR_SOURCE_DIR");
    return std::string(source ? source : ".") + "/defaults/";
}

}  // namespace

TEST(ProfileDefaults, CommittedFilesAreWhatTheGeneratorMakes) {
    testsupport::TempDir out;
    ASSERT_TRUE(defaults::writeDefaultFiles(out.path()));
    const std::vector<std::string> made = filesIn(out.path());
    ASSERT_EQ(made.size(), 11u);
    EXPECT_EQ(filesIn(committedDefaults()), made) << "regenerate with zelkar-make-defaults defaults";
    for (const std::string& name : made)
        EXPECT_TRUE(readFile(out.file(name)) == readFile(committedDefaults() + name)) << name << " differs";
}

TEST(ProfileDefaults, EveryListReadsItsDefaultWhole) {
    auto m = std::make_unique<Mirrors>();
    ProfileStore store(m->refs(), committedDefaults());
    for (int i = 0; i < kProfileListCount; ++i) {
        const auto list = static_cast<ProfileList>(i);
        const ProfileListInfo& info = profileListInfo(list);
        std::vector<uint8_t> payload;
        EXPECT_EQ(store.readDefaultPayload(list, payload), ProfileRead) << info.defaultFile;
        EXPECT_EQ(readFile(committedDefaults() + info.defaultFile).size(), kProfileHeaderSize + info.payloadSize);
        EXPECT_EQ(uint8_t(readFile(committedDefaults() + info.defaultFile)[4]), info.tag);
        ProfileMirrors refs = m->refs();
        applyProfilePayload(list, payload.data(), refs);
    }
    EXPECT_EQ(m->keyboard.workingKeyTable[0], keyboardDefaultKeyTable());
    EXPECT_NE(m->keyboard.record[KeyboardRecord::kBrightness], 0);  // lit out of the box
    EXPECT_EQ(m->mouse.keyTables[0], mouseBuiltInDefaultKeyTable());
    EXPECT_EQ(m->system.pointerSpeed.load(), 10);
    EXPECT_EQ(m->system.wheelLines.load(), 3);
    EXPECT_NE(m->pad.record[PadRecord::kBrightness], 0);
}

TEST(ProfileDefaults, RecoilPatternsAreFullPatternFiles) {
    for (int p = 1; p <= 4; ++p) {
        const std::string file = committedDefaults() + "name_" + std::to_string(p) + ".cur";
        ASSERT_EQ(readIniInt(file, "MACROACTIONCOUNT", "count"), 180) << file;
        for (int a = 0; a < 180; ++a) {
            const std::string line = readIniString(file, "MACROACTION", std::to_string(a), "");
            ASSERT_EQ(std::count(line.begin(), line.end(), ','), 5) << file << " action " << a;
        }
    }
}

TEST(KeyboardDefaultCodes, KnownKeysSitAtTheirPlaces) {
    ASSERT_EQ(kKeyboardDefaultCodes.size(), 132u);
    struct Case { std::size_t key; KeyEntry entry; } cases[] = {
        {0, {0x20, 0x00, 0x29}},   {16, {0x30, 0x23, 0x02}},  {21, {0x20, 0x00, 0x35}},
        {62, {0, 0, 0}},           {64, {0x20, 0x00, 0x04}},  {81, {0xA0, 0x33, 0x00}},
        {84, {0x20, 0x02, 0x00}},  {102, {0x20, 0x00, 0x64}}, {110, {0xA0, 0x02, 0x02}},
        {118, {0x20, 0x00, 0x58}}, {125, {0x20, 0x80, 0x00}}, {131, {0xD0, 0xA2, 0x06}},
    };
    for (const Case& c : cases) EXPECT_EQ(kKeyboardDefaultCodes[c.key], c.entry) << "key " << c.key;
    int empty = 0;
    for (const KeyEntry& e : kKeyboardDefaultCodes) empty += e == KeyEntry{0, 0, 0};
    EXPECT_EQ(empty, 10);
}
