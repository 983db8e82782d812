// Language files, key mode against literal mode, and a language switch reaching every live Ui.
#include <QAbstractButton>
#include <QComboBox>
#include <QTableWidget>
#include <QWidget>

#include "app/ui/Language.h"
#include "app/ui/UiQt.h"
#include "app_ui/UiTestSupport.h"

using uitest::UiTest;

namespace {

class Languages : public UiTest {
protected:
    Languages() {
        write("lan_cn.xml", R"(<?xml version="1.0" encoding="utf-8"?>
<Language name="cn_zh">
  <Text key="save_text">保存</Text>
  <Text key="skin_text">皮肤</Text>
  <Text key="col_name">名称</Text>
  <Text key="mode_1">常亮</Text>
  <Text key="message_text_17">最多 %d 个宏</Text>
  <Text key="amp">A &amp; B</Text>
</Language>)");
        write("lan_en.xml", R"(<Language name="en">
  <Text key="save_text">Save</Text><Text key="skin_text">Skin</Text><Text key="col_name">Name</Text>
  <Text key="mode_1">Steady</Text><Text key="message_text_17">At most %d macros</Text>
</Language>)");
        language().load("lan_cn.xml");
    }
    static ui::Language& language() { return ui::Language::instance(); }
};

TEST_F(Languages, LoadsTextsAndAnswersTheKeyForAMissingOne) {
    EXPECT_TRUE(language().has("save_text"));
    EXPECT_EQ(language().text("save_text"), "保存");
    EXPECT_EQ(language().text("amp"), "A & B");
    EXPECT_EQ(language().text("no_such_key"), "no_such_key");
    EXPECT_EQ(language().keys().front(), "save_text");
    EXPECT_EQ(language().keys().size(), 6u);
}

TEST_F(Languages, MissingOrMalformedFileKeepsTheTable) {
    write("lan_bad.xml", R"(<Language><Text key="save_text">broken</Text><Text key=)");
    EXPECT_FALSE(language().load("lan_missing.xml"));
    EXPECT_FALSE(language().load("lan_bad.xml"));
    EXPECT_EQ(language().text("save_text"), "保存");
    EXPECT_TRUE(language().load(skin("lan_en.xml")));  // an absolute path works too
    EXPECT_EQ(language().text("save_text"), "Save");
}

TEST_F(Languages, KeyModeFollowsTheLanguageLiteralModeDoesNot) {
    build(R"(<VBox><Button name="save" key="save_text"/><Label name="title" text="ZELKAR"/>
             <Label name="str_test" key="" visible="false"/></VBox>)");
    EXPECT_TRUE(ui.isKeyMode("save"));
    EXPECT_EQ(ui.textKey("save"), "save_text");
    EXPECT_EQ(ui.text("save"), "保存");
    EXPECT_FALSE(ui.isKeyMode("title"));
    EXPECT_EQ(ui.textKey("title"), "");

    // "str_test" translates for the pages: key in, current text out.
    ui.setTextKey("str_test", "message_text_17");
    EXPECT_EQ(ui.text("str_test"), "最多 %d 个宏");
    ui.setTextKey("str_test", "no_such_key");
    EXPECT_EQ(ui.text("str_test"), "no_such_key");

    ui.setText("save", "literal");  // back to literal mode
    EXPECT_FALSE(ui.isKeyMode("save"));
    ASSERT_TRUE(ui::switchLanguage("en", "lan_en.xml"));
    EXPECT_EQ(language().name(), "en");
    EXPECT_EQ(ui.text("save"), "literal");
    EXPECT_EQ(ui.text("title"), "ZELKAR");
}

TEST_F(Languages, SwitchUpdatesEveryKeyModeTextOfEveryLiveUiAtOnce) {
    build(R"(<VBox>
      <Button name="save" key="save_text" tooltip="skin_text"/>
      <Button name="skinbtn" tooltip="skin_text"/>
      <Combo name="mode"><Item key="mode_1"/><Item text="literal item"/></Combo>
      <List name="macros"><Column key="col_name"/></List>
    </VBox>)");
    ui.addItem("mode", "save_text", "", true);
    ui.addItem("macros", "mode_1", "", true);
    ui.addRow("macros", {"my macro"});
    write("second.xml", R"(<Window><Label name="MessageText" key="save_text"/></Window>)");
    ui::Ui second;
    QWidget secondHost;
    ui::buildInto(second, &secondHost, "second.xml");
    EXPECT_EQ(second.text("MessageText"), "保存");

    ASSERT_TRUE(ui::switchLanguage("en", "lan_en.xml"));
    EXPECT_EQ(ui.text("save"), "Save");
    EXPECT_EQ(second.text("MessageText"), "Save");
    EXPECT_EQ(widget("save")->toolTip(), "Skin");
    EXPECT_EQ(ui.itemText("mode", 0), "Steady");
    EXPECT_EQ(ui.itemText("mode", 1), "literal item");
    EXPECT_EQ(ui.itemText("mode", 2), "Save");
    EXPECT_EQ(qobject_cast<QTableWidget*>(widget("macros"))->horizontalHeaderItem(0)->text(), "Name");
    EXPECT_EQ(ui.itemText("macros", 0), "Steady");
    EXPECT_EQ(ui.itemText("macros", 1), "my macro");
    // What a screen reader says follows too: the caption, or an image button's tool tip.
    EXPECT_EQ(widget("save")->accessibleName(), "Save");
    EXPECT_EQ(widget("skinbtn")->accessibleName(), "Skin");
    EXPECT_TRUE(got_.empty()) << "a language switch is no selection";

    ui.setItemText("mode", 0, "typed");  // a literal replaces the key for good
    ui::switchLanguage("cn_zh", "lan_cn.xml");
    EXPECT_EQ(ui.itemText("mode", 0), "typed");
    EXPECT_EQ(ui.text("save"), "保存");
}

TEST_F(Languages, AmpersandsInTextsAreShownAsWritten) {
    build(R"(<VBox><Button name="b" key="amp"/></VBox>)");
    EXPECT_EQ(ui.text("b"), "A & B");
    EXPECT_EQ(qobject_cast<QAbstractButton*>(widget("b"))->text(), "A && B") << "not a mnemonic";
    EXPECT_EQ(widget("b")->accessibleName(), "A & B");
}

}  // namespace
