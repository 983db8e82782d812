#include "macro/MacroTransfer.h"

#include "device/DeviceChannel.h"

namespace macro {

MacroList loadMacroList(const MacroStore& store) {
    MacroList macros;
    for (const std::string& name : store.loadNames()) macros.push_back(store.loadActions(name));
    return macros;
}

int sendMacroImage(std::span<DeviceChannel* const> channels, const std::vector<uint8_t>& image) {
    int result = ResultOk;
    auto note = [&result](DeviceChannel* c, int r) {
        if (result == ResultOk && c->isConnected() && r != ResultOk) result = r;
    };
    std::vector<bool> streaming;
    std::vector<bool> begun;  // command 21 only where command 1 was taken
    for (DeviceChannel* c : channels) {
        streaming.push_back(c->streamingEnabled.exchange(false));
        const int r = c->beginTransfer();
        begun.push_back(r == ResultOk);
        note(c, r);
    }
    for (std::size_t i = 0; i < channels.size(); ++i)
        if (begun[i]) note(channels[i], channels[i]->writeMacroTable(image.data(), unsigned(image.size())));
    for (std::size_t i = 0; i < channels.size(); ++i) {
        note(channels[i], channels[i]->endTransfer());  // also after a refused command 1
        channels[i]->streamingEnabled = streaming[i];
    }
    return result;
}

int saveMacrosToDevice(const MacroStore& store, std::span<DeviceChannel* const> channels, std::size_t capacity,
                       const MacroMessage& show) {
    bool anyConnected = false;
    for (DeviceChannel* c : channels) anyConnected = anyConnected || c->isConnected();
    if (!anyConnected || store.count() == 0) return 1;
    const MacroList macros = loadMacroList(store);
    const std::size_t size = macroImageSize(macros);
    if (size == 0) return 1;
    if (size > capacity) {
        show("message_text_16", surplusActions(size, capacity));
        return 0;
    }
    if (sendMacroImage(channels, buildMacroImage(macros)) != ResultOk) {
        show(kDeviceNotUpdatedKey, std::nullopt);
        return 0;
    }
    return 1;
}

}  // namespace macro
