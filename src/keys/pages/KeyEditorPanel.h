// The key editor panel that the keyboard key page and the mouse button page share: the combos
// "<prefix>key_fct_combo*", the edits "<prefix>key_fct_edit_*", the sub-panels
// "<prefix>tab_function_<item>" and the macro chooser, kept in step with the opened key's entry.
//
// The page says what differs: the control-name prefix ("kb_" / "ms_"), its column of the editor
// table (whether the gun combo belongs to it), the capture mode, and through KeySource how many
// keys it has, where each key's entry lives, each key's default and what follows a changed entry.
// Every editor change is encoded into the opened key's entry at once.
// UI thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/ui/Ui.h"
#include "keys/KeyEditor.h"
#include "platform/InputCapture.h"

class KeyEditorPanel {
public:
    using MacroNamesFn = std::function<std::vector<std::string>()>;

    // Which of the page's controls the panel drives.
    struct Column {
        const char* prefix;     // "kb_" or "ms_"
        keys::KeyPage page;
        HookMode captureMode;   // how a "keyboard key" is captured for this page
        bool gunCombo;          // "<prefix>key_fct_combo_25" is part of the editor
    };

    // Where the page's keys live.
    struct KeySource {
        int keyCount = 0;
        std::function<uint8_t*(int key)> entry;                // the key's 3-byte entry
        std::function<keys::KeyFunction(int key)> defaultOf;   // the key's default function
        std::function<void()> changed;                         // after an entry was written
    };

    KeyEditorPanel(ui::Ui& ui, InputCapture& capture, Column column, KeySource keys, MacroNamesFn macroNames);

    void setMacroNames(MacroNamesFn macroNames) { macroNames_ = std::move(macroNames); }

    // "itemselect" of the editor's combos and "textchanged" of its edits; other notifications are
    // left to the page.
    void onNotification(const ui::Notification& n);

    // Fills the editor from the opened key's entry and starts or ends key capture as it asks.
    void showOpened();
    // Encodes the editor into the opened key's entry (nothing when the editor is incomplete).
    void encode();
    void onCapturedKey(int virtualKey, unsigned flags);
    void startCapture();
    void cancelCapture();
    bool capturing() const { return capture_.mode() == column_.captureMode && capture_.keyboardInstalled(); }
    void fillMacroChooser();

    int opened() const { return opened_; }
    void setOpened(int key) { opened_ = key; }
    bool openedValid() const { return opened_ >= 0 && opened_ < keys_.keyCount; }
    const std::vector<std::string>& macros() const { return macros_; }

    // "<prefix><suffix>".
    std::string control(std::string_view suffix) const { return column_.prefix + std::string(suffix); }
    // The whole editor panel, "<prefix>tab_function".
    std::string panel() const { return control("tab_function"); }

private:
    bool inColumn(std::string_view suffix) const { return column_.gunCombo || suffix != "key_fct_combo_25"; }
    keys::EditorState readEditor() const;
    void writeEditor(const keys::EditorState& state);
    keys::EditorContext context() const;
    void showSubPanel(int item);
    void chooseType();
    void choosePlayMode();
    void editChanged(const std::string& name);

    ui::Ui& ui_;
    InputCapture& capture_;
    Column column_;
    KeySource keys_;
    MacroNamesFn macroNames_;
    std::vector<std::string> macros_;
    int opened_ = 0;
    // What the controls cannot hold: the entry of the last captured key.
    keys::KeyFunction captured_{};
};
