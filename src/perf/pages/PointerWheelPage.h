// The pointer speed slider ("ms_point_speed_slider") and the wheel lines edit with its two
// buttons ("ms_gunlun_speed_edit", "ms_gunlun_speed_up_btn", "ms_gunlun_speed_down_btn").
//
// Both values are the desktop's, not the mouse's: the page keeps them in MouseSystemSettings
// (saved with the mouse profile files) and hands each change to a SystemSettingsWorker, which
// applies them in order on its own thread. Nothing is applied at start-up: only a change by the
// user, an applied profile or the reset reaches the desktop. What the desktop could not take is
// said once per kind (the value stays stored). UI thread only, except report(), which the worker
// calls.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "app/ui/Ui.h"
#include "mirror/MouseMirror.h"
#include "platform/SystemSettings.h"

class PointerWheelPage {
public:
    using SaveFn = std::function<void()>;                      // the mouse profile files
    using MessageFn = std::function<void(const std::string&)>;  // a message box with a language key

    PointerWheelPage(ui::Ui& ui, MouseSystemSettings& values, SystemSettingsWorker& worker, SaveFn save,
                     MessageFn message);

    void onNotification(const ui::Notification& n, int index);
    void nameControls();
    // Shows the stored values without applying them (start-up, refreshes).
    void show();

    void pointerSliderMoved(int position);
    void wheelStep(bool up);
    // The reset: speed 10 and 3 lines to the desktop and on the page; the stored values stay.
    void reset();
    // A profile was loaded: its stored values go to the page and the desktop.
    void applyProfile();

    // From the worker thread: what the desktop answered. The page hands it to tell() on the UI
    // thread through the window; tell() shows the message once per kind.
    void tell(SystemSettingsWorker::Kind kind, int result);

private:
    void applyPointerSpeed();
    void applyWheelLines();

    ui::Ui& ui_;
    MouseSystemSettings& values_;
    SystemSettingsWorker& worker_;
    SaveFn save_;
    MessageFn message_;
    bool toldPointer_ = false;
    bool toldWheel_ = false;
};
