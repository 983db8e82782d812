// zelkar-hidinfo as a separate program: on a captured sysfs tree and on the virtual bus.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "integration/BusFixture.h"
#include "support/SysfsFixture.h"

using namespace testsupport;

namespace {

// Runs the tool; returns its standard output, exit status in *status.
std::string runHidinfo(const std::string& arguments, int* status) {
    const char* binaryDir = std::getenv("ZELKAR_BINARY_DIR");
    const std::string tool = std::string(binaryDir ? binaryDir : ".") + "/src/tools/zelkar-hidinfo";
    std::FILE* pipe = ::popen((tool + " " + arguments + " 2>/dev/null").c_str(), "r");
    std::string out;
    if (!pipe) return out;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    const int raw = ::pclose(pipe);
    *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return out;
}

size_t count(const std::string& haystack, const std::string& needle) {
    size_t n = 0;
    for (size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1)) ++n;
    return n;
}

}  // namespace

TEST(HidinfoTool, JsonFromACapturedSysfsTree) {
    SysfsFixture fixture;
    fixture.addNode(0, 0x0C45, 0x751D, 0, vendorCommandDescriptor());
    fixture.addNode(3, 0x0C45, 0x751D, 1, fourCollectionDescriptor());
    int status = -1;
    const std::string json = runHidinfo("--json --sysfs " + fixture.sysfs(), &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(json.front(), '[');
    EXPECT_EQ(count(json, "\"path\""), 5u);
    EXPECT_NE(json.find("\"path\": \"hidraw:/dev/hidraw3#vid_0c45&pid_751d&mi_01&col04\", \"vendorId\": 3141, "
                        "\"productId\": 29981, \"interface\": 1, \"collection\": 4, \"usagePage\": 65308, "
                        "\"usage\": 146, \"inputReportLength\": 64, \"outputReportLength\": 64, "
                        "\"featureReportLength\": 0}"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"collection\": 3, \"usagePage\": 12, \"usage\": 1"), std::string::npos);

    const std::string empty = runHidinfo("--json --sysfs " + fixture.sysfs() + "/none", &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(empty, "[]\n");
    for (const char* bad : {"--bogus", "--sysfs", "-json"}) {
        runHidinfo(bad, &status);
        EXPECT_EQ(status, 2) << bad;
    }
    const std::string version = runHidinfo("--version", &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(version.rfind("zelkar-hidinfo ", 0), 0u) << version;
    EXPECT_EQ(std::count(version.begin(), version.end(), '\n'), 1) << "one line";
}

TEST(HidinfoTool, ListsTheEmulatedFamily) {
    TempDir dir;
    sim::VirtualBus bus(dir.path());
    ASSERT_TRUE(bus.plug("kb"));
    ASSERT_TRUE(bus.plug("small"));
    ASSERT_TRUE(bus.plug("companion"));
    int status = -1;
    const std::string text = runHidinfo("--bus " + dir.path(), &status);
    EXPECT_EQ(status, 0);
    for (const char* tags : {"#vid_0c45&pid_751d&mi_01&col04", "#vid_0c45&pid_751d&mi_01&col03",
                             "#vid_0c45&pid_761e&mi_01&col04", "#vid_0c45&pid_7624&mi_01&col04"})
        EXPECT_NE(text.find(tags), std::string::npos) << tags << "\n" << text;
    EXPECT_NE(text.find("usage page 0xff1c  usage 0x0092"), std::string::npos);
    EXPECT_EQ(text.find("cannot be opened"), std::string::npos) << text;
}
