#include "app/ui/UiImpl.h"

#include "app/ui/CustomControls.h"
#include "app/ui/Language.h"
#include "app/ui/OverlaySurface.h"
#include "app/ui/Skin.h"
#include "app/ui/UiLog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSlider>
#include <QStackedWidget>
#include <QTableWidget>
#include <algorithm>

namespace ui {

namespace {

std::vector<Ui::Impl*>& liveUis() {
    static std::vector<Ui::Impl*> live;  // UI thread only
    return live;
}

QString qs(const std::string& s) { return QString::fromStdString(s); }

// Buttons treat '&' as a mnemonic marker; our texts mean it literally.
QString literalMnemonics(const QString& text) {
    QString out = text;
    return out.replace(u'&', QStringLiteral("&&"));
}

}  // namespace

const char* kindName(Kind kind) {
    switch (kind) {
    case Kind::VBox: return "VBox";
    case Kind::HBox: return "HBox";
    case Kind::Box: return "Box";
    case Kind::Tab: return "Tab";
    case Kind::Button: return "Button";
    case Kind::Option: return "Option";
    case Kind::Label: return "Label";
    case Kind::Text: return "Text";
    case Kind::Edit: return "Edit";
    case Kind::Combo: return "Combo";
    case Kind::List: return "List";
    case Kind::Slider: return "Slider";
    case Kind::Progress: return "Progress";
    case Kind::CircleProgress: return "CircleProgress";
    case Kind::ChartView: return "ChartView";
    case Kind::Wnd: return "Wnd";
    case Kind::Palette: return "Palette";
    case Kind::Picture: return "Picture";
    }
    return "";
}

bool isContainer(Kind kind) {
    return kind == Kind::VBox || kind == Kind::HBox || kind == Kind::Box || kind == Kind::Tab;
}

Ui::Impl::Impl(Ui& o) : owner(o), context(std::make_unique<QObject>()) {
    liveUis().push_back(this);
}

Ui::Impl::~Impl() {
    auto& live = liveUis();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    sink = nullptr;
    context.reset();       // no widget signal reaches us from here on
    ownedWindow.reset();
}

void Ui::Impl::clear() {
    context = std::make_unique<QObject>();
    ownedWindow.reset();
    if (root) delete root.data();
    byName.clear();
    handles.clear();
    controls.clear();
    logged.clear();
}

Control& Ui::Impl::add(Kind kind, const std::string& name, QWidget* widget) {
    auto control = std::make_unique<Control>();
    control->kind = kind;
    control->name = name;
    control->widget = widget;
    control->outer = widget;
    if (widget && !name.empty()) widget->setObjectName(qs(name));
    Control& c = *control;
    controls.push_back(std::move(control));
    handles.insert(&c);
    if (!name.empty()) byName[name].push_back(&c);
    return c;
}

Control* Ui::Impl::first(const std::string& name) const {
    const auto it = byName.find(name);
    return it == byName.end() || it->second.empty() ? nullptr : it->second.front();
}

void Ui::Impl::logOnce(const std::string& what) const {
    if (logged.insert(what).second) qCDebug(lcUi).noquote() << QString::fromStdString(what);
}

Control* Ui::Impl::find(const std::string& name, const char* op) const {
    Control* c = first(name);
    if (!c) logOnce(std::string(op) + ": no control named \"" + name + "\"");
    return c;
}

Control* Ui::Impl::find(const std::string& name, std::initializer_list<Kind> kinds, const char* op) const {
    Control* c = find(name, op);
    if (!c) return nullptr;
    if (std::find(kinds.begin(), kinds.end(), c->kind) != kinds.end()) return c;
    logOnce(std::string(op) + ": control \"" + name + "\" is a " + kindName(c->kind));
    return nullptr;
}

Control* Ui::Impl::fromHandle(ControlHandle handle) const {
    auto* c = static_cast<const Control*>(handle);
    return handles.count(c) ? const_cast<Control*>(c) : nullptr;
}

bool Ui::Impl::raise(const Control& control, const char* type) {
    if (silent > 0 || !sink) return true;
    const std::weak_ptr<char> alive = life;
    const NotificationSink current = sink;  // the sink may replace itself while it runs
    current(Notification{type, control.name, &control});
    return !alive.expired();
}

std::string Ui::Impl::shownText(const Control& c) const {
    if (c.kind == Kind::Edit) {
        if (auto* edit = qobject_cast<QLineEdit*>(c.widget.data())) return edit->text().toStdString();
        return {};
    }
    if (c.kind == Kind::Combo) {
        if (auto* combo = qobject_cast<QComboBox*>(c.widget.data())) return combo->currentText().toStdString();
        return {};
    }
    return c.keyMode ? Language::instance().text(c.text) : c.text;
}

void Ui::Impl::applyText(Control& c) {
    const QString shown = qs(c.keyMode ? Language::instance().text(c.text) : c.text);
    QWidget* w = c.widget;
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(literalMnemonics(shown));
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(shown);
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        Silence quiet(*this);
        edit->setText(shown);
    }
    OverlaySurface::changed(w);
    refreshAccessibility(c);
}

void Ui::Impl::applyToolTip(Control& c) {
    if (!c.widget) return;
    c.widget->setToolTip(c.toolTipKey.empty() ? QString() : qs(Language::instance().text(c.toolTipKey)));
    refreshAccessibility(c);
}

void Ui::Impl::applyVisible(Control& c, bool visible) {
    c.visible = visible;
    // A Tab shows and hides its pages itself; a page keeps its flag for when it is shown.
    if (c.outer && !c.tabPage) {
        c.outer->setVisible(visible);
        OverlaySurface::changed(c.outer);
    }
}

void Ui::Impl::applyEnabled(Control& c, bool enabled) {
    c.enabled = enabled;
    if (c.widget) c.widget->setEnabled(enabled);
}

void Ui::Impl::applyBkColor(Control& c, Argb colour) {
    c.bkColor = colour;
    QWidget* w = c.widget;
    if (!w) return;
    OverlaySurface::changed(w);
    if (auto* skinned = dynamic_cast<Skinned*>(w)) {
        skinned->looks.bkColor = colour;
        w->update();
        return;
    }
    // Qt's own widgets take the colour through their palette.
    QPalette palette = w->palette();
    const QPalette standard = QApplication::palette(w);
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button})
        palette.setColor(role, colour != 0 ? QColor::fromRgba(colour) : standard.color(role));
    w->setPalette(palette);
    w->setAutoFillBackground(colour != 0);
}

void Ui::Impl::applyBkImage(Control& c, const std::string& image) {
    c.bkImage = image;
    OverlaySurface::changed(c.widget);
    if (auto* skinned = dynamic_cast<Skinned*>(c.widget.data())) {
        skinned->looks.bkImage = qs(image);
        c.widget->update();
    }
}

std::vector<Control*> Ui::Impl::groupPartners(const Control& c) const {
    std::vector<Control*> out;
    if (c.group.empty()) return out;
    for (const auto& other : controls)
        if (other.get() != &c && other->kind == Kind::Option && other->group == c.group) out.push_back(other.get());
    return out;
}

bool Ui::Impl::isSelectedNow(const Control& c) const {
    auto* option = qobject_cast<QAbstractButton*>(c.widget.data());
    return option && option->isChecked();
}

bool Ui::Impl::applySelected(Control& c, bool selected) {
    auto* option = qobject_cast<QAbstractButton*>(c.widget.data());
    if (!option || option->isChecked() == selected) return false;
    Silence quiet(*this);
    option->setChecked(selected);
    if (selected)
        for (Control* partner : groupPartners(c))
            if (auto* other = qobject_cast<QAbstractButton*>(partner->widget.data())) other->setChecked(false);
    return true;
}

void Ui::Impl::optionToggled(Control& c, bool selected) {
    if (silent > 0) return;
    if (selected) {
        Silence quiet(*this);
        for (Control* partner : groupPartners(c))
            if (auto* other = qobject_cast<QAbstractButton*>(partner->widget.data())) other->setChecked(false);
    }
    raise(c, "selectchanged");
}

int Ui::Impl::currentOf(const Control& c) const {
    QWidget* w = c.widget;
    if (auto* tab = qobject_cast<QStackedWidget*>(w)) return tab->currentIndex();
    if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->currentIndex();
    if (auto* list = qobject_cast<QTableWidget*>(w)) {
        const QModelIndexList rows = list->selectionModel()->selectedRows();
        return rows.isEmpty() ? -1 : rows.first().row();
    }
    return -1;
}

bool Ui::Impl::applyCurrent(Control& c, int index) {
    const int before = currentOf(c);
    Silence quiet(*this);
    QWidget* w = c.widget;
    if (auto* tab = qobject_cast<QStackedWidget*>(w)) {
        if (index >= 0 && index < tab->count()) tab->setCurrentIndex(index);
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        if (index >= -1 && index < combo->count()) combo->setCurrentIndex(index);
    } else if (auto* list = qobject_cast<QTableWidget*>(w)) {
        // Selecting without focus: the page may be filling a list while the user types elsewhere.
        if (index == -1) {
            list->clearSelection();
        } else if (index >= 0 && index < list->rowCount()) {
            list->setCurrentCell(index, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            list->scrollToItem(list->item(index, 0));
        }
        c.selectedRow = currentOf(c);
    }
    return currentOf(c) != before;
}

int Ui::Impl::valueOf(const Control& c) const {
    if (auto* slider = qobject_cast<QSlider*>(c.widget.data())) return slider->value();
    return c.value;
}

bool Ui::Impl::applyValue(Control& c, int value) {
    const int before = valueOf(c);
    Silence quiet(*this);
    QWidget* w = c.widget;
    if (auto* slider = qobject_cast<QSlider*>(w)) {
        slider->setValue(value);  // clamps to its range
    } else if (auto* bar = qobject_cast<QProgressBar*>(w)) {
        c.value = std::clamp(value, c.minimum, std::max(c.minimum, c.maximum));
        bar->setValue(c.value);
    } else if (auto* ring = dynamic_cast<CCircleProgressUI*>(w)) {
        c.value = value;  // the ring divides the value itself by the range width
        ring->setValue(value);
    }
    return valueOf(c) != before;
}

void Ui::Impl::applyRange(Control& c, int minimum, int maximum) {
    c.minimum = minimum;
    c.maximum = maximum;
    Silence quiet(*this);
    QWidget* w = c.widget;
    if (auto* slider = qobject_cast<QSlider*>(w)) {
        slider->setRange(minimum, maximum);
    } else if (auto* bar = qobject_cast<QProgressBar*>(w)) {
        // An empty range would make the bar a busy indicator.
        bar->setRange(minimum, std::max(maximum, minimum + 1));
        c.value = std::clamp(c.value, minimum, std::max(minimum, maximum));
        bar->setValue(c.value);
    } else if (auto* ring = dynamic_cast<CCircleProgressUI*>(w)) {
        ring->setRange(minimum, maximum);
    }
}

void Ui::Impl::reloadText() {
    const Language& language = Language::instance();
    Silence quiet(*this);
    for (const auto& control : controls) {
        Control& c = *control;
        if (c.keyMode) applyText(c);
        if (!c.toolTipKey.empty()) applyToolTip(c);
        else if (!c.spokenKey.empty()) refreshAccessibility(c);
        if (auto* combo = qobject_cast<QComboBox*>(c.widget.data())) {
            for (int i = 0; i < combo->count(); ++i) {
                const QString key = combo->itemData(i, kItemKeyRole).toString();
                if (!key.isEmpty()) combo->setItemText(i, qs(language.text(key.toStdString())));
            }
            refreshAccessibility(c);
        } else if (auto* list = qobject_cast<QTableWidget*>(c.widget.data())) {
            for (int col = 0; col < int(c.columnKeys.size()) && col < list->columnCount(); ++col)
                if (!c.columnKeys[col].empty())
                    if (auto* header = list->horizontalHeaderItem(col)) header->setText(qs(language.text(c.columnKeys[col])));
            for (int row = 0; row < list->rowCount(); ++row)
                for (int col = 0; col < list->columnCount(); ++col)
                    if (auto* item = list->item(row, col)) {
                        const QString key = item->data(kItemKeyRole).toString();
                        if (!key.isEmpty()) item->setText(qs(language.text(key.toStdString())));
                    }
        }
    }
}

namespace detail {

void reloadAllTexts() {
    for (Ui::Impl* impl : liveUis()) impl->reloadText();
}

void refreshAllAccessibility() {
    for (Ui::Impl* impl : liveUis())
        for (const auto& c : impl->controls) impl->refreshAccessibility(*c);
}

}  // namespace detail

}  // namespace ui
