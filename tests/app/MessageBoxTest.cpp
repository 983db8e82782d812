// The message box: real modal boxes (offscreen) with their results, the timed form, key and
// literal texts, the responder tests use, and the composed messages.
#include <QAbstractButton>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTimer>

#include "app/AppTestSupport.h"
#include "app/Texts.h"
#include "app/ui/Language.h"
#include "app/ui/UiQt.h"

using apptest::ShellTest;

namespace {

// Acts on the box once it is open (from inside its modal loop). Keep the answer until the box
// has returned.
std::unique_ptr<QTimer> whenOpen(std::function<void(CMsgWnd&)> act) {
    auto poll = std::make_unique<QTimer>();
    QTimer* timer = poll.get();
    QObject::connect(timer, &QTimer::timeout, [timer, act = std::move(act)] {
        const auto open = CMsgWnd::openBoxes();
        if (open.empty()) return;
        timer->stop();
        act(*open.back());
    });
    timer->start(2);
    return poll;
}

void clickButton(CMsgWnd& box, const char* name) {
    auto* button = qobject_cast<QAbstractButton*>(ui::widget(box.ui(), name));
    ASSERT_NE(button, nullptr) << name;
    button->click();
}

}  // namespace

class MessageBoxTest : public ShellTest {
protected:
    MessageBoxTest() { setMessageBoxResponder({}); }  // real boxes here
};

TEST_F(MessageBoxTest, ButtonsCloseWithOneForConfirmAndZeroOtherwise) {
    ui::switchLanguage("cn_zh", "lan_cn.xml");
    struct Case {
        const char* name;
        std::function<void(CMsgWnd&)> act;
        int result;
    } cases[] = {
        {"confirm", [](CMsgWnd& box) { clickButton(box, "confirm_btn"); }, 1},
        {"cancel", [](CMsgWnd& box) { clickButton(box, "cancel_btn"); }, 0},
        {"caption close", [](CMsgWnd& box) { clickButton(box, "closebtn"); }, 0},
        {"window manager close", [](CMsgWnd& box) { box.window()->close(); }, 0},
        {"escape",
         [](CMsgWnd& box) {
             QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
             QCoreApplication::sendEvent(box.window(), &escape);
         },
         0},
        {"shutdown", [](CMsgWnd&) { closeAllMessageBoxes(); }, 0},
    };
    for (const Case& c : cases) {
        std::string title, text;
        const auto poll = whenOpen([&](CMsgWnd& box) {
            title = box.ui().text("MessageTitle");
            text = box.ui().text("MessageText");
            EXPECT_TRUE(box.window()->isVisible()) << c.name;
            EXPECT_TRUE(box.window()->isModal()) << c.name;
            c.act(box);
        });
        EXPECT_EQ(showMessageBox(nullptr, "", "message_text_12", true), c.result) << c.name;
        EXPECT_EQ(title, ui::Language::instance().text("msg_title_text")) << c.name;  // the layout's title
        EXPECT_EQ(text, ui::Language::instance().text("message_text_12")) << c.name;
        EXPECT_TRUE(CMsgWnd::openBoxes().empty());
    }
}

TEST_F(MessageBoxTest, LiteralTextTitleAndEmptyText) {
    std::string title, text;
    bool keyMode = true;
    auto poll = whenOpen([&](CMsgWnd& box) {
        title = box.ui().text("MessageTitle");
        text = box.ui().text("MessageText");
        keyMode = box.ui().isKeyMode("MessageText");
        clickButton(box, "confirm_btn");
    });
    EXPECT_EQ(showMessageBox(nullptr, "Zelkar", "配置文件丢失 %s %n", false), 1);
    EXPECT_EQ(title, "Zelkar");
    EXPECT_EQ(text, "配置文件丢失 %s %n");
    EXPECT_FALSE(keyMode);

    poll = whenOpen([&](CMsgWnd& box) {
        text = box.ui().text("MessageText");
        clickButton(box, "cancel_btn");
    });
    EXPECT_EQ(showMessageBox(nullptr, "", "", true), 0);
    EXPECT_EQ(text, ui::Language::instance().text("msg_default_text"));
}

TEST_F(MessageBoxTest, TimedBoxClosesItselfAfterHalfASecond) {
    QElapsedTimer clock;
    clock.start();
    showTimedMessageBox(true, nullptr, "", "message_text_20", true);
    EXPECT_GE(clock.elapsed(), 450);
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_TRUE(CMsgWnd::openBoxes().empty());

    // Without autoClose it waits for a button like any box.
    const auto poll = whenOpen([](CMsgWnd& box) { clickButton(box, "confirm_btn"); });
    clock.restart();
    showTimedMessageBox(false, nullptr, "", "message_text_20", true);
    EXPECT_LT(clock.elapsed(), 450);
}

TEST_F(MessageBoxTest, ButtonNamesCompareWithoutRegardToCase) {
    // A skin of its own whose message layout spells the names differently.
    const std::string skin = dir.path() + "/skin";
    testsupport::writeFile(skin + "/res.xml", "<Resources><Layout file=\"box.xml\" id=\"XML_MSG\"/></Resources>");
    testsupport::writeFile(skin + "/box.xml",
                           "<Window size=\"200,100\"><VBox><Label name=\"MessageTitle\" text=\"t\"/>"
                           "<Text name=\"MessageText\" text=\"x\"/><Button name=\"CONFIRM_Btn\" text=\"ok\"/>"
                           "<Button name=\"Cancel_BTN\" text=\"no\"/></VBox></Window>");
    ui::setSkinDir(skin);
    auto poll = whenOpen([](CMsgWnd& box) { clickButton(box, "CONFIRM_Btn"); });
    EXPECT_EQ(showMessageBox(nullptr, "", "anything", false), 1);
    poll = whenOpen([](CMsgWnd& box) { clickButton(box, "Cancel_BTN"); });
    EXPECT_EQ(showMessageBox(nullptr, "", "anything", false), 0);
    ui::setSkinDir(apptest::sourceDir() + "/skin");
}

TEST_F(ShellTest, ResponderRecordsEveryBoxWithoutShowingOne) {
    answers = {1, 0};
    EXPECT_EQ(showMessageBox(nullptr, "", "message_text_4", true), 1);
    EXPECT_EQ(showMessageBox(nullptr, "", "必须保留一个配置文件", false), 0);
    showTimedMessageBox(true, nullptr, "", "message_text_20", true);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].shownText, ui::Language::instance().text("message_text_4"));
    EXPECT_FALSE(boxes[1].textIsKey);
    EXPECT_EQ(boxes[1].shownText, "必须保留一个配置文件");
    EXPECT_TRUE(boxes[2].autoClose);
    EXPECT_TRUE(CMsgWnd::openBoxes().empty());
}

TEST(ComposedMessages, OnlyTheFirstIntegerPlaceholderIsFilledAndNothingElseIsAFormat) {
    struct Case {
        const char* text;
        int value;
        const char* expected;
    } cases[] = {
        {"list is full (%d macros)", 50, "list is full (50 macros)"},
        {"remove %d actions, %d left", 7, "remove 7 actions, %d left"},
        {"100%% sure: %d", -3, "100% sure: -3"},
        {"%s%n%x%p %d", 1, "%s%n%x%p 1"},
        {"no placeholder", 5, "no placeholder"},
        {"trailing %", 5, "trailing %"},
        {"%i and %u", 2, "2 and %u"},
        {"", 9, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(formatWithInteger(c.text, c.value), c.expected) << c.text;
}

TEST_F(ShellTest, ComposedMessagesTranslateThroughTheMainWindowsLabel) {
    auto window = makeWindow();
    EXPECT_EQ(translate("message_text_1"), ui::Language::instance().text("message_text_1"));
    const std::string cn = formatMessage("message_text_17", 50);
    EXPECT_NE(cn.find("50"), std::string::npos);
    EXPECT_EQ(cn.find("%d"), std::string::npos);
    window->menuCommand("lan");
    const std::string en = formatMessage("message_text_17", 50);
    EXPECT_NE(en, cn);
    EXPECT_NE(en.find("50"), std::string::npos);
    EXPECT_EQ(translate("no_such_key_anywhere"), "no_such_key_anywhere");
}
