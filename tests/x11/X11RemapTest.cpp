// What a person does on X11, end to end: the real program on the X server (xcb) and zelkar-vhid as
// separate processes; clicks and key presses come from XTest as from a real mouse and keyboard.
// Open the key tab, click A, choose "keyboard key", press B, save: the keyboard's key table then
// holds B where it held A, and nothing else changed. Skipped without a display (test.sh gives
// the tests a private Xvfb).
#ifdef ZELKAR_HAVE_X11
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "app/ProcessAndWire.h"
#include "x11/XTestSupport.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

using namespace std::chrono_literals;
using namespace e2e;

// The program's main window: a viewable top-level window of that title.
Window findWindow(Display* display, const char* title) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) return 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        char* name = nullptr;
        XWindowAttributes attributes;
        if (XFetchName(display, children[i], &name) && name) {
            if (std::string(name) == title && XGetWindowAttributes(display, children[i], &attributes) &&
                attributes.map_state == IsViewable)
                found = children[i];
            XFree(name);
        }
    }
    if (children) XFree(children);
    return found;
}

// The key-table bytes a unit's reports carry, by address: answers to command 8 (read) or the
// requests of command 9 (write).
std::map<unsigned, uint8_t> keyTableBytes(const std::vector<Report>& all, const std::string& dev, uint8_t command,
                                          bool out, double after) {
    std::map<unsigned, uint8_t> bytes;
    for (const Report& r : all) {
        if (r.dev != dev || r.out != out || r.t <= after || r.bytes.size() != 64 || r.bytes[3] != command) continue;
        const unsigned address = r.bytes[5] | (r.bytes[6] << 8), length = std::min<unsigned>(r.bytes[4], 56);
        for (unsigned i = 0; i < length; ++i) bytes[address + i] = r.bytes[8 + i];
    }
    return bytes;
}

}  // namespace

TEST(EndToEndOnX11, AKeyRemappedByPressingAKeyReachesTheKeyboard) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
    const std::string build = std::getenv("ZELKAR_BINARY_DIR");
    const std::string program = build + "/bin/zelkar", emulator = build + "/sim/zelkar-vhid";
    ZELKAR_NEED_PROGRAM(::access(program.c_str(), X_OK) == 0, program);
    std::unique_ptr<Display, int (*)(Display*)> connection(xtest::openDisplay(), XCloseDisplay);
    if (!connection) GTEST_SKIP() << "the display cannot be reached";
    Display* display = connection.get();

    testsupport::TempDir home, runtime;
    const std::string wire = home.file("wire.jsonl");
    const std::vector<std::string> env = {"HOME=" + home.path(), "XDG_RUNTIME_DIR=" + runtime.path(),
                                          "XDG_DOCUMENTS_DIR=" + home.path() + "/Documents", "QT_QPA_PLATFORM=xcb",
                                          // libxkbcommon-x11 reads a string past its end under strict checks
                                          "ASAN_OPTIONS=abort_on_error=1:detect_leaks=0"};
    Child bus({emulator, "--devices", "kb", "--wire-log", wire}, env);
    std::this_thread::sleep_for(300ms);
    Child zelkar({program}, env, home.file("zelkar.log"));
    OutputOnFailure programOutput{home.file("zelkar.log")};

    // The window is up and the keyboard has been read twice (arrival, then 500 ms later).
    Window window = 0;
    ASSERT_TRUE(waitUntil([&] { return (window = findWindow(display, "ZELKAR Driver")) != 0; }, 20s));
    ASSERT_TRUE(waitUntil([&] {
        const std::vector<uint8_t> c = commandsOf(sentTo(readWire(wire), "kb"));
        return std::count(c.begin(), c.end(), 18) > 8;
    }, 20s));
    const double beforeSave = readWire(wire).back().t;

    int originX = 0, originY = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &originX, &originY, &child);
    // Places on the window, from the layouts of the main window and the key page.
    auto click = [&](int x, int y) {
        XTestFakeMotionEvent(display, -1, originX + x, originY + y, 0);
        XTestFakeButtonEvent(display, 1, True, 0);
        XTestFakeButtonEvent(display, 1, False, 0);
        XSync(display, False);
        std::this_thread::sleep_for(400ms);
    };
    auto tap = [&](KeySym symbol) {
        xtest::tapKey(display, symbol);
        std::this_thread::sleep_for(150ms);
    };
    click(245, 64);   // the key tab
    click(175, 217);  // key A
    click(228, 318);  // the function type list opens...
    for (int i = 0; i < 6; ++i) tap(XK_Down);  // ...and "keyboard key" is the seventh type
    tap(XK_Return);
    std::this_thread::sleep_for(300ms);
    tap(XK_b);        // captured: no window sees it, the editor takes it
    click(667, 318);  // save to device

    std::map<unsigned, uint8_t> written;
    ASSERT_TRUE(waitUntil([&] {
        written = keyTableBytes(readWire(wire), "kb", 9, true, beforeSave);
        return written.size() >= 378;
    }, 20s)) << "no key table was written";
    const std::map<unsigned, uint8_t> read = keyTableBytes(readWire(wire), "kb", 8, false, -1);
    std::vector<unsigned> changed;
    for (unsigned entry = 0; entry < 126; ++entry) {
        bool differs = false;
        for (unsigned b = 0; b < 3; ++b) differs |= written[entry * 3 + b] != read.at(entry * 3 + b);
        if (differs) changed.push_back(entry);
    }
    ASSERT_EQ(changed.size(), 1u) << "exactly one key changes";
    const unsigned at = changed[0] * 3;
    EXPECT_EQ((std::vector<uint8_t>{read.at(at), read.at(at + 1), read.at(at + 2)}), (std::vector<uint8_t>{0x20, 0, 0x04}))
        << "the changed key was A";
    EXPECT_EQ((std::vector<uint8_t>{written[at], written[at + 1], written[at + 2]}), (std::vector<uint8_t>{0x20, 0, 0x05}))
        << "and is now B";
}
#endif
