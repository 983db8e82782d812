#include "app/KeyboardFeatures.h"

#include <cstring>

#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "app/WindowMessages.h"
#include "platform/DataFolder.h"

KeyboardFeatures::KeyboardFeatures(CMainWnd& window) : window_(window) {
    store_ = std::make_unique<ProfileStore>(
        ProfileMirrors{window.keyboardMirror(), window.mouseMirror(), window.padMirror(), system_});
    auto box = [this](const std::string& text, bool isKey) { return showMessageBox(&window_, "", text, isKey); };
    panels_ = std::make_unique<ProfilePanels>(
        window.ui(), *store_, [box](const std::string& text, bool isKey) { box(text, isKey); }, box);
    transfers_ = std::make_unique<KeyboardTransfers>(
        window.keyboardMirror(),
        KeyboardChannels{window.channel(ChannelKeyboard), window.channel(ChannelSmallKeyboard),
                         window.channel(ChannelCompanionKeyboard)},
        *this);
    capture_ = makeInputCapture();
    capture_->setKeySink([this](uint32_t message, const CapturedKey& key) {
        window_.send(message, uintptr_t(key.virtualKey), intptr_t(key.flags));
    });
    keyPage_ = std::make_unique<KeyboardKeyPage>(window.ui(), window.keyboardMirror(), *capture_);
    panels_->setApplier(ProfileList::keyboardDevice, [this] { applyDeviceProfile(); });
    panels_->setApplier(ProfileList::keyboardKeys, [this] { applyKeyProfile(); });
    panels_->setResetHandler(ProfileList::keyboardKeys, [this] { transfers_->keyDefaults(); });
    switching_ = std::make_unique<ProgramSwitching>(*panels_, [&window](std::function<void()> call) {
        window.runOnUiThread(std::move(call));
    });
}

void KeyboardFeatures::startProgramWatchers() {
    switching_->start([this](int slot, std::function<void(StopEvent&)> body) { return window_.startWorker(slot, std::move(body)); },
                      worker::LightingProfileWatcher, worker::DeviceProfileWatcher);
}

KeyboardFeatures::~KeyboardFeatures() {
    switching_.reset();  // no watcher reaches the panels from here on
    if (capture_) capture_->remove();
}

// A keyboard device profile chosen (or applied again on arrival): the file is saved back, the
// record follows its block, and the key table goes to the keyboard.
void KeyboardFeatures::applyDeviceProfile() {
    KeyboardMirror& m = window_.keyboardMirror();
    store_->saveSelected(ProfileList::keyboardDevice);
    std::memcpy(m.record.data(), m.blocks[0].data(), KeyboardRecord::kSize);
    refreshPages();
    // The keyboard gets the profile's settings now: left to the next change, they would be read
    // back from the keyboard half a second after arrival and the profile's lighting lost with
    // the next save.
    window_.markDirty(DeviceKind::keyboard);
    transfers_->writeKeyTables();
    window_.ui().setVisible("kb_tab_function", false);
}

void KeyboardFeatures::applyKeyProfile() {
    store_->saveSelected(ProfileList::keyboardKeys);
    transfers_->writeKeyTables();
    window_.ui().setVisible("kb_tab_function", false);
    keyPage_->refresh();
}

void KeyboardFeatures::showMessage(const std::string& key) { window_.showMessage(key); }
// A keyboard that keeps failing while nobody is at the desk would otherwise stack one box on
// another: a notice already on screen is not opened again.
void KeyboardFeatures::showNoticeLater(const std::string& key) {
    window_.runOnUiThread([this, key] {
        // A box opened inside a wait for a device would hold that exchange until it is closed.
        if (DeviceChannel::waitingOnThisThread()) return showNoticeLater(key);
        if (!noticesShown_.insert(key).second) return;
        window_.showMessage(key);
        noticesShown_.erase(key);
    });
}
void KeyboardFeatures::saveDeviceProfile() { store_->saveSelected(ProfileList::keyboardDevice); }
void KeyboardFeatures::saveKeyProfile() { store_->saveSelected(ProfileList::keyboardKeys); }

void KeyboardFeatures::showSettingsTab(bool lighting) {
    ui::Ui& ui = window_.ui();
    ui.setSelected(lighting ? "kb_deng_Op_tab" : "kb_key_Op_tab", true, false);
    ui.setCurrent("kb_tab_switch", lighting ? 0 : 2, false);
}

void KeyboardFeatures::showFirstFunctionPage() { window_.ui().setCurrent("kb_tab_function", 0, false); }
void KeyboardFeatures::setAbControlEnabled(bool enabled) { window_.ui().setEnabled("a_or_b_control_status", enabled); }
void KeyboardFeatures::refreshPages() {
    keyPage_->refresh();
    if (refreshLighting_) refreshLighting_();
}
void KeyboardFeatures::showProgress() { window_.post(msg::ShowProgress); }
void KeyboardFeatures::hideProgressLater() { window_.post(msg::HideProgress); }
