// The CPU floor of the lighting stream: what the 800 blocking exchanges a second cost a process that
// does nothing else. It finds the keyboard's command collection the way the program does, then sends
// one 396-byte frame through a DeviceChannel every 10 ms (absolute deadlines, so late frames do not
// drift the period) and prints its own CPU as a share of one core. The program's CPU while it
// streams is compared against this figure, measured in the same run on the same machine.
//
//   stream_floor [SECONDS]     (default 10; the bus is found as the program finds it)
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <sys/resource.h>

#include "device/DeviceChannel.h"
#include "device/HidTransport.h"
#include "device/SupportedDevice.h"

namespace {

constexpr unsigned kFrameBytes = 396;
constexpr long kPeriodNs = 10'000'000;

// The path of the keyboard's command collection: the first table row, matched on the path's
// four numbers and then on what the interface says of itself, as the watcher does.
std::string findKeyboard() {
    const SupportedDevice& row = kSupportedDevices[0];
    HidTransport probe;
    if (!probe.enumerate()) return {};
    while (const char* path = probe.nextPath()) {
        if (parseVendorId(path) != row.vendorId || parseProductId(path) != row.productId ||
            parseInterfaceNumber(path) != row.interfaceNumber || parseCollectionNumber(path) != row.collectionNumber)
            continue;
        const std::string found = path;
        if (!probe.open(found, true, false, true, false)) continue;
        const bool same = probe.usagePage() == row.usagePage && probe.usage() == row.usage;
        probe.close();
        if (same) return found;
    }
    return {};
}

// Time this thread has spent on a CPU, in ns, as the scheduler counts it (the same counter the
// measuring script reads for the program's threads).
long long scheduledNs() {
    FILE* f = std::fopen("/proc/thread-self/schedstat", "r");
    long long ns = -1;
    if (f) {
        if (std::fscanf(f, "%lld", &ns) != 1) ns = -1;
        std::fclose(f);
    }
    return ns;
}

double seconds(const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; }

void addNs(timespec* t, long ns) {
    t->tv_nsec += ns;
    while (t->tv_nsec >= 1'000'000'000) {
        t->tv_nsec -= 1'000'000'000;
        ++t->tv_sec;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int duration = argc > 1 ? std::atoi(argv[1]) : 10;
    if (duration <= 0 || duration > 3600) {
        std::fprintf(stderr, "usage: stream_floor [SECONDS 1..3600]\n");
        return 2;
    }
    const std::string path = findKeyboard();
    DeviceChannel channel;
    if (path.empty() || channel.connect(path) != 1) {
        std::fprintf(stderr, "stream_floor: no emulated or real keyboard found\n");
        return 1;
    }
    uint8_t frame[kFrameBytes] = {};
    const long frames = long(duration) * (1'000'000'000 / kPeriodNs);
    long answered = 0;

    rusage before {};
    getrusage(RUSAGE_SELF, &before);
    const long long ns0 = scheduledNs();
    timespec start {};
    clock_gettime(CLOCK_MONOTONIC, &start);
    timespec due = start;
    for (long i = 0; i < frames; ++i) {
        answered += channel.streamFrame(frame, kFrameBytes) == ResultOk;
        addNs(&due, kPeriodNs);
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr) == EINTR) {
        }
    }
    timespec end {};
    clock_gettime(CLOCK_MONOTONIC, &end);
    const long long ns1 = scheduledNs();
    rusage after {};
    getrusage(RUSAGE_SELF, &after);

    const double wall = double(end.tv_sec - start.tv_sec) + double(end.tv_nsec - start.tv_nsec) / 1e9;
    const double user = seconds(after.ru_utime) - seconds(before.ru_utime);
    const double system = seconds(after.ru_stime) - seconds(before.ru_stime);
    std::printf("floor: %ld frames (%ld x 8 exchanges) in %.2f s, %ld answered\n", frames, frames, wall, answered);
    if (ns0 >= 0 && ns1 >= 0) std::printf("floor CPU (scheduler): %.2f %% of one core\n", double(ns1 - ns0) / 1e7 / wall);
    std::printf("floor CPU (rusage): %.2f %% of one core (user %.2f %%, system %.2f %%)\n",
                100 * (user + system) / wall, 100 * user / wall, 100 * system / wall);
    std::printf("floor voluntary context switches: %ld\n", after.ru_nvcsw - before.ru_nvcsw);
    channel.disconnect();
    return answered == frames ? 0 : 1;
}
