// The recoil table: the mouse's four patterns in the macro image layout (MacroTable.h), written
// into the mouse with command 23. At most 3072 bytes: four full patterns make 2920.
//
//   std::vector<uint8_t> table;
//   int surplus = 0;
//   if (buildImageFor(store.loadPatterns(), kRecoilTableCapacity, &table, &surplus) == ImageBuilt)
//       sendRecoilTable(mouse, table);
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "macro/MacroTable.h"

class DeviceChannel;

namespace macro {

constexpr std::size_t kRecoilTableCapacity = 3072;

// The language key telling how many recoil actions must go before the table fits; "%d" is the
// number.
inline constexpr const char* kRecoilTooLargeKey = "message_recoil_too_large";

enum ImageBuild : int {
    ImageEmpty = 0,     // nothing to send (no patterns or macros)
    ImageBuilt = 1,     // *image holds the image
    ImageOverflow = -1, // larger than the capacity: *surplus actions must go
    ImageNoRoom = -2,   // the memory for the image could not be had
};

// Builds the image of these lists if it fits the capacity. *surplus is set for ImageOverflow.
int buildImageFor(const MacroList& lists, std::size_t capacity, std::vector<uint8_t>* image, int* surplus);

// Command 1, command 23 with the table in chunks, command 2, on the mouse's channel. Lighting
// frames stay off the wire meanwhile; command 1 is always met by command 2. Answers the first
// failing command's result, 1 when all went through (an unconnected channel answers 0).
int sendRecoilTable(DeviceChannel& mouse, const std::vector<uint8_t>& table);

}  // namespace macro
