// The profile panels of the pages: the seven list controls filled at start, and the select
// operation that loads an entry's file into the mirrors and applies it. What a selection applies
// to the device differs per list; the window hands in one applier per list.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "app/ui/Ui.h"
#include "profile/ProfileStore.h"
#include "profile/ProfileStoreUi.h"

class ProfilePanels : public ProfileStoreUi {
public:
    using MessageFn = std::function<void(const std::string& keyOrText, bool isKey)>;
    using ApplyFn = std::function<void()>;

    ProfilePanels(ui::Ui& ui, ProfileStore& store, MessageFn message)
        : ui_(ui), store_(store), message_(std::move(message)) {}

    // What selecting an entry of the list applies after its file was loaded.
    void setApplier(ProfileList list, ApplyFn apply) { appliers_[size_t(list)] = std::move(apply); }

    // Start-up: fills every list control, setting up empty lists from the default files.
    void initialise();

    // The select operation on entry s of the list.
    void select(ProfileList list, int entry);
    // A selection the user made in a list control ("itemselect").
    void onItemSelect(const std::string& control);
    // The keyboard's arrival: the stored entry is selected again, so that it is applied even when
    // it already was the list's selection.
    void selectStored(ProfileList list);

    // ProfileStoreUi
    void showMessage(const std::string& keyOrText, bool isLanguageKey) override { message_(keyOrText, isLanguageKey); }
    void addListEntry(ProfileList list, const std::string& name) override;

private:
    ui::Ui& ui_;
    ProfileStore& store_;
    MessageFn message_;
    std::array<ApplyFn, 7> appliers_;
};

// Control names of a list's panel: "kb_device_profile_name_edit", "..._link_check", ...
std::string panelControl(ProfileList list, const char* suffix);
