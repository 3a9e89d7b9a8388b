// The camera mirror's cost per frame. The same 640 × 480 test-pattern frames go, 30 per second, to
// the mirror's panel under the notch (as images from the camera, as the camera module hands out a
// camera's 32-bit frames) and then, as video frames in the same memory layout, to a plain QVideoWidget of the
// panel's size at the same place; for each the process's CPU time (all threads) per frame is printed, and the
// ratio against the target of 1.5 at most.
#include "Brimlark/controls/CameraMirrorService.h"
#include "Brimlark/controls/CameraPreview.h"
#include "Brimlark/controls/MirrorWindowManager.h"
#include "Brimlark/core/PermissionsCoordinator.h"
#include "platform/UserDefaults.h"
#include "platform/fake/FakeCamera.h"
#include "platform/fake/FakeClock.h"
#include "platform/fake/FakeEventStore.h"
#include "platform/fake/FakePermissions.h"
#include "platform/fake/FakeScreens.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <QVideoFrame>
#include <QVideoFrameFormat>
#include <QVideoSink>
#include <QVideoWidget>

#include <cstdio>
#include <cstring>
#include <functional>
#include <sys/resource.h>

namespace {

constexpr int framesPerSecond = 30;
constexpr QSize frameSize(640, 480);

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Runs the event loop for `ms`.
void wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Counts paint events of the widgets it watches.
class PaintCounter : public QObject {
public:
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        count += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

struct Result {
    int frames = 0;
    double cpu = 0;
    double perFrameMs() const { return frames > 0 ? cpu * 1000.0 / frames : 0; }
};

// The image as a video frame of the same layout (BGRX bytes, as 32-bit RGB is in memory here).
QVideoFrame videoFrameOf(const QImage& image) {
    QVideoFrame frame(QVideoFrameFormat(image.size(), QVideoFrameFormat::Format_BGRX8888));
    if (!frame.map(QVideoFrame::WriteOnly))
        return {};
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(frame.bits(0) + qsizetype(y) * frame.bytesPerLine(0), image.constScanLine(y),
                    size_t(image.width()) * 4);
    frame.unmap();
    return frame;
}

// Calls `show` with frame 0, 1, 2, … at 30 per second for `seconds` after a one-second warm-up.
// `started` runs when the measured part begins.
Result feed(const std::function<void(int)>& show, int seconds, std::function<void()> started = {}) {
    int next = 0;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(1000 / framesPerSecond);
    QObject::connect(&timer, &QTimer::timeout, [&] { show(next++); });
    timer.start();
    wait(1000);
    const int firstFrame = next;
    if (started)
        started();
    const double cpuBefore = cpuSeconds();
    wait(seconds * 1000);
    Result result;
    result.cpu = cpuSeconds() - cpuBefore;
    result.frames = next - firstFrame;
    timer.stop();
    return result;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 30;
    QTemporaryDir home;

    // One second of distinct frames, made before anything is measured.
    QList<QImage> images;
    QList<QVideoFrame> frames;
    for (int i = 0; i < framesPerSecond; ++i) {
        images.append(FakeCamera::testPattern(i, frameSize));
        frames.append(videoFrameOf(images.last()));
    }

    // The mirror as the application has it, on a plain 1920 × 1080 screen; the fake clock keeps
    // the automatic stop away.
    UserDefaults defaults(home.filePath(QStringLiteral("defaults.json")));
    FakeClock clock;
    FakeScreens screens;
    screens.setScreens({FakeScreens::plain(QStringLiteral("Main"), QRect(0, 0, 1920, 1080))});
    FakeEventStore eventStore;
    FakePermissions permissions;
    PermissionsCoordinator permissionsCoordinator(eventStore, permissions, nullptr);
    FakeCamera camera;
    CameraMirrorService mirror(defaults, &camera, &clock);
    MirrorWindowManager windows(mirror, screens);
    windows.start();
    mirror.toggle(permissionsCoordinator);
    wait(200);
    if (!windows.popoverPanel() || !mirror.camera()) {
        std::fprintf(stderr, "the mirror's panel did not show\n");
        return 1;
    }
    QWidget* panel = windows.popoverPanel();
    PaintCounter mirrorPaints;
    for (CameraPreview* preview : panel->findChildren<CameraPreview*>())
        preview->installEventFilter(&mirrorPaints);
    const Result ours = feed([&](int i) { camera.deliverImage(images.at(i % images.size())); }, seconds,
                             [&] { mirrorPaints.count = 0; });
    const QRect place = panel->geometry();
    mirror.stop();
    wait(200);

    QVideoWidget plain;
    plain.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    plain.setGeometry(place);
    plain.show();
    wait(500);
    QVideoSink* sink = plain.videoSink();
    const Result anchor = feed([&](int i) { sink->setVideoFrame(frames.at(i % frames.size())); }, seconds);

    std::printf("platform %s, %d s per side, %d × %d frames at %d per second\n",
                qPrintable(QGuiApplication::platformName()), seconds, frameSize.width(), frameSize.height(),
                framesPerSecond);
    std::printf("%-22s %8s %10s %14s\n", "shown in", "frames", "CPU (s)", "CPU/frame (ms)");
    std::printf("%-22s %8d %10.3f %14.3f   (%d paints)\n", "mirror panel", ours.frames, ours.cpu,
                ours.perFrameMs(), mirrorPaints.count);
    std::printf("%-22s %8d %10.3f %14.3f\n", "QVideoWidget", anchor.frames, anchor.cpu, anchor.perFrameMs());
    const double ratio = anchor.perFrameMs() > 0 ? ours.perFrameMs() / anchor.perFrameMs() : 0;
    std::printf("\nratio %.2f (target <= 1.5): %s\n", ratio, ratio > 0 && ratio <= 1.5 ? "met" : "MISSED");
    return 0;
}
