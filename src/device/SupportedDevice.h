// The interfaces the program looks for, and the slot list the device watcher fills.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <string>

struct SupportedDevice {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t interfaceNumber = 0;
    uint16_t collectionNumber = 0;
    uint16_t kind = 0;        // device family reported with arrival and removal
    uint16_t subDevice = 0;   // member of the family
    uint16_t usagePage = 0;
    uint16_t usage = 0;
};

constexpr uint16_t kKindKeyboardFamily = 1;
constexpr uint16_t kSubKeyboard = 0;
constexpr uint16_t kSubSmallKeyboard = 1;
constexpr uint16_t kSubCompanionKeyboard = 2;
constexpr uint16_t kSubKeyboardConsumer = 255;
constexpr size_t kSupportedDeviceCount = 10;

// Four rows are defined; the six empty ones take part in matching like the others. The mouse and
// the pad have no row, so their channels are never opened.
constexpr std::array<SupportedDevice, kSupportedDeviceCount> kSupportedDevices = {{
    {0x0C45, 0x751D, 1, 4, kKindKeyboardFamily, kSubKeyboard, 0xFF1C, 0x92},
    {0x0C45, 0x761E, 1, 4, kKindKeyboardFamily, kSubSmallKeyboard, 0xFF1C, 0x92},
    {0x0C45, 0x7624, 1, 4, kKindKeyboardFamily, kSubCompanionKeyboard, 0xFF1C, 0x92},
    {0x0C45, 0x751D, 1, 3, kKindKeyboardFamily, kSubKeyboardConsumer, 0x000C, 0x0001},
}};

// One slot of the main window's working copy of the table.
struct DeviceSlot {
    SupportedDevice device;
    bool present = false;
    bool gone = false;       // a handle on it saw the device go: the watcher removes it next
    std::string path;
    std::string identity;    // HidTransport::nodeIdentity at arrival

    bool filled() const { return present || !path.empty(); }
};

// The slot list. The watcher fills and empties slots on its thread; the main window reads them
// when it handles an arrival or a removal. Every access goes through the lock, held only briefly.
class SlotList {
public:
    SlotList();
    DeviceSlot get(size_t index) const;
    void set(size_t index, const DeviceSlot& slot);
    bool anyUnfilled() const;
    // The path of the present slot with this kind and sub-device ("" when none).
    std::string presentPath(uint16_t kind, uint16_t subDevice) const;
    // A handle on path saw its device go. Every present slot on the same interface node is marked,
    // so the watcher runs their removal on its next pass even when the node is back by then (a
    // quick replug keeps the path), and finds them again as new arrivals. Any thread.
    void reportGone(const std::string& path);
    bool anyGone() const;

private:
    mutable std::mutex mutex_;
    std::array<DeviceSlot, kSupportedDeviceCount> slots_;
};
