// Feeds arbitrary bytes to what reads macro files: as one action line (parsed, formatted, parsed
// again: the second parse must give the same action) and as the text of an action file whose
// count comes from the first bytes; the actions read go into a device image whose size must be
// the one the layout gives.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "macro/MacroAction.h"
#include "macro/MacroStore.h"
#include "macro/MacroTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (auto action = macro::parseActionLine(text)) {
        auto again = macro::parseActionLine(macro::formatActionLine(*action));
        if (!again || !(*again == *action)) std::abort();
    }
    const int count = size >= 2 ? (data[0] | data[1] << 8) % (macro::kMaxActionsPerMacro + 1) : 0;
    macro::MacroList macros(1);
    for (const std::string& line : macro::readIndexedValues(text, "MACROACTION", count))
        if (auto action = macro::parseActionLine(line)) macros[0].push_back(*action);
    if (macro::buildMacroImage(macros).size() != macro::macroImageSize(macros)) std::abort();
    return 0;
}
