// Byte areas the three device mirrors have in common.
//
// A mirror keeps device memory byte for byte, so every area is a fixed-size byte array; profile
// files (src/profile) copy these areas raw. Multi-byte fields inside them are little-endian.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace mirror {

constexpr std::size_t kOnboardProfiles = 5;       // onboard profiles 0..4 of every device
constexpr std::size_t kDeviceInfoSize = 33;       // answer of the device information command
constexpr std::size_t kSettingsBlockSize = 64;    // blocks lie 64 bytes apart on the device...
constexpr std::size_t kSettingsBlockDeviceBytes = 56;  // ...of which the device reads and writes 56
constexpr std::size_t kKeyTableSlotSize = 512;    // largest key table transfer
constexpr std::size_t kKeyEntrySize = 3;          // type, p1, p2

using DeviceInfo = std::array<uint8_t, kDeviceInfoSize>;
using SettingsBlock = std::array<uint8_t, kSettingsBlockSize>;
using KeyTableSlot = std::array<uint8_t, kKeyTableSlotSize>;

static_assert(sizeof(DeviceInfo) == 33);
static_assert(sizeof(SettingsBlock) == 64);
static_assert(sizeof(KeyTableSlot) == 512);

}  // namespace mirror
