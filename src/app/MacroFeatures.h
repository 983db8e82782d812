// The macro editors of the keyboard page and the mouse page as the main window hosts them: their
// stores in the device folders, the window's message boxes, the key assignments of the mirrors,
// the shared input capture, and the macro image step of the save-to-device actions.
#pragma once

#include <memory>

#include "macro/MacroStore.h"
#include "macro/pages/MacroEditorPage.h"

class CMainWnd;
class KeyboardFeatures;

class MacroFeatures {
public:
    // The keyboard's features lend their input capture (one set of hooks for the whole window)
    // and their key page, whose macro chooser lists this keyboard store's names.
    MacroFeatures(CMainWnd& window, KeyboardFeatures& keyboard);
    ~MacroFeatures();

    macro::MacroEditorPage& keyboardEditor() { return *keyboardEditor_; }
    macro::MacroEditorPage& mouseEditor() { return *mouseEditor_; }
    macro::MacroStore& keyboardStore() { return keyboardStore_; }
    macro::MacroStore& mouseStore() { return mouseStore_; }

    // "windowinit": both editors fill their lists.
    void start();
    // Routed notifications of either page.
    void onNotification(const ui::Notification& n);
    // Messages 0x0803 / 0x0812 (virtual key, hook flags) and 0x0804 / 0x0813 (mouse event kind),
    // for the keyboard page and the mouse page.
    void hookMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
    // A selection change elsewhere ends recording; deactivation only takes the hooks away.
    void endRecording();
    void captureLost();
    // The language changed: the action rows show their names in the new one.
    void retranslate();

    // The first step of "kb_key_butt_prosave": the keyboard's macro image to its three units.
    // false when the save must go no further (the user has been told why).
    bool saveKeyboardMacros();
    // The same for the mouse, for the mouse page's save action.
    bool saveMouseMacros();

private:
    class PageHost;
    uint32_t keyTime();
    CMainWnd& window_;
    KeyboardFeatures& keyboard_;
    macro::MacroStore keyboardStore_;
    macro::MacroStore mouseStore_;
    std::unique_ptr<PageHost> keyboardHost_;
    std::unique_ptr<PageHost> mouseHost_;
    std::unique_ptr<macro::MacroEditorPage> keyboardEditor_;
    std::unique_ptr<macro::MacroEditorPage> mouseEditor_;
};
