// The keyboard's features as the main window owns them: the profile store and panels, the
// keyboard transfer sequences, key capture and the keyboard key page, wired to each other and to
// the window.
#pragma once

#include <functional>
#include <memory>
#include <set>

#include "keys/pages/KeyboardKeyPage.h"
#include "mirror/KeyboardTransfers.h"
#include "platform/InputCapture.h"
#include "profile/ProfileStore.h"
#include "profile/pages/ProfilePanels.h"
#include "profile/pages/ProgramSwitching.h"

class CMainWnd;

class KeyboardFeatures : public KeyboardSequenceHost {
public:
    explicit KeyboardFeatures(CMainWnd& window);
    ~KeyboardFeatures() override;

    ProfilePanels& panels() { return *panels_; }
    KeyboardTransfers& transfers() { return *transfers_; }
    KeyboardKeyPage& keyPage() { return *keyPage_; }
    InputCapture& capture() { return *capture_; }
    ProfileStore& store() { return *store_; }
    // The pointer speed and wheel lines the mouse profile files carry.
    MouseSystemSettings& systemSettings() { return system_; }
    // Worker slots 9 and 10: the program watchers of the lighting and device lists.
    void startProgramWatchers();
    // How the keyboard lighting page is refreshed when a sequence changed the record.
    void setLightingRefresh(std::function<void()> refresh) { refreshLighting_ = std::move(refresh); }

    // KeyboardSequenceHost
    void showMessage(const std::string& key) override;
    void showNoticeLater(const std::string& key) override;
    void saveDeviceProfile() override;
    void saveKeyProfile() override;
    void showSettingsTab(bool lighting) override;
    void showFirstFunctionPage() override;
    void setAbControlEnabled(bool enabled) override;
    void refreshPages() override;
    void showProgress() override;
    void hideProgressLater() override;

private:
    void applyDeviceProfile();
    void applyKeyProfile();

    CMainWnd& window_;
    std::function<void()> refreshLighting_;
    MouseSystemSettings system_;
    std::unique_ptr<ProfileStore> store_;
    std::unique_ptr<ProfilePanels> panels_;
    std::unique_ptr<KeyboardTransfers> transfers_;
    std::set<std::string> noticesShown_;  // device notices on screen now: not opened twice
    std::unique_ptr<InputCapture> capture_;
    std::unique_ptr<KeyboardKeyPage> keyPage_;
    std::unique_ptr<ProgramSwitching> switching_;
};
