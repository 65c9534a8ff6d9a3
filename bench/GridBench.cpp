// Grids of 1,000, 10,000 and 100,000 album cells with pictures, offscreen: time to lay out and
// paint the first screen, time per wheel step, time to paint a screen of pictures not seen
// before, and the memory the cells take beyond an empty grid window.
//
// bench_grid            runs every size, each in a process of its own (clean memory figures)
// bench_grid --cells N  one size
//
// The pictures are 64 distinct 120 x 90 JPEGs; every cell holds its own picture handle, while
// the JPEG bytes are shared the way a picture store holds them once.

#include "BenchSupport.h"
#include "core/CellPicture.h"
#include "core/JpegCodec.h"
#include "ui/grid/ScrollBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QProcess>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cstdio>
#include <numeric>
#include <unistd.h>
#include <vector>

using namespace tavimo;

namespace {

std::vector<QByteArray> makePictures() {
    std::vector<QByteArray> pictures;
    for (int i = 0; i < 64; ++i) {
        QImage image(120, 90, QImage::Format_RGB888);
        QPainter painter(&image);
        QLinearGradient gradient(0, 0, 120, 90);
        gradient.setColorAt(0, QColor::fromHsv(i * 5, 200, 220));
        gradient.setColorAt(1, QColor::fromHsv((i * 37) % 360, 255, 90));
        painter.fillRect(image.rect(), gradient);
        painter.setPen(Qt::white);
        painter.drawText(image.rect(), Qt::AlignCenter, QString::number(i));
        painter.end();
        image.setPixelColor(0, 89, QColor(240, 240, 240));
        pictures.push_back(jpeg::encode(image));
    }
    return pictures;
}

void settle() {
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

struct Figures {
    double fillMs, firstPaintMs, wheelMs, wheelMedianMs, wheelMaxMs, freshScreenMs, memoryMb;
};

Figures measure(int cells) {
    const std::vector<QByteArray> pictures = makePictures();

    ScrollBox grid;
    grid.resize(640, 480);
    grid.show();
    grid.activateWindow();
    grid.setFocus();
    settle();
    const double emptyMb = bench::residentMegabytes();

    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < cells; ++i) {
        TVFPanel& cell = grid.addCell(QStringLiteral("アルバム%1_家族旅行と運動会の記録.2019")
                                          .arg(i, 6, 10, QLatin1Char('0')));
        cell.SetPicture(CellPicture::fromJpeg(pictures[size_t(i) % pictures.size()]));
    }
    Figures f{};
    f.fillMs = double(timer.nsecsElapsed()) / 1e6;

    timer.restart();
    grid.layOut();
    grid.select(0);
    grid.viewport()->repaint();
    f.firstPaintMs = double(timer.nsecsElapsed()) / 1e6;

    // Wheel steps downwards, each painted before the next.
    std::vector<double> steps;
    const QPointF at(100, 100);
    for (int i = 0; i < 300; ++i) {
        QWheelEvent wheel(at, grid.viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        timer.restart();
        QApplication::sendEvent(grid.viewport(), &wheel);
        QApplication::processEvents();
        steps.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    f.wheelMs = std::accumulate(steps.begin(), steps.end(), 0.0) / double(steps.size());
    f.wheelMedianMs = median(steps);
    f.wheelMaxMs = *std::max_element(steps.begin(), steps.end());
    if (qEnvironmentVariableIsSet("GRID_BENCH_STEPS"))
        for (size_t i = 0; i < steps.size(); ++i)
            if (steps[i] > 2)
                std::fprintf(stderr, "step %zu: %.2f ms\n", i, steps[i]);

    // Jumps to screens whose pictures are not decoded yet (a scroll-bar drag).
    std::vector<double> jumps;
    QScrollBar* bar = grid.verticalScrollBar();
    for (int i = 1; i <= 20; ++i) {
        timer.restart();
        bar->setValue(int(qint64(bar->maximum()) * i / 21));
        QApplication::processEvents();
        jumps.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    f.freshScreenMs = median(jumps);
    f.memoryMb = bench::residentMegabytes() - emptyMb;
    return f;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const QStringList args = QApplication::arguments();
    const int cellsArg = args.indexOf(QStringLiteral("--cells"));
    if (cellsArg > 0 && cellsArg + 1 < args.size()) {
        const int cells = args[cellsArg + 1].toInt();
        const Figures f = measure(cells);
        std::printf("%d cells: fill %.1f ms, first paint %.1f ms, wheel step mean %.2f ms "
                    "(median %.2f, max %.2f), new screen %.2f ms, memory %.1f MB\n",
                    cells, f.fillMs, f.firstPaintMs, f.wheelMs, f.wheelMedianMs, f.wheelMaxMs,
                    f.freshScreenMs, f.memoryMb);
        std::printf("RESULT %.1f %.2f %.1f\n", f.firstPaintMs, f.wheelMs, f.memoryMb);
        return 0;
    }

    QString last;
    for (int cells : {1000, 10000, 100000}) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QApplication::applicationFilePath(),
                    {QStringLiteral("--cells"), QString::number(cells)});
        child.waitForFinished(-1);
        const QStringList lines =
            QString::fromUtf8(child.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        for (const QString& line : lines) {
            if (line.startsWith(QStringLiteral("RESULT ")))
                last = line.mid(7);
            else
                std::printf("%s\n", qPrintable(line));
            std::fflush(stdout);
        }
    }
    const QStringList f = last.split(' ');
    if (f.size() == 3)
        std::printf("grid: 100000 cells first paint %s ms, scroll step %s ms, memory %s MB\n",
                    qPrintable(f[0]), qPrintable(f[1]), qPrintable(f[2]));
    return 0;
}
