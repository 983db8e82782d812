// Program-linked switching as the window runs it: the two program watchers (keyboard lighting and
// keyboard device lists) on worker threads, their selections handed to the UI thread, where the
// profile operations carry them out.
//
// The watchers outlive nothing: destroying this object closes the gate through which they post,
// so a watcher still running after the window let go of it reaches no page.
#pragma once

#include <functional>
#include <memory>

#include "platform/ForegroundProgram.h"
#include "platform/StopEvent.h"
#include "profile/pages/ProfilePanels.h"

class ProgramSwitching {
public:
    using Post = std::function<void(std::function<void()>)>;  // runs a call on the UI thread, later
    using StartWorker = std::function<bool(int slot, std::function<void(StopEvent&)> body)>;

    ProgramSwitching(ProfilePanels& panels, Post post);
    ~ProgramSwitching();
    ProgramSwitching(const ProgramSwitching&) = delete;
    ProgramSwitching& operator=(const ProgramSwitching&) = delete;

    // Starts the keyboard lighting watcher in lightingSlot and the device watcher in deviceSlot.
    // source: the foreground program (nullptr: the platform's own, made here).
    void start(const StartWorker& startWorker, int lightingSlot, int deviceSlot,
               std::shared_ptr<ForegroundProgram> source = nullptr);

private:
    class Gate;
    std::shared_ptr<Gate> gate_;
};
