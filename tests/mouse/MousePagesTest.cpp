// The mouse button page, the performance page and the pointer and wheel settings on the real
// main layout (offscreen), driven by control name, with recording hosts and a fake desktop.
#include <gtest/gtest.h>

#include <QWidget>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>

#include "app/ui/Language.h"
#include "app/ui/UiQt.h"
#include "keys/pages/MouseButtonPage.h"
#include "perf/SystemSpeeds.h"
#include "perf/pages/PerformancePage.h"
#include "perf/pages/PointerWheelPage.h"
#include "platform/capture/ScriptedInputCapture.h"
#include "support/PageTestSupport.h"

using Calls = std::vector<std::string>;

namespace {

struct Host : PerformanceHost {
    Calls calls;
    void markMouseDirty() override { calls.push_back("dirty"); }
    void saveMouseProfiles() override { calls.push_back("save"); }
    void saveMouseLightingProfile() override { calls.push_back("save lighting"); }
};

// A desktop that records what it was given and answers a chosen result. A gate can hold the
// first change until the test lets it go, so later ones queue behind it.
struct FakeDesktop : SystemSettings {
    std::mutex mutex;
    std::condition_variable cv;
    Calls calls;
    int pointerResult = Applied, wheelResult = Applied;
    bool gateClosed = false;
    bool inside = false;

    std::string name() const override { return "fake"; }
    int setPointerSpeed(int speed) override { return take("speed " + std::to_string(speed), pointerResult); }
    int setWheelLines(int lines) override { return take("lines " + std::to_string(lines), wheelResult); }
    int take(const std::string& call, int result) {
        std::unique_lock lock(mutex);
        calls.push_back(call);
        inside = true;
        cv.notify_all();
        cv.wait(lock, [this] { return !gateClosed; });
        inside = false;
        return result;
    }
    Calls taken() {
        std::lock_guard lock(mutex);
        return calls;
    }
};

}  // namespace

class MousePages : public ::testing::Test {
protected:
    MousePages() {
        testsupport::ensureQtApplication();
        ui::setSkinDir(std::string(std::getenv("ZELKAR_SOURCE_DIR")) + "/skin");
        ui::Language::instance().load("lan_en.xml");
        window = std::make_unique<QWidget>();
        ui::buildInto(ui, window.get(), "main.xml");
        ui.setSink([this](const ui::Notification& n) {
            if (n.sender.rfind("ms_DPI", 0) == 0 || n.sender == "Pallet" || n.sender == "ms_report_fct_combo" ||
                n.sender == "ms_sensor_height_slider")
                performance.onNotification(n, 0);
        });
        // The emulated mouse's information: sensor 0x3325, 100 per step, 48 steps, base 200.
        ms->deviceInfo[6] = 16;
        ms->deviceInfo[9] = 0x25, ms->deviceInfo[10] = 0x33;
        ms->deviceInfo[11] = 100, ms->deviceInfo[12] = 48, ms->deviceInfo[13] = 200;
    }
    void type(const std::string& edit, const std::string& text) {
        ui.setText(edit, text);
        ui.raise("textchanged", edit);
    }

    ui::Ui ui;
    std::unique_ptr<QWidget> window;
    std::unique_ptr<MouseMirror> ms = std::make_unique<MouseMirror>();
    Host host;
    PerformancePage performance{ui, *ms, host};
};

// ---- performance page -------------------------------------------------------------------------------

TEST_F(MousePages, ResolutionLabelsFollowTheSensor) {
    struct Case {
        uint16_t sensor;
        uint8_t increment, steps;
        uint16_t base;
        uint8_t position;
        const char* value;
        const char* min;
        const char* max;
        int sliderMax;
    };
    const Case cases[] = {
        {0x3360, 100, 119, 7, 15, "1600", "100", "12000", 119},   // 15 x 100 + 100
        {0x3050, 50, 75, 999, 10, "750", "250", "4000", 75},      // the mouse's base gives way to 250
        {0x1234, 30, 20, 400, 5, "550", "250", "4000", 20},       // unknown: own base, labels stay
        {0x3325, 0, 0, 200, 9, "200", "200", "5000", 0},           // no steps, no increment
        {0x3310, 255, 255, 0, 255, "65075", "50", "5000", 255},
        {0, 0, 0, 0, 15, "1600", "100", "12000", 119},             // never read: the layout's sensor
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sensor);
        ms->deviceInfo[9] = uint8_t(c.sensor), ms->deviceInfo[10] = uint8_t(c.sensor >> 8);
        ms->deviceInfo[11] = c.increment, ms->deviceInfo[12] = c.steps;
        ms->deviceInfo[13] = uint8_t(c.base), ms->deviceInfo[14] = uint8_t(c.base >> 8);
        ms->record[MouseRecord::kDpiLevel1 + 1] = c.position;
        performance.fill();
        EXPECT_EQ(ui.maximum("ms_DPI2_slider"), c.sliderMax);
        if (c.steps >= c.position) {
            EXPECT_EQ(ui.text("ms_DPI2_label_value"), c.value);
        }
        EXPECT_LE(ui.value("ms_DPI2_slider"), c.sliderMax);  // a level beyond the steps is shown held
        EXPECT_EQ(ui.text("ms_DPI6_min"), c.min);
        EXPECT_EQ(ui.text("ms_DPI6_max"), c.max);
    }
    EXPECT_TRUE(host.calls.empty());  // filling stores nothing
}

TEST_F(MousePages, TheActiveLevelIsColoured) {
    const ui::Argb red = PerformancePage::kActiveColour, white = PerformancePage::kIdleColour;
    const ui::Argb keep = 0xFF123456;
    struct Case {
        uint8_t active;
        std::array<ui::Argb, 6> colours;
    };
    const Case cases[] = {
        {3, {white, white, white, red, white, white}},
        {5, {white, white, white, white, white, red}},
        {9, {red, white, white, white, keep, keep}},  // out of range: level 1, and 5 and 6 keep theirs
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.active));
        for (int level = 1; level <= 6; ++level) {
            ui.setTextColor(dpiControl(level, "label_rank"), keep);
            ui.setTextColor(dpiControl(level, "label_value"), keep);
        }
        ms->record[MouseRecord::kActiveDpiLevel] = c.active;
        performance.fill();
        for (int level = 1; level <= 6; ++level) {
            EXPECT_EQ(ui.textColor(dpiControl(level, "label_rank")), c.colours[size_t(level - 1)]) << level;
            EXPECT_EQ(ui.textColor(dpiControl(level, "label_value")), c.colours[size_t(level - 1)]) << level;
        }
    }
}

TEST_F(MousePages, SlidersOneToFourStoreOnReleaseFiveAndSixOnEveryChange) {
    performance.fill();
    struct Case {
        const char* slider;
        const char* type;
        size_t byte;
        bool stored;
    };
    const Case cases[] = {
        {"ms_DPI2_slider", "movevaluechanged", MouseRecord::kDpiLevel1 + 1, false},
        {"ms_DPI2_slider", "valuechanged", MouseRecord::kDpiLevel1 + 1, true},
        {"ms_DPI5_slider", "movevaluechanged", MouseRecord::kDpiLevel5, true},
        {"ms_DPI6_slider", "valuechanged", MouseRecord::kDpiLevel5 + 1, true},  // a keyboard step
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.slider) + " " + c.type);
        host.calls.clear();
        ms->record[c.byte] = 0;
        ui.setValue(c.slider, 12, false);
        ui.raise(c.type, c.slider);
        EXPECT_EQ(ui.text(std::string(c.slider).replace(8, 6, "label_value")), "1400");
        EXPECT_EQ(ms->record[c.byte], c.stored ? 12 : 0);
        EXPECT_EQ(host.calls, c.stored ? (Calls{"dirty", "save"}) : Calls{});
    }
    host.calls.clear();
    ui.setCurrent("ms_report_fct_combo", 2, true);
    EXPECT_EQ(ms->record[MouseRecord::kReportRate], 2);
    EXPECT_EQ(host.calls, (Calls{"dirty", "save lighting"}));
}

TEST_F(MousePages, ColourEditsAndQuickColours) {
    performance.fill();
    struct Case {
        const char* edit;
        const char* typed;
        const char* shown;
        size_t byte;
        uint8_t stored;
    };
    const Case cases[] = {
        {"ms_DPI_edit_G", "300", "255", MouseRecord::kSecondGreen, 255},
        {"ms_DPI_edit_R", "abc", "0", MouseRecord::kSecondRed, 0},
        {"ms_DPI_edit_B", "-7", "0", MouseRecord::kSecondBlue, 0},
        {"ms_DPI_edit_B", "99999999999", "255", MouseRecord::kSecondBlue, 255},
        {"ms_DPI_edit_R", "18", "18", MouseRecord::kSecondRed, 18},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.edit) + " " + c.typed);
        type(c.edit, c.typed);
        EXPECT_EQ(ui.text(c.edit), c.shown);
        EXPECT_EQ(ms->record[c.byte], c.stored);
    }
    EXPECT_EQ(ui.bkColor("ms_DPI_colordp_btn"), 0xFF12FFFFu);
    EXPECT_EQ(ui.color("Pallet"), 0xFF12FFFFu);

    ui.raise("click", "ms_DPI_color_btn_2");
    EXPECT_EQ(ms->record[11], 0x6C);
    EXPECT_EQ(ms->record[12], 0xFF);
    EXPECT_EQ(ms->record[13], 0x00);
    EXPECT_EQ(ui.text("ms_DPI_edit_R"), "108");
    EXPECT_EQ(ui.text("ms_DPI_edit_G"), "255");
    EXPECT_EQ(ui.text("ms_DPI_edit_B"), "0");
    host.calls.clear();
    performance.quickColour(30);
    performance.quickColour(-1);
    EXPECT_TRUE(host.calls.empty());
}

// ---- pointer speed and wheel lines --------------------------------------------------------------------

class PointerAndWheel : public MousePages {
protected:
    std::shared_ptr<FakeDesktop> desktop = std::make_shared<FakeDesktop>();
    SystemSettingsWorker worker{desktop};
    MouseSystemSettings values;
    Calls saves, messages;
    PointerWheelPage page{ui, values, worker, [this] { saves.push_back("save"); },
                          [this](const std::string& key) { messages.push_back(key); }};
};

TEST_F(PointerAndWheel, WheelButtonsStepWithinOneToTen) {
    const struct {
        const char* text;
        bool up;
        const char* result;
    } cases[] = {{"0", true, "2"},  {"12", false, "9"}, {"10", true, "10"}, {"1", false, "1"},
                 {"x", true, "2"},  {"-4", false, "1"}, {"5", true, "6"},   {"99999999999", true, "10"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + (c.up ? " up" : " down"));
        ui.setText("ms_gunlun_speed_edit", c.text);
        page.onNotification({"click", c.up ? "ms_gunlun_speed_up_btn" : "ms_gunlun_speed_down_btn"}, 0);
        EXPECT_EQ(ui.text("ms_gunlun_speed_edit"), c.result);
        EXPECT_EQ(std::to_string(values.wheelLines.load()), c.result);
    }
    worker.waitIdle();
    EXPECT_EQ(desktop->taken().back(), "lines 10");
    EXPECT_EQ(saves.size(), std::size(cases));
}

TEST_F(PointerAndWheel, StoredSpeedsAreHeldToTheRangeAndTheResetKeepsThem) {
    values.pointerSpeed = 22;
    values.wheelLines = 7;
    page.applyProfile();
    worker.waitIdle();
    EXPECT_EQ(values.pointerSpeed.load(), 20);
    EXPECT_EQ(ui.value("ms_point_speed_slider"), 10);
    EXPECT_EQ(ui.text("ms_gunlun_speed_edit"), "7");
    values.pointerSpeed = 0;
    page.applyProfile();
    worker.waitIdle();
    EXPECT_EQ(desktop->taken(), (Calls{"speed 20", "lines 7", "speed 1", "lines 7"}));

    page.reset();
    worker.waitIdle();
    EXPECT_EQ(desktop->taken().size(), 6u);
    EXPECT_EQ(ui.value("ms_point_speed_slider"), 5);
    EXPECT_EQ(ui.text("ms_gunlun_speed_edit"), "3");
    EXPECT_EQ(values.pointerSpeed.load(), 1);  // the profile files keep the stored values
    EXPECT_EQ(values.wheelLines.load(), 7);

    // The slider and the stored speed convert the same way both ways.
    for (int position = 0; position <= 10; ++position) {
        ui.setValue("ms_point_speed_slider", position, false);
        page.onNotification({"valuechanged", "ms_point_speed_slider"}, 0);
        page.show();
        EXPECT_EQ(ui.value("ms_point_speed_slider"), std::max(position, 0)) << position;
        EXPECT_GE(values.pointerSpeed.load(), 1);
        EXPECT_LE(values.pointerSpeed.load(), 20);
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(PointerAndWheel, ChangesApplyInOrderAndOnlyTheLatestWaitingOne) {
    {
        std::lock_guard lock(desktop->mutex);
        desktop->gateClosed = true;
    }
    worker.setPointerSpeed(4);
    {
        std::unique_lock lock(desktop->mutex);
        desktop->cv.wait(lock, [&] { return desktop->inside; });
    }
    for (int speed : {6, 8, 12}) worker.setPointerSpeed(speed);
    {
        std::lock_guard lock(desktop->mutex);
        desktop->gateClosed = false;
    }
    desktop->cv.notify_all();
    worker.waitIdle();
    EXPECT_EQ(desktop->taken(), (Calls{"speed 4", "speed 12"}));
}

TEST_F(PointerAndWheel, WhatTheDesktopCannotTakeIsSaidOnce) {
    page.tell(SystemSettingsWorker::Kind::wheelLines, SystemSettings::NoSuchSetting);
    page.tell(SystemSettingsWorker::Kind::wheelLines, SystemSettings::NoSuchSetting);
    page.tell(SystemSettingsWorker::Kind::pointerSpeed, SystemSettings::Applied);
    page.tell(SystemSettingsWorker::Kind::pointerSpeed, SystemSettings::Refused);
    page.tell(SystemSettingsWorker::Kind::pointerSpeed, SystemSettings::Refused);
    EXPECT_EQ(messages, (Calls{"message_wheel_kept", "message_system_refused"}));
    for (const char* key : {"message_wheel_kept", "message_pointer_kept", "message_system_refused"})
        EXPECT_NE(ui::Language::instance().text(key), key);
}

// ---- mouse button page --------------------------------------------------------------------------------

class MouseButtons : public MousePages {
protected:
    MouseButtons() { ms->keyTables[0] = ms->defaultKeyTable; }
    void setEntry(int key, uint8_t type, uint8_t p1, uint8_t p2) {
        ms->keyTables[0][size_t(key) * 3] = type;
        ms->keyTables[0][size_t(key) * 3 + 1] = p1;
        ms->keyTables[0][size_t(key) * 3 + 2] = p2;
    }
    std::vector<uint8_t> entry(int key) const {
        return {ms->keyTables[0].begin() + key * 3, ms->keyTables[0].begin() + key * 3 + 3};
    }

    ScriptedInputCapture capture;
    Calls messages;
    std::vector<std::string> macros{"burst"};
    MouseButtonPage page{ui, *ms, capture, [this](const std::string& key) { messages.push_back(key); },
                         [this] { return macros; }};
};

TEST_F(MouseButtons, TheMouseKeepsALeftButton) {
    setEntry(2, 0x10, 0x01, 0x00);  // keys 0 and 2 both left
    page.openKey(0);
    EXPECT_TRUE(ui.isVisible("ms_tab_function"));
    ui.setCurrent("ms_key_fct_combo", int(keys::FunctionItem::Mouse), false);
    ui.setCurrent("ms_key_fct_combo_11", 2, false);  // right
    page.onNotification({"click", "ms_key_butt_keysave"}, 0);
    EXPECT_EQ(entry(0), (std::vector<uint8_t>{0x10, 0x02, 0x00}));
    page.openKey(2);
    EXPECT_EQ(messages, Calls{"message_text_6"});
    EXPECT_FALSE(ui.isVisible("ms_tab_function"));
    EXPECT_EQ(entry(2), (std::vector<uint8_t>{0x10, 0x01, 0x00}));

    // A left button on key 7, outside the pictures, is enough.
    messages.clear();
    setEntry(7, 0x10, 0x01, 0x00);
    page.openKey(2);
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(ui.isVisible("ms_tab_function"));
}

TEST_F(MouseButtons, DefaultsLabelsAndHover) {
    setEntry(5, 0x20, 0x00, 0x04);
    page.openKey(5);
    page.onNotification({"click", "ms_key_butt_keydefalut"}, 0);
    EXPECT_EQ(entry(5), (std::vector<uint8_t>{0x13, 0x03, 0x00}));

    setEntry(3, 0x70, 0x00, 0x01);  // macro 0 by its own name
    setEntry(4, 0x72, 0x02, 0x00);  // gun 3
    page.refresh();
    EXPECT_FALSE(ui.isKeyMode("ms_key_3"));
    EXPECT_EQ(ui.text("ms_key_3"), "burst");
    EXPECT_EQ(ui.textKey("ms_key_4"), "GUN_3");

    page.onNotification({"msenter", "ms_key_3"}, 3);
    EXPECT_EQ(ui.bkImage("ms_key_3_0"), "ms/key_forward_down.png");
    page.onNotification({"msleave", "ms_key_3"}, 3);
    EXPECT_EQ(ui.bkImage("ms_key_3_0"), "ms/key_forward_normal.png");
    page.onNotification({"msenter", "ms_key_9"}, 9);  // no picture: nothing happens

    // A type the mouse does not know is named "close" and opens without touching the panel.
    setEntry(2, 0xEE, 0x77, 0x99);
    page.refresh();
    EXPECT_EQ(ui.textKey("ms_key_2"), "close_text");
    page.openKey(2);
    EXPECT_EQ(entry(2), (std::vector<uint8_t>{0xEE, 0x77, 0x99}));
}

TEST_F(MouseButtons, TheEditorEncodesTheMouseColumn) {
    struct Case {
        keys::FunctionItem type;
        const char* combo;
        int item;
        std::vector<uint8_t> entry;
    };
    const Case cases[] = {
        {keys::FunctionItem::Gun, "ms_key_fct_combo_25", 1, {0x72, 0x01, 0x00}},
        {keys::FunctionItem::Dpi, "ms_key_fct_combo_14", 0, {0x13, 0x01, 0x00}},
        {keys::FunctionItem::Mouse, "ms_key_fct_combo_11", 4, {0x10, 0x08, 0x00}},
    };
    page.openKey(1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.combo);
        ui.setCurrent("ms_key_fct_combo", int(c.type), false);
        page.onNotification({"itemselect", "ms_key_fct_combo"}, 0);
        ui.setCurrent(c.combo, c.item, false);
        page.onNotification({"itemselect", c.combo}, 0);
        EXPECT_EQ(entry(1), c.entry);
    }
    // The keyboard item captures in mode 16 and takes the key pressed.
    ui.setCurrent("ms_key_fct_combo", int(keys::FunctionItem::Keyboard), false);
    page.onNotification({"itemselect", "ms_key_fct_combo"}, 0);
    EXPECT_EQ(capture.mode(), HookMode::MouseSingleKey);
    page.onCapturedKey(0x41, 0);  // A
    EXPECT_EQ(entry(1), (std::vector<uint8_t>{0x20, 0x00, 0x04}));
    page.cancelCapture();
    EXPECT_FALSE(page.capturing());
}
