// The device watcher and the keyboard event listener against the emulated family on the bus.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "device/DeviceChannel.h"
#include "device/DeviceWatcher.h"
#include "device/KeyboardListener.h"
#include "integration/BusFixture.h"

using namespace testsupport;
using namespace std::chrono_literals;

namespace {

class RecordingHost : public DeviceWatcherHost, public KeyboardListenerHost {
public:
    void deviceArrived(uint16_t kind, uint16_t sub) override { add("arrived", kind, sub); }
    void deviceRemoved(uint16_t kind, uint16_t sub) override { add("removed", kind, sub); }
    void postActivation() override { add("activation", 0, 0); }
    void armRereadTimer() override { add("timer10", 0, 0); }
    void readKeyboard() override { add("readall", 0, 0); }

    std::vector<std::string> take() {
        std::lock_guard<std::mutex> lock(mutex_);
        return std::exchange(events_, {});
    }
    bool waitFor(size_t count, std::chrono::milliseconds limit) {
        const auto until = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < until) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (events_.size() >= count) return true;
            }
            std::this_thread::sleep_for(5ms);
        }
        return false;
    }

private:
    void add(const char* what, uint16_t kind, uint16_t sub) {
        std::lock_guard<std::mutex> lock(mutex_);
        events_.push_back(std::string(what) + (kind || sub ? " " + std::to_string(kind) + "/" + std::to_string(sub) : ""));
    }
    std::mutex mutex_;
    std::vector<std::string> events_;
};

using Events = std::vector<std::string>;

}  // namespace

class WatcherOnBus : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(bus.running()) << bus.error(); }
    TempDir dir;
    sim::VirtualBus bus{dir.path()};
    RecordingHost host;
    SlotList slots;
    DeviceWatcher watcher{slots, host, busRoots(dir.path())};
};

TEST_F(WatcherOnBus, ArrivalsRemovalsAndOneActivation) {
    watcher.pass();  // nothing plugged: only the activation
    EXPECT_EQ(host.take(), Events{"activation"});

    ASSERT_TRUE(bus.plug("kb"));
    watcher.pass();
    EXPECT_EQ(host.take(), (Events{"arrived 1/255", "arrived 1/0"}));
    EXPECT_EQ(parseCollectionNumber(slots.presentPath(1, 0)), 4);
    EXPECT_EQ(parseCollectionNumber(slots.presentPath(1, 255)), 3);
    watcher.pass();  // a filled slot is not reported again
    EXPECT_TRUE(host.take().empty());

    ASSERT_TRUE(bus.plug("companion"));
    ASSERT_TRUE(bus.plug("small"));
    ASSERT_TRUE(bus.plug("mouse"));  // no row for the mouse: never reported
    watcher.pass();
    EXPECT_EQ(host.take(), (Events{"arrived 1/2", "arrived 1/1"}));  // in enumeration order

    ASSERT_TRUE(bus.unplug("kb"));
    watcher.pass();
    EXPECT_EQ(host.take(), (Events{"removed 1/0", "removed 1/255"}));
    EXPECT_EQ(slots.presentPath(1, 0), "");
    ASSERT_TRUE(bus.plug("kb"));
    watcher.pass();
    EXPECT_EQ(host.take(), (Events{"arrived 1/255", "arrived 1/0"}));
}

// Unplugged and plugged again between two passes: the path is the same and present, but the
// device behind it is another. The watcher removes it and finds it again; so it does when a
// handle reports its device gone, and the channel that saw it go sends nothing more.
TEST_F(WatcherOnBus, AQuickReplugIsRemovedAndFoundAgain) {
    ASSERT_TRUE(bus.plug("kb"));
    watcher.pass();
    host.take();
    DeviceChannel kb{busRoots(dir.path())};
    std::vector<std::string> reported;
    kb.setGoneHandler([&](const std::string& path) {
        reported.push_back(path);
        slots.reportGone(path);
    });
    const std::string path = slots.presentPath(1, 0);
    ASSERT_EQ(kb.connect(path), 1);
    ASSERT_TRUE(bus.unplug("kb"));
    ASSERT_TRUE(bus.plug("kb"));
    watcher.pass();
    EXPECT_EQ(host.take(), (Events{"removed 1/0", "removed 1/255", "arrived 1/255", "arrived 1/0"}));
    EXPECT_EQ(slots.presentPath(1, 0), path);
    EXPECT_NE(kb.beginTransfer(), 1);
    EXPECT_EQ(reported, std::vector<std::string>{path});
    EXPECT_FALSE(kb.isConnected());
    ASSERT_EQ(kb.connect(path), 1);
    EXPECT_EQ(kb.beginTransfer(), 1);

    // A handle's report alone has the device removed and found again.
    slots.reportGone(path);
    watcher.pass();
    EXPECT_EQ(host.take(), (Events{"removed 1/0", "removed 1/255", "arrived 1/255", "arrived 1/0"}));
    watcher.pass();
    EXPECT_TRUE(host.take().empty());
}

TEST_F(WatcherOnBus, AFailedSearchIsTriedAgain) {
    // A hidraw class folder that cannot be read makes enumeration fail on every pass.
    TempDir sys;
    std::filesystem::create_directories(sys.path() + "/class");
    std::filesystem::create_directory_symlink("hidraw", sys.path() + "/class/hidraw");  // a loop
    HidRoots roots = busRoots(dir.path());
    roots.useHidraw = true;
    roots.sysfs = sys.path();
    DeviceWatcher broken{slots, host, roots};
    ASSERT_TRUE(bus.plug("kb"));
    broken.pass();
    EXPECT_TRUE(host.take().empty());  // no activation for a search that did not happen
    std::filesystem::remove(sys.path() + "/class/hidraw");
    broken.pass();
    EXPECT_EQ(host.take(), (Events{"arrived 1/255", "arrived 1/0", "activation"}));
}

TEST_F(WatcherOnBus, ThreadEndsWhenStopped) {
    StopEvent stop;
    ASSERT_TRUE(bus.plug("kb"));
    std::thread t([&] { watcher.run(stop); });
    ASSERT_TRUE(host.waitFor(3, 3s));
    const auto start = std::chrono::steady_clock::now();
    stop.set();
    t.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
}

class ListenerOnBus : public WatcherOnBus {
protected:
    void TearDown() override {
        stop.set();
        listener.abort();
        if (thread.joinable()) thread.join();
    }
    void start() {
        thread = std::thread([this] { listener.run(stop); });
    }
    bool waitListening(bool state, std::chrono::milliseconds limit) {
        const auto until = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < until) {
            if (listener.listening() == state) return true;
            std::this_thread::sleep_for(5ms);
        }
        return false;
    }
    KeyboardListener listener{host, busRoots(dir.path())};
    StopEvent stop;
    std::thread thread;
};

TEST_F(ListenerOnBus, TurnsTheKeyboardsCodesIntoRequests) {
    ASSERT_TRUE(bus.plug("kb"));
    start();
    ASSERT_TRUE(waitListening(true, 3s));
    std::this_thread::sleep_for(50ms);  // the first read is waiting
    ASSERT_TRUE(bus.notify("kb", 0x0401));
    ASSERT_TRUE(bus.notify("kb", 0x0401));
    ASSERT_TRUE(bus.notify("kb", 0x0333));  // not ours: ignored
    ASSERT_TRUE(bus.notify("kb", 0x0402));
    ASSERT_TRUE(host.waitFor(3, 2s));
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(host.take(), (Events{"timer10", "timer10", "readall"}));  // releases start nothing
}

TEST_F(ListenerOnBus, FollowsTheKeyboardAwayAndBack) {
    ASSERT_TRUE(bus.plug("kb"));
    start();
    ASSERT_TRUE(waitListening(true, 3s));
    ASSERT_TRUE(bus.unplug("kb"));
    ASSERT_TRUE(waitListening(false, 2s));
    ASSERT_TRUE(bus.plug("kb"));
    ASSERT_TRUE(waitListening(true, 3s));
    std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(bus.notify("kb", 0x0402));
    ASSERT_TRUE(host.waitFor(1, 2s));
    EXPECT_EQ(host.take(), Events{"readall"});
}

// A replug quicker than the listener's look: its dead handle is reported, not read in a loop.
TEST_F(ListenerOnBus, AQuickReplugIsReportedAndListenedToAgain) {
    listener.setSlotList(&slots);
    ASSERT_TRUE(bus.plug("kb"));
    watcher.pass();
    host.take();
    start();
    ASSERT_TRUE(waitListening(true, 3s));
    ASSERT_TRUE(bus.unplug("kb"));
    ASSERT_TRUE(bus.plug("kb"));
    std::this_thread::sleep_for(300ms);
    EXPECT_LE(listener.connections(), 3u);  // no tight loop of connections
    EXPECT_TRUE(slots.anyGone());           // the listener reported its dead handle
    watcher.pass();
    EXPECT_EQ(host.take(), (Events{"removed 1/0", "removed 1/255", "arrived 1/255", "arrived 1/0"}));
    ASSERT_TRUE(waitListening(true, 3s));
    std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(bus.notify("kb", 0x0402));
    ASSERT_TRUE(host.waitFor(1, 2s));
    EXPECT_EQ(host.take(), Events{"readall"});
}

TEST_F(ListenerOnBus, AbortEndsAReadThatHasNoLimit) {
    ASSERT_TRUE(bus.plug("kb"));
    start();
    ASSERT_TRUE(waitListening(true, 3s));
    std::this_thread::sleep_for(50ms);
    const auto begin = std::chrono::steady_clock::now();
    stop.set();
    listener.abort();
    thread.join();
    EXPECT_LT(std::chrono::steady_clock::now() - begin, 500ms);
}
