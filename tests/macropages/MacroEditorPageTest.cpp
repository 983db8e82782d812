// The macro editors on the real main layout (offscreen): the name list and chooser, edit mode,
// the action list's operations and recording through the scripted input capture.
#include <gtest/gtest.h>

#include <QWidget>
#include <cstdlib>
#include <memory>

#include "app/ui/Language.h"
#include "app/ui/UiQt.h"
#include "macro/pages/MacroEditorPage.h"
#include "platform/FileDialog.h"
#include "platform/capture/ScriptedInputCapture.h"
#include "support/PageTestSupport.h"
#include "support/TestSupport.h"

using namespace macro;
using namespace testsupport;

namespace {

struct FakeHost : MacroPageHost {
    std::vector<std::string> messages;
    int answer = 1;
    bool inUse = false;
    std::vector<int> corrected;
    ScriptedInputCapture* capture = nullptr;
    uint32_t clock = 0;

    int showMessage(const std::string& key, bool, std::optional<int> value) override {
        messages.push_back(value ? key + "(" + std::to_string(*value) + ")" : key);
        return answer;
    }
    bool macroInUse(int) override { return inUse; }
    void correctAssignments(int deleted) override { corrected.push_back(deleted); }
    void refreshKeyLabels() override {}
    bool installCapture(HookMode mode, bool keyboard, bool mouse) override { return capture->install(mode, keyboard, mouse); }
    void removeCapture() override { capture->remove(); }
    uint32_t now() override { return clock; }
};

}  // namespace

class MacroEditorPageTest : public ::testing::TestWithParam<const char*> {
protected:
    MacroEditorPageTest() {
        ensureQtApplication();
        ui::setSkinDir(std::string(std::getenv("ZELKAR_SOURCE_DIR")) + "/skin");
        window = std::make_unique<QWidget>();
        ui::buildInto(ui, window.get(), "main.xml");
        host.capture = &capture;
        page = std::make_unique<MacroEditorPage>(ui, store, host, p, p == std::string("ms_"));
        ui.setSink([this](const ui::Notification& n) {
            if (n.sender.rfind(p, 0) == 0 && n.sender.find("key_fct") == std::string::npos) page->onNotification(n);
        });
        capture.setKeySink([this](uint32_t, const CapturedKey& k) { page->recordKey(k.virtualKey, k.flags); });
        capture.setMouseSink([this](uint32_t, MouseEventKind kind) { page->recordMouse(uint32_t(kind)); });
        page->start();
    }

    std::string n(const char* suffix) const { return p + suffix; }
    void click(const char* suffix) { ui.raise("click", n(suffix)); }
    std::vector<std::string> rows() const {
        std::vector<std::string> out;
        for (const MacroAction& a : page->actionList().actions()) out.push_back(formatActionLine(a));
        return out;
    }
    std::vector<std::string> cells(int row) const {
        return {ui.itemText(n("Macro_list"), row, 0), ui.itemText(n("Macro_list"), row, 1),
                ui.itemText(n("Macro_list"), row, 2)};
    }

    std::string p = GetParam();
    TempDir dir;
    MacroStore store{dir.path() + "/", p == std::string("ms_") ? MacroListKind::mouse : MacroListKind::keyboard};
    ui::Ui ui;
    std::unique_ptr<QWidget> window;
    FakeHost host;
    ScriptedInputCapture capture;
    std::unique_ptr<MacroEditorPage> page;
};

TEST_P(MacroEditorPageTest, AddRecordSaveAndTheNameListFollowsTheStore) {
    EXPECT_FALSE(ui.isEnabled(n("macro_btn_redio")));  // nothing to record into yet
    click("macro_btn_name_add");
    click("macro_btn_name_add");
    EXPECT_EQ(ui.itemCount(n("MacroName_list")), 2);
    EXPECT_EQ(ui.itemText(n("key_fct_combo_23"), 1), "name_2");
    EXPECT_EQ(page->selectedMacro(), 1);

    ui.setSelected(n("macro_check_time"), true, true);
    ui.setSelected(n("macro_mouse_click"), true, true);
    click("macro_btn_redio");
    EXPECT_EQ(capture.mode(), p == std::string("ms_") ? HookMode::MouseMacro : HookMode::KeyboardMacro);
    EXPECT_FALSE(ui.isEnabled(n("MacroName_list")));
    EXPECT_FALSE(ui.isEnabled(n("macro_btn_save")));
    EXPECT_TRUE(capture.press(0x41));   // withheld from everyone else
    EXPECT_TRUE(capture.press(0x41));   // held: repeats are withheld and not recorded
    EXPECT_FALSE(capture.press(0x14));  // Caps Lock keeps working
    capture.release(0x41);
    capture.mouse(MouseEventKind::RightDown);
    capture.mouse(MouseEventKind::Move);
    click("macro_btn_redio");
    EXPECT_EQ(capture.mode(), HookMode::None);
    EXPECT_EQ(rows(), (std::vector<std::string>{"5,0,138,4,1,keyboard_key_A", "5,0,138,57,1,keyboard_key_Caplk",
                                                "5,0,10,4,0,keyboard_key_A", "0,0,129,2,1,mouse_key_right"}));
    EXPECT_EQ(cells(3)[2], "0");
    EXPECT_FALSE(ui.isEnabled(n("MacroName_list")));  // until saved or cancelled

    click("macro_btn_name_add");  // refused in edit mode
    EXPECT_EQ(host.messages, (std::vector<std::string>{"message_text_3"}));
    click("macro_btn_save");
    EXPECT_TRUE(ui.isEnabled(n("MacroName_list")));
    EXPECT_EQ(store.loadActions("name_2").size(), 4u);
    EXPECT_EQ(store.count(), 2);
}

TEST_P(MacroEditorPageTest, RowOperationsAndCancelRestoreTheFile) {
    click("macro_btn_name_add");
    // Inserting into an empty list, then in front of the selected row.
    click("macro_inset_leftkeydown_btn");
    click("macro_inset_leftkeyup_btn");
    EXPECT_EQ(rows(), (std::vector<std::string>{"5,0,1,1,0,mouse_key_left", "5,0,129,1,1,mouse_key_left"}));
    EXPECT_EQ(ui.current(n("Macro_list")), 1);
    EXPECT_EQ(cells(1)[2], "50");
    ui.setText(n("mouse_y_up_edit"), "999");
    ui.raise("textchanged", n("mouse_y_up_edit"));
    EXPECT_EQ(ui.text(n("mouse_y_up_edit")), "255");
    click("macro_inset_moveupkey_btn");
    EXPECT_EQ(rows()[1], "5,0,133,255,1,mouse_move_to_up_text");
    click("macro_btn_save");

    // Editing the selected row: delay clamp, a key chosen, press to release, a move chosen.
    ui.setCurrent(n("Macro_list"), 0, true);
    EXPECT_EQ(ui.current(n("tab_macro_edit")), 2);
    EXPECT_TRUE(ui.isVisible(n("macro_tab_saveorcancel")));
    ui.setText(n("_macro_edit_mou_action_delay"), "70000");
    ui.raise("textchanged", n("_macro_edit_mou_action_delay"));
    EXPECT_EQ(cells(0)[2], "655350");
    ui.setCurrent(n("macro_combo_mouselect"), 12, true);  // a button row becomes a move up
    EXPECT_EQ(rows()[0], "255,255,133,0,1,mouse_move_to_up_text");
    ui.setCurrent(n("macro_combo_mouselect"), 13, true);  // a move keeps its distance
    ui.setText(n("macro_edit_mou_pointer_skewing"), "40");
    ui.raise("textchanged", n("macro_edit_mou_pointer_skewing"));
    EXPECT_EQ(rows()[0], "255,255,5,40,0,mouse_move_to_down_text");

    ui.setCurrent(n("Macro_list"), 1, true);
    click("macro_btn_uptop");
    click("macro_btn_up");  // first row: nothing moves
    EXPECT_EQ(ui.current(n("Macro_list")), 0);
    EXPECT_EQ(rows()[0], "5,0,133,255,1,mouse_move_to_up_text");
    click("macro_btn_cancel");
    EXPECT_EQ(rows(), (std::vector<std::string>{"5,0,1,1,0,mouse_key_left", "5,0,133,255,1,mouse_move_to_up_text",
                                                "5,0,129,1,1,mouse_key_left"}));
    EXPECT_FALSE(ui.isVisible(n("macro_tab_saveorcancel")));
}

TEST_P(MacroEditorPageTest, KeyRowsAndPressFollowEachOther) {
    click("macro_btn_name_add");
    click("macro_inset_leftkeydown_btn");
    page->actionList().setActions({*parseActionLine("1,0,138,4,1,keyboard_key_A")});
    ui.setCurrent(n("Macro_list"), 0, true);
    EXPECT_EQ(ui.current(n("tab_macro_edit")), 1);
    EXPECT_EQ(ui.current(n("macro_combo_upordown")), 1);
    ui.setCurrent(n("macro_combo_keyselect"), 0, true);  // keyboard_key_LCtrl
    EXPECT_EQ(rows()[0], "1,0,137,1,1,keyboard_key_LCtrl");
    ui.setCurrent(n("macro_combo_upordown"), 0, true);
    EXPECT_EQ(rows()[0], "1,0,9,1,0,keyboard_key_LCtrl");
    ui.setCurrent(n("macro_combo_keyselect"), 8, true);  // keyboard_key_A
    EXPECT_EQ(rows()[0], "1,0,10,4,0,keyboard_key_A");
}

TEST_P(MacroEditorPageTest, DeleteAndRenameAskAndKeepTheListsOne) {
    for (int i = 0; i < 3; ++i) click("macro_btn_name_add");
    ui.setCurrent(n("MacroName_list"), 1, true);
    host.inUse = true;
    host.answer = 0;
    click("macro_btn_name_sub");
    EXPECT_EQ(host.messages, (std::vector<std::string>{"message_text_2"}));
    EXPECT_EQ(store.count(), 3);
    host.answer = 1;
    click("macro_btn_name_sub");
    EXPECT_EQ(host.corrected, (std::vector<int>{1}));
    EXPECT_EQ(store.loadNames(), (std::vector<std::string>{"name_1", "name_3"}));
    EXPECT_EQ(ui.itemCount(n("key_fct_combo_23")), 2);
    EXPECT_EQ(ui.itemText(n("key_fct_combo_23"), 1), "name_3");
    EXPECT_EQ(page->selectedMacro(), 0);

    host.messages.clear();
    for (const char* wanted : {"NAME_3", "../x", "fire"}) {
        ui.setText(n("macro_edit_macroname"), wanted);
        click("macro_btn_savemacroname");
    }
    EXPECT_EQ(host.messages, (std::vector<std::string>{"message_text_5", kMacroNameInvalidKey}));
    EXPECT_EQ(ui.itemText(n("MacroName_list"), 0), "fire");
    EXPECT_EQ(ui.itemText(n("key_fct_combo_23"), 0), "fire");

    click("macro_btn_name_sub");
    click("macro_btn_name_sub");
    EXPECT_EQ(ui.itemCount(n("MacroName_list")), 0);
    EXPECT_FALSE(ui.isEnabled(n("macro_btn_redio")));
    EXPECT_EQ(ui.itemCount(n("Macro_list")), 0);
}

INSTANTIATE_TEST_SUITE_P(BothPages, MacroEditorPageTest, ::testing::Values("kb_", "ms_"));

// Every edit, list and combo of the page is spoken by a name of its own in the current language.
TEST_P(MacroEditorPageTest, EveryFieldHasASpokenName) {
    int checked = 0;
    for (const std::string& control : ui.names()) {
        const std::string kind = ui.kind(control);
        if (control.rfind(p, 0) != 0 || (control.find("macro") == std::string::npos && control.find("Macro") == std::string::npos &&
                                         control.find("mouse_") == std::string::npos))
            continue;
        if (kind != "Edit" && kind != "List" && kind != "Combo" && kind != "Slider") continue;
        ++checked;
        EXPECT_FALSE(ui::widget(ui, control)->accessibleName().isEmpty()) << control;
    }
    EXPECT_EQ(checked, 13);
}

TEST_P(MacroEditorPageTest, RowsFollowTheLanguage) {
    click("macro_btn_name_add");
    click("macro_inset_leftkeydown_btn");
    std::vector<std::string> shown;
    for (auto [language, file] : {std::pair{"en", "lan_en.xml"}, std::pair{"cn_zh", "lan_cn.xml"}}) {
        ASSERT_TRUE(ui::switchLanguage(language, file));
        page->actionList().retranslate();
        EXPECT_EQ(cells(0)[0], ui::Language::instance().text("mouse_key_left"));
        shown.push_back(cells(0)[0]);
    }
    EXPECT_NE(shown[0], shown[1]);
}

namespace {
struct OneAnswerDialogs : FileDialogService {
    std::optional<std::string> answer;
    std::optional<std::string> openFile(const FileDialogRequest&) override { return answer; }
    std::optional<std::string> saveFile(const FileDialogRequest&) override { return answer; }
};
}  // namespace

// While a macro is being edited another cannot be selected: the selection stays with the rows on
// show, so that a save cannot write them into the other macro's file.
TEST_P(MacroEditorPageTest, EditModeKeepsTheSelectionWithItsRows) {
    click("macro_btn_name_add");
    click("macro_btn_name_add");
    click("macro_inset_leftkeydown_btn");
    ui.setCurrent(n("MacroName_list"), 0, true);
    EXPECT_EQ(host.messages, (std::vector<std::string>{p == std::string("ms_") ? "message_text_4" : "message_text_3"}));
    EXPECT_EQ(page->selectedMacro(), 1);
    click("macro_btn_save");
    EXPECT_EQ(store.loadActions("name_2").size(), 1u);
    EXPECT_TRUE(store.loadActions("name_1").empty());
}

TEST_P(MacroEditorPageTest, ImportAndExportOnTheMousePage) {
    if (p != std::string("ms_")) GTEST_SKIP() << "the keyboard page has no import or export";
    auto dialogs = std::make_shared<OneAnswerDialogs>();
    setFileDialogService(dialogs);
    writeFile(dir.file("other.txt"), "not a macro");
    dialogs->answer = dir.file("other.txt");
    click("macro_btn_import");  // an empty list gets a macro first
    EXPECT_EQ(host.messages, (std::vector<std::string>{kMacroImportRefusedKey}));
    EXPECT_EQ(store.count(), 1);
    writeFile(dir.file("in.mac"), "[MACROACTIONCOUNT]\ncount=1\n[MACROACTION]\n0=3,0,129,4,1,mouse_key_middle\n");
    dialogs->answer = dir.file("in.mac");
    click("macro_btn_import");
    EXPECT_EQ(rows(), (std::vector<std::string>{"3,0,129,4,1,mouse_key_middle"}));
    dialogs->answer = dir.file("out.mac");
    click("macro_btn_export");
    EXPECT_EQ(readFile(dir.file("out.mac")), readFile(dir.file("in.mac")));
    setFileDialogService(nullptr);
}
