#include "profile/ProfileOperations.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/DebugLog.h"
#include "profile/FileNameCase.h"
#include "profile/IniFile.h"
#include "profile/ProfileFile.h"
#include "profile/ProfilePayload.h"

namespace {

bool writeValue(ProfileList list, const std::string& section, int index, const std::string& value) {
    return writeIniString(profileIniPath(list), section, std::to_string(index), value);
}

int linkValue(ProfileList list, int entry) {
    return readIniInt(profileIniPath(list), linkSection(list), std::to_string(entry), 0);
}

std::string linkedPath(ProfileList list, int entry) {
    return readIniString(profileIniPath(list), processSection(list), std::to_string(entry), " ");
}

// The list that holds the whole profile of the list's device: a lighting reset saves it too.
ProfileList deviceListOf(ProfileList list) {
    switch (profileListInfo(list).device) {
    case DeviceFolder::keyboard: return ProfileList::keyboardDevice;
    case DeviceFolder::mouse: return ProfileList::mouseDevice;
    case DeviceFolder::pad: break;
    }
    return list;
}

FileDialogRequest profileFileRequest(ProfileList list) {
    const std::string ext = profileListInfo(list).extension + 1;  // without the dot
    std::string upper = ext;
    for (char& c : upper) c = char(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    FileDialogRequest request;
    request.filters = {{upper, "*." + ext + " *." + upper}};
    request.defaultExtension = ext;
    request.initialName = "*." + ext;
    return request;
}

// A file to import must be a profile of the list's kind: the magic, and exactly the header and
// payload the list's files have (a keyboard lighting file is not a keyboard device file).
int readImportFile(ProfileList list, const std::string& path, std::vector<uint8_t>& payload) {
    const ProfileListInfo& info = profileListInfo(list);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return ProfileMissing;
    if (std::size_t(st.st_size) != kProfileHeaderSize + info.payloadSize) {
        debugLog("import: " + path + " is not a profile of this list (" + std::to_string(st.st_size) + " bytes)");
        return ProfileBadFormat;
    }
    payload.assign(info.payloadSize, 0);
    return readProfileFile(path, payload.data(), payload.size());
}

void deleteEntryFile(ProfileList list, const std::string& name) {
    const std::string path = entryFilePath(list, name, profileListInfo(list).extension);
    if (path.empty()) return;
    const std::string actual = findFileIgnoringCase(path);
    if (!actual.empty() && ::unlink(actual.c_str()) != 0) debugLog("cannot delete " + actual);
}

}  // namespace

std::string programFileName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool isStorableProgramPath(const std::string& path) {
    if (path.size() < 2 || path.front() != '/' || path.back() == '/') return false;
    if (path.size() >= kIniValueBufferChars) return false;
    for (unsigned char c : path)
        if (c < 0x20 || c == 0x7F) return false;
    return path.front() != ' ' && path.back() != ' ';
}

// ---- operations ------------------------------------------------------------------------------

void ProfileOperations::run(ProfileList list, ProfileAction action) {
    switch (action) {
    case ProfileAction::add: return add(list);
    case ProfileAction::remove: return remove(list);
    case ProfileAction::copy: return copy(list);
    case ProfileAction::importFile: return importFile(list);
    case ProfileAction::exportFile: return exportFile(list);
    case ProfileAction::reset: return reset(list);
    case ProfileAction::rename: return rename(list);
    }
}

// A new entry at the end of the list holding payload, then selected (add and copy).
void ProfileOperations::addEntry(ProfileList list, const std::string& name, const std::vector<uint8_t>& payload) {
    if (!writeEntryFile(list, name, payload)) return;
    if (!appendEntry(list, name)) return;
    const int last = view_.entryCount(list) - 1;
    view_.setSelectedEntry(list, last);
    select(list, last);
}

void ProfileOperations::add(ProfileList list) {
    std::string name;
    for (int n = 1;; ++n) {
        name = "新配置文件" + std::to_string(n);
        if (!nameTaken(list, name)) break;
    }
    std::vector<uint8_t> payload;
    const int read = store_.readDefaultPayload(list, payload);
    if (read != ProfileRead) return tellRead(list, read);
    addEntry(list, name, payload);
}

void ProfileOperations::remove(ProfileList list) {
    const int count = view_.entryCount(list);
    if (count <= 1) {
        if (count == 1) tell(list, ProfileNotice::oneEntryLeft);
        return;
    }
    const ProfileMessage question = profileNotice(list, ProfileNotice::confirmDelete);
    if (view_.ask(question.text, question.isLanguageKey) != 1) return;
    const int s = view_.selectedEntry(list);
    if (s < 0 || s >= count) return;
    const std::string name = view_.entryName(list, s);

    // The later entries move down one place, with their links; the count goes last, so a write
    // that fails leaves the old count naming every entry still listed.
    bool written = true;
    for (int i = s; i + 1 < count && written; ++i) {
        written = writeValue(list, nameSection(list), i, view_.entryName(list, i + 1)) &&
                  writeValue(list, linkSection(list), i,
                             readIniString(profileIniPath(list), linkSection(list), std::to_string(i + 1), "0")) &&
                  writeValue(list, processSection(list), i, linkedPath(list, i + 1));
    }
    written = written && writeIniString(profileIniPath(list), countSection(list), "count", std::to_string(count - 1));
    if (!written) {
        tell(list, ProfileNotice::writeFailed);
        return reloadEntries(list);
    }
    deleteEntryFile(list, name);
    view_.removeEntry(list, s);
    view_.setSelectedEntry(list, count - 2);
    select(list, count - 2);
}

void ProfileOperations::copy(ProfileList list) {
    const int s = view_.selectedEntry(list);
    if (s < 0) return;
    const std::string source = view_.entryName(list, s);
    std::string name = source + " copy";
    while (nameTaken(list, name)) name += " copy";
    if (!isSafeEntryName(name)) return tell(list, ProfileNotice::nameUnfit);
    std::vector<uint8_t> payload;
    const int read = readEntryFile(list, source, payload);
    if (read != ProfileRead) return tellRead(list, read);
    addEntry(list, name, payload);
}

void ProfileOperations::importFile(ProfileList list) {
    const int s = view_.selectedEntry(list);
    if (s < 0) return;
    const std::optional<std::string> path = view_.openFile(profileFileRequest(list));
    if (!path) return;
    std::vector<uint8_t> payload;
    const int read = readImportFile(list, *path, payload);
    if (read != ProfileRead) return tellRead(list, read);
    if (!writeEntryFile(list, view_.entryName(list, s), payload)) return;
    // Deselected and selected again, so that the new content is loaded and applied.
    view_.setSelectedEntry(list, -1);
    view_.setSelectedEntry(list, s);
    select(list, s);
}

void ProfileOperations::exportFile(ProfileList list) {
    const int s = view_.selectedEntry(list);
    if (s < 0) return;
    const std::optional<std::string> path = view_.saveFile(profileFileRequest(list));
    if (!path) return;
    std::vector<uint8_t> payload;
    const int read = readEntryFile(list, view_.entryName(list, s), payload);
    if (read != ProfileRead) return tellRead(list, read);
    if (!writeProfileFile(*path, payload.data(), payload.size(), profileListInfo(list).tag))
        tell(list, ProfileNotice::writeFailed);
}

void ProfileOperations::reset(ProfileList list) {
    const ProfileListRules& rules = profileListRules(list);
    Hooks& hooks = hooks_[size_t(list)];
    std::vector<uint8_t> defaults;
    if (rules.reset != ResetWay::keyboardKeys) {
        const int read = store_.readDefaultPayload(list, defaults);
        if (read != ProfileRead) return tellRead(list, read);
    }
    if (rules.reset != ResetWay::defaultFile) {
        if (hooks.reset) hooks.reset();
        return;
    }
    ProfileMirrors& mirrors = store_.mirrors();
    if (rules.resetBytes > 0 && rules.resetBytes < defaults.size()) {
        std::vector<uint8_t> current = buildProfilePayload(list, mirrors);
        std::memcpy(current.data(), defaults.data(), rules.resetBytes);
        defaults.swap(current);
    }
    applyProfilePayload(list, defaults.data(), mirrors);
    if (rules.systemDefaults) {
        mirrors.mouseSystem.pointerSpeed = 10;
        mirrors.mouseSystem.wheelLines = 1;
    }
    bool saved = store_.saveSelected(list);
    if (rules.saveDeviceToo && deviceListOf(list) != list) saved = store_.saveSelected(deviceListOf(list)) && saved;
    if (!saved) tell(list, ProfileNotice::writeFailed);
    if (hooks.reset) hooks.reset();
    else if (hooks.apply) hooks.apply();
}

void ProfileOperations::rename(ProfileList list) {
    const int s = view_.selectedEntry(list);
    if (s < 0) return;
    const std::string name = view_.typedName(list);
    if (name.empty()) return tell(list, ProfileNotice::nameEmpty);
    if (nameTaken(list, name)) return tell(list, ProfileNotice::nameTaken);
    if (!isSafeEntryName(name)) return tell(list, ProfileNotice::nameUnfit);
    const std::string old = view_.entryName(list, s);
    std::vector<uint8_t> payload;
    const int read = readEntryFile(list, old, payload);
    if (read != ProfileRead) return tellRead(list, read);
    if (!writeEntryFile(list, name, payload)) return;
    if (!writeValue(list, nameSection(list), s, name)) {
        deleteEntryFile(list, name);
        return tell(list, ProfileNotice::writeFailed);
    }
    deleteEntryFile(list, old);
    view_.renameEntry(list, s, name);
}

// ---- select ----------------------------------------------------------------------------------

void ProfileOperations::select(ProfileList list, int entry) {
    if (entry < 0 || entry >= view_.entryCount(list)) return;
    ++selections_[size_t(list)];
    store_.showEntry(list, -1);  // "select" names this entry from here on
    view_.showName(list, view_.entryName(list, entry));
    if (!writeIniString(profileIniPath(list), selectSection(list), "select", std::to_string(entry)))
        debugLog(std::string(profileListInfo(list).listControl) + ": the selection was not stored");

    // Any value but 0 shows as linked; a link to something that is no path loads nothing.
    if (linkValue(list, entry) != 0) {
        const std::string program = linkedPath(list, entry);
        if (program.find('/') == std::string::npos) return;
        view_.setLinkChecked(list, true);
        view_.showLinkedProgram(list, programFileName(program));
    } else if (view_.linkChecked(list)) {
        clearLink(list, entry);
    } else {
        view_.showLinkedProgram(list, " ");
    }
    store_.loadEntry(list, entry);  // a missing or bad file leaves the mirrors as they were
    if (const Hook& apply = hooks_[size_t(list)].apply) apply();
}

void ProfileOperations::showStored(ProfileList list) {
    store_.showEntry(list, -1);
    const int entry = readSelectedIndex(list);
    if (entry < 0 || entry >= view_.entryCount(list)) return;
    view_.setSelectedEntry(list, entry);
    view_.showName(list, view_.entryName(list, entry));
    const std::string program = linkValue(list, entry) != 0 ? linkedPath(list, entry) : " ";
    const bool linked = program.find('/') != std::string::npos;
    view_.setLinkChecked(list, linked);
    view_.showLinkedProgram(list, linked ? programFileName(program) : " ");
}

void ProfileOperations::selectStored(ProfileList list) {
    view_.setSelectedEntry(list, -1);
    const int entry = readSelectedIndex(list);
    if (entry < 0 || entry >= view_.entryCount(list)) {
        debugLog(std::string(profileListInfo(list).listControl) + ": the stored selection " +
                 std::to_string(entry) + " is not an entry");
        return;
    }
    view_.setSelectedEntry(list, entry);
    select(list, entry);
}

// ---- program links ---------------------------------------------------------------------------

void ProfileOperations::linkCheckChanged(ProfileList list) {
    const int s = view_.selectedEntry(list);
    if (!view_.linkChecked(list)) return clearLink(list, s);
    const std::optional<std::string> program = pickProgram();
    if (!program) return clearLink(list, s);
    const int count = view_.entryCount(list);
    for (int i = 0; i < count; ++i) {
        if (linkValue(list, i) == 1 && equalIgnoringAsciiCase(linkedPath(list, i), *program)) {
            tell(list, ProfileNotice::linkConflict);
            return clearLink(list, s);
        }
    }
    if (!isStorableProgramPath(*program)) return clearLink(list, s);
    setLink(list, s, *program);
}

void ProfileOperations::linkButtonClicked(ProfileList list) {
    const std::optional<std::string> program = pickProgram();
    if (!program || !isStorableProgramPath(*program)) return;
    setLink(list, view_.selectedEntry(list), *program);
}

std::optional<std::string> ProfileOperations::pickProgram() {
    FileDialogRequest request;
    request.filters = {{"Programs", "*"}};
    request.executablesOnly = true;
    std::optional<std::string> chosen = view_.openFile(request);
    // The program in front is known by the file its process runs, links resolved
    // (/proc/PID/exe): a program picked through a link is stored the same way, or it would
    // never be recognised.
    if (chosen && !chosen->empty()) {
        if (char* resolved = ::realpath(chosen->c_str(), nullptr)) {
            chosen = std::string(resolved);
            std::free(resolved);
        }
    }
    return chosen;
}

void ProfileOperations::setLink(ProfileList list, int entry, const std::string& path) {
    if (entry < 0 || entry >= view_.entryCount(list)) return clearLink(list, -1);
    // The path first: a link value of 1 never names a path that was not stored.
    if (!writeValue(list, processSection(list), entry, path) || !writeValue(list, linkSection(list), entry, "1")) {
        tell(list, ProfileNotice::writeFailed);
        return clearLink(list, entry);
    }
    view_.setLinkChecked(list, true);
    view_.showLinkedProgram(list, programFileName(path));
}

void ProfileOperations::clearLink(ProfileList list, int entry) {
    view_.setLinkChecked(list, false);
    view_.showLinkedProgram(list, " ");
    if (entry < 0 || entry >= view_.entryCount(list)) return;
    if (!writeValue(list, linkSection(list), entry, "0") || !writeValue(list, processSection(list), entry, " "))
        debugLog(std::string(profileListInfo(list).listControl) + ": the link was not cleared on disk");
}

// ---- program watchers ------------------------------------------------------------------------

void ProfileOperations::watcherSelect(ProfileList list, int linkedEntry) {
    WatcherPass& pass = passes_[size_t(list)];
    const int count = view_.entryCount(list);
    pass.userChoice = readSelectedIndex(list);
    const int target = linkedEntry >= 0 && linkedEntry < count ? linkedEntry : pass.userChoice;
    if (target >= 0 && target < count && view_.selectedEntry(list) != target) {
        view_.setSelectedEntry(list, target);
        select(list, target);
    }
    pass.pending = true;
    pass.selections = selections_[size_t(list)];
}

void ProfileOperations::watcherRestore(ProfileList list) {
    WatcherPass& pass = passes_[size_t(list)];
    if (!pass.pending) return;
    pass.pending = false;
    if (selections_[size_t(list)] != pass.selections) return;  // the user's own choice since
    const int shown = view_.selectedEntry(list);
    store_.showEntry(list, shown != pass.userChoice ? shown : -1);
    if (readSelectedIndex(list) == pass.userChoice) return;
    writeIniString(profileIniPath(list), selectSection(list), "select", std::to_string(pass.userChoice));
}

// ---- helpers ---------------------------------------------------------------------------------

void ProfileOperations::tell(ProfileList list, ProfileNotice notice) {
    const ProfileMessage message = profileNotice(list, notice);
    view_.showMessage(message.text, message.isLanguageKey);
}

void ProfileOperations::tellRead(ProfileList list, int readResult) {
    const ProfileMessage message = profileReadMessage(list, readResult);
    view_.showMessage(message.text, message.isLanguageKey);
}

bool ProfileOperations::nameTaken(ProfileList list, const std::string& name) const {
    const int count = view_.entryCount(list);
    for (int i = 0; i < count; ++i)
        if (equalIgnoringAsciiCase(view_.entryName(list, i), name)) return true;
    return false;
}

int ProfileOperations::readEntryFile(ProfileList list, const std::string& name, std::vector<uint8_t>& payload) {
    const ProfileListInfo& info = profileListInfo(list);
    payload.assign(info.payloadSize, 0);
    const std::string path = entryFilePath(list, name, info.openExtension);
    if (path.empty()) return ProfileMissing;
    return readProfileFile(path, payload.data(), payload.size());
}

bool ProfileOperations::writeEntryFile(ProfileList list, const std::string& name, const std::vector<uint8_t>& payload) {
    const ProfileListInfo& info = profileListInfo(list);
    const std::string path = entryFilePath(list, name, info.extension);
    if (path.empty()) {
        tell(list, ProfileNotice::nameUnfit);
        return false;
    }
    if (writeProfileFile(path, payload.data(), payload.size(), info.tag)) return true;
    tell(list, ProfileNotice::writeFailed);
    return false;
}

bool ProfileOperations::appendEntry(ProfileList list, const std::string& name) {
    const int index = view_.entryCount(list);
    const bool written = writeValue(list, nameSection(list), index, name) &&
                         writeValue(list, linkSection(list), index, "0") &&
                         writeValue(list, processSection(list), index, " ") &&
                         writeIniString(profileIniPath(list), countSection(list), "count", std::to_string(index + 1));
    if (!written) {
        deleteEntryFile(list, name);
        tell(list, ProfileNotice::writeFailed);
        return false;
    }
    view_.addListEntry(list, name);
    return true;
}

// The list control shows what the INI file holds again, after a write that failed half way.
void ProfileOperations::reloadEntries(ProfileList list) {
    view_.clearEntries(list);
    const int count = readEntryCount(list);
    for (int i = 0; i < count; ++i) view_.addListEntry(list, readEntryName(list, i));
    showStored(list);
}
