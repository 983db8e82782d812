// The lighting fields of the three devices (bytes 1..8 of each current settings record), which
// panels each mode offers, and every change to them with its consequences: which bytes change,
// whether the device is marked for the next flush, and which profile files are rewritten.
//
// Plain data and plain rules; the pages turn control events into these calls. Every change takes
// any value without harm: a mode, set or picture out of range is refused, a level is clamped.
// UI thread only (the effect engine sees the keyboard's data through what the window publishes).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string_view>

#include "lighting/LightingHost.h"
#include "mirror/KeyboardMirror.h"
#include "mirror/MouseMirror.h"
#include "mirror/PadMirror.h"

namespace lighting {

// What a mode does to one panel: enables it, disables it, or leaves it as the last mode left it.
enum class Panel : uint8_t { yes, no, kept };

struct ModePanels {
    Panel colour, direction, multiColour, speed, brightness, sameMode;
};

namespace detail {
constexpr Panel Y = Panel::yes, N = Panel::no, K = Panel::kept;
}  // namespace detail

// Keyboard modes 0..9: wave, spectrum cycle, breathing, static, per-key spectrum, bouncing
// ripple, staged show, path flow, custom, reactive ripple.
inline constexpr std::array<ModePanels, 10> kKeyboardModePanels = {{
    {detail::Y, detail::Y, detail::Y, detail::Y, detail::Y, detail::Y},
    {detail::N, detail::N, detail::N, detail::Y, detail::Y, detail::Y},
    {detail::Y, detail::N, detail::Y, detail::Y, detail::Y, detail::Y},
    {detail::Y, detail::N, detail::N, detail::N, detail::Y, detail::Y},
    {detail::N, detail::N, detail::N, detail::Y, detail::Y, detail::N},
    {detail::Y, detail::N, detail::Y, detail::Y, detail::Y, detail::N},
    {detail::Y, detail::N, detail::Y, detail::Y, detail::Y, detail::N},
    {detail::Y, detail::Y, detail::Y, detail::Y, detail::Y, detail::N},
    {detail::K, detail::N, detail::Y, detail::N, detail::K, detail::N},
    {detail::K, detail::N, detail::Y, detail::K, detail::K, detail::N},
}};

// The mouse's three mode lists ("ms_deng_combo_modeSelect0..2"), modes 0..5. List 1 is the one
// the page fills from the record. The mouse has no brightness panel: its slider always works.
inline constexpr std::array<std::array<ModePanels, 6>, 3> kMouseModePanels = {{
    {{
        {detail::N, detail::N, detail::N, detail::Y, detail::K, detail::Y},
        {detail::Y, detail::N, detail::Y, detail::Y, detail::K, detail::Y},
        {detail::Y, detail::N, detail::Y, detail::Y, detail::K, detail::Y},
        {detail::Y, detail::N, detail::N, detail::N, detail::K, detail::Y},
        {detail::Y, detail::Y, detail::Y, detail::Y, detail::K, detail::N},
        {detail::Y, detail::Y, detail::Y, detail::Y, detail::K, detail::N},
    }},
    {{
        {detail::Y, detail::Y, detail::Y, detail::Y, detail::K, detail::Y},
        {detail::Y, detail::N, detail::N, detail::Y, detail::K, detail::Y},
        {detail::Y, detail::N, detail::N, detail::N, detail::K, detail::Y},
        {detail::Y, detail::N, detail::N, detail::N, detail::K, detail::Y},
        {detail::Y, detail::Y, detail::Y, detail::Y, detail::K, detail::N},
        {detail::Y, detail::Y, detail::Y, detail::Y, detail::K, detail::N},
    }},
    {{
        {detail::Y, detail::Y, detail::Y, detail::Y, detail::K, detail::Y},
        {detail::N, detail::N, detail::N, detail::Y, detail::K, detail::Y},
        {detail::Y, detail::N, detail::Y, detail::Y, detail::K, detail::Y},
        {detail::Y, detail::N, detail::N, detail::N, detail::K, detail::Y},
        {detail::Y, detail::Y, detail::Y, detail::Y, detail::K, detail::N},
        {detail::Y, detail::Y, detail::Y, detail::Y, detail::K, detail::N},
    }},
}};

// Pad modes 0..9; like the mouse, no brightness panel.
inline constexpr std::array<ModePanels, 10> kPadModePanels = {{
    {detail::Y, detail::Y, detail::Y, detail::Y, detail::K, detail::Y},
    {detail::N, detail::N, detail::N, detail::Y, detail::K, detail::Y},
    {detail::Y, detail::N, detail::Y, detail::Y, detail::K, detail::Y},
    {detail::Y, detail::N, detail::N, detail::N, detail::K, detail::Y},
    {detail::Y, detail::Y, detail::Y, detail::Y, detail::K, detail::N},
    {detail::Y, detail::Y, detail::Y, detail::Y, detail::K, detail::N},
    {detail::N, detail::Y, detail::N, detail::Y, detail::K, detail::N},
    {detail::Y, detail::N, detail::Y, detail::Y, detail::K, detail::N},
    {detail::Y, detail::N, detail::Y, detail::N, detail::K, detail::N},
    {detail::Y, detail::N, detail::Y, detail::K, detail::K, detail::N},
}};

constexpr int modeCount(LightDevice device) { return device == LightDevice::mouse ? 6 : 10; }
constexpr bool isMode(LightDevice device, int mode) { return mode >= 0 && mode < modeCount(device); }

// The panels of a mode; nullptr for a mode (or mouse list) outside the tables.
constexpr const ModePanels* modePanels(LightDevice device, int mode, int mouseList = 1) {
    if (!isMode(device, mode)) return nullptr;
    switch (device) {
    case LightDevice::keyboard: return &kKeyboardModePanels[mode];
    case LightDevice::mouse: return mouseList >= 0 && mouseList < 3 ? &kMouseModePanels[mouseList][mode] : nullptr;
    case LightDevice::pad: break;
    }
    return &kPadModePanels[mode];
}

constexpr int kKeyboardCustomMode = 8;
constexpr int kKeyboardRippleMode = 9;

// Brightness: the keyboard's byte indexes its five levels (kLevelOfBrightness, EffectTables.h).
// The mouse and the pad take the slider's value as it stands; their sliders have the same five
// steps, so a value stored on one device means the same step on the others after a same-mode sync.
constexpr int kBrightnessMax = 4;

// Speed: the byte is the slider's inverse, so that a higher slider is a faster effect.
constexpr int speedSliderMax(LightDevice device) { return device == LightDevice::pad ? 14 : 4; }
constexpr uint8_t speedByteFromSlider(LightDevice device, int slider) {
    const int top = speedSliderMax(device);
    const int byte = top - slider;
    return static_cast<uint8_t>(byte < 0 ? 0 : byte > top ? top : byte);
}
constexpr int sliderFromSpeedByte(LightDevice device, uint8_t byte) {
    const int slider = speedSliderMax(device) - byte;
    return slider < 0 ? 0 : slider;
}

struct Rgb {
    uint8_t red = 0, green = 0, blue = 0;
    friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
};
constexpr uint32_t argbOf(Rgb c) { return 0xFF000000u | uint32_t(c.red) << 16 | uint32_t(c.green) << 8 | c.blue; }
constexpr Rgb rgbOf(uint32_t argb) {
    return {uint8_t(argb >> 16), uint8_t(argb >> 8), uint8_t(argb)};
}

// A colour component typed into an edit. Digits only (surrounding spaces allowed); a value above
// 255, however long, is 255 and the edit is to show "255". Empty text is refused without a word:
// the user is clearing the edit to type the next number. Anything else (a sign, letters) is
// refused and the edit is to show the stored value again.
struct TypedComponent {
    enum class Result : uint8_t { accepted, empty, refused } result = Result::refused;
    uint8_t value = 0;
    bool rewrite = false;  // accepted, but the edit must show "255"
};
TypedComponent parseColourComponent(std::string_view text);

// Where a colour pick went.
enum class ColourTarget : uint8_t { lighting, brush, roller };

class LightingModel {
public:
    LightingModel(KeyboardMirror& keyboard, MouseMirror& mouse, PadMirror& pad, LightingHost& host,
                  EffectControl& effects);

    // ---- reading ----
    uint8_t field(LightDevice device, std::size_t byte) const { return record(device)[byte]; }
    int mode(LightDevice device) const { return field(device, 1); }
    Rgb colour(LightDevice device) const;
    Rgb brush() const;
    // The selected custom set, 0..4; a stored value above 4 (a foreign profile file) counts as 0.
    int selectedSet() const;
    bool rollerOn() const { return keyboard_.lighting.rollerOn; }
    Rgb roller() const;

    // ---- changes (each ends with its mark and save) ----
    // Keyboard: the effect state is reset first, and modes 4 and 5 prime it. Out of range: nothing.
    void setMode(LightDevice device, int mode);
    void setBrightness(LightDevice device, int slider);
    void setSpeedFromSlider(LightDevice device, int slider);
    void setDirection(LightDevice device, bool left);
    void setMultiColour(LightDevice device, bool on);
    // A colour from a palette, a colour button or a preset. The keyboard in mode 8 takes it as its
    // brush, and with the roller light on as the roller colour (nothing marked or saved).
    ColourTarget applyColour(LightDevice device, Rgb colour);
    // One typed component (0 red, 1 green, 2 blue); the keyboard in mode 8 takes it into the brush.
    ColourTarget typeComponent(LightDevice device, int component, uint8_t value);
    // The roller light takes a colour that is only shown (a page refresh while it is on).
    void showOnRoller(Rgb colour);

    // ---- keyboard custom sets ----
    bool selectCustomSet(int set);       // false (nothing changed) outside 0..4
    bool paintKey(int picture);          // false for a picture without an LED
    void fillUnpainted();
    void clearSet();
    void setRoller(bool on);             // nothing marked or saved: the flag is not kept in files

    // Modes 4 and 5 start from primed phases or a seeded mark, also on a refresh that keeps the mode.
    void primeEffects(int mode);

    // Copies bytes 1..8 of `from` raw into the two other records (a mode the target lacks stays as
    // it is), lets `refresh` show each of them, saves both and holds the effects.
    void sameModeSync(LightDevice from, const std::function<void(LightDevice)>& refresh);

private:
    uint8_t* record(LightDevice device);
    const uint8_t* record(LightDevice device) const;
    std::array<uint8_t, KeyboardCustomLighting::kSetSize>& set();
    void changed(LightDevice device);  // mark and save

    KeyboardMirror& keyboard_;
    MouseMirror& mouse_;
    PadMirror& pad_;
    LightingHost& host_;
    EffectControl& effects_;
};

}  // namespace lighting
