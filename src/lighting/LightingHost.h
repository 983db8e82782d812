// What the lighting model and pages need from the program around them, and what they may ask of
// the keyboard's effect engine. Plain interfaces: the main window implements the host, the
// effect engine the effect control; tests give recording fakes.
#pragma once

#include <cstdint>

namespace lighting {

enum class LightDevice { keyboard, mouse, pad };

class LightingHost {
public:
    virtual ~LightingHost() = default;
    // Sets the device's dirty flag: its current settings record goes to it on the next flush.
    virtual void mark(LightDevice device) = 0;
    // Rewrites the profile files of the device's selected entries from the current state: the
    // keyboard's lighting and device files, the mouse's lighting and device files, the pad's
    // lighting file.
    virtual void save(LightDevice device) = 0;
    // Raises the effects-held flag of the three devices' channels (after a same-mode sync).
    virtual void holdEffects() = 0;
    // Starts the one-shot write of the keyboard's A/B byte 50 ms from now.
    virtual void writeAbFlagLater() = 0;
    // The keyboard key page shows the key labels of the record's onboard profile again.
    virtual void refreshKeyLabels() = 0;
};

// Requests to the keyboard's effect engine. Any may be made at any time from the UI thread; the
// engine carries them out, in the order they were made, before its next frame.
class EffectControl {
public:
    virtual ~EffectControl() = default;
    virtual void resetEffectState() = 0;     // step, stage, fade, phase and the ripple rows to 0
    virtual void primePhases() = 0;          // per-key spectrum start phases
    virtual void seedBounce() = 0;           // the bouncing ripple's first mark
    virtual void markRipple(int picture) = 0;  // a ripple from a key picture (0..131)
};

}  // namespace lighting
