#include "device/hid/VhidProtocol.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace vhid {

std::string defaultBusDir() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime == '/') return std::string(runtime) + "/zelkar-vhid";
    return "/tmp/zelkar-vhid-" + std::to_string(getuid());
}

// Interface paths carry their identity as tags ("vid_0c45&pid_751d&mi_01&col04") that readers
// find by their first occurrence; a bus directory whose own name holds such a tag would be misread.
static bool holdsIdentityTag(const std::string& dir) {
    std::string lower;
    for (char c : dir) lower += char((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c);
    for (const char* tag : {"vid_", "pid_", "&mi_", "&col"})
        if (lower.find(tag) != std::string::npos) return true;
    return false;
}

std::string checkBusDir(const std::string& dir) {
    if (holdsIdentityTag(dir)) return dir + " holds vid_, pid_, &mi_ or &col in its name; choose another";
    struct stat st {};
    if (lstat(dir.c_str(), &st) != 0) return dir + ": " + std::strerror(errno);
    if (!S_ISDIR(st.st_mode)) return dir + " is not a directory";
    if (st.st_uid != getuid()) return dir + " belongs to another user; refusing to use it";
    if (st.st_mode & (S_IRWXG | S_IRWXO)) return dir + " is open to other users (mode must be 0700)";
    return {};
}

std::string prepareBusDir(const std::string& dir) {
    if (dir.empty() || dir[0] != '/') return "the bus directory must be an absolute path";
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return dir + ": " + std::strerror(errno);
    return checkBusDir(dir);
}

std::string socketName(const std::string& device, unsigned interfaceNumber) {
    return device + "-if" + std::to_string(interfaceNumber);
}

}  // namespace vhid
