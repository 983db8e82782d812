// The seven profile lists: what each one is called in its INI file, where its files live, their
// extension, payload size and device tag, and the INI schema that names the entries.
//
// Per list, in the device folder's INI file (K is the list's kind word):
//
//   ["PROFILE" K "COUNT"]   count=<number of entries>
//   ["PROFILE" K "NAME"]    0=<name>, 1=<name>, ...   entry i's file is device folder + name + ext
//   ["PROFILE" K "SELECT"]  select=<selected index>
//   ["PROFILELIKE" K "EXE"] <index>=1 when the entry is linked to a program, else 0
//   [K "PROCESS"]           <index>=<linked program's path>, " " when unlinked
//
// Keys at or above the count may remain after deletions; they are never read as entries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/DataFolder.h"

// In the order the first start sets the lists up.
enum class ProfileList : int {
    keyboardDevice,
    keyboardLighting,
    keyboardKeys,
    mouseDevice,
    mouseLighting,
    mouseKeys,
    padLighting,
};
constexpr int kProfileListCount = 7;

struct ProfileListInfo {
    ProfileList list;
    DeviceFolder device;
    const char* iniFile;        // in the device folder
    const char* kind;           // K of the section names; empty for the keyboard and mouse keys
    const char* extension;      // of the entries' files, as saved
    const char* openExtension;  // as loadEntry opens them (the same file: names ignore case)
    const char* listControl;    // the page's list of entries
    const char* defaultFile;    // in the defaults folder
    uint16_t tag;               // ProfileTag of the files
    std::size_t payloadSize;
    bool literalMessages;       // the keyboard device list shows literal texts, not language keys
};

const ProfileListInfo& profileListInfo(ProfileList list);

// Larger counts read from an INI file are taken as this many entries: a hand-edited or damaged
// count must not make the program list (or read the names of) billions of entries.
constexpr int kMaxProfileEntries = 1000;

// The name the first start gives the one entry of an empty list.
inline const std::string kFirstEntryName = "新配置文件1";

std::string countSection(ProfileList list);    // "PROFILE" K "COUNT", key "count"
std::string nameSection(ProfileList list);     // "PROFILE" K "NAME", keys "0", "1", ...
std::string selectSection(ProfileList list);   // "PROFILE" K "SELECT", key "select"
std::string linkSection(ProfileList list);     // "PROFILELIKE" K "EXE", keys by index
std::string processSection(ProfileList list);  // K "PROCESS", keys by index

// The list's INI file; asking creates the device folder when it is missing.
std::string profileIniPath(ProfileList list);

// "count" as an integer: text that is not a number and negative numbers read as 0, numbers above
// kMaxProfileEntries as kMaxProfileEntries.
int readEntryCount(ProfileList list);
std::string readEntryName(ProfileList list, int index);  // "0" when the key is missing
int readSelectedIndex(ProfileList list);                 // "select", 0 when missing

// Device folder + name + extension; "" when the name is not fit to be a file name in the folder
// (a separator, "..", control characters, ...: isSafeEntryName), so that a hand-edited INI file
// can never make the program read or write outside the device folder.
std::string entryFilePath(ProfileList list, const std::string& name, const char* extension);

// What the user is told when a profile file is missing (result 1) or of bad format (-1):
// "message_text_8" / "message_text_9", or the keyboard device list's literal texts.
struct ProfileMessage {
    std::string text;
    bool isLanguageKey;
};
ProfileMessage profileReadMessage(ProfileList list, int readResult);
