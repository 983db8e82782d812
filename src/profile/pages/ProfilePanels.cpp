#include "profile/pages/ProfilePanels.h"

#include "platform/DebugLog.h"
#include "profile/FirstRun.h"
#include "profile/IniFile.h"

namespace {

constexpr ProfileList kLists[] = {ProfileList::keyboardDevice, ProfileList::keyboardLighting,
                                  ProfileList::keyboardKeys,   ProfileList::mouseDevice,
                                  ProfileList::mouseLighting,  ProfileList::mouseKeys,
                                  ProfileList::padLighting};

// The list control is "<prefix>_profile_combo"; the panel's other controls share the prefix.
std::string prefixOf(ProfileList list) {
    const std::string control = profileListInfo(list).listControl;
    return control.substr(0, control.size() - std::string("_profile_combo").size());
}

}  // namespace

std::string panelControl(ProfileList list, const char* suffix) { return prefixOf(list) + "_profile_" + suffix; }

void ProfilePanels::initialise() {
    for (ProfileList list : kLists) ui_.clearItems(profileListInfo(list).listControl);
    initialiseProfileLists(store_, *this);
}

void ProfilePanels::addListEntry(ProfileList list, const std::string& name) {
    const char* control = profileListInfo(list).listControl;
    ui_.addItem(control, name, name);
}

void ProfilePanels::onItemSelect(const std::string& control) {
    for (ProfileList list : kLists) {
        if (control != profileListInfo(list).listControl) continue;
        const int entry = ui_.current(control);
        if (entry >= 0) select(list, entry);
        return;
    }
}

void ProfilePanels::selectStored(ProfileList list) {
    const char* control = profileListInfo(list).listControl;
    ui_.setCurrent(control, -1, false);
    const int entry = readSelectedIndex(list);
    if (entry < 0 || entry >= ui_.itemCount(control)) {
        debugLog("profiles: the stored selection " + std::to_string(entry) + " of " + control + " is not an entry");
        return;
    }
    ui_.setCurrent(control, entry, false);
    select(list, entry);
}

void ProfilePanels::select(ProfileList list, int entry) {
    const ProfileListInfo& info = profileListInfo(list);
    if (entry < 0 || entry >= ui_.itemCount(info.listControl)) return;
    ui_.setText(panelControl(list, "name_edit"), ui_.itemText(info.listControl, entry));
    writeIniString(profileIniPath(list), selectSection(list), "select", std::to_string(entry));

    // A linked program shows its name; a link to something that is no path loads nothing.
    const std::string index = std::to_string(entry);
    if (readIniInt(profileIniPath(list), linkSection(list), index, 0) != 0) {
        const std::string program = readIniString(profileIniPath(list), processSection(list), index, "");
        const size_t slash = program.find_last_of("/\\");
        if (slash == std::string::npos) return;
        ui_.setText(panelControl(list, "link_edit"), program.substr(slash + 1));
        ui_.setSelected(panelControl(list, "link_check"), true, false);
        ui_.setVisible(panelControl(list, "link_name_hor"), true);
    } else {
        ui_.setSelected(panelControl(list, "link_check"), false, true);
    }

    store_.loadEntry(list, entry);  // a missing or bad file leaves the mirrors as they were
    if (const ApplyFn& apply = appliers_[size_t(list)]) apply();
}
