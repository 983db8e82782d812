// The lighting phase counters that timer 3 advances every 10 ms. The keyboard effect thread reads
// them (and lowers the half-rate flag) while the UI thread advances them, so each is an atomic:
// no lock, no torn values.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

struct LightingPhase {
    static constexpr int kCounters = 6;
    // Each counter wraps to 0 when it reaches its limit; 0 means it runs free (wraps at 256).
    static constexpr std::array<uint8_t, kCounters> kWrapAt = {2, 2, 3, 4, 5, 0};
    // The reactive ripple's tick counter; the effect thread sets it back to 0 when it moves the
    // ripple, so it is the one counter with two writers.
    static constexpr int kRippleTicks = 5;

    std::array<std::atomic<uint8_t>, kCounters> counters{};
    std::atomic<bool> halfRate{false};  // raised every second tick, i.e. every 20 ms

    // UI thread only. The flag goes up after the counters, so a reader that sees it up also sees
    // this tick's counters.
    void advance() {
        bool firstWrapped = false;
        for (int i = 0; i < kCounters; ++i) {
            if (kWrapAt[i] == 0) {
                // A read-modify-write, so the effect thread's reset to 0 cannot be overwritten
                // by a tick computed from the value before it.
                counters[i].fetch_add(1, std::memory_order_relaxed);
                continue;
            }
            uint8_t next = static_cast<uint8_t>(counters[i].load(std::memory_order_relaxed) + 1);
            if (next >= kWrapAt[i]) {
                next = 0;
                firstWrapped |= i == 0;
            }
            counters[i].store(next, std::memory_order_relaxed);
        }
        if (firstWrapped) halfRate.store(true, std::memory_order_release);
    }

    // Effect thread: true, with the counter back at 0, when the ripple ticks exceed the limit.
    bool takeRippleTicks(unsigned limit) {
        uint8_t seen = counters[kRippleTicks].load(std::memory_order_relaxed);
        while (seen > limit)
            if (counters[kRippleTicks].compare_exchange_weak(seen, 0, std::memory_order_relaxed)) return true;
        return false;
    }
    // Effect thread: whether the half-rate flag was up, lowering it.
    bool takeHalfRate() { return halfRate.exchange(false, std::memory_order_acquire); }
};
