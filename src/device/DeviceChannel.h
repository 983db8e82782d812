// DeviceChannel: one device interface the program talks to with 64-byte command reports.
//
// Every command returns an integer result:
//     1     success
//     0     the channel is not connected, or no answer came after four attempts
//    -1     the request could not be written (also: a block length outside 1..56)
//  -102     the device answered status 0xFF
//  -103     the device answered status 0xFE
//  -201     profile number 5 or more given to readKeyTable / writeKeyTable (nothing is sent)
// A command on a channel that is not connected returns 0 at once and touches nothing, so callers
// need not check for the device first.
//
// Answers. Only a report that answers the request counts: report id 4, the request's command,
// length and address, and a checksum that adds up. Anything else that arrives within the time
// limit (a late answer to an earlier request, a spoiled report) is read and discarded.
//
// Gone and silent. A transfer that sees the device go (the transport's deviceGone) disconnects the
// channel at once and tells the gone handler, which has the device watcher remove it and find it
// again. A device that let all four attempts of a request go unanswered is silent: from then on
// each request gets one attempt, and the lighting stream sends no frames but one probing chunk a
// second, until an answer comes. A device that answers never sees a difference.
//
// Waiting. Between 20 ms slices of a wait the channel calls the wait pump (when one is set), so a
// window that waits for a device keeps handling its events. While a thread waits in an exchange,
// a second exchange started on that same thread (from the pump) returns 0 at once without writing.
//
// Locking: the channel lock is held for one request and its answer, never for a whole command,
// so two threads on one channel interleave their reports pair by pair and neither can take the
// other's answer. Multi-command sequences keep lighting frames (streamFrame) off the wire by
// clearing streamingEnabled for their duration.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "device/CommandReport.h"
#include "device/HidTransport.h"

enum ChannelResult : int {
    ResultOk = 1,
    ResultNoAnswer = 0,
    ResultWriteFailed = -1,
    ResultStatusRejected = -102,
    ResultStatusBusy = -103,
    ResultBadProfile = -201,
};

struct ChannelIdentity {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t usage = 0;
    uint16_t usagePage = 0;
};

class DeviceChannel {
public:
    static constexpr int kWriteTimeoutMs = 1000;
    static constexpr int kReadTimeoutMs = 300;
    static constexpr int kAttempts = 4;
    static constexpr int kWaitSliceMs = 20;
    static constexpr int kSilentProbeMs = 1000;
    static constexpr uint16_t kMaxTransferSize = 512;
    static constexpr size_t kDeviceInfoSize = 33;

    DeviceChannel();
    explicit DeviceChannel(const HidRoots& roots);
    DeviceChannel(const DeviceChannel&) = delete;
    DeviceChannel& operator=(const DeviceChannel&) = delete;

    // ---- management ----
    void setIdentity(uint16_t vendorId, uint16_t productId, uint16_t usage, uint16_t usagePage);
    ChannelIdentity identity() const;
    bool isConnected() const { return connected_.load(); }
    // 0 (and nothing changes) when n > 512, else 1.
    int setTransferSize(unsigned n);
    uint16_t transferSize() const { return transferSize_.load(); }
    // Opens the transport on path (read and write) under the lock; connected when it opened.
    int connect(const std::string& path);
    // Clears connected and closes the transport (a transfer blocked in another thread returns 0).
    void disconnect();

    // Called with the path of a handle that saw its device go (any thread, at most once per connect).
    void setGoneHandler(std::function<void(const std::string& path)> handler);
    // True after all attempts of a request went unanswered, until the next answer or connect.
    bool isSilent() const { return silent_.load(); }
    // The pump called between slices of every wait (see Waiting above); nullptr for none.
    static void setWaitPump(void (*pump)());
    // True while this thread waits in an exchange.
    static bool waitingOnThisThread();

    std::atomic<bool> effectsHeld{false};
    std::atomic<bool> streamingEnabled{true};

    // ---- commands ----
    int beginTransfer();                                                    // 1
    int endTransfer();                                                      // 2 (after a 10 ms pause)
    int readDeviceInfo(uint8_t* destination33);                             // 3
    int readBlock(uint8_t* destination, unsigned length, uint16_t address); // 5
    int writeBlock(const uint8_t* source, unsigned length, uint16_t address);  // 6 (clears effectsHeld)
    int readDefaultKeyTable(uint8_t* destination);                          // 7, transfer-size bytes
    int readKeyTable(uint8_t* destination, unsigned profile);               // 8, transfer-size bytes
    int writeKeyTable(const uint8_t* source, unsigned length, unsigned profile);  // 9
    int resetDevice();                                                      // 13, sent once, no checksum
    int streamFrame(const uint8_t* source, unsigned length);                // 18, only while streaming
    int writeMacroTable(const uint8_t* source, unsigned length);            // 21
    int writeRecoilTable(const uint8_t* source, unsigned length);           // 23

    HidTransport& transport() { return transport_; }

private:
    int exchange(const CommandReport& request, CommandReport* response);
    int exchangeOnce(CommandReport* report);
    int writeRequest(const CommandReport& request);
    int awaitAnswer(const CommandReport& request, CommandReport* response);
    void discardStaleAnswers();
    void noteGone();
    bool frameMaySend();
    int simple(uint8_t command, unsigned length, uint16_t address, const uint8_t* source, uint8_t* destination);
    int chunked(uint8_t command, unsigned total, unsigned base, const uint8_t* source, uint8_t* destination);

    HidTransport transport_;
    std::mutex lock_;                  // one request and its answer at a time on the transport
    mutable std::mutex identityMutex_;
    ChannelIdentity identity_;
    std::atomic<bool> connected_{false};
    std::atomic<bool> silent_{false};
    std::atomic<int64_t> lastProbeMs_{0};
    std::string path_;                 // the path connected last; under lock_
    std::mutex goneMutex_;
    std::function<void(const std::string&)> goneHandler_;
    std::atomic<uint16_t> transferSize_{kMaxTransferSize};
};

// -102 for status 0xFF, -103 for 0xFE, else 1.
int statusResult(const CommandReport& response);
