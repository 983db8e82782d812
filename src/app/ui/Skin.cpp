#include "app/ui/Skin.h"

#include "app/ui/Attributes.h"
#include "app/ui/Language.h"
#include "app/ui/UiLog.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QPainter>
#include <QPixmapCache>
#include <set>

namespace ui {

QString resolveImagePath(const QString& description) {
    const QString file = attr::imageFile(description);
    if (file.isEmpty()) return {};
    if (QFileInfo(file).isAbsolute()) return file;
    return QDir(QString::fromStdString(skinDir())).filePath(file);
}

QPixmap skinPixmap(const QString& description) {
    // Pictures repaint many times a second while lighting runs: the description's file is
    // worked out once per skin folder (UI thread only).
    static QHash<QString, QString> paths;
    static std::string pathsFor;
    const std::string dir = skinDir();
    if (dir != pathsFor) {
        paths.clear();
        pathsFor = dir;
    }
    auto known = paths.constFind(description);
    if (known == paths.constEnd()) known = paths.insert(description, resolveImagePath(description));
    const QString& path = *known;
    if (path.isEmpty()) return {};
    QPixmap pixmap;
    if (QPixmapCache::find(path, &pixmap)) return pixmap;
    if (!pixmap.load(path)) {
        static std::set<QString> reported;  // UI thread only
        if (reported.insert(path).second) qCDebug(lcUi) << "image not found or unreadable:" << path;
        return {};
    }
    QPixmapCache::insert(path, pixmap);
    return pixmap;
}

void paintBackground(QPainter& painter, const QRect& rect, const Looks& looks) {
    if (looks.bkColor != 0) painter.fillRect(rect, QColor::fromRgba(looks.bkColor));
    paintImage(painter, rect, looks.bkImage);
}

void paintImage(QPainter& painter, const QRect& rect, const QString& description) {
    if (description.isEmpty()) return;
    const QPixmap pixmap = skinPixmap(description);
    if (!pixmap.isNull()) painter.drawPixmap(rect, pixmap);
}

void paintSkinBackground(QWidget& widget, const Looks& looks) {
    if (looks.bkColor == 0 && looks.bkImage.isEmpty()) return;
    QPainter painter(&widget);
    paintBackground(painter, widget.rect(), looks);
}

}  // namespace ui
