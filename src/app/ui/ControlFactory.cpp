#include "app/ui/ControlFactory.h"

#include "app/ui/Accessibility.h"
#include "app/ui/Buttons.h"
#include "app/ui/CustomControls.h"
#include "app/ui/ItemWidgets.h"
#include "app/ui/Palette.h"
#include "app/ui/Picture.h"
#include "app/ui/Skin.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QSlider>
#include <QStackedWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace ui {

namespace {

struct ElementKind {
    const char* element;  // lower case
    Kind kind;
};

constexpr ElementKind kElements[] = {
    {"vbox", Kind::VBox},
    {"hbox", Kind::HBox},
    {"box", Kind::Box},
    {"tab", Kind::Tab},
    {"button", Kind::Button},
    {"option", Kind::Option},
    {"label", Kind::Label},
    {"text", Kind::Text},
    {"edit", Kind::Edit},
    {"combo", Kind::Combo},
    {"list", Kind::List},
    {"slider", Kind::Slider},
    {"progress", Kind::Progress},
    {"circleprogress", Kind::CircleProgress},
    {"ccircleprogressui", Kind::CircleProgress},
    {"cchartviewui", Kind::ChartView},
    {"cwndui", Kind::Wnd},
    {"palette", Kind::Palette},
    {"picture", Kind::Picture},
};

QWidget* makeWidget(Kind kind, QWidget* parent, bool radio) {
    switch (kind) {
    case Kind::VBox: {
        auto* w = new SkinWidget<QWidget>(parent);
        auto* layout = new QVBoxLayout(w);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        return w;
    }
    case Kind::HBox: {
        auto* w = new SkinWidget<QWidget>(parent);
        auto* layout = new QHBoxLayout(w);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        return w;
    }
    case Kind::Box: return new SkinWidget<QWidget>(parent);
    case Kind::Tab: return new SkinWidget<QStackedWidget>(parent);
    case Kind::Button: return new SkinButton(parent);
    case Kind::Option:
        if (radio) {
            installAccessibility();
            return new RadioOption(parent);
        }
        return new CheckOption(parent);
    case Kind::Label:
    case Kind::Text: {
        auto* label = new SkinWidget<QLabel>(parent);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(kind == Kind::Text);
        return label;
    }
    case Kind::Edit: return new QLineEdit(parent);
    case Kind::Combo: {
        installAccessibility();
        auto* combo = new ComboWidget(parent);
        combo->setFocusPolicy(Qt::StrongFocus);
        return combo;
    }
    case Kind::List: {
        installAccessibility();
        auto* list = new ListWidget(parent);
        list->setSelectionBehavior(QAbstractItemView::SelectRows);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        list->verticalHeader()->hide();
        list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        list->horizontalHeader()->setStretchLastSection(true);
        list->horizontalHeader()->hide();  // shown once a column has a header text
        list->setShowGrid(false);
        return list;
    }
    case Kind::Slider: return new QSlider(Qt::Horizontal, parent);
    case Kind::Progress: {
        auto* bar = new QProgressBar(parent);
        bar->setTextVisible(false);
        bar->setRange(0, 100);
        bar->setValue(0);
        return bar;
    }
    case Kind::CircleProgress: return new CCircleProgressUI(parent);
    case Kind::ChartView: return new CChartViewUI(parent);
    case Kind::Wnd: return new CWndUI(parent);
    case Kind::Palette:
        installAccessibility();
        return new ColourPalette(parent);
    case Kind::Picture: return new PictureUI(parent);
    }
    return new QWidget(parent);
}

// Widget signals -> notifications. Every connection's receiver is the tree's context object,
// so nothing reaches a Ui that has been destroyed or rebuilt.
void wire(Ui::Impl& impl, Control& c) {
    QObject* ctx = impl.context.get();
    Ui::Impl* ui = &impl;
    Control* control = &c;
    QWidget* w = c.widget;
    switch (c.kind) {
    case Kind::Button:
        QObject::connect(static_cast<QAbstractButton*>(w), &QAbstractButton::clicked, ctx,
                         [ui, control] { ui->raise(*control, "click"); });
        break;
    case Kind::Option: {
        auto* option = static_cast<QAbstractButton*>(w);
        // toggled comes before clicked: "selectchanged" first, then "click".
        QObject::connect(option, &QAbstractButton::toggled, ctx,
                         [ui, control](bool on) { ui->optionToggled(*control, on); });
        QObject::connect(option, &QAbstractButton::clicked, ctx, [ui, control] { ui->raise(*control, "click"); });
        break;
    }
    case Kind::Edit:
        QObject::connect(static_cast<QLineEdit*>(w), &QLineEdit::textEdited, ctx,
                         [ui, control] { ui->raise(*control, "textchanged"); });
        break;
    case Kind::Combo:
        QObject::connect(static_cast<QComboBox*>(w), &QComboBox::currentIndexChanged, ctx,
                         [ui, control] { ui->raise(*control, "itemselect"); });
        break;
    case Kind::List: {
        auto* list = static_cast<QTableWidget*>(w);
        QObject::connect(list, &QTableWidget::itemSelectionChanged, ctx, [ui, control] {
            const int row = ui->currentOf(*control);
            if (row == control->selectedRow) return;  // "itemselect" only when the row changes
            control->selectedRow = row;
            ui->raise(*control, "itemselect");
        });
        QObject::connect(list, &QAbstractItemView::clicked, ctx,
                         [ui, control](const QModelIndex&) { ui->raise(*control, "itemclick"); });
        break;
    }
    case Kind::Slider: {
        auto* slider = static_cast<QSlider*>(w);
        // While dragged the value tracks the handle: "movevaluechanged". A step by key, wheel or
        // page click is committed at once; a drag is committed on release if it moved the value.
        QObject::connect(slider, &QSlider::valueChanged, ctx, [ui, control, slider] {
            ui->raise(*control, slider->isSliderDown() ? "movevaluechanged" : "valuechanged");
        });
        QObject::connect(slider, &QSlider::sliderPressed, ctx,
                         [control, slider] { control->valueAtPress = slider->value(); });
        QObject::connect(slider, &QSlider::sliderReleased, ctx, [ui, control, slider] {
            if (slider->value() != control->valueAtPress) ui->raise(*control, "valuechanged");
        });
        break;
    }
    case Kind::Palette:
        QObject::connect(static_cast<ColourPalette*>(w), &ColourPalette::colourPicked, ctx,
                         [ui, control] { ui->raise(*control, "colorchanged"); });
        break;
    case Kind::Picture: {
        auto* picture = static_cast<PictureUI*>(w);
        QObject::connect(picture, &PictureUI::clicked, ctx, [ui, control] { ui->raise(*control, "click"); });
        QObject::connect(picture, &PictureUI::entered, ctx, [ui, control] { ui->raise(*control, "msenter"); });
        QObject::connect(picture, &PictureUI::left, ctx, [ui, control] { ui->raise(*control, "msleave"); });
        break;
    }
    default:
        break;
    }
}

}  // namespace

std::optional<Kind> kindForElement(const QString& element) {
    const QString lower = element.toLower();
    for (const ElementKind& e : kElements)
        if (lower == QLatin1String(e.element)) return e.kind;
    return std::nullopt;
}

Control& createControl(Ui::Impl& impl, Kind kind, const std::string& name, QWidget* parent,
                       const std::string& group) {
    Control& c = impl.add(kind, name, makeWidget(kind, parent, !group.empty()));
    c.group = group;
    wire(impl, c);
    return c;
}

}  // namespace ui
