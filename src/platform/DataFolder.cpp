#include "platform/DataFolder.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <cstdint>
#include <mutex>

#include "platform/DebugLog.h"

namespace {

std::mutex g_overrideLock;
std::string g_override;

std::string withSlash(std::string path) {
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

std::string ensureFolder(const std::string& path) {
    if (!QDir().mkpath(QString::fromStdString(path))) debugLog("cannot create the folder " + path);
    return withSlash(path);
}

std::string documentsFolder() {
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty()) documents = QDir::homePath() + "/Documents";
    return documents.toStdString();
}

bool isDirectory(const std::string& path) { return QFileInfo(QString::fromStdString(path)).isDir(); }

// Length of the UTF-8 sequence starting at s[i], or 0 when it is not valid UTF-8 (overlong forms,
// surrogates and values past U+10FFFF included).
std::size_t utf8Length(std::string_view s, std::size_t i) {
    auto byte = [&](std::size_t k) { return i + k < s.size() ? uint8_t(s[i + k]) : uint8_t(0); };
    auto cont = [&](std::size_t k) { return (byte(k) & 0xC0) == 0x80; };
    uint8_t lead = byte(0);
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return cont(1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (!cont(1) || !cont(2)) return 0;
        if (lead == 0xE0 && byte(1) < 0xA0) return 0;   // overlong
        if (lead == 0xED && byte(1) >= 0xA0) return 0;  // surrogate
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (!cont(1) || !cont(2) || !cont(3)) return 0;
        if (lead == 0xF0 && byte(1) < 0x90) return 0;   // overlong
        if (lead == 0xF4 && byte(1) >= 0x90) return 0;  // past U+10FFFF
        return 4;
    }
    return 0;
}

}  // namespace

std::string dataFolder() {
    std::string base;
    {
        std::lock_guard<std::mutex> guard(g_overrideLock);
        base = g_override;
    }
    if (base.empty()) base = documentsFolder() + "/ZELKAR";
    return ensureFolder(base);
}

const char* deviceFolderName(DeviceFolder device) {
    switch (device) {
    case DeviceFolder::keyboard: return "kb";
    case DeviceFolder::mouse: return "ms";
    case DeviceFolder::pad: return "mp";
    }
    return "kb";
}

std::string deviceFolder(DeviceFolder device) { return ensureFolder(dataFolder() + deviceFolderName(device)); }

void setDataFolderOverride(const std::string& path) {
    std::lock_guard<std::mutex> guard(g_overrideLock);
    g_override = path;
}

std::string programFolder() {
    if (QCoreApplication::instance()) return withSlash(QCoreApplication::applicationDirPath().toStdString());
    char buffer[4096];
    ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return "./";
    std::string exe(buffer, std::size_t(n));
    return withSlash(exe.substr(0, exe.rfind('/')));
}

std::string defaultsFolder() { return defaultsFolderOf(programFolder()); }

std::string defaultsFolderOf(const std::string& programFolder) {
    const std::string program = withSlash(programFolder);
    if (isDirectory(program + "defaults")) return program + "defaults/";
    QString installed = QDir::cleanPath(QString::fromStdString(program + "../share/zelkar/defaults"));
    if (QFileInfo(installed).isDir()) return withSlash(installed.toStdString());
    return program;
}

std::string skinFolderOf(const std::string& programFolder) {
    const std::string program = withSlash(programFolder);
    if (isDirectory(program + "skin")) return program + "skin/";
    QString installed = QDir::cleanPath(QString::fromStdString(program + "../share/zelkar/skin"));
    if (QFileInfo(installed).isDir()) return withSlash(installed.toStdString());
    return {};
}

bool isSafeEntryName(std::string_view name) {
    if (name.empty() || name.size() > 240 || name == ".") return false;
    if (name.front() == ' ' || name.back() == ' ') return false;
    if (name.find("..") != std::string_view::npos) return false;
    for (std::size_t i = 0; i < name.size();) {
        auto c = uint8_t(name[i]);
        if (c < 0x20 || c == 0x7F || c == '/' || c == '\\') return false;
        std::size_t length = utf8Length(name, i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}
