#include "platform/SystemSettings.h"

SystemSettingsWorker::SystemSettingsWorker(std::shared_ptr<SystemSettings> backend, Report report)
    : backend_(std::move(backend)), report_(std::move(report)) {
    thread_ = std::thread([this] { run(); });
}

SystemSettingsWorker::~SystemSettingsWorker() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void SystemSettingsWorker::setPointerSpeed(int speed) {
    {
        std::lock_guard lock(mutex_);
        pointer_ = speed;
    }
    wake_.notify_all();
}

void SystemSettingsWorker::setWheelLines(int lines) {
    {
        std::lock_guard lock(mutex_);
        wheel_ = lines;
    }
    wake_.notify_all();
}

void SystemSettingsWorker::waitIdle() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return stop_ || (!busy_ && !pointer_ && !wheel_); });
}

void SystemSettingsWorker::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || pointer_ || wheel_; });
        if (stop_) break;
        // Pointer first, then wheel: each kind keeps its own order, and the latest value wins.
        const bool pointer = pointer_.has_value();
        const int value = pointer ? *pointer_ : *wheel_;
        (pointer ? pointer_ : wheel_).reset();
        busy_ = true;
        lock.unlock();
        const int result = pointer ? backend_->setPointerSpeed(value) : backend_->setWheelLines(value);
        if (report_) report_(pointer ? Kind::pointerSpeed : Kind::wheelLines, value, result);
        lock.lock();
        busy_ = false;
        idle_.notify_all();
    }
    busy_ = false;
    idle_.notify_all();
}
