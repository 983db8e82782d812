// Transfer latency over the virtual bus against the emulated keyboard: one exchange, a 512-byte
// key table (10 exchanges), a 396-byte lighting frame (8 exchanges) and the 19 exchanges of a
// keyboard read-all.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "integration/BusFixture.h"

namespace {

struct Rig {
    testsupport::TempDir dir;
    sim::VirtualBus bus{dir.path(), sim::BusOptions{"", false}};
    DeviceChannel kb{testsupport::busRoots(dir.path())};
    bool ready = false;

    Rig() {
        if (!bus.running() || !bus.plug("kb")) return;
        ready = kb.connect(testsupport::findPath(dir.path(), 0x751D, 4)) == 1;
    }
};

Rig& rig() {
    static Rig* r = new Rig;  // lives for the whole run; the bus thread outlives every benchmark
    return *r;
}

void BM_OneExchange(benchmark::State& state) {
    Rig& r = rig();
    if (!r.ready) return state.SkipWithError("no emulated keyboard");
    uint8_t block[56];
    for (auto _ : state) benchmark::DoNotOptimize(r.kb.readBlock(block, 56, 0));
}
BENCHMARK(BM_OneExchange)->UseRealTime();

void BM_KeyTable512(benchmark::State& state) {
    Rig& r = rig();
    if (!r.ready) return state.SkipWithError("no emulated keyboard");
    r.kb.setTransferSize(512);
    std::vector<uint8_t> table(512);
    for (auto _ : state) benchmark::DoNotOptimize(r.kb.readKeyTable(table.data(), 0));
}
BENCHMARK(BM_KeyTable512)->UseRealTime();

void BM_Frame396(benchmark::State& state) {
    Rig& r = rig();
    if (!r.ready) return state.SkipWithError("no emulated keyboard");
    std::vector<uint8_t> frame(396, 0x40);
    for (auto _ : state) benchmark::DoNotOptimize(r.kb.streamFrame(frame.data(), 396));
}
BENCHMARK(BM_Frame396)->UseRealTime();

// The keyboard read-all's 19 exchanges (126 keys: tables of 7 reports each). The real sequence
// also waits 10 ms before its closing command; that pause is left out here.
void BM_ReadAllExchanges(benchmark::State& state) {
    Rig& r = rig();
    if (!r.ready) return state.SkipWithError("no emulated keyboard");
    uint8_t info[33], block[56], active;
    std::vector<uint8_t> table(512);
    for (auto _ : state) {
        r.kb.beginTransfer();
        r.kb.readDeviceInfo(info);
        r.kb.setTransferSize(info[5] * 3u);
        r.kb.readDefaultKeyTable(table.data());
        r.kb.readBlock(block, 56, 0);
        r.kb.readKeyTable(table.data(), 0);
        r.kb.readBlock(&active, 1, 0);
        r.kb.beginTransfer();  // stands for the closing command without its pause
    }
}
BENCHMARK(BM_ReadAllExchanges)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
