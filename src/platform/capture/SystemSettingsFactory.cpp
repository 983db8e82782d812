// Which desktop backend the pointer and wheel settings use (built beside input capture, which
// brings libX11 along).
#include <QGuiApplication>
#include <QStandardPaths>
#include <cstdlib>
#include <string>

#include "platform/RecordingSystemSettings.h"
#include "platform/SystemSettings.h"
#include "platform/linux/DesktopSettings.h"
#ifdef ZELKAR_HAVE_X11
#include "platform/linux/x11/X11PointerSettings.h"
#endif

std::unique_ptr<SystemSettings> makeSystemSettings() {
    // Tests run with test mode on: they never change the desktop of whoever runs them.
    if (QStandardPaths::isTestModeEnabled()) return std::make_unique<RecordingSystemSettings>();
    const char* desktopEnv = std::getenv("XDG_CURRENT_DESKTOP");
    const std::string desktopName = desktopEnv ? desktopEnv : "";
    if (desktopName.find("GNOME") != std::string::npos && desktop::haveTool("gsettings"))
        return std::make_unique<GnomeSettings>();
    if (desktopName.find("KDE") != std::string::npos) {
        for (const char* tool : {"kwriteconfig6", "kwriteconfig5"})
            if (desktop::haveTool(tool)) return std::make_unique<KdeSettings>(tool);
    }
#ifdef ZELKAR_HAVE_X11
    if (QGuiApplication::platformName() == QLatin1String("xcb")) return std::make_unique<X11PointerSettings>();
#endif
    return std::make_unique<NoDesktopSettings>();
}
