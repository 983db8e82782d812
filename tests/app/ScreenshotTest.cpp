// Writes screenshots of the main window, with the emulated keyboard connected, in Chinese and in
// English into <build>/screenshots/ for people to look at.
#include <QDir>
#include <QPixmap>

#include "app/AppTestSupport.h"

using apptest::ShellTest;
using apptest::spinFor;
using apptest::spinUntil;

TEST_F(ShellTest, ScreenshotsOfTheMainWindowInBothLanguages) {
    ASSERT_TRUE(bus->plug("kb"));
    ASSERT_TRUE(bus->plug("small"));
    auto window = makeWindow(true);
    ASSERT_TRUE(spinUntil([&] { return window->isVisible() && window->ui().isVisible("kb_tab_panel"); }));
    spinFor(150);
    const QString folder = QString::fromStdString(apptest::binaryDir()) + "/screenshots";
    ASSERT_TRUE(QDir().mkpath(folder));
    const QPixmap chinese = window->grab();
    window->menuCommand("lan");
    spinFor(50);
    const QPixmap english = window->grab();
    EXPECT_EQ(chinese.size(), QSize(800, 572));
    EXPECT_TRUE(chinese.save(folder + "/main_cn.png"));
    EXPECT_TRUE(english.save(folder + "/main_en.png"));
    EXPECT_NE(chinese.toImage(), english.toImage());
}
