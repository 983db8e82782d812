// zelkar-vhid: publishes emulated Zelkar devices on the virtual device bus and takes control
// commands on standard input. See sim/README.md.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <string>
#include <sys/signalfd.h>
#include <unistd.h>
#include <vector>

#include "device/hid/VhidProtocol.h"
#include "sim/ControlConsole.h"
#include "sim/DeviceCatalog.h"
#include "sim/VirtualBus.h"

#ifndef ZELKAR_VERSION
#define ZELKAR_VERSION "unknown"
#endif

namespace {

const char kUsage[] =
    "usage: zelkar-vhid [--bus DIR] [--devices LIST] [--wire-log FILE] [--help] [--version]\n"
    "\n"
    "Publishes emulated Zelkar devices on the virtual device bus, so the program can be tried\n"
    "without hardware.\n"
    "\n"
    "  --bus DIR        bus directory (default: %s)\n"
    "  --devices LIST   comma list of kb, small, companion, mouse, pad to plug at start (default: kb)\n"
    "  --wire-log FILE  write every report in both directions to FILE as JSON lines\n"
    "  -h, --help       show this text and exit\n"
    "  -V, --version    show the version and exit\n"
    "\n"
    "Control commands, one per line on standard input, each answered with one line:\n"
    "  plug DEV | unplug DEV | notify DEV USAGE | peek DEV AREA OFFSET LENGTH |\n"
    "  poke DEV AREA OFFSET HEX | frame DEV | fault DEV KIND [ARG...] | devices | help | quit\n"
    "Fault kinds: drop N | delay N MS | status CMD STATUS [NTH] | unplug-after N |\n"
    "  wrong-id N | short N | clear\n"
    "At end of input the devices stay up until SIGINT or SIGTERM.\n";

void say(const std::string& line) {
    const std::string out = line + "\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
}

std::vector<std::string> splitList(const std::string& list) {
    std::vector<std::string> out;
    std::string item;
    for (char c : list + ",") {
        if (c != ',') {
            item += c;
            continue;
        }
        if (!item.empty()) out.push_back(item);
        item.clear();
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    std::string busDir = vhid::defaultBusDir();
    std::string deviceList = "kb";
    std::string wireLog;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string* into) {
            if (i + 1 >= argc) return false;
            *into = argv[++i];
            return true;
        };
        if (arg == "--help" || arg == "-h") {
            std::printf(kUsage, vhid::defaultBusDir().c_str());
            return 0;
        }
        if (arg == "--version" || arg == "-V") {
            std::printf("zelkar-vhid %s\n", ZELKAR_VERSION);
            return 0;
        }
        std::string* into = arg == "--bus"        ? &busDir
                            : arg == "--devices"  ? &deviceList
                            : arg == "--wire-log" ? &wireLog
                                                  : nullptr;
        if (!into) {
            std::fprintf(stderr, "zelkar-vhid: unknown option '%s' (try --help)\n", arg.c_str());
            return 2;
        }
        if (!value(into)) {
            std::fprintf(stderr, "zelkar-vhid: option '%s' needs a value (try --help)\n", arg.c_str());
            return 2;
        }
    }
    const std::vector<std::string> devices = splitList(deviceList);
    for (const std::string& d : devices)
        if (!sim::findDevice(d)) {
            std::fprintf(stderr, "zelkar-vhid: unknown device '%s' (kb, small, companion, mouse, pad)\n", d.c_str());
            return 2;
        }

    // SIGINT and SIGTERM arrive through a signalfd; block them before the bus thread starts so
    // that it inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigprocmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    const int signalFd = signalfd(-1, &stopSignals, SFD_CLOEXEC);
    if (signalFd < 0) {
        std::fprintf(stderr, "zelkar-vhid: signalfd: %s\n", std::strerror(errno));
        return 1;
    }

    sim::BusOptions options;
    options.wireLogPath = wireLog;
    options.keepWireRecords = false;
    sim::VirtualBus bus(busDir, options);
    if (!bus.running()) {
        std::fprintf(stderr, "zelkar-vhid: %s\n", bus.error().c_str());
        return 1;
    }
    for (const std::string& d : devices) {
        std::string why;
        if (!bus.plug(d, &why)) {
            std::fprintf(stderr, "zelkar-vhid: cannot plug %s: %s\n", d.c_str(), why.c_str());
            return 1;
        }
    }
    std::string ready = "ok ready on " + busDir + ":";
    for (const std::string& d : devices) ready += " " + d;
    say(ready);

    sim::ControlConsole console(bus);
    std::string pending;
    bool inputOpen = true;
    bool quit = false;
    while (!quit) {
        pollfd fds[2] = {{signalFd, POLLIN, 0}, {STDIN_FILENO, short(inputOpen ? POLLIN : 0), 0}};
        if (::poll(fds, inputOpen ? 2 : 1, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[0].revents & POLLIN) break;  // SIGINT or SIGTERM
        if (!inputOpen || !(fds[1].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        char buffer[4096];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            // End of input: a last line without newline still counts; then wait for a signal.
            if (!pending.empty()) {
                const std::string answer = console.execute(pending, &quit);
                if (!answer.empty()) say(answer);
                pending.clear();
            }
            inputOpen = false;
            continue;
        }
        pending.append(buffer, size_t(n));
        for (size_t end; !quit && (end = pending.find('\n')) != std::string::npos;) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            const std::string answer = console.execute(line, &quit);
            if (!answer.empty()) say(answer);
        }
        if (pending.size() > 65536) {
            say("error: line too long");
            pending.clear();
        }
    }
    ::close(signalFd);
    return 0;  // the bus unplugs every device and removes its sockets on the way out
}
