// WriterThread: the thread a transport's writes that may block run on.
//
// A hidraw write can sit in the USB driver for seconds whatever O_NONBLOCK says, and no time limit
// or abort reaches a thread inside it. So the write runs here, on a thread of its own, and the
// caller waits only up to its time limit (or an abort). A write still held when the caller gives
// up goes on in the background; until it ends the writer is "held" and every further write fails
// at once, so a held device costs each caller nothing more, and nothing is queued behind it.
//
// The writer works on its own duplicate of the descriptor, so a transport may close its own at any
// time. Destroying the writer ends a thread waiting for room at once; a thread held inside the
// kernel is left to finish on its own (it touches nothing but its shared state).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

class WriterThread {
public:
    WriterThread();
    ~WriterThread();
    WriterThread(const WriterThread&) = delete;
    WriterThread& operator=(const WriterThread&) = delete;

    // Writes count bytes to fd as one report (socket: a datagram). Waits for room when the
    // descriptor has none. 1 written whole; 0 failed (*error holds errno; 0 for "held" or "aborted");
    // -1 not done within timeoutMs, or aborted (abortFd readable): the write goes on without the
    // caller, which must not assume either outcome.
    int write(int fd, bool socket, const uint8_t* data, size_t count, int timeoutMs, int abortFd, int* error);
    // True while a write the caller gave up on is still in progress.
    bool held() const;
    // Waits up to timeoutMs for the last write to end: its result (1 or 0, *error as above), or
    // -1 while it is still held.
    int finish(int timeoutMs, int* error);

    struct State;

private:
    std::shared_ptr<State> state_;
};
