#pragma once

#include "core/AtomicFile.h"

#include <QObject>
#include <QStringList>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace tavimo {

class SaveUnit;

// The one thread that writes the library's saves. Units are committed in the order they are
// handed over, each whole before the next, so the interface thread describes a change and goes
// on while the disk works. A unit that fails stops the queue: the units behind it are not
// written (they were described after it and may rely on it) until the owner has heard of the
// failure and calls resume(), so that the disk never holds a later change without an earlier.
//
// What became of each unit is told on the owner's thread, in the order of handing over, through
// the function given to the constructor; waitForAll() tells it at once.
class SaveWriter final : public QObject {
    Q_OBJECT
public:
    struct Result {
        quint64 ticket = 0;
        WriteResult failure; // ok when the unit was written
        QStringList notRemoved;
        bool skipped = false; // not written because an earlier unit failed
    };

    explicit SaveWriter(std::function<void(const Result&)> done, QObject* parent = nullptr);
    // Writes what was handed over, then ends the thread; nothing is told afterwards.
    ~SaveWriter() override;

    // Hands the unit over; answers its ticket, which its result carries.
    quint64 submit(std::unique_ptr<SaveUnit> unit);
    // Blocks until every unit handed over is written (or skipped), then tells their results.
    void waitForAll();
    // The owner has heard of a failure: units handed over from now on are written again.
    void resume();
    bool idle() const;

private:
    struct Finished {
        Result result;
        std::unique_ptr<SaveUnit> unit; // let go on the owner's thread, which made it
    };
    void run();
    void deliver();

    std::function<void(const Result&)> done_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable drained_;
    std::deque<std::pair<quint64, std::unique_ptr<SaveUnit>>> queue_;
    std::deque<Finished> finished_;
    quint64 nextTicket_ = 1;
    bool busy_ = false;
    bool stopped_ = false; // after a failure, until resume()
    bool ending_ = false;
    std::thread thread_;
};

} // namespace tavimo
