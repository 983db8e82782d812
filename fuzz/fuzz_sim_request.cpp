// Feeds arbitrary reports to the emulated devices' request handling, with faults armed from the
// input, and checks what every answer must hold.
//
// Input: byte 0 picks the device, byte 1 arms faults; then a sequence of reports, each led by a
// header byte: bit 0 the interface, bit 6 "seal" (report id 4 and a correct checksum, so the
// handler gets past its first checks), bit 7 "full 64 bytes", else bits 1..5 give the length.
// Header 0x3E (length 31, unsealed) instead runs a peek/poke/reset step from the next bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "sim/DeviceCatalog.h"
#include "sim/DeviceModel.h"
#include "sim/FaultPlan.h"

namespace {

void check(bool condition) {
    if (!condition) __builtin_trap();
}

struct Input {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    bool empty() const { return at >= size; }
    uint8_t byte() { return at < size ? data[at++] : 0; }
    size_t take(uint8_t* out, size_t n) {
        const size_t got = n < size - at ? n : size - at;
        std::memcpy(out, data + at, got);
        at += got;
        return got;
    }
};

void armFaults(sim::FaultPlan& plan, uint8_t selector, Input& in) {
    if (selector & 0x01) plan.drop(in.byte() & 3);
    if (selector & 0x02) plan.failCommand(in.byte(), (selector & 0x80) ? 0xFE : 0xFF, in.byte() & 7);
    if (selector & 0x04) plan.unplugAfter(in.byte() & 15);
    if (selector & 0x08) plan.garble(in.byte() & 3, (selector & 0x40) ? sim::Garble::Short : sim::Garble::WrongId);
    if (selector & 0x10) plan.delay(in.byte() & 3, 10);
    if (selector & 0x20) plan.failCommand(in.byte(), 0x42);
}

void memoryStep(sim::DeviceModel& model, Input& in) {
    const sim::Area area = sim::Area(in.byte() % sim::kAreaCount);
    const size_t offset = size_t(in.byte()) << (in.byte() & 7);
    uint8_t bytes[64];
    const size_t length = in.take(bytes, in.byte() & 63);
    const size_t before = model.area(area).size();
    std::vector<uint8_t> out;
    const bool inside = before > 0 && offset <= before && length <= before - offset;
    check(model.peek(area, offset, length, &out) == inside);
    check(model.poke(area, offset, bytes, length) == inside);
    check(model.rangeProblem(area, offset, length).empty() == inside);
    if (length & 1) model.factoryReset();
    check(model.area(area).size() == before);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in{data, size};
    const auto catalog = sim::deviceCatalog();
    sim::DeviceModel model(catalog[in.byte() % catalog.size()]);
    sim::FaultPlan plan;
    armFaults(plan, in.byte(), in);

    size_t sizes[sim::kAreaCount];
    for (size_t a = 0; a < sim::kAreaCount; ++a) sizes[a] = model.area(sim::Area(a)).size();

    while (!in.empty()) {
        const uint8_t header = in.byte();
        if (header == 0x3E) {
            memoryStep(model, in);
            continue;
        }
        const unsigned iface = header & 1;
        uint8_t report[64] = {};
        const size_t length = (header & 0x80) ? 64 : ((header >> 1) & 0x1F) * 2 + 1;
        in.take(report, length);
        if (header & 0x40) {
            report[0] = kCommandReportId;
            CommandReport r;
            std::memcpy(&r, report, sizeof r);
            sealCommandReport(r);
            std::memcpy(report, &r, sizeof r);
        }
        if (!model.isCommandRequest(iface, report, length)) {
            check(!model.handleOutput(iface, report, length).has_value());
            continue;
        }
        const sim::FaultDecision decision = plan.onRequest(report[3]);
        check(!decision.unplug || decision.swallow);
        if (decision.swallow) continue;
        const auto answer = decision.forcedStatus >= 0
                                ? sim::DeviceModel::statusAnswer(report, uint8_t(decision.forcedStatus))
                                : *model.handleOutput(iface, report, length);
        // Every answer: report id 4, the request's header echoed, a valid checksum, a known status.
        check(answer.reportId == kCommandReportId);
        check(std::memcmp(answer.bytes() + 3, report + 3, 4) == 0);
        const uint16_t sum = commandChecksum(answer.bytes());
        check(answer.checksumLow == (sum & 0xFF) && answer.checksumHigh == (sum >> 8));
        if (decision.forcedStatus < 0)
            check(answer.status == sim::kStatusOk || answer.status == sim::kStatusMalformed ||
                  answer.status == sim::kStatusOutOfRange);
        if (answer.status != sim::kStatusOk)
            for (uint8_t b : answer.data) check(b == 0);
    }
    for (size_t a = 0; a < sim::kAreaCount; ++a) check(model.area(sim::Area(a)).size() == sizes[a]);
    return 0;
}
