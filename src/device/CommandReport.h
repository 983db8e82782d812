// The 64-byte report that carries every device command, in both directions.
//
//   byte 0     report id, always 4 in a request
//   bytes 1,2  checksum of bytes 3..63 (low, high); command 13 goes without one
//   byte 3     command
//   byte 4     number of data bytes that matter
//   bytes 5,6  device address of the first data byte (low, high)
//   byte 7     status: 0 in a request; the device answers 0xFF or 0xFE when it refuses one
//   bytes 8..  up to 56 data bytes
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint8_t kCommandReportId = 4;
constexpr size_t kCommandReportSize = 64;
constexpr size_t kCommandDataSize = 56;

enum CommandCode : uint8_t {
    CmdBeginTransfer = 1,
    CmdEndTransfer = 2,
    CmdReadDeviceInfo = 3,
    CmdReadBlock = 5,
    CmdWriteBlock = 6,
    CmdReadDefaultKeyTable = 7,
    CmdReadKeyTable = 8,
    CmdWriteKeyTable = 9,
    CmdResetDevice = 13,
    CmdStreamFrame = 18,
    CmdWriteMacroTable = 21,
    CmdWriteRecoilTable = 23,
};

constexpr uint8_t kStatusRejected = 0xFF;  // -> result -102
constexpr uint8_t kStatusBusy = 0xFE;      // -> result -103

struct CommandReport {
    uint8_t reportId;
    uint8_t checksumLow;
    uint8_t checksumHigh;
    uint8_t command;
    uint8_t length;
    uint8_t addressLow;
    uint8_t addressHigh;
    uint8_t status;
    uint8_t data[kCommandDataSize];

    uint16_t address() const { return uint16_t(addressLow | (addressHigh << 8)); }
    void setAddress(uint32_t a) {
        addressLow = uint8_t(a & 0xFF);
        addressHigh = uint8_t((a >> 8) & 0xFF);
    }
    const uint8_t* bytes() const { return &reportId; }
    uint8_t* bytes() { return &reportId; }
};
static_assert(sizeof(CommandReport) == kCommandReportSize, "a command report is 64 bytes");

// Sum of bytes 3..63 as unsigned numbers (at most 61 * 255).
inline uint16_t commandChecksum(const uint8_t* report64) {
    uint32_t sum = 0;
    for (size_t i = 3; i < kCommandReportSize; ++i) sum += report64[i];
    return uint16_t(sum);
}

// Stores the checksum in bytes 1 and 2; call last, on the request as it goes on the wire.
inline void sealCommandReport(CommandReport& r) {
    const uint16_t sum = commandChecksum(r.bytes());
    r.checksumLow = uint8_t(sum & 0xFF);
    r.checksumHigh = uint8_t(sum >> 8);
}
