#pragma once

// The interface thread's longest stall, as a person would feel it: a timer of a few
// milliseconds that it must answer, and how long it did not.
#include <QByteArray>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QList>
#include <QTimer>
#include <algorithm>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

namespace tavimo::bench {

constexpr int kProbeMs = 5;

// Nanoseconds the calling thread has spent runnable but waiting for a processor
// (/proc/thread-self/schedstat, second field); -1 where the kernel does not tell.
class QueueWait {
public:
    QueueWait() : fd_(::open("/proc/thread-self/schedstat", O_RDONLY | O_CLOEXEC)) {}
    ~QueueWait() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    qint64 nanoseconds() const {
        char text[128] = {};
        if (fd_ < 0 || ::pread(fd_, text, sizeof text - 1, 0) <= 0)
            return -1;
        const QList<QByteArray> fields = QByteArray(text).trimmed().split(' ');
        return fields.size() >= 2 ? fields.at(1).toLongLong() : -1;
    }

private:
    int fd_;
};

// The longest time the interface thread did not answer a timer of kProbeMs, less the period;
// and the same less the time it waited for a processor meanwhile, which on a machine shared
// with other work is not the program's own stall.
class StallProbe {
public:
    StallProbe() {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = clock_.elapsed();
            const qint64 queued = queue_.nanoseconds();
            if (now - last_ > longest_) {
                longest_ = now - last_;
                longestEnd_ = now;
            }
            if (queued >= 0 && lastQueued_ >= 0)
                longestOwn_ = std::max(longestOwn_, now - last_ - (queued - lastQueued_) / 1000000);
            last_ = now;
            lastQueued_ = queued;
        });
    }
    void start() {
        longest_ = 0;
        longestOwn_ = 0;
        last_ = 0;
        lastQueued_ = queue_.nanoseconds();
        clock_.start();
        timer_.start(kProbeMs);
    }
    qint64 stop() {
        timer_.stop();
        return std::max<qint64>(0, longest_ - kProbeMs);
    }
    // When the longest stall began, in seconds since start().
    double longestAt() const { return (longestEnd_ - longest_) / 1000.0; }
    // The longest stall less the time spent waiting for a processor.
    qint64 longestOwn() const { return std::max<qint64>(0, longestOwn_ - kProbeMs); }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    QueueWait queue_;
    qint64 last_ = 0;
    qint64 lastQueued_ = -1;
    qint64 longest_ = 0;
    qint64 longestEnd_ = 0;
    qint64 longestOwn_ = 0;
};

// Runs the event loop until done() holds (checked every few ms) or timeoutMs passes.
bool runUntil(const std::function<bool()>& done, int timeoutMs) {
    QEventLoop loop;
    QTimer check;
    QElapsedTimer clock;
    clock.start();
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (done() || clock.elapsed() > timeoutMs)
            loop.quit();
    });
    check.start(kProbeMs);
    loop.exec();
    return done();
}

} // namespace tavimo::bench
