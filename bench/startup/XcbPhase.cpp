#include "bench/startup/XcbPhase.h"

#include "bench/support/BenchProcess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QUuid>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <sched.h>

namespace {

constexpr double startRatioTarget = 1.5;
// The start with a large notes file against the start with none.
constexpr double notesRatioTarget = 1.3;
constexpr int manyNotes = 10000;
// Between two starts: an X server whose last client left resets itself, and a program started
// during that reset waits for it (about 17 ms, which the empty program, started after Brimlark,
// never paid).
constexpr int pauseBetweenStartsMs = 500;

struct Program {
    const char* name;
    QString executable;
    QStringList arguments;
    // Notes in the program's notes file (none: no file).
    int notes = 0;
};

// A notes file of `count` notes of about 500 characters each (10,000 make 5 MB).
QByteArray notesFile(int count) {
    const QByteArray body = QByteArray("a thought worth keeping, with a few words more; ").repeated(10);
    QByteArray text = "[\n";
    for (int i = 0; i < count; ++i) {
        text += "  {\"body\": \"" + body + QByteArray::number(i) + "\", \"id\": \"" +
                QUuid::createUuid().toByteArray(QUuid::WithoutBraces).toUpper() +
                "\", \"updatedAt\": \"2026-01-04T08:00:00Z\"}" + (i + 1 < count ? ",\n" : "\n");
    }
    return text + "]\n";
}

bool writeNotes(const QString& root, int count) {
    const QString folder = root + QStringLiteral("/data/com.brimlark.app");
    QDir().mkpath(folder);
    QFile file(folder + QStringLiteral("/notes.json"));
    static const QByteArray text = notesFile(count);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

void pinToFirstCpu(QProcess& process) {
    process.setChildProcessModifier([] {
        cpu_set_t cpus;
        CPU_ZERO(&cpus);
        CPU_SET(0, &cpus);
        sched_setaffinity(0, sizeof(cpus), &cpus);
    });
}

// Starts `program` with `arguments` and returns the first line it prints (the display number of
// Xvfb -displayfd 1, the address of dbus-daemon --print-address=1); empty when it printed none
// within 10 s.
QByteArray startAndReadLine(QProcess& process, const QString& program, const QStringList& arguments,
                            bool pinned) {
    if (pinned)
        pinToFirstCpu(process);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, arguments);
    QByteArray output;
    QElapsedTimer clock;
    clock.start();
    while (!output.contains('\n') && clock.elapsed() < 10000) {
        if (!process.waitForReadyRead(100) && process.state() == QProcess::NotRunning)
            break;
        output += process.readAllStandardOutput();
    }
    return output.contains('\n') ? output.left(output.indexOf('\n')).trimmed() : QByteArray();
}

// The servers of one round: the X server and, when there is one, the session bus.
struct Servers {
    QProcess x;
    QProcess bus;
    QByteArray display;
    QByteArray busAddress;

    ~Servers() {
        stopProcess(bus);
        stopProcess(x);
    }
};

bool startServers(Servers& servers, bool pinned) {
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty()) {
        std::fprintf(stderr, "xcb phase: Xvfb is not installed\n");
        return false;
    }
    const QByteArray number = startAndReadLine(
        servers.x, xvfb,
        {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
         QStringLiteral("1920x1080x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")},
        pinned);
    if (number.isEmpty()) {
        std::fprintf(stderr, "xcb phase: Xvfb did not start:\n%s\n",
                     servers.x.readAllStandardError().constData());
        return false;
    }
    servers.display = ":" + number;
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (!daemon.isEmpty())
        servers.busAddress = startAndReadLine(
            servers.bus, daemon,
            {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")},
            pinned);
    return true;
}

// Starts `program` on the round's servers and returns the time to its first frame in ms; -1 when
// it did not show one.
double timeToFirstFrame(const Program& program, const Servers& servers, bool pinned) {
    QTemporaryDir root;
    QProcessEnvironment env = isolatedEnvironment(root.path(), "{\"brimlark.onboarded\": true}\n", false);
    if (program.notes > 0 && !writeNotes(root.path(), program.notes)) {
        std::fprintf(stderr, "xcb phase: the notes file could not be written\n");
        return -1;
    }
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(servers.display));
    if (servers.busAddress.isEmpty())
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    else
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromLatin1(servers.busAddress));
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (pinned)
        pinToFirstCpu(process);
    QElapsedTimer clock;
    clock.start();
    process.start(program.executable, program.arguments);
    QByteArray output;
    const bool shown = waitForReadyLine(process, "first frame", &output);
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    stopProcess(process);
    QThread::msleep(pauseBetweenStartsMs);
    if (!shown) {
        std::fprintf(stderr, "xcb phase: %s showed no frame:\n%s\n", program.name, output.constData());
        return -1;
    }
    return ms;
}

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? -1 : values.at(values.size() / 2);
}

QByteArray loadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return "?";
    const QList<QByteArray> fields = file.readAll().split(' ');
    return fields.mid(0, 3).join(' ');
}

} // namespace

int runXcbPhase(const QString& benchExecutable, const QString& anchorExecutable, int runs) {
    const QList<Program> programs = {
        {"brimlark", benchExecutable, {QStringLiteral("--brimlark-first-frame")}},
        {"empty", anchorExecutable, {QStringLiteral("--first-frame")}},
        {"10k notes", benchExecutable, {QStringLiteral("--brimlark-first-frame")}, manyNotes},
    };
    std::printf("\nxcb phase: start to first frame on Xvfb, median of %d starts each, %d ms apart; "
                "\"10k notes\" is Brimlark with %d notes (5 MB)\n",
                runs, pauseBetweenStartsMs, manyNotes);
    bool allMet = true;
    for (const bool pinned : {false, true}) {
        Servers servers;
        if (!startServers(servers, pinned))
            return 1;
        const QByteArray load = loadAverage();
        QList<double> times[3];
        // The first round only warms the file cache.
        for (int run = 0; run < runs + 1; ++run) {
            for (int i = 0; i < 3; ++i) {
                const double ms = timeToFirstFrame(programs.at(i), servers, pinned);
                if (ms < 0)
                    return 1;
                if (run > 0)
                    times[i].append(ms);
            }
        }
        const double brimlark = median(times[0]);
        const double empty = median(times[1]);
        const double withNotes = median(times[2]);
        const double ratio = brimlark / empty;
        const bool met = ratio <= startRatioTarget;
        const double notesRatio = withNotes / brimlark;
        const bool notesMet = notesRatio <= notesRatioTarget;
        allMet = allMet && met && notesMet;
        std::printf("\n%s (load average %s; %s)\n",
                    pinned ? "pinned to CPU 0 (programs, X server, bus)" : "unpinned", load.constData(),
                    servers.busAddress.isEmpty() ? "no session bus" : "own session bus");
        std::printf("%-10s %18s\n", "program", "first frame (ms)");
        for (int i = 0; i < 3; ++i)
            std::printf("%-10s %18.1f\n", programs.at(i).name, median(times[i]));
        std::printf("start ratio %.2f (target <= %.1f x the empty program): %s\n", ratio, startRatioTarget,
                    met ? "met" : "MISSED");
        std::printf("notes ratio %.2f (target <= %.1f x Brimlark without notes): %s\n", notesRatio,
                    notesRatioTarget, notesMet ? "met" : "MISSED");
    }
    std::printf("\nxcb phase: %s\n", allMet ? "all targets met" : "a target MISSED");
    return 0;
}
