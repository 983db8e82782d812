#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "lighting/EffectEngine.h"
#include "lighting/EffectTables.h"
#include "lighting/ReferenceEffects.h"

using namespace lighting;

namespace {

class EngineTest : public ::testing::Test {
protected:
    void publish() { engine.publish(in); }
    // One pass of the effect thread (without its waits).
    bool pass() {
        engine.applyRequests();
        const bool sent = engine.renderFrame(wire);
        engine.endPass();
        return sent;
    }
    std::array<uint8_t, 3> led(int n) const { return {wire[3 * n], wire[3 * n + 1], wire[3 * n + 2]}; }

    LightingPhase phase;
    EffectEngine engine{phase};
    EffectInputs in;
    WireFrame wire{};
};

uint32_t argb(int a, int r, int g, int b) { return uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }

TEST(EffectTablesTest, SizesAndKnownRows) {
    int mapped = 0;
    for (int16_t n : kLedOfPicture) mapped += n != kNoLed;
    EXPECT_EQ(mapped, 112);
    EXPECT_EQ(kLedOfPicture[12], 13);
    EXPECT_EQ(kLedOfPicture[62], 115);
    EXPECT_EQ(kLedOfPicture[116], 129);  // past a signed byte
    EXPECT_EQ(kLedOfPicture[119], 65);
    EXPECT_EQ(kLedOfPicture[79], kNoLed);
    EXPECT_EQ(ledOfPicture(132), kNoLed);
    EXPECT_EQ(ledOfPicture(-1), kNoLed);
    EXPECT_EQ(kColumnTable[7], (Column{-1, 27, 48, 69, 90, 62}));
    EXPECT_EQ(kColumnTable[22], (Column{-1, 41, 119, -1, 118, -1}));
    EXPECT_EQ(kKeyPath.front(), 101);
    EXPECT_EQ(kKeyPath.back(), 77);
    const std::vector<std::array<int, 4>> wheelRows = {
        {0, 255, 1, 0}, {31, 255, 255, 0}, {32, 248, 255, 0}, {100, 0, 194, 255}, {159, 255, 0, 255}, {191, 255, 0, 0}};
    for (const auto& [i, r, g, b] : wheelRows) {
        SCOPED_TRACE(i);
        EXPECT_EQ(kWheel[i].r, r);
        EXPECT_EQ(kWheel[i].g, g);
        EXPECT_EQ(kWheel[i].b, b);
    }
    EXPECT_EQ(kCurve96[0], 22);
    EXPECT_EQ(kCurve96[48], 255);
    EXPECT_EQ(kCurve96[95], 22);
    EXPECT_EQ(kCurve128[64], 255);
    EXPECT_EQ(kCurve128[126], 1);
    EXPECT_EQ(kDelayMs[2][4], 63);
    EXPECT_EQ(kDelayMs[5][0], 15);
    EXPECT_EQ(kDelayMs[7][0], 10);
    EXPECT_EQ(kDelayMs[8][3], 53);
    EXPECT_EQ(kExtraWaitMs, (std::array<uint8_t, 10>{0, 20, 0, 0, 12, 50, 15, 1, 0, 0}));
    EXPECT_EQ(kLevelOfBrightness, (std::array<uint8_t, 5>{0, 64, 128, 190, 255}));
    EXPECT_EQ(kStage0[6], (std::array<int8_t, 6>{6, 112, 24, 97, 42, 119}));
    EXPECT_EQ(kStage0[19], (std::array<int8_t, 6>{31, 94, -1, -1, -1, -1}));
    EXPECT_EQ(kStage1Pairs[15], (std::array<uint8_t, 2>{72, 53}));
}

// Every mode, both directions, single and multi-colour, against the reference rendering: the
// frame buffer, the preview and the wire frame, byte for byte, over enough passes to wrap every
// step and to run the staged show and the ripples through.
TEST_F(EngineTest, EveryModeMatchesTheReferenceFrameByFrame) {
    struct Variant {
        int mode, multi, direction;
    };
    std::vector<Variant> variants;
    for (int mode : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 12})
        for (int multi : {0, 1})
            for (int direction : {0, 1}) variants.push_back({mode, multi, direction});

    long comparisons = 0;
    for (const Variant& v : variants) {
        SCOPED_TRACE(testing::Message() << "mode " << v.mode << " multi " << v.multi << " left " << v.direction);
        LightingPhase counters;
        EffectEngine eng(counters);
        auto ref = std::make_unique<reference::Model>();
        std::array<uint8_t, kWireFrameSize> custom{};
        for (int i = 0; i < kWireFrameSize; ++i) custom[i] = uint8_t(i * 37 + 11);

        EffectInputs input;
        input.mode = uint8_t(v.mode);
        input.brightness = uint8_t(2 + (v.mode + v.multi + v.direction) % 3);
        input.speed = uint8_t(v.mode % 5);
        input.direction = uint8_t(v.direction);
        input.multiColour = uint8_t(v.multi);
        input.red = 200, input.green = 100, input.blue = 50;
        input.rollerOn = v.multi && v.direction;
        input.roller = {7, 8, 9};
        input.customSet = custom.data();
        eng.publish(input);
        ref->mode = v.mode, ref->brightness = input.brightness, ref->speed = input.speed;
        ref->direction = v.direction, ref->multi = v.multi, ref->R = 200, ref->G = 100, ref->B = 50;
        ref->rollerOn = input.rollerOn, ref->roller[0] = 7, ref->roller[1] = 8, ref->roller[2] = 9;
        std::copy(custom.begin(), custom.end(), ref->custom);

        eng.resetEffectState();
        ref->reset();
        if (v.mode == 4) eng.primePhases(), ref->prime();
        if (v.mode == 5) eng.seedBounce(), ref->seed();

        unsigned breathing = 0;
        for (int p = 0; p < 300; ++p) {
            SCOPED_TRACE(p);
            for (int t = 0; t < (p % 3 == 0 ? 2 : 1); ++t) counters.advance(), ref->timerTick();
            if (v.mode == 9 && p % 60 == 0) eng.markRipple(52 + p / 60), ref->mark(52 + p / 60);
            eng.applyRequests();
            WireFrame w{};
            const bool sent = eng.renderFrame(w);
            eng.endPass();
            ref->pass();
            breathing += eng.takeBreathingCycles();
            ASSERT_EQ(eng.state().step, ref->step);
            ASSERT_EQ(eng.state().hue, ref->hue);
            if (v.mode == 8 || v.mode == 9) {
                ASSERT_EQ(sent, ref->sent);
                if (!sent) continue;
                ASSERT_FALSE(eng.presentFrame(w)) << "the presenter would send a second frame";
            } else {
                ASSERT_FALSE(sent);
                ASSERT_TRUE(eng.presentFrame(w));
                ref->present();
                for (int i = 0; i < kKeyPictures; ++i) {
                    const int* f = ref->frame[i];
                    ASSERT_EQ(eng.frameEntry(i), argb(f[3], f[0], f[1], f[2])) << "frame entry " << i;
                }
            }
            for (int i = 0; i < kKeyPictures; ++i) ASSERT_EQ(eng.preview(i), ref->preview[i]) << "preview " << i;
            for (int i = 0; i < kWireFrameSize; ++i) ASSERT_EQ(w[i], ref->wire[i]) << "wire byte " << i;
            ++comparisons;
        }
        EXPECT_EQ(breathing, unsigned(ref->breathingCycles));
    }
    // Modes 8 and 9 (and the ripple's quiet passes) must still have produced most frames.
    EXPECT_GT(comparisons, 5000);
}

TEST_F(EngineTest, StepWrapsBothWays) {
    in.mode = 1;
    in.direction = 0;
    publish();
    pass();
    EXPECT_EQ(engine.state().step, 191);
    in.direction = 1;
    publish();
    pass();
    EXPECT_EQ(engine.state().step, 0);
}

TEST_F(EngineTest, StaticColourIsScaledInTheBufferAndAgainOnTheWire) {
    in.mode = 3, in.brightness = 2, in.red = 200, in.green = 100, in.blue = 50;
    publish();
    pass();
    ASSERT_TRUE(engine.presentFrame(wire));
    for (int i = 0; i < kKeyPictures; ++i) EXPECT_EQ(engine.frameEntry(i), argb(128, 100, 50, 25)) << i;
    EXPECT_EQ(engine.preview(0), argb(128, 100, 50, 25));  // true colour, not a channel swap
    for (int i = 0; i < kKeyPictures; ++i)
        if (kLedOfPicture[i] != kNoLed) {
            EXPECT_EQ(led(kLedOfPicture[i]), (std::array<uint8_t, 3>{50, 25, 12})) << i;
        }
}

TEST_F(EngineTest, SingleColourWaveReadsTheCurveThreeAheadInColumnZero) {
    in.mode = 0, in.brightness = 4, in.direction = 1, in.red = 255;
    publish();
    pass();  // step 1
    EXPECT_EQ(engine.frameEntry(16) >> 24, (255u * kCurve96[4]) >> 8);
    EXPECT_EQ(engine.frameEntry(21) >> 24, (255u * kCurve96[7]) >> 8);  // column 1
}

TEST_F(EngineTest, PrimedPhasesAndTheirWrap) {
    engine.primePhases();
    engine.applyRequests();
    EXPECT_EQ(engine.state().phase[0], 33);
    EXPECT_EQ(engine.state().phase[5], 6);
    EXPECT_EQ(engine.state().phase[63], 192);  // a full turn lands on 192, not past it
    in.mode = 4, in.brightness = 4;
    publish();
    pass();
    EXPECT_EQ(engine.state().phase[63], 0);
    EXPECT_EQ(engine.frameEntry(63), argb(255, 255, 1, 0));
}

TEST_F(EngineTest, RippleMarksAndTheirOrderAroundAReset) {
    engine.markRipple(52);
    engine.applyRequests();
    for (const auto& rows : engine.state().ripple) EXPECT_EQ(rows[11], 1 << 2);

    // Marks before a reset are cleared with it, marks after it stay; bad pictures do nothing.
    engine.markRipple(3);
    engine.resetEffectState();
    for (int bad : {-1, 120, 132, 1000}) engine.markRipple(bad);
    engine.markRipple(0);
    engine.applyRequests();
    for (const auto& rows : engine.state().ripple)
        for (int c = 0; c < kColumns; ++c) EXPECT_EQ(rows[c], c == 2 ? 1 : 0) << c;
}

TEST_F(EngineTest, SlowLadderFrom255) {
    in.mode = 9, in.speed = 0;
    publish();
    engine.markRipple(52);
    phase.counters[LightingPhase::kRippleTicks] = 3;  // just past 3 x 0 + 2
    std::vector<int> levels;
    for (int i = 0; i < 15; ++i) {
        phase.halfRate = true;
        ASSERT_TRUE(pass());
        levels.push_back(engine.state().fade[52]);
    }
    EXPECT_EQ(levels, (std::vector<int>{225, 195, 165, 135, 105, 85, 65, 45, 35, 25, 20, 15, 11, 7, 0}));
    EXPECT_EQ(phase.counters[LightingPhase::kRippleTicks], 0);
    phase.halfRate = false;
    EXPECT_FALSE(pass()) << "no frame between two half-rate ticks";
}

// Whatever the mode: pictures without an LED never reach the wire (their previews still show),
// LEDs without a picture stay dark, and the roller LEDs carry the roller colour.
TEST_F(EngineTest, WireCarriesOnlyMappedLedsAndTheRollerInEveryMode) {
    std::array<uint8_t, kWireFrameSize> white;
    white.fill(255);
    in.brightness = 4, in.red = in.green = in.blue = 255, in.customSet = white.data();
    in.rollerOn = true, in.roller = {7, 8, 9};
    for (int mode : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 12}) {
        SCOPED_TRACE(mode);
        in.mode = uint8_t(mode);
        publish();
        engine.resetEffectState();
        for (int k = 0; k < kKeyPictures; ++k) engine.markRipple(k);
        wire.fill(0xEE);
        phase.counters[LightingPhase::kRippleTicks] = 200;
        phase.halfRate = true;
        engine.applyRequests();
        const bool own = engine.renderFrame(wire);
        ASSERT_TRUE(own || engine.presentFrame(wire));
        EXPECT_EQ(led(18), (std::array<uint8_t, 3>{7, 8, 9}));
        EXPECT_EQ(led(19), (std::array<uint8_t, 3>{7, 8, 9}));
        std::array<bool, 132> mapped{};
        for (int16_t n : kLedOfPicture)
            if (n != kNoLed) mapped[n] = true;
        for (int n = 0; n < 132; ++n)
            if (!mapped[n]) {
                EXPECT_EQ(led(n), (std::array<uint8_t, 3>{0, 0, 0})) << "LED " << n;
            }
        if (mode == 3 || mode == 8) {
            for (int p : {79, 83, 102, 120, 131}) EXPECT_EQ(engine.preview(p) != 0, mode == 3) << p;
        }
    }
}

TEST_F(EngineTest, BadInputsRenderADefinedFrame) {
    in.mode = 3, in.brightness = 9, in.red = 255;
    publish();
    pass();
    EXPECT_EQ(engine.frameEntry(0), argb(255, 254, 0, 0)) << "brightness above 4 is the top level";

    in.mode = 12;  // an unknown mode: dark, presented, paced by the common row
    publish();
    pass();
    ASSERT_TRUE(engine.presentFrame(wire));
    for (int i = 0; i < kKeyPictures; ++i) EXPECT_EQ(engine.frameEntry(i), 0u);
    EXPECT_EQ(wire, WireFrame{});
    EXPECT_EQ(engine.extraWaitMs(), 0);

    in.speed = 200;
    for (auto [mode, delay] : std::vector<std::pair<int, int>>{{2, 63}, {9, 9}, {12, 65}}) {
        in.mode = uint8_t(mode);
        publish();
        EXPECT_EQ(engine.passDelayMs(), delay) << mode;
    }

    in.mode = 8, in.brightness = 4, in.customSet = nullptr;
    publish();
    wire.fill(0xEE);
    ASSERT_TRUE(pass());
    EXPECT_EQ(wire, WireFrame{});
    WireFrame untouched;
    untouched.fill(0xEE);
    EXPECT_FALSE(engine.presentFrame(untouched));
    EXPECT_EQ(untouched[0], 0xEE);
}

}  // namespace
