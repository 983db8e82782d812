// The main window: construction, InitWindow, the "windowinit" sequence, the router's window
// jobs and the skin change.
#include "app/MainWindow.h"

#include "app/KeyboardFeatures.h"
#include "app/LightingFeatures.h"
#include "app/MouseFeatures.h"
#include "app/MacroFeatures.h"

#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QLayout>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <utility>

#include "app/AppLog.h"
#include "app/DisplayScale.h"
#include "app/MessageBox.h"
#include "app/Resources.h"
#include "app/SkinImages.h"
#include "app/SkinPicker.h"
#include "app/Texts.h"
#include "app/WindowLink.h"
#include "app/ui/UiQt.h"
#include "device/KeyboardListener.h"
#include "platform/DebugLog.h"
#include "profile/IniFile.h"

namespace {

template <size_t... I>
std::array<DeviceChannel, sizeof...(I)> makeChannels(const HidRoots& roots, std::index_sequence<I...>) {
    return {{[&](size_t) { return DeviceChannel(roots); }(I)...}};
}

constexpr uint32_t kPaletteStartColour = 0xFF0199CB;
constexpr const char* kPalettes[] = {"Pallet", "ms_deng_Color_Pallet", "mp_deng_Color_Pallet", "kb_deng_Color_Pallet"};
constexpr const char* kCaptionButtons[] = {"closebtn", "maxbtn", "restorebtn", "minbtn", "skinbtn"};
struct PictureSet {
    const char* prefix;
    int count;
};
constexpr PictureSet kLedPictures[] = {{"ms_dkey_", 20}, {"mp_dkey_", 15}, {"kb_dkey_", 132}};

}  // namespace

CMainWnd::CMainWnd(const MainWindowOptions& options)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      options_(options),
      slots_(std::make_shared<SlotList>()),
      channels_(makeChannels(options.roots, std::make_index_sequence<kChannelCount>())) {
    for (auto& stop : stops_) stop = std::make_shared<StopEvent>();
    link_ = std::make_shared<WindowLink>(this);
    trayAvailable_ = options_.trayAvailable.value_or(false);
    setObjectName("MainWnd");
    ui::buildInto(ui_, this, layoutFile("XML_MAIN"));
    setWindowTitle("ZELKAR Driver");
    setFixedSize(kWidth, kHeight);
    ui_.setSink([this](const ui::Notification& n) {
        debugLog("notify: " + n.type + " from \"" + n.sender + "\"");
        router_.routeNotification(n);
    });
    setTranslator(&ui_);
    initWindow();
    // "windowinit" comes once the control tree is ready and the creator has placed the window.
    QTimer::singleShot(0, this, [this] {
        if (!shutDown_) ui_.raise("windowinit", "");
    });
}

CMainWnd::~CMainWnd() {
    shutdown();
    CSkinFrame::closeAll();
    if (translator() == &ui_) setTranslator(nullptr);
    ui_.setSink(nullptr);
    removeObserver();
}

std::atomic<bool>& CMainWnd::flagOf(DeviceKind device) {
    switch (device) {
    case DeviceKind::keyboard: return keyboardDirty_;
    case DeviceKind::mouse: return mouseDirty_;
    case DeviceKind::pad: break;
    }
    return padDirty_;
}

// ---- InitWindow ----------------------------------------------------------------------------------

void CMainWnd::initWindow() {
    debugLog("InitWindow");
    // Every start is in Chinese, whatever the last run chose.
    if (!ui::switchLanguage("cn_zh", "lan_cn.xml")) debugLog("InitWindow: lan_cn.xml could not be loaded");
    english_ = false;
    skinChangeObserver().addReceiver(this);
    cacheControls();
    for (const char* palette : kPalettes) ui_.setColor(palette, kPaletteStartColour, false);
    const QString icon = QDir(QString::fromStdString(ui::skinDir())).filePath("common/logo.png");
    setWindowIcon(QIcon(icon));
    createTray();
}

void CMainWnd::cacheControls() {
    captionButtons_.clear();
    for (const char* name : kCaptionButtons) captionButtons_.push_back(ui_.handle(name));
    ledPictures_.clear();
    for (const PictureSet& set : kLedPictures) {
        for (int i = 0; i < set.count; ++i) {
            const std::string name = set.prefix + std::to_string(i);
            ledPictures_.push_back(ui_.handle(name));
            ui_.setOverlayAlpha(name, 0);  // overlay mode, nothing painted yet
        }
    }
}

// ---- "windowinit" --------------------------------------------------------------------------------

void CMainWnd::windowInit() {
    if (workersStarted_ || shutDown_) return;
    applyRememberedSkin();
    initialiseProfileData();
    applyChannelIdentities(channels_);
    // The rest waits a moment (without blocking the UI thread), as the window always did.
    QTimer::singleShot(std::max(0, options_.hideDelayMs), this, [this] { finishWindowInit(); });
}

void CMainWnd::finishWindowInit() {
    if (shutDown_ || workersStarted_) return;
    hide();
    workersStarted_ = true;
    for (auto& stop : stops_) stop->reset();
    if (options_.startWorkers) startWorkers();
    // Timers 3 and 2 tick every 10 ms while they have work: the phase counters while the keyboard
    // is there to show effects on, the flush while a DirtyFlag is up.
    updateLightingPhaseTimer();
    armFlush();
}

// main.ini may have been edited by hand: only a usable image replaces the layout's background.
void CMainWnd::applyRememberedSkin() {
    const std::string file = CSkinFrame::settingsFile();
    if (readIniInt(file, "SKINIMAGE", "FLAGS", 0) != 1) return;
    const std::string image = readIniString(file, "SKINIMAGE", "IMAGE", "");
    if (image.empty() || !isUsableBackgroundImage(image)) return;
    ui_.setBkColor("root", 0);
    ui_.setBkImage("root", image);
}

int CMainWnd::receive(SkinChangedParam param) {
    if (param.colour) {
        ui_.setBkColor("root", param.bkColor);
        ui_.setBkImage("root", "");
    } else if (isUsableBackgroundImage(param.bkImage)) {
        ui_.setBkColor("root", 0);
        ui_.setBkImage("root", param.bkImage);
    }
    return 0;
}

// ---- the router's window jobs --------------------------------------------------------------------

void CMainWnd::closeWindow() { close(); }
void CMainWnd::minimizeWindow() { showMinimized(); }
void CMainWnd::maximizeWindow() { showMaximized(); }  // a fixed-size window stays as it is
void CMainWnd::restoreWindow() { showNormal(); }

void CMainWnd::openSkinPicker(ui::ControlHandle anchor) { CSkinFrame::open(ui::widget(ui_, anchor)); }

void CMainWnd::showMessage(const std::string& key) { showMessageBox(this, "", key, true); }

void CMainWnd::setKeyboardAbTab(uint8_t value) {
    keyboard_.record[KeyboardRecord::kAbTab] = value;
    markDirty(DeviceKind::keyboard);
}

// "dpi_btn" carries the scale as a percentage of the layout's size in its user data ("125").
void CMainWnd::setDisplayScale(int percent) {
    if (percent < kMinScale || percent > kMaxScale) {
        debugLog("display scale " + std::to_string(percent) + "% ignored: outside 50..300");
        return;
    }
    if (!scaler_) scaler_ = std::make_unique<DisplayScaler>(this);
    scalePercent_ = percent;
    scaler_->apply(percent);
}

void CMainWnd::relayout() {
    if (scaler_) scaler_->apply(scalePercent_);
    if (QLayout* l = layout()) l->activate();
    update();
}

void CMainWnd::repaintAll() {
    if (QLayout* l = layout()) l->invalidate();
    relayout();
}

// ---- showing and hiding --------------------------------------------------------------------------

// Without a tray icon a hidden window could not be reached again, so it stays on screen.
void CMainWnd::hideOrKeepReachable() {
    if (trayAvailable_) hide();
    else if (!isVisible()) showNormal();
}

void CMainWnd::bringToFront() {
    showNormal();
    raise();
    activateWindow();
}

void CMainWnd::closeEvent(QCloseEvent* event) {
    shutdown();
    event->accept();
    emit quitRequested();
}

void CMainWnd::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && !isActiveWindow() && !captureExplainsDeactivation())
        removeKeyHook();
    QWidget::changeEvent(event);
}

void CMainWnd::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    QWindow* handle = windowHandle();
    if (handle && !screenWatched_) {
        screenWatched_ = true;
        // A move to a screen of another density: lay the window out again.
        connect(handle, &QWindow::screenChanged, this, [this] { relayout(); });
    }
    // The key capture watches this window's focus while it holds the keyboard (X11).
    keyboard().capture().setOwnerWindow(uintptr_t(winId()));
}

void CMainWnd::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (!painted_) {
        painted_ = true;
        debugLog("main window: first paint " + std::to_string(msSinceProgramStart()) + " ms after start");
    }
}
