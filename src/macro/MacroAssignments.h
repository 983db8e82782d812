// Key assignments that name macros by their list index (entries of type 0x70 and 0x71, p1 = the
// index), kept pointing at the same macros when one is deleted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace macro {

// Whether any of the first `entries` 3-byte entries of table uses macro `index`.
bool tableUsesMacro(std::span<const uint8_t> table, std::size_t entries, int index);

// After macro `deleted` is removed: an entry that used it becomes the key's default entry (from
// defaults, same layout; left alone when defaults is too short), and one naming a later macro
// names the one below. Answers how many entries changed.
int correctAfterDelete(std::span<uint8_t> table, std::span<const uint8_t> defaults, std::size_t entries, int deleted);

}  // namespace macro
