#pragma once

// Pieces every benchmark of the windows needs: where the fixture videos are, dialogs that
// answer without a person, no removable media, and waiting for a widget's first paint.
#include "core/FileTrash.h"
#include "core/VolumeTable.h"
#include "ui/MessageOnlyDialogs.h"

#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <unistd.h>

namespace tavimo::bench {

// Resident memory of this process in MB.
inline double residentMegabytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / 1048576.0 : 0;
}

// A fixture video made by tests/fixtures/make-fixtures.sh (scripts/bench.sh sets the folder).
inline QString fixture(const QString& name) {
    QString dir = qEnvironmentVariable("TAVIMO_FIXTURE_DIR");
    if (dir.isEmpty())
        dir = QStringLiteral("build/bench/fixtures");
    return dir + u'/' + name;
}

// Eight small fixture videos of different containers and codecs, which benchmarks of many
// videos repeat (as hard links or album entries).
inline const QStringList kSmallVideos{"mp4_h264_640x480.mp4",  "avi_mpeg4_640x480.avi",
                                      "mkv_h264_1280x720.mkv", "wmv_wmv2_640x480.wmv",
                                      "mpeg1_640x480.mpg",     "mov_mpeg4_640x480.mov",
                                      "flv_flv1_640x480.flv",  "mp4_h264_720x480.mp4"};

// True when every named fixture exists; otherwise says which is missing.
inline bool fixturesPresent(const QStringList& names) {
    for (const QString& name : names)
        if (!QFileInfo::exists(fixture(name))) {
            std::fprintf(stderr, "fixture missing: %s\n", qPrintable(fixture(name)));
            return false;
        }
    return true;
}

// Answers every question with No (keep the file) and reports nothing.
class QuietDialogs final : public MessageOnlyDialogs {
public:
    Answer message(const QString&, Buttons, Icon, const QString&) override { return Answer::No; }
};

// Nothing is deleted or started by a benchmark; the commands only need somewhere to send it.
class NoTrash final : public FileTrash {
public:
    bool moveToTrash(const QString&) override { return false; }
};
class NoLauncher final : public ProgramLauncher {
public:
    bool startDetached(const QString&, const QStringList&) override { return false; }
};

// No removable media.
class NoVolumes final : public VolumeTable {
public:
    QList<VolumeInfo> volumes() const override { return {}; }
};

// Runs the event loop until the widget has been painted once.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(QWidget* widget) : widget_(widget) { widget_->installEventFilter(this); }
    void wait() {
        if (!painted_)
            loop_.exec();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == widget_ && event->type() == QEvent::Paint && !painted_) {
            painted_ = true;
            // Quit once this paint event has been handled.
            QTimer::singleShot(0, &loop_, &QEventLoop::quit);
        }
        return false;
    }

private:
    QWidget* widget_;
    QEventLoop loop_;
    bool painted_ = false;
};

} // namespace tavimo::bench
