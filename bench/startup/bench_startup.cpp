// Measures, in one run, for Brimlark (offscreen) and for an empty QApplication with one widget:
//   - the time from starting the process to its ready line ("Brimlark bootstrapped" / "ready"),
//     the median of several runs; and Brimlark's time again with one 40 MB text among its
//     settings, beside the ordinary start (`bench_startup settings [runs]` runs these starts alone);
//   - the resident set size 5 s after start;
//   - the CPU used over the following 30 s of idling, in per cent of one core;
//   - the timer phase (TimerPhase.h): the CPU of a running countdown against the empty program
//     repainting as often, unpinned and pinned to one CPU. `bench_startup timer` runs it alone;
//   - the xcb phase (XcbPhase.h): both programs on an X server of their own, to their first frame,
//     unpinned and pinned. `bench_startup xcb [runs]` runs it alone.
// Both programs run with HOME and the XDG folders in a fresh temporary folder.
#include "bench/startup/BrimlarkWithTimer.h"
#include "bench/startup/TimerPhase.h"
#include "bench/startup/XcbPhase.h"
#include "bench/support/BenchProcess.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr int settleSeconds = 5;
constexpr int idleSeconds = 30;

// Onboarding done, as on every launch but the first.
const QByteArray ordinarySettings = "{\"brimlark.onboarded\": true}\n";

// The same with one 40 MB text beside it (kept there by the user or another version).
QByteArray largeSettings() {
    return "{\"brimlark.onboarded\": true, \"large.text\": \"" + QByteArray(40 * 1024 * 1024, 'x') + "\"}\n";
}

struct Program {
    QString name;
    QString executable;
    QStringList arguments;
    QByteArray readyLine;
    QByteArray settings = ordinarySettings;
    // Measured on the start after a first one in the same home, over the settings it left.
    bool afterAFirstStart = false;
};

// Starts `program` and waits for its ready line; the time in ms, or -1 on failure. The process is
// left running in `process`. The settings file is written first unless `keepSettings`.
double startUntilReady(const Program& program, QProcess& process, const QString& root,
                       bool keepSettings = false) {
    process.setProcessEnvironment(
        isolatedEnvironment(root, keepSettings ? QByteArray() : program.settings, true));
    process.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer clock;
    clock.start();
    process.start(program.executable, program.arguments);
    QByteArray output;
    if (waitForReadyLine(process, program.readyLine, &output))
        return static_cast<double>(clock.nsecsElapsed()) / 1e6;
    std::fprintf(stderr, "%s did not get ready:\n%s\n", qPrintable(program.name), output.constData());
    return -1;
}

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? -1 : values.at(values.size() / 2);
}

// Resident set size in KiB from /proc/<pid>/status.
long residentKiB(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> lines = status.readAll().split('\n');
    for (const QByteArray& line : lines) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

// The median start time of each program over `runs` rounds, alternating them so that each sees
// the same machine state; empty when one did not get ready.
QList<double> medianStarts(const QList<Program>& programs, int runs) {
    QList<QList<double>> times(programs.size());
    for (int run = 0; run < runs + 1; ++run) {
        for (qsizetype i = 0; i < programs.size(); ++i) {
            QTemporaryDir root;
            if (programs.at(i).afterAFirstStart) {
                QProcess first;
                const bool started = startUntilReady(programs.at(i), first, root.path()) >= 0;
                stopProcess(first);
                if (!started)
                    return {};
            }
            QProcess process;
            const double ms =
                startUntilReady(programs.at(i), process, root.path(), programs.at(i).afterAFirstStart);
            stopProcess(process);
            if (ms < 0)
                return {};
            if (run > 0) // the first round only warms the file cache
                times[i].append(ms);
        }
    }
    QList<double> medians;
    for (const QList<double>& each : std::as_const(times))
        medians.append(median(each));
    return medians;
}

// `starts`: the ordinary start, then the first and a later start with 40 MB in the settings.
void printSettingsPhase(const QList<double>& starts) {
    std::printf("\nwith a 40 MB text in the settings (target <= 2.0 x the ordinary start, %.1f ms):\n",
                starts.at(0));
    const char* const names[] = {"the first start (writes once)", "a later start (writes nothing)"};
    for (int n = 0; n < 2; ++n) {
        const double ratio = starts.at(n + 1) / starts.at(0);
        std::printf("  %-32s %8.1f ms  %5.2f x: %s\n", names[n], starts.at(n + 1), ratio,
                    ratio <= 2.0 ? "met" : "MISSED");
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && QByteArray(argv[1]) == "--brimlark-with-timer")
        return runBrimlarkWithTimer(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == "--brimlark-first-frame")
        return runBrimlarkToFirstFrame(argc, argv);

    QCoreApplication app(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == "timer")
        return runTimerPhase(QStringLiteral(BRIMLARK_EXECUTABLE), QCoreApplication::applicationFilePath(),
                             QStringLiteral(BENCH_ANCHOR_EXECUTABLE));
    if (argc > 1 && QByteArray(argv[1]) == "xcb")
        return runXcbPhase(QCoreApplication::applicationFilePath(), QStringLiteral(BENCH_ANCHOR_EXECUTABLE),
                           argc > 2 ? std::max(1, QByteArray(argv[2]).toInt()) : 11);
    const bool settingsOnly = argc > 1 && QByteArray(argv[1]) == "settings";
    const int runsArgument = settingsOnly ? 2 : 1;
    const int runs = argc > runsArgument ? std::max(1, QByteArray(argv[runsArgument]).toInt()) : 5;
    const QList<Program> programs = {
        {QStringLiteral("brimlark"),
         QStringLiteral(BRIMLARK_EXECUTABLE),
         {},
         QByteArrayLiteral("Brimlark bootstrapped")},
        {QStringLiteral("empty"),
         QStringLiteral(BENCH_ANCHOR_EXECUTABLE),
         {QStringLiteral("--empty-program")},
         QByteArrayLiteral("ready")},
    };
    Program large = programs.at(0);
    large.name = QStringLiteral("brimlark, 40 MB settings");
    large.settings = largeSettings();
    Program largeLater = large;
    largeLater.name = QStringLiteral("brimlark, 40 MB, later");
    largeLater.afterAFirstStart = true;

    // Start-up: the four starts alternate.
    const QList<Program> started = {programs.at(0), programs.at(1), large, largeLater};
    const QList<double> starts = medianStarts(started, runs);
    if (starts.isEmpty())
        return 1;
    if (settingsOnly) {
        std::printf("%-26s %12s\n", "program", "start (ms)");
        for (qsizetype i = 0; i < started.size(); ++i)
            std::printf("%-26s %12.1f\n", qPrintable(started.at(i).name), starts.at(i));
        printSettingsPhase({starts.at(0), starts.at(2), starts.at(3)});
        std::printf("(median of %d starts each)\n", runs);
        return 0;
    }

    // Memory and idle CPU: both run side by side for 5 + 30 s.
    QTemporaryDir roots[2];
    QProcess processes[2];
    for (int i = 0; i < 2; ++i) {
        if (startUntilReady(programs.at(i), processes[i], roots[i].path()) < 0)
            return 1;
    }
    QThread::sleep(settleSeconds);
    long rss[2];
    long long ticksBefore[2];
    for (int i = 0; i < 2; ++i) {
        processes[i].readAll();
        rss[i] = residentKiB(processes[i].processId());
        ticksBefore[i] = cpuTicks(processes[i].processId());
    }
    QThread::sleep(idleSeconds);
    double cpu[2];
    const double ticksPerSecond = static_cast<double>(sysconf(_SC_CLK_TCK));
    for (int i = 0; i < 2; ++i) {
        const long long used = cpuTicks(processes[i].processId()) - ticksBefore[i];
        cpu[i] = 100.0 * static_cast<double>(used) / ticksPerSecond / idleSeconds;
        stopProcess(processes[i]);
    }

    const double start[2] = {starts.at(0), starts.at(1)};
    std::printf("%-10s %12s %12s %16s\n", "program", "start (ms)", "RSS (MiB)", "idle CPU (%)");
    for (int i = 0; i < 2; ++i)
        std::printf("%-10s %12.1f %12.1f %16.3f\n", qPrintable(programs.at(i).name), start[i],
                    rss[i] / 1024.0, cpu[i]);
    const double startRatio = start[0] / start[1];
    const double rssRatio = static_cast<double>(rss[0]) / static_cast<double>(rss[1]);
    std::printf("\nstart ratio %.2f (target <= 1.5): %s\n", startRatio, startRatio <= 1.5 ? "met" : "MISSED");
    std::printf("RSS ratio   %.2f (target <= 1.5): %s\n", rssRatio, rssRatio <= 1.5 ? "met" : "MISSED");
    std::printf("idle CPU    %.3f %% of one core (target <= 0.3): %s\n", cpu[0],
                cpu[0] <= 0.3 ? "met" : "MISSED");
    printSettingsPhase({starts.at(0), starts.at(2), starts.at(3)});
    std::printf("(median of %d starts each; RSS %d s after start; CPU over %d s idle)\n", runs, settleSeconds,
                idleSeconds);
    if (runXcbPhase(QCoreApplication::applicationFilePath(), QStringLiteral(BENCH_ANCHOR_EXECUTABLE), runs) !=
        0)
        return 1;
    return runTimerPhase(QStringLiteral(BRIMLARK_EXECUTABLE), QCoreApplication::applicationFilePath(),
                         QStringLiteral(BENCH_ANCHOR_EXECUTABLE));
}
