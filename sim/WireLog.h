// The wire log: every report that crosses the bus, in both directions.
//
// Each record goes (when enabled) to a JSON-lines file, one object per line:
//     {"t": 0.001234, "dev": "kb", "dir": "out", "hex": "0424000321..."}
// t is seconds since the bus started, dir "out" is program -> device and "in" device -> program,
// hex the whole report (report id first) in lower-case hex. In-process users can also keep the
// records in memory and/or get each one through a hook. Thread-safe.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace sim {

enum class WireDir : uint8_t { Out, In };

struct WireRecord {
    double t = 0;               // seconds since the bus started
    std::string dev;            // kb, small, companion, mouse, pad
    unsigned iface = 0;         // USB interface the report went through
    WireDir dir = WireDir::Out;
    std::vector<uint8_t> bytes;  // the report, report id first

    std::string hex() const;
    std::string json() const;   // the line written to the file, without the newline
};

class WireLog {
public:
    using Hook = std::function<void(const WireRecord&)>;

    WireLog();
    ~WireLog();
    WireLog(const WireLog&) = delete;
    WireLog& operator=(const WireLog&) = delete;

    // Opens (truncates) the JSON-lines file. "" when done, else the reason.
    std::string openFile(const std::string& path);
    void keepRecords(bool keep);
    // Called for every record on the bus thread, in order. It must not call back into the bus.
    void setHook(Hook hook);

    void add(const std::string& dev, unsigned iface, WireDir dir, const uint8_t* bytes, size_t length);

    std::vector<WireRecord> snapshot() const;
    std::vector<WireRecord> take();    // snapshot and clear
    void clear();
    // Waits until at least `count` records are kept; false on time-out.
    bool waitFor(size_t count, std::chrono::milliseconds timeout) const;

private:
    const std::chrono::steady_clock::time_point start_;
    mutable std::mutex mutex_;
    mutable std::condition_variable added_;
    std::FILE* file_ = nullptr;
    bool keep_ = true;
    Hook hook_;
    std::vector<WireRecord> records_;
};

}  // namespace sim
