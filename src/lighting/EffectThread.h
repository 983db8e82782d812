// The keyboard lighting effect thread's body: one frame per pass, paced by the effect's delay,
// streamed to the keyboard when the effect sends its own frames (custom and reactive ripple).
#pragma once

#include <chrono>

#include "lighting/EffectEngine.h"

class DeviceChannel;
class StopEvent;

namespace lighting {

// The keyboard needs the mirror read of its arrival before frames make sense, hence the wait
// before the first pass.
constexpr std::chrono::milliseconds kEffectStartWait{3000};

// Runs until stop is set (also during the start wait), then writes its debug line and returns.
void runEffectThread(StopEvent& stop, DeviceChannel& keyboard, EffectEngine& engine,
                     std::chrono::milliseconds startWait = kEffectStartWait);

}  // namespace lighting
