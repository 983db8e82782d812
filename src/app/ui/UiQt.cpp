#include "app/ui/UiQt.h"

#include "app/ui/LayoutBuilder.h"
#include "app/ui/OverlaySurface.h"
#include "app/ui/UiImpl.h"

#include <QApplication>
#include <QWidget>

namespace ui {

QWidget* buildInto(Ui& ui, QWidget* host, const std::string& layoutFile) {
    Ui::Impl& impl = ui.impl();
    impl.clear();
    return buildLayout(impl, QString::fromStdString(layoutFile), host);
}

QWidget* buildWindow(Ui& ui, const std::string& layoutFile, QWidget* parent) {
    Ui::Impl& impl = ui.impl();
    impl.clear();
    auto window = std::make_unique<QWidget>(parent, parent ? Qt::Dialog : Qt::Window);
    buildLayout(impl, QString::fromStdString(layoutFile), window.get());
    impl.ownedWindow = std::move(window);
    return impl.ownedWindow.get();
}

QWidget* rootWidget(const Ui& ui) { return ui.impl().root; }

QWidget* widget(const Ui& ui, const std::string& name) {
    const Control* c = ui.impl().first(name);
    return c ? c->widget.data() : nullptr;
}

QWidget* widget(const Ui& ui, ControlHandle handle) {
    const Control* c = ui.impl().fromHandle(handle);
    return c ? c->widget.data() : nullptr;
}

ControlHandle handleOf(const Ui& ui, const QWidget* w) {
    if (!w) return nullptr;
    for (const auto& c : ui.impl().controls)
        if (c->widget == w) return c.get();
    return nullptr;
}

bool switchLanguage(const std::string& name, const std::string& file) {
    Language& language = Language::instance();
    if (!language.load(file)) return false;
    language.setName(name);
    language.reloadText();
    for (QWidget* top : QApplication::topLevelWidgets()) {
        top->update();
        OverlaySurface::changed(top);
    }
    return true;
}

}  // namespace ui
