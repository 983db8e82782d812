#include "macro/RecoilPatterns.h"

#include <algorithm>
#include <fstream>

#include "macro/MacroStore.h"
#include "platform/DataFolder.h"
#include "platform/DebugLog.h"
#include "profile/AtomicFile.h"
#include "profile/FileNameCase.h"
#include "profile/IniFile.h"
#include "profile/IniText.h"

namespace macro {

namespace {

constexpr const char* kCountSection = "CURSORCOUNT";
constexpr const char* kNameSection = "CURSORNAME";
constexpr const char* kActionCountSection = "MACROACTIONCOUNT";
constexpr const char* kActionSection = "MACROACTION";
constexpr std::size_t kMaxPatternFileBytes = 4u << 20;
// What a step the file lacks is filled with: no move, no pause.
constexpr const char* kEmptyActionLine = "0,0,4,0,0,mouse_move_to_right_text";

bool readWhole(const std::string& path, std::string* text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || std::size_t(size) > kMaxPatternFileBytes) return false;
    in.seekg(0);
    text->resize(std::size_t(size));
    in.read(text->data(), size);
    return bool(in) || in.eof();
}

bool copyFile(const std::string& from, const std::string& to) {
    std::string text;
    if (!readWhole(from, &text)) return false;
    return replaceFileAtomically(to, text.data(), text.size());
}

bool exists(const std::string& path) { return !findFileIgnoringCase(path).empty(); }

std::string existingOrSame(const std::string& path) {
    std::string found = findFileIgnoringCase(path);
    return found.empty() ? path : found;
}

// The action count of a pattern file's text, bounded like a macro's.
int actionCount(const std::string& text) {
    const auto value = initext::findValue(text, kActionCountSection, "count");
    const int n = value ? leadingInt(*value) : 0;
    return std::clamp(n, 0, kMaxActionsPerMacro);
}

bool validStep(int step) { return step >= 0 && step < kRecoilSteps; }

MacroAction moveAction(MacroActionKind kind, int distance, bool towards) {
    MacroAction a;
    a.type = uint8_t(kind);
    a.code = uint8_t(std::clamp(distance, 0, kMaxMoveDistance));
    a.setPressed(towards);
    if (kind == MacroActionKind::MoveX) a.name = towards ? "mouse_move_to_left_text" : "mouse_move_to_right_text";
    else a.name = towards ? "mouse_move_to_up_text" : "mouse_move_to_down_text";
    return a;
}

}  // namespace

RecoilStore::RecoilStore(std::string mouseFolder, std::string defaultsFolder)
    : folder_(std::move(mouseFolder)), defaults_(std::move(defaultsFolder)) {}

std::string RecoilStore::listPath() const { return MacroStore(folder_, MacroListKind::mouse).listPath(); }

int RecoilStore::count() const { return std::clamp(readIniInt(listPath(), kCountSection, "count"), 0, kRecoilPatterns); }

std::string RecoilStore::name(int pattern) const {
    if (pattern < 0 || pattern >= count()) return "";
    return readIniString(listPath(), kNameSection, std::to_string(pattern));
}

std::string RecoilStore::patternPath(int pattern) const {
    const std::string n = name(pattern);
    if (!isSafeEntryName(n)) return "";
    return existingOrSame(folder_ + n + ".cur");
}

std::string RecoilStore::defaultPath(int pattern) const {
    return defaults_ + "name_" + std::to_string(pattern + 1) + ".cur";
}

bool RecoilStore::setUp() const {
    bool ok = true;
    if (readIniInt(listPath(), kCountSection, "count") == 0) {
        for (int i = 0; i < kRecoilPatterns; ++i) {
            const std::string working = folder_ + "name_" + std::to_string(i + 1) + ".cur";
            if (!exists(working) && !copyFile(defaultPath(i), pathForWriting(working))) {
                debugLog("recoil: cannot copy " + defaultPath(i));
                ok = false;
            }
        }
        const std::string list = listPath();
        for (int i = 0; i < kRecoilPatterns && ok; ++i)
            ok = writeIniString(list, kNameSection, std::to_string(i), "name_" + std::to_string(i + 1));
        return ok && writeIniString(list, kCountSection, "count", std::to_string(kRecoilPatterns));
    }
    for (int i = 0; i < count(); ++i) {
        const std::string path = patternPath(i);
        if (!path.empty() && !exists(path) && !copyFile(defaultPath(i), pathForWriting(path))) ok = false;
    }
    return ok;
}

RecoilStep RecoilStore::loadStep(int pattern, int step) const {
    RecoilStep out;
    const std::string path = patternPath(pattern);
    std::string text;
    if (!validStep(step) || path.empty() || !readWhole(path, &text)) return out;
    const int first = step * kRecoilActionsPerStep;
    const std::vector<std::string> lines = readIndexedValues(text, kActionSection, actionCount(text));
    auto line = [&lines](int i) { return i < int(lines.size()) ? parseActionLine(lines[std::size_t(i)]) : std::nullopt; };
    if (auto carrier = line(first + 3)) out.pauseMs = carrier->delayMs();
    for (int i = first + 4; i <= first + 5; ++i) {
        const auto move = line(i);
        if (!move) continue;
        if (move->kindValue() == uint8_t(MacroActionKind::MoveX)) {
            out.horizontal = move->code;
            out.left = move->pressed();
        } else if (move->kindValue() == uint8_t(MacroActionKind::MoveY)) {
            out.vertical = move->code;
            out.up = move->pressed();
        }
    }
    return out;
}

bool RecoilStore::saveStep(int pattern, int step, const RecoilStep& value) const {
    const std::string path = patternPath(pattern);
    if (!validStep(step) || path.empty()) return false;
    std::string text;
    readWhole(path, &text);  // a missing file is written anew
    const int n = actionCount(text);
    const int first = step * kRecoilActionsPerStep;
    const int needed = first + kRecoilActionsPerStep;
    auto key = [](int i) { return std::to_string(i); };
    // A short file gets empty lines up to this step, so the count can cover it.
    for (int i = n; i < needed; ++i)
        if (!initext::findValue(text, kActionSection, key(i))) text = initext::withValue(text, kActionSection, key(i), kEmptyActionLine);

    const auto old = initext::findValue(text, kActionSection, key(first + 3));
    MacroAction carrier = old ? parseActionLine(*old).value_or(*parseActionLine(kEmptyActionLine))
                              : *parseActionLine(kEmptyActionLine);
    carrier.setDelayMs(std::clamp(value.pauseMs, 0, kMaxRecoilPauseMs));
    text = initext::withValue(text, kActionSection, key(first + 3), formatActionLine(carrier));
    text = initext::withValue(text, kActionSection, key(first + 4),
                              formatActionLine(moveAction(MacroActionKind::MoveX, value.horizontal, value.left)));
    text = initext::withValue(text, kActionSection, key(first + 5),
                              formatActionLine(moveAction(MacroActionKind::MoveY, value.vertical, value.up)));
    if (needed > n) text = initext::withValue(text, kActionCountSection, "count", std::to_string(needed));
    return replaceFileAtomically(pathForWriting(path), text.data(), text.size());
}

bool RecoilStore::reset(int pattern) const {
    const std::string path = patternPath(pattern);
    return !path.empty() && copyFile(defaultPath(pattern), pathForWriting(path));
}

int RecoilStore::importPattern(int pattern, const std::string& path) const {
    const std::string to = patternPath(pattern);
    if (to.empty()) return RecoilBadPattern;
    std::string text;
    if (!readWhole(path, &text) || !initext::findValue(text, kActionCountSection, "count")) return RecoilNotPatternFile;
    const auto value = initext::findValue(text, kActionCountSection, "count");
    const int n = leadingInt(*value);
    if (n > kRecoilActionsPerPattern) return RecoilTooManyActions;
    if (n < 0) return RecoilNotPatternFile;
    return replaceFileAtomically(pathForWriting(to), text.data(), text.size()) ? RecoilOk : RecoilWriteFailed;
}

bool RecoilStore::exportPattern(int pattern, const std::string& path) const {
    const std::string from = patternPath(pattern);
    return !from.empty() && copyFile(from, path);
}

MacroList RecoilStore::loadPatterns() const {
    MacroList patterns;
    const int p = count();
    for (int i = 0; i < p; ++i) {
        std::vector<MacroAction> actions;
        std::string text;
        const std::string path = patternPath(i);
        if (!path.empty() && readWhole(path, &text))
            for (const std::string& line : readIndexedValues(text, kActionSection, actionCount(text)))
                if (auto a = parseActionLine(line)) actions.push_back(std::move(*a));
        patterns.push_back(std::move(actions));
    }
    return patterns;
}

}  // namespace macro
