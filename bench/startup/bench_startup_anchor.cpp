// The empty Qt programs the start-up benchmark measures Brimlark against. They are built apart
// from the benchmark, which links the application for its timer mode, so that they load Qt
// Widgets alone, as a program of their size would:
//   bench_startup_anchor --empty-program        a QApplication with one small widget
//   bench_startup_anchor --empty-timer-program  the same, repainting a 356 x 102 widget each 500 ms
//   bench_startup_anchor --first-frame          the first, telling its first frame ("first frame")
#include "bench/support/BenchProcess.h"
#include "bench/support/FirstFrame.h"

#include <QApplication>
#include <QByteArray>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

int runEmptyTimerProgram(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget widget;
    widget.resize(356, 102);
    widget.show();
    QTimer repaint;
    QObject::connect(&repaint, &QTimer::timeout, &widget, qOverload<>(&QWidget::repaint));
    repaint.start(500);
    QTimer::singleShot(0, [] {
        std::fprintf(stdout, "ready\n");
        std::fflush(stdout);
    });
    return app.exec();
}

} // namespace

static int runFirstFrameProgram(int argc, char** argv) {
    QApplication app(argc, argv);
    app.installEventFilter(new FirstFrameReporter(&app));
    QWidget widget;
    widget.resize(200, 32);
    widget.show();
    return app.exec();
}

int main(int argc, char** argv) {
    if (argc > 1 && QByteArray(argv[1]) == "--empty-timer-program")
        return runEmptyTimerProgram(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == "--first-frame")
        return runFirstFrameProgram(argc, argv);
    return runEmptyProgram(argc, argv);
}
