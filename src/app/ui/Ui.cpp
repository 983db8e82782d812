// The facade's finding, text, state, option and current-item operations. Items, values,
// colours and looks are in UiItems.cpp.
#include "app/ui/Ui.h"

#include "app/ui/UiImpl.h"

namespace ui {

Ui::Ui() : impl_(std::make_unique<Impl>(*this)) {}
Ui::~Ui() = default;

void Ui::setSink(NotificationSink sink) { impl_->sink = std::move(sink); }

void Ui::raise(const std::string& type, const std::string& sender) {
    if (!impl_->sink) return;
    const NotificationSink sink = impl_->sink;
    sink(Notification{type, sender, handle(sender)});
}

// ---- finding ----

bool Ui::has(const std::string& name) const { return impl_->first(name) != nullptr; }

std::string Ui::kind(const std::string& name) const {
    const Control* c = impl_->first(name);
    return c ? kindName(c->kind) : "";
}

std::vector<std::string> Ui::names() const {
    std::vector<std::string> out;
    for (const auto& c : impl_->controls)
        if (!c->name.empty()) out.push_back(c->name);
    return out;
}

ControlHandle Ui::handle(const std::string& name) const { return impl_->first(name); }

std::string Ui::nameOf(ControlHandle handle) const {
    const Control* c = impl_->fromHandle(handle);
    return c ? c->name : "";
}

// ---- text ----

void Ui::setText(const std::string& name, const std::string& literal) {
    if (Control* c = impl_->find(name, "setText")) {
        c->keyMode = false;
        c->text = literal;
        impl_->applyText(*c);
    }
}

void Ui::setTextKey(const std::string& name, const std::string& key) {
    if (Control* c = impl_->find(name, "setTextKey")) {
        c->keyMode = true;
        c->text = key;
        impl_->applyText(*c);
    }
}

std::string Ui::text(const std::string& name) const {
    const Control* c = impl_->find(name, "text");
    return c ? impl_->shownText(*c) : "";
}

std::string Ui::textKey(const std::string& name) const {
    const Control* c = impl_->find(name, "textKey");
    return c && c->keyMode ? c->text : "";
}

bool Ui::isKeyMode(const std::string& name) const {
    const Control* c = impl_->find(name, "isKeyMode");
    return c && c->keyMode;
}

void Ui::setToolTip(const std::string& name, const std::string& key) {
    if (Control* c = impl_->find(name, "setToolTip")) {
        c->toolTipKey = key;
        impl_->applyToolTip(*c);
    }
}

void Ui::setSpokenName(const std::string& name, const std::string& key) {
    if (Control* c = impl_->find(name, "setSpokenName")) {
        c->spokenKey = key;
        impl_->refreshAccessibility(*c);
    }
}

// ---- visibility and state ----

void Ui::setVisible(const std::string& name, bool visible) {
    if (Control* c = impl_->find(name, "setVisible")) impl_->applyVisible(*c, visible);
}

bool Ui::isVisible(const std::string& name) const {
    const Control* c = impl_->find(name, "isVisible");
    return c && c->visible;
}

void Ui::setEnabled(const std::string& name, bool enabled) {
    if (Control* c = impl_->find(name, "setEnabled")) impl_->applyEnabled(*c, enabled);
}

bool Ui::isEnabled(const std::string& name) const {
    const Control* c = impl_->find(name, "isEnabled");
    return c && c->enabled;
}

// ---- options ----

void Ui::setSelected(const std::string& name, bool selected, bool notify) {
    Control* c = impl_->find(name, {Kind::Option}, "setSelected");
    if (c && impl_->applySelected(*c, selected) && notify) impl_->raise(*c, "selectchanged");
}

bool Ui::isSelected(const std::string& name) const {
    const Control* c = impl_->find(name, {Kind::Option}, "isSelected");
    return c && impl_->isSelectedNow(*c);
}

// ---- tabs, combos and lists ----

void Ui::setCurrent(const std::string& name, int index, bool notify) {
    Control* c = impl_->find(name, {Kind::Tab, Kind::Combo, Kind::List}, "setCurrent");
    if (!c || !impl_->applyCurrent(*c, index) || !notify) return;
    if (c->kind != Kind::Tab) impl_->raise(*c, "itemselect");  // a tab page switch notifies nobody
}

int Ui::current(const std::string& name) const {
    const Control* c = impl_->find(name, {Kind::Tab, Kind::Combo, Kind::List}, "current");
    return c ? impl_->currentOf(*c) : -1;
}

}  // namespace ui
