#include "profile/ProfileLists.h"

#include <array>

#include "profile/IniFile.h"
#include "profile/ProfileFile.h"

namespace {

using DF = DeviceFolder;

constexpr std::array<ProfileListInfo, kProfileListCount> kLists{{
    {ProfileList::keyboardDevice, DF::keyboard, "kbProfile.ini", "DEVICE", ".config", ".config",
     "kb_device_profile_combo", "kbdevicedefault.config", ProfileTagKeyboard, 2560, true},
    {ProfileList::keyboardLighting, DF::keyboard, "kbProfile.ini", "DENG", ".led", ".led",
     "kb_deng_profile_combo", "kbdengdefault.led", ProfileTagKeyboard, 2048, false},
    {ProfileList::keyboardKeys, DF::keyboard, "kbProfile.ini", "", ".pro", ".PRO",
     "kb_key_profile_combo", "kbkeydefault.pro", ProfileTagKeyboard, 512, false},
    {ProfileList::mouseDevice, DF::mouse, "msProfile.ini", "DEVICE", ".config", ".config",
     "ms_device_profile_combo", "msdevicedefault.config", ProfileTagMouse, 576, false},
    {ProfileList::mouseLighting, DF::mouse, "msProfile.ini", "DENG", ".led", ".led",
     "ms_deng_profile_combo", "msdengdefault.led", ProfileTagMouse, 64, false},
    {ProfileList::mouseKeys, DF::mouse, "msProfile.ini", "", ".pro", ".pro",
     "ms_key_profile_combo", "mskeydefault.pro", ProfileTagMouse, 512, false},
    {ProfileList::padLighting, DF::pad, "mpProfile.ini", "DENG", ".led", ".led",
     "mp_deng_profile_combo", "mpdengdefault.led", ProfileTagPad, 64, false},
}};

std::string kindOf(ProfileList list) { return profileListInfo(list).kind; }

}  // namespace

const ProfileListInfo& profileListInfo(ProfileList list) {
    const auto index = static_cast<std::size_t>(list);
    return kLists[index < kLists.size() ? index : 0];
}

std::string countSection(ProfileList list) { return "PROFILE" + kindOf(list) + "COUNT"; }
std::string nameSection(ProfileList list) { return "PROFILE" + kindOf(list) + "NAME"; }
std::string selectSection(ProfileList list) { return "PROFILE" + kindOf(list) + "SELECT"; }
std::string linkSection(ProfileList list) { return "PROFILELIKE" + kindOf(list) + "EXE"; }
std::string processSection(ProfileList list) { return kindOf(list) + "PROCESS"; }

std::string profileIniPath(ProfileList list) {
    const ProfileListInfo& info = profileListInfo(list);
    return deviceFolder(info.device) + info.iniFile;
}

int readEntryCount(ProfileList list) {
    int count = readIniInt(profileIniPath(list), countSection(list), "count", 0);
    if (count < 0) return 0;
    return count > kMaxProfileEntries ? kMaxProfileEntries : count;
}

std::string readEntryName(ProfileList list, int index) {
    return readIniString(profileIniPath(list), nameSection(list), std::to_string(index));
}

int readSelectedIndex(ProfileList list) {
    return readIniInt(profileIniPath(list), selectSection(list), "select", 0);
}

std::string entryFilePath(ProfileList list, const std::string& name, const char* extension) {
    if (!isSafeEntryName(name)) return {};
    return deviceFolder(profileListInfo(list).device) + name + extension;
}

ProfileMessage profileReadMessage(ProfileList list, int readResult) {
    const bool literal = profileListInfo(list).literalMessages;
    if (readResult == ProfileBadFormat)
        return literal ? ProfileMessage{"配置文件格式错误", false} : ProfileMessage{"message_text_9", true};
    return literal ? ProfileMessage{"配置文件丢失", false} : ProfileMessage{"message_text_8", true};
}
