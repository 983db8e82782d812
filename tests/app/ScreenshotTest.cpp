// Writes screenshots of the main window, with the emulated keyboard family and mouse connected,
// into <build>/screenshots/ for people to look at: the keyboard lighting page in Chinese and in
// English, and in English the pages the README shows (key assignment, macros, mouse performance).
// ZELKAR_SCREENSHOT_DIR names another folder; README.md says how docs/ is refreshed with it.
#include <QDir>
#include <QPixmap>
#include <cstdlib>

#include "app/AppTestSupport.h"

using apptest::ShellTest;
using apptest::spinFor;
using apptest::spinUntil;

TEST_F(ShellTest, ScreenshotsOfTheMainWindow) {
    ASSERT_TRUE(bus->plug("kb"));
    ASSERT_TRUE(bus->plug("small"));
    ASSERT_TRUE(bus->plug("mouse"));
    auto window = makeWindow(true);
    ASSERT_TRUE(spinUntil([&] { return window->isVisible() && window->ui().isVisible("kb_tab_panel"); }));
    spinFor(150);
    const char* chosen = std::getenv("ZELKAR_SCREENSHOT_DIR");
    const QString folder = chosen && *chosen ? QString::fromLocal8Bit(chosen)
                                             : QString::fromStdString(apptest::binaryDir()) + "/screenshots";
    ASSERT_TRUE(QDir().mkpath(folder));
    const QPixmap chinese = window->grab();
    window->menuCommand("lan");
    spinFor(50);
    const QPixmap english = window->grab();
    EXPECT_EQ(chinese.size(), QSize(800, 572));
    EXPECT_TRUE(chinese.save(folder + "/main_cn.png"));
    EXPECT_TRUE(english.save(folder + "/keyboard-lighting.png"));
    EXPECT_NE(chinese.toImage(), english.toImage());

    const struct {
        const char* device;     // the device tab the page is on ("" for the keyboard, shown already)
        const char* tab;
        const char* tabSwitch;  // shows the page as its current one
        int index;
        const char* file;
    } pages[] = {
        {"", "kb_key_Op_tab", "kb_tab_switch", 2, "/key-assignment.png"},
        {"", "kb_macro_Op_tab", "kb_tab_switch", 1, "/keyboard-macros.png"},
        {"ms_tab", "ms_rich_Op_tab", "ms_tab_switch", 3, "/mouse-performance.png"},
    };
    for (const auto& page : pages) {
        SCOPED_TRACE(page.tab);
        if (*page.device) window->ui().setSelected(page.device, true, true);
        // The keyboard's full reads (at arrival and again a moment later) end by showing the tab
        // it remembers: select again until the page has stayed for a while.
        ASSERT_TRUE(spinUntil([&] {
            if (window->ui().current(page.tabSwitch) != page.index) window->ui().setSelected(page.tab, true, true);
            spinFor(1200);
            return window->ui().current(page.tabSwitch) == page.index;
        }, 15000));
        spinFor(150);
        ASSERT_EQ(window->ui().current(page.tabSwitch), page.index);
        const QPixmap shot = window->grab();
        EXPECT_NE(shot.toImage(), english.toImage());
        EXPECT_TRUE(shot.save(folder + page.file));
    }
}
