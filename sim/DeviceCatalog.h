// The five emulated devices: identity, USB interfaces, onboard memory areas and factory contents.
//
// Onboard memory, per area (sizes in bytes; 0 = the device has no such area):
//
//   area         kb     small  companion  mouse  pad    addressed by
//   info         33     33     33         33     33     command 3 (whole block)
//   defaultkeys  378    60     48         512    0      command 7, address = offset
//   settings     320    320    320        320    320    commands 5 and 6: five 64-byte blocks,
//                                                        byte 0 of block 0 = active profile
//   keys         1016   1016   1016       1016   0      commands 8 and 9, address = profile x 126
//                                                        + offset (one flat area: tables overlap
//                                                        when a unit has more than 42 keys)
//   macro        2048   2048   2048       2048   0      command 21 (info byte 6 x 128)
//   recoil       0      0      0          3072   0      command 23
//   frame        396    0      0          0      0      command 18 (last lighting frame)
//
// Device information (33 bytes):
//   0..1  firmware version (LE)      2..3  product id (LE)     4  onboard profiles (5)
//   5     key count n                6     macro capacity in 128-byte units
//   7     command set revision (1)   9..10 sensor id (LE)      11 resolution increment per step
//   12    resolution steps           13..14 resolution base (LE)      (9..14 are 0 but on the mouse)
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace sim {

enum class Area : uint8_t { Info, DefaultKeys, Settings, Keys, Macro, Recoil, Frame };
constexpr size_t kAreaCount = 7;

// "info", "defaultkeys", "settings", "keys", "macro", "recoil", "frame".
const char* areaName(Area area);
bool areaFromName(std::string_view name, Area* area);

constexpr size_t kInfoSize = 33;
constexpr size_t kSettingsBlockStride = 64;
constexpr size_t kSettingsBlocks = 5;
constexpr size_t kKeyTableStride = 126;          // profile p's key table starts at p x 126
constexpr size_t kKeysAreaSize = 4 * kKeyTableStride + 512;
constexpr size_t kFrameSize = 396;
constexpr size_t kRecoilSize = 3072;

struct InterfaceDefinition {
    uint8_t number = 0;
    std::span<const uint8_t> descriptor;
};

struct DeviceDefinition {
    const char* name = "";          // kb, small, companion, mouse, pad
    uint16_t vendorId = 0x0C45;
    uint16_t productId = 0;
    uint16_t version = 0;           // USB release number, also firmware version in info bytes 0..1
    std::span<const InterfaceDefinition> interfaces;
    uint8_t commandInterface = 0;   // interface carrying the command collection (report id 4)
    int consumerInterface = -1;     // interface with the consumer collection (report id 3), or -1
    std::array<size_t, kAreaCount> areaSize{};
    uint8_t keyCount = 0;
    uint8_t macroUnits = 0;         // macro capacity in 128-byte units
};

std::span<const DeviceDefinition> deviceCatalog();
const DeviceDefinition* findDevice(std::string_view name);

// The area as it leaves the factory (size areaSize of that area).
std::vector<uint8_t> factoryContents(const DeviceDefinition& def, Area area);

}  // namespace sim
