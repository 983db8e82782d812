// Recording stand-ins for the window's lighting host and the effect engine's requests.
#pragma once

#include <string>
#include <vector>

#include "lighting/LightingHost.h"

namespace testsupport {

inline const char* deviceName(lighting::LightDevice d) {
    return d == lighting::LightDevice::keyboard ? "kb" : d == lighting::LightDevice::mouse ? "ms" : "mp";
}

// One log for host calls and effect requests, so tests see their order.
struct LightingLog : lighting::LightingHost, lighting::EffectControl {
    std::vector<std::string> events;

    void mark(lighting::LightDevice d) override { events.push_back(std::string("mark ") + deviceName(d)); }
    void save(lighting::LightDevice d) override { events.push_back(std::string("save ") + deviceName(d)); }
    void holdEffects() override { events.push_back("hold"); }
    void writeAbFlagLater() override { events.push_back("ab write"); }
    void refreshKeyLabels() override { events.push_back("labels"); }
    void resetEffectState() override { events.push_back("reset"); }
    void primePhases() override { events.push_back("prime"); }
    void seedBounce() override { events.push_back("seed"); }
    void markRipple(int picture) override { events.push_back("ripple " + std::to_string(picture)); }

    bool has(const std::string& event) const {
        for (const auto& e : events)
            if (e == event) return true;
        return false;
    }
};

}  // namespace testsupport
