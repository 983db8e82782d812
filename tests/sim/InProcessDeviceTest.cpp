// The emulated keyboard answering a channel inside the test's own thread.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/DeviceChannel.h"
#include "sim/InProcessDevice.h"

using namespace sim;

namespace {

HidRoots noNodes() {
    HidRoots roots;
    roots.useHidraw = roots.useVhid = false;
    return roots;
}

}  // namespace

TEST(InProcessDevice, AnswersDiscardsStaleRepeatsAndUnplugs) {
    InProcessDevice device(*findDevice("kb"));
    DeviceChannel channel(noNodes());
    ASSERT_EQ(channel.connect(device.commandPath()), 0) << "a peer path opens only with a peer attached";
    channel.transport().attachPeer(&device);
    ASSERT_EQ(channel.connect(device.commandPath()), 1);
    std::string gonePath;
    channel.setGoneHandler([&](const std::string& path) { gonePath = path; });

    uint8_t info[DeviceChannel::kDeviceInfoSize] = {};
    ASSERT_EQ(channel.readDeviceInfo(info), ResultOk);
    EXPECT_EQ(std::vector<uint8_t>(info, info + sizeof info),
              std::vector<uint8_t>(device.model.area(Area::Info).begin(), device.model.area(Area::Info).begin() + 33));

    // Each answer now comes after a repeat of the one before: the repeat answers another request.
    device.staleBefore = true;
    const std::vector<uint8_t>& settings = device.model.area(Area::Settings);
    uint8_t block[8] = {};
    ASSERT_EQ(channel.readBlock(block, 8, 64), ResultOk);
    EXPECT_EQ(std::vector<uint8_t>(block, block + 8), std::vector<uint8_t>(settings.begin() + 64, settings.begin() + 72));

    device.faults.failCommand(CmdReadBlock, kStatusMalformed);
    EXPECT_EQ(channel.readBlock(block, 8, 0), ResultStatusRejected);

    device.faults.clear();
    device.faults.unplugAfter(0);
    EXPECT_EQ(channel.readBlock(block, 8, 0), ResultNoAnswer);
    EXPECT_FALSE(channel.isConnected());
    EXPECT_EQ(gonePath, device.commandPath());
}
