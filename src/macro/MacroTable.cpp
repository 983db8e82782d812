#include "macro/MacroTable.h"

#include <cstring>

namespace macro {

namespace {

void putU16(uint8_t* at, std::size_t value) {
    at[0] = uint8_t(value & 0xFF);
    at[1] = uint8_t((value >> 8) & 0xFF);
}

}  // namespace

std::size_t macroImageSize(const MacroList& macros) {
    if (macros.empty()) return 0;
    std::size_t total = kMacroImageHeaderSize + macros.size() * (2 + kMacroRecordHeaderSize);
    for (const auto& actions : macros) total += actions.size() * kMacroImageActionSize;
    return total;
}

std::vector<uint8_t> buildMacroImage(const MacroList& macros) {
    const std::size_t total = macroImageSize(macros);
    std::vector<uint8_t> image(total, 0);
    if (total == 0) return image;
    putU16(&image[0], kMacroImageMagic);
    putU16(&image[2], total);
    putU16(&image[4], macros.size());
    std::size_t record = kMacroImageHeaderSize + 2 * macros.size();
    for (std::size_t i = 0; i < macros.size(); ++i) {
        const auto& actions = macros[i];
        putU16(&image[kMacroImageHeaderSize + 2 * i], record);
        putU16(&image[record], actions.size());
        uint8_t* out = &image[record + kMacroRecordHeaderSize];
        for (const MacroAction& a : actions) {
            const MacroImageAction packed{a.delayLow, a.delayHigh, a.type, a.code};
            std::memcpy(out, &packed, sizeof packed);
            out += sizeof packed;
        }
        record += kMacroRecordHeaderSize + kMacroImageActionSize * actions.size();
    }
    return image;
}

int surplusActions(std::size_t imageSize, std::size_t capacity) {
    if (imageSize <= capacity) return 0;
    return int((imageSize - capacity) >> 2) + 1;
}

}  // namespace macro
