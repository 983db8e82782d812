// The ten keyboard effects. Each routine is one pass over at most 132 key pictures with table
// lookups; nothing is allocated per frame.
//
// Inputs from outside the engine are taken safely, so a corrupt record or profile file can only
// change what the keyboard shows, never read past a table:
//   - a mode above 9 renders a dark frame (the frame buffer all zero; the presenter sends it, so
//     the keyboard goes dark instead of holding the last effect);
//   - a brightness index above 4 is level 255 (index 4), a speed above 4 is row 4;
//   - no custom set shows the custom mode dark;
//   - a ripple mark for a picture outside 0..131 does nothing.
// Phases can come from the hue counter, which runs to 255, so wheel lookups wrap at 192 rather
// than run past the wheel.
#include "lighting/EffectEngine.h"

#include <algorithm>

#include "lighting/EffectTables.h"

namespace lighting {
namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;

constexpr uint8_t scale(unsigned c, unsigned a) { return static_cast<uint8_t>((c * a) >> 8); }

constexpr uint32_t pack(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    return uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | b;
}

const WheelColour& wheelAt(unsigned index) { return kWheel[index % kWheelSize]; }

void putLed(WireFrame& wire, int led, uint8_t r, uint8_t g, uint8_t b) {
    wire[3 * led] = r;
    wire[3 * led + 1] = g;
    wire[3 * led + 2] = b;
}

enum Ripple { kA, kB, kC, kD };

}  // namespace

EffectEngine::EffectEngine(LightingPhase& phase) : counters_(phase) {}

// ---------------------------------------------------------------- UI thread

void EffectEngine::publish(const EffectInputs& in) {
    mode_.store(in.mode, kRelaxed);
    brightness_.store(in.brightness, kRelaxed);
    speed_.store(in.speed, kRelaxed);
    direction_.store(in.direction, kRelaxed);
    multiColour_.store(in.multiColour, kRelaxed);
    red_.store(in.red, kRelaxed);
    green_.store(in.green, kRelaxed);
    blue_.store(in.blue, kRelaxed);
    rollerOn_.store(in.rollerOn, kRelaxed);
    for (int i = 0; i < 3; ++i) roller_[i].store(in.roller[i], kRelaxed);
    for (int i = 0; i < kWireFrameSize; ++i)
        custom_[i].store(in.customSet ? in.customSet[i] : 0, kRelaxed);
}

unsigned EffectEngine::takeBreathingCycles() { return breathingCycles_.exchange(0, kRelaxed); }

void EffectEngine::resetEffectState() {
    std::lock_guard<std::mutex> lock(requestMutex_);
    // Everything queued before the reset touches only what the reset clears.
    resetPending_ = true;
    primePending_ = seedPending_ = false;
    marksPending_.reset();
    requestsPending_.store(true, std::memory_order_release);
}

void EffectEngine::primePhases() {
    std::lock_guard<std::mutex> lock(requestMutex_);
    primePending_ = true;
    requestsPending_.store(true, std::memory_order_release);
}

void EffectEngine::seedBounce() {
    std::lock_guard<std::mutex> lock(requestMutex_);
    seedPending_ = true;
    requestsPending_.store(true, std::memory_order_release);
}

void EffectEngine::markRipple(int picture) {
    if (picture < 0 || picture >= kKeyPictures) return;
    std::lock_guard<std::mutex> lock(requestMutex_);
    marksPending_.set(size_t(picture));
    requestsPending_.store(true, std::memory_order_release);
}

bool EffectEngine::presentFrame(WireFrame& wire) {
    const uint8_t mode = mode_.load(kRelaxed);
    // Modes 8 and 9 send their own frames from the effect thread; a second sender would make the
    // keys flicker between the two.
    if (mode == 8 || mode == 9) return false;
    const bool dark = mode >= kEffectModes;
    wire.fill(0);
    for (int i = 0; i < kKeyPictures; ++i) {
        const uint32_t e = dark ? 0 : frame_[i].load(kRelaxed);
        preview_[i].store(e, kRelaxed);
        const int led = kLedOfPicture[i];
        if (led == kNoLed) continue;
        const uint8_t a = uint8_t(e >> 24);
        putLed(wire, led, scale((e >> 16) & 0xFF, a), scale((e >> 8) & 0xFF, a), scale(e & 0xFF, a));
    }
    addRoller(wire);
    return true;
}

PreviewColour EffectEngine::preview(int picture) const {
    return picture >= 0 && picture < kKeyPictures ? preview_[picture].load(kRelaxed) : 0;
}

PreviewColour EffectEngine::frameEntry(int picture) const {
    return picture >= 0 && picture < kKeyPictures ? frame_[picture].load(kRelaxed) : 0;
}

// ---------------------------------------------------------------- effect thread

void EffectEngine::applyRequests() {
    if (!requestsPending_.load(std::memory_order_acquire)) return;
    bool doReset, doPrime, doSeed;
    std::bitset<kKeyPictures> marks;
    {
        std::lock_guard<std::mutex> lock(requestMutex_);
        doReset = resetPending_;
        doPrime = primePending_;
        doSeed = seedPending_;
        marks = marksPending_;
        resetPending_ = primePending_ = seedPending_ = false;
        marksPending_.reset();
        requestsPending_.store(false, kRelaxed);
    }
    if (doReset) reset();
    if (doPrime) prime();
    if (doSeed) seed();
    for (int i = 0; i < kKeyPictures; ++i)
        if (marks[size_t(i)]) markCell(i);
}

int EffectEngine::passDelayMs() const {
    const unsigned mode = mode_.load(kRelaxed);
    const unsigned speed = std::min<unsigned>(speed_.load(kRelaxed), kSpeeds - 1);
    if (mode == 9) return kRippleDelayMs;
    // An unknown mode only renders darkness; the common row paces it.
    return kDelayMs[mode < kDelayMs.size() ? mode : 0][speed];
}

int EffectEngine::extraWaitMs() const {
    const unsigned mode = mode_.load(kRelaxed);
    return mode < kExtraWaitMs.size() ? kExtraWaitMs[mode] : 0;
}

void EffectEngine::endPass() { ++hue_; }

EffectEngine::State EffectEngine::state() const { return {step_, stage_, hue_, fade_, phase_, ripple_}; }

EffectEngine::Inputs EffectEngine::snapshot() const {
    Inputs in;
    in.mode = mode_.load(kRelaxed);
    in.level = kLevelOfBrightness[std::min<unsigned>(brightness_.load(kRelaxed), kLevelOfBrightness.size() - 1)];
    in.speed = std::min<uint8_t>(speed_.load(kRelaxed), kSpeeds - 1);
    in.left = direction_.load(kRelaxed) != 0;
    in.multi = multiColour_.load(kRelaxed) != 0;
    in.red = red_.load(kRelaxed);
    in.green = green_.load(kRelaxed);
    in.blue = blue_.load(kRelaxed);
    return in;
}

bool EffectEngine::renderFrame(WireFrame& wire) {
    const Inputs in = snapshot();
    const uint8_t L = in.level;
    switch (in.mode) {
    case 0:  // wave: one colour per column, the columns spread along the wheel or the curve
        if (in.multi) {
            unsigned s = step(kWheelSize, in.left);
            for (const Column& column : kColumnTable) {
                const WheelColour& c = kWheel[s];
                for (int8_t p : column)
                    if (p != kNoPicture) setEntry(p, c.r, c.g, c.b, L);
                s += 7;
                if (s >= kWheelSize) s -= kWheelSize;
            }
        } else {
            unsigned s = step(kCurve96.size(), in.left);
            for (const Column& column : kColumnTable) {
                s += 3;
                if (s >= kCurve96.size()) s -= kCurve96.size();
                const uint8_t a = scale(L, kCurve96[s]);
                for (int8_t p : column)
                    if (p != kNoPicture) setEntry(p, in.red, in.green, in.blue, a);
            }
        }
        return false;
    case 1: {  // spectrum cycle
        const WheelColour& c = kWheel[step(kWheelSize, in.left)];
        fillAll(c.r, c.g, c.b, L);
        return false;
    }
    case 2: {  // breathing
        const uint8_t s = step(kCurve128.size(), in.left);
        if (s == 0) breathingCycles_.fetch_add(1, kRelaxed);
        const WheelColour c = in.multi ? wheelAt(s + 50u) : WheelColour{in.red, in.green, in.blue};
        fillAll(c.r, c.g, c.b, scale(L, kCurve128[s]));
        return false;
    }
    case 3:  // static
        fillAll(scale(in.red, L), scale(in.green, L), scale(in.blue, L), L);
        return false;
    case 4:  // per-key spectrum
        for (int k = 0; k < kKeyPictures; ++k) {
            // >= rather than ==: a primed phase can be exactly 192.
            phase_[k] = phase_[k] + 1 >= kWheelSize ? 0 : uint8_t(phase_[k] + 1);
            const WheelColour& c = kWheel[phase_[k]];
            setEntry(k, c.r, c.g, c.b, L);
        }
        return false;
    case 5: {  // bouncing ripple: re-seeded whenever the mark reaches the top or bottom row
        uint8_t m = 0;
        for (const auto& row : ripple_) m |= row[9];
        const uint8_t bit = m == 1 ? 0x01 : m == 64 ? 0x40 : 0;
        for (auto& row : ripple_) row[9] |= bit;
        rippleRender(in.multi);
        ripplePropagate();
        drawFades(in, true);
        return false;
    }
    case 6:  // staged show
        advanceShow(in.multi);
        drawFades(in, false);
        return false;
    case 7:  // path flow along the snake
        if (in.multi) {
            unsigned s = step(kWheelSize, in.left);
            for (uint8_t p : kKeyPath) {
                const WheelColour& c = kWheel[s];
                setEntry(p, c.r, c.g, c.b, L);
                s += 5;
                if (s >= kWheelSize) s -= kWheelSize;
            }
        } else {
            unsigned s = step(kCurve96.size(), in.left);
            for (uint8_t p : kKeyPath) {
                setEntry(p, in.red, in.green, in.blue, scale(L, kCurve96[s]));
                s += 5;
                if (s >= kCurve96.size()) s -= kCurve96.size();
            }
        }
        return false;
    case 8:
        return renderCustom(in, wire);
    case 9:
        return renderReactive(in, wire);
    default:
        fillAll(0, 0, 0, 0);
        return false;
    }
}

// The step moves one way or the other and always lands inside 0..n-1, also when another mode
// left it beyond n.
uint8_t EffectEngine::step(uint8_t n, bool left) {
    unsigned s = step_;
    if (left) {
        if (++s >= n) s = 0;
    } else {
        s = uint8_t(s - 1);
        if (s >= n) s = n - 1u;
    }
    step_ = uint8_t(s);
    return step_;
}

void EffectEngine::fadeStep(int k, bool fast) {
    unsigned v = fade_[k];
    if (v & 0x80) v -= fast ? 40 : 30;
    else if (v & 0x40) v -= fast ? 30 : 20;
    else if (v & 0x20) v -= 10;
    else if (v > 16) v -= fast ? 8 : 5;
    else if (v > 8) v -= 4;  // both ladders: the fast one has no step of its own down here
    else v = 0;
    fade_[k] = uint8_t(v);
}

void EffectEngine::rippleRender(bool multi) {
    for (int c = 0; c < kColumns; ++c) {
        const uint8_t m = ripple_[kA][c] | ripple_[kB][c] | ripple_[kC][c] | ripple_[kD][c];
        for (int r = 0; r < kRows; ++r) {
            const int k = kColumnTable[c][r];
            if (!(m & (1u << r)) || k == kNoPicture) continue;
            fade_[k] = 255;
            if (multi) {
                hue_ += 13;
                phase_[k] = hue_;
            }
        }
    }
}

// Each mark moves one column out and one row up (right shift) or down (left shift): A and D
// towards column 0, B and C towards column 22.
void EffectEngine::ripplePropagate() {
    auto& A = ripple_[kA];
    auto& B = ripple_[kB];
    auto& C = ripple_[kC];
    auto& D = ripple_[kD];
    D[0] >>= 1;
    A[0] = uint8_t(A[0] << 1);
    for (int c = 1; c < kColumns; ++c) {
        D[c - 1] |= D[c];
        D[c] >>= 1;
        A[c - 1] |= A[c];
        A[c] = uint8_t(A[c] << 1);
    }
    C[kColumns - 1] >>= 1;
    B[kColumns - 1] = uint8_t(B[kColumns - 1] << 1);
    for (int c = kColumns - 2; c >= 0; --c) {
        C[c + 1] |= C[c];
        C[c] >>= 1;
        B[c + 1] |= B[c];
        B[c] = uint8_t(B[c] << 1);
    }
}

void EffectEngine::markCell(int picture) {
    int column = 0, row = 0;
    if (!findColumnCell(picture, column, row)) return;
    for (auto& rows : ripple_) rows[column] |= uint8_t(1u << row);
}

void EffectEngine::reset() {
    step_ = stage_ = 0;
    fade_.fill(0);
    phase_.fill(0);
    for (auto& rows : ripple_) rows.fill(0);
}

void EffectEngine::prime() {
    unsigned p = 0;
    for (int k = 0; k < kKeyPictures; ++k) {
        p += 33;
        if (p > kWheelSize) p -= kWheelSize;
        phase_[k] = uint8_t(p);
    }
}

void EffectEngine::seed() {
    for (auto& rows : ripple_) rows[9] |= 0x40;
}

void EffectEngine::drawFades(const Inputs& in, bool fastLadder) {
    for (uint8_t k : kKeyPath) {
        fadeStep(k, fastLadder);
        const WheelColour c = in.multi ? wheelAt(phase_[k]) : WheelColour{in.red, in.green, in.blue};
        setEntry(k, c.r, c.g, c.b, scale(in.level, fade_[k]));
    }
}

// The show lights the board row by row from both ends (stage 0), flashes pairs (stage 1), waits
// for the last pair to fade, sends a ripple from the middle (stages 2, 3) and starts over once
// the ripple has reached the lower left corner and faded there (stage 4).
void EffectEngine::advanceShow(bool multi) {
    auto light = [&](int k) {
        fade_[k] = 254;
        if (multi) {
            hue_ += 11;
            phase_[k] = hue_;
        }
    };
    switch (stage_) {
    case 0:
        if (step_ < kStage0Rows)
            for (int8_t k : kStage0[step_])
                if (k != kNoPicture) light(k);
        if (++step_ >= kStage0Rows) {
            step_ = 0;
            stage_ = 1;
        }
        break;
    case 1:
        if (step_ < 31) {
            for (uint8_t k : kStage1Pairs[step_ % kStage1Pairs.size()]) light(k);
            ++step_;
        } else if (fade_[72] == 0) {
            stage_ = 2;
            step_ = 0;
        }
        break;
    case 2:
        markCell(52);
        stage_ = 3;
        break;
    case 3:
        rippleRender(multi);
        ripplePropagate();
        if (fade_[20] != 0) stage_ = 4;
        break;
    case 4:
        if (fade_[20] == 0) stage_ = step_ = 0;
        break;
    default:
        stage_ = step_ = 0;
        break;
    }
}

void EffectEngine::setEntry(int picture, uint8_t r, uint8_t g, uint8_t b, uint8_t alpha) {
    frame_[picture].store(pack(r, g, b, alpha), kRelaxed);
}

void EffectEngine::fillAll(uint8_t r, uint8_t g, uint8_t b, uint8_t alpha) {
    const uint32_t e = pack(r, g, b, alpha);
    for (auto& entry : frame_) entry.store(e, kRelaxed);
}

// Custom colours by LED. A picture without an LED has no colour of its own, so its preview stays
// dark (alpha 0) rather than borrow another key's.
bool EffectEngine::renderCustom(const Inputs& in, WireFrame& wire) {
    wire.fill(0);
    for (int i = 0; i < kKeyPictures; ++i) {
        const int led = kLedOfPicture[i];
        if (led == kNoLed) {
            preview_[i].store(0, kRelaxed);
            continue;
        }
        const uint8_t r = custom_[3 * led].load(kRelaxed);
        const uint8_t g = custom_[3 * led + 1].load(kRelaxed);
        const uint8_t b = custom_[3 * led + 2].load(kRelaxed);
        preview_[i].store(pack(r, g, b, in.level), kRelaxed);
        putLed(wire, led, scale(r, in.level), scale(g, in.level), scale(b, in.level));
    }
    addRoller(wire);
    return true;
}

// The ripple moves on timer 3's tick counter and the keys fade on its half-rate flag, so the
// effect keeps its pace whatever the pass delay.
bool EffectEngine::renderReactive(const Inputs& in, WireFrame& wire) {
    if (counters_.takeRippleTicks(3u * in.speed + 2u)) {
        rippleRender(in.multi);
        ripplePropagate();
    }
    if (!counters_.takeHalfRate()) return false;
    wire.fill(0);
    for (int i = 0; i < kKeyPictures; ++i) {
        fadeStep(i, false);
        const WheelColour c = in.multi ? wheelAt(phase_[i]) : WheelColour{in.red, in.green, in.blue};
        preview_[i].store(pack(c.r, c.g, c.b, scale(in.level, fade_[i])), kRelaxed);
        const int led = kLedOfPicture[i];
        if (led == kNoLed) continue;
        const uint8_t f = fade_[i];
        putLed(wire, led, scale(scale(c.r, in.level), f), scale(scale(c.g, in.level), f),
               scale(scale(c.b, in.level), f));
    }
    addRoller(wire);
    return true;
}

void EffectEngine::addRoller(WireFrame& wire) const {
    if (!rollerOn_.load(kRelaxed)) return;
    const uint8_t r = roller_[0].load(kRelaxed), g = roller_[1].load(kRelaxed), b = roller_[2].load(kRelaxed);
    putLed(wire, kRollerLedA, r, g, b);
    putLed(wire, kRollerLedB, r, g, b);
}

}  // namespace lighting
