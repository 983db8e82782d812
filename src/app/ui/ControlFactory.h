// Creates the widget of each control kind and turns its signals into notifications.
#pragma once

#include "app/ui/UiImpl.h"

#include <QString>
#include <optional>

namespace ui {

// The kind a layout element names (compared without regard to case), nullopt for others.
std::optional<Kind> kindForElement(const QString& element);

// Creates the control's widget under parent, registers it in the tree and wires its
// notifications. group: the radio group of an option ("" for a check box).
Control& createControl(Ui::Impl& impl, Kind kind, const std::string& name, QWidget* parent,
                       const std::string& group = {});

}  // namespace ui
