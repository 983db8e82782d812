// The effect thread against the emulated keyboard, with the test's main thread in the UI
// thread's place. Run under ThreadSanitizer, these are the engine's race checks.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "integration/BusFixture.h"
#include "lighting/EffectEngine.h"
#include "lighting/EffectTables.h"
#include "lighting/EffectThread.h"
#include "platform/DebugLog.h"
#include "platform/StopEvent.h"

using namespace lighting;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

std::atomic<bool> exitLogged{false};
void watchLog(const std::string& line) {
    if (line == "键盘灯光线程设定退出") exitLogged = true;
}

class EffectThreadTest : public testsupport::BusTest {
protected:
    void SetUp() override {
        BusTest::SetUp();
        exitLogged = false;
        setDebugLogSink(watchLog);
        for (int i = 0; i < kWireFrameSize; ++i) custom[i] = uint8_t(i * 7 + 1);
    }
    void TearDown() override {
        stop.set();
        if (worker.joinable()) worker.join();
        setDebugLogSink(nullptr);
    }
    void start(std::chrono::milliseconds startWait = 0ms) {
        worker = std::thread([this, startWait] { runEffectThread(stop, kb, engine, startWait); });
    }
    // How long the thread takes to end once its stop event is set.
    std::chrono::milliseconds stopAndJoin() {
        const auto t0 = Clock::now();
        stop.set();
        worker.join();
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0);
    }
    WireFrame deviceFrame() const {
        std::vector<uint8_t> bytes;
        WireFrame f{};
        if (bus.peek("kb", sim::Area::Frame, 0, kWireFrameSize, &bytes)) std::copy(bytes.begin(), bytes.end(), f.begin());
        return f;
    }
    // The custom set at full brightness, as the keyboard should receive it.
    WireFrame customFrame() const {
        WireFrame f{};
        for (int16_t n : kLedOfPicture)
            if (n != kNoLed)
                for (int c = 0; c < 3; ++c) f[3 * n + c] = uint8_t(custom[3 * n + c] * 255 / 256);
        return f;
    }
    bool deviceShowsWithin(const WireFrame& expected, std::chrono::milliseconds limit) const {
        for (const auto end = Clock::now() + limit; Clock::now() < end; std::this_thread::sleep_for(10ms))
            if (deviceFrame() == expected) return true;
        return false;
    }

    LightingPhase phase;
    EffectEngine engine{phase};
    StopEvent stop;
    std::thread worker;
    std::array<uint8_t, kWireFrameSize> custom{};
};

TEST_F(EffectThreadTest, UiThreadDrivesTheEngineWhileTheThreadStreams) {
    start();
    EffectInputs in;
    in.brightness = 4, in.speed = 0, in.red = 90, in.customSet = custom.data(), in.roller = {1, 2, 3};
    int lastMode = -1;
    unsigned presented = 0;
    for (int tick = 0; tick < 150; ++tick) {
        const int mode = (tick / 12) % 11;  // 0..9 and an unknown mode
        in.mode = uint8_t(mode);
        in.multiColour = uint8_t(tick & 1);
        in.direction = uint8_t(tick / 5 & 1);
        in.rollerOn = tick % 7 == 0;
        custom[tick % kWireFrameSize] ^= 0x55;
        engine.publish(in);
        if (mode != lastMode) {
            engine.resetEffectState();
            if (mode == 4) engine.primePhases();
            if (mode == 5) engine.seedBounce();
            lastMode = mode;
        }
        if (mode == 9 || mode == 6) engine.markRipple(tick % 140);
        phase.advance();
        WireFrame wire;
        if (engine.presentFrame(wire)) {
            kb.streamFrame(wire.data(), kWireFrameSize);
            ++presented;
        }
        for (int p = 0; p < kKeyPictures; p += 11) (void)engine.preview(p);
        (void)engine.takeBreathingCycles();
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_GT(presented, 50u);

    // The custom mode's frames come from the thread alone.
    in.mode = 8, in.rollerOn = false, in.customSet = custom.data();
    engine.publish(in);
    EXPECT_TRUE(deviceShowsWithin(customFrame(), 3s));
    EXPECT_LT(stopAndJoin(), 500ms);
    EXPECT_TRUE(exitLogged);
}

TEST_F(EffectThreadTest, StopEndsTheThreadPromptly) {
    start(3000ms);  // the start wait
    std::this_thread::sleep_for(30ms);
    EXPECT_LT(stopAndJoin(), 500ms);
    EXPECT_TRUE(exitLogged);

    // The slowest pass: bouncing ripple at speed 4 waits 65 + 50 ms.
    stop.reset();
    EffectInputs in;
    in.mode = 5, in.speed = 4;
    engine.publish(in);
    start();
    std::this_thread::sleep_for(150ms);
    EXPECT_LT(stopAndJoin(), 300ms);
}

TEST_F(EffectThreadTest, HeldEffectsSendNothingUntilReleased) {
    EffectInputs in;
    in.mode = 8, in.brightness = 4, in.customSet = custom.data();
    engine.publish(in);
    kb.effectsHeld = true;
    start();
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(deviceFrame(), WireFrame{});
    kb.effectsHeld = false;
    EXPECT_TRUE(deviceShowsWithin(customFrame(), 3s));
}

}  // namespace
