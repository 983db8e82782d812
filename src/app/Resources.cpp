#include "app/Resources.h"

#include <QDir>
#include <QFile>
#include <QXmlStreamReader>
#include <map>

#include "app/ui/Language.h"
#include "platform/DebugLog.h"

namespace {

const std::map<std::string, std::string>& builtIn() {
    static const std::map<std::string, std::string> files = {
        {"XML_MAIN", "main.xml"}, {"XML_MSG", "msg.xml"}, {"XML_SKIN", "skin.xml"}, {"XML_MENU", "menu.xml"}};
    return files;
}

// A layout named by res.xml must be a plain file name or a relative path inside the skin folder.
bool staysInside(const QString& file) {
    if (file.isEmpty() || QDir::isAbsolutePath(file) || file.contains('\\')) return false;
    for (const QString& part : file.split('/'))
        if (part.isEmpty() || part == "." || part == "..") return false;
    return true;
}

std::string fromResourceList(const std::string& id) {
    QFile in(QDir(QString::fromStdString(ui::skinDir())).filePath("res.xml"));
    if (!in.open(QIODevice::ReadOnly)) return {};
    QXmlStreamReader xml(&in);
    if (!xml.readNextStartElement()) return {};
    while (xml.readNextStartElement()) {
        const QXmlStreamAttributes a = xml.attributes();
        if (xml.name() == u"Layout" && a.value("id").toString().toStdString() == id) {
            const QString file = a.value("file").toString();
            if (staysInside(file)) return file.toStdString();
            debugLog("res.xml: layout " + id + " names an unusable file; using the built-in name");
            return {};
        }
        xml.skipCurrentElement();
    }
    return {};
}

}  // namespace

std::string layoutFile(const std::string& id) {
    std::string file = fromResourceList(id);
    if (!file.empty()) return file;
    const auto it = builtIn().find(id);
    return it == builtIn().end() ? std::string() : it->second;
}
