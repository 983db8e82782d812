#include "app/ui/UiLog.h"

namespace ui {

// Only debug lines are written to it, so a threshold above debug keeps it quiet by default.
Q_LOGGING_CATEGORY(lcUi, "zelkar.ui", QtWarningMsg)

}  // namespace ui
