#include "device/KeyboardListener.h"

#include <chrono>
#include <pthread.h>

#include "platform/DebugLog.h"

namespace {
constexpr const char* kStopTrace = "键盘同步线程设定退出";
// The consumer collection shares its interface with the command collection, so this reader also
// gets every answer to every command (800 a second while frames stream). It takes them in
// batches, one wake-up per pause; a notice of ours waits at most this long, below the 100 ms
// re-read debounce. 40 ms of a full-speed USB interface is at most 40 reports, within the 64
// that hidraw keeps for a reader.
constexpr int kForeignReportPauseMs = 40;
}

void KeyboardListener::run(StopEvent& stop) {
    stop.reset();
    pthread_setname_np(pthread_self(), "zk-listener");  // tells the threads apart in CPU figures
    std::string path;
    int quickLooks = 0;  // after the keyboard went: look every 100 ms for a while, it may be back
    for (;;) {
        // The stop is looked at without a pause of its own: that would be one more wake-up.
        if (stop.isSet() || aborted_.load()) {
            debugLog(kStopTrace);
            return;
        }
        if (found_.load()) {
            if (!transport_.isPresent(path)) found_ = false;
        } else if (findAndListen(stop)) {
            path = lastPath_;
            quickLooks = 20;
        } else if (quickLooks > 0) {
            --quickLooks;
        }
        const auto pause = std::chrono::milliseconds(found_.load() || quickLooks > 0 ? 100 : 1000);
        if (stop.wait(pause) || aborted_.load()) {
            debugLog(kStopTrace);
            return;
        }
    }
}

void KeyboardListener::abort() {
    aborted_ = true;
    transport_.abort();  // a read blocked in the listener's thread returns at once
}

// Looks for the consumer interface of the keyboard and listens on it until it goes away.
bool KeyboardListener::findAndListen(StopEvent& stop) {
    // A failed enumeration skips this search only: the keyboard must still be noticed later.
    if (!transport_.enumerate()) {
        debugLog("keyboard listener: enumeration failed; trying again later");
        return false;
    }
    bool listened = false;
    while (const char* candidate = transport_.nextPath()) {
        if (parseVendorId(candidate) != kVendorId || parseProductId(candidate) != kProductId) continue;
        const std::string path = candidate;
        if (!transport_.open(path, true, false, true, false)) continue;
        if (transport_.attributes().vendorId != kVendorId || transport_.attributes().productId != kProductId ||
            transport_.usagePage() != 0x000C || transport_.usage() != 0x0001) {
            transport_.close();
            continue;
        }
        found_ = true;
        ++connections_;
        lastPath_ = path;
        listen(stop);
        transport_.close();
        listened = true;
        break;
    }
    transport_.releasePaths();
    return listened;
}

void KeyboardListener::listen(StopEvent& stop) {
    const std::string path = transport_.path();
    transport_.setForeignReportPause(kForeignReportPauseMs);
    for (;;) {
        if (stop.isSet() || aborted_.load()) return;
        std::vector<uint8_t>& report = transport_.reportBuffer(HidReportType::Input);
        if (report.empty()) return;
        size_t done = 0;
        if (transport_.read(report.data(), report.size(), &done, kHidInfinite)) {
            transport_.unpackInput(report.data(), report.size(), HidReportType::Input);
            const std::vector<HidDataItem>& items = transport_.dataItems(HidReportType::Input);
            if (!items.empty() && !items[0].usageList.empty()) act(items[0].usageList[0]);
            continue;
        }
        if (aborted_.load()) return;
        // The keyboard went (or went and came back, which leaves the same path): this handle is
        // dead. Have the watcher remove the keyboard and find it again, and look for it anew.
        if (transport_.deviceGone() || !transport_.isPresent(path)) {
            if (slots_) slots_->reportGone(path);
            found_ = false;
            return;
        }
        // A read that ended for no reason we can name does not make a tight loop.
        if (stop.wait(std::chrono::milliseconds(100))) return;
    }
}

void KeyboardListener::act(uint16_t usage) {
    if (usage == kSettingsChanged) host_.armRereadTimer();
    else if (usage == kReadAll) host_.readKeyboard();
}
