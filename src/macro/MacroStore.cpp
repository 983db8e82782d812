#include "macro/MacroStore.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/DataFolder.h"
#include "platform/DebugLog.h"
#include "profile/AtomicFile.h"
#include "profile/FileNameCase.h"
#include "profile/IniFile.h"
#include "profile/IniText.h"

namespace macro {

namespace {

constexpr const char* kCountSection = "MACROCOUNT";
constexpr const char* kNameSection = "MACRONAME";
constexpr const char* kActionCountSection = "MACROACTIONCOUNT";
constexpr const char* kActionSection = "MACROACTION";
constexpr int kRecoilPatternCount = 4;
// An action file is small; anything far larger than the biggest possible one is not ours.
constexpr std::size_t kMaxActionFileBytes = 4u << 20;

bool readWholeFile(const std::string& path, std::string* text, std::size_t limit = kMaxActionFileBytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || std::size_t(size) > limit) return false;
    in.seekg(0);
    text->resize(std::size_t(size));
    in.read(text->data(), size);
    return bool(in) || in.eof();
}

std::string existingOrSame(const std::string& path) {
    std::string found = findFileIgnoringCase(path);
    return found.empty() ? path : found;
}

int boundedCount(int value, int limit) { return value < 0 ? 0 : value > limit ? limit : value; }

// The text of an action file: its other sections kept, the two action sections written anew.
std::string actionFileText(std::string old, const std::vector<std::string>& lines) {
    old = initext::withoutSection(old, kActionCountSection);
    old = initext::withoutSection(old, kActionSection);
    std::string text = initext::trimBlanks(old).empty() ? std::string() : old;
    if (!text.empty() && text.back() != '\n') text += '\n';
    text.append("[").append(kActionCountSection).append("]\ncount=").append(std::to_string(lines.size()));
    text.append("\n[").append(kActionSection).append("]\n");
    for (std::size_t i = 0; i < lines.size(); ++i)
        text.append(std::to_string(i)).append("=").append(lines[i]).append("\n");
    return text;
}

}  // namespace

std::vector<std::string> readIndexedValues(const std::string& text, const std::string& section, int count) {
    std::vector<std::string> values(std::size_t(count < 0 ? 0 : count), "0");
    std::vector<bool> seen(values.size(), false);
    std::size_t pos = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    enum { before, inside, after } state = before;
    while (pos < text.size() && state != after) {
        std::size_t nl = text.find('\n', pos);
        std::size_t end = nl == std::string::npos ? text.size() : nl;
        std::string_view raw = initext::trimBlanks(std::string_view(text).substr(pos, end - pos));
        pos = nl == std::string::npos ? text.size() : nl + 1;
        if (raw.empty() || raw.front() == ';') continue;
        if (raw.front() == '[') {
            std::size_t close = raw.rfind(']');
            if (close != std::string_view::npos && close > 0) {
                const bool match = equalIgnoringAsciiCase(initext::trimBlanks(raw.substr(1, close - 1)), section);
                if (state == inside) state = after;
                else if (match) state = inside;
                continue;
            }
        }
        if (state != inside) continue;
        std::size_t eq = raw.find('=');
        if (eq == std::string_view::npos) continue;
        std::string_view key = initext::trimBlanks(raw.substr(0, eq));
        if (key.empty() || key.size() > 6) continue;
        int index = 0;
        bool digits = true;
        for (char c : key) {
            if (c < '0' || c > '9') digits = false;
            else index = index * 10 + (c - '0');
        }
        // Keys are written without leading zeros; "01" is another key, as the INI lookup sees it.
        if (!digits || (key.size() > 1 && key[0] == '0') || index >= count || seen[std::size_t(index)]) continue;
        seen[std::size_t(index)] = true;
        std::string value = initext::cutToBuffer(initext::stripQuotes(initext::trimBlanks(raw.substr(eq + 1))));
        values[std::size_t(index)] = std::string(initext::trimBlanks(value));
    }
    return values;
}

MacroStore::MacroStore(std::string folder, MacroListKind kind) : folder_(std::move(folder)), kind_(kind) {}

std::string MacroStore::listPath() const {
    return existingOrSame(folder_ + (kind_ == MacroListKind::mouse ? "msMacro.ini" : "kbMacro.ini"));
}

std::string MacroStore::actionPath(const std::string& name) const {
    if (!isSafeEntryName(name)) return "";
    return existingOrSame(folder_ + name + ".mac");
}

int MacroStore::count() const { return boundedCount(readIniInt(listPath(), kCountSection, "count"), kMaxMacros); }

std::vector<std::string> MacroStore::loadNames() const {
    const std::string list = listPath();
    const int n = count();
    std::vector<std::string> names;
    names.reserve(std::size_t(n));
    for (int i = 0; i < n; ++i) names.push_back(readIniString(list, kNameSection, std::to_string(i)));
    return names;
}

int MacroStore::add(std::string* name) {
    std::vector<std::string> names = loadNames();
    const int n = int(names.size());
    if (n >= kMaxMacros) return MacroListFull;
    std::string candidate;
    for (int k = n + 1;; ++k) {
        candidate = "name_" + std::to_string(k);
        bool taken = false;
        for (const std::string& existing : names) taken = taken || equalIgnoringAsciiCase(existing, candidate);
        if (!taken) break;
    }
    const std::string list = listPath();
    if (!writeIniString(list, kCountSection, "count", std::to_string(n + 1)) ||
        !writeIniString(list, kNameSection, std::to_string(n), candidate))
        return MacroWriteFailed;
    *name = candidate;
    return MacroOk;
}

bool MacroStore::writeList(const std::vector<std::string>& names) const {
    std::string text;
    text.append("[").append(kCountSection).append("]\ncount=").append(std::to_string(names.size())).append("\n");
    if (kind_ == MacroListKind::mouse) {
        text.append("[CURSORCOUNT]\ncount=").append(std::to_string(kRecoilPatternCount)).append("\n[CURSORNAME]\n");
        for (int i = 0; i < kRecoilPatternCount; ++i)
            text.append(std::to_string(i)).append("=name_").append(std::to_string(i + 1)).append("\n");
    }
    text.append("[").append(kNameSection).append("]\n");
    for (std::size_t i = 0; i < names.size(); ++i) {
        // A name that cannot be an INI value (a line break) would break the list; it was read
        // from this file, so it cannot hold one, but keep the list whole whatever happens.
        const bool writable = initext::validValue(names[i]);
        text.append(std::to_string(i)).append("=").append(writable ? names[i] : std::string()).append("\n");
    }
    return replaceFileAtomically(listPath(), text.data(), text.size());
}

int MacroStore::remove(int index) {
    std::vector<std::string> names = loadNames();
    if (index < 0 || index >= int(names.size())) return MacroBadIndex;
    const std::string file = actionPath(names[std::size_t(index)]);
    if (!file.empty()) std::remove(file.c_str());
    names.erase(names.begin() + index);
    return writeList(names) ? MacroOk : MacroWriteFailed;
}

int MacroStore::rename(int index, const std::string& newName, const std::vector<MacroAction>& actions) {
    std::vector<std::string> names = loadNames();
    if (index < 0 || index >= int(names.size())) return MacroBadIndex;
    const std::string& oldName = names[std::size_t(index)];
    if (equalIgnoringAsciiCase(oldName, newName)) return MacroUnchanged;
    if (!isSafeEntryName(newName) || !initext::validValue(newName)) return MacroNameInvalid;
    for (std::size_t i = 0; i < names.size(); ++i)
        if (int(i) != index && equalIgnoringAsciiCase(names[i], newName)) return MacroNameTaken;
    // An action file of that name that belongs to no macro is someone's data: never overwrite it.
    if (!findFileIgnoringCase(folder_ + newName + ".mac").empty()) return MacroNameTaken;
    const std::string newPath = folder_ + newName + ".mac";
    const std::string oldPath = actionPath(oldName);
    if (oldPath.empty()) {
        if (!saveActions(newName, actions)) return MacroWriteFailed;
    } else {
        if (!saveActions(oldName, actions)) return MacroWriteFailed;
        if (std::rename(actionPath(oldName).c_str(), newPath.c_str()) != 0) {
            debugLog("macro rename: cannot rename " + oldPath + " to " + newPath);
            return MacroWriteFailed;
        }
    }
    return writeIniString(listPath(), kNameSection, std::to_string(index), newName) ? MacroOk : MacroWriteFailed;
}

std::vector<std::string> MacroStore::loadActionLines(const std::string& name) const {
    const std::string path = actionPath(name);
    std::string text;
    if (path.empty() || !readWholeFile(path, &text)) return {};
    const int n = boundedCount(readIniInt(path, kActionCountSection, "count"), kMaxActionsPerMacro);
    return readIndexedValues(text, kActionSection, n);
}

std::vector<MacroAction> MacroStore::loadActions(const std::string& name) const {
    std::vector<MacroAction> actions;
    const std::vector<std::string> lines = loadActionLines(name);
    actions.reserve(lines.size());
    for (const std::string& line : lines)
        if (auto action = parseActionLine(line)) actions.push_back(std::move(*action));
    return actions;
}

bool MacroStore::saveActionLines(const std::string& name, const std::vector<std::string>& lines) const {
    const std::string path = actionPath(name);
    if (path.empty()) return false;
    for (const std::string& line : lines)
        if (!initext::validValue(line)) return false;
    std::string old;
    readWholeFile(path, &old);
    const std::string text = actionFileText(std::move(old), lines);
    return replaceFileAtomically(pathForWriting(path), text.data(), text.size());
}

bool MacroStore::saveActions(const std::string& name, const std::vector<MacroAction>& actions) const {
    std::vector<std::string> lines;
    lines.reserve(actions.size());
    for (const MacroAction& a : actions) lines.push_back(formatActionLine(a));
    return saveActionLines(name, lines);
}

bool MacroStore::writeCountAndLastName(const std::vector<std::string>& names) const {
    const std::string list = listPath();
    if (!writeIniString(list, kCountSection, "count", std::to_string(names.size()))) return false;
    if (names.empty()) return true;
    return writeIniString(list, kNameSection, std::to_string(names.size() - 1), names.back());
}

bool MacroStore::exportActions(const std::string& name, const std::string& path) const {
    const std::string from = actionPath(name);
    std::string text;
    if (from.empty() || !readWholeFile(from, &text)) return false;
    return replaceFileAtomically(path, text.data(), text.size());
}

int MacroStore::importActions(const std::string& name, const std::string& path) const {
    const std::string to = actionPath(name);
    if (to.empty()) return MacroNameInvalid;
    std::string text;
    if (!readWholeFile(path, &text) || !initext::findValue(text, kActionCountSection, "count"))
        return MacroNotActionFile;
    const int n = readIniInt(path, kActionCountSection, "count");
    if (n < 0 || n > kMaxActionsPerMacro) return MacroNotActionFile;
    return replaceFileAtomically(pathForWriting(to), text.data(), text.size()) ? MacroOk : MacroWriteFailed;
}

}  // namespace macro
