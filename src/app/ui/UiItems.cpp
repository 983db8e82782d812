// The facade's item, value, colour, looks and user-data operations.
#include "app/ui/Ui.h"

#include "app/ui/Language.h"
#include "app/ui/OverlaySurface.h"
#include "app/ui/Palette.h"
#include "app/ui/Picture.h"
#include "app/ui/UiImpl.h"

#include <QComboBox>
#include <QHeaderView>
#include <QSlider>
#include <QStyledItemDelegate>
#include <QTableWidget>

namespace ui {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

QString itemShown(const std::string& text, bool keyMode) {
    return qs(keyMode ? Language::instance().text(text) : text);
}

QTableWidgetItem* makeCell(const std::string& text, bool keyMode) {
    auto* item = new QTableWidgetItem(itemShown(text, keyMode));
    if (keyMode) item->setData(kItemKeyRole, qs(text));
    return item;
}

// Popup rows of a combo at the layout's item height.
class FixedHeightDelegate : public QStyledItemDelegate {
public:
    FixedHeightDelegate(int height, QObject* parent) : QStyledItemDelegate(parent), height_(height) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), height_};
    }

private:
    int height_;
};

}  // namespace

// ---- items, shared with the layout builder ----

int Ui::Impl::addItemTo(Control& c, const std::string& text, const std::string& data, bool keyMode) {
    if (auto* combo = qobject_cast<QComboBox*>(c.widget.data())) {
        Silence quiet(*this);
        const int before = combo->currentIndex();
        combo->addItem(itemShown(text, keyMode), qs(data));
        const int index = combo->count() - 1;
        if (keyMode) combo->setItemData(index, qs(text), kItemKeyRole);
        combo->setCurrentIndex(before);  // Qt selects the first item added; a combo selects nothing by itself
        return index;
    }
    if (c.kind == Kind::List) {
        auto* list = qobject_cast<QTableWidget*>(c.widget.data());
        if (!list) return -1;
        Silence quiet(*this);
        const int row = addRowTo(c, {text}, data);
        if (keyMode) {
            list->item(row, 0)->setText(itemShown(text, true));
            list->item(row, 0)->setData(kItemKeyRole, qs(text));
        }
        return row;
    }
    return -1;
}

int Ui::Impl::addRowTo(Control& c, const std::vector<std::string>& cells, const std::string& data) {
    auto* list = qobject_cast<QTableWidget*>(c.widget.data());
    if (!list) return -1;
    Silence quiet(*this);
    if (list->columnCount() < int(cells.size())) list->setColumnCount(int(cells.size()));
    const int row = list->rowCount();
    list->insertRow(row);
    for (int col = 0; col < list->columnCount(); ++col)
        list->setItem(row, col, makeCell(col < int(cells.size()) ? cells[col] : std::string(), false));
    list->item(row, 0)->setData(kItemDataRole, qs(data));
    return row;
}

void Ui::Impl::addColumnTo(Control& c, const std::string& text, bool keyMode, int width) {
    auto* list = qobject_cast<QTableWidget*>(c.widget.data());
    if (!list) return;
    const int col = int(c.columnKeys.size());
    if (list->columnCount() <= col) list->setColumnCount(col + 1);
    c.columnKeys.push_back(keyMode ? text : std::string());
    list->setHorizontalHeaderItem(col, new QTableWidgetItem(itemShown(text, keyMode)));
    if (width > 0) list->setColumnWidth(col, width);
    if (!text.empty()) list->horizontalHeader()->show();
}

void Ui::Impl::applyItemHeight(Control& c, int pixels) {
    if (pixels <= 0) return;
    if (auto* list = qobject_cast<QTableWidget*>(c.widget.data())) {
        list->verticalHeader()->setMinimumSectionSize(std::min(pixels, list->verticalHeader()->minimumSectionSize()));
        list->verticalHeader()->setDefaultSectionSize(pixels);
        for (int row = 0; row < list->rowCount(); ++row) list->setRowHeight(row, pixels);
    } else if (auto* combo = qobject_cast<QComboBox*>(c.widget.data())) {
        auto* view = combo->view();
        delete view->itemDelegate();
        view->setItemDelegate(new FixedHeightDelegate(pixels, view));
    }
}

// ---- items ----

int Ui::addItem(const std::string& name, const std::string& text, const std::string& data, bool keyMode) {
    Control* c = impl_->find(name, {Kind::Combo, Kind::List}, "addItem");
    return c ? impl_->addItemTo(*c, text, data, keyMode) : -1;
}

int Ui::addRow(const std::string& name, const std::vector<std::string>& cells, const std::string& data) {
    Control* c = impl_->find(name, {Kind::List}, "addRow");
    return c ? impl_->addRowTo(*c, cells, data) : -1;
}

void Ui::removeItem(const std::string& name, int index) {
    Control* c = impl_->find(name, {Kind::Combo, Kind::List}, "removeItem");
    if (!c || index < 0 || index >= itemCount(name)) return;
    Impl::Silence quiet(*impl_);
    if (auto* combo = qobject_cast<QComboBox*>(c->widget.data())) combo->removeItem(index);
    if (auto* list = qobject_cast<QTableWidget*>(c->widget.data())) list->removeRow(index);
    c->selectedRow = impl_->currentOf(*c);
}

void Ui::clearItems(const std::string& name) {
    Control* c = impl_->find(name, {Kind::Combo, Kind::List}, "clearItems");
    if (!c) return;
    Impl::Silence quiet(*impl_);
    if (auto* combo = qobject_cast<QComboBox*>(c->widget.data())) combo->clear();
    if (auto* list = qobject_cast<QTableWidget*>(c->widget.data())) list->setRowCount(0);
    c->selectedRow = -1;
}

int Ui::itemCount(const std::string& name) const {
    const Control* c = impl_->find(name, {Kind::Combo, Kind::List}, "itemCount");
    if (!c) return 0;
    if (auto* combo = qobject_cast<QComboBox*>(c->widget.data())) return combo->count();
    if (auto* list = qobject_cast<QTableWidget*>(c->widget.data())) return list->rowCount();
    return 0;
}

std::string Ui::itemText(const std::string& name, int index, int column) const {
    const Control* c = impl_->find(name, {Kind::Combo, Kind::List}, "itemText");
    if (!c || index < 0) return "";
    if (auto* combo = qobject_cast<QComboBox*>(c->widget.data()))
        return column == 0 && index < combo->count() ? combo->itemText(index).toStdString() : "";
    if (auto* list = qobject_cast<QTableWidget*>(c->widget.data()))
        if (const QTableWidgetItem* item = list->item(index, column)) return item->text().toStdString();
    return "";
}

void Ui::setItemText(const std::string& name, int index, const std::string& text, int column) {
    Control* c = impl_->find(name, {Kind::Combo, Kind::List}, "setItemText");
    if (!c || index < 0) return;
    if (auto* combo = qobject_cast<QComboBox*>(c->widget.data())) {
        if (column != 0 || index >= combo->count()) return;
        combo->setItemText(index, qs(text));
        combo->setItemData(index, QVariant(), kItemKeyRole);
    } else if (auto* list = qobject_cast<QTableWidget*>(c->widget.data())) {
        if (QTableWidgetItem* item = list->item(index, column)) {
            item->setText(qs(text));
            item->setData(kItemKeyRole, QVariant());
        }
    }
}

std::string Ui::itemData(const std::string& name, int index) const {
    const Control* c = impl_->find(name, {Kind::Combo, Kind::List}, "itemData");
    if (!c || index < 0) return "";
    if (auto* combo = qobject_cast<QComboBox*>(c->widget.data()))
        return index < combo->count() ? combo->itemData(index, kItemDataRole).toString().toStdString() : "";
    if (auto* list = qobject_cast<QTableWidget*>(c->widget.data()))
        if (const QTableWidgetItem* item = list->item(index, 0)) return item->data(kItemDataRole).toString().toStdString();
    return "";
}

void Ui::setItemHeight(const std::string& name, int pixels) {
    if (Control* c = impl_->find(name, {Kind::Combo, Kind::List}, "setItemHeight")) impl_->applyItemHeight(*c, pixels);
}

// ---- sliders and progress ----

namespace {
constexpr std::initializer_list<Kind> kValueKinds = {Kind::Slider, Kind::Progress, Kind::CircleProgress};
}

void Ui::setRange(const std::string& name, int minimum, int maximum) {
    if (Control* c = impl_->find(name, kValueKinds, "setRange")) impl_->applyRange(*c, minimum, maximum);
}

int Ui::minimum(const std::string& name) const {
    const Control* c = impl_->find(name, kValueKinds, "minimum");
    if (!c) return 0;
    if (auto* slider = qobject_cast<QSlider*>(c->widget.data())) return slider->minimum();
    return c->minimum;
}

int Ui::maximum(const std::string& name) const {
    const Control* c = impl_->find(name, kValueKinds, "maximum");
    if (!c) return 0;
    if (auto* slider = qobject_cast<QSlider*>(c->widget.data())) return slider->maximum();
    return c->maximum;
}

void Ui::setValue(const std::string& name, int value, bool notify) {
    Control* c = impl_->find(name, kValueKinds, "setValue");
    if (c && impl_->applyValue(*c, value) && notify && c->kind == Kind::Slider) impl_->raise(*c, "valuechanged");
}

int Ui::value(const std::string& name) const {
    const Control* c = impl_->find(name, kValueKinds, "value");
    return c ? impl_->valueOf(*c) : 0;
}

// ---- colour palette ----

void Ui::setColor(const std::string& name, Argb colour, bool notify) {
    Control* c = impl_->find(name, {Kind::Palette}, "setColor");
    auto* palette = c ? qobject_cast<ColourPalette*>(c->widget.data()) : nullptr;
    if (!palette || palette->colour() == colour) return;
    palette->setColour(colour);
    if (notify) impl_->raise(*c, "colorchanged");
}

Argb Ui::color(const std::string& name) const {
    const Control* c = impl_->find(name, {Kind::Palette}, "color");
    auto* palette = c ? qobject_cast<ColourPalette*>(c->widget.data()) : nullptr;
    return palette ? palette->colour() : 0;
}

// ---- looks ----

void Ui::setBkColor(const std::string& name, Argb colour) {
    if (Control* c = impl_->find(name, "setBkColor")) impl_->applyBkColor(*c, colour);
}

Argb Ui::bkColor(const std::string& name) const {
    const Control* c = impl_->find(name, "bkColor");
    return c ? c->bkColor : 0;
}

void Ui::setTextColor(const std::string& name, Argb colour) {
    Control* c = impl_->find(name, "setTextColor");
    if (!c || !c->widget) return;
    QPalette palette = c->widget->palette();
    for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        palette.setColor(role, QColor::fromRgba(colour));
    c->widget->setPalette(palette);
}

Argb Ui::textColor(const std::string& name) const {
    const Control* c = impl_->find(name, "textColor");
    return c && c->widget ? c->widget->palette().color(QPalette::WindowText).rgba() : 0;
}

void Ui::setBkImage(const std::string& name, const std::string& image) {
    if (Control* c = impl_->find(name, "setBkImage")) impl_->applyBkImage(*c, image);
}

std::string Ui::bkImage(const std::string& name) const {
    const Control* c = impl_->find(name, "bkImage");
    return c ? c->bkImage : "";
}

void Ui::setOverlayColor(const std::string& name, Argb colour) {
    Control* c = impl_->find(name, {Kind::Picture}, "setOverlayColor");
    if (auto* picture = c ? qobject_cast<PictureUI*>(c->widget.data()) : nullptr) picture->setOverlayColor(colour);
}

void Ui::setOverlayAlpha(const std::string& name, int alpha) {
    Control* c = impl_->find(name, {Kind::Picture}, "setOverlayAlpha");
    if (auto* picture = c ? qobject_cast<PictureUI*>(c->widget.data()) : nullptr) picture->setOverlayAlpha(alpha);
}

void Ui::setOverlay(ControlHandle handle, Argb colour, int alpha) {
    Control* c = impl_->fromHandle(handle);
    if (auto* picture = c && c->kind == Kind::Picture ? qobject_cast<PictureUI*>(c->widget.data()) : nullptr)
        picture->setOverlay(colour, alpha);
}

void Ui::setOverlays(const std::vector<OverlayChange>& changes) {
    // The pictures of a container repaint through the surface over them (see OverlaySurface). A
    // few changed pictures repaint on their own; many as the rectangle around them, so that the
    // window does not assemble a region of dozens of small rectangles.
    constexpr std::size_t kFewPictures = 8;
    std::vector<PictureUI*> changed;
    for (const OverlayChange& change : changes) {
        Control* c = impl_->fromHandle(change.picture);
        auto* picture = c && c->kind == Kind::Picture ? qobject_cast<PictureUI*>(c->widget.data()) : nullptr;
        if (picture && picture->setOverlay(change.colour, change.alpha, false)) changed.push_back(picture);
    }
    std::vector<std::pair<QWidget*, QRect>> areas;  // per container, in its coordinates
    for (PictureUI* picture : changed) {
        QWidget* parent = picture->parentWidget();
        if (!parent) {
            picture->update();
            continue;
        }
        if (changed.size() <= kFewPictures) {
            areas.emplace_back(parent, picture->geometry());
            continue;
        }
        auto area = std::find_if(areas.begin(), areas.end(), [&](const auto& a) { return a.first == parent; });
        if (area == areas.end()) areas.emplace_back(parent, picture->geometry());
        else area->second |= picture->geometry();
    }
    for (const auto& [parent, rect] : areas) OverlaySurface::of(parent)->overlayChanged(rect);
}

Argb Ui::overlayColor(const std::string& name) const {
    const Control* c = impl_->find(name, {Kind::Picture}, "overlayColor");
    auto* picture = c ? qobject_cast<PictureUI*>(c->widget.data()) : nullptr;
    return picture ? picture->overlayColor() : 0;
}

int Ui::overlayAlpha(const std::string& name) const {
    const Control* c = impl_->find(name, {Kind::Picture}, "overlayAlpha");
    auto* picture = c ? qobject_cast<PictureUI*>(c->widget.data()) : nullptr;
    return picture ? picture->overlayAlpha() : 0;
}

// ---- user data ----

void Ui::setUserData(const std::string& name, const std::string& data) {
    if (Control* c = impl_->find(name, "setUserData")) c->userData = data;
}

std::string Ui::userData(const std::string& name) const {
    const Control* c = impl_->find(name, "userData");
    return c ? c->userData : "";
}

// ---- one control of a shared name ----

std::string Ui::bkImage(ControlHandle handle) const {
    const Control* c = impl_->fromHandle(handle);
    return c ? c->bkImage : "";
}

Argb Ui::bkColor(ControlHandle handle) const {
    const Control* c = impl_->fromHandle(handle);
    return c ? c->bkColor : 0;
}

std::string Ui::userData(ControlHandle handle) const {
    const Control* c = impl_->fromHandle(handle);
    return c ? c->userData : "";
}

}  // namespace ui
