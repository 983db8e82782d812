#include "profile/ProgramWatcher.h"

#include "platform/DebugLog.h"
#include "profile/FileNameCase.h"
#include "profile/IniFile.h"

int linkedEntryFor(ProfileList list, const std::string& program) {
    if (program.empty()) return -1;
    const std::string ini = profileIniPath(list);
    const int count = readEntryCount(list);
    for (int i = 0; i < count; ++i) {
        const std::string key = std::to_string(i);
        if (readIniInt(ini, linkSection(list), key, 0) != 1) continue;
        if (equalIgnoringAsciiCase(readIniString(ini, processSection(list), key, " "), program)) return i;
    }
    return -1;
}

int ProgramWatcher::pass() {
    const ForegroundAnswer front = source_ ? source_->query() : ForegroundAnswer{ForegroundAnswer::unavailable, {}};
    if (front.kind == ForegroundAnswer::unavailable && !toldUnavailable_) {
        toldUnavailable_ = true;
        debugLog("program watcher: the program in front cannot be known in this session");
        host_->foregroundUnavailable();
    }
    const int entry = front.kind == ForegroundAnswer::program ? linkedEntryFor(list_, front.path) : -1;
    host_->select(list_, entry);
    return entry;
}

void ProgramWatcher::run(StopEvent& stop) {
    stop.reset();
    while (!stop.wait(kStopCheck)) {
        pass();
        const bool stopped = stop.wait(kPause);
        host_->restore(list_);
        if (stopped || stop.wait(kPeriod)) break;
    }
    debugLog("键盘灯光进程侦测线程设定退出");  // both watchers say the same
}
