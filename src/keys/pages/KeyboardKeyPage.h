// The keyboard key page: the keyboard picture with its 132 logical keys ("kb_key_0".."kb_key_131")
// and the function editor panel "kb_tab_function" with the "kb_" controls of the key editor.
//
// It edits the active onboard profile's slot of the mirror's working key table (entry k at 3k),
// encodes every editor change at once, and marks each remapped key: its tip names the built-in
// function, "Key_Set" and the new one, and its normal image becomes its hot image. The plain image
// is the button's user data; the hot image is the plain one with "_hot" before the extension, as
// the layout names them ("kb/key_26x26.png" -> "kb/key_26x26_hot.png").
//
// Choosing (or opening a key with) the "keyboard key" type captures the next key pressed, through
// the window's InputCapture in mode 1; the window hands the captured key to onCapturedKey().
// UI thread only.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/ui/Ui.h"
#include "keys/pages/KeyEditorPanel.h"
#include "mirror/KeyboardMirror.h"
#include "platform/InputCapture.h"

class KeyboardKeyPage {
public:
    // The device's macro names in list order (empty until there are macros).
    using MacroNamesFn = std::function<std::vector<std::string>()>;

    KeyboardKeyPage(ui::Ui& ui, KeyboardMirror& mirror, InputCapture& capture, MacroNamesFn macroNames = {});
    KeyboardKeyPage(const KeyboardKeyPage&) = delete;  // the editor calls back into this page
    KeyboardKeyPage& operator=(const KeyboardKeyPage&) = delete;
    // Where the macro chooser's names come from (the keyboard's macro store).
    void setMacroNames(MacroNamesFn macroNames) { editor_.setMacroNames(std::move(macroNames)); }

    // Everything the router hands to the page: "click" of "kb_key_<k>" (the key is read from the
    // name; index is the router's split of it) and of
    // "kb_key_butt_keydefalut" (and "kb_key_butt_keycanlc", should it come here), "itemselect" of
    // the "kb_key_fct_combo*" controls, "textchanged" of the "kb_key_fct_edit_*" controls.
    void onNotification(const ui::Notification& n, int index);

    // After every read of the keyboard, a profile load and key defaults: the macro chooser is
    // filled again and the tips and images follow the table.
    void refresh();

    // Message 0x0801: a key event captured in mode 1 (virtual key, hook flags).
    void onCapturedKey(int virtualKey, unsigned flags);

    // Ends key capture if this page runs it (tab switch, window deactivation, cancel).
    void cancelCapture();

    // The page's commands, also reachable through onNotification.
    void openKey(int key);
    void restoreDefault();
    void refreshKeyTips();

    int openedKey() const { return editor_.opened(); }
    bool capturing() const { return editor_.capturing(); }

private:
    unsigned activeProfile() const;
    uint8_t* entryOf(int key);
    std::string translate(const std::string& key);

    ui::Ui& ui_;
    KeyboardMirror& mirror_;
    KeyEditorPanel editor_;
};

// The hot image that belongs to a plain key image: "_hot" before the extension.
std::string keyHotImage(const std::string& plain);
