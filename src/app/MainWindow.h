// CMainWnd: the program's only main window. It owns everything long-lived: the control tree built
// from "XML_MAIN" (every page's controls, found by name through ui()), the seven device channels,
// the slot list the device watcher fills, the three mirrors with their DirtyFlags, the lighting
// phase counters, sixteen StopEvents with their worker slots, and the tray icon with its menu.
//
// Three kinds of input arrive, all handled on the UI thread: control notifications (handed to the
// NotificationRouter), window messages (send / post, numbers in WindowMessages.h) and timers
// (setTimer / killTimer by the numeric ids of WindowMessages.h).
//
// Threads: worker threads never hold the window. They get link() (WindowLink.h), whose send,
// post and setTimer may be called from any thread; Shutdown severs it, so a worker that outlives
// the window cannot touch it. Everything else here is UI-thread only.
//
// Life: created hidden; the "windowinit" notification (raised by the constructor's queued
// start-up) reads the skin settings, gives the channels their identities, hides the window after
// a short wait, starts the workers and timers 2 and 3. The device watcher's first search ends with
// the activation message and the Show policy. Closing (the caption, "closebtn", the tray's "exit",
// SIGTERM/SIGINT through main) runs Shutdown once and emits quitRequested().
#pragma once

#include <QPointer>
#include <QWidget>
#include <array>
#include <chrono>
#include <deque>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/NotificationRouter.h"
#include "app/SkinChange.h"
#include "app/WindowMessages.h"
#include "app/ui/Ui.h"
#include "device/ChannelTable.h"
#include "device/HidTransport.h"
#include "device/SupportedDevice.h"
#include "lighting/LightingPhase.h"
#include "mirror/KeyboardMirror.h"
#include "mirror/MouseMirror.h"
#include "mirror/PadMirror.h"
#include "platform/StopEvent.h"

class QMenu;
class KeyboardFeatures;
class LightingFeatures;
class MouseFeatures;
class SystemSettings;
class MacroFeatures;

class QSystemTrayIcon;
class QTimer;
class KeyboardListener;
class WindowLink;
class DisplayScaler;

// The activation message ("MORVANTE_001"): a second copy of the program and the device watcher's
// first search ask the window to show itself. Registered messages take numbers from 0xC000 up.
constexpr uint32_t kActivationMessage = 0xC000;

struct MainWindowOptions {
    HidRoots roots = defaultHidRoots();     // where the channels and workers look for devices
    std::optional<bool> trayAvailable;      // unset: ask the desktop
    int hideDelayMs = 100;                  // "windowinit" waits this long before it hides the window
    bool startWorkers = true;               // the device watcher (slot 0) and keyboard listener (slot 4)
    std::shared_ptr<SystemSettings> systemSettings;  // pointer and wheel backend; null: the desktop's
};

enum class DeviceKind { keyboard, mouse, pad };

class CMainWnd : public QWidget, public RouterTarget, public SkinChangeReceiver {
    Q_OBJECT

public:
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 572;
    static constexpr int kShutdownWaitMs = 1000;   // for all workers together
    static constexpr int kMinScale = 50, kMaxScale = 300;  // display scale, percent

    explicit CMainWnd(const MainWindowOptions& options = {});
    ~CMainWnd() override;

    // ---- window messages ----
    // Runs the message's handler on the UI thread and returns its result. Called on the UI thread
    // it runs directly; from another thread it waits for the UI thread (workers use link()). Once
    // Shutdown has begun it returns 0 at once without running anything, and a send already waiting
    // is released with 0.
    intptr_t send(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);
    // Queues the message; its handler runs later on the UI thread (unless Shutdown came first).
    void post(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);
    // Runs call on the UI thread, later, from any thread. The call travels in an event that the
    // UI thread alone deletes: the caller lets go of it as it posts.
    void runOnUiThread(std::function<void()> call);

    // ---- timers, by id ----
    // (Re)starts timer id with the period; from another thread the start is queued.
    void setTimer(int id, int milliseconds);
    void killTimer(int id);  // hides QObject::killTimer on purpose: ids here are ours
    bool isTimerActive(int id) const;
    int timerInterval(int id) const;  // -1 when the timer is not running

    // ---- worker threads ----
    std::shared_ptr<WindowLink> link() const { return link_; }
    // Starts body on its own thread with the slot's StopEvent. false when the slot is out of range,
    // already has a thread, or Shutdown has begun.
    bool startWorker(int slot, std::function<void(StopEvent&)> body);
    bool hasWorker(int slot) const;
    bool workersStarted() const { return workersStarted_; }

    struct ShutdownReport {
        int ended = 0;         // workers that ended within the wait and were joined
        int leftRunning = 0;   // workers detached after the wait
        int64_t elapsedMs = 0;
    };
    // Hide, stop every worker (1000 ms in total), release blocked sends. Runs once.
    void shutdown();
    bool isShutDown() const { return shutDown_; }
    ShutdownReport shutdownReport() const { return shutdownReport_; }

    // ---- what the pages work on ----
    ui::Ui& ui() { return ui_; }
    DeviceChannel& channel(ChannelIndex index) { return channels_[index]; }
    SlotList& slotList() { return *slots_; }
    KeyboardMirror& keyboardMirror() { return keyboard_; }
    MouseMirror& mouseMirror() { return mouse_; }
    PadMirror& padMirror() { return pad_; }
    // Sets the device's DirtyFlag: timer 2 sends its current settings record on its next 10 ms
    // tick. Timer 2 runs only while some flag is set, so an idle program does not wake for it.
    // Any thread (workers call it through the link).
    void markDirty(DeviceKind device);
    bool isDirty(DeviceKind device) const;
    const LightingPhase& lightingPhase();
    bool isEnglish() const { return english_; }
    MouseFeatures& mouseFeatures();  // the mouse and pad features, made on first use
    int displayScale() const { return scalePercent_; }

    // ---- tray ----
    struct MenuItem {
        std::string name;
        std::string key;   // the language key of its text ("" for a literal text)
        std::string text;  // as shown
    };
    // The tray menu as it opens: "exit" first, then the items of "menu.xml".
    std::vector<MenuItem> trayMenuItems() const;
    void menuCommand(const std::string& name);
    bool hasTray() const { return trayAvailable_; }

    // ---- RouterTarget ----
    void route(Owner owner, const ui::Notification& n, int index) override;
    void windowInit() override;
    void closeWindow() override;
    void minimizeWindow() override;
    void maximizeWindow() override;
    void restoreWindow() override;
    void openSkinPicker(ui::ControlHandle anchor) override;
    void startTimer(int id, int milliseconds) override { setTimer(id, milliseconds); }
    void removeKeyHook() override;
    bool captureExplainsDeactivation();
    void endMacroRecording() override;
    void setDisplayScale(int percent) override;
    void showMessage(const std::string& key) override;
    void setKeyboardAbTab(uint8_t value) override;

    // ---- skin change ----
    int receive(SkinChangedParam param) override;

signals:
    void quitRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void customEvent(QEvent* event) override;
    Q_INVOKABLE void runPendingCalls();  // one call of runOnUiThread, on the UI thread
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // MainWindow.cpp
    std::atomic<bool>& flagOf(DeviceKind device);
    void initWindow();
    void cacheControls();
    void applyRememberedSkin();
    void finishWindowInit();
    void repaintAll();
    void relayout();
    void hideOrKeepReachable();
    void bringToFront();
    // MainWindowMessages.cpp
    intptr_t dispatch(uint32_t message, uintptr_t wParam, intptr_t lParam);
    void releaseWaitingSends();
    void showPolicy();
    void showNoDeviceBox(bool& guard);
    void hideNotice();
    void setPadLed(uint32_t message, uintptr_t index, intptr_t value);
    // MainWindowTimers.cpp
    void onTimer(int id);
    // While this thread waits for a device (the wait pump runs events), a message or timer that
    // could talk to a device or open a box is put off until the wait is over. True when it was.
    bool deferWhileWaiting(uint32_t message, uintptr_t wParam, intptr_t lParam);
    bool deferTimerWhileWaiting(int id);
    static void pumpWhileDeviceWaits();
    void armFlush();
    void updateLightingPhaseTimer();
    void flushCurrentSettings();
    void writeAbFlag();
    void stopAllTimers();
    // MainWindowWorkers.cpp
    void startWorkers();
    // DeviceArrival.cpp
    void deviceArrived(uint16_t kind, uint16_t subDevice);
    void deviceRemoved(uint16_t kind, uint16_t subDevice);
    bool openChannel(ChannelIndex index, const std::string& path);
    // Tray.cpp
    void createTray();
    void destroyTray();
    void trayNotify(intptr_t event);
    void openTrayMenu();
    void switchLanguage();
    // FeatureHandlers.cpp: the features later work fills in.
    void initialiseProfileData();
    void startLightingEffects();
    void startProgramWatchers();
    bool readKeyboardAll(bool saveDeviceProfile = true);
    void rereadKeyboardBlock();
    void exportKeyLayout();
    void readSmallKeyboard();
    void readCompanionKeyboard();
    void selectStoredDeviceProfile();
    void refreshKeyboardPages();
    void refreshKeyboardLightingPage();
    void readMouseAll();
    void rereadMouseBlock();
    void readPadAll();
    void rereadPadBlock();
    void sendLightingFrame();
    void hookMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
    KeyboardFeatures& keyboard();  // made on first use, after the control tree exists
    LightingFeatures& lighting();  // likewise
    MacroFeatures& macros();       // likewise

    MainWindowOptions options_;

    // The data model, in the order the window's design lists it.
    ui::Ui ui_;                                        // the control tree
    NotificationRouter router_{ui_, *this};
    std::shared_ptr<SlotList> slots_;                  // shared with the device watcher
    std::vector<ui::ControlHandle> captionButtons_;
    std::vector<ui::ControlHandle> ledPictures_;       // ms_dkey_*, mp_dkey_*, kb_dkey_*
    std::unique_ptr<QMenu> trayMenu_;                  // at most one alive
    std::vector<MenuItem> trayMenuItems_;
    QSystemTrayIcon* tray_ = nullptr;
    std::array<DeviceChannel, kChannelCount> channels_;
    std::array<int, 3> flushFailures_{};               // timer 2: writes not taken in a row, per device
    std::chrono::steady_clock::time_point streamStoppedAt_{};  // the keyboard's removal stopped timer 9 then
    std::array<std::shared_ptr<StopEvent>, worker::kSlots> stops_;
    std::array<std::thread, worker::kSlots> workers_;
    std::atomic<bool> keyboardDirty_{false}, mouseDirty_{false}, padDirty_{false};
    KeyboardMirror keyboard_;
    MouseMirror mouse_;
    PadMirror pad_;
    bool english_ = false;
    bool showPolicyBoxOpen_ = false;   // the no-device box of the Show policy is open
    bool trayBoxOpen_ = false;         // the no-device box of a tray click is open

    // Workers and messages.
    struct WorkerExits;
    std::shared_ptr<WorkerExits> exits_;
    std::shared_ptr<WindowLink> link_;
    std::shared_ptr<KeyboardListener> listener_;
    std::mutex sendMutex_;
    std::mutex callsMutex_;                             // guards pendingCalls_ (runOnUiThread)
    std::deque<std::function<void()>> pendingCalls_;
    std::condition_variable sendDone_;
    std::atomic<bool> closing_{false};   // Shutdown has begun: sends return 0 at once
    bool shutDown_ = false;
    bool workersStarted_ = false;
    ShutdownReport shutdownReport_;

    std::map<int, QTimer*> timers_;
    bool trayAvailable_ = false;
    int scalePercent_ = 100;
    std::unique_ptr<DisplayScaler> scaler_;
    bool painted_ = false;
    bool screenWatched_ = false;
    std::unique_ptr<KeyboardFeatures> keyboardFeatures_;  // last: they use the members above
    std::unique_ptr<LightingFeatures> lightingFeatures_;
    std::unique_ptr<MouseFeatures> mouseFeatures_;
    std::unique_ptr<MacroFeatures> macroFeatures_;
};
