// What assistive technology can do with palettes, combos, lists and sliders: each change it
// makes is reported like a person's.
#include <QAccessible>
#include <QWidget>

#include "app/ui/UiQt.h"
#include "app_ui/UiTestSupport.h"

using uitest::UiTest;
using Strings = std::vector<std::string>;

namespace {

class Assistive : public UiTest {
protected:
    Assistive() {
        build(R"(<VBox>
          <Palette name="pal" width="120" height="60" color="#FF0199CB" tooltip="colour_tip"/>
          <Combo name="combo" tooltip="mode_tip"><Item text="a"/><Item text="b"/><Item text="c"/></Combo>
          <List name="list" height="120" tooltip="list_tip"><Column text="Name"/><Column text="Size"/></List>
          <Slider name="slider" min="0" max="10" tooltip="speed_tip"/>
          <Edit name="edit" spoken="count_name" tooltip="count_tip"/>
        </VBox>)");
        for (const char* row : {"one", "two", "three"}) ui.addRow("list", {row, "1"});
    }
    QAccessibleInterface* of(const char* name) { return QAccessible::queryAccessibleInterface(widget(name)); }
    void act(QAccessibleInterface* iface, const QString& action) { iface->actionInterface()->doAction(action); }
};

TEST_F(Assistive, PaletteIsAColourChooserThatPicksLikeAPerson) {
    QAccessibleInterface* pal = of("pal");
    ASSERT_EQ(pal->role(), QAccessible::ColorChooser);
    EXPECT_EQ(pal->text(QAccessible::Name), "colour_tip");
    EXPECT_EQ(pal->text(QAccessible::Description), "#0199CB (1, 153, 203)");
    QAccessibleValueInterface* value = pal->valueInterface();
    ASSERT_TRUE(value);
    EXPECT_EQ(value->currentValue().toInt(), 0x0199CB);

    value->setCurrentValue(0x102030);
    EXPECT_EQ(ui.color("pal"), 0xFF102030u);
    value->setCurrentValue(0x102030);  // no change: no pick
    value->setCurrentValue(-5.0);      // nonsense: refused
    EXPECT_EQ(seen(), Strings{"colorchanged:pal"});

    // Each step is one pick; Increase goes lighter, not through the blue byte.
    const int lightBefore = QColor::fromRgb(ui.color("pal")).value();
    act(pal, QAccessibleActionInterface::increaseAction());
    EXPECT_EQ(QColor::fromRgb(ui.color("pal")).value(), lightBefore + 16);
    const int hueBefore = QColor::fromRgb(ui.color("pal")).hue();
    act(pal, "Next hue");
    EXPECT_NEAR(QColor::fromRgb(ui.color("pal")).hue(), hueBefore + 15, 1);
    EXPECT_EQ(seen(), (Strings{"colorchanged:pal", "colorchanged:pal", "colorchanged:pal"}));

    ui.setEnabled("pal", false);
    act(pal, "Darker");
    value->setCurrentValue(0);
    EXPECT_EQ(got_.size(), 3u) << "a disabled palette takes no pick";
}

TEST_F(Assistive, CombosAndListsChooseAnItemOnceLikeAPerson) {
    struct Case {
        const char* name;
        const char* spoken;
        QAccessible::Role role;
        QString second;
    } cases[] = {
        {"combo", "mode_tip", QAccessible::ComboBox, "b"},
        {"list", "list_tip", QAccessible::List, "two, 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clearSeen();
        QAccessibleInterface* view = of(c.name);
        EXPECT_EQ(view->role(), c.role);
        EXPECT_EQ(view->text(QAccessible::Name), c.spoken) << "named by its tool tip, not its current item";
        ASSERT_EQ(view->childCount(), 3);
        QAccessibleInterface* item = view->child(1);
        ASSERT_TRUE(item);
        EXPECT_EQ(item->text(QAccessible::Name), c.second);
        EXPECT_EQ(view->indexOfChild(item), 1);
        EXPECT_FALSE(item->state().selected);

        act(item, QAccessibleActionInterface::pressAction());
        act(item, QAccessibleActionInterface::pressAction());  // chosen already: no change
        EXPECT_EQ(seen(), Strings{std::string("itemselect:") + c.name});
        EXPECT_EQ(ui.current(c.name), 1);
        EXPECT_TRUE(item->state().selected);
        EXPECT_EQ(view->text(QAccessible::Value), c.second);

        ui.clearItems(c.name);
        EXPECT_FALSE(item->isValid()) << "an item that is gone answers nothing";
        act(item, QAccessibleActionInterface::pressAction());
        EXPECT_EQ(ui.current(c.name), -1);
    }
}

TEST_F(Assistive, SliderValueSetByAssistiveTechnologyIsCommitted) {
    QAccessibleInterface* slider = of("slider");
    EXPECT_EQ(slider->text(QAccessible::Name), "speed_tip");
    ASSERT_TRUE(slider->valueInterface());
    slider->valueInterface()->setCurrentValue(7);
    EXPECT_EQ(ui.value("slider"), 7);
    EXPECT_EQ(seen(), Strings{"valuechanged:slider"});
}

TEST_F(Assistive, ControlsWithoutTextSpeakTheirOwnNameBeforeTheirTip) {
    EXPECT_EQ(of("edit")->text(QAccessible::Name), "count_name");
    ui.setSpokenName("edit", "other_name");
    EXPECT_EQ(of("edit")->text(QAccessible::Name), "other_name");
    ui.setSpokenName("edit", "");
    EXPECT_EQ(of("edit")->text(QAccessible::Name), "count_tip");
}

}  // namespace
