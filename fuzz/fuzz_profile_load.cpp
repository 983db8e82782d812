// Profile files as they come from disk: the first byte picks the kind of profile, the rest is
// its payload (zero-padded to the size of that kind). The payload is loaded into the mirrors as a
// selection does, and everything a load is followed by runs on what it left there: the merge and
// split of the keyboard's key tables at the loaded profile number, the position maps, the A/B
// flag address and a save of every kind.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "mirror/KeyboardTransfers.h"
#include "profile/ProfilePayload.h"

namespace {

struct NoHost : KeyboardSequenceHost {
    void showMessage(const std::string&) override {}
    void saveDeviceProfile() override {}
    void saveKeyProfile() override {}
    void showSettingsTab(bool) override {}
    void showFirstFunctionPage() override {}
    void setAbControlEnabled(bool) override {}
    void refreshPages() override {}
    void showProgress() override {}
    void hideProgressLater() override {}
};

struct Mirrors {
    KeyboardMirror keyboard;
    MouseMirror mouse;
    PadMirror pad;
    MouseSystemSettings system;
    ProfileMirrors refs{keyboard, mouse, pad, system};
    // Channels that are never connected: every command returns at once, after its address is made.
    DeviceChannel kb, small, companion;
    NoHost host;
    KeyboardTransfers transfers{keyboard, {kb, small, companion}, host};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static Mirrors* m = new Mirrors;
    const ProfileList list = ProfileList(data[0] % kProfileListCount);
    std::vector<uint8_t> payload(profileListInfo(list).payloadSize, 0);
    std::memcpy(payload.data(), data + 1, std::min(size - 1, payload.size()));
    applyProfilePayload(list, payload.data(), m->refs);

    const unsigned profile = m->keyboard.record[KeyboardRecord::kProfile];
    KeyboardTransfers::rebuildPositionMaps(m->keyboard);
    KeyboardTransfers::merge(m->keyboard, profile);
    KeyboardTransfers::split(m->keyboard, profile);
    m->transfers.writeAbFlag(data[0] & 0x80);
    m->transfers.writeKeyTables();
    if (m->keyboard.lighting.selectedSet >= KeyboardCustomLighting::kSets) __builtin_trap();
    for (int k = 0; k < kProfileListCount; ++k) {
        const std::vector<uint8_t> saved = buildProfilePayload(ProfileList(k), m->refs);
        if (saved.size() != profileListInfo(ProfileList(k)).payloadSize) __builtin_trap();
    }
    return 0;
}
