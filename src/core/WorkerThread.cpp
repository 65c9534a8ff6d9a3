#include "core/WorkerThread.h"

#include <QMetaObject>

namespace tavimo {

WorkerThread::WorkerThread(QObject* parent) : QObject(parent) {}

WorkerThread::~WorkerThread() {
    stopAndWait();
}

bool WorkerThread::startWork(std::function<std::function<void()>(WorkerThread&)> work) {
    if (running_)
        return false;
    if (thread_.joinable())
        thread_.join();
    stop_ = false;
    running_ = true;
    const quint64 generation = ++generation_;
    thread_ = std::thread([this, generation, work = std::move(work)]() mutable {
        std::function<void()> done = work(*this);
        // The thread ends right after posting this: joining it there takes no time.
        QMetaObject::invokeMethod(
            this,
            [this, generation, done = std::move(done)] {
                if (generation != generation_)
                    return;
                if (thread_.joinable())
                    thread_.join();
                running_ = false;
                done();
            },
            Qt::QueuedConnection);
    });
    return true;
}

void WorkerThread::post(std::function<void()> call) {
    const quint64 generation = generation_;
    QMetaObject::invokeMethod(
        this, [this, generation, call = std::move(call)] { deliver(generation, call); },
        Qt::QueuedConnection);
}

void WorkerThread::deliver(quint64 generation, const std::function<void()>& call) {
    if (generation == generation_)
        call();
}

void WorkerThread::stopAndWait() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    // Deliveries already queued belong to the old generation and are dropped.
    ++generation_;
    running_ = false;
}

} // namespace tavimo
