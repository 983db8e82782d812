#include "app/MouseFeatures.h"

#include <QTimer>
#include <algorithm>

#include "app/KeyboardFeatures.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "app/Texts.h"
#include "app/WindowMessages.h"
#include "macro/MacroTransfer.h"
#include "macro/RecoilTable.h"
#include "platform/DataFolder.h"

namespace {

int imageResult(int built) {
    switch (built) {
    case macro::ImageBuilt: return ImageReady;
    case macro::ImageOverflow: return ImageTooLarge;
    case macro::ImageNoRoom: return ImageNoMemory;
    default: return ImageNothing;
    }
}

}  // namespace

MouseFeatures::MouseFeatures(CMainWnd& window, KeyboardFeatures& keyboard, std::shared_ptr<SystemSettings> settings)
    : window_(window),
      keyboard_(keyboard),
      recoilStore_(deviceFolder(DeviceFolder::mouse), defaultsFolder()),
      macroStore_(deviceFolder(DeviceFolder::mouse), macro::MacroListKind::mouse) {
    if (!settings) settings = makeSystemSettings();
    // The worker reports from its own thread; what the desktop refused is told on the UI thread.
    worker_ = std::make_unique<SystemSettingsWorker>(
        std::move(settings), [&window, this](SystemSettingsWorker::Kind kind, int, int result) {
            if (result == SystemSettings::Applied) return;
            window.runOnUiThread([this, kind, result] { pointer_->tell(kind, result); });
        });
    mouseTransfers_ = std::make_unique<MouseTransfers>(window.mouseMirror(), window.channel(ChannelMouse), *this);
    padTransfers_ = std::make_unique<PadTransfers>(window.padMirror(), window.channel(ChannelPad), *this);
    buttonPage_ = std::make_unique<MouseButtonPage>(window.ui(), window.mouseMirror(), keyboard.capture(),
                                                    [this](const std::string& key) { showMessage(key); });
    performance_ = std::make_unique<PerformancePage>(window.ui(), window.mouseMirror(), *this);
    pointer_ = std::make_unique<PointerWheelPage>(
        window.ui(), keyboard.systemSettings(), *worker_, [this] { saveMouseProfiles(); },
        [this](const std::string& key) { showMessage(key); });
    recoilPage_ = std::make_unique<macro::RecoilPage>(
        window.ui(), recoilStore_, window.channel(ChannelMouse),
        [this](const std::string& key, std::optional<int> value) { showMessageWith(key, value); });
    buttonPage_->nameControls();
    performance_->nameControls();
    pointer_->nameControls();
    recoilPage_->nameControls();
    mouseTransfers_->setRecoilStep([this](size_t, std::vector<uint8_t>& image) { return recoilImage(image); });
    mouseTransfers_->setMacroStep(
        [this](size_t capacity, std::vector<uint8_t>& image) { return macroImage(capacity, image); });

    ProfilePanels& panels = keyboard.panels();
    panels.setApplier(ProfileList::mouseDevice, [this] { mouseTransfers_->applyDeviceProfile(); });
    auto applyKeys = [this] {
        mouseTransfers_->applyKeyProfile();
        window_.ui().setVisible("ms_tab_function", false);
        buttonPage_->refresh();
    };
    panels.setApplier(ProfileList::mouseKeys, applyKeys);
    // "ms_pro_key_reset_btn" and "ms_pro_device_reset_btn": the defaults are in the mirror and the
    // files by now; the mouse gets them as the device-defaults writes send them.
    panels.setResetHandler(ProfileList::mouseKeys, applyKeys);
    panels.setResetHandler(ProfileList::mouseDevice, [this] { mouseTransfers_->applyDeviceDefaults(); });
}

// A mouse that is not connected was never read and announces no room for macros: save to device
// then skips both images instead of refusing the save. A connected mouse gets both images checked
// against what it announced, and the user is told how many actions must go when one is too large.
int MouseFeatures::recoilImage(std::vector<uint8_t>& image) {
    if (!window_.channel(ChannelMouse).isConnected()) return ImageNothing;
    return imageResult(recoilPage_->table(&image));
}

int MouseFeatures::macroImage(size_t capacity, std::vector<uint8_t>& image) {
    if (!window_.channel(ChannelMouse).isConnected()) return ImageNothing;
    int surplus = 0;
    const int built = macro::buildImageFor(macro::loadMacroList(macroStore_), capacity, &image, &surplus);
    if (built == macro::ImageOverflow) showMessageWith("message_text_16", surplus);
    return imageResult(built);  // the save tells of an image it could not build
}

void MouseFeatures::showMessageWith(const std::string& key, std::optional<int> value) {
    if (value) showMessageBox(&window_, "", formatMessage(key, *value), false);
    else showMessage(key);
}

MouseFeatures::~MouseFeatures() { buttonPage_->cancelCapture(); }

void MouseFeatures::onMouseMirror(const ui::Notification& n, int index) {
    if (n.sender == "ms_key_butt_prosave") return mouseTransfers_->saveToDevice();
    if (n.sender == "ms_one_profile_default") return mouseTransfers_->reset();
    // "ms_profile_<n>": the number is checked to be one of the mouse's profiles by the switch.
    const std::string prefix = "ms_profile_";
    const std::string digits = n.sender.substr(std::min(n.sender.size(), prefix.size()));
    if (n.sender.rfind(prefix, 0) == 0 && !digits.empty() && digits.size() <= 3 &&
        digits.find_first_not_of("0123456789") == std::string::npos && index >= 0)
        mouseTransfers_->switchProfile(unsigned(index));
}

void MouseFeatures::onPadMirror(const ui::Notification& n) {
    if (n.sender == "mp_one_profile_default") return padTransfers_->reset();
    if (n.type == "itemselect" && n.sender == "mp_deng_combo_profile") {
        const int item = window_.ui().current(n.sender);
        if (item >= 0) padTransfers_->switchProfile(unsigned(item));
    }
}

void MouseFeatures::showMessage(const std::string& key) { window_.showMessage(key); }
void MouseFeatures::saveDeviceProfile() { keyboard_.store().saveSelected(ProfileList::mouseDevice); }
void MouseFeatures::saveLightingProfile() { keyboard_.store().saveSelected(ProfileList::mouseLighting); }

void MouseFeatures::saveMouseProfiles() {
    saveLightingProfile();
    saveDeviceProfile();
}

void MouseFeatures::refreshPages() {
    performance_->fill();
    pointer_->show();
    buttonPage_->refresh();
    if (refreshMouseLighting_) refreshMouseLighting_();
}

// A new onboard profile: the editor starts over on its first page, hidden until a key is opened.
void MouseFeatures::showFirstFunctionPage() {
    buttonPage_->cancelCapture();
    window_.ui().setCurrent("ms_tab_function", 0, false);
    window_.ui().setVisible("ms_tab_function", false);
}

void MouseFeatures::showProgress() { window_.post(msg::ShowProgress); }
void MouseFeatures::hideProgressLater() { window_.post(msg::HideProgress); }
void MouseFeatures::markDirty() { window_.markDirty(DeviceKind::mouse); }
void MouseFeatures::resetSystemSettings() { pointer_->reset(); }
void MouseFeatures::applySystemSettings() { pointer_->applyProfile(); }

void MouseFeatures::refreshPage() {
    if (refreshPadLighting_) refreshPadLighting_();
}

void MouseFeatures::readAgainLater() {
    QTimer::singleShot(1000, &window_, [window = &window_] { window->post(msg::ReadPad); });
}
