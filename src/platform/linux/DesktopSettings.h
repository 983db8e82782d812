// The desktop backends of SystemSettings that work through the desktop's own tools: GNOME's
// gsettings and KDE Plasma's kwriteconfig. Each runs the tool and waits for it.
#pragma once

#include <string>
#include <vector>

#include "platform/SystemSettings.h"

namespace desktop {

// Runs program (searched in PATH) with args and waits: its exit status, -1 when it could not run.
int runTool(const std::string& program, const std::vector<std::string>& args);
// Whether program is found in PATH.
bool haveTool(const std::string& program);
// "-0.90", "0.00", "1.00": hundredths as the tools read them, whatever the locale.
std::string decimal(int hundredths);

}  // namespace desktop

// GNOME: org.gnome.desktop.peripherals.mouse speed, -1..1 (0 is the default). GNOME has no wheel
// lines setting.
class GnomeSettings : public SystemSettings {
public:
    std::string name() const override { return "gnome"; }
    int setPointerSpeed(int speed) override;
    int setWheelLines(int) override { return NoSuchSetting; }
    static int gnomeSpeedHundredths(int speed);  // 1..20 -> -90..100
};

// KDE Plasma: kcminputrc [Mouse] XLbInptPointerAcceleration (-1..1) and WheelScrollLines, then
// the settings-changed broadcast that running KDE programs listen for.
class KdeSettings : public SystemSettings {
public:
    explicit KdeSettings(std::string tool) : tool_(std::move(tool)) {}
    std::string name() const override { return "kde"; }
    int setPointerSpeed(int speed) override;
    int setWheelLines(int lines) override;

private:
    int write(const std::string& key, const std::string& value);
    std::string tool_;  // kwriteconfig6 or kwriteconfig5
};

// No desktop the program can speak to: every change is refused.
class NoDesktopSettings : public SystemSettings {
public:
    std::string name() const override { return "none"; }
    int setPointerSpeed(int) override { return Refused; }
    int setWheelLines(int) override { return Refused; }
};
