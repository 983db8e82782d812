// The program in front on X11, and profiles that follow it. The foreground query is checked
// against windows this test names active itself (a stand-in for a window manager), including
// windows that are already gone; end to end, the real program, the emulator and openbox run as
// separate processes, and a second real program linked to a keyboard device profile is brought
// to the front and closed again. Skipped without a display (test.sh gives the tests a private
// Xvfb), and the end-to-end part without openbox.
#ifdef ZELKAR_HAVE_X11
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <limits.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>

#include "app/ProcessAndWire.h"
#include "platform/ForegroundProgram.h"
#include "profile/IniFile.h"
#include "profile/ProfileFile.h"
#include "x11/XTestSupport.h"

namespace {

using namespace std::chrono_literals;
using namespace e2e;
using DisplayPtr = std::unique_ptr<Display, int (*)(Display*)>;

constexpr char kHolderTitle[] = "zelkar-linked-program";

std::string ownExecutable() {
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return std::string(buffer, length > 0 ? std::size_t(length) : 0);
}

void setWindow(Display* d, Window on, const char* property, Window value) {
    const long v = long(value);
    XChangeProperty(d, on, XInternAtom(d, property, False), XA_WINDOW, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&v), 1);
}

std::optional<Window> windowProperty(Display* d, Window on, const char* property, Atom type = XA_WINDOW) {
    Atom actual = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    std::optional<Window> value;
    if (XGetWindowProperty(d, on, XInternAtom(d, property, False), 0, 1, False, type, &actual, &format, &items,
                           &after, &data) == Success &&
        actual == type && format == 32 && items == 1)
        value = Window(reinterpret_cast<unsigned long*>(data)[0]);
    if (data) XFree(data);
    return value;
}

bool windowManagerRuns(Display* d) {
    const auto check = windowProperty(d, DefaultRootWindow(d), "_NET_SUPPORTING_WM_CHECK");
    if (!check || !*check) return false;
    XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    const auto self = windowProperty(d, *check, "_NET_SUPPORTING_WM_CHECK");
    XSync(d, False);
    XSetErrorHandler(previous);
    return self && *self == *check;
}

Window makeWindow(Display* d, const char* title) {
    const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 200, 100, 0, 0, 0);
    XStoreName(d, w, title);
    const long pid = ::getpid();
    XChangeProperty(d, w, XInternAtom(d, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
    return w;
}

// What a window manager announces, set by hand: its check window and the active window.
struct StandInWindowManager {
    Display* d;
    Window check;
    explicit StandInWindowManager(Display* display) : d(display) {
        check = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
        setWindow(d, check, "_NET_SUPPORTING_WM_CHECK", check);
        setWindow(d, DefaultRootWindow(d), "_NET_SUPPORTING_WM_CHECK", check);
        XSync(d, False);
    }
    ~StandInWindowManager() {
        XDeleteProperty(d, DefaultRootWindow(d), XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False));
        XDeleteProperty(d, DefaultRootWindow(d), XInternAtom(d, "_NET_ACTIVE_WINDOW", False));
        XDestroyWindow(d, check);
        XSync(d, False);
    }
    void activate(Window w) {
        setWindow(d, DefaultRootWindow(d), "_NET_ACTIVE_WINDOW", w);
        XSync(d, False);
    }
};

// The bytes of the keyboard's key table written with command 9 after wire time `after`.
std::map<unsigned, uint8_t> keyTableWrites(const std::vector<Report>& all, double after) {
    std::map<unsigned, uint8_t> bytes;
    for (const Report& r : sentTo(all, "kb", after)) {
        if (r.bytes[3] != 9) continue;
        const unsigned address = r.bytes[5] | (r.bytes[6] << 8), length = std::min<unsigned>(r.bytes[4], 56);
        for (unsigned i = 0; i < length; ++i) bytes[address + i] = r.bytes[8 + i];
    }
    return bytes;
}

int differences(const std::map<unsigned, uint8_t>& a, const std::map<unsigned, uint8_t>& b) {
    int count = 0;
    for (const auto& [address, value] : a) {
        auto it = b.find(address);
        count += it == b.end() || it->second != value;
    }
    return count;
}

double lastTime(const std::vector<Report>& all) {
    double t = 0;
    for (const Report& r : all) t = std::max(t, r.t);
    return t;
}

}  // namespace

// Run by the end-to-end test as its "game": a window of its own until its standard input closes.
TEST(ProgramSwitchingHelper, HoldsAWindowOpen) {
    if (!std::getenv("ZELKAR_HOLD_WINDOW")) GTEST_SKIP() << "the linked program of the switching test";
    DisplayPtr connection(xtest::openDisplay(), XCloseDisplay);
    ASSERT_TRUE(connection);
    const Window w = makeWindow(connection.get(), kHolderTitle);
    XMapRaised(connection.get(), w);
    XSync(connection.get(), False);
    char byte;
    while (::read(0, &byte, 1) > 0) {
    }
}

TEST(ForegroundProgramOnX11, FollowsTheActiveWindowAndSurvivesWindowsThatAreGone) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
    DisplayPtr connection(xtest::openDisplay(), XCloseDisplay);
    if (!connection) GTEST_SKIP() << "the display cannot be reached";
    Display* d = connection.get();
    if (windowManagerRuns(d)) GTEST_SKIP() << "a window manager runs on this display";

    std::shared_ptr<ForegroundProgram> source = makeForegroundProgram();
    EXPECT_EQ(source->query().kind, ForegroundAnswer::unavailable);  // nobody says which window is active
    {
        StandInWindowManager wm(d);
        const Window own = makeWindow(d, "own");
        wm.activate(own);
        const ForegroundAnswer answer = source->query();
        EXPECT_EQ(answer.kind, ForegroundAnswer::program);
        EXPECT_EQ(answer.path, ownExecutable());

        wm.activate(None);
        EXPECT_EQ(source->query().kind, ForegroundAnswer::none);
        // Closed, but still named active: the X error is ours to swallow, and nothing is in front.
        const Window gone = makeWindow(d, "gone");
        XDestroyWindow(d, gone);
        wm.activate(gone);
        EXPECT_EQ(source->query().kind, ForegroundAnswer::none);
        XDestroyWindow(d, own);
        wm.activate(own);
        EXPECT_EQ(source->query().kind, ForegroundAnswer::none);
    }
    // The manager has gone and left its active window behind.
    setWindow(d, DefaultRootWindow(d), "_NET_ACTIVE_WINDOW", DefaultRootWindow(d));
    XSync(d, False);
    EXPECT_EQ(source->query().kind, ForegroundAnswer::unavailable);
    XDeleteProperty(d, DefaultRootWindow(d), XInternAtom(d, "_NET_ACTIVE_WINDOW", False));
    XSync(d, False);
}

// A keyboard device profile "Game" linked to a second program: while that program is in front
// the keyboard holds Game's key table, and the user's own profile again once it has closed.
// ZELKAR_SWITCH_TRIES=n repeats the switch and prints each time and the median.
TEST(EndToEndOnX11, ALinkedProgramInFrontSwitchesTheKeyboardsProfile) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
    Session s;
    ZELKAR_NEED_PROGRAM(s.built(), s.program);
    ZELKAR_NEED_PROGRAM(::access("/usr/bin/openbox", X_OK) == 0, "openbox, to tell the active window");
    DisplayPtr connection(xtest::openDisplay(), XCloseDisplay);
    if (!connection) GTEST_SKIP() << "the display cannot be reached";
    Display* d = connection.get();
    if (windowManagerRuns(d)) GTEST_SKIP() << "a window manager runs on this display already";
    // The active window may close between two of our requests about it.
    struct QuietErrors {
        XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        ~QuietErrors() { XSetErrorHandler(previous); }
    } quiet;

    // The user's profile "Own" and the linked "Game", which maps logical key 22 to A.
    const std::string kb = s.documents + "/ZELKAR/kb/", ini = kb + "kbProfile.ini";
    std::filesystem::create_directories(kb);
    std::vector<uint8_t> payload(2560, 0);
    ASSERT_EQ(readProfileFile(s.build + "/bin/defaults/kbdevicedefault.config", payload.data(), payload.size()), 0);
    ASSERT_TRUE(writeProfileFile(kb + "Own.config", payload.data(), payload.size(), ProfileTagKeyboard));
    payload[2048 + 22 * 3] = 0x20;
    payload[2048 + 22 * 3 + 1] = 0x00;
    payload[2048 + 22 * 3 + 2] = 0x04;
    ASSERT_TRUE(writeProfileFile(kb + "Game.config", payload.data(), payload.size(), ProfileTagKeyboard));
    const std::string game = ownExecutable();
    for (const auto& [section, key, value] : std::vector<std::tuple<std::string, std::string, std::string>>{
             {"PROFILEDEVICENAME", "0", "Own"}, {"PROFILEDEVICENAME", "1", "Game"},
             {"PROFILELIKEDEVICEEXE", "0", "0"}, {"PROFILELIKEDEVICEEXE", "1", "1"},
             {"DEVICEPROCESS", "0", " "}, {"DEVICEPROCESS", "1", game},
             {"PROFILEDEVICESELECT", "select", "0"}, {"PROFILEDEVICECOUNT", "count", "2"}})
        ASSERT_TRUE(writeIniString(ini, section, key, value));

    Child openbox({"/usr/bin/openbox", "--sm-disable"}, {"HOME=" + s.home.path()}, s.home.file("openbox.log"));
    ASSERT_TRUE(waitUntil([&] { return windowManagerRuns(d); }, 10s)) << tailOf(s.home.file("openbox.log"));
    auto bus = s.startBus("kb");
    auto zelkar = s.startProgram();
    OutputOnFailure programOutput{s.log};

    // Arrival applies Own; half a second later the keyboard is read again. Then all is quiet.
    ASSERT_TRUE(waitUntil([&] { return !keyTableWrites(readWire(s.wire), -1).empty(); }, 30s));
    std::this_thread::sleep_for(1500ms);
    const std::map<unsigned, uint8_t> own = keyTableWrites(readWire(s.wire), -1);

    const char* triesText = std::getenv("ZELKAR_SWITCH_TRIES");
    const int tries = std::max(1, triesText ? std::atoi(triesText) : 1);
    std::vector<double> seconds;
    for (int attempt = 0; attempt < tries; ++attempt) {
        double mark = lastTime(readWire(s.wire));
        auto holder = std::make_unique<Child>(
            std::vector<std::string>{game, "--gtest_filter=ProgramSwitchingHelper.HoldsAWindowOpen"},
            std::vector<std::string>{"ZELKAR_HOLD_WINDOW=1"}, s.home.file("holder.log"));
        // In front: openbox gives a new window the focus.
        ASSERT_TRUE(waitUntil(
            [&] {
                const auto active = windowProperty(d, DefaultRootWindow(d), "_NET_ACTIVE_WINDOW");
                char* name = nullptr;
                bool ours = active && *active && XFetchName(d, *active, &name) && name && std::string(name) == kHolderTitle;
                if (name) XFree(name);
                return ours;
            },
            10s));
        const auto front = std::chrono::steady_clock::now();
        EXPECT_TRUE(waitUntil([&] { return differences(keyTableWrites(readWire(s.wire), mark), own) > 0; }, 2500ms))
            << "the keyboard did not get the linked profile";
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - front).count());
        const auto written = keyTableWrites(readWire(s.wire), mark);
        EXPECT_LE(differences(written, own), 3);  // the one key's three bytes
        EXPECT_TRUE(std::any_of(written.begin(), written.end(), [](const auto& b) { return b.second == 0x04; }));

        // Closed: the user's own profile comes back.
        mark = lastTime(readWire(s.wire));
        holder.reset();
        EXPECT_TRUE(waitUntil(
            [&] {
                const auto back = keyTableWrites(readWire(s.wire), mark);
                return !back.empty() && differences(back, own) == 0;
            },
            2500ms))
            << "the keyboard did not get the user's profile back";
        std::this_thread::sleep_for(300ms);
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("front to keyboard: %zu tries, median %.3f s, min %.3f s, max %.3f s\n", seconds.size(),
                seconds[seconds.size() / 2], seconds.front(), seconds.back());
    // "select" still names the user's choice.
    EXPECT_EQ(readIniString(ini, "PROFILEDEVICESELECT", "select"), "0");
}

#endif
