// The tray menu and the language switch it carries.
#include <QApplication>
#include <QMenu>

#include "app/AppTestSupport.h"
#include "app/Texts.h"
#include "app/ui/Language.h"

using apptest::ShellTest;
using apptest::spinFor;
using apptest::spinUntil;

class LanguageTrayTest : public ShellTest {};

TEST_F(LanguageTrayTest, LanSwitchesKeyModeTextsBothWaysAndANewWindowStartsInChinese) {
    auto window = makeWindow();
    ui::Ui& ui = window->ui();
    const std::string tabCn = ui.text("kb_tab");
    const std::string messageCn = translate("message_text_1");
    ASSERT_FALSE(tabCn.empty());

    window->menuCommand("lan");
    EXPECT_TRUE(window->isEnglish());
    EXPECT_EQ(ui::Language::instance().name(), "en");
    const std::string tabEn = ui.text("kb_tab");
    EXPECT_NE(tabEn, tabCn);
    EXPECT_EQ(ui.textKey("kb_tab"), "device_keyboard_text");  // still in key mode
    EXPECT_NE(translate("message_text_1"), messageCn);
    const auto items = window->trayMenuItems();
    ASSERT_GE(items.size(), 2u);
    EXPECT_EQ(items[1].text, ui::Language::instance().text(items[1].key));  // menu texts follow too

    window->menuCommand("lan");
    EXPECT_FALSE(window->isEnglish());
    EXPECT_EQ(ui.text("kb_tab"), tabCn);

    window->menuCommand("lan");  // English again, then a fresh start
    window.reset();
    auto next = makeWindow();
    EXPECT_FALSE(next->isEnglish());
    EXPECT_EQ(next->ui().text("kb_tab"), tabCn);
    EXPECT_EQ(translate("message_text_1"), messageCn);
}

TEST_F(LanguageTrayTest, MenuPutsExitFirstAndItsItemsDoWhatTheyShould) {
    auto window = makeWindow();
    const auto items = window->trayMenuItems();
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0].name, "exit");
    EXPECT_EQ(items[0].text, "退出");
    EXPECT_EQ(items[1].name, "qianting");
    EXPECT_EQ(items[2].name, "lan");

    for (const char* quiet : {"qianting", "Menu_Import", "Menu_Export", "QIANTING"}) window->menuCommand(quiet);
    // Names compare as written: "QIANTING" is no item of the menu, so nothing shows either.
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(window->isEnglish());

    int quits = 0;
    QObject::connect(window.get(), &CMainWnd::quitRequested, [&] { ++quits; });
    window->menuCommand("exit");
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(window->isShutDown());
}

TEST_F(LanguageTrayTest, AnItemWithoutAHandlingOfItsOwnShowsItsTextAsAKey) {
    const std::string skin = dir.path() + "/skin";
    for (const char* file : {"main.xml", "lan_cn.xml", "lan_en.xml", "res.xml"})
        testsupport::writeFile(skin + "/" + file, testsupport::readFile(apptest::sourceDir() + "/skin/" + file));
    testsupport::writeFile(skin + "/menu.xml",
                           "<Menu><Item name=\"about\" key=\"message_text_20\"/><Item name=\"plain\" text=\"hello\"/></Menu>");
    ui::setSkinDir(skin);
    auto window = makeWindow();
    window->menuCommand("about");
    window->menuCommand("plain");
    ui::setSkinDir(apptest::sourceDir() + "/skin");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "message_text_20");
    EXPECT_TRUE(boxes[0].textIsKey);
    EXPECT_EQ(boxes[1].text, "hello");
}

TEST_F(LanguageTrayTest, RightClickOpensOneMenuAndItsCommandsGoThroughTheMessageTable) {
    auto window = makeWindow();
    window->send(msg::TrayNotify, 0, msg::TrayRightButtonUp);
    window->send(msg::TrayNotify, 0, msg::TrayRightButtonUp);  // replaces the first
    spinFor(10);
    QMenu* menu = nullptr;
    int menus = 0;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* m = qobject_cast<QMenu*>(top); m && m->isVisible()) menu = m, ++menus;
    }
    ASSERT_EQ(menus, 1);
    ASSERT_EQ(menu->actions().size(), 5);
    EXPECT_EQ(menu->actions()[0]->text(), "退出");
    menu->actions()[2]->trigger();  // "lan"
    ASSERT_TRUE(spinUntil([&] { return window->isEnglish(); }, 500));
    window->send(msg::MenuCommand, 2, 0);
    EXPECT_FALSE(window->isEnglish());
    window->send(msg::MenuCommand, 99, 0);  // no such item: nothing
    EXPECT_TRUE(boxes.empty());
}
