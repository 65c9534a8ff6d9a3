#include "core/SaveWriter.h"

#include "core/SaveUnit.h"

#include <QMetaObject>

namespace tavimo {

SaveWriter::SaveWriter(std::function<void(const Result&)> done, QObject* parent)
    : QObject(parent), done_(std::move(done)), thread_([this] { run(); }) {}

SaveWriter::~SaveWriter() {
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

quint64 SaveWriter::submit(std::unique_ptr<SaveUnit> unit) {
    quint64 ticket = 0;
    {
        std::lock_guard lock(mutex_);
        ticket = nextTicket_++;
        queue_.emplace_back(ticket, std::move(unit));
    }
    wake_.notify_all();
    return ticket;
}

void SaveWriter::resume() {
    std::lock_guard lock(mutex_);
    stopped_ = false;
}

bool SaveWriter::idle() const {
    std::lock_guard lock(mutex_);
    return queue_.empty() && !busy_ && finished_.empty();
}

void SaveWriter::waitForAll() {
    {
        std::unique_lock lock(mutex_);
        drained_.wait(lock, [this] { return queue_.empty() && !busy_; });
    }
    deliver();
}

void SaveWriter::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return ending_ || !queue_.empty(); });
        if (queue_.empty())
            return; // ending, with everything written
        auto [ticket, unit] = std::move(queue_.front());
        queue_.pop_front();
        Finished finished{{ticket, {}, {}, stopped_}, std::move(unit)};
        if (!stopped_) {
            busy_ = true;
            lock.unlock();
            const bool written = finished.unit->commit();
            finished.result.failure = finished.unit->failure();
            finished.result.notRemoved = finished.unit->notRemoved();
            lock.lock();
            busy_ = false;
            stopped_ = !written;
        } else {
            finished.result.failure.ok = false;
        }
        finished_.push_back(std::move(finished));
        // Told on the owner's thread; waitForAll may have told it already.
        QMetaObject::invokeMethod(this, &SaveWriter::deliver, Qt::QueuedConnection);
        if (queue_.empty())
            drained_.notify_all();
    }
}

void SaveWriter::deliver() {
    for (;;) {
        Finished finished;
        {
            std::lock_guard lock(mutex_);
            if (finished_.empty())
                return;
            finished = std::move(finished_.front());
            finished_.pop_front();
        }
        done_(finished.result);
    }
}

} // namespace tavimo
