// The seven lists' operations and program links on an in-memory panel: the keyboard lighting list
// as the reference, and one row per list where the lists differ.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <map>

#include "profile/FileNameCase.h"
#include "profile/IniFile.h"
#include "profile/ProfileFile.h"
#include "profile/ProfileOperations.h"
#include "profile/ProgramWatcher.h"
#include "profile/ProfileFixture.h"

using namespace profiletest;
using PL = ProfileList;

namespace {

// The panel as the operations see it, kept in memory; every message is recorded.
struct FakePanel : ProfileListView {
    struct Panel {
        std::vector<std::string> entries;
        int selected = -1;
        std::string typed, shownName, linkText = " ";
        bool linked = false;
    };
    std::array<Panel, kProfileListCount> panels;
    std::vector<std::string> messages;
    int answer = 1;
    std::optional<std::string> chosen;
    FileDialogRequest lastRequest;

    Panel& of(PL l) { return panels[size_t(l)]; }
    const Panel& of(PL l) const { return panels[size_t(l)]; }

    void showMessage(const std::string& t, bool key) override { messages.push_back((key ? "key " : "text ") + t); }
    void addListEntry(PL l, const std::string& n) override { of(l).entries.push_back(n); }
    int entryCount(PL l) const override { return int(of(l).entries.size()); }
    std::string entryName(PL l, int i) const override {
        return i >= 0 && i < entryCount(l) ? of(l).entries[size_t(i)] : std::string();
    }
    int selectedEntry(PL l) const override { return of(l).selected; }
    void setSelectedEntry(PL l, int i) override { of(l).selected = i; }
    void removeEntry(PL l, int i) override { of(l).entries.erase(of(l).entries.begin() + i); }
    void renameEntry(PL l, int i, const std::string& n) override { of(l).entries[size_t(i)] = n; }
    void clearEntries(PL l) override { of(l).entries.clear(); }
    std::string typedName(PL l) const override { return of(l).typed; }
    void showName(PL l, const std::string& n) override { of(l).shownName = n; }
    bool linkChecked(PL l) const override { return of(l).linked; }
    void setLinkChecked(PL l, bool on) override { of(l).linked = on; }
    void showLinkedProgram(PL l, const std::string& f) override { of(l).linkText = f; }
    int ask(const std::string& t, bool key) override {
        showMessage(t, key);
        return answer;
    }
    std::optional<std::string> openFile(const FileDialogRequest& r) override {
        lastRequest = r;
        return chosen;
    }
    std::optional<std::string> saveFile(const FileDialogRequest& r) override {
        lastRequest = r;
        return chosen;
    }
};

std::vector<uint8_t> pattern(std::size_t size, uint8_t seed) {
    std::vector<uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = uint8_t(seed + i * 13);
    return bytes;
}

// Each entry's file content differs from every other list's and entry's.
uint8_t entrySeed(ProfileList l, int entry) { return uint8_t(1 + entry + 16 * int(l)); }

bool g_failWrites = false;
bool failWrites(AtomicWriteStage, const std::string&) { return !g_failWrites; }

class ProfileOperationsTest : public ProfileFixture {
protected:
    void SetUp() override {
        ProfileFixture::SetUp();
        for (int i = 0; i < kProfileListCount; ++i) {
            const ProfileListInfo& info = profileListInfo(PL(i));
            const auto bytes = pattern(info.payloadSize, uint8_t(0x40 + i));
            ASSERT_TRUE(writeProfileFile(defaultsDir() + info.defaultFile, bytes.data(), bytes.size(), info.tag));
        }
        ops = std::make_unique<ProfileOperations>(*store, panel);
    }
    void TearDown() override {
        g_failWrites = false;
        ProfileFixture::TearDown();
    }

    // A list with these entries (each with a file of its own content) and links; entry 0 selected.
    void makeList(PL l, const std::vector<std::string>& names, const std::vector<std::string>& links = {}) {
        const ProfileListInfo& info = profileListInfo(l);
        const std::string ini = profileIniPath(l);
        for (std::size_t i = 0; i < names.size(); ++i) {
            const auto bytes = pattern(info.payloadSize, entrySeed(l, int(i)));
            ASSERT_TRUE(writeProfileFile(entryFilePath(l, names[i], info.extension), bytes.data(), bytes.size(), info.tag));
            writeIniString(ini, nameSection(l), std::to_string(i), names[i]);
            const std::string link = i < links.size() ? links[i] : "0";
            writeIniString(ini, linkSection(l), std::to_string(i), link);
            writeIniString(ini, processSection(l), std::to_string(i), link == "0" ? " " : "/opt/game" + std::to_string(i));
        }
        writeIniString(ini, countSection(l), "count", std::to_string(names.size()));
        writeIniString(ini, selectSection(l), "select", "0");
        panel.of(l).entries = names;
        panel.of(l).selected = names.empty() ? -1 : 0;
    }
    std::string ini(PL l, const std::string& section, int key) {
        return readIniString(profileIniPath(l), section, std::to_string(key), "?");
    }
    std::vector<uint8_t> fileOf(PL l, const std::string& name) {
        std::vector<uint8_t> bytes(profileListInfo(l).payloadSize);
        EXPECT_EQ(readProfileFile(entryFilePath(l, name, profileListInfo(l).extension), bytes.data(), bytes.size()), 0);
        return bytes;
    }

    FakePanel panel;
    std::unique_ptr<ProfileOperations> ops;
};

TEST_F(ProfileOperationsTest, AddTakesTheFirstFreeGeneratedNameAndSelectsIt) {
    makeList(PL::keyboardLighting, {"新配置文件1", "新配置文件3"});
    int applied = 0;
    ops->setApplier(PL::keyboardLighting, [&] { ++applied; });
    ops->run(PL::keyboardLighting, ProfileAction::add);
    EXPECT_THAT(panel.of(PL::keyboardLighting).entries, testing::ElementsAre("新配置文件1", "新配置文件3", "新配置文件2"));
    EXPECT_EQ(panel.of(PL::keyboardLighting).selected, 2);
    EXPECT_EQ(readEntryCount(PL::keyboardLighting), 3);
    EXPECT_EQ(ini(PL::keyboardLighting, nameSection(PL::keyboardLighting), 2), "新配置文件2");
    EXPECT_EQ(ini(PL::keyboardLighting, linkSection(PL::keyboardLighting), 2), "0");
    EXPECT_EQ(readSelectedIndex(PL::keyboardLighting), 2);
    EXPECT_EQ(fileOf(PL::keyboardLighting, "新配置文件2"), pattern(2048, 0x40 + int(PL::keyboardLighting)));
    EXPECT_EQ(applied, 1);
}

TEST_F(ProfileOperationsTest, CopyAppendsCopyUntilFreeAndStartsUnlinked) {
    makeList(PL::keyboardLighting, {"A", "A copy"}, {"1", "0"});
    ops->run(PL::keyboardLighting, ProfileAction::copy);
    EXPECT_THAT(panel.of(PL::keyboardLighting).entries, testing::ElementsAre("A", "A copy", "A copy copy"));
    EXPECT_EQ(fileOf(PL::keyboardLighting, "A copy copy"), fileOf(PL::keyboardLighting, "A"));
    EXPECT_EQ(ini(PL::keyboardLighting, linkSection(PL::keyboardLighting), 2), "0");
    EXPECT_EQ(ini(PL::keyboardLighting, linkSection(PL::keyboardLighting), 0), "1");
    EXPECT_FALSE(panel.of(PL::keyboardLighting).linked);
}

TEST_F(ProfileOperationsTest, RenameRefusesEmptyTakenAndUnfitNamesWithTheListsTexts) {
    struct Case {
        PL list;
        std::string typed;
        std::string message;
    };
    const std::string overlong(241, 'x');
    const Case cases[] = {
        {PL::keyboardLighting, "", "key message_text_14"},
        {PL::keyboardLighting, "a", "key message_text_15"},     // itself in another case
        {PL::keyboardLighting, "B", "key message_text_15"},
        {PL::keyboardDevice, "", "text 修改的配置名称为空，请重新命名"},
        {PL::keyboardDevice, "b", "text 存在同名的配置，请重新命名"},
        {PL::mouseKeys, "../up", "key profile_name_unfit"},
        {PL::mouseKeys, "a/b", "key profile_name_unfit"},
        {PL::mouseKeys, std::string("x\x01y"), "key profile_name_unfit"},
        {PL::mouseKeys, overlong, "key profile_name_unfit"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        makeList(c.list, {"A", "B"});
        panel.messages.clear();
        panel.of(c.list).typed = c.typed;
        ops->run(c.list, ProfileAction::rename);
        EXPECT_THAT(panel.messages, testing::ElementsAre(c.message));
        EXPECT_THAT(panel.of(c.list).entries, testing::ElementsAre("A", "B"));
    }
    EXPECT_EQ(filesIn(msDir()), (std::vector<std::string>{"A.pro", "B.pro", "msProfile.ini"}));

    // A fit name moves the file and the INI name.
    panel.of(PL::keyboardLighting).typed = "Racing";
    const auto content = fileOf(PL::keyboardLighting, "A");
    ops->run(PL::keyboardLighting, ProfileAction::rename);
    EXPECT_THAT(panel.of(PL::keyboardLighting).entries, testing::ElementsAre("Racing", "B"));
    EXPECT_EQ(fileOf(PL::keyboardLighting, "Racing"), content);
    EXPECT_TRUE(findFileIgnoringCase(kbDir() + "A.led").empty());
    EXPECT_EQ(readEntryName(PL::keyboardLighting, 0), "Racing");
}

TEST_F(ProfileOperationsTest, DeleteMovesLaterLinksDownAndRefusesTheLastEntry) {
    makeList(PL::keyboardLighting, {"A", "B", "C"}, {"1", "0", "1"});
    panel.of(PL::keyboardLighting).selected = 1;
    ops->run(PL::keyboardLighting, ProfileAction::remove);
    EXPECT_THAT(panel.messages, testing::ElementsAre("key message_text_12"));
    EXPECT_THAT(panel.of(PL::keyboardLighting).entries, testing::ElementsAre("A", "C"));
    EXPECT_EQ(readEntryCount(PL::keyboardLighting), 2);
    EXPECT_EQ(readEntryName(PL::keyboardLighting, 1), "C");
    EXPECT_EQ(ini(PL::keyboardLighting, linkSection(PL::keyboardLighting), 0), "1");
    EXPECT_EQ(ini(PL::keyboardLighting, linkSection(PL::keyboardLighting), 1), "1");
    EXPECT_EQ(ini(PL::keyboardLighting, processSection(PL::keyboardLighting), 1), "/opt/game2");
    EXPECT_TRUE(findFileIgnoringCase(kbDir() + "B.led").empty());
    EXPECT_EQ(panel.of(PL::keyboardLighting).selected, 1);

    // Declined: nothing changes. One entry: the one-entry message, nothing deleted.
    panel.answer = 0;
    ops->run(PL::keyboardLighting, ProfileAction::remove);
    EXPECT_EQ(panel.of(PL::keyboardLighting).entries.size(), 2u);
    makeList(PL::keyboardDevice, {"only"});
    panel.messages.clear();
    ops->run(PL::keyboardDevice, ProfileAction::remove);
    EXPECT_THAT(panel.messages, testing::ElementsAre("text 必须保留一个配置文件"));
    EXPECT_FALSE(findFileIgnoringCase(kbDir() + "only.config").empty());
}

TEST_F(ProfileOperationsTest, ImportChecksTheFileThenReloadsTheEntry) {
    makeList(PL::keyboardLighting, {"A", "B"});
    int applied = 0;
    ops->setApplier(PL::keyboardLighting, [&] { ++applied; });
    const auto before = fileOf(PL::keyboardLighting, "A");
    struct Bad {
        std::string content;
        std::string message;
    };
    const std::string header = std::string("\xAA\x55\0\0\1\0", 6) + std::string(10, '\0');
    const Bad bad[] = {
        {"", "key message_text_9"},                                      // empty
        {header + std::string(100, 'x'), "key message_text_9"},          // truncated
        {header + std::string(2049, 'x'), "key message_text_9"},         // oversized
        {std::string("\x55\xAA", 2) + std::string(2062, 'x'), "key message_text_9"},  // big-endian magic
    };
    for (const Bad& b : bad) {
        testsupport::writeFile(dir.file("import.led"), b.content);
        panel.messages.clear();
        panel.chosen = dir.file("import.led");
        ops->run(PL::keyboardLighting, ProfileAction::importFile);
        EXPECT_THAT(panel.messages, testing::ElementsAre(b.message));
    }
    panel.chosen = dir.file("absent.led");
    panel.messages.clear();
    ops->run(PL::keyboardLighting, ProfileAction::importFile);
    EXPECT_THAT(panel.messages, testing::ElementsAre("key message_text_8"));
    EXPECT_EQ(fileOf(PL::keyboardLighting, "A"), before);
    EXPECT_EQ(applied, 0);

    // A pad file of the same size loads into the keyboard lighting list? No: sizes differ. A mouse
    // lighting file (tag 2) into the pad list loads, the tag is not compared.
    const auto good = pattern(2048, 0x77);
    ASSERT_TRUE(writeProfileFile(dir.file("good.led"), good.data(), good.size(), ProfileTagPad));
    panel.chosen = dir.file("good.led");
    ops->run(PL::keyboardLighting, ProfileAction::importFile);
    EXPECT_EQ(fileOf(PL::keyboardLighting, "A"), good);
    EXPECT_EQ(panel.of(PL::keyboardLighting).selected, 0);
    EXPECT_EQ(applied, 1);
    EXPECT_EQ(mirrors.keyboard.blocks[0][5], good[5]);
    EXPECT_EQ(panel.lastRequest.defaultExtension, "led");
}

TEST_F(ProfileOperationsTest, ExportWritesTheEntryWithTheListsTag) {
    makeList(PL::padLighting, {"A"});
    panel.chosen = dir.file("out.led");
    ops->run(PL::padLighting, ProfileAction::exportFile);
    const std::string written = testsupport::readFile(dir.file("out.led"));
    ASSERT_EQ(written.size(), 16u + 64u);
    EXPECT_EQ(uint8_t(written[4]), ProfileTagPad);
}

TEST_F(ProfileOperationsTest, AFailedWriteIsToldAndLeavesListAndDiskAlike) {
    makeList(PL::mouseLighting, {"A"});
    setAtomicWriteHookForTesting(failWrites);
    g_failWrites = true;
    ops->run(PL::mouseLighting, ProfileAction::add);
    ops->run(PL::mouseLighting, ProfileAction::copy);
    panel.of(PL::mouseLighting).typed = "B";
    ops->run(PL::mouseLighting, ProfileAction::rename);
    g_failWrites = false;
    EXPECT_THAT(panel.messages, testing::Each(testing::Eq("key profile_write_failed")));
    EXPECT_EQ(panel.messages.size(), 3u);
    EXPECT_THAT(panel.of(PL::mouseLighting).entries, testing::ElementsAre("A"));
    EXPECT_EQ(readEntryCount(PL::mouseLighting), 1);
    EXPECT_EQ(readEntryName(PL::mouseLighting, 0), "A");
    EXPECT_EQ(filesIn(msDir()), (std::vector<std::string>{"A.led", "msProfile.ini"}));
}

// What select applies and what reset does, per list.
TEST_F(ProfileOperationsTest, EachListSelectsAndResetsAsItsRowSays) {
    for (int i = 0; i < kProfileListCount; ++i) {
        const PL l = PL(i);
        SCOPED_TRACE(profileListInfo(l).listControl);
        makeList(l, {"A", "B"});
        if (l == PL::keyboardLighting) makeList(PL::keyboardDevice, {"D"});
        if (l == PL::mouseLighting) makeList(PL::mouseDevice, {"D"});
        int applied = 0, resets = 0;
        ops->setApplier(l, [&] { ++applied; });
        if (profileListRules(l).reset != ResetWay::defaultFile) ops->setResetHandler(l, [&] { ++resets; });

        panel.of(l).selected = 1;
        const auto before = buildProfilePayload(l, store->mirrors());
        ops->select(l, 1);
        EXPECT_EQ(applied, 1);
        EXPECT_EQ(panel.of(l).shownName, "B");
        EXPECT_NE(buildProfilePayload(l, store->mirrors()), before);  // loaded

        // Bytes 30..55 lie past every record and the mouse's pointer bytes, inside what every
        // reset takes from the default file; byte 60 is kept by the resets that take 56 bytes.
        ops->run(l, ProfileAction::reset);
        const auto defaults = pattern(profileListInfo(l).payloadSize, uint8_t(0x40 + i));
        const ProfileListRules& rules = profileListRules(l);
        if (rules.reset != ResetWay::defaultFile) {
            EXPECT_EQ(resets, 1);
        } else {
            const auto saved = fileOf(l, "B");
            EXPECT_EQ(applied, 2);
            EXPECT_EQ(saved, buildProfilePayload(l, store->mirrors()));
            EXPECT_TRUE(std::equal(defaults.begin() + 30, defaults.begin() + 56, saved.begin() + 30));
            EXPECT_EQ(saved[60], rules.resetBytes ? pattern(64, entrySeed(l, 1))[60] : defaults[60]);
            if (rules.systemDefaults) {
                EXPECT_EQ(mirrors.system.pointerSpeed.load(), 10);
                EXPECT_EQ(mirrors.system.wheelLines.load(), 1);
            }
            if (rules.saveDeviceToo) {
                const PL device = profileListInfo(l).device == DeviceFolder::keyboard ? PL::keyboardDevice : PL::mouseDevice;
                EXPECT_EQ(buildProfilePayload(device, store->mirrors()), fileOf(device, "D"));
            }
        }
        EXPECT_EQ(fileOf(l, "A"), pattern(profileListInfo(l).payloadSize, entrySeed(l, 0)));  // other entries untouched
    }
    // The keyboard device reset checks its default file first and tells with its own texts.
    std::filesystem::remove(defaultsDir() + "kbdevicedefault.config");
    panel.messages.clear();
    int resets = 0;
    ops->setResetHandler(PL::keyboardDevice, [&] { ++resets; });
    ops->run(PL::keyboardDevice, ProfileAction::reset);
    EXPECT_THAT(panel.messages, testing::ElementsAre("text 配置文件丢失"));
    EXPECT_EQ(resets, 0);
}

TEST_F(ProfileOperationsTest, ArrivalSelectsAndAppliesTheStoredEntryAgain) {
    makeList(PL::keyboardDevice, {"A", "B", "C"});
    writeIniString(profileIniPath(PL::keyboardDevice), selectSection(PL::keyboardDevice), "select", "2");
    ops->showStored(PL::keyboardDevice);
    EXPECT_EQ(panel.of(PL::keyboardDevice).selected, 2);
    int applied = 0;
    ops->setApplier(PL::keyboardDevice, [&] { ++applied; });
    ops->selectStored(PL::keyboardDevice);
    EXPECT_EQ(panel.of(PL::keyboardDevice).selected, 2);
    EXPECT_EQ(applied, 1);
    EXPECT_EQ(panel.of(PL::keyboardDevice).shownName, "C");
}

// ---- program links ----------------------------------------------------------------------------

TEST_F(ProfileOperationsTest, TheLinkCheckPicksRefusesConflictsAndUnlinksOnCancel) {
    makeList(PL::keyboardLighting, {"A", "B"}, {"0", "1"});  // B is linked to /opt/game1
    const PL l = PL::keyboardLighting;
    struct Case {
        std::optional<std::string> chosen;
        bool linked;
        std::string message;
    };
    const Case cases[] = {
        {"/usr/bin/Racer", true, ""},
        {std::nullopt, false, ""},                      // cancelled: unlinked
        {"/OPT/GAME1", false, "key message_text_13"},   // B has it (case ignored)
        {"racer", false, ""},                           // no separator: never stored
        {"/" + std::string(300, 'r'), false, ""},       // longer than the INI file reads back
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen.value_or("(cancel)"));
        panel.messages.clear();
        panel.chosen = c.chosen;
        panel.of(l).linked = true;
        ops->linkCheckChanged(l);
        EXPECT_EQ(panel.of(l).linked, c.linked);
        EXPECT_EQ(ini(l, linkSection(l), 0), c.linked ? "1" : "0");
        EXPECT_EQ(panel.of(l).linkText, c.linked ? programFileName(*c.chosen) : " ");
        EXPECT_EQ(panel.messages, c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message});
    }
    EXPECT_TRUE(panel.lastRequest.executablesOnly);

    // The button makes no conflict check, and a cancel changes nothing.
    panel.chosen = "/opt/game1";
    ops->linkButtonClicked(l);
    EXPECT_EQ(ini(l, processSection(l), 0), "/opt/game1");
    panel.chosen.reset();
    ops->linkButtonClicked(l);
    EXPECT_EQ(ini(l, linkSection(l), 0), "1");
    // A program picked through a link is stored as the file it runs, as the foreground query
    // knows it.
    testsupport::writeFile(dir.file("game-1.2"), "#!/bin/sh\n");
    std::filesystem::create_symlink(dir.file("game-1.2"), dir.file("game"));
    panel.chosen = dir.file("game");
    ops->linkButtonClicked(l);
    EXPECT_EQ(ini(l, processSection(l), 0), std::filesystem::canonical(dir.file("game-1.2")).string());
    // Unchecking unlinks.
    panel.of(l).linked = false;
    ops->linkCheckChanged(l);
    EXPECT_EQ(ini(l, processSection(l), 0), "");
}

TEST_F(ProfileOperationsTest, SelectShowsAnyNonZeroLinkValueAsLinked) {
    makeList(PL::mouseKeys, {"A"}, {"2"});
    ops->select(PL::mouseKeys, 0);
    EXPECT_TRUE(panel.of(PL::mouseKeys).linked);
    EXPECT_EQ(panel.of(PL::mouseKeys).linkText, "game0");
}

// ---- program watchers -------------------------------------------------------------------------

struct ScriptedForeground : ForegroundProgram {
    ForegroundAnswer answer;
    ForegroundAnswer query() override { return answer; }
};

// Runs the posted calls at once, as the UI thread would later.
struct DirectHost : ProgramWatcher::Host {
    ProfileOperations* ops;
    int unavailable = 0;
    void select(PL l, int e) override { ops->watcherSelect(l, e); }
    void restore(PL l) override { ops->watcherRestore(l); }
    void foregroundUnavailable() override { ++unavailable; }
};

TEST_F(ProfileOperationsTest, TheLinkedEntryIsFoundIgnoringCaseAtTheLowestIndexWithValueOne) {
    makeList(PL::keyboardLighting, {"A", "B", "C", "D"}, {"2", "0", "1", "1"});
    writeIniString(profileIniPath(PL::keyboardLighting), processSection(PL::keyboardLighting), "0", "/opt/Run");
    writeIniString(profileIniPath(PL::keyboardLighting), processSection(PL::keyboardLighting), "2", "/opt/Run");
    writeIniString(profileIniPath(PL::keyboardLighting), processSection(PL::keyboardLighting), "3", "/OPT/run");
    EXPECT_EQ(linkedEntryFor(PL::keyboardLighting, "/opt/run"), 2);  // entry 0 has value 2
    EXPECT_EQ(linkedEntryFor(PL::keyboardLighting, "/opt/other"), -1);
    EXPECT_EQ(linkedEntryFor(PL::keyboardLighting, ""), -1);
}

TEST_F(ProfileOperationsTest, TheWatcherShowsTheLinkedEntryWhileKeepingTheUsersChoice) {
    const PL l = PL::keyboardLighting;
    makeList(l, {"A", "Racing"}, {"0", "1"});
    writeIniString(profileIniPath(l), processSection(l), "1", "/games/Racer");
    auto source = std::make_shared<ScriptedForeground>();
    auto host = std::make_shared<DirectHost>();
    host->ops = ops.get();
    ProgramWatcher watcher(l, source, host);
    int applied = 0;
    ops->setApplier(l, [&] { ++applied; });

    source->answer = {ForegroundAnswer::program, "/games/racer"};
    EXPECT_EQ(watcher.pass(), 1);
    EXPECT_EQ(panel.of(l).selected, 1);
    EXPECT_EQ(applied, 1);
    host->restore(l);
    EXPECT_EQ(readSelectedIndex(l), 0);
    // A change saved meanwhile goes to the entry shown, never over the user's own.
    fillMirrors(mirrors, 99);
    EXPECT_TRUE(store->saveSelected(l));
    EXPECT_EQ(fileOf(l, "A"), pattern(2048, entrySeed(l, 0)));
    EXPECT_EQ(fileOf(l, "Racing"), buildProfilePayload(l, store->mirrors()));
    watcher.pass();  // still in front: applied once, not every pass
    host->restore(l);
    EXPECT_EQ(applied, 1);

    source->answer = {ForegroundAnswer::program, "/usr/bin/editor"};
    watcher.pass();
    host->restore(l);
    EXPECT_EQ(panel.of(l).selected, 0);
    EXPECT_EQ(applied, 2);

    // The user chooses during a pass's pause: the restore leaves that choice.
    source->answer = {ForegroundAnswer::program, "/games/racer"};
    watcher.pass();
    ops->select(l, 1);  // the user picks Racing themselves
    host->restore(l);
    EXPECT_EQ(readSelectedIndex(l), 1);

    // No foreground source: told once, the user's choice stands.
    writeIniString(profileIniPath(l), selectSection(l), "select", "0");
    source->answer = {ForegroundAnswer::unavailable, {}};
    watcher.pass();
    watcher.pass();
    EXPECT_EQ(host->unavailable, 1);
    EXPECT_EQ(panel.of(l).selected, 0);
}

}  // namespace
