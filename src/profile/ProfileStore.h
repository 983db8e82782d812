// The profile store: loading list entries into the device mirrors and saving the mirrors into the
// selected entries' files.
//
// Files of an entry are found through the list's INI file (ProfileLists.h). Nothing here is
// shown to the user: failures go to the debug log, and the mirror keeps its contents on any load
// that fails. Used on the UI thread: the program watchers hand their selections to it too
// (ProgramWatcher.h).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "profile/ProfilePayload.h"
#include "profile/ProfileLists.h"

class ProfileStore {
public:
    // defaultsFolder: where the default profile files lie (ending in '/'); empty means the
    // installed defaults folder (DataFolder.h).
    explicit ProfileStore(ProfileMirrors mirrors, std::string defaultsFolder = {});

    // Reads entry index of the list into the mirrors. 0 loaded; 1 missing (also: an index outside
    // 0..count-1, or a name that is no fit file name); -1 bad format. On 1 the debug log gets
    // "配置文件丢失", on -1 "配置文件格式错误", and the mirrors are unchanged.
    int loadEntry(ProfileList list, int index);

    // Writes the entry that "select" names from the mirrors (buildProfilePayload). false, with a
    // debug line, when nothing was written: "select" outside 0..count-1, a name that is no fit
    // file name, or a failed write (the old file is then unchanged).
    //
    // While a program watcher shows a linked entry, "select" keeps naming the user's own choice
    // but the mirrors hold the linked entry: saves then go to the entry shown (showEntry), so
    // that a change made meanwhile never overwrites the user's own profile with the linked one.
    bool saveSelected(ProfileList list);
    // The entry the list shows when it differs from "select"; -1 when they agree. UI thread.
    void showEntry(ProfileList list, int entry) { shown_[std::size_t(list)] = entry; }
    int shownEntry(ProfileList list) const { return shown_[std::size_t(list)]; }

    // Reads the list's default file into payload (resized to the list's payload size, zero
    // filled first). Result as readProfileFile.
    int readDefaultPayload(ProfileList list, std::vector<uint8_t>& payload) const;

    const std::string& defaultsFolder() const { return defaultsFolder_; }
    ProfileMirrors& mirrors() { return mirrors_; }

private:
    ProfileMirrors mirrors_;
    std::string defaultsFolder_;
    std::array<int, kProfileListCount> shown_{-1, -1, -1, -1, -1, -1, -1};
};
