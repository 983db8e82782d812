#include "app/ui/Accessibility.h"

#include "app/ui/Buttons.h"
#include "app/ui/ItemWidgets.h"
#include "app/ui/Language.h"
#include "app/ui/Palette.h"
#include "app/ui/UiImpl.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <algorithm>
#include <climits>
#include <optional>
#include <vector>

namespace ui {

namespace {

std::optional<bool>& idMode() {
    static std::optional<bool> on;  // UI thread only
    return on;
}

// Kinds whose own text is their caption; the others are named by their tool tip.
bool captionedByText(Kind kind) {
    switch (kind) {
    case Kind::Button: case Kind::Option: case Kind::Label: case Kind::Text: case Kind::Picture:
        return true;
    default:
        return false;
    }
}

class RadioOptionAccessible : public QAccessibleWidget {
public:
    explicit RadioOptionAccessible(QAbstractButton* option) : QAccessibleWidget(option, QAccessible::RadioButton) {}

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = option()->isChecked();
        return s;
    }
    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name || !widget()->accessibleName().isEmpty()) return QAccessibleWidget::text(t);
        QString caption = option()->text();
        return caption.replace(QStringLiteral("&&"), QStringLiteral("\x01")).remove(u'&').replace(u'\x01', u'&');
    }
    QStringList actionNames() const override { return QStringList{pressAction()} + QAccessibleWidget::actionNames(); }
    void doAction(const QString& action) override {
        if (action != pressAction()) return QAccessibleWidget::doAction(action);
        if (option()->isEnabled()) option()->click();  // as the user's click: notifies
    }

private:
    QAbstractButton* option() const { return static_cast<QAbstractButton*>(object()); }
};

// ---- colour palette ----

// Steps big enough to hear a difference; the keys keep their finer ones.
struct PaletteStep {
    const char* action;
    int hue, saturation, value;
};
constexpr PaletteStep kPaletteSteps[] = {
    {"Next hue", 15, 0, 0},
    {"Previous hue", -15, 0, 0},
    {"More saturated", 0, 16, 0},
    {"Less saturated", 0, -16, 0},
    {"Lighter", 0, 0, 16},
    {"Darker", 0, 0, -16},
};

// A colour chooser whose value is the colour as 0xRRGGBB. Setting the value or taking a step
// is a person's pick: "colorchanged" when the colour changed. The generic Increase and
// Decrease go lighter and darker rather than counting through the blue byte.
class PaletteAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit PaletteAccessible(ColourPalette* palette) : QAccessibleWidget(palette, QAccessible::ColorChooser) {}

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override {
        // In id mode the description carries the control name; the value text still tells the colour.
        if (t == QAccessible::Value || (t == QAccessible::Description && widget()->accessibleDescription().isEmpty()))
            return palette()->describe();
        return QAccessibleWidget::text(t);
    }

    QVariant currentValue() const override { return int(palette()->colour() & 0xFFFFFFu); }
    void setCurrentValue(const QVariant& value) override {
        bool ok = false;
        const double rgb = value.toDouble(&ok);
        if (!ok || !(rgb >= 0 && rgb <= 0xFFFFFF) || !widget()->isEnabled()) return;
        palette()->pick(0xFF000000u | Argb(rgb));
    }
    QVariant maximumValue() const override { return 0xFFFFFF; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

    QStringList actionNames() const override {
        QStringList names;
        for (const PaletteStep& s : kPaletteSteps) names << QString::fromLatin1(s.action);
        return names << increaseAction() << decreaseAction() << QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        const QString step = action == increaseAction() ? QStringLiteral("Lighter")
                             : action == decreaseAction() ? QStringLiteral("Darker")
                                                          : action;
        for (const PaletteStep& s : kPaletteSteps)
            if (step == QLatin1String(s.action)) {
                if (widget()->isEnabled()) palette()->step(s.hue, s.saturation, s.value);
                return;
            }
        QAccessibleWidget::doAction(action);
    }

private:
    ColourPalette* palette() const { return static_cast<ColourPalette*>(object()); }
};

// ---- combos and lists ----

// A combo or a list with its items as children. Its name is its own (the tool tip; Qt would
// name a combo by its current item on this platform), its value text the current item.
class ViewAccessible : public QAccessibleWidget {
public:
    ViewAccessible(QWidget* view, QAccessible::Role role) : QAccessibleWidget(view, role) {}
    ~ViewAccessible() override {
        for (QAccessible::Id id : items_)
            if (id) QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return itemCount(); }
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override {
        auto* list = this->list();
        if (!list) return nullptr;
        const QModelIndex at = list->indexAt(list->viewport()->mapFromGlobal(QPoint(x, y)));
        return at.isValid() ? child(at.row()) : nullptr;
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return currentItem() >= 0 ? itemText(currentItem()) : QString();
        return QAccessibleWidget::text(t);
    }

    int itemCount() const {
        if (auto* c = combo()) return c->count();
        if (auto* l = list()) return l->rowCount();
        return 0;
    }
    QString itemText(int row) const {
        if (auto* c = combo()) return c->itemText(row);
        QStringList cells;
        if (auto* l = list())
            for (int col = 0; col < l->columnCount(); ++col)
                if (const QTableWidgetItem* item = l->item(row, col); item && !item->text().isEmpty()) cells << item->text();
        return cells.join(QStringLiteral(", "));
    }
    int currentItem() const {
        if (auto* c = combo()) return c->currentIndex();
        if (auto* l = list()) {
            const QModelIndexList rows = l->selectionModel()->selectedRows();
            return rows.isEmpty() ? -1 : rows.first().row();
        }
        return -1;
    }
    QRect itemRect(int row) const {
        auto* l = list();
        if (!l || row >= l->rowCount() || l->columnCount() == 0) return {};
        const QRect r = l->visualRect(l->model()->index(row, 0)).united(
            l->visualRect(l->model()->index(row, l->columnCount() - 1)));
        return QRect(l->viewport()->mapToGlobal(r.topLeft()), r.size());
    }
    // As a person's choice: "itemselect" when the current item changes.
    void choose(int row) {
        if (!widget()->isEnabled() || row < 0 || row >= itemCount()) return;
        if (auto* c = combo()) c->setCurrentIndex(row);
        if (auto* l = list()) {
            l->setCurrentCell(row, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            l->scrollToItem(l->item(row, 0));
        }
    }

private:
    QComboBox* combo() const { return qobject_cast<QComboBox*>(object()); }
    QTableWidget* list() const { return qobject_cast<QTableWidget*>(object()); }

    mutable std::vector<QAccessible::Id> items_;  // by row, made when first asked for
};

// One item of a combo or row of a list. Pressed, it is chosen.
class ItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    ItemAccessible(ViewAccessible* view, int row) : view_(view), row_(row) {}

    bool isValid() const override { return view_->isValid() && row_ < view_->itemCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return view_->window(); }
    QAccessibleInterface* parent() const override { return view_; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && isValid() ? view_->itemText(row_) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override { return isValid() ? view_->itemRect(row_) : QRect(); }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.selectable = true;
        s.selected = view_->currentItem() == row_;
        s.disabled = view_->state().disabled;
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction() && isValid()) view_->choose(row_);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    const ViewAccessible* view() const { return view_; }
    int row() const { return row_; }

private:
    ViewAccessible* view_;  // owns this item
    int row_;
};

QAccessibleInterface* ViewAccessible::child(int index) const {
    if (index < 0 || index >= itemCount()) return nullptr;
    if (items_.size() <= size_t(index)) items_.resize(size_t(index) + 1, 0);
    QAccessible::Id& id = items_[size_t(index)];
    if (!id) id = QAccessible::registerAccessibleInterface(new ItemAccessible(const_cast<ViewAccessible*>(this), index));
    return QAccessible::accessibleInterface(id);
}

int ViewAccessible::indexOfChild(const QAccessibleInterface* child) const {
    auto* item = dynamic_cast<const ItemAccessible*>(child);
    return item && item->view() == this && item->row() < itemCount() ? item->row() : -1;
}

QAccessibleInterface* accessibleFactory(const QString& key, QObject* object) {
    // Asked for each class from the most derived one up, this factory before Qt's own.
    if (key == QLatin1String("QRadioButton"))
        if (auto* option = dynamic_cast<RadioOption*>(object)) return new RadioOptionAccessible(option);
    if (key == QLatin1String("QComboBox"))
        if (auto* combo = dynamic_cast<ComboWidget*>(object)) return new ViewAccessible(combo, QAccessible::ComboBox);
    if (key == QLatin1String("QTableWidget"))
        if (auto* list = dynamic_cast<ListWidget*>(object)) return new ViewAccessible(list, QAccessible::List);
    if (key == QLatin1String("ui::ColourPalette"))
        if (auto* palette = qobject_cast<ColourPalette*>(object)) return new PaletteAccessible(palette);
    return nullptr;
}

}  // namespace

void ListWidget::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    // QTableView's own events count cells and headers; ours count rows.
    QAbstractItemView::selectionChanged(selected, deselected);
    if (!QAccessible::isActive()) return;
    for (const auto& [range, type] : {std::pair{selected, QAccessible::SelectionAdd}, {deselected, QAccessible::SelectionRemove}})
        if (!range.isEmpty()) {
            QAccessibleEvent event(this, type);
            event.setChild(range.indexes().first().row());
            QAccessible::updateAccessibility(&event);
        }
}

void ListWidget::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QAbstractItemView::currentChanged(current, previous);
    if (!QAccessible::isActive() || !current.isValid() || !hasFocus()) return;
    QAccessibleEvent event(this, QAccessible::Focus);
    event.setChild(current.row());
    QAccessible::updateAccessibility(&event);
}

void announceItemChanges(QWidget* view, QAbstractItemModel* model) {
    // Items are known by position, so the positions that appear or vanish are the last ones.
    auto announce = [view](int changed, QAccessible::Event type) {
        if (!QAccessible::isActive() || changed <= 0) return;
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(view);
        if (!iface) return;
        const int count = iface->childCount();
        for (int row = std::max(0, count - changed); row < count; ++row)
            if (QAccessibleInterface* item = iface->child(row)) {
                QAccessibleEvent event(item, type);
                QAccessible::updateAccessibility(&event);
            }
    };
    QObject::connect(model, &QAbstractItemModel::rowsInserted, view, [announce](const QModelIndex& parent, int first, int last) {
        if (!parent.isValid()) announce(last - first + 1, QAccessible::ObjectCreated);
    });
    QObject::connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, view,
                     [announce](const QModelIndex& parent, int first, int last) {
                         if (!parent.isValid()) announce(last - first + 1, QAccessible::ObjectDestroyed);
                     });
    QObject::connect(model, &QAbstractItemModel::modelAboutToBeReset, view,
                     [announce] { announce(INT_MAX, QAccessible::ObjectDestroyed); });
    QObject::connect(model, &QAbstractItemModel::modelReset, view,
                     [announce] { announce(INT_MAX, QAccessible::ObjectCreated); });
}

void installAccessibility() {
    static const bool installed = (QAccessible::installFactory(accessibleFactory), true);
    (void)installed;
}

bool accessibleIds() {
    auto& on = idMode();
    if (!on) on = qEnvironmentVariableIntValue("ZELKAR_A11Y_IDS") == 1;
    return *on;
}

void setAccessibleIds(bool on) {
    idMode() = on;
    detail::refreshAllAccessibility();
}

void Ui::Impl::refreshAccessibility(Control& c) {
    QWidget* w = c.widget;
    if (!w) return;
    QString name;
    if (!c.spokenKey.empty()) name = QString::fromStdString(Language::instance().text(c.spokenKey));
    if (name.isEmpty() && captionedByText(c.kind)) name = QString::fromStdString(shownText(c));
    if (name.isEmpty()) name = w->toolTip();
    if (w->accessibleName() != name) w->setAccessibleName(name);
    const QString description = accessibleIds() ? QString::fromStdString(c.name) : QString();
    if (w->accessibleDescription() != description) w->setAccessibleDescription(description);
}

}  // namespace ui
