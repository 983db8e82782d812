// The seven device channels the main window owns, and the identity each is given at start.
#pragma once

#include <array>
#include <cstddef>

#include "device/DeviceChannel.h"

enum ChannelIndex : size_t {
    ChannelKeyboard = 0,
    ChannelSmallKeyboard,
    ChannelCompanionKeyboard,
    ChannelMouse,
    ChannelPad,
    ChannelKeyboardConsumer,  // opened and closed with the keyboard; no command is ever sent on it
    ChannelSpare,             // never opened
    kChannelCount
};

constexpr uint16_t kZelkarVendorId = 0x0C45;
constexpr uint16_t kCommandUsagePage = 0xFF1C;
constexpr uint16_t kCommandUsage = 0x92;

constexpr std::array<ChannelIdentity, kChannelCount> kChannelIdentities = {{
    {kZelkarVendorId, 0x751D, kCommandUsage, kCommandUsagePage},
    {kZelkarVendorId, 0x761E, kCommandUsage, kCommandUsagePage},
    {kZelkarVendorId, 0x7624, kCommandUsage, kCommandUsagePage},
    {kZelkarVendorId, 0x6656, kCommandUsage, kCommandUsagePage},
    {kZelkarVendorId, 0x6758, kCommandUsage, kCommandUsagePage},
    {0, 0, 0, 0},
    {0, 0, 0, 0},
}};

// Gives every channel its identity from the table above.
template <typename Channels>
void applyChannelIdentities(Channels& channels) {
    for (size_t i = 0; i < kChannelCount; ++i) {
        const ChannelIdentity& id = kChannelIdentities[i];
        channels[i].setIdentity(id.vendorId, id.productId, id.usage, id.usagePage);
    }
}
