// A keyboard that lies: the emulated keyboard on an in-process bus is given the input as its
// memory (key count, default key table, settings blocks, key tables) and refuses commands the
// input picks, and the program reads it whole (and then its settings block again) into a mirror.
// Whatever it answers, the reads stay within the mirror, the transfer size within 512 bytes, the
// active profile within 0..4, and a read that failed leaves the mirror as it was.
//
// Input: byte 0 key count; byte 1 and 2: command and chunk (1-based) to refuse (0: none);
// the rest, in turn, the default key table, the settings area and the key tables.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "mirror/KeyboardTransfers.h"
#include "sim/VirtualBus.h"

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

std::string busFolder() {
    char name[] = "/tmp/zelkar-fuzz-bus.XXXXXX";
    const char* made = mkdtemp(name);
    return made ? made : "/tmp";
}

struct Rig {
    std::string dir = busFolder();
    sim::VirtualBus bus{dir, sim::BusOptions{"", false}};
    HidRoots roots;
    std::unique_ptr<DeviceChannel> kb, small, companion;
    std::unique_ptr<KeyboardMirror> mirror = std::make_unique<KeyboardMirror>();
    NoHost host;
    std::unique_ptr<KeyboardTransfers> transfers;

    Rig() {
        roots.useHidraw = false;
        roots.vhidBus = dir;
        kb = std::make_unique<DeviceChannel>(roots);
        small = std::make_unique<DeviceChannel>(roots);
        companion = std::make_unique<DeviceChannel>(roots);
        transfers = std::make_unique<KeyboardTransfers>(*mirror, KeyboardChannels{*kb, *small, *companion}, host);
        if (!bus.plug("kb")) __builtin_trap();
        HidTransport t(roots);
        t.enumerate();
        while (const char* p = t.nextPath()) {
            const std::string path = p;
            if (parseProductId(path) == 0x751D && parseCollectionNumber(path) == 4) kb->connect(path);
        }
        if (!kb->isConnected()) __builtin_trap();
    }
};

// Fills a device area from the input, as far as both go.
void fill(sim::VirtualBus& bus, sim::Area area, size_t areaSize, const uint8_t*& data, size_t& size) {
    const size_t n = std::min(areaSize, size);
    if (n) bus.poke("kb", area, 0, std::vector<uint8_t>(data, data + n));
    data += n;
    size -= n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Rig* rig = new Rig;
    if (size < 3) return 0;
    sim::VirtualBus& bus = rig->bus;
    bus.restoreFactory("kb");
    bus.clearFaults("kb");
    bus.poke("kb", sim::Area::Info, 5, {data[0]});
    if (data[1]) bus.failCommand("kb", data[1], data[2] & 1 ? 0xFF : 0xFE, 1 + data[2] % 12);
    data += 3;
    size -= 3;
    fill(bus, sim::Area::DefaultKeys, 512, data, size);
    fill(bus, sim::Area::Settings, 320, data, size);
    fill(bus, sim::Area::Keys, 640, data, size);

    auto before = std::make_unique<KeyboardMirror>(*rig->mirror);
    const bool read = rig->transfers->readAll(false);
    if (!read && std::memcmp(before.get(), rig->mirror.get(), sizeof(KeyboardMirror)) != 0) __builtin_trap();
    if (rig->kb->transferSize() > DeviceChannel::kMaxTransferSize) __builtin_trap();
    if (read && rig->mirror->record[KeyboardRecord::kProfile] >= mirror::kOnboardProfiles) __builtin_trap();
    rig->transfers->rereadBlock0();
    rig->transfers->writeAbFlag(true);
    if (!rig->kb->isConnected()) __builtin_trap();  // a refusal is not an unplug
    return 0;
}
