// HidTransport: one HID interface (one top-level collection), found by enumeration, opened by
// path, read and written a whole report at a time with time limits.
//
// Paths. Every top-level collection of every HID interface is its own path, tagged the way the
// identity readers expect:
//     hidraw:/dev/hidraw3#vid_0c45&pid_751d&mi_01&col04      a kernel hidraw node
//     vhid:/run/user/1000/zelkar-vhid/kb-if1#vid_0c45&...      an interface on the virtual bus
// "&colNN" is present only where the interface has several top-level collections (numbered from
// 1 in descriptor order). Numbers are lower-case hex.
//
// Reports. Byte 0 of every buffer is the report id, 0 for devices that number no reports (the
// transport prepends that 0 on input so buffers look the same everywhere). An open path only
// hands out input reports whose id belongs to its collection, and only writes output reports of
// its collection.
//
// Results. Every call answers 1 / true / a path on success and 0 / false / nullptr on failure,
// time-out, abort or unplug; nothing throws. A read or write that failed because the device went
// away (hang-up or error on the descriptor, EIO, ENODEV, the bus closing the connection) also
// raises deviceGone(), so callers tell "gone" from "no answer yet"; the next open clears it. A read or write that returns has finished with the
// caller's buffer: no late completion can land in it afterwards.
//
// Threads. One thread uses an object, except that open/close/destruction may come from another
// thread while a read or write is blocked: the blocked call then returns 0 promptly.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "device/hid/HidNode.h"
#include "device/hid/HidReportDescriptor.h"
#include "device/hid/WriterThread.h"

// Where the transport looks for interfaces. The defaults are the system's; tests point them at a
// fixture tree and a private bus directory.
struct HidRoots {
    std::string sysfs = "/sys";   // class/hidraw/hidrawN links below it
    std::string dev = "/dev";     // hidrawN device nodes
    std::string vhidBus;          // virtual bus directory; empty: the default one
    bool useHidraw = true;
    bool useVhid = true;
};

// The roots every transport constructed without explicit roots uses.
void setDefaultHidRoots(const HidRoots& roots);
HidRoots defaultHidRoots();

struct HidAttributes {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t versionNumber = 0;
};

constexpr int kHidInfinite = -1;

// A device inside this process, for tests and fuzzing: open() of a path whose node starts with
// "peer:" on a transport that has one attached connects to it instead of a node. Each output
// report written to it is handed to take(), which sends what the device answers into replyFd (one
// report a message, report id in byte 0); the transport reads that socket as it reads a bus
// socket, so time limits, stale answers and hang-ups behave as on the bus. Closing replyFd's
// writing side (shutdown) is an unplug. take() runs on the writing thread, inside write().
class HidPeer {
public:
    virtual ~HidPeer() = default;
    // The interface as a bus hello would describe it: ids, interface number, report descriptor.
    virtual HidNodeInfo node() const = 0;
    virtual void take(const uint8_t* report, size_t length, int replyFd) = 0;
};
constexpr const char kPeerScheme[] = "peer:";

// What enumeration learns of one path without opening it (from sysfs or the bus hello).
struct HidPathInfo {
    std::string path;
    uint16_t vendorId = 0, productId = 0, interfaceNumber = 0, collectionNumber = 0;
    uint16_t usagePage = 0, usage = 0;
    uint16_t reportLength[3] = {0, 0, 0};  // input, output, feature
    bool descriptorReadable = true;         // false: the report descriptor did not parse
};

// Every top-level collection of every interface present, in enumeration order. false when the
// hidraw class folder cannot be read. busProblem receives why the virtual bus was skipped.
bool listHidInterfaces(const HidRoots& roots, std::vector<HidPathInfo>* out, std::string* busProblem = nullptr);

class HidTransport {
public:
    HidTransport();
    explicit HidTransport(const HidRoots& roots);
    ~HidTransport();
    HidTransport(const HidTransport&) = delete;
    HidTransport& operator=(const HidTransport&) = delete;

    // Lists every top-level collection of every interface present. 1, or 0 with an empty list
    // (the hidraw class folder missing counts as "no hidraw interfaces", not as a failure).
    // Resets the cursor.
    int enumerate();
    // The next path of the list, or nullptr when the list is empty or exhausted. The pointer stays
    // valid until the next enumerate() or releasePaths().
    const char* nextPath();
    void releasePaths();
    size_t pathCount() const { return paths_.size(); }

    // Opens a path (closing what was open). 1 when open with its capabilities known; 0 otherwise,
    // and the object is then closed. Paths longer than 259 characters are refused.
    // exclusive: shared for reading only (other openers may not write) — advisory on Linux.
    int open(const std::string& path, bool readAccess, bool writeAccess, bool overlapped, bool exclusive);
    void close();
    bool isOpen() const;
    // The in-process device "peer:" paths open (nullptr: none). Set before open(); it must outlive
    // the open handle.
    void attachPeer(HidPeer* peer);
    // Signals the abort event from any thread: a read or write in progress, and every later one,
    // returns 0 at once until the next open() or close(). Touches nothing else of the object.
    void abort();
    // errno of the last failed open (EACCES: no permission on the node), 0 after a good one.
    int lastOpenError() const { return lastOpenError_; }

    // Reads one input report of the open collection into buffer (at most count bytes; a shorter
    // report is zero-padded up to the collection's input report length). timeoutMs: kHidInfinite
    // or a limit in ms. 1 on success; 0 on failure, time-out, abort or unplug.
    int read(uint8_t* buffer, size_t count, size_t* transferred, int timeoutMs);
    // For reads without a time limit: after a report of another collection of the same interface,
    // wait this long before reading on, then take what has gathered in one go, and keep pausing so
    // while each pause gathers foreign reports. A hidraw node hands every reader every report of
    // the interface, so a listener on one collection would otherwise wake for each answer to the
    // commands on another. Its own reports wait at most this long. The kernel keeps 64 reports per
    // reader, so a pause must stay well below 64 reports' worth of traffic.
    // Set by the reading thread before it reads; 0 (the default) reads each report as it comes.
    void setForeignReportPause(int milliseconds) { foreignPauseMs_ = std::max(0, milliseconds); }
    // Writes one output report (byte 0 the report id). 1 on success, 0 otherwise. A write the
    // device does not take within the time limit goes on in the background, and writes fail at
    // once until it has ended (a device whose driver holds a write gets nothing queued behind it).
    int write(const uint8_t* buffer, size_t count, size_t* transferred, int timeoutMs);

    // True when the path can still be opened (the device is there).
    bool isPresent(const std::string& path);
    // What tells the device at path from one plugged in later at the same path ("" when absent):
    // a device unplugged and plugged again between two looks keeps its path, not its identity.
    std::string nodeIdentity(const std::string& path) const;

    // Identity and capabilities of the open interface (zero when closed).
    const std::string& path() const { return path_; }
    const HidAttributes& attributes() const { return attributes_; }
    const HidCollection& caps() const { return collection_; }
    uint16_t usagePage() const { return collection_.usagePage; }
    uint16_t usage() const { return collection_.usage; }
    uint16_t inputReportLength() const { return collection_.reportLength[0]; }
    uint16_t outputReportLength() const { return collection_.reportLength[1]; }
    uint16_t featureReportLength() const { return collection_.reportLength[2]; }
    uint16_t interfaceNumber() const { return interfaceNumber_; }
    uint16_t collectionNumber() const { return collectionNumber_; }
    bool readInProgress() const { return reading_.load(); }
    // True once a transfer on the open handle has seen the device go (see Results above).
    bool deviceGone() const { return gone_.load(); }
    bool writeInProgress() const { return writing_.load(); }
    // True while a write the device did not take in time is still held (see write()).
    bool writeHeld() const { return writer_.held(); }
    // Waits up to timeoutMs for a held write to end: 1 it went out, 0 it failed (deviceGone()
    // tells whether the device went), -1 still held. 1 at once when nothing is held.
    int finishHeldWrite(int timeoutMs);

    // Per report type: a zeroed buffer of the report length and the data items of the collection.
    std::vector<uint8_t>& reportBuffer(HidReportType t) { return buffers_[int(t)]; }
    std::vector<HidDataItem>& dataItems(HidReportType t) { return items_[int(t)]; }
    // Decodes a report of the open collection into its data items of that type.
    bool unpackInput(const uint8_t* report, size_t length, HidReportType type);

private:
    bool beginIo(std::atomic<bool>& flag, int* fd);
    void endIo(std::atomic<bool>& flag);
    int waitReady(int fd, short events, int timeoutMs, std::chrono::steady_clock::time_point deadline) const;
    bool pauseUnlessAborted(int milliseconds) const;
    void closeLocked(std::unique_lock<std::mutex>& lock);
    bool reportIdWanted(uint8_t id, HidReportType type) const;

    HidRoots roots_;
    std::vector<std::string> paths_;
    size_t cursor_ = 0;

    mutable std::mutex mutex_;        // guards fd_ against close while a transfer runs
    std::condition_variable idle_;
    int fd_ = -1;
    HidPeer* peer_ = nullptr;         // attached; under mutex_
    // While a peer is open: it and its end of fd_. Set by open() and cleared by close() as fd_ is.
    HidPeer* openPeer_ = nullptr;
    int peerFd_ = -1;
    int abortFd_ = -1;                // eventfd: readable while an abort is pending
    int activeIo_ = 0;
    bool closing_ = false;
    std::atomic<bool> reading_{false};
    std::atomic<bool> writing_{false};
    std::atomic<bool> gone_{false};
    // Set by open() under mutex_, read by transfers that began after it; close() waits for those
    // transfers before it clears them.
    bool prependId_ = false;          // the interface numbers no reports: prepend byte 0 on input
    bool isSocket_ = false;
    bool readable_ = false;
    bool writable_ = false;
    int lastOpenError_ = 0;
    int foreignPauseMs_ = 0;

    WriterThread writer_;             // runs writes that may block (see write())

    std::string path_;
    HidAttributes attributes_;
    HidCollection collection_;
    uint16_t interfaceNumber_ = 0;
    uint16_t collectionNumber_ = 0;
    std::vector<uint8_t> buffers_[3];
    std::vector<HidDataItem> items_[3];
};

// Identity readers: the hex number after the first occurrence (any case) of "vid_", "pid_",
// "&mi_" or "&col" in a path; 0 when the tag or its digits are missing. Low 16 bits.
uint16_t parseVendorId(const std::string& path);
uint16_t parseProductId(const std::string& path);
uint16_t parseInterfaceNumber(const std::string& path);
uint16_t parseCollectionNumber(const std::string& path);
