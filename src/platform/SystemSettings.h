// The desktop's pointer speed and wheel scroll lines, as the mouse page sets them.
//
// A backend speaks to one desktop (GNOME's settings, KDE Plasma's input settings, the X server's
// pointer control). Speeds are the program's 1..20 (10 is the desktop's default); each backend
// maps them onto its own range. Every call answers a result:
//     1   the desktop took the value
//     0   the desktop has no such setting (the value is only kept by the program)
//    -1   the desktop refused it or its settings service is missing
// Calls may block (a backend may run a desktop tool), so the program makes them on
// SystemSettingsWorker's thread, never on the UI thread.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

class SystemSettings {
public:
    enum Result : int { Applied = 1, NoSuchSetting = 0, Refused = -1 };

    virtual ~SystemSettings() = default;
    virtual std::string name() const = 0;        // "gnome", "kde", "x11", "none", ...
    virtual int setPointerSpeed(int speed) = 0;  // 1..20
    virtual int setWheelLines(int lines) = 0;    // 1..100, and running programs are told
};

// The backend for the desktop in use: GNOME (gsettings), KDE Plasma (kwriteconfig), plain X11
// (the server's pointer acceleration); one that refuses everything where none fits.
std::unique_ptr<SystemSettings> makeSystemSettings();

// Applies changes on one thread of its own, in the order they were asked for; a value asked for
// while an earlier one of the same kind still waits replaces it, so only the latest is applied.
// The report (pointer or wheel, the value, the backend's result) runs on the worker thread.
class SystemSettingsWorker {
public:
    enum class Kind { pointerSpeed, wheelLines };
    using Report = std::function<void(Kind kind, int value, int result)>;

    SystemSettingsWorker(std::shared_ptr<SystemSettings> backend, Report report = {});
    ~SystemSettingsWorker();  // lets the change being applied finish, drops the waiting ones
    SystemSettingsWorker(const SystemSettingsWorker&) = delete;
    SystemSettingsWorker& operator=(const SystemSettingsWorker&) = delete;

    void setPointerSpeed(int speed);
    void setWheelLines(int lines);
    // Waits until nothing is waiting or being applied (tests, shutdown).
    void waitIdle();
    SystemSettings& backend() { return *backend_; }

private:
    void run();

    std::shared_ptr<SystemSettings> backend_;
    Report report_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::optional<int> pointer_;
    std::optional<int> wheel_;
    bool busy_ = false;
    bool stop_ = false;
    std::thread thread_;
};
