// One program-watcher pass over a list of 50 entries, all linked to programs that are not in
// front (so every link value and path is read): the foreground query on X11 (active window, its
// pid through the X-Resource extension, /proc/PID/exe), then the INI reads. On a display without
// a window manager the bench names its own window active, as a manager would. A second figure
// leaves out the X server (a scripted source) to show what the INI reads cost alone.
#include <benchmark/benchmark.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/DataFolder.h"
#include "profile/IniFile.h"
#include "profile/ProgramWatcher.h"
#include "support/TestSupport.h"

namespace {

struct NullHost : ProgramWatcher::Host {
    void select(ProfileList, int) override {}
    void restore(ProfileList) override {}
    void foregroundUnavailable() override {}
};

struct Fixed : ForegroundProgram {
    ForegroundAnswer query() override { return {ForegroundAnswer::program, "/usr/bin/editor"}; }
};

void fiftyLinkedEntries(testsupport::TempDir& data) {
    setDataFolderOverride(data.path());
    const std::string ini = profileIniPath(ProfileList::keyboardLighting);
    for (int i = 0; i < 50; ++i) {
        writeIniString(ini, nameSection(ProfileList::keyboardLighting), std::to_string(i), "p" + std::to_string(i));
        writeIniString(ini, linkSection(ProfileList::keyboardLighting), std::to_string(i), "1");
        writeIniString(ini, processSection(ProfileList::keyboardLighting), std::to_string(i),
                       "/opt/games/game" + std::to_string(i) + "/bin/game");
    }
    writeIniString(ini, countSection(ProfileList::keyboardLighting), "count", "50");
}

void setWindow(Display* d, Window on, const char* property, Window value) {
    const long v = long(value);
    XChangeProperty(d, on, XInternAtom(d, property, False), XA_WINDOW, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&v), 1);
}

void BM_WatcherPassX11(benchmark::State& state) {
    if (!std::getenv("DISPLAY")) return state.SkipWithError("no X display");
    Display* d = XOpenDisplay(nullptr);
    if (!d) return state.SkipWithError("the display cannot be reached");
    testsupport::TempDir data;
    fiftyLinkedEntries(data);
    const Window root = DefaultRootWindow(d);
    const Window own = XCreateSimpleWindow(d, root, 0, 0, 10, 10, 0, 0, 0);
    const Window check = XCreateSimpleWindow(d, root, 0, 0, 1, 1, 0, 0, 0);
    const long pid = ::getpid();
    XChangeProperty(d, own, XInternAtom(d, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
    Atom wmCheck = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False);
    const bool standIn = XGetSelectionOwner(d, XInternAtom(d, "WM_S0", False)) == None;
    if (standIn) {
        setWindow(d, check, "_NET_SUPPORTING_WM_CHECK", check);
        setWindow(d, root, "_NET_SUPPORTING_WM_CHECK", check);
        setWindow(d, root, "_NET_ACTIVE_WINDOW", own);
    }
    XSync(d, False);

    ProgramWatcher watcher(ProfileList::keyboardLighting, makeForegroundProgram(), std::make_shared<NullHost>());
    for (auto _ : state) benchmark::DoNotOptimize(watcher.pass());

    if (standIn) {
        XDeleteProperty(d, root, wmCheck);
        XDeleteProperty(d, root, XInternAtom(d, "_NET_ACTIVE_WINDOW", False));
    }
    XDestroyWindow(d, own);
    XDestroyWindow(d, check);
    XCloseDisplay(d);
    setDataFolderOverride("");
}
BENCHMARK(BM_WatcherPassX11)->Unit(benchmark::kMicrosecond);

void BM_WatcherPassIniOnly(benchmark::State& state) {
    testsupport::TempDir data;
    fiftyLinkedEntries(data);
    ProgramWatcher watcher(ProfileList::keyboardLighting, std::make_shared<Fixed>(), std::make_shared<NullHost>());
    for (auto _ : state) benchmark::DoNotOptimize(watcher.pass());
    setDataFolderOverride("");
}
BENCHMARK(BM_WatcherPassIniOnly)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
