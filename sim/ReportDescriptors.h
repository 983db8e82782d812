// The HID report descriptors the emulated interfaces hand out in their hello.
//
//   boot keyboard      no report ids; 8-byte input (modifiers, reserved, six keys), 1-byte LED output
//   keyboard if1       four top-level collections:
//                        1 system control       report id 1, 1-byte input (power, sleep, wake)
//                        2 N-key keyboard        report id 2, 14-byte input (usage 0x04..0x70 bitmap)
//                        3 consumer control      report id 3, one 16-bit array slot, usages 0..0x0FFF
//                        4 command collection    report id 4, 63-byte input and output
//   boot mouse         no report ids; buttons, x, y, wheel (4 bytes)
//   command only       the command collection alone (report id 4)
#pragma once

#include <cstdint>
#include <span>

namespace sim {

// Usage page and usage of the command collection on every device.
constexpr uint16_t kCommandUsagePage = 0xFF1C;
constexpr uint16_t kCommandUsage = 0x92;
constexpr uint8_t kConsumerReportId = 3;

std::span<const uint8_t> bootKeyboardDescriptor();
std::span<const uint8_t> keyboardExtrasDescriptor();   // the four collections above
std::span<const uint8_t> bootMouseDescriptor();
std::span<const uint8_t> commandOnlyDescriptor();

}  // namespace sim
