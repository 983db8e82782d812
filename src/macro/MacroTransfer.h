// Writing a device's macros into it: the first step of both save-to-device actions.
//
//   std::vector<DeviceChannel*> units{&keyboard, &small, &companion};
//   if (macro::saveMacrosToDevice(store, units, info[6] * 128, show) == 0) return;  // save ends
//
// The image is built from the list and action files afresh, checked against the capacity, then
// sent as command 1 to every channel, command 21 with the same image to every channel, command 2
// to every channel (the keyboard's units get identical images whatever their own information
// blocks say). A channel that is not connected is skipped (it answers 0 at once and counts as no
// failure). Command 1 is always met by command 2. Lighting frames stay off the wire meanwhile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "macro/MacroStore.h"
#include "macro/MacroTable.h"

class DeviceChannel;

namespace macro {

// Shows a message box: a language key and, for keys with "%d", the number to put in.
using MacroMessage = std::function<void(const std::string& key, std::optional<int> value)>;

// The language key shown when a connected unit did not take the image: the device keeps its
// previous macros and the save goes no further.
inline constexpr const char* kDeviceNotUpdatedKey = "message_macro_not_sent";

// Every macro of the store with its parsed actions (unparseable lines skipped), in list order.
MacroList loadMacroList(const MacroStore& store);

// Sends an image as described above. 1 when every connected channel took it (or none is
// connected); otherwise the first failing result of a connected channel (0 no answer after the
// retries, -1 not written, -102 / -103 error status).
int sendMacroImage(std::span<DeviceChannel* const> channels, const std::vector<uint8_t>& image);

// The whole step. 1: done or nothing to send (empty list, no channel connected): the save goes
// on. 0: refused (too large: "message_text_16" with the surplus) or a connected unit failed
// (kDeviceNotUpdatedKey): the save stops.
int saveMacrosToDevice(const MacroStore& store, std::span<DeviceChannel* const> channels, std::size_t capacity,
                       const MacroMessage& show);

}  // namespace macro
