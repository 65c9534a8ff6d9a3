#pragma once

#include <QObject>
#include <QString>

namespace tavimo {

// What the rules of playing (Playback) need of whatever plays the video: MpvBackend implements
// it over libmpv, tests use a fake. Positions are 100 ns units, durations milliseconds. Opening
// answers later through opened(); the end of a file and a failure while playing are signals too.
class PlaybackBackend : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Starts opening path, paused. opened(true) follows when it can play, opened(false) when it
    // cannot; a later open abandons an earlier one, whose answer never comes.
    virtual void open(const QString& path) = 0;
    // Stops and unloads the file.
    virtual void close() = 0;
    virtual bool isLoaded() const = 0;
    virtual bool play() = 0;
    virtual bool pause() = 0;
    virtual bool isPlaying() const = 0;
    virtual qint64 durationMs() const = 0;
    // Current and stop positions; false without a file.
    virtual bool positions(qint64* current, qint64* stop) const = 0;
    virtual bool seek(qint64 position) = 0;
    // One frame forward or back, leaving the video paused.
    virtual bool frameStep(bool forward) = 0;

Q_SIGNALS:
    void opened(bool ok);
    void endOfMedia();
    void failed();
};

} // namespace tavimo
