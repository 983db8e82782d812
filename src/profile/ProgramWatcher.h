// A program watcher: every two seconds, the program in front decides which entry of its list is
// selected. While a program linked to an entry is in front, that entry is selected (the one with
// the lowest index when several are linked to it); otherwise the user's own choice is.
//
// The watcher thread only looks: it asks the foreground source and reads the list's links from
// the INI file. The selection itself is handed to the UI thread (ProfileOperations::watcherSelect),
// followed by a 100 ms pause and the restore of the user's choice (watcherRestore), in that order.
//
// Links count only with the value 1, and paths compare without regard to ASCII case.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "platform/ForegroundProgram.h"
#include "platform/StopEvent.h"
#include "profile/ProfileLists.h"

// The entry of the list linked to program (value 1 and the same path, ASCII case ignored), -1
// when none is. Reads count, links and paths from the list's INI file.
int linkedEntryFor(ProfileList list, const std::string& program);

class ProgramWatcher {
public:
    struct Host {
        virtual ~Host() = default;
        // Both run on the UI thread, later; they are called from the watcher thread.
        virtual void select(ProfileList list, int linkedEntry) = 0;
        virtual void restore(ProfileList list) = 0;
        // The foreground source cannot tell anything in this session; called once per watcher.
        virtual void foregroundUnavailable() = 0;
    };

    static constexpr std::chrono::milliseconds kPeriod{2000};
    static constexpr std::chrono::milliseconds kPause{100};
    static constexpr std::chrono::milliseconds kStopCheck{1};

    ProgramWatcher(ProfileList list, std::shared_ptr<ForegroundProgram> source, std::shared_ptr<Host> host)
        : list_(list), source_(std::move(source)), host_(std::move(host)) {}

    // One pass without the pauses: the entry asked for (-1: the user's choice).
    int pass();
    // Until stop is set: a pass, the pause, the restore, the period.
    void run(StopEvent& stop);

private:
    ProfileList list_;
    std::shared_ptr<ForegroundProgram> source_;
    std::shared_ptr<Host> host_;
    bool toldUnavailable_ = false;
};
