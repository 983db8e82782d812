// Which program owns the window in front: the full path of its executable, in the form the
// program picker returns for the same file ("/usr/bin/game").
//
// On X11: the root window's _NET_ACTIVE_WINDOW, the client's process id through the X-Resource
// extension (falling back to the window's _NET_WM_PID), then /proc/PID/exe. Where the desktop
// cannot tell (no X server reachable, as on Wayland without XWayland; no window manager that
// keeps _NET_ACTIVE_WINDOW) the answer is `unavailable`. Plain C++; one query at a time per
// object (calls from several threads are serialised).
#pragma once

#include <memory>
#include <string>

struct ForegroundAnswer {
    enum Kind {
        program,      // path holds the executable's full path
        none,         // no window in front, or its process cannot be told (gone, no pid, no /proc entry)
        unavailable,  // this session cannot tell at all
    };
    Kind kind = none;
    std::string path;
};

class ForegroundProgram {
public:
    virtual ~ForegroundProgram() = default;
    virtual ForegroundAnswer query() = 0;
};

// The X11 source when an X display can be opened, else one that always answers `unavailable`.
std::shared_ptr<ForegroundProgram> makeForegroundProgram();
