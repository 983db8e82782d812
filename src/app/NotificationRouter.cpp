#include "app/NotificationRouter.h"

#include <cctype>
#include <cstdlib>

#include "app/RouteTables.h"
#include "app/WindowMessages.h"

namespace {

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

template <typename Table>
const routes::NameRoute* findName(const Table& table, std::string_view name) {
    for (const routes::NameRoute& r : table)
        if (sameName(r.name, name)) return &r;
    return nullptr;
}

// Prefix rules compare the prefix of an indexed name as it is written.
template <typename Table>
const routes::NameRoute* findPrefix(const Table& table, const IndexedControlName& split) {
    if (!split.hasPrefix) return nullptr;
    for (const routes::NameRoute& r : table)
        if (r.name == split.prefix) return &r;
    return nullptr;
}

const routes::TabRoute* findTab(std::string_view option) {
    for (const routes::TabRoute& t : routes::kTabs)
        if (sameName(t.option, option)) return &t;
    return nullptr;
}

}  // namespace

IndexedControlName IndexedControlName::split(std::string_view name) {
    IndexedControlName out;
    const size_t underscore = name.rfind('_');
    if (underscore == std::string_view::npos) return out;
    out.hasPrefix = true;
    out.prefix = std::string(name.substr(0, underscore + 1));
    int index = 0;
    for (size_t i = underscore + 1; i < name.size() && std::isdigit(static_cast<unsigned char>(name[i])); ++i) {
        if (index > 100000000) break;  // a name is not a place for huge numbers
        index = index * 10 + (name[i] - '0');
    }
    out.index = index;
    return out;
}

void NotificationRouter::routeNotification(const ui::Notification& n) {
    const std::string& type = n.type;
    if (type == "windowinit") {
        target_.windowInit();
    } else if (type == "click") {
        click(n);
    } else if (type == "selectchanged") {
        selectChanged(n);
    } else if (type == "colorchanged") {
        if (const auto* r = findName(routes::kColourNames, n.sender)) target_.route(r->owner, n, 0);
    } else if (type == "valuechanged") {
        if (const auto* r = findName(routes::kValueNames, n.sender)) target_.route(r->owner, n, 0);
    } else if (type == "movevaluechanged") {
        if (const auto* r = findName(routes::kMoveValueNames, n.sender)) target_.route(r->owner, n, 0);
    } else if (type == "itemselect") {
        if (const auto* r = findName(routes::kItemSelectNames, n.sender)) target_.route(r->owner, n, 0);
    } else if (type == "itemclick") {
        if (const auto* r = findName(routes::kItemClickNames, n.sender)) target_.route(r->owner, n, 0);
    } else if (type == "textchanged") {
        if (const auto* r = findName(routes::kTextNames, n.sender)) target_.route(r->owner, n, 0);
    } else if (type == "msenter" || type == "msleave") {
        const IndexedControlName split = IndexedControlName::split(n.sender);
        const bool digitsOnly = !n.sender.empty() && n.sender.size() > split.prefix.size() &&
                                n.sender.find_first_not_of("0123456789", split.prefix.size()) == std::string::npos;
        if (split.prefix == "ms_key_" && digitsOnly && split.index < routes::kHoverMouseKeys)
            target_.route(Owner::MouseButtonPage, n, split.index);
    }
}

// ---- clicks ---------------------------------------------------------------------------------------

void NotificationRouter::click(const ui::Notification& n) {
    if (sameName(n.sender, "closebtn")) {
        target_.closeWindow();
        return;
    }
    if (sameName(n.sender, "minbtn")) return target_.minimizeWindow();
    if (sameName(n.sender, "maxbtn")) return target_.maximizeWindow();
    if (sameName(n.sender, "restorebtn")) return target_.restoreWindow();
    if (sameName(n.sender, "skinbtn")) target_.openSkinPicker(n.handle);  // and on to the router
    clickByName(n);
}

void NotificationRouter::clickByName(const ui::Notification& n) {
    const IndexedControlName split = IndexedControlName::split(n.sender);
    if (const routes::NameRoute* r = findPrefix(routes::kClickPrefixes, split)) {
        if (r->owner == Owner::KeyboardKeyPage && !ui_.isVisible("kb_tab_function")) {
            ui_.setVisible("kb_tab_function", true);
            ui_.setEnabled("kb_tab_function", true);
        }
        target_.route(r->owner, n, split.index);
        return;
    }
    if (const routes::NameRoute* r = findName(routes::kClickNames, n.sender)) {
        target_.route(r->owner, n, 0);
        return;
    }
    if (sameName(n.sender, "kb_key_butt_keycanlc")) {
        ui_.setVisible("kb_tab_function", false);
        ui_.setEnabled("kb_tab_function", false);
        target_.removeKeyHook();
        return;
    }
    for (const routes::Toggle& t : routes::kToggles) {
        if (sameName(t.button, n.sender)) {
            toggle(std::string(t.panel));
            return;
        }
    }
    if (sameName(n.sender, "dpi_btn")) {
        const std::string data = ui_.userData(n.handle);
        const int scale = std::atoi(data.c_str());
        if (scale > 0) target_.setDisplayScale(scale);
    }
}

void NotificationRouter::toggle(const std::string& name) { ui_.setVisible(name, !ui_.isVisible(name)); }

// ---- options and tabs -------------------------------------------------------------------------------

void NotificationRouter::selectChanged(const ui::Notification& n) {
    const IndexedControlName split = IndexedControlName::split(n.sender);
    if (const routes::NameRoute* r = findPrefix(routes::kOptionPrefixes, split)) {
        target_.route(r->owner, n, split.index);
        return;
    }
    if (const routes::NameRoute* r = findName(routes::kOptionNames, n.sender)) {
        target_.route(r->owner, n, 0);
        return;
    }
    // A radio option that was just deselected only echoes its neighbour's selection.
    const routes::TabRoute* tab = findTab(n.sender);
    if (tab && !ui_.isSelected(n.sender)) return;
    if (macroGuardStops(n.sender)) return;
    target_.removeKeyHook();
    target_.endMacroRecording();
    if (tab) {
        switchTab(n.sender);
    } else if (sameName(n.sender, "kb_aorb_check")) {
        target_.startTimer(timer::AbFlag, 50);
    } else if (sameName(n.sender, "kb_a/b_tab")) {
        target_.setKeyboardAbTab(ui_.isSelected(n.sender) ? 0 : 1);
    }
}

// While a macro is being edited (its save/cancel bar shows), only its own page may be selected.
bool NotificationRouter::macroGuardStops(const std::string& option) {
    struct Guard {
        const char* bar;
        const char* macroTab;
        const char* deviceTab;
    };
    static constexpr Guard guards[] = {
        {"ms_macro_tab_saveorcancel", "ms_macro_Op_tab", "ms_tab"},
        {"kb_macro_tab_saveorcancel", "kb_macro_Op_tab", "kb_tab"},
    };
    for (const Guard& g : guards) {
        if (!ui_.isVisible(g.bar)) continue;
        if (sameName(option, g.macroTab) || sameName(option, g.deviceTab)) continue;
        ui_.setSelected(g.macroTab, true, false);
        ui_.setSelected(g.deviceTab, true, false);
        target_.showMessage("message_text_3");
        return true;
    }
    return false;
}

void NotificationRouter::switchTab(const std::string& option) {
    const routes::TabRoute* tab = findTab(option);
    if (!tab) return;
    const std::string layout(tab->tabLayout);
    if (!tab->hideFunctionPanel.empty() && ui_.current(layout) != tab->page) {
        ui_.setVisible(std::string(tab->hideFunctionPanel), false);
        ui_.setEnabled(std::string(tab->hideFunctionPanel), false);
    }
    ui_.setCurrent(layout, tab->page, false);
}
