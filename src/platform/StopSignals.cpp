#include "platform/StopSignals.h"

#include <QSocketNotifier>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace tavimo::platform {

namespace {

constexpr std::array kStopSignals{SIGTERM, SIGHUP, SIGINT};

// The pipe's write end as the handler sees it; -1 while no object listens.
std::atomic<int> handlerPipe{-1};
static_assert(std::atomic<int>::is_always_lock_free, "the handler may only use lock-free atomics");

struct sigaction earlier[kStopSignals.size()];

extern "C" void onStopSignal(int number) {
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(number);
    // The pipe does not block: when it is full, enough signals are waiting already.
    [[maybe_unused]] const ssize_t written = ::write(handlerPipe.load(), &byte, 1);
    errno = savedErrno;
}

} // namespace

StopSignals::StopSignals(QObject* parent) : QObject(parent) {
    if (handlerPipe.load() >= 0)
        return;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    readEnd_ = fds[0];
    writeEnd_ = fds[1];
    handlerPipe.store(writeEnd_);
    notifier_ = new QSocketNotifier(readEnd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &StopSignals::drain);

    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // Calls that the signal meets go on rather than fail with EINTR in code that never expects
    // it (libraries included).
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < kStopSignals.size(); ++i)
        ::sigaction(kStopSignals[i], &action, &earlier[i]);
}

StopSignals::~StopSignals() {
    if (readEnd_ < 0)
        return;
    for (size_t i = 0; i < kStopSignals.size(); ++i)
        ::sigaction(kStopSignals[i], &earlier[i], nullptr);
    handlerPipe.store(-1);
    delete notifier_;
    ::close(readEnd_);
    ::close(writeEnd_);
}

void StopSignals::drain() {
    unsigned char bytes[64];
    int last = 0;
    for (;;) {
        const ssize_t got = ::read(readEnd_, bytes, sizeof bytes);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        last = bytes[got - 1];
    }
    if (last == 0)
        return;
    lastSignal_ = last;
    Q_EMIT received(last);
}

} // namespace tavimo::platform
