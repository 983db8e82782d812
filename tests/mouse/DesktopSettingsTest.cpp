// The desktop backends' own arithmetic and their answer when the desktop's tools are missing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/linux/DesktopSettings.h"

TEST(DesktopSettings, SpeedsMapOntoTheDesktopsRangeInAnyLocale) {
    const struct {
        int speed;
        const char* text;
    } cases[] = {{1, "-0.90"}, {9, "-0.10"}, {10, "0.00"}, {15, "0.50"}, {20, "1.00"}, {0, "-0.90"}, {99, "1.00"}};
    for (const auto& c : cases)
        EXPECT_EQ(desktop::decimal(GnomeSettings::gnomeSpeedHundredths(c.speed)), c.text) << c.speed;
    EXPECT_EQ(desktop::decimal(5), "0.05");
    EXPECT_EQ(desktop::decimal(-105), "-1.05");
}

TEST(DesktopSettings, AMissingSettingsServiceRefusesTheChange) {
    const char* old = std::getenv("PATH");
    const std::string saved = old ? old : "";
    setenv("PATH", "/nonexistent-zelkar", 1);
    GnomeSettings gnome;
    KdeSettings kde("kwriteconfig5");
    NoDesktopSettings none;
    EXPECT_FALSE(desktop::haveTool("gsettings"));
    EXPECT_EQ(gnome.setPointerSpeed(12), SystemSettings::Refused);
    EXPECT_EQ(gnome.setWheelLines(4), SystemSettings::NoSuchSetting);
    EXPECT_EQ(kde.setPointerSpeed(12), SystemSettings::Refused);
    EXPECT_EQ(kde.setWheelLines(4), SystemSettings::Refused);
    EXPECT_EQ(none.setPointerSpeed(12), SystemSettings::Refused);
    setenv("PATH", saved.c_str(), 1);
}
