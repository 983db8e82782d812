// The mouse performance page: six DPI levels with their value, rank and range labels, the
// active level's colouring, the report rate, the sensor height and the DPI colour (palette
// "Pallet", the R/G/B edits, the 30 quick colour buttons "ms_DPI_color_btn_<i>").
//
// The page holds no state: it shows the mouse's current settings record and writes every change
// back at once, marks the record dirty (the 10 ms flush sends it) and saves the profile files.
// DPI levels 1..4 store on release ("valuechanged") and only relabel while dragging; levels 5 and
// 6 store on every notification, dragging or not, so a keyboard or screen-reader step is kept
// too. Record fields from a file that lie outside what the controls can show are shown held to
// their range. UI thread only.
#pragma once

#include <string>

#include "app/ui/Ui.h"
#include "mirror/MouseMirror.h"

class PerformanceHost {
public:
    virtual ~PerformanceHost() = default;
    virtual void markMouseDirty() = 0;
    virtual void saveMouseProfiles() = 0;        // lighting file, then device file
    virtual void saveMouseLightingProfile() = 0;
};

class PerformancePage {
public:
    static constexpr int kLevels = 6;
    static constexpr ui::Argb kActiveColour = 0xFFFF0000;
    static constexpr ui::Argb kIdleColour = 0xFFFFFFFF;

    PerformancePage(ui::Ui& ui, MouseMirror& mirror, PerformanceHost& host);

    // Everything the router hands to the page.
    void onNotification(const ui::Notification& n, int index);
    // After every read of the mouse, a profile switch or a loaded profile.
    void fill();
    // Gives the page's controls their spoken names (once the control tree exists).
    void nameControls();

    // The handlers, also reachable through onNotification. level is 1..6.
    void dpiValueChanged(int level, int position, bool dragging);
    void sensorHeightChanged(int position);
    void reportRateChanged(int index);
    void dpiColourEdited(char component);
    void setDpiColour(ui::Argb colour, bool commit);
    void quickColour(int index);

private:
    void colourActiveLevel();
    void commit(bool lightingOnly = false);

    ui::Ui& ui_;
    MouseMirror& mirror_;
    PerformanceHost& host_;
};

// "ms_DPI<level>_<suffix>".
std::string dpiControl(int level, const char* suffix);
