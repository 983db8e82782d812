#include "platform/TerminationSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <cstring>

#include "platform/DebugLog.h"

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT};
std::atomic<int> g_writeFd{-1};

extern "C" void onTerminationSignal(int signalNumber) {
    const int saved = errno;
    const int fd = g_writeFd.load();
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signalNumber);
        [[maybe_unused]] ssize_t written = ::write(fd, &byte, 1);  // a full pipe: one is enough
    }
    errno = saved;
}

}  // namespace

struct TerminationSignals::Impl {
    int fds[2] = {-1, -1};
    struct sigaction previous[2] {};
    bool installed = false;
    std::unique_ptr<QSocketNotifier> notifier;
    std::function<void(int)> onSignal;

    ~Impl() {
        if (installed)
            for (size_t i = 0; i < std::size(kSignals); ++i) ::sigaction(kSignals[i], &previous[i], nullptr);
        int mine = fds[1];
        if (mine >= 0) g_writeFd.compare_exchange_strong(mine, -1);
        notifier.reset();
        for (int& fd : fds)
            if (fd >= 0) ::close(fd);
    }

    void drain() {
        unsigned char buffer[16];
        for (;;) {
            const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
            if (n <= 0) return;  // EAGAIN: all read
            for (ssize_t i = 0; i < n; ++i)
                if (onSignal) onSignal(buffer[i]);
        }
    }
};

TerminationSignals::TerminationSignals(std::function<void(int)> onSignal) : impl_(std::make_unique<Impl>()) {
    impl_->onSignal = std::move(onSignal);
    if (g_writeFd.load() >= 0) {
        debugLog("termination signals: already handled by another object");
        return;
    }
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, impl_->fds) != 0) {
        debugLog(std::string("termination signals: no socket pair: ") + std::strerror(errno));
        return;
    }
    g_writeFd.store(impl_->fds[1]);
    impl_->notifier = std::make_unique<QSocketNotifier>(impl_->fds[0], QSocketNotifier::Read);
    Impl* impl = impl_.get();
    QObject::connect(impl_->notifier.get(), &QSocketNotifier::activated, [impl] { impl->drain(); });

    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(kSignals); ++i) {
        if (::sigaction(kSignals[i], &action, &impl_->previous[i]) != 0) {
            debugLog(std::string("termination signals: sigaction failed: ") + std::strerror(errno));
            for (size_t k = 0; k < i; ++k) ::sigaction(kSignals[k], &impl_->previous[k], nullptr);
            g_writeFd.store(-1);
            return;
        }
    }
    impl_->installed = true;
}

TerminationSignals::~TerminationSignals() = default;

bool TerminationSignals::active() const { return impl_->installed; }
