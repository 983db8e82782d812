// A keyboard that lies: the emulated keyboard, answering in this thread, is given the input as its
// memory (key count, default key table, settings blocks, key tables), refuses commands the input
// picks, and may precede each answer with a repeat of the one before; the program reads it whole
// (and then its settings block again) into a mirror. Whatever it answers, the reads stay within
// the mirror, the transfer size within 512 bytes, the active profile within 0..4, and a read that
// failed leaves the mirror as it was.
//
// Input: byte 0 key count; byte 1: command to refuse (0: none); byte 2: bit 0 the status (0xFF or
// 0xFE), bit 7 stale repeats, the rest picks the chunk (1-based) refused; the rest, in turn, the
// default key table, the settings area and the key tables.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <sys/syscall.h>
#include <unistd.h>

#include "mirror/KeyboardTransfers.h"
#include "sim/InProcessDevice.h"

// The pause before command 2 is for a real keyboard's sake; the one answering here needs none,
// and two 10 ms pauses an input would cap the run at 50 inputs a second. Sleeps of the fuzzing
// thread return at once; every other thread sleeps as usual.
namespace {
thread_local bool t_noSleep = false;
}
extern "C" int nanosleep(const struct timespec* request, struct timespec* remaining) {
    if (t_noSleep) return 0;
    return int(syscall(SYS_nanosleep, request, remaining));
}

namespace {

struct NoHost : KeyboardSequenceHost {
    void showMessage(const std::string&) override {}
    void saveDeviceProfile() override {}
    void saveKeyProfile() override {}
    void showSettingsTab(bool) override {}
    void showFirstFunctionPage() override {}
    void setAbControlEnabled(bool) override {}
    void refreshPages() override {}
    void showProgress() override {}
    void hideProgressLater() override {}
};

struct Rig {
    sim::InProcessDevice device{*sim::findDevice("kb")};
    std::unique_ptr<DeviceChannel> kb, small, companion;
    std::unique_ptr<KeyboardMirror> mirror = std::make_unique<KeyboardMirror>();
    NoHost host;
    std::unique_ptr<KeyboardTransfers> transfers;

    Rig() {
        HidRoots roots;
        roots.useHidraw = roots.useVhid = false;
        kb = std::make_unique<DeviceChannel>(roots);
        small = std::make_unique<DeviceChannel>(roots);
        companion = std::make_unique<DeviceChannel>(roots);
        transfers = std::make_unique<KeyboardTransfers>(*mirror, KeyboardChannels{*kb, *small, *companion}, host);
        kb->transport().attachPeer(&device);
        if (kb->connect(device.commandPath()) != 1) __builtin_trap();
    }
};

// Fills a device area from the input, as far as both go.
void fill(sim::DeviceModel& model, sim::Area area, const uint8_t*& data, size_t& size) {
    const size_t n = std::min(model.area(area).size(), size);
    model.poke(area, 0, data, n);
    data += n;
    size -= n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Rig* rig = new Rig;
    if (size < 3) return 0;
    t_noSleep = true;
    sim::InProcessDevice& device = rig->device;
    device.model.restoreAll();
    device.faults.clear();
    device.model.poke(sim::Area::Info, 5, data, 1);
    if (data[1]) device.faults.failCommand(data[1], data[2] & 1 ? 0xFF : 0xFE, 1 + (data[2] & 0x7F) % 12);
    device.staleBefore = data[2] & 0x80;
    data += 3;
    size -= 3;
    fill(device.model, sim::Area::DefaultKeys, data, size);
    fill(device.model, sim::Area::Settings, data, size);
    fill(device.model, sim::Area::Keys, data, size);

    auto before = std::make_unique<KeyboardMirror>(*rig->mirror);
    const bool read = rig->transfers->readAll(false);
    if (!read && std::memcmp(before.get(), rig->mirror.get(), sizeof(KeyboardMirror)) != 0) __builtin_trap();
    if (rig->kb->transferSize() > DeviceChannel::kMaxTransferSize) __builtin_trap();
    if (read && rig->mirror->record[KeyboardRecord::kProfile] >= mirror::kOnboardProfiles) __builtin_trap();
    rig->transfers->rereadBlock0();
    rig->transfers->writeAbFlag(true);
    if (!rig->kb->isConnected()) __builtin_trap();  // a refusal is not an unplug
    t_noSleep = false;
    return 0;
}
