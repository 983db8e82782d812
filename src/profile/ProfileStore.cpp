#include "profile/ProfileStore.h"

#include <utility>

#include "platform/DataFolder.h"
#include "platform/DebugLog.h"
#include "profile/ProfileFile.h"

namespace {

std::string listWord(ProfileList list) { return profileListInfo(list).listControl; }

}  // namespace

ProfileStore::ProfileStore(ProfileMirrors mirrors, std::string defaultsFolderPath)
    : mirrors_(mirrors), defaultsFolder_(std::move(defaultsFolderPath)) {
    if (defaultsFolder_.empty()) defaultsFolder_ = ::defaultsFolder();
    if (defaultsFolder_.back() != '/') defaultsFolder_ += '/';
}

int ProfileStore::loadEntry(ProfileList list, int index) {
    const ProfileListInfo& info = profileListInfo(list);
    const int count = readEntryCount(list);
    std::string path;
    if (index >= 0 && index < count) {
        const std::string name = readEntryName(list, index);
        path = entryFilePath(list, name, info.openExtension);
        if (path.empty()) debugLog(listWord(list) + ": entry " + std::to_string(index) + " has no usable file name");
    }
    int result = ProfileMissing;
    std::vector<uint8_t> payload(info.payloadSize, 0);
    if (!path.empty()) result = readProfileFile(path, payload.data(), payload.size());
    if (result == ProfileRead) {
        applyProfilePayload(list, payload.data(), mirrors_);
        return result;
    }
    const std::string where = path.empty() ? listWord(list) + " entry " + std::to_string(index) : path;
    debugLog(std::string(result == ProfileBadFormat ? "配置文件格式错误" : "配置文件丢失") + ": " + where);
    return result;
}

bool ProfileStore::saveSelected(ProfileList list) {
    const ProfileListInfo& info = profileListInfo(list);
    const int selected = shown_[std::size_t(list)] >= 0 ? shown_[std::size_t(list)] : readSelectedIndex(list);
    if (selected < 0 || selected >= readEntryCount(list)) {
        debugLog(listWord(list) + ": selected entry " + std::to_string(selected) + " is not in the list; nothing saved");
        return false;
    }
    const std::string path = entryFilePath(list, readEntryName(list, selected), info.extension);
    if (path.empty()) {
        debugLog(listWord(list) + ": entry " + std::to_string(selected) + " has no usable file name; nothing saved");
        return false;
    }
    const std::vector<uint8_t> payload = buildProfilePayload(list, mirrors_);
    return writeProfileFile(path, payload.data(), payload.size(), info.tag);
}

int ProfileStore::readDefaultPayload(ProfileList list, std::vector<uint8_t>& payload) const {
    const ProfileListInfo& info = profileListInfo(list);
    payload.assign(info.payloadSize, 0);
    return readProfileFile(defaultsFolder_ + info.defaultFile, payload.data(), payload.size());
}
