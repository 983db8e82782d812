#include "profile/ProfileLists.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "ProfileFixture.h"
#include "profile/IniFile.h"
#include "profile/ProfileFile.h"

using namespace profiletest;
using testsupport::readFile;
using testsupport::writeBytes;
using testsupport::writeFile;

namespace {

class ProfileLists : public ProfileFixture {
protected:
    // A list of the given names with "select" at selected.
    void makeList(ProfileList list, const std::vector<std::string>& names, int selected = 0) {
        const std::string ini = profileIniPath(list);
        for (std::size_t i = 0; i < names.size(); ++i) writeIniString(ini, nameSection(list), std::to_string(i), names[i]);
        writeIniString(ini, countSection(list), "count", std::to_string(names.size()));
        writeIniString(ini, selectSection(list), "select", std::to_string(selected));
    }
    std::string folderOf(ProfileList list) { return deviceFolder(profileListInfo(list).device); }
};

}  // namespace

TEST_F(ProfileLists, SchemaNamesFollowTheKindWord) {
    struct Case { ProfileList list; const char* count; const char* link; const char* process; const char* ini; } cases[] = {
        {ProfileList::keyboardKeys, "PROFILECOUNT", "PROFILELIKEEXE", "PROCESS", "kb/kbProfile.ini"},
        {ProfileList::keyboardLighting, "PROFILEDENGCOUNT", "PROFILELIKEDENGEXE", "DENGPROCESS", "kb/kbProfile.ini"},
        {ProfileList::mouseDevice, "PROFILEDEVICECOUNT", "PROFILELIKEDEVICEEXE", "DEVICEPROCESS", "ms/msProfile.ini"},
        {ProfileList::padLighting, "PROFILEDENGCOUNT", "PROFILELIKEDENGEXE", "DENGPROCESS", "mp/mpProfile.ini"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(countSection(c.list), c.count);
        EXPECT_EQ(linkSection(c.list), c.link);
        EXPECT_EQ(processSection(c.list), c.process);
        EXPECT_EQ(profileIniPath(c.list), dir.file("data/") + c.ini);
    }
}

TEST_F(ProfileLists, CountsThatAreNotSensibleAreBounded) {
    struct Case { const char* text; int count; } cases[] = {
        {"2", 2}, {" 3 ", 3}, {"abc", 0}, {"", 0}, {"-4", 0}, {"99999999999", kMaxProfileEntries}, {"4x", 4},
    };
    for (const Case& c : cases) {
        writeFile(profileIniPath(ProfileList::mouseLighting), std::string("[profiledengcount]\r\ncount=") + c.text + "\r\n");
        EXPECT_EQ(readEntryCount(ProfileList::mouseLighting), c.count) << c.text;
    }
}

// Saved from one set of mirrors and loaded into another, every kind carries exactly its areas:
// the payload rebuilt from the loaded mirrors is the saved one (records, selected set, pointer
// speed and wheel lines included), and a byte of an area the kind does not carry is untouched.
TEST_F(ProfileLists, EveryListSavesAndLoadsItsSelectedEntry) {
    Mirrors other;
    struct Case { ProfileList list; uint8_t* untouched; } cases[] = {
        {ProfileList::keyboardDevice, &other.keyboard.workingKeyTable[1][0]},
        {ProfileList::keyboardLighting, &other.keyboard.workingKeyTable[0][0]},
        {ProfileList::keyboardKeys, &other.keyboard.record[1]},
        {ProfileList::mouseDevice, &other.mouse.keyTables[1][0]},
        {ProfileList::mouseLighting, &other.mouse.keyTables[0][0]},
        {ProfileList::mouseKeys, &other.mouse.record[1]},
        {ProfileList::padLighting, &other.pad.blocks[1][0]},
    };
    for (const Case& c : cases) {
        const ProfileListInfo& info = profileListInfo(c.list);
        SCOPED_TRACE(info.listControl);
        makeList(c.list, {"first", "Second"}, 1);
        fillMirrors(mirrors, uint8_t(20 + int(c.list)));
        ASSERT_TRUE(store->saveSelected(c.list));
        const std::string file = readFile(folderOf(c.list) + "Second" + info.extension);
        EXPECT_EQ(file.size(), kProfileHeaderSize + info.payloadSize);
        EXPECT_EQ(uint8_t(file[4]), info.tag);

        fillMirrors(other, 77);
        *c.untouched = 0xE7;
        ProfileStore otherStore(other.refs(), defaultsDir());
        ASSERT_EQ(otherStore.loadEntry(c.list, 1), ProfileRead);
        ProfileMirrors a = mirrors.refs(), b = other.refs();
        EXPECT_EQ(buildProfilePayload(c.list, b), buildProfilePayload(c.list, a));
        EXPECT_EQ(*c.untouched, 0xE7);
    }
}

TEST_F(ProfileLists, KeyProfilesOpenedAsUpperCaseAreTheSavedFile) {
    makeList(ProfileList::keyboardKeys, {"Game"});
    writeBytes(kbDir() + "Game.PRO", std::vector<uint8_t>(16 + 512, 0));  // copied in by the user
    ASSERT_TRUE(store->saveSelected(ProfileList::keyboardKeys));
    EXPECT_EQ(filesIn(kbDir()), (std::vector<std::string>{"Game.PRO", "kbProfile.ini"}));
    EXPECT_EQ(store->loadEntry(ProfileList::keyboardKeys, 0), ProfileRead);
}

TEST_F(ProfileLists, EntriesAtOrAboveTheCountAreNeverUsed) {
    makeList(ProfileList::padLighting, {"a", "b"}, 1);
    writeIniString(profileIniPath(ProfileList::padLighting), countSection(ProfileList::padLighting), "count", "1");
    std::vector<uint8_t> stale(16 + 64, 0x33);
    stale[0] = 0xAA, stale[1] = 0x55;
    writeBytes(mpDir() + "b.led", stale);
    mirrors.pad.record.fill(0x44);

    EXPECT_EQ(store->loadEntry(ProfileList::padLighting, 1), ProfileMissing);
    EXPECT_EQ(store->loadEntry(ProfileList::padLighting, -1), ProfileMissing);
    EXPECT_EQ(mirrors.pad.record[1], 0x44);
    EXPECT_FALSE(store->saveSelected(ProfileList::padLighting));  // "select" 1 is past the count
    EXPECT_EQ(readFile(mpDir() + "b.led"), std::string(stale.begin(), stale.end()));
}

TEST_F(ProfileLists, HostileNamesNeverReachOutsideTheDeviceFolder) {
    // A valid profile beside the data folder that a crafted name would reach.
    std::vector<uint8_t> bait(16 + 64, 0x66);
    bait[0] = 0xAA, bait[1] = 0x55;
    writeBytes(dir.file("data/bait.led"), bait);
    writeBytes(dir.file("bait.led"), bait);
    // (A NUL ends the value as the INI reader returns it, so it cannot carry a name past it.)
    const std::string names[] = {"../bait", "../../bait", "..", "sub/../../bait", "..\\bait", "/tmp/x",
                                 "tab\there", "\x1b[31m", "bell\a"};
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        writeFile(profileIniPath(ProfileList::mouseLighting),
                  "[PROFILEDENGCOUNT]\ncount=1\n[PROFILEDENGNAME]\n0=" + name + "\n[PROFILEDENGSELECT]\nselect=0\n");
        mirrors.mouse.record.fill(0x11);
        EXPECT_EQ(store->loadEntry(ProfileList::mouseLighting, 0), ProfileMissing);
        EXPECT_EQ(mirrors.mouse.record[5], 0x11);
        EXPECT_FALSE(store->saveSelected(ProfileList::mouseLighting));
        EXPECT_EQ(readFile(dir.file("bait.led")), std::string(bait.begin(), bait.end()));
        EXPECT_EQ(readFile(dir.file("data/bait.led")), std::string(bait.begin(), bait.end()));
    }
    EXPECT_EQ(filesIn(msDir()), std::vector<std::string>{"msProfile.ini"});
}

TEST_F(ProfileLists, FailedLoadsLeaveTheMirrorAndSayWhy) {
    makeList(ProfileList::keyboardLighting, {"gone", "broken"});
    writeBytes(kbDir() + "broken.led", std::vector<uint8_t>(16 + 2048, 0x55));
    mirrors.keyboard.record.fill(0x22);
    EXPECT_EQ(store->loadEntry(ProfileList::keyboardLighting, 0), ProfileMissing);
    EXPECT_TRUE(logged("配置文件丢失"));
    EXPECT_EQ(store->loadEntry(ProfileList::keyboardLighting, 1), ProfileBadFormat);
    EXPECT_TRUE(logged("配置文件格式错误"));
    for (uint8_t byte : mirrors.keyboard.record) ASSERT_EQ(byte, 0x22);
}
