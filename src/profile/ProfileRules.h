// What the seven lists do differently: the messages each one shows, and what "reset" puts into
// the mirrors. Both are tables (ProfileRules.cpp); the operations read them and never name a list.
#pragma once

#include <cstddef>
#include <string>

#include "profile/ProfileLists.h"

// Why the user is told something by a list's operations.
enum class ProfileNotice {
    oneEntryLeft,   // delete with one entry left
    confirmDelete,  // the question before a delete
    nameEmpty,      // rename to an empty name
    nameTaken,      // add/copy/rename to a name another entry has (any case)
    nameUnfit,      // a name that cannot be a file name (separator, "..", control characters, too long)
    linkConflict,   // the program is linked to another entry of the list already
    writeFailed,    // a profile file or the list's INI file could not be written
};

// The message box text: a language key, or the keyboard device list's literal text where it has
// one. nameUnfit and writeFailed are language texts on every list.
ProfileMessage profileNotice(ProfileList list, ProfileNotice notice);

// Where reset takes its defaults from.
enum class ResetWay {
    defaultFile,     // the list's default file into the mirrors, as a load would
    keyboardKeys,    // the built-in key table, through the keyboard's own sequence
    keyboardDevice,  // the default device file's lighting and the built-in key table, likewise
};

struct ProfileListRules {
    ProfileList list;
    ResetWay reset;
    std::size_t resetBytes;   // defaultFile: bytes of the default taken (the rest stays); 0 = all
    bool saveDeviceToo;       // reset saves the device list's selected file as well
    bool systemDefaults;      // reset sets pointer speed 10 and wheel lines 1
    bool watched;             // a program watcher switches this list
};

const ProfileListRules& profileListRules(ProfileList list);
