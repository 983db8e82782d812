#include "app/ui/Attributes.h"

#include <QRegularExpression>
#include <QStringList>

namespace ui::attr {

namespace {

// Comma-separated integers, exactly `count` of them.
std::optional<std::vector<int>> parseInts(const QString& value, int count) {
    const QStringList parts = value.split(u',');
    if (parts.size() != count) return std::nullopt;
    std::vector<int> out;
    for (const QString& part : parts) {
        bool ok = false;
        const int n = part.trimmed().toInt(&ok);
        if (!ok) return std::nullopt;
        out.push_back(n);
    }
    return out;
}

}  // namespace

std::optional<bool> parseBool(const QString& value) {
    const QString v = value.trimmed().toLower();
    if (v == u"true" || v == u"1") return true;
    if (v == u"false" || v == u"0") return false;
    return std::nullopt;
}

std::optional<int> parseInt(const QString& value) {
    bool ok = false;
    const int n = value.trimmed().toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

std::optional<Argb> parseColour(const QString& value) {
    QString v = value.trimmed();
    if (v.startsWith(u'#')) v.remove(0, 1);
    else if (v.startsWith(u"0x", Qt::CaseInsensitive)) v.remove(0, 2);
    else return std::nullopt;
    if (v.size() != 6 && v.size() != 8) return std::nullopt;
    bool ok = false;
    const uint n = v.toUInt(&ok, 16);
    if (!ok) return std::nullopt;
    return v.size() == 6 ? (0xFF000000u | n) : n;
}

std::optional<QSize> parseSize(const QString& value) {
    const auto n = parseInts(value, 2);
    if (!n || (*n)[0] < 0 || (*n)[1] < 0) return std::nullopt;
    return QSize((*n)[0], (*n)[1]);
}

std::optional<QRect> parseRect(const QString& value) {
    const auto n = parseInts(value, 4);
    if (!n || (*n)[2] < 0 || (*n)[3] < 0) return std::nullopt;
    return QRect((*n)[0], (*n)[1], (*n)[2], (*n)[3]);
}

std::optional<QMargins> parseMargins(const QString& value) {
    const auto n = parseInts(value, 4);
    if (!n) return std::nullopt;
    for (int x : *n)
        if (x < 0) return std::nullopt;
    return QMargins((*n)[0], (*n)[1], (*n)[2], (*n)[3]);
}

std::optional<Qt::Alignment> parseAlign(const QString& value) {
    const QString v = value.trimmed().toLower();
    if (v == u"left") return Qt::AlignLeft | Qt::AlignVCenter;
    if (v == u"center") return Qt::AlignCenter;
    if (v == u"right") return Qt::AlignRight | Qt::AlignVCenter;
    return std::nullopt;
}

std::optional<QFont> parseFont(const QString& value, const QFont& base) {
    const QStringList parts = value.split(u',');
    if (parts.isEmpty() || parts.size() > 2) return std::nullopt;
    const auto size = parseInt(parts.last());
    if (!size || *size <= 0) return std::nullopt;
    QFont font = base;
    if (parts.size() == 2 && !parts.first().trimmed().isEmpty()) font.setFamilies({parts.first().trimmed()});
    font.setPixelSize(*size);
    return font;
}

QString imageFile(const QString& description) {
    static const QRegularExpression fileRe(QStringLiteral("file\\s*=\\s*'([^']*)'"));
    const QRegularExpressionMatch m = fileRe.match(description);
    return m.hasMatch() ? m.captured(1) : description.trimmed();
}

}  // namespace ui::attr
