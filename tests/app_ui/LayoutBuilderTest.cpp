// Building layouts: containers, control kinds, page tags, and files that are missing or broken.
#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QValidator>
#include <QWidget>

#include "app/ui/LayoutBuilder.h"
#include "app/ui/UiQt.h"
#include "app_ui/UiTestSupport.h"

using uitest::LogCapture;
using uitest::UiTest;

namespace {

using Builder = UiTest;

TEST_F(Builder, EveryElementBuildsItsKindInLayoutOrder) {
    build(R"(<VBox name="root">
      <HBox name="h"><Button name="b" text="B"/><Option name="o"/><Label name="l"/><Text name="t"/></HBox>
      <Box name="abs"><Edit name="e" pos="1,2,30,20"/></Box>
      <Tab name="tab"><Combo name="c"/><List name="li"/><Slider name="s"/><Progress name="p"/></Tab>
      <CircleProgress name="r1"/><ccircleprogressui name="r2"/><CChartViewUI name="chart"/><CWndUI name="wnd"/>
      <Palette name="pal"/><Picture name="pic"/>
    </VBox>)");
    const std::vector<std::pair<std::string, std::string>> want = {
        {"root", "VBox"}, {"h", "HBox"}, {"b", "Button"}, {"o", "Option"}, {"l", "Label"}, {"t", "Text"},
        {"abs", "Box"}, {"e", "Edit"}, {"tab", "Tab"}, {"c", "Combo"}, {"li", "List"}, {"s", "Slider"},
        {"p", "Progress"}, {"r1", "CircleProgress"}, {"r2", "CircleProgress"}, {"chart", "ChartView"},
        {"wnd", "Wnd"}, {"pal", "Palette"}, {"pic", "Picture"}};
    std::vector<std::string> names;
    for (const auto& [name, kind] : want) {
        names.push_back(name);
        EXPECT_EQ(ui.kind(name), kind) << name;
        ASSERT_NE(widget(name), nullptr) << name;
        EXPECT_EQ(widget(name)->objectName().toStdString(), name);
    }
    EXPECT_EQ(ui.names(), names);
    EXPECT_EQ(ui.kind("nothing"), "");
}

TEST_F(Builder, ContainersPlaceTheirChildren) {
    build(R"(<HBox name="row" width="300" height="40">
      <Button name="fixed" width="50"/><Button name="a"/><Button name="b"/>
      <Box name="abs" width="100"><Label name="at" pos="10,5,40,20"/></Box>
    </HBox>)");
    window->resize(300, 40);
    uitest::processEvents();
    EXPECT_EQ(widget("fixed")->width(), 50);
    EXPECT_EQ(widget("a")->width(), widget("b")->width());  // the rest shares the room
    EXPECT_EQ(widget("at")->geometry(), QRect(10, 5, 40, 20));
    EXPECT_EQ(widget("at")->parentWidget(), widget("abs"));
    EXPECT_LT(widget("fixed")->x(), widget("a")->x());
}

TEST_F(Builder, TabShowsItsSelectedPage) {
    build(R"(<Tab name="tab" selected="1"><Label name="p0"/><Label name="p1"/><Label name="p2"/></Tab>)");
    EXPECT_EQ(ui.current("tab"), 1);
    auto* stack = qobject_cast<QStackedWidget*>(widget("tab"));
    ASSERT_NE(stack, nullptr);
    EXPECT_EQ(stack->count(), 3);
    EXPECT_EQ(stack->currentWidget(), widget("p1"));
}

TEST_F(Builder, PaddingKeepsSpaceAroundTheControl) {
    build(R"(<VBox><Button name="b" width="40" height="20" padding="5,6,7,8"/></VBox>)");
    QWidget* b = widget("b");
    QWidget* frame = b->parentWidget();
    EXPECT_EQ(frame->width(), 40 + 5 + 7);
    EXPECT_EQ(frame->height(), 20 + 6 + 8);
    EXPECT_EQ(b->pos(), QPoint(5, 6));
    ui.setVisible("b", false);  // hides the space with it
    EXPECT_TRUE(frame->isHidden());
}

TEST_F(Builder, AttributesReachTheWidgets) {
    build(R"(<VBox>
      <Label name="l" text="hello" userdata="u1" bkcolor="#FF112233" visible="false" enabled="false"/>
      <Edit name="e" numeric="true" maxchars="3"/>
      <Slider name="s" min="10" max="20" value="15"/>
      <Palette name="p" color="#FF0199CB"/>
      <Option name="o" group="g" selected="true"/>
    </VBox>)");
    EXPECT_EQ(ui.text("l"), "hello");
    EXPECT_EQ(ui.userData("l"), "u1");
    EXPECT_EQ(ui.bkColor("l"), 0xFF112233u);
    EXPECT_FALSE(ui.isVisible("l"));
    EXPECT_FALSE(ui.isEnabled("l"));
    EXPECT_TRUE(widget("l")->isHidden());
    auto* edit = qobject_cast<QLineEdit*>(widget("e"));
    EXPECT_EQ(edit->maxLength(), 3);
    QString letters = "a1";
    int pos = 0;
    EXPECT_EQ(edit->validator()->validate(letters, pos), QValidator::Invalid);
    EXPECT_EQ(ui.minimum("s"), 10);
    EXPECT_EQ(ui.maximum("s"), 20);
    EXPECT_EQ(ui.value("s"), 15);
    EXPECT_EQ(ui.color("p"), 0xFF0199CBu);
    EXPECT_TRUE(ui.isSelected("o"));
    EXPECT_TRUE(got_.empty());  // building raises nothing
}

TEST_F(Builder, WindowSizeAndTitleGoToTheHost) {
    write("w.xml", R"(<Window size="320,200" title="ZELKAR Driver"><Label name="x"/></Window>)");
    buildFile("w.xml");
    EXPECT_EQ(window->size(), QSize(320, 200));
    EXPECT_EQ(window->windowTitle(), "ZELKAR Driver");
    EXPECT_EQ(ui::rootWidget(ui)->parentWidget(), window);
}

TEST_F(Builder, PageTagsExpandWithoutRegardToCase) {
    write("keyboard_key.xml", R"(<Page><Button name="kb_key_1"/></Page>)");
    write("Mouse_DPI.xml", R"(<Page name="dpi_page"><Slider name="ms_DPI1_slider"/></Page>)");
    build(R"(<Tab name="pages"><KB_KEY_UI name="kb_page"/><ms_dpi_ui/></Tab>)");
    EXPECT_EQ(ui.kind("kb_key_1"), "Button");
    EXPECT_EQ(ui.kind("ms_DPI1_slider"), "Slider");
    EXPECT_EQ(ui.kind("kb_page"), "VBox");     // the tag's name wins over the page's
    EXPECT_EQ(ui.kind("dpi_page"), "VBox");
    EXPECT_EQ(qobject_cast<QStackedWidget*>(widget("pages"))->count(), 2);
    EXPECT_EQ(widget("kb_key_1")->parentWidget(), widget("kb_page"));
}

TEST_F(Builder, PageTagTable) {
    const std::pair<const char*, const char*> rows[] = {
        {"kb_Key_UI", "keyboard_key.xml"},     {"kb_Deng_UI", "keyboard_deng.xml"},
        {"kb_Macro_UI", "keyboard_macro.xml"}, {"MS_Deng_UI", "Mouse_deng.xml"},
        {"MS_Macro_UI", "Mouse_macro.xml"},    {"MS_Key_UI", "Mouse_key.xml"},
        {"MP_deng_UI", "MousePad_deng.xml"},   {"MS_DPI_UI", "Mouse_DPI.xml"},
        {"MS_CURSOR_UI", "Mouse_cursor.xml"},
    };
    for (const auto& [tag, file] : rows) EXPECT_EQ(ui::pageFileForTag(tag), file) << tag;
    EXPECT_EQ(ui::pageFileForTag("CircleProgress"), "");  // a control, not a page
    EXPECT_EQ(ui::pageFileForTag("kb_Key"), "");
}

TEST_F(Builder, UnknownElementBuildsNothingAndLogsOnce) {
    LogCapture log;
    build(R"(<VBox name="v"><Frobnicator name="f"><Button name="inside"/></Frobnicator><Button name="after"/></VBox>)");
    EXPECT_FALSE(ui.has("f"));
    EXPECT_FALSE(ui.has("inside"));
    EXPECT_TRUE(ui.has("after"));
    EXPECT_EQ(log.count("Frobnicator"), 1);
}

TEST_F(Builder, MissingAndBrokenFilesBuildWhatTheyCan) {
    LogCapture log;
    buildFile("no_such_layout.xml");
    ASSERT_NE(ui::rootWidget(ui), nullptr);
    EXPECT_TRUE(ui.names().empty());
    EXPECT_EQ(log.count("no_such_layout.xml"), 1);

    // Cut off in the middle: what came before the break is there.
    write("broken.xml", R"(<Window><VBox><Button name="first"/><Label name="second" text="x"/><Button name="thi)");
    buildFile("broken.xml");
    EXPECT_TRUE(ui.has("first"));
    EXPECT_TRUE(ui.has("second"));
    EXPECT_FALSE(ui.has("first_of_old_build"));
    EXPECT_EQ(log.count("malformed"), 1);

    write("garbage.xml", "this is not xml at all");
    buildFile("garbage.xml");
    EXPECT_TRUE(ui.names().empty());
}

TEST_F(Builder, MissingOrBrokenPageFilesCostOnlyThatPage) {
    LogCapture log;
    write("keyboard_deng.xml", R"(<Page><Label name="in_broken"/><Label)");
    build(R"(<VBox><kb_Key_UI/><kb_Deng_UI/><Button name="still_here"/></VBox>)");
    EXPECT_TRUE(ui.has("still_here"));
    EXPECT_TRUE(ui.has("in_broken"));
    EXPECT_EQ(log.count("keyboard_key.xml"), 1);
}

TEST_F(Builder, PagesIncludingThemselvesStopAtTheDepthLimit) {
    LogCapture log;
    write("keyboard_key.xml", R"(<Page><Label name="level"/><KB_KEY_UI/></Page>)");
    build(R"(<VBox><kb_Key_UI/></VBox>)");
    int levels = 0;
    for (const auto& n : ui.names()) levels += n == "level" ? 1 : 0;
    EXPECT_EQ(levels, ui::kMaxPageDepth);
    EXPECT_EQ(log.count("too deeply"), 1);
}

TEST_F(Builder, RebuildReplacesTheTree) {
    build(R"(<Button name="old"/>)");
    const ui::ControlHandle oldHandle = ui.handle("old");
    build(R"(<Button name="new"/>)");
    EXPECT_FALSE(ui.has("old"));
    EXPECT_TRUE(ui.has("new"));
    EXPECT_EQ(ui.nameOf(oldHandle), "");
}

TEST_F(Builder, BuildWindowOwnsItsTopLevel) {
    write("dlg.xml", R"(<Window size="200,100" title="box"><Label name="MessageText"/></Window>)");
    QPointer<QWidget> top;
    {
        ui::Ui dialog;
        top = ui::buildWindow(dialog, "dlg.xml");
        ASSERT_TRUE(top);
        EXPECT_TRUE(top->isWindow());
        EXPECT_EQ(top->windowTitle(), "box");
        EXPECT_TRUE(top->isAncestorOf(ui::widget(dialog, "MessageText")));
    }
    EXPECT_TRUE(top.isNull());
}

}  // namespace
