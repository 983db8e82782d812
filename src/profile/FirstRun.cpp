#include "profile/FirstRun.h"

#include <vector>

#include "platform/DebugLog.h"
#include "profile/FileNameCase.h"
#include "profile/IniFile.h"
#include "profile/ProfileFile.h"

namespace {

void addStoredEntries(ProfileList list, int count, ProfileStoreUi& ui) {
    for (int i = 0; i < count; ++i) ui.addListEntry(list, readEntryName(list, i));
}

bool writeFirstEntryValues(ProfileList list) {
    const std::string ini = profileIniPath(list);
    return writeIniString(ini, nameSection(list), "0", kFirstEntryName) &&
           writeIniString(ini, linkSection(list), "0", "0") &&
           writeIniString(ini, selectSection(list), "select", "0") &&
           writeIniString(ini, countSection(list), "count", "1");
}

// Sets up an empty list. false when its default file could not be read (the user was told).
bool setUpEmptyList(ProfileStore& store, ProfileList list, ProfileStoreUi& ui) {
    const ProfileListInfo& info = profileListInfo(list);
    std::vector<uint8_t> payload;
    const int result = store.readDefaultPayload(list, payload);
    if (result != ProfileRead) {
        const ProfileMessage message = profileReadMessage(list, result);
        ui.showMessage(message.text, message.isLanguageKey);
        return false;
    }

    const std::string path = entryFilePath(list, kFirstEntryName, info.extension);
    if (!findFileIgnoringCase(path).empty()) {
        debugLog(std::string(info.listControl) + ": keeping the existing " + path);
    } else if (!writeProfileFile(path, payload.data(), payload.size(), info.tag)) {
        debugLog(std::string(info.listControl) + ": first entry not created; the next start tries again");
        return true;
    }

    ui.addListEntry(list, kFirstEntryName);
    if (!writeFirstEntryValues(list))
        debugLog(std::string(info.listControl) + ": list values not fully written; the next start sets it up again");
    return true;
}

}  // namespace

void initialiseProfileLists(ProfileStore& store, ProfileStoreUi& ui) {
    bool stopped[3] = {false, false, false};  // per DeviceFolder
    for (int i = 0; i < kProfileListCount; ++i) {
        const auto list = static_cast<ProfileList>(i);
        const auto device = static_cast<std::size_t>(profileListInfo(list).device);
        const int count = readEntryCount(list);
        if (count > 0) {
            addStoredEntries(list, count, ui);
        } else if (!stopped[device] && !setUpEmptyList(store, list, ui)) {
            stopped[device] = true;
        }
    }
}
