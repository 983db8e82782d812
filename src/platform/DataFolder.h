// Where the program keeps its files.
//
//   data folder      the user's documents folder + "ZELKAR/": "main.ini"
//   device folders   data folder + "kb/", "ms/", "mp/": profile and macro lists and their files
//   program folder   the folder of the executable
//   defaults folder  where the default profile files were installed
//
// Every path is UTF-8 and ends with '/', so a file name can be appended directly. Asking for the
// data folder or a device folder creates it when missing; if that fails the path is still
// returned (the write that follows fails and says why) and the reason goes to debugLog().
//
// The header is plain C++ so the profile code can use it; the implementation asks Qt for the
// documents folder. All functions are safe to call from any thread.
#pragma once

#include <string>
#include <string_view>

enum class DeviceFolder { keyboard, mouse, pad };

std::string dataFolder();
std::string deviceFolder(DeviceFolder device);
const char* deviceFolderName(DeviceFolder device);  // "kb", "ms", "mp"

// Tests point the data folder somewhere of their own; an empty path restores the documents folder.
void setDataFolderOverride(const std::string& path);

std::string programFolder();

// programFolder()/defaults/ when it exists (a build or unpacked tree), else
// programFolder()/../share/zelkar/defaults/ when that exists (an installed layout), else the
// program folder itself.
std::string defaultsFolder();
std::string defaultsFolderOf(const std::string& programFolder);  // the same rule for any folder

// The layouts, language files and images: programFolder()/skin/ when it exists (a build tree),
// else programFolder()/../share/zelkar/skin/ when that exists (an installed layout), else "".
// Both are found from the program's own path, so an installed tree can be moved as a whole.
std::string skinFolderOf(const std::string& programFolder);

// Whether a profile or macro entry name may become a file name in a device folder. Names come
// from INI files and dialogs, so anything that could leave the folder or confuse it is refused:
// empty names, '/', '\\', "..", "." alone, NUL and other control characters, leading or trailing
// blanks, bytes that are not UTF-8, and names too long to take an extension (over 240 bytes).
bool isSafeEntryName(std::string_view name);
