// A desktop that only records: what the pointer and wheel settings were given, in order. The
// program uses it while QStandardPaths' test mode is on, so tests never change the desktop of the
// person running them; tests also use it directly. Safe from any thread.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/SystemSettings.h"

class RecordingSystemSettings : public SystemSettings {
public:
    std::string name() const override { return "recording"; }
    int setPointerSpeed(int speed) override { return record("speed " + std::to_string(speed), pointerResult_); }
    int setWheelLines(int lines) override { return record("lines " + std::to_string(lines), wheelResult_); }

    std::vector<std::string> calls() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    // What the next calls answer (Applied unless told otherwise).
    void answer(int pointerResult, int wheelResult) {
        std::lock_guard lock(mutex_);
        pointerResult_ = pointerResult;
        wheelResult_ = wheelResult;
    }

private:
    int record(std::string call, const int& result) {
        std::lock_guard lock(mutex_);
        calls_.push_back(std::move(call));
        return result;
    }

    mutable std::mutex mutex_;
    std::vector<std::string> calls_;
    int pointerResult_ = Applied;
    int wheelResult_ = Applied;
};
