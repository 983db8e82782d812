// Inside the facade: the control records of one Ui and the state operations shared by the
// layout builder and the Ui methods. Qt side only.
#pragma once

#include "app/ui/Ui.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <initializer_list>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace ui {

enum class Kind {
    VBox, HBox, Box, Tab,
    Button, Option, Label, Text, Edit, Combo, List, Slider, Progress,
    CircleProgress, ChartView, Wnd, Palette, Picture,
};

const char* kindName(Kind kind);
bool isContainer(Kind kind);

// One control of the tree. The record outlives nothing it points to: widgets are held by
// QPointer, so a control whose widget is gone answers neutrally.
struct Control {
    std::string name;
    Kind kind = Kind::VBox;
    QPointer<QWidget> widget;
    QPointer<QWidget> outer;        // what the container holds: the widget, or its padding frame
    bool tabPage = false;           // a direct page of a Tab, which shows and hides it itself

    bool keyMode = false;
    std::string text;               // the literal, or the key in key mode
    std::string toolTipKey;
    std::string spokenKey;  // language key of the name a screen reader speaks, when no text names it
    std::string userData;
    bool visible = true;
    bool enabled = true;
    Argb bkColor = 0;
    std::string bkImage;
    std::string group;              // options of one group are radio options
    int minimum = 0, maximum = 100, value = 0;  // progress kinds (a slider asks its widget)
    int selectedRow = -1;           // lists: the row "itemselect" last reported
    int valueAtPress = 0;           // sliders: the value when a drag began
    std::vector<std::string> columnKeys;  // list headers in key mode ("" for a literal header)
};

// Combo and list items keep their data and, in key mode, their key under these roles.
inline constexpr int kItemDataRole = Qt::UserRole;
inline constexpr int kItemKeyRole = Qt::UserRole + 1;

struct Ui::Impl {
    explicit Impl(Ui& owner);
    ~Impl();

    // ---- the tree ----
    void clear();                                   // drops every control (and an owned window)
    Control& add(Kind kind, const std::string& name, QWidget* widget);
    Control* first(const std::string& name) const;
    // The first control of that name, or nullptr with one log line per name and operation.
    Control* find(const std::string& name, const char* op) const;
    // As find, and of one of the kinds (a control of another kind is logged once too).
    Control* find(const std::string& name, std::initializer_list<Kind> kinds, const char* op) const;
    Control* fromHandle(ControlHandle handle) const;
    void logOnce(const std::string& what) const;

    // ---- notifications ----
    // Hands a notification to the sink unless a silent change is under way. false when the
    // sink destroyed this Ui: the caller must not touch anything of it afterwards.
    bool raise(const Control& control, const char* type);
    struct Silence {
        explicit Silence(Impl& impl) : impl_(impl) { ++impl_.silent; }
        ~Silence() { --impl_.silent; }
        Silence(const Silence&) = delete;
        Silence& operator=(const Silence&) = delete;
        Impl& impl_;
    };

    // ---- state shared by the builder and the facade ----
    void applyText(Control& c);                     // shows c.text (translated in key mode)
    void applyToolTip(Control& c);
    void applyVisible(Control& c, bool visible);
    void applyEnabled(Control& c, bool enabled);
    void applyBkColor(Control& c, Argb colour);
    void applyBkImage(Control& c, const std::string& image);
    bool applySelected(Control& c, bool selected);  // true when the state changed
    bool applyCurrent(Control& c, int index);       // true when the current page/item changed
    bool applyValue(Control& c, int value);         // true when the value changed
    void applyRange(Control& c, int minimum, int maximum);
    int valueOf(const Control& c) const;
    int currentOf(const Control& c) const;
    bool isSelectedNow(const Control& c) const;
    std::string shownText(const Control& c) const;  // what the control shows now
    // Items (UiItems.cpp). Combos: one text per item; lists: one text per column. An item in
    // key mode keeps its key and follows the language. Answers the new index, -1 if none.
    int addItemTo(Control& c, const std::string& text, const std::string& data, bool keyMode);
    int addRowTo(Control& c, const std::vector<std::string>& cells, const std::string& data);
    void addColumnTo(Control& c, const std::string& text, bool keyMode, int width);
    void applyItemHeight(Control& c, int pixels);
    void refreshAccessibility(Control& c);
    void reloadText();                              // every key-mode text of this tree

    // An option changed state outside a silent change (the user, or assistive technology):
    // group partners are deselected silently, then "selectchanged" is raised.
    void optionToggled(Control& c, bool selected);
    // Options of c's group other than c.
    std::vector<Control*> groupPartners(const Control& c) const;

    Ui& owner;
    std::vector<std::unique_ptr<Control>> controls;     // layout order
    std::unordered_map<std::string, std::vector<Control*>> byName;  // each in layout order
    std::unordered_set<const Control*> handles;
    QPointer<QWidget> root;
    std::unique_ptr<QWidget> ownedWindow;
    NotificationSink sink;
    int silent = 0;
    std::unique_ptr<QObject> context;   // receiver of every widget connection: dies with the tree
    std::shared_ptr<char> life = std::make_shared<char>(0);
    mutable std::set<std::string> logged;
};

namespace detail {
// Every live Ui: key-mode texts follow Language::reloadText, accessibility a mode switch.
void reloadAllTexts();
void refreshAllAccessibility();
}  // namespace detail

}  // namespace ui
