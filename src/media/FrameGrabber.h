#pragma once

#include "media/FrameConverter.h"

#include <QImage>
#include <QString>
#include <chrono>

namespace tavimo::media {

// What grabbing a file gave.
enum class GrabOutcome {
    Built,   // opened with every stream decodable; picture set unless the file is audio only
             // or its frames are too large to decode (more than maxFramePixels, error says so)
    Partial, // opened, but an audio or video stream has no decoder: no picture
    Failed,  // can't be opened, holds no audio or video, or no video frame decodes
};

// Which frame is taken.
enum class GrabPoint {
    FirstFrame, // the first decodable frame (the fast path)
    HalfSecond, // the frame shown half a second after the video's start
};

struct GrabResult {
    GrabOutcome outcome = GrabOutcome::Failed;
    QImage picture; // at the size asked for (aspect and rotation applied); null without one
    QString error;  // why it failed or was partial, for messages
};

// Takes single frames out of video files with FFmpeg. One grabber per thread: it holds no
// state shared with others, and each call opens and closes its file.
class FrameGrabber {
public:
    FrameGrabber();

    static constexpr std::chrono::milliseconds openBudget{3000};
    static constexpr std::chrono::milliseconds decodeBudget{5000};

    // The picture is scaled straight from the decoded frame to the size of its displayed
    // proportions that fits `box` (fitInto), so a thumbnail never passes through a picture of
    // the display size. Without a box: the display size, shrunk to maxPicturePixels at most.
    GrabResult grab(const QString& path, GrabPoint point, QSize box = {});

    // The frame shown at `position` (100 ns units from the start of the video) at the video's
    // own size: its coded width and height, turned as its display matrix says, without the
    // aspect stretch. Null when no frame could be decoded. Frames hold at most maxFramePixels,
    // so the picture does too.
    QImage frameAt(const QString& path, qint64 position);

private:
    FrameConverter converter_;
};

} // namespace tavimo::media
