#include "mirror/PadTransfers.h"

#include <cstring>
#include <string>

#include "platform/DebugLog.h"

namespace {

constexpr unsigned kRecordSize = PadRecord::kSize;
constexpr unsigned kBlockBytes = mirror::kSettingsBlockDeviceBytes;

constexpr uint16_t blockAddress(unsigned profile) { return uint16_t(profile * mirror::kSettingsBlockSize); }

}  // namespace

unsigned PadTransfers::activeProfile() const {
    const unsigned p = mirror_.record[PadRecord::kProfile];
    if (p < mirror::kOnboardProfiles) return p;
    debugLog("pad: active profile " + std::to_string(p) + " is out of range; using 0");
    return 0;
}

void PadTransfers::recordFromBlock(unsigned profile) {
    std::memcpy(mirror_.record.data(), mirror_.blocks[profile].data(), kRecordSize);
    mirror_.record[PadRecord::kProfile] = uint8_t(profile);
}

int PadTransfers::readAll() {
    int result = channel_.beginTransfer();
    if (result != ResultOk) return result;
    PadMirror fresh = mirror_;
    uint8_t active = 0;
    auto read = [&] {
        if ((result = channel_.readDeviceInfo(fresh.deviceInfo.data())) != ResultOk) return;
        for (unsigned p = 0; p < mirror::kOnboardProfiles; ++p)
            if ((result = channel_.readBlock(fresh.blocks[p].data(), kBlockBytes, blockAddress(p))) != ResultOk) return;
        result = channel_.readBlock(&active, 1, 0);
    };
    read();
    const int ended = channel_.endTransfer();
    if (result != ResultOk) return result;
    mirror_ = fresh;
    if (active >= mirror::kOnboardProfiles) {
        debugLog("pad: reports active profile " + std::to_string(active) + "; using 0");
        active = 0;
    }
    recordFromBlock(active);
    host_.saveLightingProfile();
    return ended;
}

int PadTransfers::rereadActiveBlock() {
    std::memcpy(mirror_.blocks[activeProfile()].data(), mirror_.record.data(), kRecordSize);
    uint8_t active = 0;
    int result = channel_.readBlock(&active, 1, 0);
    if (result != ResultOk) return result;
    if (active >= mirror::kOnboardProfiles) return ResultBadProfile;
    mirror::SettingsBlock block = mirror_.blocks[active];
    result = channel_.readBlock(block.data(), kBlockBytes, blockAddress(active));
    if (result != ResultOk) return result;
    block[0] = active;
    mirror_.blocks[active] = block;
    recordFromBlock(active);
    host_.saveLightingProfile();
    return result;
}

int PadTransfers::switchProfile(unsigned n) {
    if (n >= mirror::kOnboardProfiles) {
        debugLog("pad: no onboard profile " + std::to_string(n));
        return ResultBadProfile;
    }
    uint8_t active = 0;
    int result = channel_.readBlock(&active, 1, 0);
    if (result != ResultOk) return result;  // no answer: the record stays on its profile
    if (active == n) return result;
    if (active < mirror::kOnboardProfiles)
        std::memcpy(mirror_.blocks[active].data(), mirror_.record.data(), kRecordSize);
    const uint8_t value = uint8_t(n);
    if ((result = channel_.writeBlock(&value, 1, 0)) != ResultOk) return result;
    mirror::SettingsBlock block = mirror_.blocks[n];
    if ((result = channel_.readBlock(block.data(), kBlockBytes, blockAddress(n))) != ResultOk) return result;
    mirror_.blocks[n] = block;
    recordFromBlock(n);
    host_.refreshPage();
    return result;
}

void PadTransfers::reset() {
    channel_.resetDevice();
    host_.readAgainLater();
}
