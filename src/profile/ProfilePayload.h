// Between the device mirrors and the payloads of profile files.
//
// Payload layouts (offsets within the payload; the 16-byte file header comes before):
//
//   keyboard lighting ".led"     2048   0..63 keyboard settings block 0; 64 selected custom set;
//                                       65..67 brush colour R, G, B; 68..2047 the five custom
//                                       colour sets, LED n of set s at 68 + 396 s + 3 n (R, G, B)
//   keyboard device ".config"    2560   0..2047 as keyboard lighting; 2048..2559 working key
//                                       table slot 0
//   keyboard keys ".pro"          512   working key table slot 0
//   mouse device ".config"        576   0..511 key-table slot 0; 512..575 settings block 0
//   mouse lighting ".led"          64   settings block 0
//   mouse keys ".pro"             512   key-table slot 0
//   pad lighting ".led"            64   pad settings block 0
//
// A settings block in a file starts with the device's current settings record as it was when
// saved (keyboard 26 bytes, mouse 23, pad 21); the mouse block also carries the system pointer
// speed in byte 23 and the wheel lines in byte 24.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "mirror/KeyboardMirror.h"
#include "mirror/MouseMirror.h"
#include "mirror/PadMirror.h"
#include "profile/ProfileLists.h"

struct ProfileMirrors {
    KeyboardMirror& keyboard;
    MouseMirror& mouse;
    PadMirror& pad;
    MouseSystemSettings& mouseSystem;
};

namespace payload {
constexpr std::size_t kKeyboardSelectedSet = 64;
constexpr std::size_t kKeyboardBrush = 65;
constexpr std::size_t kKeyboardSets = 68;
constexpr std::size_t kKeyboardLightingSize = 2048;
constexpr std::size_t kKeyboardKeyTable = 2048;  // in the device payload
constexpr std::size_t kMouseBlock = 512;         // in the device payload
}  // namespace payload

// What a save writes: first copies the current settings record into settings block 0 (and, for
// the mouse, the pointer speed and wheel lines into its bytes 23 and 24), then returns the
// payload of the list's kind (profileListInfo(list).payloadSize bytes).
std::vector<uint8_t> buildProfilePayload(ProfileList list, ProfileMirrors& mirrors);

// What a successful load changes: the payload's areas go into the mirror, the record is taken
// from the loaded block, the mouse's pointer speed and wheel lines from block bytes 23 and 24
// (0 read as 1). payload holds profileListInfo(list).payloadSize bytes.
//
// A selected custom set outside 0..4 (it only ever comes from files) loads as 0, so the lighting
// page never indexes past the five sets.
void applyProfilePayload(ProfileList list, const uint8_t* payload, ProfileMirrors& mirrors);
