// The keyboard mirror: what the program holds of the keyboard family's onboard memory.
//
// The family is up to three units (keyboard, small keyboard, companion keyboard), each with its
// own channel. The program reads onboard profile 0 of each unit and merges the units' key tables
// into one working key table of 132 logical keys, which the pages edit and the writes split again.
//
// Plain data, zero at start (position maps: all absent). The transfer sequences fill it; profile
// files copy the settings block, the custom lighting data and working slot 0.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "mirror/KeyboardDefaultCodes.h"
#include "mirror/MirrorAreas.h"

enum class KeyboardUnit : std::size_t { keyboard = 0, small = 1, companion = 2 };
constexpr std::size_t kKeyboardUnits = 3;

// Current settings record: a copy of the keyboard's settings block whose byte 0 is the active
// onboard profile number. Bytes 1..8 are the lighting fields.
struct KeyboardRecord {
    static constexpr std::size_t kSize = 26;
    static constexpr std::size_t kProfile = 0;
    static constexpr std::size_t kMode = 1;         // 0..9
    static constexpr std::size_t kBrightness = 2;   // index 0..4 into the brightness levels
    static constexpr std::size_t kSpeed = 3;        // 0..4, 0 fastest
    static constexpr std::size_t kDirection = 4;    // non-zero left
    static constexpr std::size_t kMultiColour = 5;
    static constexpr std::size_t kRed = 6, kGreen = 7, kBlue = 8;
    static constexpr std::size_t kBreathingCycle = 9;
    static constexpr std::size_t kAbMode = 23;
    static constexpr std::size_t kLightingTab = 24;  // non-zero: the lighting settings tab is shown
    static constexpr std::size_t kAbTab = 25;
};

// Lighting data the program keeps for the keyboard alone; never sent as such.
struct KeyboardCustomLighting {
    static constexpr std::size_t kSets = 5;
    static constexpr std::size_t kLeds = 132;
    static constexpr std::size_t kSetSize = kLeds * 3;  // red, green, blue per LED number

    uint8_t selectedSet = 0;                      // 0..4
    std::array<uint8_t, 3> brush{};               // colour that painting puts into the selected set
    std::array<std::array<uint8_t, kSetSize>, kSets> sets{};
    // Not saved in profile files.
    bool rollerOn = false;
    std::array<uint8_t, 3> roller{};
};
static_assert(sizeof(KeyboardCustomLighting::sets) == 1980);

// Position of a logical key on a unit, or kPositionAbsent when the unit does not carry it.
using KeyPositionMap = std::array<int16_t, kKeyboardLogicalKeys>;
constexpr int16_t kPositionAbsent = -1;
constexpr KeyPositionMap absentPositions() {
    KeyPositionMap map{};
    for (auto& position : map) position = kPositionAbsent;
    return map;
}

struct KeyboardMirror {
    static constexpr std::size_t kSmallDefaultKeys = 60;      // 20 keys
    static constexpr std::size_t kCompanionDefaultKeys = 48;  // 16 keys

    std::array<mirror::DeviceInfo, kKeyboardUnits> deviceInfo{};   // byte 5: key count n
    std::array<uint8_t, mirror::kKeyTableSlotSize> defaultKeyTable{};  // keyboard: first 3n bytes
    std::array<uint8_t, kSmallDefaultKeys> smallDefaultKeyTable{};
    std::array<uint8_t, kCompanionDefaultKeys> companionDefaultKeyTable{};

    std::array<mirror::SettingsBlock, mirror::kOnboardProfiles> blocks{};  // keyboard; block 0 used
    mirror::SettingsBlock smallBlock{};
    mirror::SettingsBlock companionBlock{};

    // Per unit, per onboard profile, as read; slot 0 is the one read.
    std::array<std::array<mirror::KeyTableSlot, mirror::kOnboardProfiles>, kKeyboardUnits> unitKeyTables{};
    std::array<KeyPositionMap, kKeyboardUnits> positionMaps{absentPositions(), absentPositions(), absentPositions()};

    // Merged table of the 132 logical keys per onboard profile: entry k at 3k (396 bytes used).
    std::array<mirror::KeyTableSlot, mirror::kOnboardProfiles> workingKeyTable{};

    std::array<uint8_t, KeyboardRecord::kSize> record{};
    KeyboardCustomLighting lighting{};
};

static_assert(sizeof(KeyboardMirror{}.record) == 26);
static_assert(sizeof(KeyboardMirror{}.blocks[0]) == 64);
static_assert(sizeof(KeyboardMirror{}.workingKeyTable[0]) == 512);
static_assert(kKeyboardLogicalKeys * mirror::kKeyEntrySize <= mirror::kKeyTableSlotSize);
