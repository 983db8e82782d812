#include "keys/pages/KeyboardKeyPage.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "app/ui/Language.h"
#include "keys/KeyCodeTable.h"
#include "keys/KeyboardDefaultCodes.h"
#include "keys/KeyNaming.h"

namespace {

constexpr const char* kPanel = "kb_tab_function";
constexpr const char* kKeyButtonPrefix = "kb_key_";
constexpr int kKeyCount = keys::kKeyboardLogicalKeyCount;

std::string keyButton(int key) { return kKeyButtonPrefix + std::to_string(key); }

// "kb_key_<digits>" -> the key; -1 for any other name (the page's other "kb_key_" controls).
int keyOfButton(const std::string& name) {
    const std::string_view prefix = kKeyButtonPrefix;
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return -1;
    const std::string_view digits = std::string_view(name).substr(prefix.size());
    if (digits.size() > 3 || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return -1;
    const int key = std::stoi(std::string(digits));
    return key < kKeyCount ? key : -1;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::string keyHotImage(const std::string& plain) {
    const std::size_t slash = plain.find_last_of('/');
    const std::size_t dot = plain.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return plain + "_hot";
    return plain.substr(0, dot) + "_hot" + plain.substr(dot);
}

KeyboardKeyPage::KeyboardKeyPage(ui::Ui& ui, KeyboardMirror& mirror, InputCapture& capture, MacroNamesFn macroNames)
    : ui_(ui),
      mirror_(mirror),
      editor_(ui, capture, {"kb_", keys::KeyPage::Keyboard, HookMode::KeyboardSingleKey, false},
              {kKeyCount, [this](int key) { return entryOf(key); },
               [](int key) { return keys::kKeyboardDefaultCodes[std::size_t(key)]; }, [this] { refreshKeyTips(); }},
              std::move(macroNames)) {}

// ---- routing ----------------------------------------------------------------------------------------

void KeyboardKeyPage::onNotification(const ui::Notification& n, int index) {
    const std::string& sender = n.sender;
    if (n.type == "click") {
        if (sender == "kb_key_butt_keydefalut") return restoreDefault();
        if (sender == "kb_key_butt_keycanlc") {
            ui_.setVisible(kPanel, false);
            ui_.setEnabled(kPanel, false);
            return cancelCapture();
        }
        const int key = keyOfButton(sender);
        (void)index;
        if (key < 0) return;
        if (!ui_.isVisible(kPanel)) {
            ui_.setVisible(kPanel, true);
            ui_.setEnabled(kPanel, true);
        }
        return openKey(key);
    }
    editor_.onNotification(n);
}

// ---- the commands -----------------------------------------------------------------------------------

void KeyboardKeyPage::openKey(int key) {
    if (key < 0 || key >= kKeyCount) return;
    editor_.setOpened(key);
    editor_.showOpened();
}

void KeyboardKeyPage::restoreDefault() {
    if (!editor_.openedValid()) return;
    int opened = editor_.opened();
    const keys::KeyFunction code = keys::kKeyboardDefaultCodes[std::size_t(opened)];
    uint8_t* entry = entryOf(opened);
    entry[0] = code.type;
    entry[1] = code.p1;
    entry[2] = code.p2;
    // The editor moves to the logical key that sits at this index on the keyboard unit, if any.
    const KeyPositionMap& keyboard = mirror_.positionMaps[std::size_t(KeyboardUnit::keyboard)];
    for (int i = 0; i < kKeyCount; ++i) {
        if (keyboard[std::size_t(i)] == opened) {
            opened = i;
            break;
        }
    }
    openKey(opened);
    refreshKeyTips();
}

void KeyboardKeyPage::refresh() {
    editor_.fillMacroChooser();
    refreshKeyTips();
}

void KeyboardKeyPage::onCapturedKey(int virtualKey, unsigned flags) { editor_.onCapturedKey(virtualKey, flags); }

void KeyboardKeyPage::cancelCapture() { editor_.cancelCapture(); }

void KeyboardKeyPage::refreshKeyTips() {
    for (int k = 0; k < kKeyCount; ++k) {
        const uint8_t* entry = entryOf(k);
        const keys::KeyName name = keys::keyName({entry[0], entry[1], entry[2]}, keys::KeyPage::Keyboard, editor_.macros());
        if (name.kind == keys::KeyName::Kind::Unchanged) continue;

        const std::string button = keyButton(k);
        const keys::KeyFunction code = keys::kKeyboardDefaultCodes[std::size_t(k)];
        const int row = keys::findKeyCodeRowByParams(code.p1, code.p2);
        const std::string defaultName = row >= 0 ? std::string(keys::keyCodeTable()[std::size_t(row)].name) : button;
        const std::string plain = ui_.userData(button);

        if (sameIgnoringCase(name.text, defaultName)) {
            ui_.setToolTip(button, defaultName);
            ui_.setBkImage(button, plain);
            continue;
        }
        const std::string function =
            name.kind == keys::KeyName::Kind::Literal ? name.text : translate(name.text);
        ui_.setToolTip(button, translate(defaultName) + translate("Key_Set") + function);
        if (!plain.empty()) ui_.setBkImage(button, keyHotImage(plain));
    }
}

// ---- helpers ----------------------------------------------------------------------------------------

// The record's profile number picks the slot; a number beyond the mirror's slots edits slot 0, as
// the transfers do.
unsigned KeyboardKeyPage::activeProfile() const {
    const unsigned profile = mirror_.record[KeyboardRecord::kProfile];
    return profile < mirror::kOnboardProfiles ? profile : 0;
}

uint8_t* KeyboardKeyPage::entryOf(int key) {
    return &mirror_.workingKeyTable[activeProfile()][std::size_t(key) * keys::kKeyFunctionSize];
}

// The current language's text for a key: through the hidden label "str_test" as every page does,
// or the language table when the layout lacks it.
std::string KeyboardKeyPage::translate(const std::string& key) {
    if (!ui_.has("str_test")) return ui::Language::instance().text(key);
    ui_.setTextKey("str_test", key);
    return ui_.text("str_test");
}
