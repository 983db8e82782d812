// The notification router on the real main layout: which feature each notification reaches, and
// the small jobs the router does itself (caption buttons, tabs with the unsaved-macro guard,
// the keyboard A/B options, panel toggles).
#include <gtest/gtest.h>

#include <QApplication>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "app/NotificationRouter.h"
#include "app/RouteTables.h"
#include "app/WindowMessages.h"
#include "app/ui/UiQt.h"

namespace {

QApplication* app() {
    static int argc = 1;
    static char name[] = "router-test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QApplication(argc, argv);
    return qobject_cast<QApplication*>(QCoreApplication::instance());
}

struct Recorder : RouterTarget {
    std::vector<std::string> calls;
    void route(Owner owner, const ui::Notification& n, int index) override {
        calls.push_back("route " + std::to_string(int(owner)) + " " + n.sender + " " + std::to_string(index));
    }
    void windowInit() override { calls.push_back("windowinit"); }
    void closeWindow() override { calls.push_back("close"); }
    void minimizeWindow() override { calls.push_back("min"); }
    void maximizeWindow() override { calls.push_back("max"); }
    void restoreWindow() override { calls.push_back("restore"); }
    void openSkinPicker(ui::ControlHandle) override { calls.push_back("skin"); }
    void startTimer(int id, int ms) override { calls.push_back("timer " + std::to_string(id) + " " + std::to_string(ms)); }
    void removeKeyHook() override { calls.push_back("unhook"); }
    void endMacroRecording() override { calls.push_back("endrec"); }
    void setDisplayScale(int scale) override { calls.push_back("scale " + std::to_string(scale)); }
    void showMessage(const std::string& key) override { calls.push_back("box " + key); }
    void setKeyboardAbTab(uint8_t value) override { calls.push_back("ab " + std::to_string(value)); }
};

std::string routed(Owner owner, const std::string& name, int index) {
    return "route " + std::to_string(int(owner)) + " " + name + " " + std::to_string(index);
}

using Calls = std::vector<std::string>;

class Router : public ::testing::Test {
protected:
    Router() {
        app();
        ui::setSkinDir(std::string(std::getenv("ZELKAR_SOURCE_DIR")) + "/skin");
        host = std::make_unique<QWidget>();
        ui::buildInto(ui, host.get(), "main.xml");
    }
    // What the router did for one notification.
    Calls send(const std::string& type, const std::string& name) {
        target.calls.clear();
        router.routeNotification(ui::Notification{type, name, ui.handle(name)});
        return target.calls;
    }
    Calls select(const std::string& option) {
        ui.setSelected(option, true, false);
        return send("selectchanged", option);
    }

    ui::Ui ui;
    std::unique_ptr<QWidget> host;
    Recorder target;
    NotificationRouter router{ui, target};
};

}  // namespace

TEST(IndexedControlName, SplitsAtTheLastUnderscore) {
    struct Case {
        const char* name;
        const char* prefix;
        int index;
        bool hasPrefix;
    } cases[] = {
        {"kb_key_12", "kb_key_", 12, true},   {"ms_key_7x", "ms_key_", 7, true},
        {"ms_key_a", "ms_key_", 0, true},     {"ms_key_butt_keysave", "ms_key_butt_", 0, true},
        {"closebtn", "", 0, false},           {"ms_key_", "ms_key_", 0, true},
        {"x_99999999999999", "x_", 100000000, true},  // stops before it overflows
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const IndexedControlName split = IndexedControlName::split(c.name);
        EXPECT_EQ(split.prefix, c.prefix);
        EXPECT_EQ(split.hasPrefix, c.hasPrefix);
        if (c.index < 100000000) EXPECT_EQ(split.index, c.index);
        else EXPECT_GE(split.index, 100000000);
    }
}

TEST_F(Router, ClicksReachTheirFeature) {
    struct Case {
        const char* name;
        Calls expected;
    } cases[] = {
        {"ms_key_3", {routed(Owner::MouseButtonPage, "ms_key_3", 3)}},
        {"ms_key_7x", {routed(Owner::MouseButtonPage, "ms_key_7x", 7)}},
        {"ms_key_butt_keysave", {routed(Owner::MouseButtonPage, "ms_key_butt_keysave", 0)}},
        {"MS_KEY_BUTT_KEYSAVE", {routed(Owner::MouseButtonPage, "MS_KEY_BUTT_KEYSAVE", 0)}},  // exact names: any case
        {"MS_KEY_3", {}},  // prefixes: as written
        {"ms_DPI_color_btn_29", {routed(Owner::MousePerformance, "ms_DPI_color_btn_29", 29)}},
        {"kb_dkey_131", {routed(Owner::LightingPages, "kb_dkey_131", 131)}},
        {"ms_profile_4", {routed(Owner::MouseMirror, "ms_profile_4", 4)}},
        {"kb_key_butt_prosave", {routed(Owner::KeyboardMirror, "kb_key_butt_prosave", 0)}},
        {"kb_pro_device_reset_btn", {routed(Owner::ProfileOperations, "kb_pro_device_reset_btn", 0)}},
        {"mp_one_profile_default", {routed(Owner::PadMirror, "mp_one_profile_default", 0)}},
        {"kb_deng_same_mode", {routed(Owner::LightingModel, "kb_deng_same_mode", 0)}},
        {"kb_macro_btn_redio", {routed(Owner::MacroRecorder, "kb_macro_btn_redio", 0)}},
        {"nothing_here", {}},
        {"closebtn", {"close"}},
        {"minbtn", {"min"}},
        {"skinbtn", {"skin"}},  // then through the router, which has nothing for it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(send("click", c.name), c.expected);
    }
}

TEST_F(Router, KeyFunctionPanelOpensWithAKeyAndClosesWithCancel) {
    ui.setVisible("kb_tab_function", false);
    ui.setEnabled("kb_tab_function", false);
    EXPECT_EQ(send("click", "kb_key_12"), Calls{routed(Owner::KeyboardKeyPage, "kb_key_12", 12)});
    EXPECT_TRUE(ui.isVisible("kb_tab_function"));
    EXPECT_TRUE(ui.isEnabled("kb_tab_function"));
    EXPECT_EQ(send("click", "kb_key_butt_keycanlc"), Calls{"unhook"});
    EXPECT_FALSE(ui.isVisible("kb_tab_function"));
    EXPECT_FALSE(ui.isEnabled("kb_tab_function"));
}

TEST_F(Router, PanelTogglesFlipVisibility) {
    const bool before = ui.isVisible("kb_profile_fun_spead_tab");
    EXPECT_TRUE(send("click", "kb_profile_fun_spread_btn").empty());
    EXPECT_EQ(ui.isVisible("kb_profile_fun_spead_tab"), !before);
    send("click", "kb_profile_fun_spread_btn");
    EXPECT_EQ(ui.isVisible("kb_profile_fun_spead_tab"), before);
}

TEST_F(Router, TabOptionsSwitchTheirPages) {
    EXPECT_EQ(select("ms_tab"), (Calls{"unhook", "endrec"}));
    EXPECT_EQ(ui.current("tab_switch"), 1);
    select("kb_tab");
    EXPECT_EQ(ui.current("tab_switch"), 0);

    // The key page hides its function panel only when it is entered from another page.
    select("kb_deng_Op_tab");
    ui.setVisible("kb_tab_function", true);
    select("kb_key_Op_tab");
    EXPECT_EQ(ui.current("kb_tab_switch"), 2);
    EXPECT_FALSE(ui.isVisible("kb_tab_function"));
    ui.setVisible("kb_tab_function", true);
    ui.setEnabled("kb_tab_function", true);
    select("kb_key_Op_tab");
    EXPECT_TRUE(ui.isVisible("kb_tab_function"));
    EXPECT_TRUE(ui.isEnabled("kb_tab_function"));

    // The echo of a deselected radio option changes nothing.
    ui.setSelected("ms_tab", false, false);
    EXPECT_TRUE(send("selectchanged", "ms_tab").empty());
}

TEST_F(Router, AnUnsavedMacroKeepsItsPage) {
    select("kb_tab");
    select("kb_macro_Op_tab");
    ui.setVisible("kb_macro_tab_saveorcancel", true);
    EXPECT_EQ(select("ms_tab"), Calls{"box message_text_3"});
    EXPECT_EQ(ui.current("tab_switch"), 0);
    EXPECT_TRUE(ui.isSelected("kb_tab"));
    EXPECT_TRUE(ui.isSelected("kb_macro_Op_tab"));
    // Its own page and device tab stay usable.
    EXPECT_EQ(select("kb_macro_Op_tab"), (Calls{"unhook", "endrec"}));
    // Feature options are not guarded.
    EXPECT_EQ(select("kb_Deng_7color_check"), Calls{routed(Owner::LightingPages, "kb_Deng_7color_check", 0)});
    ui.setVisible("kb_macro_tab_saveorcancel", false);
    select("ms_tab");
    EXPECT_EQ(ui.current("tab_switch"), 1);
}

TEST_F(Router, KeyboardAbOptions) {
    EXPECT_EQ(select("kb_aorb_check"), (Calls{"unhook", "endrec", "timer 8 50"}));
    ui.setSelected("kb_a/b_tab", true, false);
    EXPECT_EQ(send("selectchanged", "kb_a/b_tab"), (Calls{"unhook", "endrec", "ab 0"}));
    ui.setSelected("kb_a/b_tab", false, false);
    EXPECT_EQ(send("selectchanged", "kb_a/b_tab"), (Calls{"unhook", "endrec", "ab 1"}));
}

TEST_F(Router, OtherNotificationTypes) {
    EXPECT_EQ(send("windowinit", ""), Calls{"windowinit"});
    EXPECT_EQ(send("colorchanged", "Pallet"), Calls{routed(Owner::MousePerformance, "Pallet", 0)});
    EXPECT_EQ(send("valuechanged", "ms_DPI4_slider"), Calls{routed(Owner::MousePerformance, "ms_DPI4_slider", 0)});
    // Levels 5 and 6 also store a step made from the keyboard or a screen reader.
    EXPECT_EQ(send("valuechanged", "ms_DPI5_slider"), Calls{routed(Owner::MousePerformance, "ms_DPI5_slider", 0)});
    EXPECT_EQ(send("movevaluechanged", "ms_DPI5_slider"), Calls{routed(Owner::MousePerformance, "ms_DPI5_slider", 0)});
    EXPECT_TRUE(send("movevaluechanged", "kb_deng_light_slider").empty());
    EXPECT_EQ(send("itemselect", "kb_device_profile_combo"),
              Calls{routed(Owner::ProfileOperations, "kb_device_profile_combo", 0)});
    EXPECT_EQ(send("itemclick", "kb_macro_action"), Calls{routed(Owner::MacroEditor, "kb_macro_action", 0)});
    EXPECT_EQ(send("textchanged", "ms_cursor_delay_eidt"), Calls{routed(Owner::RecoilPatterns, "ms_cursor_delay_eidt", 0)});
    EXPECT_EQ(send("msenter", "ms_key_5"), Calls{routed(Owner::MouseButtonPage, "ms_key_5", 5)});
    EXPECT_TRUE(send("msleave", "ms_key_6").empty());
    EXPECT_TRUE(send("windowsize", "root").empty());
}

// Every control name the router knows exists in the layouts, with a kind that raises the
// notification it is routed by.
TEST(RouteTablesAgainstLayouts, EveryRoutedNameExistsWithTheRightKind) {
    std::map<std::string, std::string> kinds;  // name -> kind, from the layouts' inventory
    std::ifstream in(std::string(std::getenv("ZELKAR_SOURCE_DIR")) + "/skin/controls.txt");
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string name, kind;
        if (line.empty() || line[0] == '#' || !(fields >> name >> kind)) continue;
        kinds[name] = kind;
    }
    ASSERT_GT(kinds.size(), 500u);

    auto expectKind = [&](std::string_view routedName, std::set<std::string> allowed) {
        const auto it = kinds.find(std::string(routedName));
        if (it == kinds.end()) {
            ADD_FAILURE() << routedName << " is routed but no layout has it";
            return;
        }
        EXPECT_TRUE(allowed.count(it->second)) << routedName << " is a " << it->second;
    };
    const std::set<std::string> clickable{"Button", "Picture", "Option"};
    for (const auto& r : routes::kClickNames) expectKind(r.name, clickable);
    for (const auto& t : routes::kToggles) {
        expectKind(t.button, clickable);
        EXPECT_TRUE(kinds.count(std::string(t.panel))) << t.panel;
    }
    for (const auto& r : routes::kOptionNames) expectKind(r.name, {"Option"});
    for (const auto& t : routes::kTabs) {
        expectKind(t.option, {"Option"});
        expectKind(t.tabLayout, {"Tab"});
        if (!t.hideFunctionPanel.empty()) EXPECT_TRUE(kinds.count(std::string(t.hideFunctionPanel)));
    }
    for (const auto& r : routes::kColourNames) expectKind(r.name, {"Palette"});
    for (const auto& r : routes::kValueNames) expectKind(r.name, {"Slider"});
    for (const auto& r : routes::kMoveValueNames) expectKind(r.name, {"Slider"});
    for (const auto& r : routes::kItemSelectNames) expectKind(r.name, {"Combo", "List"});
    // kItemClickNames name the rows the macro editor creates at run time, not layout controls.
    for (const auto& r : routes::kTextNames) expectKind(r.name, {"Edit"});
    for (const char* own : {"closebtn", "minbtn", "maxbtn", "restorebtn", "skinbtn", "kb_key_butt_keycanlc",
                            "kb_aorb_check", "kb_a/b_tab", "kb_tab_function", "kb_macro_tab_saveorcancel",
                            "ms_macro_tab_saveorcancel"})
        EXPECT_TRUE(kinds.count(own)) << own;
    // Every prefix route has controls to route.
    for (const auto& r : routes::kClickPrefixes) {
        const std::string first = std::string(r.name) + "0";
        EXPECT_TRUE(kinds.count(first)) << first;
    }
}
