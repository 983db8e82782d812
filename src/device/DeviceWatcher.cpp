#include "device/DeviceWatcher.h"

#include <chrono>
#include <pthread.h>

#include "platform/DebugLog.h"

namespace {

bool sameFour(const SupportedDevice& d, uint16_t vendor, uint16_t product, uint16_t interfaceNumber,
              uint16_t collection) {
    return d.vendorId == vendor && d.productId == product && d.interfaceNumber == interfaceNumber &&
           d.collectionNumber == collection;
}

bool sameSix(const SupportedDevice& d, const SupportedDevice& found) {
    return sameFour(d, found.vendorId, found.productId, found.interfaceNumber, found.collectionNumber) &&
           d.usagePage == found.usagePage && d.usage == found.usage;
}

}  // namespace

void DeviceWatcher::run(StopEvent& stop) {
    stop.reset();
    pthread_setname_np(pthread_self(), "zk-watcher");  // tells the threads apart in CPU figures
    // The stop is looked at before each pass without a pause of its own: that would be a second
    // wake-up for every pass.
    while (!stop.isSet()) {
        pass();
        if (stop.wait(std::chrono::milliseconds(kPeriodMs))) break;
    }
    debugLog("抓取设备线程设定退出");
}

// Removals first, so that a device unplugged and plugged again since the last pass (or one a
// handle saw go) is found again by this pass's search.
void DeviceWatcher::pass() {
    checkPresence();
    if (slots_.anyUnfilled()) search();
}

void DeviceWatcher::search() {
    // A failed enumeration skips this pass only: devices must still be found later in the run.
    if (!transport_.enumerate()) {
        debugLog("device search: enumeration failed; trying again on the next pass");
        return;
    }
    while (const char* path = transport_.nextPath()) probe(path);
    if (!searched_) {
        searched_ = true;
        host_.postActivation();
    }
    transport_.releasePaths();
}

void DeviceWatcher::probe(const std::string& path) {
    const uint16_t vendor = parseVendorId(path), product = parseProductId(path);
    const uint16_t collection = parseCollectionNumber(path), interfaceNumber = parseInterfaceNumber(path);
    // First match, on the path alone: a table row with these numbers and an unfilled slot like it.
    bool inTable = false, slotFree = false;
    for (const SupportedDevice& d : kSupportedDevices) inTable |= sameFour(d, vendor, product, interfaceNumber, collection);
    for (size_t i = 0; i < kSupportedDeviceCount && inTable && !slotFree; ++i) {
        const DeviceSlot s = slots_.get(i);
        slotFree = !s.filled() && sameFour(s.device, vendor, product, interfaceNumber, collection);
    }
    if (!inTable || !slotFree) return;
    if (!transport_.open(path, true, false, true, false)) return;

    // Second match, on what the interface says of itself.
    SupportedDevice found;
    found.vendorId = transport_.attributes().vendorId;
    found.productId = transport_.attributes().productId;
    found.interfaceNumber = interfaceNumber;
    found.collectionNumber = collection;
    found.usagePage = transport_.usagePage();
    found.usage = transport_.usage();
    transport_.close();

    const SupportedDevice* row = nullptr;
    for (const SupportedDevice& d : kSupportedDevices) {
        if (sameSix(d, found)) {
            row = &d;
            break;
        }
    }
    if (!row) return;
    for (size_t i = 0; i < kSupportedDeviceCount; ++i) {
        DeviceSlot s = slots_.get(i);
        if (s.filled() || !sameSix(s.device, found)) continue;
        s.present = true;
        s.path = path;
        s.identity = transport_.nodeIdentity(path);
        slots_.set(i, s);
        host_.deviceArrived(row->kind, row->subDevice);
        return;
    }
}

void DeviceWatcher::checkPresence() {
    for (size_t i = 0; i < kSupportedDeviceCount; ++i) {
        DeviceSlot s = slots_.get(i);
        // Gone when a handle saw it go, when the path is not there, or when what is there now is
        // another device (unplugged and plugged again since the last look).
        if (!s.present || (!s.gone && transport_.isPresent(s.path) && transport_.nodeIdentity(s.path) == s.identity))
            continue;
        s.present = false;
        s.gone = false;
        s.identity.clear();
        s.path.clear();
        slots_.set(i, s);
        host_.deviceRemoved(s.device.kind, s.device.subDevice);
    }
}
