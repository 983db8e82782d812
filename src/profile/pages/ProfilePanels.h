// The profile panels of the pages: the seven lists' controls (list, name edit, buttons, link
// controls) on the control facade, and the operations of ProfileOperations behind them.
//
// Notifications arrive by control name (onClick, onItemSelect, onLinkCheck); what a selection or
// a reset applies to the device differs per list, and the window hands it in (setApplier,
// setResetHandler).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/ui/Ui.h"
#include "profile/ProfileListView.h"
#include "profile/ProfileOperations.h"
#include "profile/ProfileStore.h"

class ProfilePanels : public ProfileListView {
public:
    using MessageFn = std::function<void(const std::string& keyOrText, bool isKey)>;
    using AskFn = std::function<int(const std::string& keyOrText, bool isKey)>;
    using ApplyFn = std::function<void()>;

    ProfilePanels(ui::Ui& ui, ProfileStore& store, MessageFn message, AskFn ask = {});

    void setApplier(ProfileList list, ApplyFn apply) { operations_.setApplier(list, std::move(apply)); }
    void setResetHandler(ProfileList list, ApplyFn reset) { operations_.setResetHandler(list, std::move(reset)); }

    // Start-up: fills every list control (setting up empty lists from the default files), and
    // every list shows its stored entry.
    void initialise();

    void select(ProfileList list, int entry) { operations_.select(list, entry); }
    // A selection the user made in a list control ("itemselect").
    void onItemSelect(const std::string& control);
    // The buttons of the panels; false when the name is not one of theirs.
    bool onClick(const std::string& control);
    // "selectchanged" of a link check box, "click" of a link button.
    bool onLinkControl(const std::string& control, const std::string& type);
    // The keyboard's arrival: the stored entry is selected again and applied.
    void selectStored(ProfileList list) { operations_.selectStored(list); }
    // The link panels of the watched lists say once that program switching needs X11.
    void showForegroundUnavailable();

    ProfileOperations& operations() { return operations_; }

    // ProfileListView
    void showMessage(const std::string& keyOrText, bool isLanguageKey) override { message_(keyOrText, isLanguageKey); }
    void addListEntry(ProfileList list, const std::string& name) override;
    int entryCount(ProfileList list) const override;
    std::string entryName(ProfileList list, int entry) const override;
    int selectedEntry(ProfileList list) const override;
    void setSelectedEntry(ProfileList list, int entry) override;
    void removeEntry(ProfileList list, int entry) override;
    void renameEntry(ProfileList list, int entry, const std::string& name) override;
    void clearEntries(ProfileList list) override;
    std::string typedName(ProfileList list) const override;
    void showName(ProfileList list, const std::string& name) override;
    bool linkChecked(ProfileList list) const override;
    void setLinkChecked(ProfileList list, bool on) override;
    void showLinkedProgram(ProfileList list, const std::string& fileName) override;
    int ask(const std::string& keyOrText, bool isLanguageKey) override;

private:
    ui::Ui& ui_;
    ProfileStore& store_;
    MessageFn message_;
    AskFn ask_;
    ProfileOperations operations_;
};

// Control names of a list's panel: "kb_device_profile_name_edit", "..._link_check", ...
std::string panelControl(ProfileList list, const char* suffix);
