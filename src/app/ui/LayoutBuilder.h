// Builds a layout file (format: skin/README.md) into widgets registered in a Ui's tree.
#pragma once

#include "app/ui/UiImpl.h"

#include <QString>

namespace ui {

// The page file a page tag stands for (tags compare without regard to case), "" for others.
QString pageFileForTag(const QString& tag);

// Deepest nesting of page files inside page files; deeper tags are logged and skipped.
inline constexpr int kMaxPageDepth = 8;

// Builds file (inside the skin folder, or an absolute path) into host and answers the root
// widget: the Window's (or Page's) own box, laid out to fill host. Whatever the file lacks or
// gets wrong is logged and skipped; the root exists even when the file does not. Raises nothing.
QWidget* buildLayout(Ui::Impl& impl, const QString& file, QWidget* host);

}  // namespace ui
