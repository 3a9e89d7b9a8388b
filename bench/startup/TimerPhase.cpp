#include "bench/startup/TimerPhase.h"

#include "bench/support/BenchProcess.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <sched.h>

namespace {

constexpr int settleSeconds = 5;
constexpr int windowSeconds = 30;
constexpr double timerRatioTarget = 2.0;
constexpr double idleTarget = 0.3;

struct Program {
    const char* name;
    QString executable;
    QStringList arguments;
    QByteArray readyLine;
};

// Nanoseconds that the process's live threads have run, from the scheduler's own accounting
// (finer than the clock ticks of /proc/<pid>/stat); -1 when unreadable.
long long runNanoseconds(qint64 pid) {
    long long total = 0;
    const QStringList tasks =
        QDir(QStringLiteral("/proc/%1/task").arg(pid)).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& task : tasks) {
        QFile schedstat(QStringLiteral("/proc/%1/task/%2/schedstat").arg(pid).arg(task));
        if (!schedstat.open(QIODevice::ReadOnly))
            continue;
        total += schedstat.readAll().split(' ').value(0).toLongLong();
    }
    return tasks.isEmpty() ? -1 : total;
}

// Runs the programs side by side and returns the CPU each used over the window, in per cent of one
// core; empty when one did not start.
QList<double> measure(const QList<Program>& programs, bool pinned) {
    std::vector<QTemporaryDir> roots(programs.size());
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int i = 0; i < programs.size(); ++i) {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(
            isolatedEnvironment(roots[i].path(), "{\"brimlark.onboarded\": true}\n", false));
        process->setProcessChannelMode(QProcess::MergedChannels);
        if (pinned) {
            process->setChildProcessModifier([] {
                cpu_set_t cpus;
                CPU_ZERO(&cpus);
                CPU_SET(0, &cpus);
                sched_setaffinity(0, sizeof(cpus), &cpus);
            });
        }
        process->start(programs.at(i).executable, programs.at(i).arguments);
        QByteArray output;
        if (!waitForReadyLine(*process, programs.at(i).readyLine, &output)) {
            std::fprintf(stderr, "%s did not get ready:\n%s\n", programs.at(i).name, output.constData());
            for (auto& started : processes)
                stopProcess(*started);
            stopProcess(*process);
            return {};
        }
        processes.push_back(std::move(process));
    }
    QThread::sleep(settleSeconds);
    QList<long long> before;
    for (auto& process : processes) {
        process->readAll();
        before.append(runNanoseconds(process->processId()));
    }
    QThread::sleep(windowSeconds);
    QList<double> cpu;
    for (int i = 0; i < int(processes.size()); ++i) {
        const long long used = runNanoseconds(processes[i]->processId()) - before.at(i);
        cpu.append(100.0 * static_cast<double>(used) / 1e9 / windowSeconds);
        stopProcess(*processes[i]);
    }
    return cpu;
}

} // namespace

int runTimerPhase(const QString& brimlarkExecutable, const QString& benchExecutable,
                  const QString& anchorExecutable) {
    const QList<Program> programs = {
        {"brimlark, 1 h timer", benchExecutable, {QStringLiteral("--brimlark-with-timer")}, "timer started"},
        {"empty, 500 ms repaint", anchorExecutable, {QStringLiteral("--empty-timer-program")}, "ready"},
        {"brimlark, no timer", brimlarkExecutable, {}, "Brimlark bootstrapped"},
    };
    std::printf("\ntimer phase: CPU over %d s with the panel closed, %d s after start, side by side\n",
                windowSeconds, settleSeconds);
    bool allMet = true;
    for (const bool pinned : {false, true}) {
        const QList<double> cpu = measure(programs, pinned);
        if (cpu.isEmpty())
            return 1;
        std::printf("\n%s\n", pinned ? "pinned to CPU 0 (all three)" : "unpinned");
        std::printf("%-24s %16s\n", "program", "CPU (% of core)");
        for (int i = 0; i < programs.size(); ++i)
            std::printf("%-24s %16.3f\n", programs.at(i).name, cpu.at(i));
        const double ratio = cpu.at(1) > 0 ? cpu.at(0) / cpu.at(1) : -1;
        const bool ratioMet = ratio >= 0 && ratio <= timerRatioTarget;
        const bool idleMet = cpu.at(2) <= idleTarget;
        allMet = allMet && ratioMet && idleMet;
        std::printf("timer CPU ratio %.2f (target <= %.1f x the empty program): %s\n", ratio,
                    timerRatioTarget, ratioMet ? "met" : "MISSED");
        std::printf("idle CPU        %.3f %% of one core without a timer (target <= %.1f): %s\n", cpu.at(2),
                    idleTarget, idleMet ? "met" : "MISSED");
    }
    std::printf("\ntimer phase: %s\n", allMet ? "all targets met" : "a target MISSED");
    return 0;
}
