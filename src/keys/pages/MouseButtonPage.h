// The mouse button page: the mouse picture with its six buttons ("ms_key_0".."ms_key_5", their
// pictures "ms_key_<k>_0") and the function editor panel "ms_tab_function" with the "ms_"
// controls of the key editor, the gun column included.
//
// It edits the key table of the mouse's active onboard profile in the mouse mirror (entry k at
// 3k of the 126 bytes the mouse keeps per profile); the mouse's own default table gives each
// button's default. The mouse always keeps a left button among keys 0..8: opening the only one
// is refused with "message_text_6". Buttons 0..6 show the name of their function as text and tip.
// Choosing (or opening a key with) the "keyboard key" type captures the next key pressed,
// through the window's InputCapture in mode 16. Changes reach the mouse on "save to device".
// UI thread only.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/ui/Ui.h"
#include "keys/pages/KeyEditorPanel.h"
#include "mirror/MouseMirror.h"
#include "platform/InputCapture.h"

class MouseButtonPage {
public:
    static constexpr int kPictures = 6;   // buttons with a picture and hover images
    static constexpr int kLabels = 7;     // buttons whose labels follow their function
    static constexpr int kKeys = int(MouseMirror::kKeyTableBytes / 3);
    static constexpr int kLeftRuleKeys = 9;  // the left button must stay on one of keys 0..8

    using MacroNamesFn = std::function<std::vector<std::string>()>;
    using MessageFn = std::function<void(const std::string&)>;

    MouseButtonPage(ui::Ui& ui, MouseMirror& mirror, InputCapture& capture, MessageFn message,
                    MacroNamesFn macroNames = {});
    MouseButtonPage(const MouseButtonPage&) = delete;  // the editor calls back into this page
    MouseButtonPage& operator=(const MouseButtonPage&) = delete;

    // "click" of "ms_key_<k>", "ms_key_butt_keysave", "ms_key_butt_keydefalut"; "msenter" /
    // "msleave" of the six buttons (index: the button); "itemselect" of the editor's combos;
    // "textchanged" of its edits.
    void onNotification(const ui::Notification& n, int index);
    void nameControls();
    // After every read of the mouse, a profile switch or a loaded profile.
    void refresh();
    // Message 0x0810: a key event captured in mode 16.
    void onCapturedKey(int virtualKey, unsigned flags);
    void cancelCapture();

    void openKey(int key);
    void saveKey();
    void restoreDefault();
    void hover(int key, bool entering);
    void refreshButtonLabels();

    int openedKey() const { return editor_.opened(); }
    bool capturing() const { return editor_.capturing(); }

    // The picture's image strings of button k (0..5).
    static std::string normalImage(int key);
    static std::string hoverImage(int key);

private:
    void showKey();
    uint8_t* entryOf(int key);
    bool onlyLeftButton(int key);

    ui::Ui& ui_;
    MouseMirror& mirror_;
    MessageFn message_;
    KeyEditorPanel editor_;
};
