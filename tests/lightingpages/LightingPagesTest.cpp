// The three lighting pages on the real main layout (offscreen), driven by control name, with a
// recording host and effect control: mode handlers and fills, the check pairs, the keyboard's
// custom tools, bad records and the key picture preview.
#include <gtest/gtest.h>

#include <QWidget>
#include <cstdlib>
#include <memory>

#include "LightingFakes.h"
#include "app/ui/Language.h"
#include "app/ui/UiQt.h"
#include "lighting/pages/LightingPages.h"
#include "support/PageTestSupport.h"

using testsupport::LightingLog;
using Events = std::vector<std::string>;

class LightingPagesTest : public ::testing::Test {
protected:
    LightingPagesTest() {
        testsupport::ensureQtApplication();
        ui::setSkinDir(std::string(std::getenv("ZELKAR_SOURCE_DIR")) + "/skin");
        ui::Language::instance().load("lan_cn.xml");
        host = std::make_unique<QWidget>();
        ui::buildInto(ui, host.get(), "main.xml");
        pages = std::make_unique<LightingPages>(ui, *kb, *ms, *mp, log, log);
        ui.setSink([this](const ui::Notification& n) {
            raised.push_back(n.type + " " + n.sender);
            pages->onNotification(n, 0);
        });
    }

    void click(const std::string& name) { ui.raise("click", name); }
    void type(const std::string& edit, const std::string& text) {
        ui.setText(edit, text);
        ui.raise("textchanged", edit);
    }
    bool enabled(const std::string& name) const { return ui.isEnabled(name); }
    void clear() { log.events.clear(), raised.clear(); }

    ui::Ui ui;
    std::unique_ptr<QWidget> host;
    std::unique_ptr<KeyboardMirror> kb = std::make_unique<KeyboardMirror>();
    std::unique_ptr<MouseMirror> ms = std::make_unique<MouseMirror>();
    std::unique_ptr<PadMirror> mp = std::make_unique<PadMirror>();
    LightingLog log;
    std::unique_ptr<LightingPages> pages;
    std::vector<std::string> raised;
};

TEST_F(LightingPagesTest, EveryModeListNamesEveryModeInBothLanguages) {
    const struct {
        const char* list;
        int modes;
    } lists[] = {{"kb_deng_combo_modeSelect", 10}, {"ms_deng_combo_modeSelect0", 6}, {"ms_deng_combo_modeSelect1", 6},
                 {"ms_deng_combo_modeSelect2", 6}, {"mp_deng_combo_modeSelect", 10}};
    for (const char* language : {"lan_en.xml", "lan_cn.xml"}) {
        ASSERT_TRUE(ui::Language::instance().load(language));
        ui::Language::instance().reloadText();
        for (const auto& l : lists) {
            SCOPED_TRACE(std::string(language) + " " + l.list);
            ASSERT_EQ(ui.itemCount(l.list), l.modes);
            for (int i = 0; i < l.modes; ++i) EXPECT_EQ(ui.itemText(l.list, i).find("_mode_"), std::string::npos);
        }
    }
    // A page that was never filled still shows a mode, not an empty list.
    for (const auto& l : lists) EXPECT_EQ(ui.current(l.list), 0) << l.list;
}

TEST_F(LightingPagesTest, KeyboardFillRunsTheModeHandlerOnlyWhenTheModeChanges) {
    kb->record[1] = 4;
    pages->fillKeyboardLightingPage();
    EXPECT_EQ(log.events.front(), "reset");
    EXPECT_TRUE(log.has("mark kb"));

    clear();
    pages->fillKeyboardLightingPage();  // same mode: primed again, nothing reset, marked or saved
    EXPECT_EQ(log.events, (Events{"prime", "labels"}));

    // A profile with the custom mode: the handler runs first and brings the custom tools.
    clear();
    kb->record[1] = 8;
    kb->lighting.brush = {1, 2, 3};
    pages->fillKeyboardLightingPage();
    EXPECT_EQ((Events{log.events.begin(), log.events.begin() + 3}), (Events{"reset", "mark kb", "save kb"}));
    EXPECT_TRUE(ui.isVisible("kb_deng_custom_tool_layout"));
    EXPECT_FALSE(ui.isVisible("kb_deng_color_display_layout"));
    EXPECT_EQ(ui.bkColor("kb_Deng_custom_colordp_btn"), 0xFF010203u);
    EXPECT_EQ(ui.color("kb_deng_Color_Pallet"), 0xFF010203u);
}

TEST_F(LightingPagesTest, PadFillInModeSixKeepsDirectionOffAndModeNineTouchesNoPanel) {
    ui.setCurrent("mp_deng_combo_modeSelect", 6, true);
    EXPECT_TRUE(enabled("mp_deng_fx_layout"));
    EXPECT_EQ(mp->record[1], 6);
    pages->fillPadLightingPage();
    EXPECT_FALSE(enabled("mp_deng_fx_layout"));

    ui.setCurrent("mp_deng_combo_modeSelect", 9, true);
    EXPECT_EQ(mp->record[1], 9);
    for (const char* panel : {"mp_deng_color_layout", "mp_deng_fx_layout", "mp_deng_7colorselect_layout",
                              "mp_deng_speed_layout", "mp_deng_same_mode"}) {
        const bool before = enabled(panel);
        ui.setEnabled(panel, !before);
        pages->fillPadLightingPage();
        EXPECT_NE(enabled(panel), before) << panel;
    }
}

TEST_F(LightingPagesTest, DirectionChecksFollowTheLastEvent) {
    ui.setSelected("kb_Deng_FXL_check", true, true);
    ui.setSelected("kb_Deng_FXL_check", false, true);  // the user unchecks the left box
    EXPECT_TRUE(ui.isSelected("kb_Deng_FXL_check"));
    EXPECT_FALSE(ui.isSelected("kb_Deng_FXR_check"));
    EXPECT_EQ(kb->record[4], 1);
    ui.setSelected("kb_Deng_FXR_check", true, true);
    EXPECT_FALSE(ui.isSelected("kb_Deng_FXL_check"));
    EXPECT_EQ(kb->record[4], 0);

    // The mouse's flow buttons store the opposite, and only the next fill shows it in the boxes.
    ms->record[4] = 1;
    pages->fillMouseLightingPage();
    click("ms_Deng_FXL_btn");
    EXPECT_EQ(ms->record[4], 0);
    EXPECT_TRUE(ui.isSelected("ms_Deng_FXL_check"));
    pages->fillMouseLightingPage();
    EXPECT_TRUE(ui.isSelected("ms_Deng_FXR_check"));
    EXPECT_FALSE(ui.isSelected("ms_Deng_FXL_check"));
}

TEST_F(LightingPagesTest, RollerLightTakesColoursAndLeavesTheColourPanelOn) {
    ui.setCurrent("kb_deng_combo_modeSelect", 1, true);  // spectrum cycle: no colour panel
    EXPECT_FALSE(enabled("kb_deng_color_layout"));
    ui.setSelected("kb_gunlun_deng", true, true);
    EXPECT_TRUE(enabled("kb_deng_color_layout"));
    clear();
    click("kb_Deng_color_btn_2");
    EXPECT_EQ(kb->lighting.roller, (std::array<uint8_t, 3>{0x6C, 0xFF, 0x00}));
    EXPECT_EQ(kb->record[6], 0);
    EXPECT_TRUE(log.events.empty());
    ui.setSelected("kb_gunlun_deng", false, true);
    EXPECT_FALSE(kb->lighting.rollerOn);
    EXPECT_TRUE(enabled("kb_deng_color_layout"));
}

TEST_F(LightingPagesTest, PresetsAndTypedComponents) {
    click("ms_Deng_color_btn_30");
    click("ms_Deng_color_btn_x");
    EXPECT_TRUE(log.events.empty());
    ui.setSelected("ms_Deng_7color_check", true, true);
    click("ms_Deng_color_btn_4");
    EXPECT_EQ((std::array<uint8_t, 4>{ms->record[5], ms->record[6], ms->record[7], ms->record[8]}),
              (std::array<uint8_t, 4>{0, 0x00, 0x8A, 0xFF}));
    EXPECT_FALSE(ui.isSelected("ms_Deng_7color_check"));
    EXPECT_EQ(ui.text("ms_Deng_edit_B"), "255");

    type("ms_Deng_edit_G", "300");
    EXPECT_EQ(ms->record[7], 255);
    EXPECT_EQ(ui.text("ms_Deng_edit_G"), "255");
    EXPECT_EQ(ui.bkColor("ms_Deng_colordp_btn"), 0xFF00FFFFu);
    type("ms_Deng_edit_R", "");  // clearing to type anew stores nothing yet
    EXPECT_EQ(ui.text("ms_Deng_edit_R"), "");
    type("ms_Deng_edit_R", "-4");
    EXPECT_EQ(ui.text("ms_Deng_edit_R"), "0");
    EXPECT_EQ(ms->record[6], 0);
}

TEST_F(LightingPagesTest, LightingTabGoesAwayWhenTheKeyboardHasNone) {
    ui.setSelected("kb_deng_Op_tab", true, false);
    kb->record[24] = 0;
    pages->fillKeyboardLightingPage();
    EXPECT_FALSE(ui.isVisible("kb_deng_Op_tab"));
    EXPECT_TRUE(ui.isSelected("kb_key_Op_tab"));
    EXPECT_NE(std::find(raised.begin(), raised.end(), "selectchanged kb_key_Op_tab"), raised.end());
    // Byte 25 = 0 selects the A/B tab option, raising its event once.
    EXPECT_TRUE(ui.isSelected("kb_a/b_tab"));
    EXPECT_EQ(std::count(raised.begin(), raised.end(), "selectchanged kb_a/b_tab"), 1);

    kb->record[24] = 1;
    pages->fillKeyboardLightingPage();
    EXPECT_TRUE(ui.isVisible("kb_deng_Op_tab"));
}

TEST_F(LightingPagesTest, KeyPicturesPaintInCustomModeRippleInModeNineElseNothing) {
    kb->lighting.brush = {5, 6, 7};
    for (int mode = 0; mode < 8; ++mode) {
        kb->record[1] = uint8_t(mode);
        click("kb_dkey_12");
    }
    EXPECT_TRUE(log.events.empty());
    EXPECT_EQ(kb->lighting.sets[0][13 * 3], 0);

    kb->record[1] = 9;
    click("kb_dkey_12");
    click("kb_dkey_132");
    EXPECT_EQ(log.events, (Events{"ripple 12"}));

    kb->record[1] = 8;
    click("kb_dkey_12");
    EXPECT_EQ(kb->lighting.sets[0][13 * 3], 5);
    // The clear check clears the set on every change, either way.
    ui.setSelected("kb_Deng_all_kill_check", true, true);
    EXPECT_EQ(kb->lighting.sets[0][13 * 3], 0);
    click("kb_dkey_12");
    ui.setSelected("kb_Deng_all_kill_check", false, true);
    EXPECT_EQ(kb->lighting.sets[0][13 * 3], 0);
}

TEST_F(LightingPagesTest, BadRecordsShowSomethingSensible) {
    kb->record = {0, 12, 9, 7, 0, 0, 1, 2, 3};
    kb->lighting.selectedSet = 7;
    ui.setCurrent("kb_deng_combo_curtom_count", 3, false);
    pages->fillKeyboardLightingPage();
    EXPECT_EQ(ui.current("kb_deng_combo_modeSelect"), -1);
    EXPECT_EQ(kb->record[1], 12);
    EXPECT_EQ(ui.value("kb_deng_light_slider"), 4);
    EXPECT_EQ(ui.value("kb_deng_speed_slider"), 0);
    EXPECT_EQ(ui.current("kb_deng_combo_curtom_count"), 0);
    EXPECT_EQ(ui.text("kb_Deng_edit_B"), "3");

    // A keyboard mode 9 synced into the mouse stays as it is through the mouse's fill.
    kb->record[1] = 9;
    clear();
    click("kb_deng_same_mode");
    EXPECT_EQ(ms->record[1], 9);
    EXPECT_EQ(mp->record[1], 9);
    EXPECT_EQ(ui.current("ms_deng_combo_modeSelect1"), -1);
    EXPECT_EQ(ui.current("mp_deng_combo_modeSelect"), 9);
    EXPECT_EQ(log.events.back(), "hold");
}

TEST_F(LightingPagesTest, PreviewRepaintsOnlyChangedPictures) {
    std::array<lighting::PreviewColour, lighting::kKeyPictures> preview{};
    preview.fill(0x80102030);
    pages->showPreview(preview);
    EXPECT_EQ(ui.overlayAlpha("kb_dkey_5"), 0x80);
    EXPECT_EQ(ui.overlayColor("kb_dkey_5") & 0xFFFFFF, 0x102030u);

    ui.setOverlayAlpha("kb_dkey_5", 7);  // a mark that only a repaint would remove
    ui.setOverlayAlpha("kb_dkey_6", 7);
    preview[6] = 0xFF405060;
    pages->showPreview(preview);
    EXPECT_EQ(ui.overlayAlpha("kb_dkey_5"), 7);
    EXPECT_EQ(ui.overlayAlpha("kb_dkey_6"), 0xFF);
    EXPECT_EQ(ui.overlayColor("kb_dkey_6") & 0xFFFFFF, 0x405060u);
}
