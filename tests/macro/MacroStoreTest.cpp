#include <gtest/gtest.h>

#include <filesystem>

#include "macro/MacroStore.h"
#include "profile/IniFile.h"
#include "support/TestSupport.h"

using namespace macro;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

struct StoreTest : ::testing::Test {
    TempDir dir;
    std::string folder = dir.path() + "/";
    MacroStore kb{folder, MacroListKind::keyboard};
    MacroStore ms{folder, MacroListKind::mouse};

    void writeList(const std::string& file, std::vector<std::string> names) {
        std::string text = "[MACROCOUNT]\ncount=" + std::to_string(names.size()) + "\n[MACRONAME]\n";
        for (size_t i = 0; i < names.size(); ++i) text += std::to_string(i) + "=" + names[i] + "\n";
        writeFile(folder + file, text);
    }
    MacroAction action(const char* line) { return *parseActionLine(line); }
};

}  // namespace

TEST_F(StoreTest, AddNumbersFromTheCountAndSkipsTakenNames) {
    writeList("kbMacro.ini", {"name_2", "Name_3"});
    std::string name;
    ASSERT_EQ(kb.add(&name), MacroOk);
    EXPECT_EQ(name, "name_4");
    EXPECT_EQ(kb.loadNames(), (std::vector<std::string>{"name_2", "Name_3", "name_4"}));
    EXPECT_FALSE(std::filesystem::exists(folder + "name_4.mac"));  // no actions yet

    std::vector<std::string> full;
    for (int i = 0; i < kMaxMacros; ++i) full.push_back("m" + std::to_string(i));
    writeList("kbMacro.ini", full);
    EXPECT_EQ(kb.add(&name), MacroListFull);
    EXPECT_EQ(kb.count(), kMaxMacros);
}

TEST_F(StoreTest, DeleteRewritesTheListFromScratch) {
    writeList("msMacro.ini", {"a", "b", "c"});
    ASSERT_TRUE(ms.saveActions("b", {action("0,0,1,2,0,mouse_key_right")}));
    ASSERT_EQ(ms.remove(1), MacroOk);
    const std::string list = ms.listPath();
    EXPECT_EQ(readIniInt(list, "MACROCOUNT", "count"), 2);
    EXPECT_EQ(readIniString(list, "MACRONAME", "0"), "a");
    EXPECT_EQ(readIniString(list, "MACRONAME", "1"), "c");
    EXPECT_EQ(readIniString(list, "MACRONAME", "2", "none"), "none");
    EXPECT_EQ(readIniInt(list, "CURSORCOUNT", "count"), 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(readIniString(list, "CURSORNAME", std::to_string(i)), "name_" + std::to_string(i + 1));
    EXPECT_FALSE(std::filesystem::exists(folder + "b.mac"));

    writeList("kbMacro.ini", {"a", "b"});
    ASSERT_EQ(kb.remove(0), MacroOk);
    EXPECT_EQ(readIniString(kb.listPath(), "CURSORCOUNT", "count", "none"), "none");  // macro names only
    EXPECT_EQ(kb.remove(5), MacroBadIndex);
}

TEST_F(StoreTest, ActionFilesReadOnlyTheCountAndSkipBadLines) {
    writeFile(folder + "m.mac",
              "[MACROACTIONCOUNT]\ncount=3\n[MACROACTION]\n0=12,0,138,4,1,keyboard_key_A\n1=1,2,3\n"
              "2=0,0,10,4,0,keyboard_key_A\n3=0,0,1,1,0,mouse_key_left\n4=0,0,1,1,0,mouse_key_left\n");
    std::vector<MacroAction> actions = kb.loadActions("m");
    ASSERT_EQ(actions.size(), 2u);  // key 1 is not an action, keys 3 and 4 are beyond the count
    EXPECT_EQ(actions[1].type, 0x0A);

    for (const char* count : {"-5", "x", "99999999999", "2"}) {
        writeFile(folder + "n.mac", std::string("[MACROACTIONCOUNT]\ncount=") + count +
                                        "\n[MACROACTION]\n0=1,0,10,4,1,keyboard_key_A\n");
        EXPECT_LE(kb.loadActionLines("n").size(), size_t(kMaxActionsPerMacro)) << count;
        EXPECT_LE(kb.loadActions("n").size(), 1u) << count;  // missing keys below the count are skipped
    }
    EXPECT_TRUE(kb.loadActions("absent").empty());

    // Saving keeps other sections and writes what it was given, in order.
    std::vector<MacroAction> two{action("5,0,137,1,1,keyboard_key_LCtrl"), action("0,0,9,1,0,keyboard_key_LCtrl")};
    ASSERT_TRUE(kb.saveActions("m", two));
    EXPECT_EQ(kb.loadActions("m"), two);
}

TEST_F(StoreTest, NamesThatCouldLeaveTheFolderAreRefused) {
    writeList("kbMacro.ini", {"../evil", "ok", "  "});
    EXPECT_EQ(kb.actionPath("../evil"), "");
    EXPECT_TRUE(kb.loadActions("../evil").empty());
    EXPECT_FALSE(kb.saveActions("../evil", {}));
    for (const char* bad : {"a/b", "..", "", "   ", "tab\there", "x\\y"})
        EXPECT_EQ(kb.rename(1, bad, {}), MacroNameInvalid) << bad;
    EXPECT_EQ(kb.rename(1, std::string("nul\0x", 5), {}), MacroNameInvalid);
    // A macro whose stored name is unsafe can still be renamed to a good one, keeping its place.
    EXPECT_EQ(kb.rename(0, "fine", {action("0,0,1,1,1,mouse_key_left")}), MacroOk);
    EXPECT_EQ(kb.loadNames()[0], "fine");
    EXPECT_EQ(kb.loadActions("fine").size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/../evil.mac"));
}

TEST_F(StoreTest, RenameMovesTheFileAndKeepsOtherFiles) {
    writeList("kbMacro.ini", {"name_1", "other"});
    const std::vector<MacroAction> rows{action("1,0,138,4,1,keyboard_key_A")};
    EXPECT_EQ(kb.rename(0, "NAME_1", rows), MacroUnchanged);
    EXPECT_EQ(kb.rename(0, "OTHER", rows), MacroNameTaken);
    writeFile(folder + "Orphan.mac", "precious");
    EXPECT_EQ(kb.rename(0, "orphan", rows), MacroNameTaken);  // a file of no macro is not overwritten
    EXPECT_EQ(readFile(folder + "Orphan.mac"), "precious");

    ASSERT_EQ(kb.rename(0, "fire", rows), MacroOk);
    EXPECT_EQ(kb.loadNames(), (std::vector<std::string>{"fire", "other"}));
    EXPECT_EQ(kb.loadActions("fire"), rows);
    EXPECT_FALSE(std::filesystem::exists(folder + "name_1.mac"));
}

TEST_F(StoreTest, ImportAcceptsOnlyActionFilesADeviceCouldTake) {
    writeList("msMacro.ini", {"m"});
    const std::string good = dir.file("good.mac");
    writeFile(good, "[MACROACTIONCOUNT]\ncount=1\n[MACROACTION]\n0=0,0,129,1,1,mouse_key_left\n");
    writeFile(dir.file("huge.mac"), "[MACROACTIONCOUNT]\ncount=9000\n");
    writeFile(dir.file("text.txt"), "hello");
    EXPECT_EQ(ms.importActions("m", dir.file("text.txt")), MacroNotActionFile);
    EXPECT_EQ(ms.importActions("m", dir.file("huge.mac")), MacroNotActionFile);
    EXPECT_EQ(ms.importActions("m", dir.file("missing.mac")), MacroNotActionFile);
    ASSERT_EQ(ms.importActions("m", good), MacroOk);
    EXPECT_EQ(readFile(folder + "m.mac"), readFile(good));
    ASSERT_TRUE(ms.exportActions("m", dir.file("out.mac")));
    EXPECT_EQ(readFile(dir.file("out.mac")), readFile(good));
}
