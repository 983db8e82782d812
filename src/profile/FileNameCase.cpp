#include "profile/FileNameCase.h"

#include <dirent.h>
#include <sys/stat.h>

namespace {

char foldAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

}  // namespace

bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (foldAscii(a[i]) != foldAscii(b[i])) return false;
    return true;
}

std::string findFileIgnoringCase(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) return path;

    const std::size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    if (base.empty()) return {};

    DIR* d = ::opendir(dir.c_str());
    if (!d) return {};
    std::string best;
    while (dirent* entry = ::readdir(d)) {
        std::string_view name = entry->d_name;
        if (name == "." || name == ".." || !equalIgnoringAsciiCase(name, base)) continue;
        if (best.empty() || name < best) best = name;
    }
    ::closedir(d);
    if (best.empty()) return {};
    return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + best;
}

std::string pathForWriting(const std::string& path) {
    std::string existing = findFileIgnoringCase(path);
    return existing.empty() ? path : existing;
}
