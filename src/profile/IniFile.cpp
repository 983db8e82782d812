#include "profile/IniFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>

#include "platform/DebugLog.h"
#include "profile/AtomicFile.h"
#include "profile/IniText.h"

namespace fs = std::filesystem;

namespace {

std::string reason(int error) { return std::error_code(error, std::generic_category()).message(); }

enum class ReadResult { ok, missing, failed };

ReadResult readWhole(const std::string& path, std::string* out) {
    out->clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return ReadResult::missing;
        debugLog("INI: cannot open " + path + ": " + reason(errno));
        return ReadResult::failed;
    }
    char chunk[65536];
    for (;;) {
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n > 0) {
            out->append(chunk, std::size_t(n));
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            debugLog("INI: cannot read " + path + ": " + reason(errno));
            ::close(fd);
            return ReadResult::failed;
        }
    }
    ::close(fd);
    return ReadResult::ok;
}

// Different spellings of one file (relative, through symbolic links) share one writer lock, and
// the write replaces the link's target rather than the link.
std::string canonicalPath(const std::string& path) {
    std::error_code ec;
    fs::path canonical = fs::weakly_canonical(path, ec);
    if (ec) canonical = fs::absolute(path, ec).lexically_normal();
    return canonical.string();
}

std::mutex& writerLock(const std::string& canonicalFile) {
    static std::mutex mapLock;
    // One entry per INI file the process ever writes: a handful, so it never shrinks.
    static std::map<std::string, std::unique_ptr<std::mutex>> locks;
    std::lock_guard<std::mutex> guard(mapLock);
    std::unique_ptr<std::mutex>& lock = locks[canonicalFile];
    if (!lock) lock = std::make_unique<std::mutex>();
    return *lock;
}

// Read-modify-write under the file's writer lock.
template <typename Edit>
bool changeFile(const std::string& file, Edit edit) {
    const std::string target = canonicalPath(file);
    std::lock_guard<std::mutex> guard(writerLock(target));
    std::string text;
    if (readWhole(target, &text) == ReadResult::failed) return false;
    std::string updated = edit(text);
    if (updated == text) return true;  // also: nothing to delete from a missing file
    return replaceFileAtomically(target, updated.data(), updated.size());
}

std::string defaultAsRead(const std::string& defaultValue) {
    std::string_view d = defaultValue;
    while (!d.empty() && (d.back() == ' ' || d.back() == '\t')) d.remove_suffix(1);
    return initext::cutToBuffer(d);
}

}  // namespace

std::string readIniString(const std::string& file, const std::string& section, const std::string& key,
                          const std::string& defaultValue) {
    if (!initext::validSection(section) || !initext::validKey(key)) {
        debugLog("INI: refused to read [" + section + "] " + key + " of " + file);
        return defaultAsRead(defaultValue);
    }
    std::string text;
    if (readWhole(file, &text) != ReadResult::ok) return defaultAsRead(defaultValue);
    std::optional<std::string> value = initext::findValue(text, section, key);
    if (!value) return defaultAsRead(defaultValue);
    return initext::cutToBuffer(initext::stripQuotes(*value));
}

int readIniInt(const std::string& file, const std::string& section, const std::string& key, int defaultValue) {
    std::string text = readIniString(file, section, key, "");
    if (text.empty()) return defaultValue;
    std::size_t i = 0;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
    long long number = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        number = number * 10 + (text[i] - '0');
        if (number > INT_MAX) return negative ? INT_MIN : INT_MAX;
    }
    return int(negative ? -number : number);
}

bool writeIniString(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& value) {
    if (!initext::validSection(section) || !initext::validKey(key) || !initext::validValue(value)) {
        debugLog("INI: refused to write [" + section + "] " + key + " of " + file);
        return false;
    }
    return changeFile(file, [&](const std::string& text) { return initext::withValue(text, section, key, value); });
}

bool deleteIniKey(const std::string& file, const std::string& section, const std::string& key) {
    if (!initext::validSection(section) || !initext::validKey(key)) return false;
    return changeFile(file, [&](const std::string& text) { return initext::withoutKey(text, section, key); });
}

bool deleteIniSection(const std::string& file, const std::string& section) {
    if (!initext::validSection(section)) return false;
    return changeFile(file, [&](const std::string& text) { return initext::withoutSection(text, section); });
}

