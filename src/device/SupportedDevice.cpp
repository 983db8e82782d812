#include "device/SupportedDevice.h"

#include "device/hid/HidNode.h"

SlotList::SlotList() {
    for (size_t i = 0; i < kSupportedDeviceCount; ++i) slots_[i].device = kSupportedDevices[i];
}

DeviceSlot SlotList::get(size_t index) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return index < slots_.size() ? slots_[index] : DeviceSlot{};
}

void SlotList::set(size_t index, const DeviceSlot& slot) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (index < slots_.size()) slots_[index] = slot;
}

bool SlotList::anyUnfilled() const {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const DeviceSlot& s : slots_)
        if (!s.filled()) return true;
    return false;
}

std::string SlotList::presentPath(uint16_t kind, uint16_t subDevice) const {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const DeviceSlot& s : slots_)
        if (s.device.kind == kind && s.device.subDevice == subDevice && s.present && !s.path.empty()) return s.path;
    return {};
}

void SlotList::reportGone(const std::string& path) {
    if (path.empty()) return;
    const std::string node = nodeOfPath(path);
    std::lock_guard<std::mutex> lock(mutex_);
    for (DeviceSlot& s : slots_)
        if (s.present && nodeOfPath(s.path) == node) s.gone = true;
}

bool SlotList::anyGone() const {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const DeviceSlot& s : slots_)
        if (s.gone) return true;
    return false;
}
