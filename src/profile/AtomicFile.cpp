#include "profile/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/DebugLog.h"

namespace fs = std::filesystem;

namespace {

std::atomic<AtomicWriteHook> g_hook{nullptr};

bool stageSucceeds(AtomicWriteStage stage, const std::string& target) {
    AtomicWriteHook hook = g_hook.load(std::memory_order_acquire);
    if (!hook || hook(stage, target)) return true;
    errno = EIO;
    return false;
}

std::string reason(int error) { return std::error_code(error, std::generic_category()).message(); }

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return false;
        }
        data += n;
        size -= std::size_t(n);
    }
    return true;
}

// umask() cannot be read without setting it, which races with other threads creating files.
mode_t newFileMode() {
    static const mode_t mode = [] {
        std::ifstream status("/proc/self/status");
        std::string line;
        while (std::getline(status, line))
            if (line.rfind("Umask:", 0) == 0) return mode_t(0666 & ~std::strtoul(line.c_str() + 6, nullptr, 8));
        return mode_t(0644);
    }();
    return mode;
}

std::string tempPrefix(const std::string& base) { return "." + base + ".tmp-"; }

void removeDeadWritersTemps(const std::string& dir, const std::string& base) {
    DIR* d = ::opendir(dir.c_str());
    if (!d) return;
    const std::string prefix = tempPrefix(base);
    while (dirent* entry = ::readdir(d)) {
        std::string name = entry->d_name;
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
        if (pid <= 0 || pid == ::getpid() || ::kill(pid_t(pid), 0) == 0 || errno != ESRCH) continue;
        if (::unlinkat(::dirfd(d), name.c_str(), 0) == 0) debugLog("removed left-over " + dir + "/" + name);
    }
    ::closedir(d);
}

// The file a write to path really replaces: the target of a symbolic link, else path itself.
std::string replacedFile(const std::string& path) {
    std::error_code ec;
    if (!fs::is_symlink(path, ec)) return path;
    fs::path target = fs::weakly_canonical(path, ec);
    return ec ? path : target.string();
}

}  // namespace

bool replaceFileAtomically(const std::string& path, const void* data, std::size_t size) {
    const std::string target = replacedFile(path);
    fs::path targetPath(target);
    const std::string dir = targetPath.has_parent_path() ? targetPath.parent_path().string() : ".";
    const std::string base = targetPath.filename().string();
    removeDeadWritersTemps(dir, base);

    std::string temp = dir + "/" + tempPrefix(base) + std::to_string(::getpid()) + "-XXXXXX";
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0 || !stageSucceeds(AtomicWriteStage::created, target)) {
        int error = errno;
        if (fd >= 0) {
            ::close(fd);
            ::unlink(temp.c_str());
        }
        debugLog("cannot create a temporary file beside " + target + ": " + reason(error));
        return false;
    }
    auto fail = [&](const char* step) {
        int error = errno;
        if (fd >= 0) ::close(fd);
        ::unlink(temp.c_str());
        debugLog(std::string(step) + " " + target + " failed: " + reason(error) + "; the old file is unchanged");
        return false;
    };

    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) {
        ::fchmod(fd, old.st_mode & 07777);
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
            // Only root can hand a file back to another owner; anyone else already owns it.
        }
    } else {
        ::fchmod(fd, newFileMode());
    }

    const char* bytes = static_cast<const char*>(data);
    const std::size_t half = size / 2;
    if (!writeAll(fd, bytes, half) || !stageSucceeds(AtomicWriteStage::partWritten, target) ||
        !writeAll(fd, bytes + half, size - half))
        return fail("writing");
    if (::fsync(fd) != 0 || !stageSucceeds(AtomicWriteStage::synced, target)) return fail("flushing");
    int closing = ::close(fd);
    fd = -1;
    if (closing != 0) return fail("closing");
    if (!stageSucceeds(AtomicWriteStage::renaming, target) || ::rename(temp.c_str(), target.c_str()) != 0)
        return fail("replacing");

    // The data is on disk; make the new name durable too.
    int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

void setAtomicWriteHookForTesting(AtomicWriteHook hook) { g_hook.store(hook, std::memory_order_release); }
