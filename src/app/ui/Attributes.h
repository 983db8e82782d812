// Parsing of layout attribute values. Every parser answers nullopt for a value it cannot read,
// so the builder can log the attribute and go on with the control's default.
#pragma once

#include "app/ui/Ui.h"

#include <QFont>
#include <QMargins>
#include <QRect>
#include <QSize>
#include <QString>
#include <optional>

namespace ui::attr {

std::optional<bool> parseBool(const QString& value);            // "true"/"false", "1"/"0"
std::optional<int> parseInt(const QString& value);
std::optional<Argb> parseColour(const QString& value);          // #AARRGGBB, #RRGGBB, 0xAARRGGBB
std::optional<QSize> parseSize(const QString& value);           // "w,h"
std::optional<QRect> parseRect(const QString& value);           // "x,y,w,h"
std::optional<QMargins> parseMargins(const QString& value);     // "l,t,r,b"
std::optional<Qt::Alignment> parseAlign(const QString& value);  // left, center, right
// "size" or "family,size"; sizes are pixels, as the layouts were drawn in pixels.
std::optional<QFont> parseFont(const QString& value, const QFont& base);
// An image description is a file name, or the richer form "file='name' ..." of which only the
// file is used. Returns the file name part ("" for an empty description).
QString imageFile(const QString& description);

}  // namespace ui::attr
