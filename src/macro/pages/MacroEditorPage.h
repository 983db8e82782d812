// One device's macro editor: the macro name list and the key page's macro chooser, add, delete,
// rename, save, cancel, import, export and recording, with the rows of the open macro in a
// MacroActionList. The keyboard page ("kb_") and the mouse page ("ms_") each have one.
//
// Edit mode (the save/cancel bar shows) locks the name list; adding and deleting are refused
// then, and the window's tab guard keeps the macro tab in front. Everything runs on the UI thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/ui/Ui.h"
#include "macro/MacroRecorder.h"
#include "macro/MacroStore.h"
#include "macro/pages/MacroActionList.h"
#include "platform/InputCapture.h"

namespace macro {

// What the editor needs of the window and the device mirrors.
class MacroPageHost {
public:
    virtual ~MacroPageHost() = default;
    // A message box with a language key; the number goes into its "%d". 1 when confirmed.
    virtual int showMessage(const std::string& key, bool confirm, std::optional<int> value = std::nullopt) = 0;
    // Whether a key assignment of any onboard profile names macro index.
    virtual bool macroInUse(int index) = 0;
    // Macro `deleted` is gone: assignments naming it get their key's default, later ones move down.
    virtual void correctAssignments(int deleted) = 0;
    virtual void refreshKeyLabels() = 0;
    virtual bool installCapture(HookMode mode, bool keyboard, bool mouse) = 0;
    virtual void removeCapture() = 0;
    virtual uint32_t now() = 0;  // milliseconds
};

class MacroEditorPage {
public:
    // prefix "kb_" or "ms_"; mouse pages record in mode 64 and have import and export.
    MacroEditorPage(ui::Ui& ui, MacroStore& store, MacroPageHost& host, std::string prefix, bool mousePage);

    // Fills the name list, the chooser and the key list; selects the last macro.
    void start();
    // The page's notifications; false when n is not one of them.
    bool onNotification(const ui::Notification& n);

    // Recording: the record button, the events of its hook mode, and the window taking the hooks
    // away (deactivation: recording pauses and the next press of the button stops it).
    void toggleRecording();
    // eventTime: the event's own time stamp (InputCapture::lastEventTime), 0 for none.
    void recordKey(int virtualKey, unsigned flags, uint32_t eventTime = 0);
    void recordMouse(uint32_t eventKind, uint32_t eventTime = 0);
    void stopRecording();  // a selection change elsewhere: recording ends, the controls come back
    bool recording() const { return recorder_.recording(); }

    bool editing() const;
    int selectedMacro() const;
    std::vector<std::string> names() const { return names_; }
    MacroActionList& actionList() { return list_; }

private:
    std::string name(const char* suffix) const { return prefix_ + suffix; }
    void enterEditMode();
    void leaveEditMode();
    void setEditingControlsEnabled(bool enabled);
    void setRecordingLocks(bool locked);
    void selectMacro(int index);
    void loadRows(int index);
    void addMacro();
    void deleteMacro();
    void renameMacro();
    void save();
    void cancel();
    void importMacro();
    void exportMacro();

    ui::Ui& ui_;
    MacroStore& store_;
    MacroPageHost& host_;
    std::string prefix_;
    bool mousePage_;
    MacroActionList list_;
    MacroRecorder recorder_;
    std::vector<std::string> names_;
    int shownMacro_ = -1;  // the macro whose rows the list holds
    bool renaming_ = false;
};

// Language keys of the messages this program adds to the numbered ones.
inline constexpr const char* kMacroNameInvalidKey = "message_macro_name_invalid";
inline constexpr const char* kMacroImportRefusedKey = "message_macro_import_refused";

}  // namespace macro
