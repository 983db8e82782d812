#include "profile/AtomicFile.h"
#include "profile/IniFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <random>
#include <thread>
#include <vector>

#include "platform/DebugLog.h"
#include "support/TestSupport.h"

using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

using namespace std::string_literals;

namespace {

std::vector<std::string> filesIn(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

std::string repeat(const std::string& s, int n) {
    std::string out;
    while (n-- > 0) out += s;
    return out;
}

}  // namespace

TEST(IniFile, ReadsLikeThePrivateProfileFunctions) {
    const std::string nul = "ab\0cd"s;
    struct Case { std::string text, section, key, def, expected; } cases[] = {
        {"[PROFILECOUNT]\ncount=3\n", "profilecount", "COUNT", "0", "3"},
        {"  [ PROFILECOUNT ]  \n  count  =   3   \n", " PROFILECOUNT", "count ", "0", "3"},
        {"[A]\r\nk=v\r\n", "A", "k", "0", "v"},
        {"\xEF\xBB\xBF[A]\nk=v\n", "A", "k", "0", "v"},
        {"[A]\nk=\n", "A", "k", "0", ""},
        {"[A]\nk=\"a b \"\n", "A", "k", "0", "a b "},
        {"[A]\nk='x'\n", "A", "k", "0", "x"},
        {"[A]\nk=\"x'\n", "A", "k", "0", "\"x'"},
        {"[A]\nk=1\nK=2\n[a]\nk=3\nj=4\n", "a", "k", "0", "1"},  // first section, first key
        {"[A]\nk=1\n[a]\nj=4\n", "a", "j", "0", "0"},              // later duplicates are not searched
        {"k=1\n[A]\n", "A", "k", "0", "0"},
        {"[A]\n;k=1\n", "A", "k", "0", "0"},
        {"[A]\nk\n", "A", "k", "d", "d"},
        {"[A]\n[broken\nk=1\n", "A", "k", "0", "1"},
        {"[A]\nj=1\n[B]\nk=2\n", "A", "k", "x  ", "x"},
        {"[PROFILENAME]\n0=新配置文件1\n", "profilename", "0", "0", "新配置文件1"},
        {"[ÄBC]\nk=1\n", "äbc", "k", "0", "0"},                      // only ASCII folds
        {"[A]\nk=" + nul + "\n", "A", "k", "0", "0"},  // cut at the NUL it would name another profile
        {"garbage\x01\n]][[==\n[A\0]\nk=no\n[A]\nk=ok\n"s, "a", "K", "0", "ok"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        writeFile(dir.file("t.ini"), c.text);
        EXPECT_EQ(readIniString(dir.file("t.ini"), c.section, c.key, c.def), c.expected) << c.text;
    }
    EXPECT_EQ(readIniString(dir.file("missing.ini"), "A", "k"), "0");
    EXPECT_EQ(readIniString(dir.path(), "A", "k", "d"), "d");  // a folder, not a file
}

// Something that is not a regular file in place of an INI file (a FIFO would hold a plain open
// forever) reads as the default and is not written, at once.
TEST(IniFile, OnlyRegularFilesAreOpenedAndNothingBlocks) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("kbProfile.ini").c_str(), 0600), 0);
    EXPECT_EQ(readIniString(dir.file("kbProfile.ini"), "PROFILECOUNT", "count", "7"), "7");
    EXPECT_FALSE(writeIniString(dir.file("kbProfile.ini"), "PROFILECOUNT", "count", "1"));
    EXPECT_FALSE(deleteIniKey(dir.file("kbProfile.ini"), "PROFILECOUNT", "count"));
}

TEST(IniFile, ValuesAreCutToTheBuffer) {
    const std::string han = "新", emoji = "\xF0\x9F\x98\x80";  // 1 and 2 UTF-16 units
    struct Case { std::string value, expected; } cases[] = {
        {repeat("a", 259), repeat("a", 259)},
        {repeat("a", 300), repeat("a", 259)},
        {repeat(han, 300), repeat(han, 259)},
        {repeat(emoji, 130), repeat(emoji, 129)},
        {"a" + repeat(emoji, 130), "a" + repeat(emoji, 129)},
        {repeat("a", 258) + "\xE6\x96", repeat("a", 258) + "\xE6"},  // broken bytes count singly
    };
    TempDir dir;
    for (const Case& c : cases) {
        ASSERT_TRUE(writeIniString(dir.file("t.ini"), "S", "k", c.value));
        EXPECT_EQ(readIniString(dir.file("t.ini"), "S", "k"), c.expected);
        EXPECT_EQ(readIniString(dir.file("t.ini"), "S", "missing", c.value), c.expected);
    }
}

TEST(IniFile, ReadsIntegersAsPrivateProfileFunctionsConvertThem) {
    struct Case { std::string value; int expected; } cases[] = {
        {"12", 12}, {"-5", -5}, {"+7", 7}, {"12abc", 12}, {"abc", 0}, {"", -1}, {" 42 ", 42},
        {"\"8\"", 8}, {"99999999999", INT_MAX}, {"-99999999999", INT_MIN},
    };
    TempDir dir;
    for (const Case& c : cases) {
        writeFile(dir.file("t.ini"), "[S]\nk=" + c.value + "\n");
        EXPECT_EQ(readIniInt(dir.file("t.ini"), "S", "k", -1), c.expected) << c.value;
    }
    EXPECT_EQ(readIniInt(dir.file("t.ini"), "S", "other", 9), 9);
}

TEST(IniFile, WritesChangeOnlyTheirOwnLine) {
    const std::string junk = "garbage\0line\n[A]\nnoequals\n"s;
    struct Case { std::string before, section, key, value, after; } cases[] = {
        {"[A]\r\n; note\r\nKey = old\r\nx\r\n", "a", "KEY", "new", "[A]\r\n; note\r\nKey = new\r\nx\r\n"},
        {"[A]\na=1\n\n[B]\nb=2\n", "A", "c", "3", "[A]\na=1\nc=3\n\n[B]\nb=2\n"},
        {"[A]\na=1\n", "B", "k", "v", "[A]\na=1\n\n[B]\nk=v\n"},
        {"[A]\r\na=1\r\n", "B", "b", "2", "[A]\r\na=1\r\n\r\n[B]\r\nb=2\r\n"},
        {"[A]\na=1", "A", "b", "2", "[A]\na=1\nb=2\n"},
        {"[A]", "A", "k", "v", "[A]\nk=v\n"},
        {"", "S", "k", "v", "[S]\nk=v\n"},
        {"\xEF\xBB\xBF[A]\na=1\n", "A", "a", "2", "\xEF\xBB\xBF[A]\na=2\n"},
        {junk + "a=1\n", "A", "a", "5", junk + "a=5\n"},
        {"[A]\nk=1\n[a]\nk=2\n", "A", "k", " sp ", "[A]\nk= sp \n[a]\nk=2\n"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        writeFile(dir.file("t.ini"), c.before);
        ASSERT_TRUE(writeIniString(dir.file("t.ini"), c.section, c.key, c.value));
        EXPECT_EQ(readFile(dir.file("t.ini")), c.after) << c.before;
    }
}

TEST(IniFile, UnicodeNamesRoundTrip) {
    TempDir dir;
    const std::string file = dir.file("配置.ini");
    ASSERT_TRUE(writeIniString(file, "PROFILENAME", "0", "新配置文件1"));
    ASSERT_TRUE(writeIniString(file, "配置", "名字", "値 ü"));
    EXPECT_EQ(readIniString(file, "profilename", "0"), "新配置文件1");
    EXPECT_EQ(readIniString(file, "配置", "名字"), "値 ü");
}

TEST(IniFile, RefusesNamesAndValuesThatCouldForgeLines) {
    struct Case { std::string section, key, value; } cases[] = {
        {"A]\n[B", "k", "v"}, {"A\nB", "k", "v"}, {"A]", "k", "v"}, {"  ", "k", "v"}, {std::string("A\0", 2), "k", "v"},
        {"A", "k=v", "v"}, {"A", "k\r", "v"}, {"A", "", "v"}, {"A", ";k", "v"}, {"A", "[k", "v"},
        {"A", "k", "v\nk2=x"}, {"A", "k", "v\r"}, {"A", "k", std::string("v\0", 2)},
    };
    TempDir dir;
    writeFile(dir.file("t.ini"), "[A]\nk=old\n");
    for (const Case& c : cases) {
        EXPECT_FALSE(writeIniString(dir.file("t.ini"), c.section, c.key, c.value)) << c.section << c.key << c.value;
        if (c.value == "v") {
            EXPECT_EQ(readIniString(dir.file("t.ini"), c.section, c.key, "d"), "d");
        }
    }
    EXPECT_EQ(readFile(dir.file("t.ini")), "[A]\nk=old\n");
    EXPECT_FALSE(writeIniString(dir.file("no/such/folder.ini"), "A", "k", "v"));
}

TEST(IniFile, DeletesKeysAndSections) {
    TempDir dir;
    const std::string file = dir.file("t.ini");
    writeFile(file, "[A]\nk=1\nj=2\n[B]\nk=3\n[a]\nm=4\n[C]\n");
    ASSERT_TRUE(deleteIniKey(file, "b", "K"));
    EXPECT_EQ(readFile(file), "[A]\nk=1\nj=2\n[B]\n[a]\nm=4\n[C]\n");
    ASSERT_TRUE(deleteIniSection(file, "A"));
    EXPECT_EQ(readFile(file), "[B]\n[C]\n");
    EXPECT_TRUE(deleteIniKey(dir.file("none.ini"), "A", "k"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("none.ini")));
}

TEST(IniFile, ConcurrentWritersLoseNoUpdate) {
    TempDir dir;
    std::filesystem::create_directory_symlink(dir.path(), dir.file("link"));
    const std::string spellings[] = {dir.file("t.ini"), dir.file("link/t.ini"), dir.path() + "/./t.ini"};
    ASSERT_TRUE(writeIniString(spellings[0], "S", "sentinel", "here"));
    constexpr int kThreads = 6, kWrites = 25;
    std::atomic<bool> done{false};
    std::atomic<int> tornReads{0};
    std::thread reader([&] {
        while (!done) tornReads += readIniString(spellings[0], "S", "sentinel") != "here";
    });
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t)
        writers.emplace_back([&, t] {
            for (int i = 0; i < kWrites; ++i)
                writeIniString(spellings[t % 3], "S", std::to_string(t) + "_" + std::to_string(i), std::to_string(i));
        });
    for (auto& w : writers) w.join();
    done = true;
    reader.join();
    EXPECT_EQ(tornReads, 0);
    for (int t = 0; t < kThreads; ++t)
        for (int i = 0; i < kWrites; ++i)
            ASSERT_EQ(readIniInt(spellings[0], "S", std::to_string(t) + "_" + std::to_string(i), -1), i);
    EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"link", "t.ini"}));
}

namespace {
AtomicWriteStage g_failAt;
bool failAtChosenStage(AtomicWriteStage stage, const std::string&) { return stage != g_failAt; }
bool crashMidWrite(AtomicWriteStage stage, const std::string&) {
    if (stage == AtomicWriteStage::partWritten) _exit(9);
    return true;
}
std::vector<std::string> g_logged;
void keepLine(const std::string& line) { g_logged.push_back(line); }
}  // namespace

TEST(IniFile, FailedWriteLeavesTheOldFileAndNoTemporaries) {
    TempDir dir;
    const std::string file = dir.file("t.ini"), old = "; keep\n[A]\nk=old\n";
    setDebugLogSink(keepLine);
    for (AtomicWriteStage stage : {AtomicWriteStage::created, AtomicWriteStage::partWritten, AtomicWriteStage::synced,
                                   AtomicWriteStage::renaming}) {
        writeFile(file, old);
        g_failAt = stage;
        g_logged.clear();
        setAtomicWriteHookForTesting(failAtChosenStage);
        EXPECT_FALSE(writeIniString(file, "A", "k", "new"));
        EXPECT_FALSE(writeIniString(dir.file("new.ini"), "A", "k", "new"));
        setAtomicWriteHookForTesting(nullptr);
        EXPECT_EQ(readFile(file), old);
        EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"t.ini"});
        ASSERT_EQ(g_logged.size(), 2u);
        EXPECT_NE(g_logged[0].find(file), std::string::npos);
    }
    setDebugLogSink(nullptr);
}

TEST(IniFile, CrashMidWriteKeepsTheOldFileAndItsLeftoverIsCleared) {
    TempDir dir;
    const std::string file = dir.file("t.ini"), old = "[A]\nk=old\n";
    writeFile(file, old);
    writeFile(dir.file(".t.ini.tmp-1-live"), "");  // a writer that is still running keeps its file
    pid_t child = fork();
    if (child == 0) {
        setAtomicWriteHookForTesting(crashMidWrite);
        writeIniString(file, "A", "k", repeat("x", 10000));
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_EQ(WEXITSTATUS(status), 9);
    EXPECT_EQ(readFile(file), old);
    EXPECT_EQ(filesIn(dir.path()).size(), 3u);  // the file, the live writer's and the dead one's
    ASSERT_TRUE(writeIniString(file, "A", "k", "new"));
    EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{".t.ini.tmp-1-live", "t.ini"}));
}

TEST(IniFile, ReplacementKeepsPermissionsAndLinks) {
    TempDir dir;
    writeFile(dir.file("real.ini"), "[A]\n");
    ::chmod(dir.file("real.ini").c_str(), 0640);
    std::filesystem::create_symlink("real.ini", dir.file("link.ini"));
    ASSERT_TRUE(writeIniString(dir.file("link.ini"), "A", "k", "v"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.ini")));
    EXPECT_EQ(readFile(dir.file("real.ini")), "[A]\nk=v\n");
    struct stat st {};
    ASSERT_EQ(::stat(dir.file("real.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(IniFile, AnyTextSurvivesAWriteAndReadsBackTheValue) {
    const char alphabet[] = {'[', ']', '=', ';', ' ', '\n', '\r', '\0', 'a', 'A', 'k', '\xEF', '\xBB', '\xBF', '\xE6'};
    std::mt19937 random(1234);
    TempDir dir;
    for (int round = 0; round < 150; ++round) {
        std::string text;
        for (int n = random() % 60; n > 0; --n) text += alphabet[random() % sizeof alphabet];
        writeFile(dir.file("t.ini"), text);
        readIniString(dir.file("t.ini"), "a", "k");
        ASSERT_TRUE(writeIniString(dir.file("t.ini"), "a", "k", "value"));
        ASSERT_EQ(readIniString(dir.file("t.ini"), "A", "K"), "value") << testsupport::toHex(
            reinterpret_cast<const uint8_t*>(text.data()), text.size());
    }
}
