// What a person's input raises: exactly one notification of the right type per change.
#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <QTableWidget>

#include "app/ui/Palette.h"
#include "app/ui/UiQt.h"
#include "app_ui/UiTestSupport.h"

using uitest::UiTest;
using Strings = std::vector<std::string>;

namespace {

class UserInput : public UiTest {
protected:
    UserInput() {
        build(R"(<VBox>
          <Button name="btn" text="Go"/>
          <Option name="kb_tab" group="tabs" selected="true" text="Keyboard"/>
          <Option name="ms_tab" group="tabs" text="Mouse"/>
          <Option name="check" text="Check"/>
          <Combo name="combo"><Item text="a"/><Item text="b"/><Item text="c"/></Combo>
          <List name="list" height="120"><Column text="Name"/></List>
          <Slider name="slider" min="0" max="10"/>
          <Edit name="edit" numeric="true"/>
          <Palette name="pal" width="120" height="60"/>
        </VBox>)");
        for (const char* row : {"one", "two", "three"}) ui.addItem("list", row);
    }
    QPoint rowCentre(int row) {
        auto* list = qobject_cast<QTableWidget*>(widget("list"));
        return list->visualItemRect(list->item(row, 0)).center();
    }
    QWidget* listViewport() { return qobject_cast<QAbstractItemView*>(widget("list"))->viewport(); }
};

TEST_F(UserInput, ButtonClickIsOneClick) {
    uitest::click(widget("btn"));
    EXPECT_EQ(seen(), Strings{"click:btn"});
    ASSERT_EQ(got_.size(), 1u);
    EXPECT_EQ(got_[0].handle, ui.handle("btn"));
}

TEST_F(UserInput, OptionsReportTheirChangeAndTheClick) {
    uitest::click(widget("ms_tab"));
    EXPECT_EQ(seen(), (Strings{"selectchanged:ms_tab", "click:ms_tab"}));
    EXPECT_TRUE(ui.isSelected("ms_tab"));
    EXPECT_FALSE(ui.isSelected("kb_tab"));
    clearSeen();
    uitest::click(widget("ms_tab"));  // already selected: stays, nothing changed
    EXPECT_EQ(seen(), Strings{"click:ms_tab"});
    EXPECT_TRUE(ui.isSelected("ms_tab"));
    clearSeen();
    uitest::click(widget("check"));
    uitest::click(widget("check"));  // a check box toggles both ways
    EXPECT_EQ(seen(), (Strings{"selectchanged:check", "click:check", "selectchanged:check", "click:check"}));
    EXPECT_FALSE(ui.isSelected("check"));
}

TEST_F(UserInput, ListReportsSelectionOnlyWhenTheRowChanges) {
    uitest::click(listViewport(), rowCentre(1));
    EXPECT_EQ(seen(), (Strings{"itemselect:list", "itemclick:list"}));
    EXPECT_EQ(ui.current("list"), 1);
    clearSeen();
    uitest::click(listViewport(), rowCentre(1));  // same row again
    EXPECT_EQ(seen(), Strings{"itemclick:list"});
    clearSeen();
    uitest::key(widget("list"), Qt::Key_Down);
    EXPECT_EQ(seen(), Strings{"itemselect:list"});
    EXPECT_EQ(ui.current("list"), 2);
    clearSeen();
    ui.setCurrent("list", 0, false);  // a silent change is not reported later as the user's
    uitest::click(listViewport(), rowCentre(0));
    EXPECT_EQ(seen(), Strings{"itemclick:list"});
    clearSeen();
    uitest::click(listViewport(), {5, listViewport()->height() - 2});  // below the rows
    EXPECT_EQ(seen(), Strings{});
    EXPECT_EQ(ui.current("list"), 0);
}

TEST_F(UserInput, SliderDragMovesThenCommitsOnce) {
    auto* slider = qobject_cast<QSlider*>(widget("slider"));
    slider->setSliderDown(true);  // the handle grabbed
    slider->setSliderPosition(3);
    slider->setSliderPosition(4);
    EXPECT_EQ(seen(), (Strings{"movevaluechanged:slider", "movevaluechanged:slider"}));
    EXPECT_EQ(ui.value("slider"), 4) << "a move handler reads the new value";
    clearSeen();
    slider->setSliderDown(false);  // released
    EXPECT_EQ(seen(), Strings{"valuechanged:slider"});
    clearSeen();
    slider->setSliderDown(true);  // grabbed and let go without moving
    slider->setSliderDown(false);
    EXPECT_EQ(seen(), Strings{});
}

TEST_F(UserInput, SliderKeyStepCommitsAtOnce) {
    uitest::key(widget("slider"), Qt::Key_Right);
    EXPECT_EQ(seen(), Strings{"valuechanged:slider"});
    EXPECT_EQ(ui.value("slider"), 1);
    clearSeen();
    uitest::key(widget("slider"), Qt::Key_Left);
    uitest::key(widget("slider"), Qt::Key_Left);  // at the minimum: no change
    EXPECT_EQ(seen(), Strings{"valuechanged:slider"});
}

TEST_F(UserInput, ComboChoiceIsOneItemSelect) {
    uitest::key(widget("combo"), Qt::Key_Down);
    EXPECT_EQ(seen(), Strings{"itemselect:combo"});
    EXPECT_EQ(ui.current("combo"), 0);
}

TEST_F(UserInput, TypingRaisesTextChangedButSetTextDoesNot) {
    uitest::key(widget("edit"), Qt::Key_5, "5");
    uitest::key(widget("edit"), Qt::Key_A, "a");  // refused by a numeric edit
    EXPECT_EQ(seen(), Strings{"textchanged:edit"});
    EXPECT_EQ(ui.text("edit"), "5");
    clearSeen();
    ui.setText("edit", "255");  // a handler writing back a clamped value must not loop
    EXPECT_EQ(seen(), Strings{});
    EXPECT_EQ(ui.text("edit"), "255");
}

TEST_F(UserInput, PalettePickCommitsOnRelease) {
    auto* palette = qobject_cast<ui::ColourPalette*>(widget("pal"));
    ASSERT_NE(palette, nullptr);
    ui.setColor("pal", 0xFF000000, false);  // black: value 0
    ui.setColor("pal", 0xFF808080, false);  // grey, value 128
    const QPoint topLeft = palette->fieldRect().topLeft();
    uitest::press(palette, topLeft);
    EXPECT_EQ(seen(), Strings{}) << "nothing while the button is down";
    uitest::release(palette, topLeft);
    EXPECT_EQ(seen(), Strings{"colorchanged:pal"});
    EXPECT_EQ(ui.color("pal"), 0xFF800000u) << "hue 0, full saturation, the value kept";
    clearSeen();
    uitest::click(palette, palette->stripRect().topLeft());  // the value strip: full value
    EXPECT_EQ(ui.color("pal"), 0xFFFF0000u);
    uitest::click(palette, palette->stripRect().topLeft());  // same colour again: no commit
    EXPECT_EQ(seen(), Strings{"colorchanged:pal"});
    clearSeen();
    uitest::key(palette, Qt::Key_Right);  // one hue step
    EXPECT_EQ(seen(), Strings{"colorchanged:pal"});
}

TEST_F(UserInput, DisabledControlsRaiseNothing) {
    ui.setEnabled("btn", false);
    ui.setEnabled("check", false);
    uitest::click(widget("btn"));
    uitest::click(widget("check"));
    EXPECT_EQ(seen(), Strings{});
}

}  // namespace
