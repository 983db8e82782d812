// The mouse over the virtual bus: read-all and save to device (with a 2920-byte recoil image and
// a 2048-byte macro image) as the program runs them, with their exchange counts as counters; and
// one step of dragging DPI slider 5 on the performance page, which stores the level and saves
// both mouse profile files on every step.
#include <benchmark/benchmark.h>

#include <QWidget>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/ui/Language.h"
#include "app/ui/UiQt.h"
#include "integration/BusFixture.h"
#include "mirror/MouseTransfers.h"
#include "perf/pages/PerformancePage.h"
#include "profile/ProfileFile.h"
#include "support/PageTestSupport.h"

namespace {

struct QuietHost : MouseSequenceHost {
    void showMessage(const std::string&) override {}
    void saveDeviceProfile() override {}
    void saveLightingProfile() override {}
    void refreshPages() override {}
    void showFirstFunctionPage() override {}
    void showProgress() override {}
    void hideProgressLater() override {}
    void markDirty() override {}
    void resetSystemSettings() override {}
    void applySystemSettings() override {}
};

std::string commandPath(const std::string& busDir) {
    HidTransport transport(testsupport::busRoots(busDir));
    if (!transport.enumerate()) return {};
    while (const char* p = transport.nextPath())
        if (parseProductId(p) == 0x6656 && parseInterfaceNumber(p) == 1) return p;
    return {};
}

struct Rig {
    testsupport::TempDir dir;
    sim::VirtualBus bus{dir.path()};
    DeviceChannel mouse{testsupport::busRoots(dir.path())};
    std::unique_ptr<MouseMirror> mirror = std::make_unique<MouseMirror>();
    QuietHost host;
    MouseTransfers transfers{*mirror, mouse, host};
    bool ready = false;

    Rig() {
        if (!bus.running() || !bus.plug("mouse")) return;
        ready = mouse.connect(commandPath(dir.path())) == 1;
        transfers.setRecoilStep([](size_t, std::vector<uint8_t>& image) {
            image.assign(2920, 0x11);
            return int(ImageReady);
        });
        transfers.setMacroStep([](size_t capacity, std::vector<uint8_t>& image) {
            image.assign(capacity, 0x22);
            return int(ImageReady);
        });
    }
    size_t requests() {
        size_t n = 0;
        for (const sim::WireRecord& r : bus.wireRecords()) n += r.dir == sim::WireDir::Out;
        bus.clearWireRecords();
        return n;
    }
};

Rig& rig() {
    static Rig* r = new Rig;
    return *r;
}

void BM_MouseReadAll(benchmark::State& state) {
    Rig& r = rig();
    if (!r.ready) return state.SkipWithError("no emulated mouse");
    r.requests();
    for (auto _ : state) benchmark::DoNotOptimize(r.transfers.readAll());
    state.counters["exchanges"] = double(r.requests()) / double(state.iterations());
}
BENCHMARK(BM_MouseReadAll)->UseRealTime()->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

void BM_MouseSaveToDevice(benchmark::State& state) {
    Rig& r = rig();
    if (!r.ready) return state.SkipWithError("no emulated mouse");
    r.transfers.readAll();
    r.requests();
    for (auto _ : state) r.transfers.saveToDevice();
    state.counters["exchanges"] = double(r.requests()) / double(state.iterations());
}
BENCHMARK(BM_MouseSaveToDevice)->UseRealTime()->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

// One drag step: the label, the record, the dirty mark and both profile files written (the
// lighting file of 64 bytes, the device file of 576) with an atomic replace each, as the
// profile store writes them.
struct SavingHost : PerformanceHost {
    testsupport::TempDir dir;
    MouseMirror& mirror;
    explicit SavingHost(MouseMirror& m) : mirror(m) {}
    void markMouseDirty() override {}
    void saveMouseProfiles() override {
        saveMouseLightingProfile();
        std::vector<uint8_t> device(576);
        std::copy(mirror.keyTables[0].begin(), mirror.keyTables[0].end(), device.begin());
        std::copy(mirror.record.begin(), mirror.record.end(), device.begin() + 512);
        writeProfileFile(dir.file("device.config"), device.data(), device.size(), ProfileTagMouse);
    }
    void saveMouseLightingProfile() override {
        mirror::SettingsBlock block{};
        std::copy(mirror.record.begin(), mirror.record.end(), block.begin());
        writeProfileFile(dir.file("lighting.led"), block.data(), block.size(), ProfileTagMouse);
    }
};

void BM_DpiDragStep(benchmark::State& state) {
    testsupport::ensureQtApplication();
    ui::setSkinDir(std::string(ZELKAR_SOURCE_DIR_DEFAULT) + "/skin");
    ui::Language::instance().load("lan_en.xml");
    ui::Ui ui;
    QWidget window;
    ui::buildInto(ui, &window, "main.xml");
    auto mirror = std::make_unique<MouseMirror>();
    mirror->deviceInfo[9] = 0x25, mirror->deviceInfo[10] = 0x33, mirror->deviceInfo[11] = 100, mirror->deviceInfo[12] = 48;
    SavingHost host(*mirror);
    PerformancePage page(ui, *mirror, host);
    page.fill();
    int position = 0;
    for (auto _ : state) {
        position = (position + 1) % 49;
        ui.setValue("ms_DPI5_slider", position, false);
        page.dpiValueChanged(5, position, true);
    }
}
BENCHMARK(BM_DpiDragStep)->UseRealTime()->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();

}  // namespace

BENCHMARK_MAIN();
