// launchAll() of the app batch, beside the bare launches it stands on: app_batch [rounds] [--pinned]
// Writes 20 desktop entries ("Exec=/bin/true") to a private folder and adds them to a batch over
// the Linux bookmarks and workspace. Each round first launches the 20 entries in a bare loop of
// GIO launches on the main thread, then runs launchAll() and waits for its results; before each
// phase it waits until the applications of the one before have ended, so that they do not compete
// for the CPUs. A 1 ms timer on the main thread measures the longest gap between its ticks during
// launchAll(): the longest stall of the main thread, split into the main thread's own work and its
// wait for a CPU while runnable. For information it also times both phases until the applications
// they started have ended. Targets: median launchAll() <= 1.2 x the median loop, longest stall
// <= 16 ms. Prints met/MISSED and the load average; exits 1 on a miss.
// With --pinned, Brimlark's threads run on CPU 0 alone and the applications it starts on every CPU,
// as on a desktop where Brimlark alone was pinned. A child inherits the CPUs of the thread that
// spawns it, so the threads that spawn stay on every CPU while they do: the launch workers (which
// do nothing else) and the main thread during the bare loop. Every other thread, the main thread
// during launchAll() included, is pinned. Run it under `taskset` instead and the children share
// Brimlark's one CPU, a case no user's desktop has.
#include "Brimlark/apps/AppLauncherService.h"
#include "platform/UserDefaults.h"
#include "platform/fake/FakeFilePicker.h"
#include "platform/linux/apps/GioModule.h"
#include "platform/linux/desktop/LinuxBookmarks.h"
#include "platform/linux/desktop/LinuxWorkspace.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sched.h>
#include <set>
#include <unistd.h>
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

// The CPU time the calling thread has used, in milliseconds.
double threadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The time the main thread has waited runnable for a CPU, in milliseconds (the scheduler's count),
// read through a descriptor kept open so that a tick costs one read.
double mainRunDelayMs() {
    static const int fd = ::open("/proc/thread-self/schedstat", O_RDONLY | O_CLOEXEC);
    char text[96] = {};
    if (fd < 0 || ::pread(fd, text, sizeof text - 1, 0) <= 0)
        return 0;
    const QList<QByteArray> fields = QByteArray(text).split(' ');
    return fields.size() > 1 ? fields.at(1).toDouble() / 1e6 : 0;
}

// The processes this one started that have not been reaped yet, over all its threads.
int childCount() {
    int count = 0;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile children(tasks.filePath(task + QStringLiteral("/children")));
        if (!children.open(QIODevice::ReadOnly))
            continue;
        const QByteArray pids = children.readAll().simplified();
        count += pids.isEmpty() ? 0 : int(pids.count(' ')) + 1;
    }
    return count;
}

// Waits (up to 5 s) until every application a phase started has ended, so that the next phase
// does not share the CPUs with them: each phase is measured with its own launches only. Returns
// how long it waited, in milliseconds.
double settle() {
    QElapsedTimer waited;
    waited.start();
    while (childCount() > 0 && waited.elapsed() < 5000)
        QThread::msleep(2);
    return waited.nsecsElapsed() / 1e6;
}

// The threads of this process, by thread id.
std::set<pid_t> threadIds() {
    std::set<pid_t> ids;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        ids.insert(pid_t(task.toInt()));
    return ids;
}

// Brimlark pinned to one CPU, the applications it starts free (see the top of the file).
class Pinning {
public:
    explicit Pinning(bool on) : m_on(on) {
        sched_getaffinity(0, sizeof m_all, &m_all);
        CPU_ZERO(&m_one);
        CPU_SET(0, &m_one);
    }

    bool on() const { return m_on; }
    int cpuCount() const { return CPU_COUNT(&m_all); }

    // Every thread but the launch workers on the one CPU.
    void pinAllButWorkers() const {
        if (!m_on)
            return;
        for (const pid_t id : threadIds())
            if (m_workers.count(id) == 0)
                sched_setaffinity(id, sizeof m_one, &m_one);
    }
    // The calling thread on every CPU while it spawns, or starts the threads that do.
    void freeThisThread() const {
        if (m_on)
            sched_setaffinity(0, sizeof m_all, &m_all);
    }
    void pinThisThread() const {
        if (m_on)
            sched_setaffinity(0, sizeof m_one, &m_one);
    }
    // The threads launchAll() started while it ran, unpinned: the launch pool's workers.
    void startWorkers(AppLauncherService& apps) {
        if (!m_on) {
            apps.launchAll();
            return;
        }
        const std::set<pid_t> before = threadIds();
        freeThisThread();
        apps.launchAll();
        pinThisThread();
        for (const pid_t id : threadIds())
            if (before.count(id) == 0)
                m_workers.insert(id);
    }

private:
    const bool m_on;
    cpu_set_t m_all{};
    cpu_set_t m_one{};
    std::set<pid_t> m_workers;
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    const QStringList arguments = app.arguments().mid(1);
    Pinning pinning(arguments.contains(QStringLiteral("--pinned")));
    const QStringList counts = arguments.filter(QRegularExpression(QStringLiteral("^[0-9]+$")));
    const int rounds = counts.isEmpty() ? 15 : std::max(1, counts.first().toInt());

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
    // The longest stall's make-up: the main thread's own work, and its wait for a CPU while runnable.
    double stallWorkMs = 0.0;
    double stallRunDelayMs = 0.0;
    std::vector<double> roundStalls;
    // Each phase until the applications it started have ended as well: the time the launches
    // themselves took, wherever their start-up ran.
    std::vector<double> loopsToEnd;
    std::vector<double> runsToEnd;
    for (int round = 0; round < rounds; ++round) {
        settle();
        pinning.pinAllButWorkers();
        pinning.freeThisThread();
        QElapsedTimer clock;
        clock.start();
        for (const QString& path : std::as_const(files)) {
            QString error;
            if (gio->launchDesktopFile(QFile::encodeName(path), &error) != GioModule::Launch::started)
                ++failures;
        }
        loops.push_back(clock.nsecsElapsed() / 1e6);
        pinning.pinThisThread();

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
        double work = 0.0;
        double runDelay = 0.0;
        double lastCpu = 0.0;
        double lastRunDelay = 0.0;
        const auto tick = [&] {
            const double gap = sinceTick.nsecsElapsed() / 1e6;
            const double cpu = threadCpuMs();
            const double delay = mainRunDelayMs();
            if (gap > stall) {
                stall = gap;
                work = cpu - lastCpu;
                runDelay = delay - lastRunDelay;
            }
            lastCpu = cpu;
            lastRunDelay = delay;
            sinceTick.restart();
        };
        QObject::connect(&ticker, &QTimer::timeout, tick);
        loopsToEnd.push_back(loops.back() + settle());
        ticker.start();
        lastCpu = threadCpuMs();
        lastRunDelay = mainRunDelayMs();
        sinceTick.start();
        clock.restart();
        pinning.startWorkers(apps);
        if (apps.isLaunching())
            wait.exec();
        runs.push_back(clock.nsecsElapsed() / 1e6);
        tick();
        roundStalls.push_back(stall);
        if (stall > longestStall) {
            longestStall = stall;
            stallWorkMs = work;
            stallRunDelayMs = runDelay;
        }
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
        runsToEnd.push_back(runs.back() + settle());
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
    if (pinning.on())
        std::printf("  pinned: Brimlark on CPU 0, the launch workers and the applications on all %d CPUs\n",
                    pinning.cpuCount());
    else if (pinning.cpuCount() < int(sysconf(_SC_NPROCESSORS_ONLN)))
        std::printf("  under an outside CPU mask: %d of %ld CPUs, the applications on the same ones\n",
                    pinning.cpuCount(), sysconf(_SC_NPROCESSORS_ONLN));
    else
        std::printf("  unpinned: %d CPUs\n", pinning.cpuCount());
    std::printf("  bare GIO loop  median %.2f ms\n", loop);
    std::printf("  launchAll()    median %.2f ms  (%.2f x the loop, target <= %.1f x)\n", run, ratio,
                ratioTarget);
    std::printf(
        "  until the started applications have ended: loop median %.2f ms, launchAll() median %.2f ms "
        "(%.2f x)\n",
        median(loopsToEnd), median(runsToEnd), median(runsToEnd) / median(loopsToEnd));
    std::printf("  longest main-thread stall during launchAll() %.2f ms (target <= %.0f ms); of it %.2f ms "
                "waiting runnable for a CPU, %.2f ms working; median round's longest %.2f ms\n",
                longestStall, stallTargetMs, stallRunDelayMs, stallWorkMs, median(roundStalls));
    std::printf("  longest gap of the same ticker with nothing launching (anchor) %.2f ms\n", longestIdleGap);
    if (failures > 0)
        std::printf("  %d launches did not start\n", failures);
    std::printf("%s\n", met ? "met" : "MISSED");
    return met ? 0 : 1;
}
