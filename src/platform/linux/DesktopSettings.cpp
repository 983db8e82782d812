#include "platform/linux/DesktopSettings.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <sstream>

extern char** environ;

namespace desktop {

int runTool(const std::string& program, const std::vector<std::string>& args) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The tools' chatter is not ours to show.
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool haveTool(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':'))
        if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0) return true;
    return false;
}

std::string decimal(int hundredths) {
    const bool negative = hundredths < 0;
    const int magnitude = negative ? -hundredths : hundredths;
    std::string out = negative ? "-" : "";
    out += std::to_string(magnitude / 100) + ".";
    const int fraction = magnitude % 100;
    out += char('0' + fraction / 10);
    out += char('0' + fraction % 10);
    return out;
}

}  // namespace desktop

// 10 is the desktop's default (0); each step is a tenth of the range.
int GnomeSettings::gnomeSpeedHundredths(int speed) { return (std::clamp(speed, 1, 20) - 10) * 10; }

int GnomeSettings::setPointerSpeed(int speed) {
    const int status = desktop::runTool("gsettings", {"set", "org.gnome.desktop.peripherals.mouse", "speed",
                                                      desktop::decimal(gnomeSpeedHundredths(speed))});
    return status == 0 ? Applied : Refused;
}

int KdeSettings::write(const std::string& key, const std::string& value) {
    const int status = desktop::runTool(tool_, {"--file", "kcminputrc", "--group", "Mouse", "--key", key, value});
    if (status != 0) return Refused;
    // KGlobalSettings::SettingsChanged (3) for the mouse category (0).
    desktop::runTool("dbus-send", {"--session", "--type=signal", "/KGlobalSettings",
                                   "org.kde.KGlobalSettings.notifyChange", "int32:3", "int32:0"});
    return Applied;
}

int KdeSettings::setPointerSpeed(int speed) {
    return write("XLbInptPointerAcceleration", desktop::decimal(GnomeSettings::gnomeSpeedHundredths(speed)));
}

int KdeSettings::setWheelLines(int lines) { return write("WheelScrollLines", std::to_string(std::clamp(lines, 1, 100))); }
