#include "mirror/MouseTransfers.h"

#include <cstring>

#include "platform/DebugLog.h"

namespace {

constexpr unsigned kRecordSize = MouseRecord::kSize;
constexpr unsigned kBlockBytes = mirror::kSettingsBlockDeviceBytes;
constexpr unsigned kKeyTableBytes = MouseMirror::kKeyTableBytes;

constexpr uint16_t blockAddress(unsigned profile) { return uint16_t(profile * mirror::kSettingsBlockSize); }

}  // namespace

unsigned MouseTransfers::activeProfile() const {
    const unsigned p = mirror_.record[MouseRecord::kProfile];
    if (p < mirror::kOnboardProfiles) return p;
    debugLog("mouse: active profile " + std::to_string(p) + " is out of range; using 0");
    return 0;
}

void MouseTransfers::recordFromBlock(unsigned profile) {
    std::memcpy(mirror_.record.data(), mirror_.blocks[profile].data(), kRecordSize);
    mirror_.record[MouseRecord::kProfile] = uint8_t(profile);
}

void MouseTransfers::recordIntoBlock() {
    std::memcpy(mirror_.blocks[activeProfile()].data(), mirror_.record.data(), kRecordSize);
}

// ---- reads ----------------------------------------------------------------------------------------

int MouseTransfers::readAll() {
    int result = channel_.beginTransfer();
    if (result != ResultOk) return result;
    // Everything is read into a copy first: the mirror takes it only once the whole read went
    // through, so a mouse that stops answering half-way leaves the mirror (and the profile file
    // saved from it) as it was.
    MouseMirror fresh = mirror_;
    uint8_t active = 0;
    auto read = [&] {
        if ((result = channel_.readDeviceInfo(fresh.deviceInfo.data())) != ResultOk) return;
        if ((result = channel_.readDefaultKeyTable(fresh.defaultKeyTable.data())) != ResultOk) return;
        for (unsigned p = 0; p < mirror::kOnboardProfiles; ++p) {
            if ((result = channel_.readBlock(fresh.blocks[p].data(), kBlockBytes, blockAddress(p))) != ResultOk) return;
            if ((result = channel_.readKeyTable(fresh.keyTables[p].data(), p)) != ResultOk) return;
        }
        result = channel_.readBlock(&active, 1, 0);
    };
    read();
    const int ended = channel_.endTransfer();
    if (result != ResultOk) return result;
    mirror_ = fresh;
    if (active >= mirror::kOnboardProfiles) {
        debugLog("mouse: reports active profile " + std::to_string(active) + "; using 0");
        active = 0;
    }
    recordFromBlock(active);
    host_.saveDeviceProfile();
    return ended;
}

int MouseTransfers::rereadActiveBlock() {
    recordIntoBlock();
    uint8_t unused = 0;
    int result = channel_.readBlock(&unused, 1, 0);
    if (result != ResultOk) return result;
    mirror::SettingsBlock block = mirror_.blocks[0];
    result = channel_.readBlock(block.data(), kBlockBytes, 0);
    if (result != ResultOk) return result;
    block[0] = 0;
    mirror_.blocks[0] = block;
    recordFromBlock(0);
    host_.saveLightingProfile();
    host_.saveDeviceProfile();
    return result;
}

int MouseTransfers::switchProfile(unsigned n) {
    if (n >= mirror::kOnboardProfiles) {
        debugLog("mouse: no onboard profile " + std::to_string(n));
        return ResultBadProfile;
    }
    uint8_t active = 0;
    int result = channel_.readBlock(&active, 1, 0);
    // Without the mouse's answer nothing moves: switching the record to a block that was never
    // read would show (and then save over the profile files) an empty profile.
    if (result != ResultOk) return result;
    if (active == n) return result;
    if (active < mirror::kOnboardProfiles)
        std::memcpy(mirror_.blocks[active].data(), mirror_.record.data(), kRecordSize);
    const uint8_t value = uint8_t(n);
    if ((result = channel_.writeBlock(&value, 1, 0)) != ResultOk) return result;
    mirror::SettingsBlock block = mirror_.blocks[n];
    if ((result = channel_.readBlock(block.data(), kBlockBytes, blockAddress(n))) != ResultOk) return result;
    mirror_.blocks[n] = block;
    recordFromBlock(n);
    host_.showFirstFunctionPage();
    host_.refreshPages();
    return result;
}

// ---- writes ---------------------------------------------------------------------------------------

int MouseTransfers::writeKeyTable(unsigned profile) {
    if (profile >= mirror::kOnboardProfiles) return ResultBadProfile;
    return channel_.writeKeyTable(mirror_.keyTables[profile].data(), kKeyTableBytes, profile);
}

// One image step of save to device. *proceed turns false when the save must end before the key
// table (a macro image that does not fit or could not be built).
int MouseTransfers::writeImage(const MouseImageStep& step, size_t capacity, bool recoil, bool* proceed) {
    if (!step) return ResultOk;
    std::vector<uint8_t> image;
    const int made = step(capacity, image);
    if (made == ImageNothing) return ResultOk;
    const bool fits = made == ImageReady && image.size() <= capacity;
    if (recoil) {
        if (!fits) debugLog("mouse: recoil image of " + std::to_string(image.size()) + " bytes is not written");
        if (!fits) return ResultOk;  // the recoil step alone is skipped
    } else if (!fits) {
        if (made == ImageNoMemory) host_.showMessage("message_text_7");
        else if (made == ImageReady) host_.showMessage("message_text_16");  // the step told of its own refusal
        *proceed = false;
        return ResultOk;
    }
    if (image.empty()) return ResultOk;
    int result = channel_.beginTransfer();
    if (result != ResultOk) return result;
    result = recoil ? channel_.writeRecoilTable(image.data(), unsigned(image.size()))
                    : channel_.writeMacroTable(image.data(), unsigned(image.size()));
    const int ended = channel_.endTransfer();
    return result != ResultOk ? result : ended;
}

void MouseTransfers::saveToDevice() {
    host_.showProgress();
    bool proceed = true;
    writeImage(recoilStep_, kRecoilCapacity, true, &proceed);
    const size_t capacity = size_t(mirror_.deviceInfo[6]) * 128;
    writeImage(macroStep_, capacity, false, &proceed);
    if (proceed) {
        const unsigned a = activeProfile();
        if (channel_.beginTransfer() == ResultOk) {
            writeKeyTable(a);
            channel_.endTransfer();
        }
        host_.saveDeviceProfile();
    }
    host_.hideProgressLater();
}

void MouseTransfers::reset() {
    host_.resetSystemSettings();
    channel_.resetDevice();
}

void MouseTransfers::applyDeviceProfile() {
    std::memcpy(mirror_.record.data(), mirror_.blocks[0].data(), kRecordSize);
    host_.applySystemSettings();
    host_.refreshPages();
    channel_.writeBlock(mirror_.blocks[0].data(), kRecordSize, 0);
    host_.markDirty();
    writeKeyTable(0);
}

void MouseTransfers::applyDeviceDefaults() {
    std::memcpy(mirror_.record.data(), mirror_.blocks[0].data(), kRecordSize);
    host_.refreshPages();
    host_.applySystemSettings();
    host_.markDirty();
    writeKeyTable(0);
}
