// What assistive technology sees of a control.
//
// The accessible name is what a person sees: the control's (translated) text, or for controls
// that show no text of their own (image buttons, pictures, edits, sliders...) its tool tip.
// The control name is never the spoken label. It is the widget's objectName, and in "id mode"
// also the accessible description, the one per-object string besides the name that Qt 6.4's
// AT-SPI bridge publishes (it has no accessible id and no object attributes). Id mode is for
// test clients that find controls by name; it is off unless ZELKAR_A11Y_IDS=1 is set in the
// environment or setAccessibleIds(true) is called. Off, the description stays Qt's default
// (the tool tip).
#pragma once

namespace ui {

bool accessibleIds();
void setAccessibleIds(bool on);  // applies at once to every live Ui

// Radio options are not Qt auto-exclusive buttons (their groups span the tree), so Qt would
// present them as check boxes; this registers the interface that presents them as radio
// buttons. Called by the control factory; once is enough.
void installOptionAccessibility();

}  // namespace ui
