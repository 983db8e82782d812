// Push buttons and options. Both keep the native look unless the layout gives them colours or
// images, in which case they paint the skin: background, state image, text.
#pragma once

#include "app/ui/Skin.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <type_traits>

namespace ui {

// Draws the skinned face of a button-like control; true when the looks call for one.
bool hasSkinnedFace(const Looks& looks);
void paintButtonFace(QAbstractButton& button, const Looks& looks, const QString& stateImage);
// The image for the control's state: selected, hot (pointer over it) or normal.
QString stateImage(const QAbstractButton& button, const Looks& looks);

class SkinButton : public QPushButton, public Skinned {
public:
    explicit SkinButton(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
};

// An option: a check box, or (built on QRadioButton, so assistive technology announces it as
// one) a radio option of a group. A click on a selected radio option leaves it selected.
// Groups span the whole control tree, so deselecting the other members is the facade's job.
template <class Base>
class OptionButton : public Base, public Skinned {
public:
    explicit OptionButton(QWidget* parent = nullptr) : Base(parent) {
        if constexpr (std::is_same_v<Base, QRadioButton>) this->setAutoExclusive(false);
    }

protected:
    void nextCheckState() override {
        if (std::is_same_v<Base, QRadioButton> && this->isChecked()) return;
        Base::nextCheckState();
    }
    void paintEvent(QPaintEvent* event) override {
        if (!hasSkinnedFace(looks)) return Base::paintEvent(event);
        paintButtonFace(*this, looks, stateImage(*this, looks));
    }
    void enterEvent(QEnterEvent* event) override {
        Base::enterEvent(event);
        this->update();
    }
    void leaveEvent(QEvent* event) override {
        Base::leaveEvent(event);
        this->update();
    }
    // The whole option takes the click, not only its box and caption.
    bool hitButton(const QPoint& pos) const override { return this->rect().contains(pos); }
};

using CheckOption = OptionButton<QCheckBox>;
using RadioOption = OptionButton<QRadioButton>;

}  // namespace ui
