// MacroStore: one device's list of named macros on disk.
//
//   list file    "kbMacro.ini" / "msMacro.ini" in the device folder:
//                  [MACROCOUNT] count=N      [MACRONAME] 0=name ... N-1=name
//                  mouse list also [CURSORCOUNT] count=4, [CURSORNAME] 0..3 = name_1..name_4
//   action file  "<name>.mac" beside it:
//                  [MACROACTIONCOUNT] count=M   [MACROACTION] 0=line ... M-1=line
//
// A macro's position in the list is its identity (key assignments and the device image use it).
// Names become file names, so a name that could leave the folder (path separators, "..", control
// characters, blank; see isSafeEntryName) is refused on rename and import; such a name read from
// a list file keeps its place in the list but has no actions and no file. Counts read from files
// are bounded (50 macros, kMaxActionsPerMacro actions); keys at or above a count are ignored.
// An action line that does not parse is skipped.
//
// Plain C++; every call reads or writes the files afresh (nothing is cached). UI thread.
#pragma once

#include <string>
#include <vector>

#include "macro/MacroAction.h"

namespace macro {

constexpr int kMaxMacros = 50;
// The most actions one macro can have and still fit the largest image a device can announce
// (255 units of 128 bytes): (32640 - 16 - 6) / 4.
constexpr int kMaxActionsPerMacro = 8154;

enum class MacroListKind { keyboard, mouse };

// Results of the store's operations.
enum MacroResult : int {
    MacroOk = 1,
    MacroUnchanged = 0,       // rename to the same name
    MacroListFull = -1,       // add with 50 macros
    MacroNameTaken = -2,      // another macro (or an orphan action file) has the name
    MacroNameInvalid = -3,    // the name cannot be a file name in the device folder
    MacroBadIndex = -4,
    MacroWriteFailed = -5,
    MacroNotActionFile = -6,  // import: not an action file, or more actions than a device takes
};

class MacroStore {
public:
    // folder ends with '/'.
    MacroStore(std::string folder, MacroListKind kind);

    const std::string& folder() const { return folder_; }
    std::string listPath() const;
    // "" for a name that cannot be a file name here.
    std::string actionPath(const std::string& name) const;

    std::vector<std::string> loadNames() const;
    int count() const;  // "MACROCOUNT"/"count", bounded to 0..50

    // Appends "name_k" (k from N + 1 up, the first not taken under case-insensitive comparison).
    // MacroOk and *name set, or MacroListFull / MacroWriteFailed.
    int add(std::string* name);
    // Deletes the action file and rewrites the list from scratch without the macro.
    int remove(int index);
    // Saves actions under the old name, renames the file and the list entry.
    int rename(int index, const std::string& newName, const std::vector<MacroAction>& actions);

    std::vector<MacroAction> loadActions(const std::string& name) const;
    // The raw lines of the action file (count-bounded, missing keys as "0"), parsed or not.
    std::vector<std::string> loadActionLines(const std::string& name) const;
    bool saveActions(const std::string& name, const std::vector<MacroAction>& actions) const;
    bool saveActionLines(const std::string& name, const std::vector<std::string>& lines) const;

    // Writes count = names.size() and the last name under its index (the editor's save).
    bool writeCountAndLastName(const std::vector<std::string>& names) const;

    // Export: copies the macro's action file to path byte for byte (false when it has none).
    bool exportActions(const std::string& name, const std::string& path) const;
    // Import: copies the file at path over the macro's action file after checking that it is an
    // action file a device could take.
    int importActions(const std::string& name, const std::string& path) const;

private:
    bool writeList(const std::vector<std::string>& names) const;

    std::string folder_;
    MacroListKind kind_;
};

// One pass over an INI text: the values of one section's keys "0".."count-1" (the first matching
// section and key win, as the INI module reads them); absent keys are "0". Used for the action
// files, which are too long to look up key by key.
std::vector<std::string> readIndexedValues(const std::string& text, const std::string& section, int count);

}  // namespace macro
