#include "sim/DeviceModel.h"

#include <cstring>

namespace sim {
namespace {

enum class Access { Read, Write, Ack, Info, Reset };

struct CommandRule {
    uint8_t command;
    Access access;
    Area area;
};

// What each command does on the device; a command whose area the device lacks is unknown to it.
constexpr CommandRule kCommands[] = {
    {CmdBeginTransfer, Access::Ack, Area::Info},
    {CmdEndTransfer, Access::Ack, Area::Info},
    {CmdReadDeviceInfo, Access::Info, Area::Info},
    {CmdReadBlock, Access::Read, Area::Settings},
    {CmdWriteBlock, Access::Write, Area::Settings},
    {CmdReadDefaultKeyTable, Access::Read, Area::DefaultKeys},
    {CmdReadKeyTable, Access::Read, Area::Keys},
    {CmdWriteKeyTable, Access::Write, Area::Keys},
    {CmdResetDevice, Access::Reset, Area::Info},
    {CmdStreamFrame, Access::Write, Area::Frame},
    {CmdWriteMacroTable, Access::Write, Area::Macro},
    {CmdWriteRecoilTable, Access::Write, Area::Recoil},
};

const CommandRule* ruleFor(uint8_t command) {
    for (const CommandRule& r : kCommands)
        if (r.command == command) return &r;
    return nullptr;
}

void seal(CommandReport& r) { sealCommandReport(r); }

}  // namespace

DeviceModel::DeviceModel(const DeviceDefinition& def) : def_(&def), name_(def.name) { restoreAll(); }

bool DeviceModel::isCommandRequest(unsigned iface, const uint8_t* report, size_t length) const {
    return iface == def_->commandInterface && length == kCommandReportSize && report != nullptr &&
           report[0] == kCommandReportId;
}

std::optional<CommandReport> DeviceModel::handleOutput(unsigned iface, const uint8_t* report, size_t length) {
    if (!isCommandRequest(iface, report, length)) return std::nullopt;
    return answer(report);
}

std::vector<uint8_t> DeviceModel::answerUnder(const FaultDecision& decision, unsigned iface, const uint8_t* report,
                                              size_t length) {
    const CommandReport answer = decision.forcedStatus >= 0 ? statusAnswer(report, uint8_t(decision.forcedStatus))
                                                            : *handleOutput(iface, report, length);
    std::vector<uint8_t> bytes(answer.bytes(), answer.bytes() + kCommandReportSize);
    if (decision.garble == Garble::WrongId) bytes[0] = kWrongReportId;
    if (decision.garble == Garble::Short) bytes.resize(kShortAnswerLength);
    return bytes;
}

CommandReport DeviceModel::statusAnswer(const uint8_t* request, uint8_t status) {
    CommandReport r{};
    r.reportId = kCommandReportId;
    r.command = request[3];
    r.length = request[4];
    r.addressLow = request[5];
    r.addressHigh = request[6];
    r.status = status;
    seal(r);
    return r;
}

CommandReport DeviceModel::answer(const uint8_t* request) {
    const uint8_t command = request[3];
    const uint8_t length = request[4];
    const uint32_t address = uint32_t(request[5] | (request[6] << 8));
    const uint16_t sum = commandChecksum(request);
    const bool checksumOk = request[1] == uint8_t(sum & 0xFF) && request[2] == uint8_t(sum >> 8);
    const bool unsealed = request[1] == 0 && request[2] == 0;

    const CommandRule* rule = ruleFor(command);
    if (rule && rule->access != Access::Ack && rule->access != Access::Info &&
        rule->access != Access::Reset && area(rule->area).empty())
        rule = nullptr;  // this device has no such memory: the command is not part of its set

    const bool sealedOk = checksumOk || (rule && rule->access == Access::Reset && unsealed);
    if (!rule || !sealedOk || length > kCommandDataSize) return statusAnswer(request, kStatusMalformed);

    CommandReport r = statusAnswer(request, kStatusOk);
    uint8_t status = kStatusOk;
    switch (rule->access) {
    case Access::Ack:
        break;
    case Access::Info:
        std::memcpy(r.data, area(Area::Info).data(), kInfoSize);
        break;
    case Access::Reset:
        factoryReset();
        break;
    case Access::Read:
        status = length == 0 ? kStatusMalformed : readArea(rule->area, address, length, r.data);
        break;
    case Access::Write:
        status = length == 0 ? kStatusMalformed : writeArea(rule->area, address, length, request + 8);
        if (rule->area == Area::Frame) {
            if (status == kStatusOk) frameChunkWritten(address, length);
            else runFilled_ = kNoRun;
        }
        break;
    }
    if (status != kStatusOk) return statusAnswer(request, status);
    seal(r);
    return r;
}

uint8_t DeviceModel::readArea(Area a, uint32_t address, uint8_t length, uint8_t* out) const {
    const std::vector<uint8_t>& mem = area(a);
    if (address + length > mem.size()) return kStatusOutOfRange;
    std::memcpy(out, mem.data() + address, length);
    return kStatusOk;
}

uint8_t DeviceModel::writeArea(Area a, uint32_t address, uint8_t length, const uint8_t* data) {
    std::vector<uint8_t>& mem = areas_[size_t(a)];
    size_t limit = mem.size();
    if (a == Area::Macro) {
        // The capacity the device reports is what it accepts, even where its memory is larger.
        const size_t capacity = size_t(area(Area::Info)[6]) * 128;
        if (capacity < limit) limit = capacity;
    }
    if (address + length > limit) return kStatusOutOfRange;
    std::memcpy(mem.data() + address, data, length);
    return kStatusOk;
}

void DeviceModel::frameChunkWritten(uint32_t address, uint8_t length) {
    if (address == 0) runFilled_ = 0;
    if (runFilled_ == kNoRun) return;
    if (address == runFilled_ || address == runLastChunk_) {
        runLastChunk_ = address;
        runFilled_ = address + length;
    } else {
        runFilled_ = kNoRun;  // a chunk went missing: this run can never be whole
        return;
    }
    if (runFilled_ == area(Area::Frame).size()) {
        lastFrame_ = area(Area::Frame);
        ++frames_;
        runFilled_ = kNoRun;
    }
}

void DeviceModel::forgetFrame() {
    runFilled_ = kNoRun;
    runLastChunk_ = kNoRun;
    lastFrame_.reset();
}

bool DeviceModel::peek(Area a, size_t offset, size_t length, std::vector<uint8_t>* out) const {
    const std::vector<uint8_t>& mem = area(a);
    if (!rangeProblem(a, offset, length).empty()) return false;
    out->assign(mem.begin() + ptrdiff_t(offset), mem.begin() + ptrdiff_t(offset + length));
    return true;
}

bool DeviceModel::poke(Area a, size_t offset, const uint8_t* bytes, size_t length) {
    std::vector<uint8_t>& mem = areas_[size_t(a)];
    if (!rangeProblem(a, offset, length).empty()) return false;
    if (length) std::memcpy(mem.data() + offset, bytes, length);
    return true;
}

std::string DeviceModel::rangeProblem(Area a, size_t offset, size_t length) const {
    const size_t size = area(a).size();
    if (size == 0) return name_ + " has no " + areaName(a) + " area";
    if (offset > size || length > size - offset)
        return std::string(areaName(a)) + " of " + name_ + " holds " + std::to_string(size) +
               " bytes; offset " + std::to_string(offset) + " length " + std::to_string(length) +
               " goes past its end";
    return {};
}

void DeviceModel::factoryReset() {
    for (Area a : {Area::Settings, Area::Keys, Area::Macro, Area::Recoil, Area::Frame})
        areas_[size_t(a)] = factoryContents(*def_, a);
    forgetFrame();
    ++resets_;
}

void DeviceModel::restoreAll() {
    for (size_t i = 0; i < kAreaCount; ++i) areas_[i] = factoryContents(*def_, Area(i));
    forgetFrame();
}

}  // namespace sim
