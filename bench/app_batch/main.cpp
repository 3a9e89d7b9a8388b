// launchAll() of the app batch, beside the bare launches it stands on: app_batch [rounds]
// Writes 20 desktop entries ("Exec=/bin/true") to a private folder and adds them to a batch over
// the Linux bookmarks and workspace. Each round first launches the 20 entries in a bare loop of
// GIO launches on the main thread, then runs launchAll() and waits for its results. A 1 ms timer
// on the main thread measures the longest gap between its ticks during launchAll(): the longest
// stall of the main thread. Targets: median launchAll() <= 1.2 x the median loop, longest stall
// <= 16 ms. Prints met/MISSED and the load average; exits 1 on a miss.
#include "Brimlark/shelf/AppLauncherService.h"
#include "platform/UserDefaults.h"
#include "platform/fake/FakeFilePicker.h"
#include "platform/linux/GioModule.h"
#include "platform/linux/LinuxBookmarks.h"
#include "platform/linux/LinuxWorkspace.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int entryCount = 20;
constexpr double ratioTarget = 1.2;
constexpr double stallTargetMs = 16.0;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

QByteArray loadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray("unknown");
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    const int rounds = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 15;

    QTemporaryDir dir;
    QStringList files;
    for (int i = 0; i < entryCount; ++i) {
        const QString path = dir.filePath(QStringLiteral("bench-%1.desktop").arg(i));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write(QStringLiteral("[Desktop Entry]\nType=Application\nName=Bench %1\nExec=/bin/true\n")
                       .arg(i)
                       .toUtf8());
        files.append(path);
    }

    const GioModule* gio = gioModule();
    if (!gio) {
        std::fprintf(stderr, "app_batch: the GIO module could not be loaded\n");
        return 1;
    }
    UserDefaults defaults(dir.filePath(QStringLiteral("defaults.json")));
    LinuxBookmarks bookmarks;
    LinuxWorkspace workspace;
    FakeFilePicker picker;
    AppLauncherService apps(defaults, bookmarks, workspace, picker);
    for (const QString& path : files) {
        QString error;
        if (!apps.addApp(path, &error)) {
            std::fprintf(stderr, "app_batch: %s\n", qPrintable(error));
            return 1;
        }
    }

    std::vector<double> loops;
    std::vector<double> runs;
    double longestStall = 0.0;
    double longestIdleGap = 0.0;
    int failures = 0;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer clock;
        clock.start();
        for (const QString& path : std::as_const(files)) {
            QString error;
            if (gio->launchDesktopFile(QFile::encodeName(path), &error) != GioModule::Launch::started)
                ++failures;
        }
        loops.push_back(clock.nsecsElapsed() / 1e6);

        QEventLoop wait;
        QObject::connect(&apps, &AppLauncherService::isLaunchingChanged, &wait, [&wait](bool launching) {
            if (!launching)
                wait.quit();
        });
        QTimer ticker;
        ticker.setTimerType(Qt::PreciseTimer);
        ticker.setInterval(1);
        QElapsedTimer sinceTick;
        double stall = 0.0;
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            stall = std::max(stall, sinceTick.nsecsElapsed() / 1e6);
            sinceTick.restart();
        });
        ticker.start();
        sinceTick.start();
        clock.restart();
        apps.launchAll();
        if (apps.isLaunching())
            wait.exec();
        runs.push_back(clock.nsecsElapsed() / 1e6);
        stall = std::max(stall, sinceTick.nsecsElapsed() / 1e6);
        longestStall = std::max(longestStall, stall);
        for (const AppLaunchResult& result : apps.lastResults())
            failures += result.kind == AppLaunchResult::Kind::launched ? 0 : 1;

        // The anchor: the same ticker with nothing launching, as long as the run took.
        double idle = 0.0;
        QObject::disconnect(&ticker, nullptr, nullptr, nullptr);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            idle = std::max(idle, sinceTick.nsecsElapsed() / 1e6);
            sinceTick.restart();
        });
        QEventLoop pause;
        QTimer::singleShot(static_cast<int>(runs.back()) + 1, &pause, &QEventLoop::quit);
        sinceTick.restart();
        pause.exec();
        ticker.stop();
        longestIdleGap = std::max(longestIdleGap, idle);
    }

    const double loop = median(loops);
    const double run = median(runs);
    const double ratio = run / loop;
    const bool met = ratio <= ratioTarget && longestStall <= stallTargetMs && failures == 0;
    std::printf("app_batch: %d entries, %d rounds, load average %s\n", entryCount, rounds,
                loadAverage().constData());
    std::printf("  bare GIO loop  median %.2f ms\n", loop);
    std::printf("  launchAll()    median %.2f ms  (%.2f x the loop, target <= %.1f x)\n", run, ratio,
                ratioTarget);
    std::printf("  longest main-thread stall during launchAll() %.2f ms (target <= %.0f ms)\n", longestStall,
                stallTargetMs);
    std::printf("  longest gap of the same ticker with nothing launching (anchor) %.2f ms\n", longestIdleGap);
    if (failures > 0)
        std::printf("  %d launches did not start\n", failures);
    std::printf("%s\n", met ? "met" : "MISSED");
    return met ? 0 : 1;
}
