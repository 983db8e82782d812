#include "app/MacroFeatures.h"

#include <chrono>

#include "app/KeyboardFeatures.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "app/Texts.h"
#include "macro/MacroAssignments.h"
#include "macro/MacroTransfer.h"
#include "mirror/KeyboardDefaultCodes.h"
#include "platform/DataFolder.h"

namespace {

constexpr std::size_t kMouseMacroButtons = 6;  // the buttons a mouse macro can be assigned to

uint32_t steadyMilliseconds() {
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

class MacroFeatures::PageHost : public macro::MacroPageHost {
public:
    PageHost(CMainWnd& window, KeyboardFeatures& keyboard, bool mouse)
        : window_(window), keyboard_(keyboard), mouse_(mouse) {}

    int showMessage(const std::string& key, bool, std::optional<int> value) override {
        if (value) return showMessageBox(&window_, "", formatMessage(key, *value), false);
        return showMessageBox(&window_, "", key, true);
    }
    bool macroInUse(int index) override {
        for (std::size_t p = 0; p < mirror::kOnboardProfiles; ++p)
            if (macro::tableUsesMacro(table(p), entries(), index)) return true;
        return false;
    }
    void correctAssignments(int deleted) override {
        for (std::size_t p = 0; p < mirror::kOnboardProfiles; ++p)
            macro::correctAfterDelete(table(p), defaults(), entries(), deleted);
    }
    void refreshKeyLabels() override {
        if (!mouse_) keyboard_.keyPage().refresh();
    }
    bool installCapture(HookMode mode, bool keyboard, bool mouse) override {
        return keyboard_.capture().install(mode, keyboard, mouse);
    }
    // Only this page's own hooks: a key capture or the other page's recording that took them
    // over since stays as it is.
    void removeCapture() override {
        InputCapture& capture = keyboard_.capture();
        if (capture.mode() == (mouse_ ? HookMode::MouseMacro : HookMode::KeyboardMacro)) capture.remove();
    }
    uint32_t now() override { return steadyMilliseconds(); }

private:
    std::span<uint8_t> table(std::size_t profile) {
        if (mouse_) return window_.mouseMirror().keyTables[profile];
        return window_.keyboardMirror().workingKeyTable[profile];
    }
    std::span<const uint8_t> defaults() {
        if (mouse_) return window_.mouseMirror().defaultKeyTable;
        return keyboardDefaults_;
    }
    std::size_t entries() const { return mouse_ ? kMouseMacroButtons : kKeyboardLogicalKeys; }

    CMainWnd& window_;
    KeyboardFeatures& keyboard_;
    bool mouse_;
    mirror::KeyTableSlot keyboardDefaults_ = keyboardDefaultKeyTable();
};

MacroFeatures::MacroFeatures(CMainWnd& window, KeyboardFeatures& keyboard)
    : window_(window),
      keyboard_(keyboard),
      keyboardStore_(deviceFolder(DeviceFolder::keyboard), macro::MacroListKind::keyboard),
      mouseStore_(deviceFolder(DeviceFolder::mouse), macro::MacroListKind::mouse),
      keyboardHost_(std::make_unique<PageHost>(window, keyboard, false)),
      mouseHost_(std::make_unique<PageHost>(window, keyboard, true)) {
    keyboardEditor_ = std::make_unique<macro::MacroEditorPage>(window.ui(), keyboardStore_, *keyboardHost_, "kb_", false);
    mouseEditor_ = std::make_unique<macro::MacroEditorPage>(window.ui(), mouseStore_, *mouseHost_, "ms_", true);
    keyboard.keyPage().setMacroNames([this] { return keyboardStore_.loadNames(); });
    // Mouse events are only observed; they reach the recorder after the event has gone on.
    // Mouse events are posted, so their time travels with them; keys are sent and read it here.
    InputCapture& capture = keyboard.capture();
    capture.setMouseSink([&window, &capture](uint32_t message, MouseEventKind kind) {
        window.post(message, uintptr_t(kind), intptr_t(capture.lastEventTime()));
    });
}

MacroFeatures::~MacroFeatures() = default;

void MacroFeatures::start() {
    keyboardEditor_->start();
    mouseEditor_->start();
}

void MacroFeatures::onNotification(const ui::Notification& n) {
    if (n.sender.rfind("ms_", 0) == 0) mouseEditor_->onNotification(n);
    else keyboardEditor_->onNotification(n);
}

void MacroFeatures::hookMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    switch (message) {
    case hookmsg::KeyMacro: return keyboardEditor_->recordKey(int(wParam), unsigned(lParam), keyTime());
    case hookmsg::KeyMacroMouse: return keyboardEditor_->recordMouse(uint32_t(wParam), uint32_t(lParam));
    case hookmsg::MouMacro: return mouseEditor_->recordKey(int(wParam), unsigned(lParam), keyTime());
    case hookmsg::MouMacroMouse: return mouseEditor_->recordMouse(uint32_t(wParam), uint32_t(lParam));
    default: return;
    }
}

// Key events are sent: the message is handled while the capture still delivers the event.
uint32_t MacroFeatures::keyTime() { return keyboard_.capture().lastEventTime(); }

void MacroFeatures::endRecording() {
    keyboardEditor_->stopRecording();
    mouseEditor_->stopRecording();
}

void MacroFeatures::retranslate() {
    keyboardEditor_->actionList().retranslate();
    mouseEditor_->actionList().retranslate();
}

void MacroFeatures::captureLost() {
    InputCapture& capture = keyboard_.capture();
    if (capture.mode() == HookMode::KeyboardMacro || capture.mode() == HookMode::MouseMacro) capture.remove();
}

bool MacroFeatures::saveKeyboardMacros() {
    DeviceChannel* units[] = {&window_.channel(ChannelKeyboard), &window_.channel(ChannelSmallKeyboard),
                              &window_.channel(ChannelCompanionKeyboard)};
    const std::size_t capacity = std::size_t(window_.keyboardMirror().deviceInfo[0][6]) * macro::kCapacityUnit;
    return macro::saveMacrosToDevice(keyboardStore_, units, capacity,
                                     [this](const std::string& key, std::optional<int> v) {
                                         keyboardHost_->showMessage(key, false, v);
                                     }) == 1;
}

bool MacroFeatures::saveMouseMacros() {
    DeviceChannel* units[] = {&window_.channel(ChannelMouse)};
    const std::size_t capacity = std::size_t(window_.mouseMirror().deviceInfo[6]) * macro::kCapacityUnit;
    return macro::saveMacrosToDevice(mouseStore_, units, capacity,
                                     [this](const std::string& key, std::optional<int> v) {
                                         mouseHost_->showMessage(key, false, v);
                                     }) == 1;
}
