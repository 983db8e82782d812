// One device-watcher pass with 64 HID interfaces present: a fixture sysfs tree of 60 hidraw
// nodes (none of ours) plus the emulated keyboard on the virtual bus (its five paths).
#include <benchmark/benchmark.h>


#include "device/DeviceWatcher.h"
#include "integration/BusFixture.h"
#include "support/SysfsFixture.h"

namespace {

struct NullHost : DeviceWatcherHost {
    void deviceArrived(uint16_t, uint16_t) override {}
    void deviceRemoved(uint16_t, uint16_t) override {}
    void postActivation() override {}
};

void BM_WatcherPass64(benchmark::State& state) {
    testsupport::SysfsFixture sysfs;
    for (unsigned i = 0; i < 60; ++i)
        sysfs.addNode(i, 0xF00D, uint16_t(0xC000 + i), 0, testsupport::vendorCommandDescriptor());
    testsupport::TempDir busDir;
    sim::VirtualBus bus(busDir.path(), sim::BusOptions{"", false});
    if (!bus.running() || !bus.plug("kb")) return state.SkipWithError("no bus");
    HidRoots roots;
    roots.sysfs = sysfs.sysfs();
    roots.dev = sysfs.dev();
    roots.vhidBus = busDir.path();
    SlotList slots;
    NullHost host;
    DeviceWatcher watcher(slots, host, roots);
    watcher.pass();  // the keyboard's slots fill; later passes search for the empty rows
    HidTransport probe(roots);
    probe.enumerate();
    state.counters["interfaces"] = double(probe.pathCount());
    for (auto _ : state) watcher.pass();
}
BENCHMARK(BM_WatcherPass64)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
