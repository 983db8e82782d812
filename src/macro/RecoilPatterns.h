// The mouse's four recoil patterns on disk: the working copies in the mouse folder, the default
// copies shipped beside the program, and one step of a pattern as the page edits it.
//
//   list file     "msMacro.ini": [CURSORCOUNT] count=4, [CURSORNAME] 0..3 = name_1..name_4
//   pattern file  "<name>.cur", laid out like a macro action file: 30 steps of six actions
//
// Step k is actions 6k..6k+5: three actions the editor carries unchanged, a carrier whose delay
// is the step's pause (its other fields are kept), the horizontal move (MoveX, bit 7 = left) and
// the vertical move (MoveY, bit 7 = up), both with delay 0.
//
// Files come from outside (imports, hand edits): counts are bounded (negative reads 0, huge reads
// kMaxActionsPerMacro), lines that do not parse read as an empty step, and a step beyond a short
// file's count is written with the count raised to cover it, so an edit always reaches the mouse.
//
// Plain C++; every call reads or writes the files afresh. UI thread.
#pragma once

#include <string>
#include <vector>

#include "macro/MacroTable.h"

namespace macro {

constexpr int kRecoilPatterns = 4;
constexpr int kRecoilSteps = 30;
constexpr int kRecoilActionsPerStep = 6;
constexpr int kRecoilActionsPerPattern = kRecoilSteps * kRecoilActionsPerStep;  // 180
constexpr int kMaxRecoilPauseMs = 65535;  // what the pause field takes

struct RecoilStep {
    int pauseMs = 0;     // as stored: units x 10
    int horizontal = 0;  // 0..255
    bool left = false;
    int vertical = 0;    // 0..255
    bool up = false;

    friend bool operator==(const RecoilStep&, const RecoilStep&) = default;
};

enum RecoilResult : int {
    RecoilOk = 1,
    RecoilTooManyActions = -1,  // import: more than 180 actions
    RecoilNotPatternFile = -2,  // import: unreadable, no action count or a negative one
    RecoilBadPattern = -3,      // no such pattern, or its name cannot be a file name here
    RecoilWriteFailed = -4,
};

class RecoilStore {
public:
    // Both folders end with '/'.
    RecoilStore(std::string mouseFolder, std::string defaultsFolder);

    // First start: with "CURSORCOUNT" 0 the four names and count 4 are written (the count last)
    // after the default files were copied in; a working copy that exists is kept. A working copy
    // missing later is copied in again from the defaults on the next start.
    bool setUp() const;

    int count() const;  // "CURSORCOUNT"/"count", bounded to 0..4
    std::string name(int pattern) const;
    // "" for a pattern outside the count or a name that could leave the folder.
    std::string patternPath(int pattern) const;
    std::string defaultPath(int pattern) const;  // "name_1.cur".."name_4.cur" beside the program

    // Step k of pattern i; an empty step for a step the file does not hold.
    RecoilStep loadStep(int pattern, int step) const;
    // Writes the pause (stored as ms / 10, up to kMaxRecoilPauseMs) and both moves (distances
    // clamped to 0..255); the rest of the file stays as it is.
    bool saveStep(int pattern, int step, const RecoilStep& value) const;

    bool reset(int pattern) const;                               // the default copy over the working copy
    int importPattern(int pattern, const std::string& path) const;  // RecoilResult
    bool exportPattern(int pattern, const std::string& path) const;

    // Every pattern's parsed actions (as many as its count says), in "CURSORNAME" order.
    MacroList loadPatterns() const;

private:
    std::string listPath() const;

    std::string folder_;
    std::string defaults_;
};

}  // namespace macro
