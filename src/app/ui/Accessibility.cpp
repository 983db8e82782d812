#include "app/ui/Accessibility.h"

#include "app/ui/Buttons.h"
#include "app/ui/UiImpl.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <optional>

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

QAccessibleInterface* optionAccessibleFactory(const QString& key, QObject* object) {
    if (key == QLatin1String("QRadioButton"))
        if (auto* option = dynamic_cast<RadioOption*>(object)) return new RadioOptionAccessible(option);
    return nullptr;
}

}  // namespace

void installOptionAccessibility() {
    static const bool installed = (QAccessible::installFactory(optionAccessibleFactory), true);
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
    if (captionedByText(c.kind)) name = QString::fromStdString(shownText(c));
    if (name.isEmpty()) name = w->toolTip();
    if (w->accessibleName() != name) w->setAccessibleName(name);
    const QString description = accessibleIds() ? QString::fromStdString(c.name) : QString();
    if (w->accessibleDescription() != description) w->setAccessibleDescription(description);
}

}  // namespace ui
