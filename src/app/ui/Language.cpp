#include "app/ui/Language.h"

#include "app/ui/UiImpl.h"
#include "app/ui/UiLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>
#include <unordered_map>

namespace ui {

namespace {

std::string& skinDirSetting() {
    static std::string dir;  // set once at start-up, before any layout is built
    return dir;
}

}  // namespace

void setSkinDir(const std::string& dir) { skinDirSetting() = dir; }

std::string skinDir() {
    if (!skinDirSetting().empty()) return skinDirSetting();
    if (QCoreApplication::instance())
        return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("skin")).toStdString();
    return "skin";
}

struct Language::Table {
    std::unordered_map<std::string, std::string> texts;
    std::vector<std::string> order;  // keys in file order
};

Language& Language::instance() {
    static Language language;
    return language;
}

bool Language::load(const std::string& file) {
    QString path = QString::fromStdString(file);
    if (!QFileInfo(path).isAbsolute()) path = QDir(QString::fromStdString(skinDir())).filePath(path);
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        qCDebug(lcUi).noquote() << "language file missing or unreadable:" << path;
        return false;
    }
    auto table = std::make_unique<Table>();
    QXmlStreamReader xml(&in);
    if (xml.readNextStartElement()) {
        while (xml.readNextStartElement()) {
            if (xml.name() != u"Text") {
                xml.skipCurrentElement();
                continue;
            }
            const std::string key = xml.attributes().value(QStringLiteral("key")).toString().toStdString();
            const std::string text = xml.readElementText(QXmlStreamReader::IncludeChildElements).toStdString();
            if (key.empty()) continue;
            if (table->texts.insert_or_assign(key, text).second) table->order.push_back(key);
        }
    }
    if (xml.hasError()) {
        qCDebug(lcUi).noquote() << QStringLiteral("%1:%2: malformed language file: %3")
                                       .arg(path).arg(xml.lineNumber()).arg(xml.errorString());
        return false;
    }
    delete table_;
    table_ = table.release();
    return true;
}

void Language::setName(const std::string& name) { name_ = name; }

bool Language::has(const std::string& key) const {
    return table_ && table_->texts.count(key) > 0;
}

std::string Language::text(const std::string& key) const {
    if (table_) {
        const auto it = table_->texts.find(key);
        if (it != table_->texts.end()) return it->second;
    }
    return key;
}

std::vector<std::string> Language::keys() const {
    return table_ ? table_->order : std::vector<std::string>{};
}

void Language::reloadText() { detail::reloadAllTexts(); }

}  // namespace ui
