// The mouse pad mirror: the pad's five onboard profiles, each one settings block.
//
// Plain data, zero at start. The pad lighting profile file copies settings block 0.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "mirror/MirrorAreas.h"

// Current settings record: bytes 1..20 as in every settings block, byte 0 the active profile.
struct PadRecord {
    static constexpr std::size_t kSize = 21;
    static constexpr std::size_t kProfile = 0;
    static constexpr std::size_t kMode = 1;         // 0..9
    static constexpr std::size_t kBrightness = 2;
    static constexpr std::size_t kSpeed = 3;        // 14 - slider value
    static constexpr std::size_t kDirection = 4;    // non-zero left
    static constexpr std::size_t kMultiColour = 5;
    static constexpr std::size_t kRed = 6, kGreen = 7, kBlue = 8;
};

struct PadMirror {
    mirror::DeviceInfo deviceInfo{};  // stored, not interpreted
    std::array<mirror::SettingsBlock, mirror::kOnboardProfiles> blocks{};
    std::array<uint8_t, PadRecord::kSize> record{};
};

static_assert(sizeof(PadMirror{}.record) == 21);
