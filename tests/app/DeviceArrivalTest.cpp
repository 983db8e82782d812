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
// again and the frames go on.
TEST_F(DeviceArrivalTest, AQuickReplugIsReadAgainAndStreamedTo) {
    ASSERT_TRUE(bus->plug("kb"));
    auto window = makeWindow(true);
    ASSERT_TRUE(spinUntil([&] { return window->timerInterval(timer::LightingFrame) == 10; }, 3000));
    ASSERT_TRUE(bus->unplug("kb"));
    ASSERT_TRUE(bus->plug("kb"));
    bus->clearWireRecords();
    ASSERT_TRUE(spinUntil([&] {
        const auto c = kbCommands();
        return std::find(c.begin(), c.end(), CmdReadDeviceInfo) != c.end();
    }, 3000));
    EXPECT_TRUE(window->channel(ChannelKeyboard).isConnected());
    bus->clearWireRecords();
    EXPECT_TRUE(spinUntil([&] {
        const auto c = kbCommands();
        return std::count(c.begin(), c.end(), CmdStreamFrame) >= 8;
    }, 3000));
}

TEST_F(DeviceArrivalTest, KeyboardShowsTheWindowAndItsPanelAndUnplugHidesThemAgain) {
    ASSERT_TRUE(bus->plug("kb"));
    auto window = makeWindow(true);
    ui::Ui& ui = window->ui();
    ASSERT_TRUE(spinUntil([&] { return window->isVisible() && ui.isVisible("kb_tab_panel"); }));
    EXPECT_TRUE(window->channel(ChannelKeyboard).isConnected());
    EXPECT_TRUE(spinUntil([&] { return window->channel(ChannelKeyboardConsumer).isConnected(); }));
    EXPECT_FALSE(window->channel(ChannelSmallKeyboard).isConnected());
    // The lighting phase counters run while the keyboard is there.
    EXPECT_EQ(window->timerInterval(timer::LightingPhase), 10);
    EXPECT_TRUE(spinUntil([&] { return window->lightingPhase().halfRate.load(); }, 500));
    // Timer 1006 reads the keyboard again after 500 ms and starts the 10 ms frame stream.
    ASSERT_TRUE(spinUntil([&] { return window->timerInterval(timer::LightingFrame) == 10; }, 2000));
    spinFor(150);  // the activation after the first search has come and gone
    EXPECT_EQ(boxesWithKey("message_text_1"), 0);

    ASSERT_TRUE(bus->unplug("kb"));
    ASSERT_TRUE(spinUntil([&] { return !window->isVisible(); }, 2000));
    EXPECT_FALSE(ui.isVisible("kb_tab_panel"));
    EXPECT_FALSE(window->channel(ChannelKeyboard).isConnected());
    EXPECT_TRUE(spinUntil([&] { return !window->channel(ChannelKeyboardConsumer).isConnected(); }));
    EXPECT_FALSE(window->isTimerActive(timer::LightingFrame));
    EXPECT_FALSE(window->isTimerActive(timer::LightingPhase));
    EXPECT_FALSE(window->isShutDown());  // a device going away never ends the program

    ASSERT_TRUE(bus->plug("kb"));
    EXPECT_TRUE(spinUntil([&] { return window->isVisible() && ui.isVisible("kb_tab_panel"); }, 2000));
}

TEST_F(DeviceArrivalTest, KeyboardNotificationsReachTheWindowThroughTheListener) {
    ASSERT_TRUE(bus->plug("kb"));
    auto window = makeWindow(true);
    ASSERT_TRUE(spinUntil([&] { return window->isVisible(); }));
    spinFor(100);  // the listener opens the consumer interface during its first search
    ASSERT_TRUE(bus->notify("kb", 0x0401));
    EXPECT_TRUE(spinUntil([&] { return window->isTimerActive(timer::RereadBlock); }, 1500));
    EXPECT_TRUE(spinUntil([&] { return !window->isTimerActive(timer::RereadBlock); }, 1000));
}

TEST_F(DeviceArrivalTest, WithoutADeviceTheActivationHidesTheWindowAndShowsOneBox) {
    // While the box is open, two more activations arrive; they only hide the window.
    int nested = 0;
    CMainWnd* current = nullptr;
    whileBoxOpen = [&](const MessageBoxRequest&) {
        if (nested++ == 0 && current) {
            current->send(kActivationMessage);
            current->send(kActivationMessage);
        }
    };
    auto window = makeWindow(true);
    current = window.get();
    window->show();
    ASSERT_TRUE(spinUntil([&] { return boxesWithKey("message_text_1") >= 1; }));
    spinFor(50);
    EXPECT_EQ(boxesWithKey("message_text_1"), 1);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(boxes[0].textIsKey);
    EXPECT_TRUE(boxes[0].title.empty());

    // After the box has closed, the next activation may show it again.
    window->send(kActivationMessage);
    EXPECT_EQ(boxesWithKey("message_text_1"), 2);
}

TEST_F(DeviceArrivalTest, TrayLeftClickShowsTheWindowOrOneNoDeviceBox) {
    auto window = makeWindow(false);
    ASSERT_TRUE(waitForInit(*window));
    int nested = 0;
    whileBoxOpen = [&](const MessageBoxRequest&) {
        if (nested++ == 0) window->send(msg::TrayNotify, 0, msg::TrayLeftButtonUp);
    };
    window->send(msg::TrayNotify, 0, msg::TrayLeftButtonUp);
    EXPECT_EQ(boxesWithKey("message_text_1"), 1);
    EXPECT_FALSE(window->isVisible());

    ASSERT_TRUE(bus->plug("mouse"));  // any of keyboard, mouse, pad will do
    ASSERT_EQ(window->channel(ChannelMouse).connect(busPath(0x6656, 1, 0)), 1);
    window->send(msg::TrayNotify, 0, msg::TrayLeftButtonUp);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->timerInterval(timer::Repaint), 10);
    EXPECT_EQ(boxesWithKey("message_text_1"), 1);
    window->send(kActivationMessage);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(boxesWithKey("message_text_1"), 1);
}

TEST_F(DeviceArrivalTest, WithoutATrayTheWindowStaysReachableAndClosingQuits) {
    auto window = makeWindow(true, /*tray*/ false);
    ASSERT_TRUE(spinUntil([&] { return boxesWithKey("message_text_1") == 1; }));
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->hasTray());
    int quits = 0;
    QObject::connect(window.get(), &CMainWnd::quitRequested, [&] { ++quits; });
    window->ui().raise("click", "closebtn");
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(window->isShutDown());
    EXPECT_FALSE(window->isVisible());
}

TEST_F(DeviceArrivalTest, AddOnKeyboardsShowOnlyTheirOwnControls) {
    ASSERT_TRUE(bus->plug("small"));
    ASSERT_TRUE(bus->plug("companion"));
    auto window = makeWindow(true);
    ui::Ui& ui = window->ui();
    ASSERT_TRUE(spinUntil([&] { return ui.isVisible("smallkb_key") && ui.isVisible("companionkb_key"); }));
    EXPECT_TRUE(ui.isVisible("smallkb_deng_key"));
    EXPECT_TRUE(ui.isVisible("companionkb_deng_key"));
    EXPECT_TRUE(window->channel(ChannelSmallKeyboard).isConnected());
    EXPECT_TRUE(window->channel(ChannelCompanionKeyboard).isConnected());
    EXPECT_FALSE(ui.isVisible("kb_tab_panel"));
    // No main keyboard, mouse or pad: the first search ends with the no-device box.
    EXPECT_TRUE(spinUntil([&] { return boxesWithKey("message_text_1") == 1; }));
    EXPECT_FALSE(window->isVisible());

    ASSERT_TRUE(bus->unplug("small"));
    ASSERT_TRUE(spinUntil([&] { return !ui.isVisible("smallkb_key"); }, 2000));
    EXPECT_FALSE(ui.isVisible("smallkb_deng_key"));
    EXPECT_FALSE(window->channel(ChannelSmallKeyboard).isConnected());
    EXPECT_TRUE(ui.isVisible("companionkb_key"));
    EXPECT_TRUE(window->channel(ChannelCompanionKeyboard).isConnected());
}
