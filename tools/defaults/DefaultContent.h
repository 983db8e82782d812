// The default profile and recoil files we install beside the program: our own factory settings.
//
// Kept as the mirror state a fresh device would have, saved through the same payload code the
// program uses, so the files always have the layout the program reads. make_defaults.cpp writes
// them into defaults/; a test regenerates them and compares with the committed copies.
//
// Header-only so the generator and the test share it without a library of its own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "mirror/KeyboardDefaultCodes.h"
#include "mirror/KeyboardMirror.h"
#include "mirror/MouseMirror.h"
#include "mirror/PadMirror.h"
#include "profile/AtomicFile.h"
#include "profile/ProfileFile.h"
#include "profile/ProfileLists.h"
#include "profile/ProfilePayload.h"

namespace defaults {

struct DefaultFile {
    std::string name;
    uint16_t tag;                // ProfileTag of a profile file; 0 for a recoil pattern (INI text)
    std::vector<uint8_t> bytes;  // the payload of a profile file, the whole text of a pattern
};

// One colour for every device's lighting: a clear blue that shows on any surface.
constexpr uint8_t kColour[3] = {0x01, 0x99, 0xCB};

struct FactoryMirrors {
    KeyboardMirror keyboard;
    MouseMirror mouse;
    PadMirror pad;
    MouseSystemSettings system;
};

inline void setLighting(uint8_t* record, uint8_t mode, uint8_t brightness, uint8_t speed) {
    record[1] = mode;        // 0: wave on all three devices
    record[2] = brightness;
    record[3] = speed;       // stored inverted: the page shows max - speed
    record[4] = 0;           // direction right
    record[5] = 1;           // colours cycle
    record[6] = kColour[0];
    record[7] = kColour[1];
    record[8] = kColour[2];
}

inline std::unique_ptr<FactoryMirrors> factoryMirrors() {
    auto m = std::make_unique<FactoryMirrors>();

    KeyboardMirror& kb = m->keyboard;
    setLighting(kb.record.data(), 0, 4, 2);
    kb.record[KeyboardRecord::kLightingTab] = 1;
    kb.lighting.selectedSet = 0;
    kb.lighting.brush = {0xFF, 0xFF, 0xFF};
    kb.workingKeyTable[0] = keyboardDefaultKeyTable();

    MouseMirror& ms = m->mouse;
    setLighting(ms.record.data(), 0, 4, 2);
    ms.record[MouseRecord::kSecondRed] = kColour[0];
    ms.record[MouseRecord::kSecondGreen] = kColour[1];
    ms.record[MouseRecord::kSecondBlue] = kColour[2];
    ms.record[MouseRecord::kReportRate] = 3;  // 1000 Hz
    const uint8_t levels[6] = {3, 7, 15, 23, 31, 47};  // 400 .. 4800 at 100 per step from 100
    for (int i = 0; i < 4; ++i) ms.record[MouseRecord::kDpiLevel1 + i] = levels[i];
    ms.record[MouseRecord::kDpiLevel5] = levels[4];
    ms.record[MouseRecord::kDpiLevel5 + 1] = levels[5];
    ms.record[MouseRecord::kActiveDpiLevel] = 1;
    ms.record[MouseRecord::kSensorHeight] = 1;
    ms.keyTables[0] = mouseBuiltInDefaultKeyTable();
    m->system.pointerSpeed = 10;
    m->system.wheelLines = 3;

    setLighting(m->pad.record.data(), 0, 4, 7);
    return m;
}

// ---- recoil patterns: 30 steps of six actions, as macro action lines ----

struct RecoilStep {
    int pauseMs;
    int dx;  // negative: left
    int dy;  // positive: down (pulls the aim against the kick)
};

inline std::string actionLine(int delayUnits, int type, int code, const char* name) {
    return std::to_string(delayUnits & 0xFF) + "," + std::to_string(delayUnits >> 8) + "," + std::to_string(type) +
           "," + std::to_string(code) + "," + std::to_string(type >> 7) + "," + name;
}

inline std::string recoilFileText(const std::vector<RecoilStep>& steps) {
    std::string text = "[MACROACTIONCOUNT]\ncount=" + std::to_string(steps.size() * 6) + "\n[MACROACTION]\n";
    int index = 0;
    auto line = [&](const std::string& action) { text += std::to_string(index++) + "=" + action + "\n"; };
    for (const RecoilStep& step : steps) {
        // Three still moves the pattern page leaves alone, then the pause carrier and the moves.
        for (int i = 0; i < 3; ++i) line(actionLine(0, 0x04, 0, "mouse_move_to_right_text"));
        line(actionLine(step.pauseMs / 10, 0x04, 0, "mouse_move_to_right_text"));
        line(step.dx < 0 ? actionLine(0, 0x84, -step.dx, "mouse_move_to_left_text")
                         : actionLine(0, 0x04, step.dx, "mouse_move_to_right_text"));
        line(step.dy < 0 ? actionLine(0, 0x85, -step.dy, "mouse_move_to_up_text")
                         : actionLine(0, 0x05, step.dy, "mouse_move_to_down_text"));
    }
    return text;
}

// Four gentle patterns: steady, rising, weaving, and a hard first kick that settles.
inline std::vector<RecoilStep> recoilPattern(int pattern) {
    std::vector<RecoilStep> steps;
    for (int k = 0; k < 30; ++k) {
        switch (pattern) {
        case 0: steps.push_back({100, 0, 2}); break;
        case 1: steps.push_back({90, 0, 1 + k / 10}); break;
        case 2: steps.push_back({80, k % 2 ? 1 : -1, 2}); break;
        default: steps.push_back({120, k % 3 == 2 ? 1 : 0, k < 5 ? 3 : 1}); break;
        }
    }
    return steps;
}

inline std::vector<DefaultFile> defaultFiles() {
    auto m = factoryMirrors();
    ProfileMirrors mirrors{m->keyboard, m->mouse, m->pad, m->system};
    std::vector<DefaultFile> files;
    for (int i = 0; i < kProfileListCount; ++i) {
        const ProfileListInfo& info = profileListInfo(static_cast<ProfileList>(i));
        files.push_back({info.defaultFile, info.tag, buildProfilePayload(info.list, mirrors)});
    }
    for (int p = 0; p < 4; ++p) {
        const std::string text = recoilFileText(recoilPattern(p));
        files.push_back({"name_" + std::to_string(p + 1) + ".cur", 0, std::vector<uint8_t>(text.begin(), text.end())});
    }
    return files;
}

// Writes every default file into folder (which must exist); false when one could not be written.
inline bool writeDefaultFiles(const std::string& folder) {
    const std::string dir = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    bool ok = true;
    for (const DefaultFile& file : defaultFiles()) {
        const std::string path = dir + file.name;
        ok = (file.tag ? writeProfileFile(path, file.bytes.data(), file.bytes.size(), file.tag)
                       : replaceFileAtomically(path, file.bytes.data(), file.bytes.size())) &&
             ok;
    }
    return ok;
}

}  // namespace defaults
