// SIGTERM and SIGINT end the program the orderly way (the same Shutdown as the close button)
// instead of killing it mid-transfer.
//
// The signal handler only writes the signal number into one end of a socket pair; a socket
// notifier on the other end calls onSignal on the thread that created this object (the UI
// thread), where anything may be done. One object at a time; the previous handlers come back
// when it is destroyed.
#pragma once

#include <functional>
#include <memory>

class TerminationSignals {
public:
    explicit TerminationSignals(std::function<void(int signalNumber)> onSignal);
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // false when the socket pair or the handlers could not be set up (the signals then keep
    // their default effect); the reason went to debugLog().
    bool active() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
