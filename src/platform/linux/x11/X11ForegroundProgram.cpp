// The program in front on X11: the root window's _NET_ACTIVE_WINDOW, the process of its client,
// the executable of that process.
//
// The window a window manager names as active may be gone already (it can keep the property for
// half a second or more after the window closed): every request about it may fail with BadWindow.
// Xlib's default error handler ends the process, so this file traps errors on its own
// connection and answers "none" instead; errors of other connections still reach the handler
// that was there before.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <limits.h>
#include <unistd.h>

#ifdef ZELKAR_HAVE_XRES
#include <X11/extensions/XRes.h>
#endif

#include <atomic>
#include <mutex>
#include <optional>
#include <string>

#include "platform/DebugLog.h"
#include "platform/ForegroundProgram.h"

namespace {

std::atomic<Display*> g_ours{nullptr};
std::atomic<int> g_trappedErrors{0};
XErrorHandler g_previous = nullptr;

int trapErrors(Display* display, XErrorEvent* event) {
    if (display == g_ours.load()) {
        g_trappedErrors.fetch_add(1);
        return 0;
    }
    return g_previous ? g_previous(display, event) : 0;
}

class UnavailableForeground : public ForegroundProgram {
public:
    ForegroundAnswer query() override { return {ForegroundAnswer::unavailable, {}}; }
};

class X11ForegroundProgram : public ForegroundProgram {
public:
    explicit X11ForegroundProgram(Display* display) : display_(display) {
        static std::once_flag installed;
        std::call_once(installed, [] { g_previous = XSetErrorHandler(trapErrors); });
        g_ours.store(display_);
        activeWindow_ = XInternAtom(display_, "_NET_ACTIVE_WINDOW", False);
        wmCheck_ = XInternAtom(display_, "_NET_SUPPORTING_WM_CHECK", False);
        wmPid_ = XInternAtom(display_, "_NET_WM_PID", False);
#ifdef ZELKAR_HAVE_XRES
        int event = 0, error = 0;
        hasXRes_ = XResQueryExtension(display_, &event, &error);
#endif
    }
    ~X11ForegroundProgram() override {
        g_ours.store(nullptr);
        XCloseDisplay(display_);
    }

    ForegroundAnswer query() override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!windowManagerRuns()) return {ForegroundAnswer::unavailable, {}};
        const std::optional<unsigned long> active = cardinal(DefaultRootWindow(display_), activeWindow_, XA_WINDOW);
        if (!active) return {ForegroundAnswer::unavailable, {}};  // the window manager does not tell
        if (*active == 0) return {};
        const Window window = Window(*active);
        // The window's own pid first: asking fails when the window has gone, while the X server
        // would still name the client of a closed window as long as that client is connected.
        const std::optional<unsigned long> ownPid = cardinal(window, wmPid_, XA_CARDINAL);
        if (lastRequestFailed_) return {};
        unsigned long pid = processOfClient(window);
        if (pid == 0) pid = ownPid.value_or(0);
        if (pid == 0 || pid > unsigned(INT_MAX)) return {};
        return executableOf(pid);
    }

private:
    // A window manager that follows the desktop conventions names a window of its own on the root
    // window, and that window names itself. A manager that has gone can leave _NET_ACTIVE_WINDOW
    // behind on the root window; its check window has gone with it.
    bool windowManagerRuns() {
        const std::optional<unsigned long> check = cardinal(DefaultRootWindow(display_), wmCheck_, XA_WINDOW);
        if (!check || *check == 0) return false;
        const std::optional<unsigned long> self = cardinal(Window(*check), wmCheck_, XA_WINDOW);
        return self && *self == *check;
    }

    // A 32-bit property of one item; nothing when the window or the property does not exist.
    std::optional<unsigned long> cardinal(Window window, Atom property, Atom type) {
        const int errorsBefore = g_trappedErrors.load();
        Atom actualType = None;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        const int status = XGetWindowProperty(display_, window, property, 0, 1, False, type, &actualType, &format,
                                              &items, &after, &data);
        XSync(display_, False);
        std::optional<unsigned long> value;
        lastRequestFailed_ = status != Success || g_trappedErrors.load() != errorsBefore;
        if (!lastRequestFailed_ && actualType == type && format == 32 &&
            items == 1 && data)
            value = reinterpret_cast<unsigned long*>(data)[0];
        if (data) XFree(data);
        return value;
    }

    // The process of the client that made the window, as the X server knows it (0: unknown).
    unsigned long processOfClient(Window window) {
#ifdef ZELKAR_HAVE_XRES
        if (!hasXRes_) return 0;
        const int errorsBefore = g_trappedErrors.load();
        XResClientIdSpec asked{window, XRES_CLIENT_ID_PID_MASK};
        long count = 0;
        XResClientIdValue* ids = nullptr;
        const Status status = XResQueryClientIds(display_, 1, &asked, &count, &ids);
        XSync(display_, False);
        pid_t pid = 0;
        if (status == Success && g_trappedErrors.load() == errorsBefore)
            for (long i = 0; i < count && pid <= 0; ++i) pid = XResGetClientPid(&ids[i]);
        if (ids) XResClientIdsDestroy(count, ids);
        return pid > 0 ? static_cast<unsigned long>(pid) : 0;
#else
        (void)window;
        return 0;
#endif
    }

    static ForegroundAnswer executableOf(unsigned long pid) {
        const std::string link = "/proc/" + std::to_string(pid) + "/exe";
        char buffer[PATH_MAX];
        const ssize_t length = ::readlink(link.c_str(), buffer, sizeof buffer - 1);
        if (length <= 0) return {};  // the process has gone, or is not ours to look at
        std::string path(buffer, std::size_t(length));
        static const std::string deleted = " (deleted)";  // replaced on disk while it runs
        if (path.size() > deleted.size() && path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0)
            path.resize(path.size() - deleted.size());
        return {ForegroundAnswer::program, path};
    }

    Display* display_;
    std::mutex mutex_;
    Atom activeWindow_ = None;
    Atom wmCheck_ = None;
    bool lastRequestFailed_ = false;
    Atom wmPid_ = None;
    bool hasXRes_ = false;
};

}  // namespace

std::shared_ptr<ForegroundProgram> makeForegroundProgram() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        debugLog("foreground program: no X display; program switching is off");
        return std::make_shared<UnavailableForeground>();
    }
    return std::make_shared<X11ForegroundProgram>(display);
}
