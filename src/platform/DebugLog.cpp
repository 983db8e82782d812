#include "platform/DebugLog.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

std::atomic<DebugLogSink> g_sink{nullptr};

bool enabledByEnvironment() {
    // Read once: getenv is not safe against a concurrent setenv, and the switch is meant per run.
    static const bool enabled = [] {
        const char* value = std::getenv("ZELKAR_DEBUG");
        return value && *value && std::strcmp(value, "0") != 0;
    }();
    return enabled;
}

}  // namespace

void debugLog(const std::string& line) {
    if (DebugLogSink sink = g_sink.load(std::memory_order_acquire)) {
        sink(line);
        return;
    }
    if (!enabledByEnvironment()) return;
    // One fputs per line so lines of different threads do not interleave.
    std::string out = "zelkar: " + line + "\n";
    std::fputs(out.c_str(), stderr);
}

void setDebugLogSink(DebugLogSink sink) { g_sink.store(sink, std::memory_order_release); }
