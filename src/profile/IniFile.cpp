#include "profile/IniFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <ctime>

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

// Opens a file to read without blocking (a FIFO or a device in place of an INI file would hold the
// open or the read forever) and only when it is a regular file. -1 with the result otherwise.
int openRegular(const std::string& path, struct stat* st, ReadResult* result) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        *result = errno == ENOENT || errno == ENOTDIR ? ReadResult::missing : ReadResult::failed;
        if (*result == ReadResult::failed) debugLog("INI: cannot open " + path + ": " + reason(errno));
        return -1;
    }
    if (::fstat(fd, st) != 0 || !S_ISREG(st->st_mode)) {
        debugLog("INI: " + path + " is not a regular file; not read");
        ::close(fd);
        *result = ReadResult::failed;
        return -1;
    }
    return fd;
}

// Reads the rest of an open file.
ReadResult readOpen(int fd, const std::string& path, std::string* out) {
    char chunk[65536];
    for (;;) {
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n > 0) {
            out->append(chunk, std::size_t(n));
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            debugLog("INI: cannot read " + path + ": " + reason(errno));
            return ReadResult::failed;
        }
    }
    return ReadResult::ok;
}

ReadResult readWhole(const std::string& path, std::string* out) {
    out->clear();
    struct stat st {};
    ReadResult result = ReadResult::ok;
    const int fd = openRegular(path, &st, &result);
    if (fd < 0) return result;
    result = readOpen(fd, path, out);
    ::close(fd);
    return result;
}

// Parsed files kept while they are unchanged: same file (device, inode), size, modification and
// change times, and no write by this process since. A file changed less than two seconds ago is
// not kept: the kernel stamps times by clock tick, so a second same-sized change within one tick
// would look like no change. Every write here bumps the generation, which drops all entries.
class ParsedFiles {
public:
    std::shared_ptr<const initext::ValueIndex> take(const std::string& path, const struct stat& st) {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto found = entries_.find(path);
        if (found == entries_.end()) return nullptr;
        const Entry& e = found->second;
        if (e.generation != generation_ || e.device != st.st_dev || e.inode != st.st_ino || e.size != st.st_size ||
            !sameTime(e.modified, st.st_mtim) || !sameTime(e.changed, st.st_ctim)) {
            entries_.erase(found);
            return nullptr;
        }
        return e.index;
    }

    void keep(const std::string& path, const struct stat& st, std::shared_ptr<const initext::ValueIndex> index) {
        timespec now {};
        clock_gettime(CLOCK_REALTIME, &now);
        if (now.tv_sec - std::max(st.st_mtim.tv_sec, st.st_ctim.tv_sec) < 2) return;
        std::lock_guard<std::mutex> lock(mutex_);
        if (entries_.size() >= kLimit) entries_.clear();
        entries_[path] = Entry{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim, generation_, std::move(index)};
    }

    void changed() {
        std::lock_guard<std::mutex> lock(mutex_);
        ++generation_;
        entries_.clear();
    }

private:
    static bool sameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }
    struct Entry {
        dev_t device;
        ino_t inode;
        off_t size;
        timespec modified, changed;
        uint64_t generation;
        std::shared_ptr<const initext::ValueIndex> index;
    };
    static constexpr size_t kLimit = 32;
    std::mutex mutex_;
    std::map<std::string, Entry> entries_;
    uint64_t generation_ = 0;
};

ParsedFiles& parsedFiles() {
    static ParsedFiles* files = new ParsedFiles;  // used by worker threads until the very end
    return *files;
}

// The parsed file: from the cache while unchanged, else read (without blocking) and parsed.
// nullptr when the file is missing or cannot be read.
std::shared_ptr<const initext::ValueIndex> parsedFile(const std::string& path) {
    struct stat st {};
    ReadResult result = ReadResult::ok;
    const int fd = openRegular(path, &st, &result);
    if (fd < 0) return nullptr;
    std::shared_ptr<const initext::ValueIndex> index = parsedFiles().take(path, st);
    if (!index) {
        std::string text;
        result = readOpen(fd, path, &text);
        if (result == ReadResult::ok) {
            index = std::make_shared<const initext::ValueIndex>(text);
            parsedFiles().keep(path, st, index);
        }
    }
    ::close(fd);
    return index;
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
    parsedFiles().changed();
    const bool written = replaceFileAtomically(target, updated.data(), updated.size());
    parsedFiles().changed();
    return written;
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
    const std::shared_ptr<const initext::ValueIndex> index = parsedFile(file);
    if (!index) return defaultAsRead(defaultValue);
    std::optional<std::string> value = index->find(section, key);
    if (!value) return defaultAsRead(defaultValue);
    // A value holding a NUL would be cut there into another name ("a\0b" into "a"): it is refused.
    if (value->find('\0') != std::string::npos) {
        debugLog("INI: [" + section + "] " + key + " of " + file + " holds a NUL; read as the default");
        return defaultAsRead(defaultValue);
    }
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

