// The lighting features as the main window hosts them: the keyboard's effect engine with its
// thread (worker slot 5), the three lighting pages, and the window's side of what they ask for
// (dirty flags, profile saves, the effects-held flags, the A/B write, the key labels).
//
// The UI thread owns every record: the engine sees the keyboard's lighting only through what
// publish() hands it, on every frame tick and after every change, and its breathing count comes
// back into the record here.
#pragma once

#include <array>
#include <memory>

#include "app/ui/Ui.h"
#include "lighting/EffectEngine.h"
#include "lighting/LightingHost.h"
#include "lighting/pages/LightingPages.h"

class CMainWnd;
class KeyboardFeatures;

// What the effect thread shares with the window: kept alive by the thread itself, so a thread
// left running after the shutdown wait never touches freed memory.
struct EffectShared {
    LightingPhase phase;
    lighting::EffectEngine engine{phase};
};

class LightingFeatures : public lighting::LightingHost {
public:
    LightingFeatures(CMainWnd& window, KeyboardFeatures& keyboard);
    ~LightingFeatures() override;

    // Worker slot 5.
    void startEffects();
    // Everything routed to the lighting pages and the same-mode buttons.
    void onNotification(const ui::Notification& n, int index);
    void refreshKeyboard();
    void refreshMouse();
    void refreshPad();
    // Timer 3.
    void advancePhase() { shared_->phase.advance(); }
    // Timer 9: the frame buffer goes to the keyboard (modes 0..7) and to the key pictures.
    void presentFrame();

    lighting::EffectEngine& engine() { return shared_->engine; }
    const LightingPhase& phase() const { return shared_->phase; }
    LightingPages& pages() { return *pages_; }

    // LightingHost
    void mark(lighting::LightDevice device) override;
    void save(lighting::LightDevice device) override;
    void holdEffects() override;
    void writeAbFlagLater() override;
    void refreshKeyLabels() override;

private:
    void publish();

    CMainWnd& window_;
    KeyboardFeatures& keyboard_;
    std::shared_ptr<EffectShared> shared_ = std::make_shared<EffectShared>();
    std::unique_ptr<LightingPages> pages_;
    lighting::WireFrame wire_{};
    std::array<lighting::PreviewColour, lighting::kKeyPictures> preview_{};
};
