#include "app/LightingFeatures.h"

#include "app/KeyboardFeatures.h"
#include "app/MainWindow.h"
#include "lighting/EffectThread.h"

namespace {

DeviceKind kindOf(lighting::LightDevice device) {
    switch (device) {
    case lighting::LightDevice::keyboard: return DeviceKind::keyboard;
    case lighting::LightDevice::mouse: return DeviceKind::mouse;
    case lighting::LightDevice::pad: break;
    }
    return DeviceKind::pad;
}

}  // namespace

LightingFeatures::LightingFeatures(CMainWnd& window, KeyboardFeatures& keyboard)
    : window_(window), keyboard_(keyboard) {
    pages_ = std::make_unique<LightingPages>(window.ui(), window.keyboardMirror(), window.mouseMirror(),
                                             window.padMirror(), *this, shared_->engine);
}

LightingFeatures::~LightingFeatures() = default;

void LightingFeatures::startEffects() {
    window_.startWorker(worker::LightingEffects,
                        [shared = shared_, &keyboard = window_.channel(ChannelKeyboard)](StopEvent& stop) {
                            lighting::runEffectThread(stop, keyboard, shared->engine);
                        });
}

void LightingFeatures::onNotification(const ui::Notification& n, int index) {
    pages_->onNotification(n, index);
    publish();
}

void LightingFeatures::refreshKeyboard() {
    pages_->fillKeyboardLightingPage();
    publish();
}

void LightingFeatures::refreshMouse() { pages_->fillMouseLightingPage(); }
void LightingFeatures::refreshPad() { pages_->fillPadLightingPage(); }

void LightingFeatures::publish() {
    KeyboardMirror& kb = window_.keyboardMirror();
    // Breathing cycles the engine began since the last tick: byte 9 runs 0, 1, 2, 0, ...
    for (unsigned n = shared_->engine.takeBreathingCycles() % 3; n > 0; --n) {
        uint8_t& cycle = kb.record[KeyboardRecord::kBreathingCycle];
        cycle = cycle >= 2 ? 0 : uint8_t(cycle + 1);
    }
    const auto& r = kb.record;
    const KeyboardCustomLighting& l = kb.lighting;
    lighting::EffectInputs in;
    in.mode = r[KeyboardRecord::kMode];
    in.brightness = r[KeyboardRecord::kBrightness];
    in.speed = r[KeyboardRecord::kSpeed];
    in.direction = r[KeyboardRecord::kDirection];
    in.multiColour = r[KeyboardRecord::kMultiColour];
    in.red = r[KeyboardRecord::kRed];
    in.green = r[KeyboardRecord::kGreen];
    in.blue = r[KeyboardRecord::kBlue];
    in.rollerOn = l.rollerOn;
    in.roller = l.roller;
    in.customSet = l.sets[l.selectedSet < KeyboardCustomLighting::kSets ? l.selectedSet : 0].data();
    shared_->engine.publish(in);
}

void LightingFeatures::presentFrame() {
    publish();
    lighting::EffectEngine& engine = shared_->engine;
    if (engine.presentFrame(wire_))
        window_.channel(ChannelKeyboard).streamFrame(wire_.data(), unsigned(wire_.size()));
    // Nobody sees the pictures of a hidden window; they catch up on the first tick it shows.
    if (!window_.isVisible()) return;
    for (int i = 0; i < lighting::kKeyPictures; ++i) preview_[size_t(i)] = engine.preview(i);
    pages_->showPreview(preview_);
}

void LightingFeatures::mark(lighting::LightDevice device) { window_.markDirty(kindOf(device)); }

void LightingFeatures::save(lighting::LightDevice device) {
    ProfileStore& store = keyboard_.store();
    switch (device) {
    case lighting::LightDevice::keyboard:
        store.saveSelected(ProfileList::keyboardLighting);
        store.saveSelected(ProfileList::keyboardDevice);
        break;
    case lighting::LightDevice::mouse:
        store.saveSelected(ProfileList::mouseLighting);
        store.saveSelected(ProfileList::mouseDevice);
        break;
    case lighting::LightDevice::pad:
        store.saveSelected(ProfileList::padLighting);
        break;
    }
}

void LightingFeatures::holdEffects() {
    for (ChannelIndex c : {ChannelKeyboard, ChannelMouse, ChannelPad}) window_.channel(c).effectsHeld.store(true);
}

void LightingFeatures::writeAbFlagLater() { window_.setTimer(timer::AbFlag, 50); }

void LightingFeatures::refreshKeyLabels() { keyboard_.keyPage().refreshKeyTips(); }
