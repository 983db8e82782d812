// What assistive technology sees of a control.
//
// The accessible name is what a person sees: the control's (translated) text, or for controls
// that show no caption of their own (image buttons, pictures without text, edits, sliders,
// palettes, combos, lists) its tool tip, which follows a language switch.
// The control name is never the spoken label. It is the widget's objectName, and in "id mode"
// also the accessible description, the one per-object string besides the name that Qt 6.4's
// AT-SPI bridge publishes (it has no accessible id and no object attributes). Id mode is for
// test clients that find controls by name; it is off unless ZELKAR_A11Y_IDS=1 is set in the
// environment or setAccessibleIds(true) is called. Off, the description stays Qt's default
// (the tool tip).
#pragma once

class QAbstractItemModel;
class QWidget;

namespace ui {

bool accessibleIds();
void setAccessibleIds(bool on);  // applies at once to every live Ui

// Registers our interfaces with Qt. Called by the control factory; once is enough.
//  - Radio options are not Qt auto-exclusive buttons (their groups span the tree), so Qt would
//    present them as check boxes; they are presented as radio buttons.
//  - A palette is a colour chooser: its value is the colour as 0xRRGGBB, its value text and
//    (outside id mode) its description "#0199CB (1, 153, 203)"; its actions "Next hue",
//    "Previous hue", "More saturated", "Less saturated", "Lighter", "Darker" (Increase and
//    Decrease go lighter and darker). Setting the value or an action is a person's pick.
//  - Combos and lists have their items (a list row's cells joined by ", ") as children whose
//    "Press" action chooses the item as a person would: "itemselect" when it changes. (Qt 6.4's
//    AT-SPI bridge carries no Selection interface, so choosing goes through the items.)
//  - Sliders keep Qt's interface, whose value setting raises "valuechanged" like a key step.
void installAccessibility();

// Tells assistive technology when items of a combo or list come and go, which Qt does not for
// our item children. Called once by the widget with its model.
void announceItemChanges(QWidget* view, QAbstractItemModel* model);

}  // namespace ui
