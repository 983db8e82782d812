// The operations on the seven profile lists: add, delete, copy, import, export, reset, rename and
// select, the program links of each entry, and the selections the program watchers ask for.
//
// One class for all seven lists: what differs per list is data (ProfileLists.h, ProfileRules.h)
// plus what a selection or a reset applies to the device, which the window hands in as hooks.
// Runs on the UI thread; the program watchers reach it through posted calls.
//
// Kept sound where the lists' first design was not:
// - an operation writes the profile file first and the INI values after it (the count last), and
//   tells the user when a file could not be written ("profile_write_failed"); the list control
//   then follows what is on disk, so an entry never exists without its file;
// - names typed by the user are checked before they reach the file system ("profile_name_unfit");
// - import checks the chosen file (magic and exact size of the list's kind) before it replaces
//   the entry's file;
// - a program link is stored only as an absolute path that the INI file can hold whole.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "profile/ProfileListView.h"
#include "profile/ProfileRules.h"
#include "profile/ProfileStore.h"

enum class ProfileAction { add, remove, copy, importFile, exportFile, reset, rename };

class ProfileOperations {
public:
    using Hook = std::function<void()>;

    ProfileOperations(ProfileStore& store, ProfileListView& view) : store_(store), view_(view) {}

    // What a selection applies after the entry's file was loaded (refresh, mark, key tables).
    void setApplier(ProfileList list, Hook apply) { hooks_[size_t(list)].apply = std::move(apply); }
    // What a reset applies after the defaults went into the mirrors and the files; unset, the
    // applier serves. For the keyboard's keys and device lists the hook is the whole reset (the
    // keyboard's own sequences), run after the default file was checked.
    void setResetHandler(ProfileList list, Hook reset) { hooks_[size_t(list)].reset = std::move(reset); }

    void run(ProfileList list, ProfileAction action);

    // The select operation on an entry, as the list's own selection runs it.
    void select(ProfileList list, int entry);
    // Start: the list shows its stored entry, its name and link, without loading anything.
    void showStored(ProfileList list);
    // The keyboard's arrival: the stored entry is selected again and applied.
    void selectStored(ProfileList list);

    // ---- program links ----
    void linkCheckChanged(ProfileList list);
    void linkButtonClicked(ProfileList list);

    // ---- program watchers (posted to the UI thread) ----
    // linkedEntry is the entry linked to the program in front, -1 for none: that entry, else the
    // user's choice ("select"), becomes the list's selection unless it already is.
    void watcherSelect(ProfileList list, int linkedEntry);
    // After the pause: "select" names the user's choice again, unless the user chose an entry
    // since watcherSelect (that choice stands).
    void watcherRestore(ProfileList list);

    ProfileStore& store() { return store_; }

private:
    void add(ProfileList list);
    void remove(ProfileList list);
    void copy(ProfileList list);
    void importFile(ProfileList list);
    void exportFile(ProfileList list);
    void reset(ProfileList list);
    void rename(ProfileList list);

    void tell(ProfileList list, ProfileNotice notice);
    void tellRead(ProfileList list, int readResult);
    bool nameTaken(ProfileList list, const std::string& name) const;
    bool checkNewName(ProfileList list, const std::string& name);
    int readEntryFile(ProfileList list, const std::string& name, std::vector<uint8_t>& payload);
    bool writeEntryFile(ProfileList list, const std::string& name, const std::vector<uint8_t>& payload);
    bool appendEntry(ProfileList list, const std::string& name);
    void addEntry(ProfileList list, const std::string& name, const std::vector<uint8_t>& payload);
    void reloadEntries(ProfileList list);
    void setLink(ProfileList list, int entry, const std::string& path);
    void clearLink(ProfileList list, int entry);
    std::optional<std::string> pickProgram();

    struct Hooks {
        Hook apply;
        Hook reset;
    };
    struct WatcherPass {
        bool pending = false;
        int userChoice = 0;
        uint64_t selections = 0;
    };
    ProfileStore& store_;
    ProfileListView& view_;
    std::array<Hooks, kProfileListCount> hooks_;
    std::array<uint64_t, kProfileListCount> selections_{};  // select operations run, per list
    std::array<WatcherPass, kProfileListCount> passes_;
};

// The part of a path after its last '/', as the link edit shows it.
std::string programFileName(const std::string& path);
// Whether a chosen program may be stored as a link: an absolute path the INI file reads back
// whole (at most 259 characters), without control characters.
bool isStorableProgramPath(const std::string& path);
