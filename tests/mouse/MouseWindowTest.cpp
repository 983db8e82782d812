// The mouse pages in the whole window: what the user sets lands in the mouse profile files and
// comes back after a restart; the desktop's pointer and wheel settings change only on the user's
// action, never at start.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QWidget>

#include "app/AppTestSupport.h"
#include "app/MouseFeatures.h"
#include "app/ui/Language.h"
#include "app/ui/UiQt.h"
#include "platform/RecordingSystemSettings.h"

using namespace apptest;

class MouseWindow : public ShellTest {
protected:
    std::unique_ptr<CMainWnd> start() {
        MainWindowOptions options;
        options.roots = roots();
        options.trayAvailable = true;
        options.hideDelayMs = 0;
        options.startWorkers = false;
        options.systemSettings = desktop;
        auto window = std::make_unique<CMainWnd>(options);
        EXPECT_TRUE(waitForInit(*window));
        return window;
    }
    std::shared_ptr<RecordingSystemSettings> desktop = std::make_shared<RecordingSystemSettings>();
};

TEST_F(MouseWindow, SettingsSurviveARestartAndTheDesktopIsLeftAloneAtStart) {
    {
        auto window = start();
        ui::Ui& ui = window->ui();
        ASSERT_EQ(window->mouseMirror().keyTables[0][0], 0x10) << "the default device profile is loaded";
        ui.setValue("ms_DPI5_slider", 20, false);
        ui.raise("valuechanged", "ms_DPI5_slider");
        ui.setValue("ms_DPI2_slider", 9, false);
        ui.raise("movevaluechanged", "ms_DPI2_slider");  // still dragging: not stored
        ui.setValue("ms_point_speed_slider", 7, false);
        ui.raise("valuechanged", "ms_point_speed_slider");
        ui.setText("ms_gunlun_speed_edit", "3");
        ui.raise("click", "ms_gunlun_speed_up_btn");
        ui.raise("click", "ms_DPI_color_btn_2");
        window->mouseFeatures().settingsWorker().waitIdle();
        EXPECT_EQ(desktop->calls(), (std::vector<std::string>{"speed 14", "lines 4"}));
        window->shutdown();
    }
    auto window = start();
    ui::Ui& ui = window->ui();
    const auto& record = window->mouseMirror().record;
    EXPECT_EQ(record[MouseRecord::kDpiLevel5], 20);
    EXPECT_NE(record[MouseRecord::kDpiLevel1 + 1], 9);
    EXPECT_EQ(record[MouseRecord::kSecondRed], 0x6C);
    EXPECT_EQ(ui.value("ms_DPI5_slider"), 20);
    EXPECT_EQ(ui.text("ms_DPI_edit_R"), "108");
    EXPECT_EQ(ui.value("ms_point_speed_slider"), 7);
    EXPECT_EQ(ui.text("ms_gunlun_speed_edit"), "4");
    window->mouseFeatures().settingsWorker().waitIdle();
    EXPECT_EQ(desktop->calls().size(), 2u);  // the second start applied nothing
    EXPECT_TRUE(boxes.empty());
}

TEST_F(MouseWindow, OnboardProfileButtonsWithoutAMouseChangeNothing) {
    auto window = start();
    const auto before = window->mouseMirror().record;
    for (const char* name : {"ms_profile_3", "ms_profile_9", "ms_profile_x"}) window->ui().raise("click", name);
    EXPECT_EQ(window->mouseMirror().record, before);
    window->ui().raise("click", "ms_key_butt_prosave");
    EXPECT_TRUE(spinUntil([&] { return window->ui().isVisible("setting_progress"); }));
    EXPECT_TRUE(spinUntil([&] { return !window->ui().isVisible("setting_progress"); }, 3000));
}

// Every slider, edit, list and palette of the mouse pages speaks a name of its own, in the
// current language.
TEST_F(MouseWindow, ThePagesControlsHaveSpokenNames) {
    auto window = start();
    std::vector<std::string> names = {"ms_DPI1_slider", "ms_DPI6_slider", "ms_sensor_height_slider",
                                      "ms_report_fct_combo", "ms_DPI_edit_G", "Pallet", "ms_point_speed_slider",
                                      "ms_gunlun_speed_edit", "ms_key_fct_edit_15", "ms_key_fct_combo_25",
                                      "ms_cursor_x_eidt", "ms_cursor_delay_eidt", "bullet_selected_next"};
    for (const std::string& name : names) {
        QWidget* widget = ui::widget(window->ui(), name);
        ASSERT_NE(widget, nullptr) << name;
        QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(widget);
        ASSERT_NE(spoken, nullptr) << name;
        const std::string text = spoken->text(QAccessible::Name).toStdString();
        EXPECT_FALSE(text.empty()) << name;
        EXPECT_EQ(text.find('_'), std::string::npos) << name << " speaks its key: " << text;
    }
}
