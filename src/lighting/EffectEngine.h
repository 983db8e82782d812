// The keyboard's lighting effect engine: the ten effects rendered frame by frame from the
// keyboard's lighting fields, and the frames the keyboard and the page's key pictures show.
//
// Three actors share it, and nothing is held across a frame:
//   - the effect thread (EffectThread.h) runs one pass at a time: applyRequests(), a frame
//     routine (renderFrame) and endPass();
//   - the UI thread publishes the inputs (publish), makes requests (EffectControl), presents the
//     frame buffer every 10 ms (presentFrame) and paints the key pictures from preview();
//   - timer 3 advances the LightingPhase counters the routines read.
// Everything the two threads both touch is an atomic (the frame buffer, the preview, the
// published inputs, the breathing count) or goes through the request queue; the effect state
// (step, stage, hue, fade, phase, ripple rows) belongs to the effect thread alone. A frame may
// mix entries from before and after a change, as the keyboard tolerates.
//
// Frames are never allocated: every buffer is a member.
#pragma once

#include <array>
#include <atomic>
#include <bitset>
#include <cstdint>
#include <mutex>

#include "lighting/LightingHost.h"
#include "lighting/LightingPhase.h"

namespace lighting {

constexpr int kKeyPictures = 132;
constexpr int kWireFrameSize = 396;  // LED n at 3n: red, green, blue
using WireFrame = std::array<uint8_t, kWireFrameSize>;
using CustomSet = std::array<uint8_t, kWireFrameSize>;  // by LED number, as the page paints them

// What the engine reads of the keyboard: the record's lighting bytes 1..8, the selected custom
// colour set and the roller light. Values out of range are taken safely (see EffectEngine.cpp).
struct EffectInputs {
    uint8_t mode = 0, brightness = 0, speed = 0, direction = 0, multiColour = 0;
    uint8_t red = 0, green = 0, blue = 0;
    bool rollerOn = false;
    std::array<uint8_t, 3> roller{};
    const uint8_t* customSet = nullptr;  // 396 bytes, copied by publish; nullptr: all dark
};

// One key picture's look: 0xAARRGGBB where RR GG BB is the overlay colour (the true red, green
// and blue of what the keyboard shows there) and AA the overlay alpha.
using PreviewColour = uint32_t;

class EffectEngine : public EffectControl {
public:
    explicit EffectEngine(LightingPhase& phase);

    // ---- UI thread ----
    void publish(const EffectInputs& inputs);
    // Breathing cycles begun since the last call: the owner of the record advances its byte 9
    // by this many (0, 1, 2, 0, ...), so that only the UI thread ever writes the record.
    unsigned takeBreathingCycles();
    // EffectControl: queued, carried out by applyRequests() in order.
    void resetEffectState() override;
    void primePhases() override;
    void seedBounce() override;
    void markRipple(int picture) override;
    // Timer 9, modes 0..7: the frame buffer becomes the preview and the wire frame (scaled by
    // each entry's alpha; roller LEDs 18 and 19 as set). false, and nothing written, while the
    // published mode renders and sends its own frames (8, 9). A mode above 9 presents a dark
    // frame (true), so the keyboard goes dark rather than keep a stale effect.
    bool presentFrame(WireFrame& wire);
    PreviewColour preview(int picture) const;  // 0 outside 0..131

    // ---- effect thread ----
    void applyRequests();
    int passDelayMs() const;   // the delay table's value for the published mode and speed
    int extraWaitMs() const;   // the published mode's wait before its routine
    // The published mode's frame routine. Modes 8 and 9 fill wire (and the preview) and answer
    // true when that frame is to be sent now; modes 0..7 write the frame buffer and answer false.
    bool renderFrame(WireFrame& wire);
    void endPass();            // the hue counter advances

    // ---- for tests and benchmarks ----
    struct State {
        uint8_t step, stage, hue;
        std::array<uint8_t, kKeyPictures> fade, phase;
        std::array<std::array<uint8_t, 23>, 4> ripple;  // rows A, B, C, D by column
    };
    State state() const;                           // effect thread (or a test driving it)
    PreviewColour frameEntry(int picture) const;   // frame buffer entry as 0xAARRGGBB

private:
    // One frame's worth of the published inputs, read once at the start of a routine so the
    // routine works on consistent values (brightness and speed already made safe).
    struct Inputs {
        uint8_t mode, level, speed;
        bool left, multi;
        uint8_t red, green, blue;
    };
    Inputs snapshot() const;

    uint8_t step(uint8_t n, bool left);
    void fadeStep(int picture, bool fast);
    void rippleRender(bool multi);
    void ripplePropagate();
    void markCell(int picture);
    void reset();
    void prime();
    void seed();
    // Modes 5 and 6 draw the key path from fade and phase.
    void drawFades(const Inputs& in, bool fastLadder);
    void advanceShow(bool multi);
    void setEntry(int picture, uint8_t r, uint8_t g, uint8_t b, uint8_t alpha);
    void fillAll(uint8_t r, uint8_t g, uint8_t b, uint8_t alpha);
    bool renderCustom(const Inputs& in, WireFrame& wire);
    bool renderReactive(const Inputs& in, WireFrame& wire);
    void addRoller(WireFrame& wire) const;

    LightingPhase& counters_;

    // Published inputs (UI thread writes, effect thread reads).
    std::atomic<uint8_t> mode_{0}, brightness_{0}, speed_{0}, direction_{0}, multiColour_{0};
    std::atomic<uint8_t> red_{0}, green_{0}, blue_{0};
    std::atomic<bool> rollerOn_{false};
    std::array<std::atomic<uint8_t>, 3> roller_{};
    std::array<std::atomic<uint8_t>, kWireFrameSize> custom_{};
    std::atomic<unsigned> breathingCycles_{0};

    // Frame buffer and preview, both 0xAARRGGBB per key picture.
    std::array<std::atomic<uint32_t>, kKeyPictures> frame_{};
    std::array<std::atomic<PreviewColour>, kKeyPictures> preview_{};

    // Pending requests. Every request after a reset commutes with the others (a prime touches
    // only phases, a seed or a mark only sets ripple bits), and a reset overwrites all they
    // touch, so "a reset, then a prime, a seed and these marks" is the queue in order - and it
    // cannot overflow however fast the user clicks.
    std::mutex requestMutex_;
    std::atomic<bool> requestsPending_{false};
    bool resetPending_ = false, primePending_ = false, seedPending_ = false;
    std::bitset<kKeyPictures> marksPending_;

    // Effect state: the effect thread's alone.
    uint8_t step_ = 0, stage_ = 0, hue_ = 0;
    std::array<uint8_t, kKeyPictures> fade_{}, phase_{};
    std::array<std::array<uint8_t, 23>, 4> ripple_{};
};

}  // namespace lighting
