#include "profile/FirstRun.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "../../tools/defaults/DefaultContent.h"
#include "ProfileFixture.h"
#include "profile/IniFile.h"

using namespace profiletest;
using testsupport::readFile;
using testsupport::writeBytes;
using testsupport::writeFile;

namespace {

// Records what the store asks of the pages, in order.
class RecordingUi : public ProfileStoreUi {
public:
    void showMessage(const std::string& keyOrText, bool isLanguageKey) override {
        calls.push_back((isLanguageKey ? "key " : "text ") + keyOrText);
    }
    void addListEntry(ProfileList list, const std::string& name) override {
        calls.push_back(std::string(profileListInfo(list).listControl) + " " + name);
    }
    std::vector<std::string> calls;
};

const std::string kFirst = kFirstEntryName;

class FirstRun : public ProfileFixture {
protected:
    void SetUp() override {
        ProfileFixture::SetUp();
        ASSERT_TRUE(defaults::writeDefaultFiles(defaultsDir()));
    }
    std::vector<std::string> run() {
        RecordingUi ui;
        initialiseProfileLists(*store, ui);
        return ui.calls;
    }
    std::string ini(ProfileList list, const std::string& section, const std::string& key) {
        return readIniString(profileIniPath(list), section, key, "<none>");
    }
};

}  // namespace

TEST_F(FirstRun, AnEmptyHomeGetsOneDefaultEntryPerList) {
    EXPECT_EQ(run(), (std::vector<std::string>{
                         "kb_device_profile_combo " + kFirst, "kb_deng_profile_combo " + kFirst,
                         "kb_key_profile_combo " + kFirst, "ms_device_profile_combo " + kFirst,
                         "ms_deng_profile_combo " + kFirst, "ms_key_profile_combo " + kFirst,
                         "mp_deng_profile_combo " + kFirst}));
    for (int i = 0; i < kProfileListCount; ++i) {
        const auto list = static_cast<ProfileList>(i);
        const ProfileListInfo& info = profileListInfo(list);
        SCOPED_TRACE(info.listControl);
        EXPECT_EQ(readFile(deviceFolder(info.device) + kFirst + info.extension), readFile(defaultsDir() + info.defaultFile));
        EXPECT_EQ(ini(list, countSection(list), "count"), "1");
        EXPECT_EQ(ini(list, nameSection(list), "0"), kFirst);
        EXPECT_EQ(ini(list, linkSection(list), "0"), "0");
        EXPECT_EQ(ini(list, selectSection(list), "select"), "0");
    }
    EXPECT_EQ(filesIn(kbDir()).size(), 4u);
    EXPECT_EQ(filesIn(msDir()).size(), 4u);
    EXPECT_EQ(filesIn(mpDir()).size(), 2u);

    // The next start lists what is there and writes nothing.
    const std::string kbIni = readFile(kbDir() + "kbProfile.ini");
    EXPECT_EQ(run().size(), 7u);
    EXPECT_EQ(readFile(kbDir() + "kbProfile.ini"), kbIni);
}

TEST_F(FirstRun, AMissingOrBadDefaultStopsTheRestOfThatDeviceOnly) {
    struct Case {
        const char* defaultFile;
        bool missing;  // else bad magic
        std::vector<std::string> calls;
        std::size_t kbFiles, msFiles, mpFiles;
    } cases[] = {
        {"kbdevicedefault.config", true,
         {"text 配置文件丢失", "ms_device_profile_combo " + kFirst, "ms_deng_profile_combo " + kFirst,
          "ms_key_profile_combo " + kFirst, "mp_deng_profile_combo " + kFirst},
         0, 4, 2},
        {"kbdevicedefault.config", false,
         {"text 配置文件格式错误", "ms_device_profile_combo " + kFirst, "ms_deng_profile_combo " + kFirst,
          "ms_key_profile_combo " + kFirst, "mp_deng_profile_combo " + kFirst},
         0, 4, 2},
        {"msdengdefault.led", false,
         {"kb_device_profile_combo " + kFirst, "kb_deng_profile_combo " + kFirst, "kb_key_profile_combo " + kFirst,
          "ms_device_profile_combo " + kFirst, "key message_text_9", "mp_deng_profile_combo " + kFirst},
         4, 2, 2},
        {"mpdengdefault.led", true,
         {"kb_device_profile_combo " + kFirst, "kb_deng_profile_combo " + kFirst, "kb_key_profile_combo " + kFirst,
          "ms_device_profile_combo " + kFirst, "ms_deng_profile_combo " + kFirst, "ms_key_profile_combo " + kFirst,
          "key message_text_8"},
         4, 4, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.defaultFile) + (c.missing ? " missing" : " bad"));
        std::filesystem::remove_all(dir.file("data"));
        ASSERT_TRUE(defaults::writeDefaultFiles(defaultsDir()));
        if (c.missing) std::filesystem::remove(defaultsDir() + c.defaultFile);
        else writeBytes(defaultsDir() + c.defaultFile, {0x55, 0xAA, 0, 0, 1});
        EXPECT_EQ(run(), c.calls);
        EXPECT_EQ(filesIn(kbDir()).size(), c.kbFiles);  // the INI file counts: none written on a stop
        EXPECT_EQ(filesIn(msDir()).size(), c.msFiles);
        EXPECT_EQ(filesIn(mpDir()).size(), c.mpFiles);
    }
}

TEST_F(FirstRun, StoredEntriesAreListedAndBrokenCountsSetUpAgain) {
    writeFile(profileIniPath(ProfileList::keyboardLighting),
              "\xEF\xBB\xBF[PROFILEDENGCOUNT]\r\ncount=2\r\n[PROFILEDENGNAME]\r\n0=Day\r\n1=Night\r\n2=Stale\r\n"
              "[PROFILEDEVICECOUNT]\r\ncount=many\r\n[PROFILEDEVICENAME]\r\n0=Old\r\n");
    const std::vector<std::string> calls = run();
    EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 4),
              (std::vector<std::string>{"kb_device_profile_combo " + kFirst, "kb_deng_profile_combo Day",
                                        "kb_deng_profile_combo Night", "kb_key_profile_combo " + kFirst}));
    EXPECT_EQ(ini(ProfileList::keyboardDevice, "PROFILEDEVICECOUNT", "count"), "1");
    EXPECT_FALSE(std::filesystem::exists(kbDir() + kFirst + ".led"));
}

TEST_F(FirstRun, AStoppedDeviceStillShowsListsThatHaveEntries) {
    writeFile(profileIniPath(ProfileList::mouseKeys), "[PROFILECOUNT]\ncount=1\n[PROFILENAME]\n0=Mine\n");
    std::filesystem::remove(defaultsDir() + "msdevicedefault.config");
    EXPECT_EQ(run(), (std::vector<std::string>{
                         "kb_device_profile_combo " + kFirst, "kb_deng_profile_combo " + kFirst,
                         "kb_key_profile_combo " + kFirst, "key message_text_8", "ms_key_profile_combo Mine",
                         "mp_deng_profile_combo " + kFirst}));
    EXPECT_EQ(ini(ProfileList::mouseKeys, "PROFILENAME", "0"), "Mine");
}

namespace {
bool failKeyboardLighting(AtomicWriteStage, const std::string& target) {
    return target.find("新配置文件1.led") == std::string::npos || target.find("/kb/") == std::string::npos;
}
}  // namespace

TEST_F(FirstRun, AFileThatCannotBeWrittenLeavesTheListForTheNextStart) {
    setAtomicWriteHookForTesting(failKeyboardLighting);
    const std::vector<std::string> calls = run();
    setAtomicWriteHookForTesting(nullptr);
    EXPECT_EQ(calls.size(), 6u);
    EXPECT_EQ(calls[1], "kb_key_profile_combo " + kFirst);
    EXPECT_EQ(ini(ProfileList::keyboardLighting, "PROFILEDENGCOUNT", "count"), "<none>");
    EXPECT_TRUE(logged("文件打开失败"));

    EXPECT_EQ(run()[1], "kb_deng_profile_combo " + kFirst);  // set up on the next start
}

TEST_F(FirstRun, AnInterruptedSetUpIsRedoneKeepingTheFileItFinds) {
    // What a crash before the count (written last) leaves, with the file in another spelling.
    writeFile(profileIniPath(ProfileList::padLighting),
              "[PROFILEDENGNAME]\n0=" + kFirst + "\n[PROFILELIKEDENGEXE]\n0=0\n[PROFILEDENGSELECT]\nselect=0\n");
    const std::vector<uint8_t> users(16 + 64, 0x5A);
    writeBytes(mpDir() + kFirst + ".LED", users);
    EXPECT_EQ(run().back(), "mp_deng_profile_combo " + kFirst);
    EXPECT_EQ(ini(ProfileList::padLighting, "PROFILEDENGCOUNT", "count"), "1");
    EXPECT_EQ(filesIn(mpDir()), (std::vector<std::string>{"mpProfile.ini", kFirst + ".LED"}));
    EXPECT_EQ(readFile(mpDir() + kFirst + ".LED"), std::string(users.begin(), users.end()));
}
