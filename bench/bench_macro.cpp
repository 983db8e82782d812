// Macro figures: loading a long macro into the action list on the real layout (offscreen unless a
// DISPLAY is given), building the device image, and the pause the recorder measures between two
// XTest events sent 30 ms apart (with a DISPLAY only; counter "pause_ms").
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QWidget>
#include <cstdlib>
#include <memory>

#include "app/ui/UiQt.h"
#include "macro/MacroStore.h"
#include "macro/MacroTable.h"
#include "macro/MacroTransfer.h"
#include "macro/pages/MacroActionList.h"
#include "support/TestSupport.h"

#ifdef ZELKAR_HAVE_X11
#include "macro/MacroRecorder.h"
#include "platform/linux/x11/X11InputCapture.h"

#include <QElapsedTimer>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#endif

namespace {

using namespace macro;

std::vector<MacroAction> actions(int n) {
    std::vector<MacroAction> out;
    out.reserve(std::size_t(n));
    for (int i = 0; i < n; ++i)
        out.push_back(*parseActionLine(std::to_string(i % 200) + ",0," + (i % 2 ? "138" : "10") + ",4," +
                                       (i % 2 ? "1" : "0") + ",keyboard_key_A"));
    return out;
}

void ensureApp() {
    static int argc = 1;
    static char name[] = "bench-macro";
    static char* argv[] = {name, nullptr};
    if (!std::getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (!QCoreApplication::instance()) new QApplication(argc, argv);
}

// From the action file on disk to a list the user can scroll and click.
void BM_LoadAndShowMacro(benchmark::State& state) {
    ensureApp();
    testsupport::TempDir dir;
    MacroStore store(dir.path() + "/", MacroListKind::keyboard);
    std::string name;
    store.add(&name);
    store.saveActions(name, actions(int(state.range(0))));
    ui::setSkinDir(std::string(ZELKAR_SOURCE_DIR_DEFAULT) + "/skin");
    ui::Ui ui;
    QWidget window;
    ui::buildInto(ui, &window, "main.xml");
    MacroActionList list(ui, "kb_", [] {});
    for (auto _ : state) {
        list.setActions(store.loadActions(name));
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(ui.itemCount("kb_Macro_list"));
    }
    state.counters["rows"] = double(ui.itemCount("kb_Macro_list"));
}
BENCHMARK(BM_LoadAndShowMacro)->Arg(5000)->Unit(benchmark::kMillisecond);

void BM_BuildImage(benchmark::State& state) {
    const MacroList macros(std::size_t(state.range(0)), actions(int(state.range(1))));
    for (auto _ : state) benchmark::DoNotOptimize(buildMacroImage(macros).data());
}
BENCHMARK(BM_BuildImage)->Args({50, 100})->Unit(benchmark::kMicrosecond);

// The whole step before command 21: the list and 50 action files read and parsed, then the image.
void BM_ImageFromFiles(benchmark::State& state) {
    testsupport::TempDir dir;
    MacroStore store(dir.path() + "/", MacroListKind::keyboard);
    for (int i = 0; i < 50; ++i) {
        std::string name;
        store.add(&name);
        store.saveActions(name, actions(100));
    }
    for (auto _ : state) benchmark::DoNotOptimize(buildMacroImage(loadMacroList(store)).data());
}
BENCHMARK(BM_ImageFromFiles)->Unit(benchmark::kMillisecond);

#ifdef ZELKAR_HAVE_X11
void BM_RecordedPauseBetweenXTestEvents(benchmark::State& state) {
    ensureApp();
    Display* display = std::getenv("DISPLAY") ? XOpenDisplay(nullptr) : nullptr;
    std::unique_ptr<X11InputCapture> capture = display ? X11InputCapture::open() : nullptr;
    if (!capture) {
        state.SkipWithError("no X display");
        return;
    }
    MacroRecorder recorder;
    std::vector<int> pauses;
    capture->setKeySink([&](uint32_t, const CapturedKey& key) {
        if (auto s = recorder.key(key.virtualKey, key.flags, (key.flags & 0x80) == 0, 0, key.time))
            pauses.push_back(s->pauseBeforeMs);
    });
    capture->install(HookMode::KeyboardMacro, true, false);
    QElapsedTimer timer;
    timer.start();
    while (!capture->grabbed() && timer.elapsed() < 2000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    const KeyCode b = XKeysymToKeycode(display, XK_b);
    double total = 0;
    int measured = 0;
    for (auto _ : state) {
        pauses.clear();
        recorder.start(0, {});
        XTestFakeKeyEvent(display, b, True, 0);
        XTestFakeKeyEvent(display, b, False, 30);  // 30 ms after the press
        XSync(display, False);
        timer.restart();
        while (pauses.size() < 2 && timer.elapsed() < 2000) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (pauses.size() == 2) {
            total += pauses[1];
            ++measured;
        }
    }
    capture->remove();
    XCloseDisplay(display);
    state.counters["pause_ms"] = measured ? total / measured : -1;
}
BENCHMARK(BM_RecordedPauseBetweenXTestEvents)->Iterations(20)->Unit(benchmark::kMillisecond);
#endif

}  // namespace

BENCHMARK_MAIN();
