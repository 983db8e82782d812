#include "platform/DataFolder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QStandardPaths>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

#include "platform/DebugLog.h"
#include "support/TestSupport.h"

using testsupport::makeDirs;
using testsupport::TempDir;
using testsupport::writeFile;
using namespace std::string_literals;

namespace {

bool isDir(const std::string& path) { return std::filesystem::is_directory(path); }

// Sets environment variables for one test and puts the old values back.
class ScopedEnv {
public:
    void set(const char* name, const std::string& value) {
        const char* old = std::getenv(name);
        saved_.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
            it->second ? ::setenv(it->first, it->second->c_str(), 1) : ::unsetenv(it->first);
    }

private:
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

std::vector<std::string> g_logged;
void keepLine(const std::string& line) { g_logged.push_back(line); }

}  // namespace

TEST(DataFolder, OverrideAndDeviceFoldersAreCreatedOnDemand) {
    TempDir dir;
    setDataFolderOverride(dir.file("docs/ZELKAR"));
    EXPECT_EQ(dataFolder(), dir.file("docs/ZELKAR/"));
    struct Case { DeviceFolder device; const char* name; } cases[] = {
        {DeviceFolder::keyboard, "kb"}, {DeviceFolder::mouse, "ms"}, {DeviceFolder::pad, "mp"}};
    for (const Case& c : cases) {
        EXPECT_EQ(deviceFolder(c.device), dir.file("docs/ZELKAR/"s + c.name + "/"));
        EXPECT_TRUE(isDir(dir.file("docs/ZELKAR/"s + c.name)));
    }
    setDataFolderOverride("");
}

TEST(DataFolder, FollowsTheUsersDocumentsFolder) {
    // Test mode ignores the user's own folder settings (user-dirs.dirs): Documents is below HOME.
    QStandardPaths::setTestModeEnabled(true);
    TempDir dir;
    ScopedEnv env;
    env.set("HOME", dir.file("用户"));
    EXPECT_EQ(dataFolder(), dir.file("用户/Documents/ZELKAR/"));
    EXPECT_EQ(deviceFolder(DeviceFolder::pad), dir.file("用户/Documents/ZELKAR/mp/"));
    EXPECT_TRUE(isDir(dir.file("用户/Documents/ZELKAR/mp")));
}

TEST(DataFolder, AFolderThatCannotBeMadeIsStillNamedAndLogged) {
    TempDir dir;
    writeFile(dir.file("file"), "");
    setDataFolderOverride(dir.file("file/ZELKAR"));
    setDebugLogSink(keepLine);
    g_logged.clear();
    EXPECT_EQ(deviceFolder(DeviceFolder::mouse), dir.file("file/ZELKAR/ms/"));
    setDebugLogSink(nullptr);
    setDataFolderOverride("");
    ASSERT_FALSE(g_logged.empty());
    EXPECT_NE(g_logged[0].find(dir.file("file/ZELKAR")), std::string::npos);
}

TEST(DataFolder, ProgramAndDefaultsFolders) {
    char exe[4096] = {};
    ASSERT_GT(::readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
    EXPECT_EQ(programFolder(), std::filesystem::path(exe).parent_path().string() + "/");

    TempDir dir;
    const std::string bin = dir.file("bin");
    makeDirs(bin);
    EXPECT_EQ(defaultsFolderOf(bin), bin + "/");
    makeDirs(dir.file("share/zelkar/defaults"));
    EXPECT_EQ(defaultsFolderOf(bin), dir.file("share/zelkar/defaults/"));
    makeDirs(bin + "/defaults");
    EXPECT_EQ(defaultsFolderOf(bin + "/"), bin + "/defaults/");
}

TEST(DataFolder, SkinBesideTheProgramOrInTheInstalledTree) {
    TempDir dir;
    const std::string bin = dir.file("a prefix/bin");  // installed under a prefix with a space
    makeDirs(bin);
    EXPECT_EQ(skinFolderOf(bin), "");
    makeDirs(dir.file("a prefix/share/zelkar/skin"));
    EXPECT_EQ(skinFolderOf(bin), dir.file("a prefix/share/zelkar/skin/"));
    makeDirs(bin + "/skin");
    EXPECT_EQ(skinFolderOf(bin + "/"), bin + "/skin/");
}

TEST(DataFolder, EntryNamesThatStayInsideTheDeviceFolder) {
    for (std::string good : {"新配置文件1"s, "Profile 1"s, "a.b"s, "a-b_c(2)"s, "Äö"s, "\xF0\x9F\x98\x80"s, std::string(240, 'x')})
        EXPECT_TRUE(isSafeEntryName(good)) << good;
    for (std::string bad : {""s, "."s, ".."s, "../x"s, "a/b"s, "/abs"s, "a\\b"s, "a..b"s, " a"s, "a "s, "a\tb"s,
                            "a\0b"s, "\x7f"s, "\xff"s, "\xC0\xAF"s, "\xED\xA0\x80"s, "\xE6\x96"s, std::string(241, 'x')})
        EXPECT_FALSE(isSafeEntryName(bad)) << testsupport::toHex(reinterpret_cast<const uint8_t*>(bad.data()), bad.size());
}
