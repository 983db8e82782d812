#include "profile/pages/ProfilePanels.h"

#include "profile/FirstRun.h"

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

// The buttons are "<device>_pro_<kind>_<action>_btn", rename is "<prefix>_profile_edit_save_btn".
struct ButtonAction {
    const char* suffix;
    ProfileAction action;
};
constexpr ButtonAction kButtons[] = {
    {"_add_btn", ProfileAction::add},           {"_sub_btn", ProfileAction::remove},
    {"_copy_btn", ProfileAction::copy},         {"_import_btn", ProfileAction::importFile},
    {"_export_btn", ProfileAction::exportFile}, {"_reset_btn", ProfileAction::reset},
};

std::string buttonPrefix(ProfileList list) {
    const std::string prefix = prefixOf(list);  // "kb_deng"
    return prefix.substr(0, 3) + "pro_" + prefix.substr(3);
}

const char* control(ProfileList list) { return profileListInfo(list).listControl; }

// What a screen reader calls each list: the caption its panel shows beside it.
const char* spokenListName(ProfileList list) {
    switch (list) {
    case ProfileList::keyboardLighting: return "kb_deng_profile_caption";
    case ProfileList::keyboardKeys: return "kb_key_profile_caption";
    case ProfileList::mouseLighting: return "ms_deng_profile_caption";
    case ProfileList::mouseKeys: return "ms_key_profile_caption";
    case ProfileList::padLighting: return "mp_deng_profile_caption";
    case ProfileList::keyboardDevice:
    case ProfileList::mouseDevice: break;
    }
    return "device_profile_caption";
}

}  // namespace

std::string panelControl(ProfileList list, const char* suffix) { return prefixOf(list) + "_profile_" + suffix; }

ProfilePanels::ProfilePanels(ui::Ui& ui, ProfileStore& store, MessageFn message, AskFn ask)
    : ui_(ui), store_(store), message_(std::move(message)), ask_(std::move(ask)), operations_(store, *this) {
    for (ProfileList list : kLists) {
        ui_.setSpokenName(control(list), spokenListName(list));
        ui_.setSpokenName(panelControl(list, "name_edit"), "profile_name_tip");
        ui_.setSpokenName(panelControl(list, "link_edit"), "profile_link_name_tip");
    }
}

void ProfilePanels::initialise() {
    for (ProfileList list : kLists) ui_.clearItems(control(list));
    initialiseProfileLists(store_, *this);
    for (ProfileList list : kLists) operations_.showStored(list);
}

void ProfilePanels::onItemSelect(const std::string& name) {
    for (ProfileList list : kLists) {
        if (name != control(list)) continue;
        const int entry = ui_.current(name);
        if (entry >= 0) operations_.select(list, entry);
        return;
    }
}

bool ProfilePanels::onClick(const std::string& name) {
    for (ProfileList list : kLists) {
        if (name == panelControl(list, "edit_save_btn")) {
            operations_.run(list, ProfileAction::rename);
            return true;
        }
        const std::string prefix = buttonPrefix(list);
        for (const ButtonAction& b : kButtons) {
            if (name == prefix + b.suffix) {
                operations_.run(list, b.action);
                return true;
            }
        }
    }
    return false;
}

bool ProfilePanels::onLinkControl(const std::string& name, const std::string& type) {
    for (ProfileList list : kLists) {
        if (type == "selectchanged" && name == panelControl(list, "link_check")) {
            operations_.linkCheckChanged(list);
            return true;
        }
        if (type == "click" && name == panelControl(list, "link_btn")) {
            operations_.linkButtonClicked(list);
            return true;
        }
    }
    return false;
}

void ProfilePanels::showForegroundUnavailable() {
    for (ProfileList list : kLists) {
        if (!profileListRules(list).watched) continue;
        ui_.setTextKey(panelControl(list, "link_note"), "profile_link_needs_x11");
        ui_.setVisible(panelControl(list, "link_note"), true);
    }
}

// ---- ProfileListView -------------------------------------------------------------------------

void ProfilePanels::addListEntry(ProfileList list, const std::string& name) { ui_.addItem(control(list), name, name); }
int ProfilePanels::entryCount(ProfileList list) const { return ui_.itemCount(control(list)); }
std::string ProfilePanels::entryName(ProfileList list, int entry) const { return ui_.itemText(control(list), entry); }
int ProfilePanels::selectedEntry(ProfileList list) const { return ui_.current(control(list)); }
void ProfilePanels::setSelectedEntry(ProfileList list, int entry) { ui_.setCurrent(control(list), entry, false); }
void ProfilePanels::removeEntry(ProfileList list, int entry) { ui_.removeItem(control(list), entry); }
void ProfilePanels::clearEntries(ProfileList list) { ui_.clearItems(control(list)); }

void ProfilePanels::renameEntry(ProfileList list, int entry, const std::string& name) {
    ui_.setItemText(control(list), entry, name);
}

std::string ProfilePanels::typedName(ProfileList list) const { return ui_.text(panelControl(list, "name_edit")); }
void ProfilePanels::showName(ProfileList list, const std::string& name) { ui_.setText(panelControl(list, "name_edit"), name); }
bool ProfilePanels::linkChecked(ProfileList list) const { return ui_.isSelected(panelControl(list, "link_check")); }
void ProfilePanels::setLinkChecked(ProfileList list, bool on) { ui_.setSelected(panelControl(list, "link_check"), on, false); }

void ProfilePanels::showLinkedProgram(ProfileList list, const std::string& fileName) {
    ui_.setText(panelControl(list, "link_edit"), fileName);
    ui_.setVisible(panelControl(list, "link_name_hor"), fileName != " ");
}

int ProfilePanels::ask(const std::string& keyOrText, bool isLanguageKey) {
    return ask_ ? ask_(keyOrText, isLanguageKey) : 0;
}
