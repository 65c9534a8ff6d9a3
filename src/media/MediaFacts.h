#pragma once

#include <QList>
#include <QSize>
#include <QString>
#include <atomic>
#include <functional>

namespace tavimo::media {

// What a file says about one of its audio or video tracks, for the stream description.
struct TrackFacts {
    enum class Kind { Video, Audio };
    Kind kind = Kind::Video;
    int number = 0; // 1-based among the tracks of its kind (the player's Audio1, Audio2)
    QString codec;  // FFmpeg's short codec name ("h264", "mp3"); empty when unknown
    QString fourCC; // video: the four-character code ("avc1", "XVID"); empty if none
    bool decodable = false;
    QString language; // as tagged, e.g. "jpn"; may be empty
    // Video
    QSize size;           // coded width and height
    QSize displaySize;    // aspect stretch and rotation applied
    int rotation = 0;     // clockwise quarter turns in degrees
    int bitDepth = 0;     // bits per pixel as stored, 0 when unknown
    double frameRate = 0; // frames per second, 0 when unknown
    // Audio
    int sampleRate = 0;
    int channels = 0;
    int formatTag = 0; // the wave format tag (1 PCM, 0x55 MP3, 0xFF AAC...), 0 when none
};

// What opening a file tells before it plays.
struct MediaFacts {
    bool opened = false;
    bool cancelled = false;   // the caller gave up on it before it was read
    QString error;            // why it could not be opened
    QList<TrackFacts> tracks; // audio and video tracks in file order
    qint64 durationMs = 0;
    int undecodable = 0; // tracks without a decoder (a partial render)

    const TrackFacts* firstVideo() const;
    int audioCount() const;
};

// Opens `path` with bounded probing (a few seconds at most) and reads its tracks. Safe on any
// thread; does not decode. `accepted` is called on the same thread once the file is known to be
// one regular file in a format that opens no other (see ff::Input::open). Raising `cancel`
// from another thread stops the reading at once (cancelled is then set).
MediaFacts readMediaFacts(const QString& path, const std::function<void()>& accepted = {},
                          const std::atomic<bool>* cancel = nullptr);

} // namespace tavimo::media
