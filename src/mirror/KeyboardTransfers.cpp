#include "mirror/KeyboardTransfers.h"

#include <algorithm>
#include <cstring>

#include "platform/DebugLog.h"
#include "profile/ProfileFile.h"

namespace {

constexpr unsigned kRecordSize = KeyboardRecord::kSize;
constexpr unsigned kBlockBytes = mirror::kSettingsBlockDeviceBytes;

unsigned keyCount(const mirror::DeviceInfo& info) { return info[5]; }

// The units' own default tables, and how many positions a unit's search may cover.
const uint8_t* unitDefaults(const KeyboardMirror& m, KeyboardUnit unit, size_t* bytes) {
    switch (unit) {
    case KeyboardUnit::small:
        *bytes = m.smallDefaultKeyTable.size();
        return m.smallDefaultKeyTable.data();
    case KeyboardUnit::companion:
        *bytes = m.companionDefaultKeyTable.size();
        return m.companionDefaultKeyTable.data();
    default:
        *bytes = m.defaultKeyTable.size();
        return m.defaultKeyTable.data();
    }
}

// Which unit a logical key's entry comes from: the companion keyboard first, then the keyboard,
// then the small keyboard.
constexpr KeyboardUnit kPrecedence[] = {KeyboardUnit::companion, KeyboardUnit::keyboard, KeyboardUnit::small};

}  // namespace

// ---- working table <-> units ----------------------------------------------------------------------

void KeyboardTransfers::rebuildPositionMaps(KeyboardMirror& m) {
    for (KeyboardUnit unit : {KeyboardUnit::keyboard, KeyboardUnit::small, KeyboardUnit::companion}) {
        size_t bytes = 0;
        const uint8_t* table = unitDefaults(m, unit, &bytes);
        // The keyboard is searched over its n keys, the add-on units over 20 positions; never
        // past the end of the table a unit gave us (the companion keyboard's has 16).
        size_t positions = unit == KeyboardUnit::keyboard ? keyCount(m.deviceInfo[0]) : 20;
        positions = std::min(positions, bytes / 3);
        KeyPositionMap& map = m.positionMaps[size_t(unit)];
        for (size_t key = 0; key < kKeyboardLogicalKeys; ++key) {
            // A logical place that has no key (code 00 00 00) is on no unit. Looked up, it would
            // match the first empty position of a table - or any position of a unit not yet read,
            // whose table is still all zeros - and from then on the split would write its empty
            // entry over the real key kept there.
            if (kKeyboardDefaultCodes[key] == KeyEntry{0, 0, 0}) continue;
            for (size_t j = 0; j < positions; ++j) {
                if (std::memcmp(table + 3 * j, kKeyboardDefaultCodes[key].data(), 3) == 0) {
                    map[key] = int16_t(j);
                    break;
                }
            }
        }
    }
}

// Each logical key's entry moves between the working slot and the one unit that carries it.
static void copyCarriedKeys(KeyboardMirror& m, unsigned profile, bool toUnits) {
    if (profile >= mirror::kOnboardProfiles) return;
    for (size_t key = 0; key < kKeyboardLogicalKeys; ++key) {
        for (KeyboardUnit unit : kPrecedence) {
            const int16_t position = m.positionMaps[size_t(unit)][key];
            if (position == kPositionAbsent) continue;
            mirror::KeyTableSlot& table = m.unitKeyTables[size_t(unit)][profile];
            if (size_t(position) * 3 + 3 > table.size()) break;
            uint8_t* onUnit = &table[size_t(position) * 3];
            uint8_t* working = &m.workingKeyTable[profile][key * 3];
            if (toUnits) std::memcpy(onUnit, working, 3);
            else std::memcpy(working, onUnit, 3);
            break;
        }
    }
}

void KeyboardTransfers::merge(KeyboardMirror& m, unsigned profile) { copyCarriedKeys(m, profile, false); }
void KeyboardTransfers::split(KeyboardMirror& m, unsigned profile) { copyCarriedKeys(m, profile, true); }

// The record's profile number indexes the mirror's blocks and slots; a keyboard that reports a
// number of 5 or more gets profile 0's place instead of memory beyond the mirror.
unsigned KeyboardTransfers::activeProfile() const {
    const unsigned p = mirror_.record[KeyboardRecord::kProfile];
    if (p < mirror::kOnboardProfiles) return p;
    debugLog("keyboard: active profile " + std::to_string(p) + " is out of range; using 0");
    return 0;
}

// ---- reads ----------------------------------------------------------------------------------------

void KeyboardTransfers::readAll(bool saveDeviceProfile) {
    DeviceChannel& kb = channels_.keyboard;
    kb.beginTransfer();
    kb.readDeviceInfo(mirror_.deviceInfo[0].data());
    if (!kb.setTransferSize(keyCount(mirror_.deviceInfo[0]) * 3)) {
        host_.showMessage("message_text_11");
        return;
    }
    kb.readDefaultKeyTable(mirror_.defaultKeyTable.data());
    kb.readBlock(mirror_.blocks[0].data(), kBlockBytes, 0);
    kb.readKeyTable(mirror_.unitKeyTables[0][0].data(), 0);
    uint8_t active = mirror_.record[KeyboardRecord::kProfile];
    kb.readBlock(&active, 1, 0);
    mirror_.record[KeyboardRecord::kProfile] = active;
    const unsigned a = activeProfile();
    std::memcpy(mirror_.record.data(), mirror_.blocks[a].data(), kRecordSize);
    mirror_.record[KeyboardRecord::kProfile] = uint8_t(a);
    kb.endTransfer();

    host_.showSettingsTab(mirror_.record[KeyboardRecord::kLightingTab] != 0);
    rebuildPositionMaps(mirror_);
    merge(mirror_, a);
    if (saveDeviceProfile) host_.saveDeviceProfile();
}

void KeyboardTransfers::readSmall() { readUnit(KeyboardUnit::small); }
void KeyboardTransfers::readCompanion() { readUnit(KeyboardUnit::companion); }

void KeyboardTransfers::readUnit(KeyboardUnit unit) {
    const bool small = unit == KeyboardUnit::small;
    DeviceChannel& channel = small ? channels_.small : channels_.companion;
    const size_t unitIndex = size_t(unit);
    uint8_t* defaults = small ? mirror_.smallDefaultKeyTable.data() : mirror_.companionDefaultKeyTable.data();
    const size_t kept = small ? mirror_.smallDefaultKeyTable.size() : mirror_.companionDefaultKeyTable.size();
    mirror::SettingsBlock& block = small ? mirror_.smallBlock : mirror_.companionBlock;

    channel.beginTransfer();
    channel.readDeviceInfo(mirror_.deviceInfo[unitIndex].data());
    if (!channel.setTransferSize(keyCount(mirror_.deviceInfo[unitIndex]) * 3)) {
        host_.showMessage("message_text_11");
        return;
    }
    // The unit answers its transfer size; the mirror keeps the unit's own share of it.
    mirror::KeyTableSlot table{};
    std::memcpy(table.data(), defaults, kept);
    if (channel.readDefaultKeyTable(table.data()) == ResultOk) std::memcpy(defaults, table.data(), kept);
    channel.readBlock(block.data(), kBlockBytes, 0);
    mirror::KeyTableSlot& slot = mirror_.unitKeyTables[unitIndex][0];
    table = slot;
    if (channel.readKeyTable(table.data(), 0) == ResultOk) std::memcpy(slot.data(), table.data(), kept);
    mirror_.record[KeyboardRecord::kProfile] = block[0];
    channel.endTransfer();

    rebuildPositionMaps(mirror_);
    merge(mirror_, activeProfile());
    host_.saveKeyProfile();
    host_.saveDeviceProfile();
}

void KeyboardTransfers::rereadBlock0() {
    DeviceChannel& kb = channels_.keyboard;
    kb.streamingEnabled = false;
    std::memcpy(mirror_.blocks[activeProfile()].data(), mirror_.record.data(), kRecordSize);
    uint8_t unused = 0;
    kb.readBlock(&unused, 1, 0);
    mirror_.record[KeyboardRecord::kProfile] = 0;
    mirror::SettingsBlock fresh = mirror_.blocks[0];  // a failed read leaves the block as it was
    kb.readBlock(fresh.data(), kBlockBytes, 0);
    kb.streamingEnabled = true;
    fresh[0] = 0;
    mirror_.blocks[0] = fresh;
    std::memcpy(mirror_.record.data(), mirror_.blocks[0].data(), kRecordSize);
    host_.showSettingsTab(mirror_.record[KeyboardRecord::kLightingTab] != 0);
    host_.saveDeviceProfile();
}

void KeyboardTransfers::exportKeyLayout(const std::string& folder) {
    channels_.keyboard.readDefaultKeyTable(mirror_.defaultKeyTable.data());
    writeProfileFile(folder + "kbkeydefault.pro", mirror_.defaultKeyTable.data(), mirror_.defaultKeyTable.size(),
                     ProfileTagKeyboard);
    rebuildPositionMaps(mirror_);
}

// ---- writes ---------------------------------------------------------------------------------------

void KeyboardTransfers::flush(std::atomic<bool>& dirty) {
    if (!dirty.exchange(false)) return;
    uint8_t buffer[kBlockBytes] = {};
    std::memcpy(buffer, mirror_.record.data(), kRecordSize);
    channels_.keyboard.writeBlock(buffer, kBlockBytes, 0);
}

void KeyboardTransfers::writeAbFlag(bool selected) {
    const uint8_t value = selected ? 1 : 0;
    mirror_.record[KeyboardRecord::kAbMode] = value;
    host_.setAbControlEnabled(selected);
    channels_.keyboard.writeBlock(&value, 1, uint16_t(mirror_.record[KeyboardRecord::kProfile] * 64 + 23));
}

// Splits working slot p over the units and writes each unit's table of its own length.
void KeyboardTransfers::writeUnitTables(unsigned p) {
    split(mirror_, p);
    const KeyboardUnit units[] = {KeyboardUnit::keyboard, KeyboardUnit::small, KeyboardUnit::companion};
    DeviceChannel* channels[] = {&channels_.keyboard, &channels_.small, &channels_.companion};
    for (size_t i = 0; i < 3; ++i) {
        const size_t unit = size_t(units[i]);
        const unsigned length = std::min<unsigned>(keyCount(mirror_.deviceInfo[unit]) * 3, mirror::kKeyTableSlotSize);
        channels[i]->writeKeyTable(mirror_.unitKeyTables[unit][p].data(), length, p);
    }
}

void KeyboardTransfers::writeKeyTables() {
    channels_.keyboard.streamingEnabled = false;
    writeUnitTables(activeProfile());
    channels_.keyboard.streamingEnabled = true;
}

void KeyboardTransfers::beginAll() {
    channels_.keyboard.beginTransfer();
    channels_.small.beginTransfer();
    channels_.companion.beginTransfer();
}

void KeyboardTransfers::endAll() {
    channels_.keyboard.endTransfer();
    channels_.small.endTransfer();
    channels_.companion.endTransfer();
}

void KeyboardTransfers::saveToDevice() {
    host_.showProgress();
    bool proceed = true;
    const size_t capacity = size_t(mirror_.deviceInfo[0][6]) * 128;
    const std::optional<std::vector<uint8_t>> image = host_.macroImage(capacity, &proceed);
    if (proceed) {
        if (image) {
            beginAll();
            for (DeviceChannel* c : {&channels_.keyboard, &channels_.small, &channels_.companion})
                c->writeMacroTable(image->data(), unsigned(image->size()));
            endAll();
        }
        channels_.keyboard.streamingEnabled = false;
        beginAll();
        writeUnitTables(activeProfile());
        endAll();
        channels_.keyboard.streamingEnabled = true;
        host_.saveKeyProfile();
        host_.saveDeviceProfile();
    }
    host_.hideProgressLater();
}

void KeyboardTransfers::keyDefaults() {
    host_.showFirstFunctionPage();
    mirror_.workingKeyTable[0] = keyboardDefaultKeyTable();
    host_.saveKeyProfile();
    host_.refreshPages();
    channels_.keyboard.streamingEnabled = false;
    writeUnitTables(activeProfile());
    endAll();
    channels_.keyboard.streamingEnabled = true;
}

void KeyboardTransfers::deviceDefaults(const std::string& path, std::atomic<bool>& dirty) {
    constexpr size_t kPayload = 2048;
    std::vector<uint8_t> payload(kPayload, 0);
    const int read = readProfileFile(path, payload.data(), payload.size());
    if (read == ProfileMissing) return host_.showMessage("message_text_8");
    if (read == ProfileBadFormat) return host_.showMessage("message_text_9");
    std::memcpy(mirror_.blocks[0].data(), payload.data(), mirror::kSettingsBlockSize);
    std::memcpy(mirror_.record.data(), mirror_.blocks[0].data(), 25);
    KeyboardCustomLighting& lighting = mirror_.lighting;
    lighting.selectedSet = payload[64] < KeyboardCustomLighting::kSets ? payload[64] : 0;
    std::memcpy(lighting.brush.data(), &payload[65], 3);
    mirror_.workingKeyTable[0] = keyboardDefaultKeyTable();
    host_.saveDeviceProfile();
    host_.refreshPages();
    dirty = true;
    channels_.keyboard.streamingEnabled = false;
    writeUnitTables(activeProfile());
    endAll();
    channels_.keyboard.streamingEnabled = true;
}
