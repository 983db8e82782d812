// The action half of a macro editor: the rows of the open macro, the buttons that move and
// delete them, the action editor that changes the selected row, and the insert panel.
//
// Each row holds its action line as data and three cells: the action's interface text, press /
// release (or a move's distance), and the pause after it in milliseconds. The lines kept here are
// the truth; the cells follow from them. Rows change only here and reach the action file only
// through the editor's save. Every operation enters edit mode (through the callback).
//
// Control names are those of the page's prefix ("kb_" or "ms_").
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/ui/Ui.h"
#include "macro/MacroAction.h"

namespace macro {

class MacroActionList {
public:
    MacroActionList(ui::Ui& ui, std::string prefix, std::function<void()> enterEditMode);

    // Handles the notifications of the list's own controls; false when n is not one of them.
    bool onNotification(const ui::Notification& n);

    // The rows: loading replaces them, appending a recorded action gives the previous row the
    // pause before it.
    void setActions(const std::vector<MacroAction>& actions);
    void clear();
    void appendRecorded(const MacroAction& action, int pauseBeforeMs);
    const std::vector<MacroAction>& actions() const { return actions_; }
    // The cells show interface texts: after a language switch they are written again.
    void retranslate();

    // The key chooser of the action editor: the macro key rows in table order.
    void fillKeyChooser();
    // Inserting needs a selected macro: the editor says whether there is one.
    void setHasMacro(bool hasMacro) { hasMacro_ = hasMacro; }

    std::string name(const char* suffix) const { return prefix_ + suffix; }

private:
    int selected() const;
    void select(int row);
    void rebuildFrom(int row);
    std::vector<std::string> cells(const MacroAction& action) const;
    void showRow(int row);

    void move(int to);
    void openEditor();
    void keyChosen();
    void pressChosen();
    void mouseRowChosen();
    void delayChanged(const std::string& field);
    void distanceChanged();
    void insert(MacroAction action);
    bool insertButton(const std::string& sender);
    void showInsertTab(const std::string& sender);

    ui::Ui& ui_;
    std::string prefix_;
    std::function<void()> enterEditMode_;
    std::vector<MacroAction> actions_;
    bool hasMacro_ = false;
};

}  // namespace macro
