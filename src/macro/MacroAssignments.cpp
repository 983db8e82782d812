#include "macro/MacroAssignments.h"

#include "keys/KeyFunction.h"

namespace macro {

namespace {

bool isMacroEntry(uint8_t type) {
    return type == uint8_t(keys::KeyFunctionType::MacroKey) || type == uint8_t(keys::KeyFunctionType::MacroRepeatKey);
}

}  // namespace

bool tableUsesMacro(std::span<const uint8_t> table, std::size_t entries, int index) {
    for (std::size_t e = 0; e < entries && 3 * e + 2 < table.size(); ++e)
        if (isMacroEntry(table[3 * e]) && table[3 * e + 1] == index) return true;
    return false;
}

int correctAfterDelete(std::span<uint8_t> table, std::span<const uint8_t> defaults, std::size_t entries, int deleted) {
    int changed = 0;
    for (std::size_t e = 0; e < entries && 3 * e + 2 < table.size(); ++e) {
        uint8_t* entry = &table[3 * e];
        if (!isMacroEntry(entry[0])) continue;
        if (entry[1] == deleted) {
            if (3 * e + 2 >= defaults.size()) continue;
            entry[0] = defaults[3 * e];
            entry[1] = defaults[3 * e + 1];
            entry[2] = defaults[3 * e + 2];
            ++changed;
        } else if (entry[1] > deleted) {
            --entry[1];
            ++changed;
        }
    }
    return changed;
}

}  // namespace macro
