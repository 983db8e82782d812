// Turning recorded keyboard and mouse events into macro actions, with the pause before each one.
//
//   recorder.start(now, {.fixedPause = false, .clicks = true});
//   if (auto step = recorder.key(0x41, /*press*/ true, now)) list.appendRecorded(*step);
//
// A held key repeats as presses without releases: only its first press is recorded. Releases are
// always recorded. Mouse events are the left, right and middle buttons (moves, the wheel and the
// extra buttons are ignored), and only with the click option; a mouse event equal to the last one
// accepted is ignored. Keys outside the macro key rows are ignored.
//
// Each accepted event's pause is the time since the previous accepted event (or since the start),
// measured on the events' own clock when both carry a time (eventTime, 0 for none: the X server
// stamps them, so the time they took to reach us does not count), else on the caller's clock;
// capped at 655 350 ms, or 50 ms with the fixed-pause option; it belongs to the action *before*
// the new one, so the last action recorded keeps delay 0. The last pressed key and the last mouse
// event are kept across recordings: a key pressed and not released in the last recording counts as
// still held, so its first press in the next one is taken for a repeat.
//
// Plain C++; times are milliseconds of one clock (unsigned, wrapping differences are fine).
#pragma once

#include <cstdint>
#include <optional>

#include "macro/MacroAction.h"

namespace macro {

struct RecordingOptions {
    bool keyboard = true;    // the keyboard is captured
    bool clicks = false;     // mouse buttons are recorded
    bool wheel = false;      // the mouse is watched (nothing of it is recorded)
    bool movement = false;   // likewise
    bool fixedPause = false; // every pause is 50 ms
    bool wantsMouse() const { return clicks || wheel || movement; }
};

struct RecordedStep {
    MacroAction action;   // delay 0
    int pauseBeforeMs;    // the delay the previous action gets
};

class MacroRecorder {
public:
    static constexpr int kFixedPauseMs = 50;

    void start(uint32_t now, RecordingOptions options);
    void stop() { recording_ = false; }
    bool recording() const { return recording_; }
    const RecordingOptions& options() const { return options_; }

    // virtualKey as key capture reports it, flags the hook flags (bit 0 extended, bit 7 up).
    std::optional<RecordedStep> key(int virtualKey, unsigned flags, bool press, uint32_t now, uint32_t eventTime = 0);
    // The mouse event kind (0x201 left down ... 0x208 middle up, others ignored).
    std::optional<RecordedStep> mouse(uint32_t eventKind, uint32_t now, uint32_t eventTime = 0);

private:
    RecordedStep accept(MacroAction action, uint32_t now, uint32_t eventTime);

    bool recording_ = false;
    RecordingOptions options_;
    uint32_t lastTick_ = 0;
    uint32_t lastEventTime_ = 0;
    int lastKey_ = 0;
    uint32_t lastMouse_ = 0;
};

}  // namespace macro
