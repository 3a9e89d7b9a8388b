#include "bench/startup/TimerPhase.h"

#include "bench/support/BenchProcess.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <ctime>
#include <memory>
#include <sched.h>
#include <unistd.h>
#include <vector>

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

// CPU time the whole process has used so far, in nanoseconds, from the kernel's clock of the
// process: the threads that have ended count too, as in the user and system times of
// /proc/<pid>/stat, but without their 10 ms steps (over 30 s the anchor uses only a few of those).
// -1 when the process is gone.
long long cpuNanoseconds(qint64 pid) {
    clockid_t clock;
    timespec used{};
    if (clock_getcpuclockid(static_cast<pid_t>(pid), &clock) != 0 || clock_gettime(clock, &used) != 0)
        return -1;
    return static_cast<long long>(used.tv_sec) * 1000000000LL + used.tv_nsec;
}

// One reading of every program, taken back to back so that all share the same window.
struct Reading {
    QList<long long> nanoseconds;
    QList<long long> ticks;
};

Reading read(const std::vector<std::unique_ptr<QProcess>>& processes) {
    Reading reading;
    for (const auto& process : processes) {
        const qint64 pid = process->state() == QProcess::Running ? process->processId() : 0;
        reading.nanoseconds.append(pid > 0 ? cpuNanoseconds(pid) : -1);
        reading.ticks.append(pid > 0 ? cpuTicks(pid) : -1);
    }
    return reading;
}

struct Usage {
    // Per cent of one core over the window, from the process clock and from /proc/<pid>/stat.
    QList<double> cpu;
    QList<double> statCpu;
};

// Runs the programs side by side and returns the CPU each used over the same window; empty when
// one did not start or ended before the window did.
Usage measure(const QList<Program>& programs, bool pinned) {
    std::vector<QTemporaryDir> roots(programs.size());
    std::vector<std::unique_ptr<QProcess>> processes;
    auto stopAll = [&processes] {
        for (auto& process : processes)
            stopProcess(*process);
    };
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
        const bool ready = waitForReadyLine(*process, programs.at(i).readyLine, &output);
        processes.push_back(std::move(process));
        if (!ready) {
            std::fprintf(stderr, "%s did not get ready:\n%s\n", programs.at(i).name, output.constData());
            stopAll();
            return {};
        }
    }
    QThread::sleep(settleSeconds);
    for (auto& process : processes)
        process->readAll();
    const Reading before = read(processes);
    QThread::sleep(windowSeconds);
    const Reading after = read(processes);
    Usage usage;
    const double ticksPerSecond = static_cast<double>(sysconf(_SC_CLK_TCK));
    for (int i = 0; i < int(processes.size()); ++i) {
        const bool readable = before.nanoseconds.at(i) >= 0 && after.nanoseconds.at(i) >= 0 &&
                              before.ticks.at(i) >= 0 && after.ticks.at(i) >= 0;
        if (!readable) {
            std::fprintf(stderr, "%s ended during the measurement:\n%s\n", programs.at(i).name,
                         processes[i]->readAll().constData());
            stopAll();
            return {};
        }
        const long long used = after.nanoseconds.at(i) - before.nanoseconds.at(i);
        const long long ticks = after.ticks.at(i) - before.ticks.at(i);
        usage.cpu.append(100.0 * static_cast<double>(used) / 1e9 / windowSeconds);
        usage.statCpu.append(100.0 * static_cast<double>(ticks) / ticksPerSecond / windowSeconds);
    }
    stopAll();
    return usage;
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
        const Usage usage = measure(programs, pinned);
        if (usage.cpu.isEmpty())
            return 1;
        const QList<double>& cpu = usage.cpu;
        std::printf("\n%s\n", pinned ? "pinned to CPU 0 (all three)" : "unpinned");
        std::printf("%-24s %16s %18s\n", "program", "CPU (% of core)", "/proc stat (10 ms)");
        for (int i = 0; i < programs.size(); ++i)
            std::printf("%-24s %16.3f %18.3f\n", programs.at(i).name, cpu.at(i), usage.statCpu.at(i));
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
