// The window's side of lighting: what a lighting change does to the stored profiles when the
// device is not there.
#include <fstream>
#include <iterator>

#include "app/AppTestSupport.h"

using apptest::ShellTest;
using apptest::spinUntil;

namespace {

std::vector<uint8_t> payloadOf(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    return bytes.size() > 16 ? std::vector<uint8_t>(bytes.begin() + 16, bytes.end()) : std::vector<uint8_t>{};
}

}  // namespace

// The mouse is never there, and a lighting change saves its selected profiles at once: they must
// keep what they held (its key table above all), changed only in the one byte.
TEST_F(ShellTest, ALightingChangeWithoutTheDeviceKeepsTheRestOfItsStoredProfiles) {
    const std::string device = dataFile("ms/新配置文件1.config"), lighting = dataFile("ms/新配置文件1.led");
    {
        auto first = makeWindow(true);
        ASSERT_TRUE(waitForInit(*first));
    }
    const std::vector<uint8_t> deviceBefore = payloadOf(device), lightingBefore = payloadOf(lighting);
    ASSERT_EQ(deviceBefore.size(), 576u);
    ASSERT_NE(deviceBefore[0], 0) << "the default mouse key table starts with a button";

    auto window = makeWindow(true);
    ASSERT_TRUE(waitForInit(*window));
    const int brightness = deviceBefore[512 + 2] == 1 ? 2 : 1;
    window->ui().setValue("ms_deng_light_slider", brightness, true);
    ASSERT_TRUE(spinUntil([&] { return payloadOf(lighting)[2] == brightness; }, 1000));

    std::vector<uint8_t> deviceAfter = payloadOf(device), lightingAfter = payloadOf(lighting);
    EXPECT_EQ(deviceAfter[512 + 2], brightness);
    deviceAfter[512 + 2] = deviceBefore[512 + 2];
    lightingAfter[2] = lightingBefore[2];
    EXPECT_EQ(deviceAfter, deviceBefore);
    EXPECT_EQ(lightingAfter, lightingBefore);
}
