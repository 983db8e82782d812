#include "profile/ProfileRules.h"

#include <array>

namespace {

using PL = ProfileList;

constexpr std::array<ProfileListRules, kProfileListCount> kRules{{
    {PL::keyboardDevice, ResetWay::keyboardDevice, 0, false, false, true},
    {PL::keyboardLighting, ResetWay::defaultFile, 0, true, false, true},
    {PL::keyboardKeys, ResetWay::keyboardKeys, 0, false, false, false},
    {PL::mouseDevice, ResetWay::defaultFile, 0, false, true, false},
    {PL::mouseLighting, ResetWay::defaultFile, 56, true, true, false},
    {PL::mouseKeys, ResetWay::defaultFile, 0, false, false, false},
    {PL::padLighting, ResetWay::defaultFile, 56, false, false, false},
}};

struct NoticeText {
    const char* key;
    const char* keyboardDeviceText;  // nullptr: the language text on that list too
};

constexpr NoticeText kNotices[] = {
    {"message_text_11", "必须保留一个配置文件"},
    {"message_text_12", "确认删除该配置?"},
    {"message_text_14", "修改的配置名称为空，请重新命名"},
    {"message_text_15", "存在同名的配置，请重新命名"},
    {"profile_name_unfit", nullptr},
    {"message_text_13", "另一个配置文件已链接到同一程序,请选择其他程序"},
    {"profile_write_failed", nullptr},
};

}  // namespace

ProfileMessage profileNotice(ProfileList list, ProfileNotice notice) {
    const NoticeText& n = kNotices[static_cast<std::size_t>(notice)];
    if (profileListInfo(list).literalMessages && n.keyboardDeviceText) return {n.keyboardDeviceText, false};
    return {n.key, true};
}

const ProfileListRules& profileListRules(ProfileList list) {
    const auto index = static_cast<std::size_t>(list);
    return kRules[index < kRules.size() ? index : 0];
}
