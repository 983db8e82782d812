#include "sim/WireLog.h"

#include <cerrno>
#include <cstring>

namespace sim {

std::string WireRecord::hex() const {
    static const char kDigits[] = "0123456789abcdef";
    std::string s;
    s.reserve(bytes.size() * 2);
    for (uint8_t b : bytes) {
        s += kDigits[b >> 4];
        s += kDigits[b & 15];
    }
    return s;
}

std::string WireRecord::json() const {
    char t[32];
    std::snprintf(t, sizeof t, "%.6f", this->t);
    // Device names are fixed identifiers: no escaping needed.
    return std::string("{\"t\": ") + t + ", \"dev\": \"" + dev + "\", \"dir\": \"" +
           (dir == WireDir::Out ? "out" : "in") + "\", \"hex\": \"" + hex() + "\"}";
}

WireLog::WireLog() : start_(std::chrono::steady_clock::now()) {}

WireLog::~WireLog() {
    if (file_) std::fclose(file_);
}

std::string WireLog::openFile(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "we");
    if (!f) return path + ": " + std::strerror(errno);
    std::lock_guard<std::mutex> lock(mutex_);
    if (file_) std::fclose(file_);
    file_ = f;
    return {};
}

void WireLog::keepRecords(bool keep) {
    std::lock_guard<std::mutex> lock(mutex_);
    keep_ = keep;
}

void WireLog::setHook(Hook hook) {
    std::lock_guard<std::mutex> lock(mutex_);
    hook_ = std::move(hook);
}

void WireLog::add(const std::string& dev, unsigned iface, WireDir dir, const uint8_t* bytes, size_t length) {
    WireRecord r;
    r.t = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    r.dev = dev;
    r.iface = iface;
    r.dir = dir;
    r.bytes.assign(bytes, bytes + length);
    std::lock_guard<std::mutex> lock(mutex_);
    if (file_) {
        const std::string line = r.json() + "\n";
        std::fwrite(line.data(), 1, line.size(), file_);
        std::fflush(file_);  // people tail the log while the program runs
    }
    if (hook_) hook_(r);
    if (keep_) {
        records_.push_back(std::move(r));
        added_.notify_all();
    }
}

std::vector<WireRecord> WireLog::snapshot() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return records_;
}

std::vector<WireRecord> WireLog::take() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<WireRecord> out;
    out.swap(records_);
    return out;
}

void WireLog::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    records_.clear();
}

bool WireLog::waitFor(size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return added_.wait_for(lock, timeout, [&] { return records_.size() >= count; });
}

}  // namespace sim
