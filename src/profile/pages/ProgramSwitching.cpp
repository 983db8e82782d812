#include "profile/pages/ProgramSwitching.h"

#include <mutex>

#include "profile/ProgramWatcher.h"

class ProgramSwitching::Gate : public ProgramWatcher::Host, public std::enable_shared_from_this<Gate> {
public:
    Gate(ProfilePanels& panels, Post post) : panels_(&panels), post_(std::move(post)) {}

    void close() {
        std::lock_guard<std::mutex> lock(mutex_);
        panels_ = nullptr;
    }

    void select(ProfileList list, int linkedEntry) override {
        send([list, linkedEntry](ProfilePanels& panels) { panels.operations().watcherSelect(list, linkedEntry); });
    }
    void restore(ProfileList list) override {
        send([list](ProfilePanels& panels) { panels.operations().watcherRestore(list); });
    }
    void foregroundUnavailable() override {
        // Both watchers find it; the panels are told once.
        std::call_once(toldOnce_, [this] {
            send([](ProfilePanels& panels) { panels.showForegroundUnavailable(); });
        });
    }

private:
    // Posted while the gate is open; run on the UI thread only if it still is.
    void send(std::function<void(ProfilePanels&)> call) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!panels_) return;
        post_([self = shared_from_this(), call = std::move(call)] {
            ProfilePanels* panels = nullptr;
            {
                std::lock_guard<std::mutex> inner(self->mutex_);
                panels = self->panels_;
            }
            if (panels) call(*panels);
        });
    }

    std::mutex mutex_;
    ProfilePanels* panels_;
    Post post_;
    std::once_flag toldOnce_;
};

ProgramSwitching::ProgramSwitching(ProfilePanels& panels, Post post)
    : gate_(std::make_shared<Gate>(panels, std::move(post))) {}

ProgramSwitching::~ProgramSwitching() { gate_->close(); }

void ProgramSwitching::start(const StartWorker& startWorker, int lightingSlot, int deviceSlot,
                             std::shared_ptr<ForegroundProgram> source) {
    if (!source) source = makeForegroundProgram();
    auto lighting = std::make_shared<ProgramWatcher>(ProfileList::keyboardLighting, source, gate_);
    auto device = std::make_shared<ProgramWatcher>(ProfileList::keyboardDevice, source, gate_);
    startWorker(lightingSlot, [lighting](StopEvent& stop) { lighting->run(stop); });
    startWorker(deviceSlot, [device](StopEvent& stop) { device->run(stop); });
}
