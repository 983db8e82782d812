// Cost of one keyboard lighting frame per effect: the effect thread's pass (requests and the
// frame routine) plus the presenter where the effect uses it. The frames run every 9..65 ms, so
// anything near a millisecond would show in the CPU figures; the counter "allocs" must stay 0.
#include <benchmark/benchmark.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <new>

#include "lighting/EffectEngine.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

// Counts every allocation in the program, so a frame that allocates shows in its counter.
void* operator new(std::size_t n) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace lighting;

void BM_EffectFrame(benchmark::State& state) {
    const int mode = int(state.range(0));
    const bool multi = state.range(1) != 0;
    LightingPhase phase;
    EffectEngine engine(phase);
    std::array<uint8_t, kWireFrameSize> custom{};
    for (int i = 0; i < kWireFrameSize; ++i) custom[i] = uint8_t(i * 13);
    EffectInputs in;
    in.mode = uint8_t(mode), in.brightness = 3, in.speed = 0, in.direction = 1;
    in.multiColour = multi, in.red = 200, in.green = 100, in.blue = 50;
    in.rollerOn = true, in.roller = {1, 2, 3}, in.customSet = custom.data();
    engine.publish(in);
    engine.resetEffectState();
    if (mode == 4) engine.primePhases();
    if (mode == 5) engine.seedBounce();
    WireFrame wire{};
    long frames = 0;
    const long before = allocations.load();
    for (auto _ : state) {
        // The reactive ripple moves and draws on every pass here, its busiest case.
        if (mode == 9) {
            phase.halfRate.store(true, std::memory_order_relaxed);
            phase.counters[LightingPhase::kRippleTicks].store(255, std::memory_order_relaxed);
            if (frames % 16 == 0) engine.markRipple(int(frames % 132));
        }
        engine.applyRequests();
        bool send = engine.renderFrame(wire);
        if (!send) send = engine.presentFrame(wire);
        engine.endPass();
        benchmark::DoNotOptimize(send);
        benchmark::DoNotOptimize(wire.data());
        ++frames;
    }
    state.counters["allocs"] = benchmark::Counter(double(allocations.load() - before) / double(frames ? frames : 1));
}
BENCHMARK(BM_EffectFrame)->ArgNames({"mode", "multi"})->ArgsProduct({{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {0, 1}});

}  // namespace

BENCHMARK_MAIN();
