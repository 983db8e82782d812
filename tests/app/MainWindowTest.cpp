// The main window's start-up sequence, message table, timers and the current-settings flush.
#include <QTimer>
#include <cstring>

#include "app/AppTestSupport.h"
#include "lighting/LightingPhase.h"
#include "app/WindowLink.h"
#include "app/ui/UiQt.h"
#include "sim/WireLog.h"

using apptest::ShellTest;
using apptest::spinFor;
using apptest::spinUntil;

namespace {

// The command reports the program wrote to a device, in wire order.
std::vector<std::vector<uint8_t>> sentTo(const sim::VirtualBus& bus, const std::string& dev) {
    std::vector<std::vector<uint8_t>> out;
    for (const sim::WireRecord& r : bus.wireRecords())
        if (r.dev == dev && r.dir == sim::WireDir::Out) out.push_back(r.bytes);
    return out;
}

constexpr uint8_t kWriteBlock = 6;
// Command report: byte 3 command, 4 length, 5..6 address, data from byte 8.
uint16_t addressOf(const std::vector<uint8_t>& report) { return uint16_t(report[5] | report[6] << 8); }

}  // namespace

class MainWindowTest : public ShellTest {};

TEST_F(MainWindowTest, StartsHiddenInChineseAndWindowInitStartsTheTimersAndWorkers) {
    auto window = makeWindow(true);
    EXPECT_EQ(window->size(), QSize(800, 572));
    EXPECT_EQ(window->windowTitle(), "ZELKAR Driver");
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(window->isEnglish());
    ASSERT_TRUE(waitForInit(*window));
    EXPECT_FALSE(window->isVisible());
    // Timers 2 and 3 sleep while they have nothing to do: no DirtyFlag (once the mouse page's
    // first refresh has been flushed), no keyboard.
    EXPECT_TRUE(spinUntil([&] { return !window->isTimerActive(timer::FlushSettings); }, 500));
    EXPECT_FALSE(window->isTimerActive(timer::LightingPhase));
    EXPECT_TRUE(window->hasWorker(worker::DeviceWatcher));
    EXPECT_TRUE(window->hasWorker(worker::KeyboardListener));
    EXPECT_TRUE(window->hasWorker(worker::LightingEffects));
    EXPECT_TRUE(window->hasWorker(worker::LightingProfileWatcher));
    EXPECT_TRUE(window->hasWorker(worker::DeviceProfileWatcher));
    EXPECT_EQ(window->channel(ChannelMouse).identity().productId, 0x6656);
    EXPECT_EQ(window->channel(ChannelKeyboard).identity().usagePage, 0xFF1C);
    ui::Ui& ui = window->ui();
    for (const char* picture : {"ms_dkey_19", "mp_dkey_0", "kb_dkey_131"}) {
        EXPECT_EQ(ui.kind(picture), "Picture") << picture;
        EXPECT_EQ(ui.overlayAlpha(picture), 0) << picture;
    }
    EXPECT_EQ(ui.color("kb_deng_Color_Pallet"), 0xFF0199CBu);
    EXPECT_FALSE(ui.isVisible("kb_tab_panel"));
    window->shutdown();
    EXPECT_EQ(window->shutdownReport().ended, 5);
    EXPECT_EQ(window->shutdownReport().leftRunning, 0);
}

TEST_F(MainWindowTest, EveryControlTheShellNamesExistsWithItsKind) {
    auto window = makeWindow();
    const std::pair<const char*, const char*> names[] = {
        {"root", "Box"}, {"closebtn", "Button"}, {"minbtn", "Button"}, {"maxbtn", "Button"},
        {"restorebtn", "Button"}, {"skinbtn", "Button"}, {"setting_progress", "HBox"}, {"str_test", "Label"},
        {"kb_tab_panel", "VBox"}, {"smallkb_deng_key", "Box"}, {"smallkb_key", "Box"},
        {"companionkb_deng_key", "HBox"}, {"companionkb_key", "HBox"}, {"kb_aorb_check", "Option"},
        {"a_or_b_control_status", "Tab"}, {"ms_deng_Op_tab", "Option"}, {"Pallet", "Palette"},
        {"ms_deng_Color_Pallet", "Palette"}, {"mp_deng_Color_Pallet", "Palette"}, {"mp_dkey_14", "Picture"},
    };
    for (const auto& [name, kind] : names) EXPECT_EQ(window->ui().kind(name), kind) << name;
}

TEST_F(MainWindowTest, MessageTableDrivesProgressPadLedsAndTheHideNotice) {
    auto window = makeWindow();
    ui::Ui& ui = window->ui();
    window->send(msg::ShowProgress);
    EXPECT_TRUE(ui.isVisible("setting_progress"));
    window->send(msg::HideProgress);
    EXPECT_EQ(window->timerInterval(timer::HideProgress), 1000);
    ASSERT_TRUE(spinUntil([&] { return !ui.isVisible("setting_progress"); }, 2500));
    EXPECT_FALSE(window->isTimerActive(timer::HideProgress));  // one shot

    window->send(msg::PadLedColour, 14, 0xFF123456);
    window->send(msg::PadLedAlpha, 14, 200);
    EXPECT_EQ(ui.overlayColor("mp_dkey_14"), 0xFF123456u);
    EXPECT_EQ(ui.overlayAlpha("mp_dkey_14"), 200);
    window->send(msg::PadLedAlpha, 3, 999);
    EXPECT_EQ(ui.overlayAlpha("mp_dkey_3"), 255);
    // No picture 15, and an index that wrapped from a negative number, changes nothing.
    for (uintptr_t bad : {uintptr_t(15), uintptr_t(-1)}) {
        window->send(msg::PadLedAlpha, bad, 100);
        window->send(msg::PadLedColour, bad, 0xFF00FF00);
    }
    for (int i = 0; i < 15; ++i) {
        const int expected = i == 14 ? 200 : i == 3 ? 255 : 0;
        EXPECT_EQ(ui.overlayAlpha("mp_dkey_" + std::to_string(i)), expected) << i;
    }

    ui.setCurrent("ms_tab_switch", 2, false);
    ui.setSelected("ms_key_Op_tab", true, false);
    window->show();
    window->send(msg::HideNotice);
    EXPECT_TRUE(ui.isSelected("ms_deng_Op_tab"));
    EXPECT_EQ(ui.current("ms_tab_switch"), 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "message_text_20");
    EXPECT_TRUE(boxes[0].autoClose);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowTest, SendFromAWorkerRunsOnTheUiThreadAndReturnsAfterTheHandler) {
    auto window = makeWindow();
    auto link = window->link();
    std::atomic<bool> sawShown{false};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        link->send(msg::ShowProgress);
        // The handler has run by the time send returns.
        sawShown = window->ui().isVisible("setting_progress");
        done = true;
    });
    EXPECT_TRUE(spinUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_TRUE(sawShown);

    window->post(msg::ShowProgress);
    window->ui().setVisible("setting_progress", false);
    EXPECT_FALSE(window->ui().isVisible("setting_progress"));  // not yet: posted
    spinFor(20);
    EXPECT_TRUE(window->ui().isVisible("setting_progress"));

    // Timers restarted from another thread, as the keyboard listener does with timer 10.
    std::thread([&] { link->setTimer(timer::RereadBlock, 100); }).join();
    EXPECT_TRUE(spinUntil([&] { return window->isTimerActive(timer::RereadBlock); }, 500));
    EXPECT_TRUE(spinUntil([&] { return !window->isTimerActive(timer::RereadBlock); }, 1000));
}

// A worker blocked in a send while the UI thread is busy must not hold up Shutdown, and a worker
// that ignores its stop is left behind without ever reaching the window again.
TEST_F(MainWindowTest, ShutdownEndsWithinASecondAndReleasesBlockedSends) {
    auto window = makeWindow();
    ASSERT_TRUE(waitForInit(*window));
    struct Shared {
        std::atomic<bool> blocked{false}, stuckDone{false};
        std::atomic<intptr_t> result{-1}, lateResult{-1};
    };
    auto shared = std::make_shared<Shared>();
    auto link = window->link();
    ASSERT_TRUE(window->startWorker(7, [shared, link](StopEvent& stop) {
        shared->blocked = true;
        shared->result = link->send(msg::ShowProgress);  // never answered: the UI thread is busy
        stop.wait(std::chrono::seconds(5));
    }));
    ASSERT_TRUE(window->startWorker(8, [shared, link](StopEvent&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1300));  // deaf to its stop
        shared->lateResult = link->send(msg::ShowProgress);
        shared->stuckDone = true;
    }));
    while (!shared->blocked) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));

    const auto start = std::chrono::steady_clock::now();
    window->shutdown();
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::milliseconds(1300));
    EXPECT_EQ(shared->result, 0);
    EXPECT_EQ(window->shutdownReport().ended, 1);
    EXPECT_EQ(window->shutdownReport().leftRunning, 1);
    EXPECT_FALSE(window->startWorker(9, [](StopEvent&) {}));
    EXPECT_EQ(window->send(msg::ShowProgress), 0);
    spinFor(20);
    EXPECT_FALSE(window->ui().isVisible("setting_progress"));  // no handler ran after Shutdown

    window.reset();  // the worker left behind outlives the window
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (!shared->stuckDone && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(shared->stuckDone);
    EXPECT_EQ(shared->lateResult, 0);
}

TEST_F(MainWindowTest, TwoDirtyFlagsAreFlushedInOneTickKeyboardThenMousePad) {
    ASSERT_TRUE(bus->plug("kb"));
    ASSERT_TRUE(bus->plug("mouse"));
    auto window = makeWindow();
    ASSERT_TRUE(waitForInit(*window));
    ASSERT_EQ(window->channel(ChannelKeyboard).connect(busPath(0x751D, 1, 4)), 1);
    ASSERT_EQ(window->channel(ChannelMouse).connect(busPath(0x6656, 1, 0)), 1);
    bus->clearWireRecords();

    for (size_t i = 0; i < KeyboardRecord::kSize; ++i) window->keyboardMirror().record[i] = uint8_t(0x40 + i);
    for (size_t i = 0; i < MouseRecord::kSize; ++i) window->mouseMirror().record[i] = uint8_t(0x80 + i);
    window->markDirty(DeviceKind::mouse);
    window->markDirty(DeviceKind::keyboard);
    window->markDirty(DeviceKind::pad);  // the pad is not there: its write answers 0, the flag drops
    EXPECT_EQ(window->timerInterval(timer::FlushSettings), 10);
    ASSERT_TRUE(spinUntil([&] {
        return !window->isDirty(DeviceKind::keyboard) && !window->isDirty(DeviceKind::mouse) &&
               !window->isDirty(DeviceKind::pad);
    }));
    EXPECT_TRUE(spinUntil([&] { return !window->isTimerActive(timer::FlushSettings); }, 500));
    ASSERT_TRUE(bus->waitForWireRecords(4, std::chrono::milliseconds(2000)));

    std::vector<std::string> order;
    for (const sim::WireRecord& r : bus->wireRecords())
        if (r.dir == sim::WireDir::Out && r.bytes.size() > 3 && r.bytes[3] == kWriteBlock) order.push_back(r.dev);
    ASSERT_EQ(order, (std::vector<std::string>{"kb", "mouse"}));

    const auto kb = sentTo(*bus, "kb");
    ASSERT_EQ(kb.size(), 1u);
    EXPECT_EQ(kb[0][4], 56);
    EXPECT_EQ(addressOf(kb[0]), 0);
    for (size_t i = 0; i < 56; ++i) EXPECT_EQ(kb[0][8 + i], i < 26 ? 0x40 + i : 0) << i;
    const auto mouse = sentTo(*bus, "mouse");
    ASSERT_EQ(mouse.size(), 1u);
    for (size_t i = 0; i < 56; ++i) EXPECT_EQ(mouse[0][8 + i], i < 23 ? 0x80 + i : 0) << i;

    bus->clearWireRecords();
    spinFor(60);  // nothing dirty: nothing sent
    EXPECT_TRUE(sentTo(*bus, "kb").empty());

    // A flag set by a worker thread is flushed too.
    std::thread([link = window->link()] { link->markDirty(DeviceKind::keyboard); }).join();
    EXPECT_TRUE(spinUntil([&] { return !sentTo(*bus, "kb").empty(); }));
}

// A record the keyboard refused stays dirty and is sent again; after three refusals in a row the
// change is given up and the user told once.
TEST_F(MainWindowTest, ARefusedFlushKeepsTheFlagUntilAWriteIsTaken) {
    ASSERT_TRUE(bus->plug("kb"));
    auto window = makeWindow();
    ASSERT_TRUE(waitForInit(*window));
    ASSERT_EQ(window->channel(ChannelKeyboard).connect(busPath(0x751D, 1, 4)), 1);
    ASSERT_TRUE(bus->failCommand("kb", kWriteBlock, 0xFF, 1));
    bus->clearWireRecords();
    window->markDirty(DeviceKind::keyboard);
    ASSERT_TRUE(spinUntil([&] { return sentTo(*bus, "kb").size() >= 2; }));
    ASSERT_TRUE(spinUntil([&] { return !window->isDirty(DeviceKind::keyboard); }));
    EXPECT_EQ(sentTo(*bus, "kb").size(), 2u);  // refused, then taken
    EXPECT_EQ(boxesWithKey("kb_settings_write_failed_text"), 0);

    ASSERT_TRUE(bus->failCommand("kb", kWriteBlock, 0xFF));  // refused every time
    bus->clearWireRecords();
    window->markDirty(DeviceKind::keyboard);
    ASSERT_TRUE(spinUntil([&] { return boxesWithKey("kb_settings_write_failed_text") == 1; }));
    EXPECT_FALSE(window->isDirty(DeviceKind::keyboard));
    EXPECT_EQ(sentTo(*bus, "kb").size(), 3u);
}

TEST_F(MainWindowTest, KeyboardAbOptionsWriteTheFlagAndTheRecord) {
    ASSERT_TRUE(bus->plug("kb"));
    auto window = makeWindow();
    ASSERT_TRUE(waitForInit(*window));
    ASSERT_EQ(window->channel(ChannelKeyboard).connect(busPath(0x751D, 1, 4)), 1);
    window->keyboardMirror().record[KeyboardRecord::kProfile] = 2;
    bus->clearWireRecords();

    ui::Ui& ui = window->ui();
    ui.setSelected("kb_aorb_check", true, true);  // as a click does: the router starts timer 8
    EXPECT_EQ(window->timerInterval(timer::AbFlag), 50);
    ASSERT_TRUE(spinUntil([&] { return !sentTo(*bus, "kb").empty(); }));
    const auto sent = sentTo(*bus, "kb");
    EXPECT_EQ(sent[0][3], kWriteBlock);
    EXPECT_EQ(sent[0][4], 1);
    EXPECT_EQ(addressOf(sent[0]), 2 * 64 + 23);
    EXPECT_EQ(sent[0][8], 1);
    EXPECT_EQ(window->keyboardMirror().record[KeyboardRecord::kAbMode], 1);
    EXPECT_EQ(ui.current("a_or_b_control_status"), 1);
    EXPECT_FALSE(window->isTimerActive(timer::AbFlag));

    // "kb_a/b_tab" keeps the inverse of its selection in byte 25, sent by timer 2.
    bus->clearWireRecords();
    ui.setSelected("kb_a/b_tab", true, true);
    EXPECT_EQ(window->keyboardMirror().record[KeyboardRecord::kAbTab], 0);
    ui.setSelected("kb_a/b_tab", false, true);
    EXPECT_EQ(window->keyboardMirror().record[KeyboardRecord::kAbTab], 1);
    ASSERT_TRUE(spinUntil([&] { return !window->isDirty(DeviceKind::keyboard); }));
    ASSERT_TRUE(bus->waitForWireRecords(2, std::chrono::milliseconds(1000)));
    const auto flushed = sentTo(*bus, "kb");
    ASSERT_FALSE(flushed.empty());
    EXPECT_EQ(flushed.back()[8 + KeyboardRecord::kAbTab], 1);
}

TEST_F(MainWindowTest, LightingPhaseCountersWrapAndRaiseTheHalfRateFlagEverySecondTick) {
    LightingPhase phase;
    std::vector<std::array<int, 6>> seen;
    int raised = 0;
    for (int tick = 1; tick <= 6; ++tick) {
        phase.advance();
        std::array<int, 6> now{};
        for (int i = 0; i < 6; ++i) now[i] = phase.counters[i];
        seen.push_back(now);
        if (phase.halfRate.exchange(false)) ++raised;
        EXPECT_EQ(phase.halfRate.load(), false);
    }
    EXPECT_EQ(seen[0], (std::array<int, 6>{1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(seen[1], (std::array<int, 6>{0, 0, 2, 2, 2, 2}));
    EXPECT_EQ(seen[3], (std::array<int, 6>{0, 0, 1, 0, 4, 4}));
    EXPECT_EQ(seen[5], (std::array<int, 6>{0, 0, 0, 2, 1, 6}));
    EXPECT_EQ(raised, 3);
    for (int tick = 0; tick < 300; ++tick) phase.advance();
    EXPECT_EQ(phase.counters[5], uint8_t(306));  // the sixth runs free
}

TEST_F(MainWindowTest, DisplayScaleFromTheDpiButtonIsAPercentageWithinSaneBounds) {
    auto window = makeWindow();
    const QWidget* close = ui::widget(window->ui(), "closebtn");
    ASSERT_NE(close, nullptr);
    const QSize closeAt100 = close->minimumSize();
    window->setDisplayScale(150);
    EXPECT_EQ(window->displayScale(), 150);
    EXPECT_EQ(window->minimumSize(), QSize(1200, 858));
    EXPECT_EQ(close->minimumSize(), closeAt100 * 1.5);
    for (int bad : {0, 49, 301, 100000, -125}) window->setDisplayScale(bad);
    EXPECT_EQ(window->displayScale(), 150);
    window->setDisplayScale(100);
    window->setDisplayScale(125);
    window->setDisplayScale(100);  // back and forth without drift
    EXPECT_EQ(window->minimumSize(), QSize(800, 572));
    EXPECT_EQ(close->minimumSize(), closeAt100);
}
