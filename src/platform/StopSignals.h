#pragma once

#include <QObject>

class QSocketNotifier;

namespace tavimo::platform {

// SIGTERM (the desktop logging out, `kill`), SIGHUP (a closed terminal) and SIGINT (Ctrl+C) no
// longer end the program where it stands: each becomes received() on the thread that made this
// object, from its event loop. The handler only writes the signal's number into a pipe (the one
// thing a handler may safely do, from whichever thread the signal meets); a QSocketNotifier
// watches the other end. Signals that come while no event loop runs wait in the pipe. One
// object at a time; the earlier handlers come back when it goes.
class StopSignals : public QObject {
    Q_OBJECT
public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // False when the pipe could not be made or another object already listens: the signals
    // then keep their earlier handlers.
    bool isListening() const { return readEnd_ >= 0; }
    // A signal has come since this object was made (and was reported).
    bool hasReceived() const { return lastSignal_ != 0; }
    int lastSignal() const { return lastSignal_; }

Q_SIGNALS:
    void received(int signalNumber);

private:
    void drain();

    int readEnd_ = -1;
    int writeEnd_ = -1;
    int lastSignal_ = 0;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace tavimo::platform
