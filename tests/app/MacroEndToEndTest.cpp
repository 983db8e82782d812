// Macros through the whole program. A macro from the record button to the keyboard's memory: the program's window on a bus served by
// zelkar-vhid as a separate process; a recording (the key events arrive as the capture sends them),
// saved, assigned to a key, saved to the device; the emulator's memory is read back with `peek`.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "app/AppTestSupport.h"
#include "app/MainWindow.h"
#include "app/ProcessAndWire.h"
#include "app/WindowMessages.h"
#include "mirror/KeyboardDefaultCodes.h"
#include "platform/InputCapture.h"

namespace {

using namespace std::chrono_literals;

// The emulator's answers of the form "ok <hex>", in order.
std::vector<std::string> hexAnswers(const std::string& output) {
    std::vector<std::string> answers;
    std::ifstream in(output);
    for (std::string line; std::getline(in, line);)
        if (line.size() > 3 && line.rfind("ok ", 0) == 0 && line.find_first_not_of("0123456789abcdef", 3) == std::string::npos)
            answers.push_back(line.substr(3));
    return answers;
}

// Sends a peek and waits for its answer ("" when none came).
std::string peekAnswer(e2e::Child& bus, const std::string& output, const std::string& command) {
    const size_t before = hexAnswers(output).size();
    bus.say(command);
    if (!e2e::waitUntil([&] { return hexAnswers(output).size() > before; }, 5s)) return "";
    return hexAnswers(output)[before];
}

class MacroEndToEnd : public apptest::ShellTest {};

}  // namespace

TEST_F(MacroEndToEnd, RecordedMacroReachesEveryKeyboardUnit) {
    e2e::Session session;
    ZELKAR_NEED_PROGRAM(::access(session.emulator.c_str(), X_OK) == 0, session.emulator);
    const std::string busDir = dir.path() + "/vhid", output = dir.file("vhid.out");
    e2e::Child bus({session.emulator, "--bus", busDir, "--devices", "kb,small,companion"}, {}, output);
    ASSERT_TRUE(e2e::waitUntil([&] { return e2e::tailOf(output).find("ok ready") != std::string::npos; }, 10s));

    MainWindowOptions options;
    options.roots.useHidraw = false;
    options.roots.vhidBus = busDir;
    options.trayAvailable = true;
    options.hideDelayMs = 0;
    CMainWnd window(options);
    ASSERT_TRUE(waitForInit(window));
    ASSERT_TRUE(apptest::spinUntil([&] {
        return window.channel(ChannelCompanionKeyboard).isConnected() && window.keyboardMirror().deviceInfo[0][6] != 0;
    }, 20000));
    apptest::spinFor(700);  // the second read of the keyboard, 500 ms after its arrival
    ui::Ui& ui = window.ui();

    // Record A pressed and released, pauses fixed at 50 ms; save.
    ui.raise("click", "kb_macro_btn_name_add");
    ui.setSelected("kb_macro_check_time", true, true);
    ui.raise("click", "kb_macro_btn_redio");
    window.send(hookmsg::KeyMacro, 0x41, 0x00);
    window.send(hookmsg::KeyMacro, 0x41, 0x00);  // held: repeats are not recorded
    window.send(hookmsg::KeyMacro, 0x41, 0x80);
    ui.raise("click", "kb_macro_btn_redio");
    ui.raise("click", "kb_macro_btn_save");
    ASSERT_EQ(ui.itemCount("kb_Macro_list"), 2);

    // Assign it to a key and save to the device.
    ui.raise("click", "kb_key_30");
    ui.setCurrent("kb_key_fct_combo", 9, true);
    ASSERT_EQ(ui.itemCount("kb_key_fct_combo_23"), 1);
    ui.setCurrent("kb_key_fct_combo_23", 0, true);
    ui.setCurrent("kb_key_fct_combo_24", 0, true);  // played once
    const unsigned profile = window.keyboardMirror().record[0] < 5 ? window.keyboardMirror().record[0] : 0;
    ASSERT_EQ(window.keyboardMirror().workingKeyTable[profile][30 * 3], 0x70) << profile;
    ui.raise("click", "kb_key_butt_prosave");
    apptest::spinFor(300);

    // magic, T = 30, one macro at 18 holding two actions: A pressed then 50 ms, A released.
    const std::string expected = "aa551e00010000000000000000000000" "1200" "02000000" "05008a04" "00000a04";
    for (const char* unit : {"kb", "small", "companion"})
        EXPECT_EQ(peekAnswer(bus, output, std::string("peek ") + unit + " macro 0 30"), expected) << unit;
    EXPECT_EQ(boxesWithKey("message_macro_not_sent"), 0);
    EXPECT_EQ(boxesWithKey("message_text_16"), 0);
    window.shutdown();
}

// Deleting a macro keeps every assignment of every onboard profile on the macro it named, and the
// user is warned of a use in any profile, not only in the first.
TEST_F(MacroEndToEnd, DeleteKeepsAssignmentsOfEveryProfile) {
    auto window = makeWindow(true);
    ASSERT_TRUE(waitForInit(*window));
    ui::Ui& ui = window->ui();
    for (int i = 0; i < 3; ++i) ui.raise("click", "kb_macro_btn_name_add");
    auto& tables = window->keyboardMirror().workingKeyTable;
    auto set = [&](unsigned profile, int key, std::array<uint8_t, 3> e) {
        std::copy(e.begin(), e.end(), &tables[profile][size_t(key) * 3]);
    };
    auto get = [&](unsigned profile, int key) {
        const uint8_t* e = &tables[profile][size_t(key) * 3];
        return std::array<uint8_t, 3>{e[0], e[1], e[2]};
    };
    set(3, 10, {0x70, 1, 2});  // the deleted macro, in a profile other than the first
    set(3, 11, {0x71, 2, 9});  // the macro after it
    set(4, 12, {0x70, 0, 0});  // the macro before it
    ui.setCurrent("kb_MacroName_list", 1, true);
    answers = {1, 1};
    ui.raise("click", "kb_macro_btn_name_sub");
    EXPECT_EQ(boxesWithKey("message_text_2"), 1);
    EXPECT_EQ(boxesWithKey("message_text_4"), 1);
    EXPECT_EQ(get(3, 10)[0], keyboardDefaultKeyTable()[30]);  // the key's own default
    EXPECT_EQ(get(3, 11), (std::array<uint8_t, 3>{0x71, 1, 9}));
    EXPECT_EQ(get(4, 12), (std::array<uint8_t, 3>{0x70, 0, 0}));
    EXPECT_EQ(ui.itemCount("kb_key_fct_combo_23"), 2);
    window->shutdown();
}
