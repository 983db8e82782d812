// The control facade: state setters with and without notification, items, missing controls.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTableWidget>

#include "app/ui/UiQt.h"
#include "app_ui/UiTestSupport.h"

using uitest::LogCapture;
using uitest::UiTest;
using Strings = std::vector<std::string>;

namespace {

class Facade : public UiTest {
protected:
    Facade() {
        build(R"(<VBox>
          <Option name="a" group="g"/><Option name="b" group="g"/><Option name="check"/>
          <Tab name="tab"><Label/><Label/></Tab>
          <Combo name="combo"><Item text="zero" data="d0"/><Item text="one" data="d1"/><Item text="two"/></Combo>
          <List name="list"><Column text="Name" width="80"/><Column text="Delay"/></List>
          <Slider name="slider" min="0" max="100"/>
          <Progress name="bar"/>
          <Palette name="Pallet"/>
          <Picture name="pic"/>
          <Edit name="edit"/>
          <Button name="skin_color_btn" bkcolor="#FF000001" userdata="first"/>
          <Button name="skin_color_btn" bkcolor="#FF000002" userdata="second"/>
        </VBox>)");
        for (const char* row : {"r0", "r1", "r2"}) ui.addRow("list", {row, "10"}, std::string("data_") + row);
    }
};

// Each stateful setter: with notify it raises its notification exactly once, without notify
// nothing, and setting the state it already has raises nothing either.
TEST_F(Facade, SettersNotifyOnlyWhenAskedAndOnlyOnChange) {
    struct Case {
        const char* what;
        std::function<void(bool notify)> change;
        std::function<void(bool notify)> again;
        Strings want;
    };
    const Case cases[] = {
        {"option", [&](bool n) { ui.setSelected("check", true, n); }, [&](bool n) { ui.setSelected("check", true, n); },
         {"selectchanged:check"}},
        {"combo", [&](bool n) { ui.setCurrent("combo", 2, n); }, [&](bool n) { ui.setCurrent("combo", 2, n); },
         {"itemselect:combo"}},
        {"list", [&](bool n) { ui.setCurrent("list", 1, n); }, [&](bool n) { ui.setCurrent("list", 1, n); },
         {"itemselect:list"}},
        {"slider", [&](bool n) { ui.setValue("slider", 40, n); }, [&](bool n) { ui.setValue("slider", 40, n); },
         {"valuechanged:slider"}},
        {"palette", [&](bool n) { ui.setColor("Pallet", 0xFF0199CB, n); }, [&](bool n) { ui.setColor("Pallet", 0xFF0199CB, n); },
         {"colorchanged:Pallet"}},
    };
    for (const Case& c : cases) {
        for (bool notify : {false, true}) {
            // back to a neutral state silently, then change
            ui.setSelected("check", false, false);
            ui.setCurrent("combo", 0, false);
            ui.setCurrent("list", 0, false);
            ui.setValue("slider", 0, false);
            ui.setColor("Pallet", 0xFFFFFFFF, false);
            clearSeen();
            c.change(notify);
            EXPECT_EQ(seen(), notify ? c.want : Strings{}) << c.what << " notify=" << notify;
            clearSeen();
            c.again(true);
            EXPECT_EQ(seen(), Strings{}) << c.what << ": no change, no notification";
        }
    }
}

TEST_F(Facade, StateReadsBack) {
    ui.setCurrent("combo", 1, false);
    ui.setCurrent("list", 2, false);
    ui.setCurrent("tab", 1, true);
    ui.setValue("slider", 250, false);  // beyond the range: clamped
    ui.setColor("Pallet", 0x800199CB, false);
    EXPECT_EQ(ui.current("combo"), 1);
    EXPECT_EQ(ui.text("combo"), "one");
    EXPECT_EQ(ui.current("list"), 2);
    EXPECT_EQ(ui.current("tab"), 1);
    EXPECT_EQ(ui.value("slider"), 100);
    EXPECT_EQ(ui.color("Pallet"), 0x800199CBu);  // exactly as set
    EXPECT_TRUE(got_.empty()) << "a tab switch notifies nobody";
    ui.setCurrent("combo", 7, true);  // out of range: unchanged
    ui.setCurrent("list", -1, true);  // no row
    EXPECT_EQ(ui.current("combo"), 1);
    EXPECT_EQ(ui.current("list"), -1);
    EXPECT_EQ(seen(), Strings{"itemselect:list"});
}

TEST_F(Facade, RadioGroupKeepsOneSelected) {
    ui.setSelected("a", true, true);
    ui.setSelected("b", true, true);
    EXPECT_FALSE(ui.isSelected("a"));
    EXPECT_TRUE(ui.isSelected("b"));
    // Only the option that became selected reports; its partner goes quietly.
    EXPECT_EQ(seen(), (Strings{"selectchanged:a", "selectchanged:b"}));
}

TEST_F(Facade, ComboAndListItems) {
    EXPECT_EQ(ui.current("combo"), -1) << "filling a combo selects nothing";
    EXPECT_EQ(ui.itemCount("combo"), 3);
    EXPECT_EQ(ui.itemData("combo", 1), "d1");
    EXPECT_EQ(ui.addItem("combo", "three", "d3"), 3);
    ui.setItemText("combo", 3, "THREE");
    EXPECT_EQ(ui.itemText("combo", 3), "THREE");
    ui.removeItem("combo", 0);
    EXPECT_EQ(ui.itemText("combo", 0), "one");
    ui.clearItems("combo");
    EXPECT_EQ(ui.itemCount("combo"), 0);
    EXPECT_EQ(ui.current("combo"), -1);

    EXPECT_EQ(ui.itemCount("list"), 3);
    EXPECT_EQ(ui.itemText("list", 1, 0), "r1");
    EXPECT_EQ(ui.itemText("list", 1, 1), "10");
    EXPECT_EQ(ui.itemData("list", 2), "data_r2");
    EXPECT_EQ(ui.addRow("list", {"a", "b", "c"}), 3);  // a wider row widens the list
    EXPECT_EQ(ui.itemText("list", 3, 2), "c");
    EXPECT_EQ(ui.addItem("list", "single"), 4);
    EXPECT_EQ(ui.itemText("list", 4), "single");
    ui.setCurrent("list", 2, false);
    ui.removeItem("list", 0);  // the selected row moves up with its content
    EXPECT_EQ(ui.current("list"), 1);
    EXPECT_EQ(ui.itemText("list", ui.current("list")), "r2");
    ui.setItemHeight("list", 30);
    EXPECT_EQ(qobject_cast<QTableWidget*>(widget("list"))->rowHeight(0), 30);
    EXPECT_EQ(ui.itemText("list", 99), "");
    EXPECT_TRUE(got_.empty());
}

TEST_F(Facade, SelectingItemsNeverTakesTheFocus) {
    QApplication::setActiveWindow(window);
    widget("edit")->setFocus();
    uitest::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), widget("edit"));
    ui.setCurrent("list", 2, true);
    ui.setCurrent("combo", 1, true);
    ui.setSelected("check", true, true);
    ui.setValue("slider", 3, true);
    EXPECT_EQ(QApplication::focusWidget(), widget("edit"));
}

TEST_F(Facade, MissingOrWrongKindControlsAnswerNeutrallyAndLogOnce) {
    LogCapture log;
    for (int i = 0; i < 3; ++i) {
        ui.setText("ghost", "x");
        ui.setSelected("combo", true, true);  // a combo is no option
        EXPECT_EQ(ui.text("ghost"), "");
        EXPECT_FALSE(ui.isSelected("combo"));
        EXPECT_EQ(ui.current("slider"), -1);
        EXPECT_EQ(ui.value("combo"), 0);
        EXPECT_EQ(ui.itemCount("ghost"), 0);
        EXPECT_EQ(ui.itemData("ghost", 0), "");
        EXPECT_EQ(ui.addItem("slider", "x"), -1);
        EXPECT_EQ(ui.color("ghost"), 0u);
        EXPECT_EQ(ui.overlayAlpha("combo"), 0);
        EXPECT_FALSE(ui.isVisible("ghost"));
        EXPECT_EQ(ui.handle("ghost"), nullptr);
    }
    EXPECT_EQ(log.count("setText: no control named \"ghost\""), 1);
    EXPECT_EQ(log.count("setSelected: control \"combo\" is a Combo"), 1);
    EXPECT_TRUE(got_.empty());
}

TEST_F(Facade, SharedNamesAreTellApartByHandle) {
    const ui::ControlHandle first = ui.handle("skin_color_btn");
    EXPECT_EQ(ui.bkColor(first), 0xFF000001u);
    EXPECT_EQ(ui.userData(first), "first");
    uitest::click(ui::widget(ui, first));
    ui::ControlHandle second = nullptr;
    for (QWidget* w : window->findChildren<QWidget*>("skin_color_btn"))
        if (ui::handleOf(ui, w) != first) second = ui::handleOf(ui, w);
    ASSERT_NE(second, nullptr);
    uitest::click(ui::widget(ui, second));
    ASSERT_EQ(got_.size(), 2u);
    EXPECT_EQ(got_[0].handle, first);
    EXPECT_EQ(got_[1].handle, second);
    EXPECT_EQ(ui.bkColor(got_[1].handle), 0xFF000002u);
    EXPECT_EQ(ui.userData(got_[1].handle), "second");
    EXPECT_EQ(ui.nameOf(second), "skin_color_btn");
    EXPECT_EQ(ui.nameOf(reinterpret_cast<ui::ControlHandle>(&got_)), "");  // not one of ours
}

TEST_F(Facade, RaiseSpeaksForAControl) {
    ui.raise("windowinit", "pic");
    ui.raise("windowinit", "");
    ASSERT_EQ(got_.size(), 2u);
    EXPECT_EQ(got_[0].handle, ui.handle("pic"));
    EXPECT_EQ(got_[1].handle, nullptr);
}

TEST_F(Facade, LooksAndUserData) {
    ui.setBkImage("pic", "images/key.png");
    ui.setBkColor("edit", 0xFF102030);
    ui.setUserData("edit", "mine");
    ui.setOverlayColor("pic", 0x00FF0000);
    ui.setOverlayAlpha("pic", 300);
    EXPECT_EQ(ui.bkImage("pic"), "images/key.png");
    EXPECT_EQ(ui.bkColor("edit"), 0xFF102030u);
    EXPECT_EQ(widget("edit")->palette().color(QPalette::Base), QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(ui.userData("edit"), "mine");
    EXPECT_EQ(ui.overlayColor("pic"), 0x00FF0000u);
    EXPECT_EQ(ui.overlayAlpha("pic"), 255);
    ui.setVisible("edit", false);
    ui.setEnabled("edit", false);
    EXPECT_FALSE(ui.isVisible("edit"));
    EXPECT_FALSE(ui.isEnabled("edit"));
    EXPECT_FALSE(widget("edit")->isEnabled());
}

TEST_F(Facade, ProgressKeepsItsRange) {
    ui.setRange("bar", 0, 0);  // empty range: still a bar, not a busy indicator
    ui.setValue("bar", 5, false);
    EXPECT_EQ(ui.minimum("bar"), 0);
    EXPECT_EQ(ui.maximum("bar"), 0);
    EXPECT_EQ(ui.value("bar"), 0);
    ui.setRange("bar", 10, 20);
    ui.setValue("bar", 15, true);
    EXPECT_EQ(ui.value("bar"), 15);
    EXPECT_TRUE(got_.empty()) << "a progress bar has no notification";
}

TEST_F(Facade, TheSinkMayDestroyTheUiWhileASecondNotificationIsPending) {
    auto doomed = std::make_unique<ui::Ui>();
    QWidget host;
    write("opt.xml", R"(<Window><Option name="o"/></Window>)");
    ui::buildInto(*doomed, &host, "opt.xml");
    QWidget* option = ui::widget(*doomed, "o");
    option->setParent(nullptr);  // outlives the tree, as a widget held elsewhere would
    int calls = 0;
    doomed->setSink([&](const ui::Notification&) {
        ++calls;
        doomed.reset();
    });
    uitest::click(option);  // selectchanged, then click would follow
    EXPECT_EQ(calls, 1);
    delete option;
}

}  // namespace
