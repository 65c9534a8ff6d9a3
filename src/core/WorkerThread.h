#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <thread>
#include <type_traits>
#include <utility>

namespace tavimo {

// One piece of a command's long work (listing folders, copying files) on a thread of its own,
// so that the interface thread, which owns the library's data, stays free. The work gets only
// copies of what it needs; what it finds comes back to the thread that owns this object
// through that thread's event loop, and only there is anything of the library changed.
//
// requestStop() asks the work to end early (it reads stopFlag() between steps); its result is
// still handed over. stopAndWait() and the destructor stop the work and wait for its thread:
// nothing of it is handed over afterwards, so the owner may go away at any time.
class WorkerThread final : public QObject {
    Q_OBJECT
public:
    explicit WorkerThread(QObject* parent = nullptr);
    ~WorkerThread() override;

    // Runs work(*this) on a new thread; done(result) then runs on this object's thread, after
    // everything the work posted and once isRunning() is false again. False, and nothing
    // started, while earlier work runs.
    template <class Work, class Done> bool start(Work work, Done done) {
        return startWork([work = std::move(work), done = std::move(done)](
                             WorkerThread& self) mutable -> std::function<void()> {
            auto result = work(self);
            return [done, result = std::move(result)]() mutable { done(std::move(result)); };
        });
    }

    // Called by the work: runs call on this object's thread, in the order posted.
    void post(std::function<void()> call);

    const std::atomic_bool& stopFlag() const { return stop_; }
    bool stopRequested() const { return stop_.load(); }
    void requestStop() { stop_ = true; }
    // Stops the work and waits for its thread; what it has not handed over yet is dropped.
    void stopAndWait();

    bool isRunning() const { return running_; }

private:
    bool startWork(std::function<std::function<void()>(WorkerThread&)> work);
    void deliver(quint64 generation, const std::function<void()>& call);

    std::thread thread_;
    std::atomic_bool stop_{false};
    bool running_ = false;
    // Which work the deliveries belong to. Changed only while no thread runs, so the thread
    // reads it without a lock.
    quint64 generation_ = 0;
};

} // namespace tavimo
