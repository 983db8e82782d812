#include "lighting/LightingModel.h"

#include <algorithm>

#include "lighting/EffectTables.h"

namespace lighting {
namespace {

constexpr std::size_t kMode = 1, kBrightness = 2, kSpeed = 3, kDirection = 4, kMultiColour = 5, kRed = 6;
constexpr std::size_t kLightingBytes = 8;  // bytes 1..8

constexpr bool isSpace(char c) { return c == ' ' || c == '\t'; }

}  // namespace

TypedComponent parseColourComponent(std::string_view text) {
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    if (text.empty()) return {TypedComponent::Result::empty, 0, false};
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return {TypedComponent::Result::refused, 0, false};
        value = std::min(value * 10 + (c - '0'), 256);  // past 255 the rest cannot matter
    }
    if (value > 255) return {TypedComponent::Result::accepted, 255, true};
    return {TypedComponent::Result::accepted, static_cast<uint8_t>(value), false};
}

LightingModel::LightingModel(KeyboardMirror& keyboard, MouseMirror& mouse, PadMirror& pad, LightingHost& host,
                             EffectControl& effects)
    : keyboard_(keyboard), mouse_(mouse), pad_(pad), host_(host), effects_(effects) {}

uint8_t* LightingModel::record(LightDevice device) {
    return const_cast<uint8_t*>(static_cast<const LightingModel*>(this)->record(device));
}

const uint8_t* LightingModel::record(LightDevice device) const {
    switch (device) {
    case LightDevice::keyboard: return keyboard_.record.data();
    case LightDevice::mouse: return mouse_.record.data();
    case LightDevice::pad: break;
    }
    return pad_.record.data();
}

Rgb LightingModel::colour(LightDevice device) const {
    const uint8_t* r = record(device);
    return {r[kRed], r[kRed + 1], r[kRed + 2]};
}

Rgb LightingModel::brush() const {
    const auto& b = keyboard_.lighting.brush;
    return {b[0], b[1], b[2]};
}

Rgb LightingModel::roller() const {
    const auto& r = keyboard_.lighting.roller;
    return {r[0], r[1], r[2]};
}

int LightingModel::selectedSet() const {
    const int set = keyboard_.lighting.selectedSet;
    return set < static_cast<int>(KeyboardCustomLighting::kSets) ? set : 0;
}

std::array<uint8_t, KeyboardCustomLighting::kSetSize>& LightingModel::set() {
    return keyboard_.lighting.sets[static_cast<std::size_t>(selectedSet())];
}

void LightingModel::changed(LightDevice device) {
    host_.mark(device);
    host_.save(device);
}

// ---- fields ----------------------------------------------------------------------------------------

void LightingModel::setMode(LightDevice device, int mode) {
    if (!isMode(device, mode)) return;
    if (device == LightDevice::keyboard) effects_.resetEffectState();
    record(device)[kMode] = static_cast<uint8_t>(mode);
    if (device == LightDevice::keyboard) primeEffects(mode);
    changed(device);
}

void LightingModel::primeEffects(int mode) {
    if (mode == 4) effects_.primePhases();
    if (mode == 5) effects_.seedBounce();
}

void LightingModel::setBrightness(LightDevice device, int slider) {
    record(device)[kBrightness] = static_cast<uint8_t>(std::clamp(slider, 0, kBrightnessMax));
    changed(device);
}

void LightingModel::setSpeedFromSlider(LightDevice device, int slider) {
    record(device)[kSpeed] = speedByteFromSlider(device, slider);
    changed(device);
}

void LightingModel::setDirection(LightDevice device, bool left) {
    record(device)[kDirection] = left ? 1 : 0;
    changed(device);
}

void LightingModel::setMultiColour(LightDevice device, bool on) {
    record(device)[kMultiColour] = on ? 1 : 0;
    changed(device);
}

ColourTarget LightingModel::applyColour(LightDevice device, Rgb colour) {
    if (device == LightDevice::keyboard && mode(device) == kKeyboardCustomMode) {
        keyboard_.lighting.brush = {colour.red, colour.green, colour.blue};
        host_.save(device);
        return ColourTarget::brush;
    }
    if (device == LightDevice::keyboard && rollerOn()) {
        showOnRoller(colour);
        return ColourTarget::roller;
    }
    uint8_t* r = record(device);
    r[kRed] = colour.red;
    r[kRed + 1] = colour.green;
    r[kRed + 2] = colour.blue;
    r[kMultiColour] = 0;
    changed(device);
    return ColourTarget::lighting;
}

// A typed keyboard colour is saved like every other lighting change: left out of the profile
// files it would be lost at the next profile switch.
ColourTarget LightingModel::typeComponent(LightDevice device, int component, uint8_t value) {
    if (component < 0 || component > 2) return ColourTarget::lighting;
    const auto index = static_cast<std::size_t>(component);
    if (device == LightDevice::keyboard && mode(device) == kKeyboardCustomMode) {
        keyboard_.lighting.brush[index] = value;
        host_.save(device);
        return ColourTarget::brush;
    }
    uint8_t* r = record(device);
    r[kRed + index] = value;
    r[kMultiColour] = 0;
    changed(device);
    return ColourTarget::lighting;
}

void LightingModel::showOnRoller(Rgb colour) { keyboard_.lighting.roller = {colour.red, colour.green, colour.blue}; }

// ---- keyboard custom sets ----------------------------------------------------------------------------

bool LightingModel::selectCustomSet(int set) {
    if (set < 0 || set >= static_cast<int>(KeyboardCustomLighting::kSets)) return false;
    keyboard_.lighting.selectedSet = static_cast<uint8_t>(set);
    host_.save(LightDevice::keyboard);
    return true;
}

bool LightingModel::paintKey(int picture) {
    const int led = ledOfPicture(picture);
    if (led < 0 || led >= static_cast<int>(KeyboardCustomLighting::kLeds)) return false;
    std::copy(keyboard_.lighting.brush.begin(), keyboard_.lighting.brush.end(),
              set().begin() + static_cast<std::ptrdiff_t>(led) * 3);
    host_.save(LightDevice::keyboard);
    return true;
}

void LightingModel::fillUnpainted() {
    auto& entries = set();
    const auto& brush = keyboard_.lighting.brush;
    for (std::size_t i = 0; i < entries.size(); i += 3)
        if (entries[i] == 0 && entries[i + 1] == 0 && entries[i + 2] == 0)
            std::copy(brush.begin(), brush.end(), entries.begin() + static_cast<std::ptrdiff_t>(i));
    host_.save(LightDevice::keyboard);
}

void LightingModel::clearSet() {
    set().fill(0);
    host_.save(LightDevice::keyboard);
}

void LightingModel::setRoller(bool on) { keyboard_.lighting.rollerOn = on; }

// ---- same mode -------------------------------------------------------------------------------------

void LightingModel::sameModeSync(LightDevice from, const std::function<void(LightDevice)>& refresh) {
    std::array<uint8_t, kLightingBytes> fields{};
    std::copy_n(record(from) + 1, kLightingBytes, fields.begin());
    const std::array<LightDevice, 3> all = {LightDevice::keyboard, LightDevice::mouse, LightDevice::pad};
    for (LightDevice to : all)
        if (to != from) std::copy(fields.begin(), fields.end(), record(to) + 1);
    for (LightDevice to : all) {
        if (to == from) continue;
        if (refresh) refresh(to);
        host_.save(to);
    }
    host_.holdEffects();
}

}  // namespace lighting
