// The mouse's and the pad's features as the main window hosts them: their transfer sequences,
// the mouse button page, the performance page, the pointer and wheel settings with the worker
// that applies them to the desktop, the recoil pattern page, the recoil and macro images of the
// mouse's save to device, and the window's side of what they ask for (dirty flags,
// profile saves, page refreshes, the progress indicator).
#pragma once

#include <functional>
#include <memory>

#include "keys/pages/MouseButtonPage.h"
#include "macro/MacroStore.h"
#include "macro/RecoilPatterns.h"
#include "macro/pages/RecoilPage.h"
#include "mirror/MouseTransfers.h"
#include "mirror/PadTransfers.h"
#include "perf/pages/PerformancePage.h"
#include "perf/pages/PointerWheelPage.h"
#include "platform/SystemSettings.h"

class CMainWnd;
class KeyboardFeatures;

class MouseFeatures : public MouseSequenceHost, public PadSequenceHost, public PerformanceHost {
public:
    // settings: the desktop backend; null for the one that fits the desktop in use.
    MouseFeatures(CMainWnd& window, KeyboardFeatures& keyboard, std::shared_ptr<SystemSettings> settings);
    ~MouseFeatures() override;

    MouseTransfers& mouseTransfers() { return *mouseTransfers_; }
    PadTransfers& padTransfers() { return *padTransfers_; }
    MouseButtonPage& buttonPage() { return *buttonPage_; }
    PerformancePage& performancePage() { return *performance_; }
    PointerWheelPage& pointerPage() { return *pointer_; }
    macro::RecoilPage& recoilPage() { return *recoilPage_; }
    SystemSettingsWorker& settingsWorker() { return *worker_; }
    // How the mouse and pad lighting pages are refreshed.
    void setLightingRefresh(std::function<void()> mouse, std::function<void()> pad) {
        refreshMouseLighting_ = std::move(mouse);
        refreshPadLighting_ = std::move(pad);
    }

    // The routed notifications of the owners these features fill.
    void onMouseMirror(const ui::Notification& n, int index);
    void onPadMirror(const ui::Notification& n);

    // MouseSequenceHost
    void showMessage(const std::string& key) override;
    void saveDeviceProfile() override;
    void saveLightingProfile() override;
    void refreshPages() override;
    void showFirstFunctionPage() override;
    void showProgress() override;
    void hideProgressLater() override;
    void markDirty() override;
    void resetSystemSettings() override;
    void applySystemSettings() override;
    // PadSequenceHost
    void refreshPage() override;
    void readAgainLater() override;
    // PerformanceHost
    void markMouseDirty() override { markDirty(); }
    void saveMouseProfiles() override;
    void saveMouseLightingProfile() override { saveLightingProfile(); }

private:
    void showMessageWith(const std::string& key, std::optional<int> value);
    int recoilImage(std::vector<uint8_t>& image);
    int macroImage(size_t capacity, std::vector<uint8_t>& image);

    CMainWnd& window_;
    KeyboardFeatures& keyboard_;
    std::function<void()> refreshMouseLighting_, refreshPadLighting_;
    std::unique_ptr<MouseTransfers> mouseTransfers_;
    std::unique_ptr<PadTransfers> padTransfers_;
    std::unique_ptr<MouseButtonPage> buttonPage_;
    std::unique_ptr<PerformancePage> performance_;
    std::unique_ptr<PointerWheelPage> pointer_;
    macro::RecoilStore recoilStore_;
    macro::MacroStore macroStore_;  // the mouse's macros, for the image save to device writes
    std::unique_ptr<macro::RecoilPage> recoilPage_;
    std::unique_ptr<SystemSettingsWorker> worker_;  // last: its thread ends before the rest goes
};
