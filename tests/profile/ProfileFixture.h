// A private data folder, defaults folder and set of mirrors for the profile store tests, with the
// debug log captured.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/DataFolder.h"
#include "platform/DebugLog.h"
#include "profile/AtomicFile.h"
#include "profile/ProfileStore.h"
#include "support/TestSupport.h"

namespace profiletest {

inline std::mutex g_logLock;
inline std::vector<std::string> g_log;
inline void keepLine(const std::string& line) {
    std::lock_guard<std::mutex> guard(g_logLock);
    g_log.push_back(line);
}

inline bool logged(const std::string& start) {
    std::lock_guard<std::mutex> guard(g_logLock);
    return std::any_of(g_log.begin(), g_log.end(), [&](const std::string& l) { return l.rfind(start, 0) == 0; });
}

inline std::vector<std::string> filesIn(const std::string& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

struct Mirrors {
    KeyboardMirror keyboard;
    MouseMirror mouse;
    PadMirror pad;
    MouseSystemSettings system;
    ProfileMirrors refs() { return {keyboard, mouse, pad, system}; }
};

// Every mirror byte set from a seed, so that any area a load or save misses shows up.
inline void fillMirrors(Mirrors& m, uint8_t seed) {
    auto fill = [&](auto& area, uint8_t salt) {
        for (std::size_t i = 0; i < area.size(); ++i) area[i] = uint8_t(seed + salt + i * 7);
    };
    fill(m.keyboard.blocks[0], 1);
    fill(m.keyboard.record, 2);
    m.keyboard.record[0] = seed % 5;
    fill(m.keyboard.lighting.brush, 3);
    for (auto& set : m.keyboard.lighting.sets) fill(set, 4);
    m.keyboard.lighting.selectedSet = seed % 5;
    fill(m.keyboard.workingKeyTable[0], 5);
    fill(m.mouse.blocks[0], 6);
    fill(m.mouse.record, 7);
    fill(m.mouse.keyTables[0], 8);
    m.system.pointerSpeed = uint8_t(1 + seed % 20);
    m.system.wheelLines = uint8_t(1 + seed % 10);
    fill(m.pad.blocks[0], 9);
    fill(m.pad.record, 10);
}

class ProfileFixture : public ::testing::Test {
protected:
    void SetUp() override {
        setDataFolderOverride(dir.file("data"));
        testsupport::makeDirs(defaultsDir());
        {
            std::lock_guard<std::mutex> guard(g_logLock);
            g_log.clear();
        }
        setDebugLogSink(keepLine);
        store = std::make_unique<ProfileStore>(mirrors.refs(), defaultsDir());
    }
    void TearDown() override {
        setAtomicWriteHookForTesting(nullptr);
        setDebugLogSink(nullptr);
        setDataFolderOverride("");
    }

    std::string defaultsDir() const { return dir.file("defaults") + "/"; }
    std::string kbDir() const { return dir.file("data/kb") + "/"; }
    std::string msDir() const { return dir.file("data/ms") + "/"; }
    std::string mpDir() const { return dir.file("data/mp") + "/"; }

    testsupport::TempDir dir;
    Mirrors mirrors;
    std::unique_ptr<ProfileStore> store;
};

}  // namespace profiletest
