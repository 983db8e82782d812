#include "app/SkinImages.h"

#include <QFileInfo>
#include <QImage>
#include <QImageReader>

#include "app/ui/Skin.h"
#include "platform/DebugLog.h"

namespace {

constexpr qint64 kMaxImageBytes = 64LL * 1024 * 1024;
constexpr qint64 kMaxImagePixels = 4096LL * 4096;  // a background is 800 x 572

bool readable(const QString& path, const char* format) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile() || !info.isReadable() || info.size() <= 0 || info.size() > kMaxImageBytes)
        return false;
    QImageReader reader(path, format);
    if (!reader.canRead()) return false;
    if (format && reader.format().toLower() != QByteArray(format)) return false;
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > kMaxImagePixels) return false;
    return !reader.read().isNull();
}

}  // namespace

bool isUsableBackgroundImage(const std::string& description) {
    const QString path = ui::resolveImagePath(QString::fromStdString(description));
    const bool ok = readable(path, nullptr);
    if (!ok) debugLog("background image not usable: " + description);
    return ok;
}

bool isLoadablePng(const std::string& path) {
    const bool ok = readable(QString::fromStdString(path), "png");
    if (!ok) debugLog("custom skin is not a loadable PNG file: " + path);
    return ok;
}
