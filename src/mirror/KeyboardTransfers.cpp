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

// A read that does not complete changes nothing of the mirror and saves no profile file: it reads
// into a copy of the areas it fills and takes the copy only when every command succeeded. Command
// 1 is always followed by command 2, whatever happened in between.
bool KeyboardTransfers::readAll(bool saveDeviceProfile) {
    DeviceChannel& kb = channels_.keyboard;
    mirror::DeviceInfo info = mirror_.deviceInfo[0];
    auto defaults = mirror_.defaultKeyTable;
    mirror::SettingsBlock block0 = mirror_.blocks[0];
    mirror::KeyTableSlot slot0 = mirror_.unitKeyTables[0][0];
    uint8_t active = mirror_.record[KeyboardRecord::kProfile];
    const uint16_t previousSize = kb.transferSize();

    bool ok = kb.beginTransfer() == ResultOk && kb.readDeviceInfo(info.data()) == ResultOk;
    if (ok && !kb.setTransferSize(keyCount(info) * 3)) {
        kb.endTransfer();
        host_.showMessage("message_text_11");
        return false;
    }
    ok = ok && kb.readDefaultKeyTable(defaults.data()) == ResultOk &&
         kb.readBlock(block0.data(), kBlockBytes, 0) == ResultOk && kb.readKeyTable(slot0.data(), 0) == ResultOk &&
         kb.readBlock(&active, 1, 0) == ResultOk;
    kb.endTransfer();
    if (!ok) {
        kb.setTransferSize(previousSize);
        return readFailed("keyboard");
    }

    mirror_.deviceInfo[0] = info;
    mirror_.defaultKeyTable = defaults;
    mirror_.blocks[0] = block0;
    mirror_.unitKeyTables[0][0] = slot0;
    mirror_.record[KeyboardRecord::kProfile] = active;
    const unsigned a = activeProfile();
    std::memcpy(mirror_.record.data(), mirror_.blocks[a].data(), kRecordSize);
    mirror_.record[KeyboardRecord::kProfile] = uint8_t(a);
    toldNoAnswer_ = false;

    host_.showSettingsTab(mirror_.record[KeyboardRecord::kLightingTab] != 0);
    rebuildPositionMaps(mirror_);
    merge(mirror_, a);
    if (saveDeviceProfile) host_.saveDeviceProfile();
    return true;
}

// Tells the user once, until a read succeeds again, that a unit did not answer.
bool KeyboardTransfers::readFailed(const char* unit) {
    debugLog(std::string(unit) + ": the read did not complete; the mirror and the profile files are left as they were");
    if (!toldNoAnswer_) {
        toldNoAnswer_ = true;
        host_.showNoticeLater("kb_no_answer_text");
    }
    return false;
}

bool KeyboardTransfers::readSmall() { return readUnit(KeyboardUnit::small); }
bool KeyboardTransfers::readCompanion() { return readUnit(KeyboardUnit::companion); }

bool KeyboardTransfers::readUnit(KeyboardUnit unit) {
    const bool small = unit == KeyboardUnit::small;
    DeviceChannel& channel = small ? channels_.small : channels_.companion;
    const size_t unitIndex = size_t(unit);
    uint8_t* defaults = small ? mirror_.smallDefaultKeyTable.data() : mirror_.companionDefaultKeyTable.data();
    const size_t kept = small ? mirror_.smallDefaultKeyTable.size() : mirror_.companionDefaultKeyTable.size();
    mirror::SettingsBlock& block = small ? mirror_.smallBlock : mirror_.companionBlock;
    const uint16_t previousSize = channel.transferSize();

    mirror::DeviceInfo info = mirror_.deviceInfo[unitIndex];
    bool ok = channel.beginTransfer() == ResultOk && channel.readDeviceInfo(info.data()) == ResultOk;
    if (ok && !channel.setTransferSize(keyCount(info) * 3)) {
        channel.endTransfer();
        host_.showMessage("message_text_11");
        return false;
    }
    // The unit answers its transfer size; the mirror keeps the unit's own share of it.
    mirror::KeyTableSlot table{};
    std::memcpy(table.data(), defaults, kept);
    mirror::SettingsBlock freshBlock = block;
    mirror::KeyTableSlot slot = mirror_.unitKeyTables[unitIndex][0];
    ok = ok && channel.readDefaultKeyTable(table.data()) == ResultOk &&
         channel.readBlock(freshBlock.data(), kBlockBytes, 0) == ResultOk && channel.readKeyTable(slot.data(), 0) == ResultOk;
    channel.endTransfer();
    if (!ok) {
        channel.setTransferSize(previousSize);
        return readFailed(small ? "small keyboard" : "companion keyboard");
    }

    mirror_.deviceInfo[unitIndex] = info;
    std::memcpy(defaults, table.data(), kept);
    block = freshBlock;
    mirror::KeyTableSlot& kept0 = mirror_.unitKeyTables[unitIndex][0];
    std::memcpy(kept0.data(), slot.data(), kept);
    mirror_.record[KeyboardRecord::kProfile] = block[0];
    toldNoAnswer_ = false;

    rebuildPositionMaps(mirror_);
    merge(mirror_, activeProfile());
    host_.saveKeyProfile();
    host_.saveDeviceProfile();
    return true;
}

bool KeyboardTransfers::rereadBlock0() {
    DeviceChannel& kb = channels_.keyboard;
    kb.streamingEnabled = false;
    uint8_t unused = 0;
    mirror::SettingsBlock fresh = mirror_.blocks[0];
    const bool ok = kb.readBlock(&unused, 1, 0) == ResultOk && kb.readBlock(fresh.data(), kBlockBytes, 0) == ResultOk;
    kb.streamingEnabled = true;
    if (!ok) return readFailed("keyboard");  // the record and the block stay as they were
    std::memcpy(mirror_.blocks[activeProfile()].data(), mirror_.record.data(), kRecordSize);
    fresh[0] = 0;
    mirror_.blocks[0] = fresh;
    std::memcpy(mirror_.record.data(), mirror_.blocks[0].data(), kRecordSize);
    toldNoAnswer_ = false;
    host_.showSettingsTab(mirror_.record[KeyboardRecord::kLightingTab] != 0);
    host_.saveDeviceProfile();
    return true;
}

// Only a table the keyboard gave whole is stored; the mirror's table is replaced only then too.
bool KeyboardTransfers::exportKeyLayout(const std::string& folder) {
    auto table = mirror_.defaultKeyTable;
    if (channels_.keyboard.readDefaultKeyTable(table.data()) != ResultOk) {
        host_.showNoticeLater("kb_export_failed_text");
        return false;
    }
    mirror_.defaultKeyTable = table;
    rebuildPositionMaps(mirror_);
    if (!writeProfileFile(folder + "kbkeydefault.pro", table.data(), table.size(), ProfileTagKeyboard)) {
        host_.showNoticeLater("kb_export_failed_text");
        return false;
    }
    return true;
}

// ---- writes ---------------------------------------------------------------------------------------

// The flag is taken before the write (a change made meanwhile is sent on the next tick) and put
// back when a connected keyboard did not take the record.
int KeyboardTransfers::flush(std::atomic<bool>& dirty) {
    if (!dirty.exchange(false)) return ResultOk;
    uint8_t buffer[kBlockBytes] = {};
    std::memcpy(buffer, mirror_.record.data(), kRecordSize);
    const int result = channels_.keyboard.writeBlock(buffer, kBlockBytes, 0);
    if (result != ResultOk && channels_.keyboard.isConnected()) dirty.store(true);
    return result;
}

int KeyboardTransfers::writeAbFlag(bool selected) {
    const uint8_t value = selected ? 1 : 0;
    mirror_.record[KeyboardRecord::kAbMode] = value;
    host_.setAbControlEnabled(selected);
    return channels_.keyboard.writeBlock(&value, 1, uint16_t(activeProfile() * 64 + KeyboardRecord::kAbMode));
}

// Splits working slot p over the units and writes each unit's table of its own length. False when
// a connected unit did not take its table (a unit that is not there is no failure).
bool KeyboardTransfers::writeUnitTables(unsigned p) {
    split(mirror_, p);
    const KeyboardUnit units[] = {KeyboardUnit::keyboard, KeyboardUnit::small, KeyboardUnit::companion};
    DeviceChannel* channels[] = {&channels_.keyboard, &channels_.small, &channels_.companion};
    bool ok = true;
    for (size_t i = 0; i < 3; ++i) {
        const size_t unit = size_t(units[i]);
        const unsigned length = std::min<unsigned>(keyCount(mirror_.deviceInfo[unit]) * 3, mirror::kKeyTableSlotSize);
        const bool wasConnected = channels[i]->isConnected();
        if (channels[i]->writeKeyTable(mirror_.unitKeyTables[unit][p].data(), length, p) != ResultOk && wasConnected)
            ok = false;
    }
    return ok;
}

bool KeyboardTransfers::writeKeyTables() {
    channels_.keyboard.streamingEnabled = false;
    const bool ok = writeUnitTables(activeProfile());
    channels_.keyboard.streamingEnabled = true;
    return ok;
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

// The profile files are saved only when every connected unit took what was sent: they then hold
// what the units hold. A save that failed says so and leaves the files as they were.
bool KeyboardTransfers::saveToDevice() {
    host_.showProgress();
    bool proceed = true;
    bool ok = true;
    const size_t capacity = size_t(mirror_.deviceInfo[0][6]) * 128;
    const std::optional<std::vector<uint8_t>> image = host_.macroImage(capacity, &proceed);
    if (proceed) {
        if (image) {
            beginAll();
            for (DeviceChannel* c : {&channels_.keyboard, &channels_.small, &channels_.companion}) {
                const bool wasConnected = c->isConnected();
                if (c->writeMacroTable(image->data(), unsigned(image->size())) != ResultOk && wasConnected) ok = false;
            }
            endAll();
        }
        channels_.keyboard.streamingEnabled = false;
        beginAll();
        ok = writeUnitTables(activeProfile()) && ok;
        endAll();
        channels_.keyboard.streamingEnabled = true;
        if (ok) {
            host_.saveKeyProfile();
            host_.saveDeviceProfile();
        } else {
            debugLog("save to device: a unit did not take its tables; the profile files are left as they were");
        }
    }
    host_.hideProgressLater();
    if (proceed && !ok) host_.showNoticeLater("kb_save_failed_text");
    return proceed && ok;
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
