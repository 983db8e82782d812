// One emulated device: its onboard memory and how it answers command reports.
//
// A request is a 64-byte output report with report id 4 on the device's command interface. The
// answer is a 64-byte input report: byte 0 = 4, bytes 3..6 echo the request's command, length and
// address, byte 7 the status, read data from byte 8, and a checksum of bytes 3..63 in bytes 1..2
// built like a request's.
//
// Status byte of an answer:
//   0x00  done
//   0xFF  malformed request: checksum wrong, command unknown (or not one this device has),
//         length above 56, or length 0 for a command that moves data
//   0xFE  out of range: address + length beyond the area, or beyond the macro capacity
//
// Reports that are not 64 bytes, carry another report id, or arrive on another interface get no
// answer at all. Command 13 is the one request that carries no checksum (bytes 1 and 2 are 0);
// the device accepts it with either zeros there or a correct checksum, answers once and restores
// the writable areas (settings, keys, macro, recoil, frame) to their factory contents.
//
// Lighting frames: the keyboard shows a frame only once all of it has arrived. A frame is one
// run of command 18 chunks that starts at address 0 and continues, chunk after chunk, each at
// the end of the one before, until the frame area is full; the same chunk sent again (a retry)
// keeps the run going. A chunk anywhere else, or a refused one, breaks the run, and a broken or
// unfinished run never replaces the last complete frame. Command 13 forgets the frame too.
//
// Not thread-safe: the bus serialises calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "device/CommandReport.h"
#include "sim/DeviceCatalog.h"
#include "sim/FaultPlan.h"

namespace sim {

constexpr uint8_t kStatusOk = 0x00;
constexpr uint8_t kStatusMalformed = 0xFF;    // same value as kStatusRejected
constexpr uint8_t kStatusOutOfRange = 0xFE;   // same value as kStatusBusy

class DeviceModel {
public:
    explicit DeviceModel(const DeviceDefinition& def);

    const DeviceDefinition& definition() const { return *def_; }
    const std::string& name() const { return name_; }

    // Handles one output report the program wrote on interface `iface`. Returns the answer, or
    // nothing when the report is not a command request (see above).
    std::optional<CommandReport> handleOutput(unsigned iface, const uint8_t* report, size_t length);

    // True when handleOutput would treat this report as a command request (answered, maybe with
    // an error status).
    bool isCommandRequest(unsigned iface, const uint8_t* report, size_t length) const;

    // Builds the answer `request` would get with `status` and no data, without touching memory
    // (used to inject an error status).
    static CommandReport statusAnswer(const uint8_t* request, uint8_t status);
    // The bytes a command request is answered with under a fault decision that does not swallow
    // it: the forced status (memory untouched) or the handled request, spoiled as the decision says.
    std::vector<uint8_t> answerUnder(const FaultDecision& decision, unsigned iface, const uint8_t* report,
                                     size_t length);

    // Memory access for tests and the control console. peek/poke fail (false) when the range lies
    // outside the area or the device has no such area; nothing is changed then.
    const std::vector<uint8_t>& area(Area a) const { return areas_[size_t(a)]; }
    bool peek(Area a, size_t offset, size_t length, std::vector<uint8_t>* out) const;
    bool poke(Area a, size_t offset, const uint8_t* bytes, size_t length);
    // Why a peek or poke of that range fails, as a one-line message ("" when it would not).
    std::string rangeProblem(Area a, size_t offset, size_t length) const;

    // Restores the writable areas to factory contents, as command 13 does.
    void factoryReset();
    // Restores every area, including device information and the default key table.
    void restoreAll();

    unsigned resetCount() const { return resets_; }

    // The last complete lighting frame (kFrameSize bytes), or nothing when none has arrived
    // since the device was made or reset; frameCount() counts the complete frames.
    const std::optional<std::vector<uint8_t>>& lastFrame() const { return lastFrame_; }
    unsigned frameCount() const { return frames_; }

private:
    CommandReport answer(const uint8_t* request);
    uint8_t readArea(Area a, uint32_t address, uint8_t length, uint8_t* out) const;
    uint8_t writeArea(Area a, uint32_t address, uint8_t length, const uint8_t* data);
    void frameChunkWritten(uint32_t address, uint8_t length);
    void forgetFrame();

    const DeviceDefinition* def_;
    std::string name_;
    std::vector<uint8_t> areas_[kAreaCount];
    unsigned resets_ = 0;

    static constexpr size_t kNoRun = SIZE_MAX;
    size_t runFilled_ = kNoRun;     // bytes of the frame under way received in order
    size_t runLastChunk_ = kNoRun;  // where its last chunk began
    std::optional<std::vector<uint8_t>> lastFrame_;
    unsigned frames_ = 0;
};

}  // namespace sim
