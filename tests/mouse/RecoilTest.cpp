// The recoil patterns: their files (first start, damaged files), the step editor on the real main
// layout (offscreen), the table on the wire and in the emulated mouse, and the mouse's save to
// device with the real images in the whole window.
#include <gtest/gtest.h>

#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iterator>

#include "app/AppTestSupport.h"
#include "app/MouseFeatures.h"
#include "app/ui/UiQt.h"
#include "integration/BusFixture.h"
#include "macro/MacroStore.h"
#include "macro/MacroTransfer.h"
#include "macro/RecoilTable.h"
#include "macro/pages/RecoilPage.h"
#include "platform/FileDialog.h"
#include "profile/IniFile.h"
#include "support/PageTestSupport.h"

using namespace macro;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

std::string shippedDefaults() { return apptest::sourceDir() + "/defaults/"; }

// A pattern file of n actions, every one a move right by `distance`.
std::string patternText(int n, int distance = 1, const std::string& count = "") {
    std::string text = "[MACROACTIONCOUNT]\ncount=" + (count.empty() ? std::to_string(n) : count) + "\n[MACROACTION]\n";
    for (int i = 0; i < n; ++i)
        text += std::to_string(i) + "=0,0,4," + std::to_string(distance) + ",0,mouse_move_to_right_text\n";
    return text;
}

// The command interface of the emulated mouse.
std::string mousePath(const std::string& busDir) {
    HidTransport transport(testsupport::busRoots(busDir));
    if (!transport.enumerate()) return {};
    while (const char* p = transport.nextPath())
        if (parseProductId(p) == 0x6656 && parseInterfaceNumber(p) == 1) return p;
    return {};
}

// The commands sent to the mouse, runs of the same command taken as one (chunks of one write).
std::vector<uint8_t> framedCommands(const sim::VirtualBus& bus) {
    std::vector<uint8_t> cmds, framed;
    for (const sim::WireRecord& r : bus.wireRecords())
        if (r.dev == "mouse" && r.dir == sim::WireDir::Out) cmds.push_back(r.bytes[3]);
    std::unique_copy(cmds.begin(), cmds.end(), std::back_inserter(framed));
    return framed;
}

class RecoilFiles : public ::testing::Test {
protected:
    RecoilFiles() { std::filesystem::create_directories(folder); }
    TempDir dir;
    std::string folder = dir.path() + "/ms/";
    RecoilStore store{folder, shippedDefaults()};
};

}  // namespace

TEST_F(RecoilFiles, FirstStartCopiesTheDefaultsAndKeepsAWorkingCopyThatExists) {
    writeFile(folder + "name_2.cur", patternText(180, 9));
    ASSERT_TRUE(store.setUp());
    EXPECT_EQ(store.count(), 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(store.name(i), "name_" + std::to_string(i + 1));
    EXPECT_EQ(readFile(folder + "name_1.cur"), readFile(shippedDefaults() + "name_1.cur"));
    EXPECT_EQ(readFile(folder + "name_2.cur"), patternText(180, 9));
    // A working copy lost later comes back on the next start; the others stay as they are.
    std::filesystem::remove(folder + "name_4.cur");
    ASSERT_TRUE(store.setUp());
    EXPECT_EQ(readFile(folder + "name_4.cur"), readFile(shippedDefaults() + "name_4.cur"));
    EXPECT_EQ(readFile(folder + "name_2.cur"), patternText(180, 9));
}

// Files from outside: short, long, unparseable, negative or huge counts. Steps beyond what the
// file holds read empty, the table never takes more than the count, and writing the last step of
// a short file makes the count cover it.
TEST_F(RecoilFiles, DamagedPatternFilesReadSafelyAndStepsWrittenIntoThemCount) {
    struct Case {
        const char* name;
        std::string text;
        size_t tableActions;
        bool holdsLastStep;
    };
    const Case cases[] = {
        {"twelve actions", patternText(12), 12, false},
        {"more than 180", patternText(200, 4), 200, true},
        {"count negative", patternText(12, 1, "-7"), 0, false},
        {"count huge, few lines", patternText(3, 1, "99999999999"), 3, false},
        {"count not a number", patternText(5, 1, "many"), 0, false},
        {"lines that do not parse", "[MACROACTIONCOUNT]\ncount=4\n[MACROACTION]\n0=junk\n1=1,2\n2=,,,,,\n3=\n", 1, false},
        {"no file", "", 0, false},
    };
    ASSERT_TRUE(store.setUp());
    const std::string path = folder + "name_1.cur";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.text.empty()) std::filesystem::remove(path);
        else writeFile(path, c.text);
        EXPECT_EQ(store.loadStep(0, 29), (c.holdsLastStep ? RecoilStep{0, 4, false, 0, false} : RecoilStep{}));
        EXPECT_EQ(store.loadStep(0, 30), RecoilStep{});
        EXPECT_EQ(store.loadPatterns()[0].size(), c.tableActions);
        const RecoilStep last{120, 7, true, 3, false};
        ASSERT_TRUE(store.saveStep(0, 29, last));
        EXPECT_EQ(store.loadStep(0, 29), last);
        EXPECT_GE(readIniInt(path, "MACROACTIONCOUNT", "count"), 180);
    }
}

// ---- the page ------------------------------------------------------------------------------------

class RecoilPageTest : public ::testing::Test {
protected:
    RecoilPageTest() {
        testsupport::ensureQtApplication();
        ui::setSkinDir(apptest::sourceDir() + "/skin");
        window = std::make_unique<QWidget>();
        ui::buildInto(ui, window.get(), "main.xml");
        std::filesystem::create_directories(folder);
        EXPECT_TRUE(bus.running()) << bus.error();
        EXPECT_TRUE(bus.plug("mouse"));
        EXPECT_EQ(mouse.connect(mousePath(dir.path() + "/bus")), 1);
        setFileDialogService(dialogs);
        ui.setSink([this](const ui::Notification& n) {
            page.onNotification(n, IndexedControlNameIndex(n.sender));
        });
        page.start();
        bus.clearWireRecords();
    }
    ~RecoilPageTest() override { setFileDialogService(nullptr); }

    static int IndexedControlNameIndex(const std::string& name) {
        const size_t u = name.rfind('_');
        return u == std::string::npos ? 0 : std::atoi(name.c_str() + u + 1);
    }
    void type(const char* edit, const std::string& text) {
        ui.setText(edit, text);
        ui.raise("textchanged", edit);
    }
    std::vector<std::string> lines(int pattern, int from, int n) {
        std::vector<std::string> all = readIndexedValues(readFile(folder + store.name(pattern) + ".cur"), "MACROACTION", 400);
        return {all.begin() + from, all.begin() + from + n};
    }

    TempDir dir;
    std::string folder = dir.path() + "/ms/";
    sim::VirtualBus bus{dir.path() + "/bus"};
    DeviceChannel mouse{testsupport::busRoots(dir.path() + "/bus")};
    RecoilStore store{folder, shippedDefaults()};
    std::vector<std::string> messages;
    ui::Ui ui;
    std::unique_ptr<QWidget> window;
    std::shared_ptr<apptest::ScriptedFileDialogs> dialogs = std::make_shared<apptest::ScriptedFileDialogs>();
    RecoilPage page{ui, store, mouse, [this](const std::string& key, std::optional<int> v) {
                        messages.push_back(v ? key + "(" + std::to_string(*v) + ")" : key);
                    }};
};

TEST_F(RecoilPageTest, StepEditorWritesTheStepAndShowsItBack) {
    EXPECT_TRUE(ui.isEnabled("cursor_edit_layout"));
    ui.setSelected("ms_gun_op_2", true, true);
    ui.setSelected("ms_bullet_op_4", true, true);
    EXPECT_EQ(ui.text("bullet_select_index"), "5");
    const std::vector<std::string> untouched = lines(2, 24, 3);
    const std::vector<std::string> otherPattern = lines(0, 0, 180);
    struct Case {
        const char* edit;
        std::string typed;
        std::string shown;  // after typing, and after the step is loaded again
        std::string reloaded;
    };
    const Case cases[] = {
        {"ms_cursor_x_eidt", "300", "255", "255"},
        {"ms_cursor_y_eidt", "-4", "0", "0"},
        {"ms_cursor_y_eidt", "abc", "abc", "0"},
        {"ms_cursor_y_eidt", "17", "17", "17"},
        {"ms_cursor_delay_eidt", "25", "25", "20"},  // kept in 10 ms units
        {"ms_cursor_delay_eidt", "70000", "65535", "65530"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.edit) + " " + c.typed);
        type(c.edit, c.typed);
        EXPECT_EQ(ui.text(c.edit), c.shown);
        ui.raise("click", "bullet_selected_next");
        ui.raise("click", "bullet_selected_prev");
        EXPECT_EQ(ui.text(c.edit), c.reloaded);
    }
    ui.setSelected("ms_cursor_x_check", true, true);
    EXPECT_EQ(ui.textKey("ms_cursor_x_check"), "mouse_move_to_left_text");
    type("ms_cursor_delay_eidt", "30");
    EXPECT_EQ(lines(2, 27, 3), (std::vector<std::string>{lines(2, 27, 1)[0], "0,0,132,255,1,mouse_move_to_left_text",
                                                         "0,0,5,17,0,mouse_move_to_down_text"}));
    EXPECT_EQ(lines(2, 27, 1)[0].substr(0, 4), "3,0,");
    EXPECT_EQ(lines(2, 24, 3), untouched);
    EXPECT_EQ(lines(0, 0, 180), otherPattern);
    EXPECT_TRUE(messages.empty());
}

TEST_F(RecoilPageTest, StepNavigationStopsAtTheEndsAndTheChosenStepClosesTheEditor) {
    ui.raise("click", "bullet_selected_prev");
    EXPECT_EQ(page.selectedStep(), 0);
    ui.setSelected("ms_bullet_op_29", true, true);
    ui.raise("click", "bullet_selected_next");
    EXPECT_EQ(page.selectedStep(), 29);
    EXPECT_EQ(ui.text("bullet_select_index"), "30");
    ui.setSelected("ms_bullet_op_29", false, true);  // clicked again
    EXPECT_FALSE(ui.isEnabled("cursor_edit_layout"));
    type("ms_cursor_x_eidt", "99");  // nothing is written while no step is chosen
    EXPECT_EQ(store.loadStep(0, 29).horizontal, 0);
    ui.setSelected("ms_gun_op_1", true, true);
    EXPECT_EQ(page.selectedPattern(), 1);
    EXPECT_EQ(page.selectedStep(), 0);
    EXPECT_TRUE(ui.isSelected("ms_bullet_op_0"));
    EXPECT_TRUE(ui.isEnabled("cursor_edit_layout"));
}

TEST_F(RecoilPageTest, ImportExportAndReset) {
    const std::string original = readFile(folder + "name_1.cur");
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::string> messages;
        bool replaced;
    };
    const Case cases[] = {
        {"181 actions", patternText(181, 5), {"message_text_18"}, false},
        {"count negative", patternText(3, 5, "-1"), {kRecoilImportRefusedKey}, false},
        {"not a pattern file", "hello", {kRecoilImportRefusedKey}, false},
        {"exactly 180", patternText(180, 5), {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        writeFile(dir.path() + "/in.cur", c.text);
        dialogs->answers.push_back(dir.path() + "/in.cur");
        ui.raise("click", "ms_bulletdate_import_btn");
        EXPECT_EQ(messages, c.messages);
        EXPECT_EQ(readFile(folder + "name_1.cur"), c.replaced ? c.text : original);
    }
    EXPECT_EQ(ui.text("ms_cursor_x_eidt"), "5");  // the imported step shows
    EXPECT_EQ(dialogs->asked.back().defaultExtension, "cur");
    dialogs->answers.push_back(dir.path() + "/out.cur");
    ui.raise("click", "ms_bulletdate_export_btn");
    EXPECT_EQ(readFile(dir.path() + "/out.cur"), patternText(180, 5));
    ui.raise("click", "ms_bulletdate_reset_btn");
    EXPECT_EQ(readFile(folder + "name_1.cur"), original);
    EXPECT_EQ(ui.text("ms_cursor_x_eidt"), std::to_string(store.loadStep(0, 0).horizontal));
}

// Four full patterns make 2920 bytes; 758 actions in all still fit 3072 bytes, 759 do not and
// are refused with the number of actions that must go.
TEST_F(RecoilPageTest, TheTableGoesIntoTheMouseWhenItFits) {
    struct Case {
        const char* name;
        int firstPattern;  // actions of pattern 1; the other three keep 180 each
        size_t bytes;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"four full patterns", 180, 2920, {}},
        {"758 actions", 218, 3072, {}},
        {"759 actions", 219, 0, {std::string(kRecoilTooLargeKey) + "(2)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        bus.clearWireRecords();
        ASSERT_TRUE(bus.poke("mouse", sim::Area::Recoil, 0, std::vector<uint8_t>(3072, 0xEE)));
        writeFile(folder + "name_1.cur", patternText(c.firstPattern, 3));
        ui.raise("click", "ms_bulletdate_save_btn");
        EXPECT_EQ(messages, c.messages);
        if (c.bytes == 0) {
            EXPECT_TRUE(framedCommands(bus).empty());
            continue;
        }
        EXPECT_EQ(framedCommands(bus), (std::vector<uint8_t>{1, 23, 2}));
        std::vector<uint8_t> memory;
        ASSERT_TRUE(bus.peek("mouse", sim::Area::Recoil, 0, c.bytes, &memory));
        EXPECT_EQ(memory, buildMacroImage(store.loadPatterns()));
        EXPECT_EQ(std::vector<uint8_t>(memory.begin(), memory.begin() + 6),
                  (std::vector<uint8_t>{0xAA, 0x55, uint8_t(c.bytes), uint8_t(c.bytes >> 8), 4, 0}));
    }
}

// ---- the whole window ------------------------------------------------------------------------------

class RecoilWindow : public apptest::ShellTest {};

TEST_F(RecoilWindow, SaveToDeviceWritesTheRecoilTableAndTheMacrosThenTheKeys) {
    auto window = makeWindow();
    ASSERT_TRUE(waitForInit(*window));
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(readFile(dataFile("ms/name_" + std::to_string(i) + ".cur")),
                  readFile(shippedDefaults() + "name_" + std::to_string(i) + ".cur"));
    // A mouse macro with no mouse there: the save is not refused for want of room.
    MacroStore macros(dataFile("ms/"), MacroListKind::mouse);
    std::string name;
    ASSERT_EQ(macros.add(&name), MacroOk);
    ASSERT_TRUE(macros.saveActions(name, {*parseActionLine("5,0,129,1,1,mouse_key_left")}));
    window->ui().raise("click", "ms_key_butt_prosave");
    EXPECT_TRUE(boxes.empty());

    ASSERT_TRUE(bus->plug("mouse"));
    ASSERT_EQ(window->channel(ChannelMouse).connect(mousePath(bus->dir())), 1);
    window->mouseFeatures().mouseTransfers().readAll();
    bus->clearWireRecords();
    window->ui().raise("click", "ms_key_butt_prosave");
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(framedCommands(*bus), (std::vector<uint8_t>{1, 23, 2, 1, 21, 2, 1, 9, 2}));
    RecoilStore recoil(dataFile("ms/"), shippedDefaults());
    const std::vector<uint8_t> table = buildMacroImage(recoil.loadPatterns());
    ASSERT_EQ(table.size(), 2920u);
    std::vector<uint8_t> memory;
    ASSERT_TRUE(bus->peek("mouse", sim::Area::Recoil, 0, table.size(), &memory));
    EXPECT_EQ(memory, table);
    const std::vector<uint8_t> image = buildMacroImage(loadMacroList(macros));
    ASSERT_TRUE(bus->peek("mouse", sim::Area::Macro, 0, image.size(), &memory));
    EXPECT_EQ(memory, image);

    // The device list's reset sends the defaults as the device-defaults writes do: the key table
    // now, the record with the next flush.
    bus->clearWireRecords();
    window->ui().raise("click", "ms_pro_device_reset_btn");
    EXPECT_EQ(framedCommands(*bus), (std::vector<uint8_t>{9}));
}
