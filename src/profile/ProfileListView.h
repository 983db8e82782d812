// What the profile operations need from a list's panel: the list control, the name edit, the link
// controls, the message box and the file dialogs. The pages implement it on the real controls
// (ProfilePanels); tests implement it in memory. UI thread only.
//
// None of these calls runs an operation by itself: a selection made here is silent, and the
// operations run the select themselves, so that nothing depends on notifications coming back.
#pragma once

#include <optional>
#include <string>

#include "platform/FileDialog.h"
#include "profile/ProfileStoreUi.h"

class ProfileListView : public ProfileStoreUi {
public:
    // ---- the list control ----
    virtual int entryCount(ProfileList list) const = 0;
    virtual std::string entryName(ProfileList list, int entry) const = 0;
    virtual int selectedEntry(ProfileList list) const = 0;         // -1 for none
    virtual void setSelectedEntry(ProfileList list, int entry) = 0;  // -1 for none; silent
    virtual void removeEntry(ProfileList list, int entry) = 0;
    virtual void renameEntry(ProfileList list, int entry, const std::string& name) = 0;
    virtual void clearEntries(ProfileList list) = 0;

    // ---- the name edit ----
    virtual std::string typedName(ProfileList list) const = 0;
    virtual void showName(ProfileList list, const std::string& name) = 0;

    // ---- the link controls ----
    virtual bool linkChecked(ProfileList list) const = 0;
    virtual void setLinkChecked(ProfileList list, bool on) = 0;  // silent
    // The link edit shows fileName and the link row is visible; " " hides the row.
    virtual void showLinkedProgram(ProfileList list, const std::string& fileName) = 0;

    // ---- the message box: 1 when the user confirmed ----
    virtual int ask(const std::string& keyOrText, bool isLanguageKey) = 0;

    // ---- file dialogs ----
    virtual std::optional<std::string> openFile(const FileDialogRequest& request) { return askOpenFile(request); }
    virtual std::optional<std::string> saveFile(const FileDialogRequest& request) { return askSaveFile(request); }
};
