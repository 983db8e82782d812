// The UI layer's debug log: the category "zelkar.ui", silent unless switched on
// (QT_LOGGING_RULES="zelkar.ui.debug=true").
#pragma once

#include <QLoggingCategory>

namespace ui {

Q_DECLARE_LOGGING_CATEGORY(lcUi)

}  // namespace ui
