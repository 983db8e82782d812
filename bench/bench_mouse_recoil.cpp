// The recoil patterns' costs: building the table from the four pattern files (every send and
// every save to device does it), writing one step from the editor (every keystroke in its
// fields does it), and sending the table to the emulated mouse over the virtual bus.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "integration/BusFixture.h"
#include "macro/RecoilPatterns.h"
#include "macro/RecoilTable.h"

namespace {

std::string sourceDir() {
    const char* dir = std::getenv("ZELKAR_SOURCE_DIR");
    return dir ? dir : ZELKAR_SOURCE_DIR_DEFAULT;
}

struct Rig {
    testsupport::TempDir dir;
    std::string folder = dir.path() + "/ms/";
    macro::RecoilStore store{folder, sourceDir() + "/defaults/"};
    sim::VirtualBus bus{dir.path() + "/bus"};
    DeviceChannel mouse{testsupport::busRoots(dir.path() + "/bus")};
    bool ready = false;

    Rig() {
        std::filesystem::create_directories(folder);
        if (!store.setUp() || !bus.running() || !bus.plug("mouse")) return;
        HidTransport transport(testsupport::busRoots(dir.path() + "/bus"));
        if (!transport.enumerate()) return;
        while (const char* p = transport.nextPath())
            if (parseProductId(p) == 0x6656 && parseInterfaceNumber(p) == 1) ready = mouse.connect(p) == 1;
    }
    size_t requests() {
        size_t n = 0;
        for (const sim::WireRecord& r : bus.wireRecords()) n += r.dir == sim::WireDir::Out;
        bus.clearWireRecords();
        return n;
    }
};

Rig& rig() {
    static Rig* r = new Rig;
    return *r;
}

void BM_RecoilTableFromFiles(benchmark::State& state) {
    Rig& r = rig();
    if (!r.ready) return state.SkipWithError("no pattern files or no emulated mouse");
    for (auto _ : state) {
        std::vector<uint8_t> table;
        int surplus = 0;
        benchmark::DoNotOptimize(
            macro::buildImageFor(r.store.loadPatterns(), macro::kRecoilTableCapacity, &table, &surplus));
    }
}
BENCHMARK(BM_RecoilTableFromFiles)->UseRealTime()->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();

void BM_RecoilStepWrite(benchmark::State& state) {
    Rig& r = rig();
    if (!r.ready) return state.SkipWithError("no pattern files or no emulated mouse");
    int k = 0;
    for (auto _ : state) {
        const macro::RecoilStep step{10 * (k % 100), k % 256, (k & 1) != 0, (k * 3) % 256, (k & 2) != 0};
        benchmark::DoNotOptimize(r.store.saveStep(1, k % macro::kRecoilSteps, step));
        ++k;
    }
}
BENCHMARK(BM_RecoilStepWrite)->UseRealTime()->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();

void BM_RecoilTableSend(benchmark::State& state) {
    Rig& r = rig();
    if (!r.ready) return state.SkipWithError("no pattern files or no emulated mouse");
    std::vector<uint8_t> table;
    int surplus = 0;
    macro::buildImageFor(r.store.loadPatterns(), macro::kRecoilTableCapacity, &table, &surplus);
    r.requests();
    for (auto _ : state) benchmark::DoNotOptimize(macro::sendRecoilTable(r.mouse, table));
    state.counters["bytes"] = double(table.size());
    state.counters["exchanges"] = double(r.requests()) / double(state.iterations());
}
BENCHMARK(BM_RecoilTableSend)->UseRealTime()->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

}  // namespace

BENCHMARK_MAIN();
