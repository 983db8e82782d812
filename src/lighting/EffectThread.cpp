#include "lighting/EffectThread.h"

#include "device/DeviceChannel.h"
#include "platform/DebugLog.h"
#include "platform/StopEvent.h"

namespace lighting {

void runEffectThread(StopEvent& stop, DeviceChannel& keyboard, EffectEngine& engine,
                     std::chrono::milliseconds startWait) {
    using std::chrono::milliseconds;
    WireFrame wire{};
    // No reset of the stop event after the start wait: a stop set in that instant would be
    // swallowed and the thread would outlive the window.
    bool stopped = stop.wait(startWait);
    while (!stopped) {
        const bool held = keyboard.effectsHeld.load();
        // One wake-up per pass: the stop check, the effect's delay and its extra wait together.
        // The stop still ends the wait at once.
        const int waitMs = 1 + engine.passDelayMs() + (held ? 0 : engine.extraWaitMs());
        if (stop.wait(milliseconds(waitMs))) break;
        if (!keyboard.isConnected()) {
            stopped = stop.wait(milliseconds(100));
            continue;
        }
        // Requests are taken also while held, so a reset made meanwhile is in force when the
        // effect resumes.
        engine.applyRequests();
        if (!keyboard.effectsHeld.load() && engine.renderFrame(wire))
            keyboard.streamFrame(wire.data(), kWireFrameSize);
        engine.endPass();
    }
    debugLog("键盘灯光线程设定退出");
}

}  // namespace lighting
