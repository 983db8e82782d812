#include "device/hid/WriterThread.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

struct WriterThread::State {
    std::mutex mutex;
    std::condition_variable changed;
    bool started = false;
    bool quit = false;
    bool busy = false;        // a job is being written
    bool abandoned = false;   // its caller gave up on it
    uint64_t job = 0, done = 0;
    int fd = -1;              // the job's duplicate
    bool socket = false;
    std::vector<uint8_t> data;
    int result = 0, error = 0;
    int quitFd = -1;          // eventfd: readable once the writer is destroyed
};

namespace {

// One blocking write of the job, waiting for room (or the writer's end) in between.
int writeJob(int fd, bool socket, const std::vector<uint8_t>& data, int quitFd, int* error) {
    for (;;) {
        const ssize_t n = socket ? ::send(fd, data.data(), data.size(), MSG_NOSIGNAL | MSG_DONTWAIT)
                                 : ::write(fd, data.data(), data.size());
        if (n == ssize_t(data.size())) return 1;
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) {
            pollfd fds[2] = {{fd, POLLOUT, 0}, {quitFd, POLLIN, 0}};
            const int ready = ::poll(fds, 2, -1);
            if (ready < 0 && errno == EINTR) continue;
            if (ready < 0 || fds[1].revents) {
                *error = 0;
                return 0;
            }
            if (fds[0].revents & POLLOUT) continue;
            *error = EIO;  // hang-up or error: the device is gone
            return 0;
        }
        *error = n < 0 ? errno : EIO;
        return 0;
    }
}

void run(const std::shared_ptr<WriterThread::State>& s) {
    pthread_setname_np(pthread_self(), "zk-writer");
    std::unique_lock<std::mutex> lock(s->mutex);
    for (;;) {
        s->changed.wait(lock, [&] { return s->quit || s->job != s->done; });
        if (s->job == s->done) {  // quit with nothing to write
            ::close(s->quitFd);
            return;
        }
        const int fd = s->fd;
        const bool socket = s->socket;
        const std::vector<uint8_t> data = s->data;
        lock.unlock();
        int error = 0;
        const int result = writeJob(fd, socket, data, s->quitFd, &error);
        ::close(fd);
        lock.lock();
        s->result = result;
        s->error = error;
        s->fd = -1;
        s->busy = false;
        s->abandoned = false;
        s->done = s->job;
        s->changed.notify_all();
        if (s->quit) {
            ::close(s->quitFd);
            return;
        }
    }
}

}  // namespace

WriterThread::WriterThread() : state_(std::make_shared<State>()) {
    state_->quitFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

WriterThread::~WriterThread() {
    std::unique_lock<std::mutex> lock(state_->mutex);
    if (!state_->started) {
        if (state_->quitFd >= 0) ::close(state_->quitFd);
        return;
    }
    state_->quit = true;
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(state_->quitFd, &one, sizeof one);
    state_->changed.notify_all();
    // The thread owns a reference to the state, ends on its own and closes the eventfd.
}

bool WriterThread::held() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->busy;
}

int WriterThread::write(int fd, bool socket, const uint8_t* data, size_t count, int timeoutMs, int abortFd,
                        int* error) {
    *error = 0;
    State& s = *state_;
    std::unique_lock<std::mutex> lock(s.mutex);
    if (s.busy || s.quitFd < 0) return 0;  // an earlier write is still held: nothing is queued behind it
    const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (copy < 0) {
        *error = errno;
        return 0;
    }
    if (!s.started) {
        s.started = true;
        std::thread([state = state_] { run(state); }).detach();
    }
    s.fd = copy;
    s.socket = socket;
    s.data.assign(data, data + count);
    s.busy = true;
    const uint64_t mine = ++s.job;
    s.changed.notify_all();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        if (s.done >= mine) {
            *error = s.error;
            return s.result;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) break;
        // The abort event is looked at every few milliseconds.
        s.changed.wait_until(lock, std::min(deadline, now + std::chrono::milliseconds(5)));
        if (s.done >= mine) continue;
        pollfd abortEvent = {abortFd, POLLIN, 0};
        if (abortFd >= 0 && ::poll(&abortEvent, 1, 0) > 0) break;
    }
    s.abandoned = true;
    return -1;
}

int WriterThread::finish(int timeoutMs, int* error) {
    *error = 0;
    State& s = *state_;
    std::unique_lock<std::mutex> lock(s.mutex);
    const uint64_t last = s.job;
    if (!s.changed.wait_for(lock, std::chrono::milliseconds(std::max(timeoutMs, 0)), [&] { return s.done >= last; }))
        return -1;
    *error = s.error;
    return s.result;
}
