// The Show policy, the no-device guards and the window's side of device arrival and removal, with
// the real device watcher and keyboard listener on a private emulator bus.
#include "app/AppTestSupport.h"

#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <map>

#include "support/TestSupport.h"

using apptest::ShellTest;
using apptest::spinFor;
using apptest::spinUntil;

class DeviceArrivalTest : public ShellTest {
protected:
    // Every file below the data folder with its bytes.
    std::map<std::string, std::string> dataFiles() const {
        std::map<std::string, std::string> out;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path() + "/data"))
            if (entry.is_regular_file()) out[entry.path().string()] = testsupport::readFile(entry.path().string());
        return out;
    }
    // Commands written to the keyboard since the last clear.
    std::vector<uint8_t> kbCommands() const {
        std::vector<uint8_t> out;
        for (const sim::WireRecord& r : bus->wireRecords())
            if (r.dev == "kb" && r.dir == sim::WireDir::Out && r.bytes.size() > 3) out.push_back(r.bytes[3]);
        return out;
    }
};

// A keyboard that answers nothing: its arrival changes no profile file, the window keeps running
// its events while it waits, and the user is told once.
TEST_F(DeviceArrivalTest, ASilentKeyboardLeavesTheFilesAndTheWindowAlone) {
    {
        auto first = makeWindow(false);  // the first run writes the default profiles
        ASSERT_TRUE(waitForInit(*first));
    }
    const auto before = dataFiles();
    ASSERT_FALSE(before.empty());
    ASSERT_TRUE(bus->dropAnswers("kb", 1000000));
    ASSERT_TRUE(bus->plug("kb"));
    auto window = makeWindow(true);
    // A zero-delay timer that re-arms itself counts how often the event loop turns.
    int turns = 0;
    auto last = std::chrono::steady_clock::now();
    std::chrono::steady_clock::duration longest{};
    QTimer ticker;
    ticker.setInterval(0);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        ++turns;
        const auto now = std::chrono::steady_clock::now();
        longest = std::max(longest, now - last);
        last = now;
    });
    ticker.start();
    ASSERT_TRUE(spinUntil([&] { return boxesWithKey("kb_no_answer_text") >= 1; }, 5000));
    EXPECT_TRUE(spinUntil([&] { return window->channel(ChannelKeyboard).isSilent(); }, 1000));
    spinFor(1000);  // timer 1006 reads again and fails again
    const int during = turns;
    EXPECT_GT(during, 50);  // turns on while the window waits for a keyboard that never answers
    RecordProperty("longest_gap_ms",
                   int(std::chrono::duration_cast<std::chrono::milliseconds>(longest).count()));
    EXPECT_EQ(boxesWithKey("kb_no_answer_text"), 1);
    EXPECT_EQ(dataFiles(), before);

    // The keyboard answers again: a notification has it read, and the stream comes back.
    ASSERT_TRUE(bus->clearFaults("kb"));
    ASSERT_TRUE(bus->notify("kb", 0x0402));
    EXPECT_TRUE(spinUntil([&] { return !window->channel(ChannelKeyboard).isSilent(); }, 3000));
}

// Unplugged and plugged again in one go (quicker than the watcher looks): the keyboard is read
// again, and the frames go on right after that read, before timer 1006 reads it once more.
TEST_F(DeviceArrivalTest, AQuickReplugIsReadAgainAndStreamedTo) {
    ASSERT_TRUE(bus->plug("kb"));
    auto window = makeWindow(true);
    ASSERT_TRUE(spinUntil([&] { return window->timerInterval(timer::LightingFrame) == 10; }, 3000));
    ASSERT_TRUE(bus->unplug("kb"));
    ASSERT_TRUE(bus->plug("kb"));
    bus->clearWireRecords();
    auto count = [&](uint8_t command) {
        const auto c = kbCommands();
        return std::count(c.begin(), c.end(), command);
    };
    ASSERT_TRUE(spinUntil([&] { return count(CmdReadDeviceInfo) >= 2; }, 3000));  // arrival, then 1006
    EXPECT_TRUE(window->channel(ChannelKeyboard).isConnected());
    const auto c = kbCommands();
    const auto firstEnd = std::find(c.begin(), c.end(), CmdEndTransfer);
    const auto secondRead = std::find(firstEnd, c.end(), CmdReadDeviceInfo);
    EXPECT_GE(std::count(firstEnd, secondRead, CmdStreamFrame), 8);  // at least one whole frame
}
