// The mouse mirror: what the program holds of the mouse's five onboard profiles.
//
// Plain data. It starts zero, except the default key table, which holds the mouse's built-in
// defaults until the first read replaces them. Profile files copy key-table slot 0 and settings
// block 0; block 0 also carries the system pointer speed and wheel lines in files.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "mirror/MirrorAreas.h"

// Current settings record: bytes 1..22 as in every settings block, byte 0 the active profile.
struct MouseRecord {
    static constexpr std::size_t kSize = 23;
    static constexpr std::size_t kProfile = 0;
    static constexpr std::size_t kMode = 1;          // 0..5
    static constexpr std::size_t kBrightness = 2;
    static constexpr std::size_t kSpeed = 3;         // 4 - slider value
    static constexpr std::size_t kDirection = 4;     // non-zero left
    static constexpr std::size_t kMultiColour = 5;
    static constexpr std::size_t kRed = 6, kGreen = 7, kBlue = 8;
    static constexpr std::size_t kSecondRed = 11, kSecondGreen = 12, kSecondBlue = 13;
    static constexpr std::size_t kReportRate = 14;   // index into 125/250/500/1000 Hz
    static constexpr std::size_t kDpiLevel1 = 15;    // levels 1..4 at 15..18
    static constexpr std::size_t kActiveDpiLevel = 19;  // 0..5
    static constexpr std::size_t kDpiLevel5 = 20;    // levels 5 and 6 at 20, 21
    static constexpr std::size_t kSensorHeight = 22;
};

// Where settings block 0 carries the system values in profile files.
constexpr std::size_t kMouseBlockPointerSpeed = 23;
constexpr std::size_t kMouseBlockWheelLines = 24;

// The mouse's own defaults, used until the mouse is read: left, middle, right, forward, back and
// DPI cycle on buttons 0..5, and 0x05 in every byte after them.
constexpr mirror::KeyTableSlot mouseBuiltInDefaultKeyTable() {
    mirror::KeyTableSlot slot{};
    for (auto& byte : slot) byte = 0x05;
    constexpr uint8_t buttons[6][3] = {{0x10, 0x01, 0}, {0x10, 0x04, 0}, {0x10, 0x02, 0},
                                       {0x10, 0x10, 0}, {0x10, 0x08, 0}, {0x13, 0x03, 0}};
    for (std::size_t k = 0; k < 6; ++k)
        for (std::size_t b = 0; b < 3; ++b) slot[k * 3 + b] = buttons[k][b];
    return slot;
}

struct MouseMirror {
    static constexpr std::size_t kKeyTableBytes = 126;  // what one profile's key table holds

    mirror::DeviceInfo deviceInfo{};
    mirror::KeyTableSlot defaultKeyTable = mouseBuiltInDefaultKeyTable();
    std::array<mirror::SettingsBlock, mirror::kOnboardProfiles> blocks{};
    std::array<mirror::KeyTableSlot, mirror::kOnboardProfiles> keyTables{};
    std::array<uint8_t, MouseRecord::kSize> record{};
};

static_assert(sizeof(MouseMirror{}.record) == 23);
static_assert(MouseRecord::kSize <= kMouseBlockPointerSpeed);

// The two system settings the mouse page keeps (not mouse memory): the pointer speed (1..20, the
// system's default 10) and the wheel scroll lines. Short-lived threads apply them to the system
// and read them when they run, hence atomics.
struct MouseSystemSettings {
    std::atomic<uint8_t> pointerSpeed{10};
    std::atomic<uint8_t> wheelLines{3};
};
