// The control facade: everything page code does with controls, by control name, without Qt.
//
// One Ui holds one control tree built from a layout file (the main window's, a message box's,
// the skin picker's). Every control of every page of the main window is found through the main
// window's Ui. Calls that name a control that does not exist, or a control of the wrong kind, do
// nothing and answer a neutral value (false, 0, "", -1): page code never checks first, and a
// layout that lacks a control costs that control only (the miss goes to the debug log once).
//
// Notifications: every control raises its notifications to the tree's sink as (type, sender
// name, sender handle). The kinds: "windowinit", "click", "selectchanged", "itemselect",
// "itemclick", "valuechanged", "movevaluechanged", "textchanged", "colorchanged", "msenter",
// "msleave". Every setter that changes state that has a notification takes `notify`: true raises
// it exactly as a user's change would, false changes the state silently.
//
// Texts: a control shows either a literal text or a language key. A key-mode control shows the
// current language's text for its key and follows a language switch at once (see Language.h).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ui {

// Opaque identity of one control: several controls may share a name (the skin picker's preset
// buttons), so a notification also carries its sender's handle.
using ControlHandle = const void*;

struct Notification {
    std::string type;
    std::string sender;              // the control's name ("" for unnamed controls)
    ControlHandle handle = nullptr;
};

using NotificationSink = std::function<void(const Notification&)>;

// Colours are 0xAARRGGBB.
using Argb = uint32_t;

class Ui {
public:
    Ui();
    ~Ui();
    Ui(const Ui&) = delete;
    Ui& operator=(const Ui&) = delete;

    void setSink(NotificationSink sink);
    // Raises a notification on behalf of a control (used for "windowinit" and by tests that
    // drive the interface by name).
    void raise(const std::string& type, const std::string& sender);

    // ---- finding ----
    bool has(const std::string& name) const;
    // The control kind as the layout names it ("Button", "Option", "Label", "Text", "Edit",
    // "Combo", "List", "Slider", "Progress", "CircleProgress", "Palette", "Picture", "VBox",
    // "HBox", "Box", "Tab", ...), "" when there is no such control.
    std::string kind(const std::string& name) const;
    std::vector<std::string> names() const;     // every named control, in layout order
    ControlHandle handle(const std::string& name) const;  // the first control of that name
    std::string nameOf(ControlHandle handle) const;

    // ---- text ----
    void setText(const std::string& name, const std::string& literal);  // literal mode
    void setTextKey(const std::string& name, const std::string& key);   // language-key mode
    std::string text(const std::string& name) const;     // what the control shows
    std::string textKey(const std::string& name) const;  // the key in key mode, else ""
    bool isKeyMode(const std::string& name) const;
    void setToolTip(const std::string& name, const std::string& key);   // a language key
    // The name a screen reader speaks for a control that shows no text of its own (an edit, a
    // slider, a list): a language key, spoken in the current language.
    void setSpokenName(const std::string& name, const std::string& key);

    // ---- visibility and state ----
    void setVisible(const std::string& name, bool visible);
    bool isVisible(const std::string& name) const;  // the control's own flag, not its parents'
    void setEnabled(const std::string& name, bool enabled);
    bool isEnabled(const std::string& name) const;

    // ---- options (check boxes, radio options, option-style tab buttons) ----
    void setSelected(const std::string& name, bool selected, bool notify);
    bool isSelected(const std::string& name) const;

    // ---- tabs, combos and lists: the current page / item, -1 for none ----
    void setCurrent(const std::string& name, int index, bool notify);
    int current(const std::string& name) const;

    // ---- items of combos and lists ----
    // A combo item is one text; a list row has one text per column. Texts are literal unless
    // keyMode; data is the caller's own.
    int addItem(const std::string& name, const std::string& text, const std::string& data = {}, bool keyMode = false);
    int addRow(const std::string& name, const std::vector<std::string>& cells, const std::string& data = {});
    void removeItem(const std::string& name, int index);
    void clearItems(const std::string& name);
    int itemCount(const std::string& name) const;
    std::string itemText(const std::string& name, int index, int column = 0) const;
    void setItemText(const std::string& name, int index, const std::string& text, int column = 0);
    std::string itemData(const std::string& name, int index) const;
    void setItemHeight(const std::string& name, int pixels);

    // ---- sliders and progress ----
    void setRange(const std::string& name, int minimum, int maximum);
    int minimum(const std::string& name) const;
    int maximum(const std::string& name) const;
    void setValue(const std::string& name, int value, bool notify);
    int value(const std::string& name) const;

    // ---- colour palette ----
    void setColor(const std::string& name, Argb colour, bool notify);
    Argb color(const std::string& name) const;

    // ---- looks: backgrounds, colour overlay of pictures ----
    void setBkColor(const std::string& name, Argb colour);
    Argb bkColor(const std::string& name) const;
    void setTextColor(const std::string& name, Argb colour);
    Argb textColor(const std::string& name) const;  // 0 for no such control
    void setBkImage(const std::string& name, const std::string& image);  // skin-relative or absolute
    std::string bkImage(const std::string& name) const;
    void setOverlayColor(const std::string& name, Argb colour);
    void setOverlayAlpha(const std::string& name, int alpha);  // 0..255; 0 shows no overlay
    Argb overlayColor(const std::string& name) const;
    int overlayAlpha(const std::string& name) const;
    // Both at once, for one picture found earlier by handle(); repaints only when what shows
    // changes (the colour does not show at alpha 0).
    void setOverlay(ControlHandle picture, Argb colour, int alpha);
    // Many pictures in one go, as the lighting preview sets them up to 100 times a second: the
    // pictures that changed are repainted together, one rectangle per container when many of
    // them changed, which costs far less than as many separate repaints.
    struct OverlayChange {
        ControlHandle picture;
        Argb colour;
        int alpha;
    };
    void setOverlays(const std::vector<OverlayChange>& changes);

    // ---- user data ----
    void setUserData(const std::string& name, const std::string& data);
    std::string userData(const std::string& name) const;

    // ---- the same operations for one control of a shared name ----
    std::string bkImage(ControlHandle handle) const;
    Argb bkColor(ControlHandle handle) const;
    std::string userData(ControlHandle handle) const;
    // A string literal converts to a pointer before it converts to std::string, so without
    // these bkImage("root") would pick the handle overloads above.
    std::string bkImage(const char* name) const { return bkImage(std::string(name)); }
    Argb bkColor(const char* name) const { return bkColor(std::string(name)); }
    std::string userData(const char* name) const { return userData(std::string(name)); }

    // Implementation (Qt side only: see UiQt.h).
    struct Impl;
    Impl& impl() { return *impl_; }
    const Impl& impl() const { return *impl_; }

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace ui
