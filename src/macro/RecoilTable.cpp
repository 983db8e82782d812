#include "macro/RecoilTable.h"

#include <new>

#include "device/DeviceChannel.h"

namespace macro {

int buildImageFor(const MacroList& lists, std::size_t capacity, std::vector<uint8_t>* image, int* surplus) {
    const std::size_t size = macroImageSize(lists);
    if (size == 0) return ImageEmpty;
    if (size > capacity) {
        *surplus = surplusActions(size, capacity);
        return ImageOverflow;
    }
    try {
        *image = buildMacroImage(lists);
    } catch (const std::bad_alloc&) {
        return ImageNoRoom;
    }
    return ImageBuilt;
}

int sendRecoilTable(DeviceChannel& mouse, const std::vector<uint8_t>& table) {
    const bool streaming = mouse.streamingEnabled.exchange(false);
    int result = mouse.beginTransfer();
    if (result == ResultOk) result = mouse.writeRecoilTable(table.data(), unsigned(table.size()));
    const int ended = mouse.endTransfer();
    mouse.streamingEnabled = streaming;
    return result != ResultOk ? result : ended;
}

}  // namespace macro
