// A manual-reset event that ends a worker thread: once set it stays set until reset, and every
// waiter sees it. Plain C++; safe from any thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

class StopEvent {
public:
    void set() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            set_ = true;
        }
        changed_.notify_all();
    }
    void reset() {
        std::lock_guard<std::mutex> lock(mutex_);
        set_ = false;
    }
    bool isSet() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return set_;
    }
    // Waits up to the given time; true when the event is (or becomes) set.
    bool wait(std::chrono::milliseconds timeout) const {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, timeout, [this] { return set_; });
    }

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool set_ = false;
};
