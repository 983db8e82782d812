// The main window's worker slots and Shutdown.
//
// A worker thread owns what it runs (shared pointers to its StopEvent, its worker object and the
// window link), so when one does not end within the shutdown wait it can be detached: it keeps
// nothing of the window but the severed link.
#include <QThread>
#include <chrono>

#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "app/SkinPicker.h"
#include "app/WindowLink.h"
#include "device/KeyboardListener.h"
#include "platform/DebugLog.h"

// Which workers have returned from their body; shared with the threads.
struct CMainWnd::WorkerExits {
    std::mutex mutex;
    std::condition_variable changed;
    std::array<bool, worker::kSlots> ended{};
};

void CMainWnd::startWorkers() {
    auto slotList = slots_;
    auto link = link_;
    // A handle that sees its device go has the watcher remove it and find it again.
    for (ChannelIndex index : {ChannelKeyboard, ChannelSmallKeyboard, ChannelCompanionKeyboard})
        channels_[index].setGoneHandler([slotList](const std::string& path) { slotList->reportGone(path); });
    DeviceChannel::setWaitPump(&CMainWnd::pumpWhileDeviceWaits);
    auto watcher = std::make_shared<DeviceWatcher>(*slotList, *link, options_.roots);
    startWorker(worker::DeviceWatcher, [watcher, slotList, link](StopEvent& stop) { watcher->run(stop); });

    listener_ = std::make_shared<KeyboardListener>(*link, options_.roots);
    listener_->setSlotList(slotList.get());  // the listener holds slotList alive with its lambda below
    startWorker(worker::KeyboardListener,
                [listener = listener_, link, slotList](StopEvent& stop) { listener->run(stop); });

    startLightingEffects();   // slot 5
    startProgramWatchers();   // slots 9 and 10
}

bool CMainWnd::startWorker(int slot, std::function<void(StopEvent&)> body) {
    if (slot < 0 || slot >= worker::kSlots || !body || shutDown_ || closing_.load()) return false;
    if (workers_[slot].joinable()) return false;
    if (!exits_) exits_ = std::make_shared<WorkerExits>();
    {
        std::lock_guard<std::mutex> lock(exits_->mutex);
        exits_->ended[slot] = false;
    }
    workers_[slot] = std::thread([body = std::move(body), stop = stops_[slot], exits = exits_, slot] {
        body(*stop);
        {
            std::lock_guard<std::mutex> lock(exits->mutex);
            exits->ended[slot] = true;
        }
        exits->changed.notify_all();
    });
    return true;
}

bool CMainWnd::hasWorker(int slot) const { return slot >= 0 && slot < worker::kSlots && workers_[slot].joinable(); }

void CMainWnd::shutdown() {
    if (shutDown_) return;
    shutDown_ = true;
    const auto start = std::chrono::steady_clock::now();
    debugLog("shutdown: stopping");

    hide();
    stopAllTimers();
    releaseWaitingSends();     // a worker blocked in a send returns now
    for (auto& stop : stops_) stop->set();
    if (listener_) listener_->abort();  // its reads have no time limit
    // The effect thread may be inside a frame to the keyboard: closing the channel ends that
    // transfer at once instead of after its retries.
    channels_[ChannelKeyboard].disconnect();
    link_->sever();            // no worker call reaches the window from here on
    closeAllMessageBoxes();
    CSkinFrame::closeAll();

    int ended = 0, left = 0;
    if (exits_) {
        const auto deadline = start + std::chrono::milliseconds(kShutdownWaitMs);
        std::unique_lock<std::mutex> lock(exits_->mutex);
        auto allEnded = [&] {
            for (int i = 0; i < worker::kSlots; ++i)
                if (workers_[i].joinable() && !exits_->ended[i]) return false;
            return true;
        };
        while (!allEnded() && std::chrono::steady_clock::now() < deadline) {
            // A worker resets its event when it begins; setting them again on every round means
            // one that began just now still sees the stop.
            lock.unlock();
            for (auto& stop : stops_) stop->set();
            lock.lock();
            exits_->changed.wait_until(lock, std::min(deadline, std::chrono::steady_clock::now() +
                                                                    std::chrono::milliseconds(10)));
        }
        std::array<bool, worker::kSlots> done = exits_->ended;
        lock.unlock();
        for (int i = 0; i < worker::kSlots; ++i) {
            if (!workers_[i].joinable()) continue;
            if (done[i]) {
                workers_[i].join();
                ++ended;
            } else {
                debugLog("shutdown: worker " + std::to_string(i) + " did not end in time and is left behind");
                workers_[i].detach();
                ++left;
            }
        }
    }
    destroyTray();
    shutdownReport_.ended = ended;
    shutdownReport_.leftRunning = left;
    shutdownReport_.elapsedMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    debugLog("shutdown: " + std::to_string(ended) + " workers ended, " + std::to_string(left) + " left behind, " +
             std::to_string(shutdownReport_.elapsedMs) + " ms");
}
