// Measures, in one run, the CPU time (per cent of one core) and the wake-ups per second (voluntary
// plus involuntary context switches of all its threads) of a whole process over a window of idling:
//   - an empty QApplication with one small widget;
//   - Brimlark with the panel closed and nothing to show;
//   - Brimlark with a persistent glow on show (glow mode "persistent", one asking hook event);
//   - Brimlark with a pulsing tray dot and no glow (glow mode "off", one asking hook event).
// Each program runs alone, with HOME and the XDG folders in a fresh temporary folder. With a
// DISPLAY the bench owns the X11 tray selection itself, so Brimlark finds a tray to draw into;
// without one the programs run offscreen, where no tray exists. The asking event waits in the hook
// inbox file when Brimlark starts, so that no other program on the hook port can take it.
//   bench_idle [seconds] [brimlark executable, to compare another build]
#include "bench/support/BenchProcess.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {

constexpr int settleSeconds = 3;

struct Scenario {
    QString name;
    bool brimlark;
    QByteArray defaults;
    bool askingEvent;
};

bool startUntilReady(const QString& executable, const QStringList& arguments, const QByteArray& readyLine,
                     QProcess& process, const QProcessEnvironment& env) {
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(executable, arguments);
    QByteArray output;
    if (waitForReadyLine(process, readyLine, &output))
        return true;
    std::fprintf(stderr, "%s did not get ready:\n%s\n", qPrintable(executable), output.constData());
    return false;
}

// Voluntary plus involuntary context switches of each of the process's threads, by thread id:
// every time a thread went to sleep and was woken, or was preempted.
QHash<QString, long long> contextSwitches(qint64 pid) {
    QHash<QString, long long> switches;
    const QStringList tasks =
        QDir(QStringLiteral("/proc/%1/task").arg(pid)).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& task : tasks) {
        QFile status(QStringLiteral("/proc/%1/task/%2/status").arg(pid).arg(task));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        long long total = 0;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("voluntary_ctxt_switches:") || line.startsWith("nonvoluntary_ctxt_switches:"))
                total += line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
        }
        switches.insert(task, total);
    }
    return switches;
}

// The switches between two readings: a thread that came meanwhile counts whole; one that went (a
// pool thread expiring) is counted up to the first reading only, rather than subtracted.
long long switchesBetween(const QHash<QString, long long>& before, const QHash<QString, long long>& after) {
    long long total = 0;
    for (auto it = after.constBegin(); it != after.constEnd(); ++it)
        total += it.value() - before.value(it.key(), 0);
    return total;
}

// Leaves one asking hook event in the inbox file of the support folder under `dataHome`, where
// Brimlark reads it at start.
bool writeAskingEvent(const QString& dataHome) {
    const QByteArray body =
        R"({"source":"claude","event":"PermissionRequest","tool_name":"Bash","status":"asking",)"
        R"("cwd":"/home/dev/src/app","session_id":"bench-idle","message":"may I run make?"})";
    const QString folder = dataHome + QStringLiteral("/com.brimlark.app/hooks");
    QFile inbox(folder + QStringLiteral("/inbox.json"));
    return QDir().mkpath(folder) && inbox.open(QIODevice::WriteOnly) && inbox.write(body) == body.size();
}

// A stand-in system tray: owns _NET_SYSTEM_TRAY_S<screen> and announces it, so that Qt's tray icon
// finds a tray. It never embeds the icon; the program still renders each new tray picture.
class TrayOwner {
public:
    TrayOwner() {
        if (!qEnvironmentVariableIsSet("DISPLAY"))
            return;
        int screenNumber = 0;
        m_connection = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(m_connection))
            return;
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
        for (int i = 0; i < screenNumber; ++i)
            xcb_screen_next(&it);
        xcb_screen_t* screen = it.data;
        const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(screenNumber);
        const xcb_atom_t selection = atom(name);
        const xcb_window_t window = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_set_selection_owner(m_connection, window, selection, XCB_CURRENT_TIME);
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = screen->root;
        event.type = atom("MANAGER");
        event.data.data32[0] = XCB_CURRENT_TIME;
        event.data.data32[1] = selection;
        event.data.data32[2] = window;
        xcb_send_event(m_connection, 0, screen->root, XCB_EVENT_MASK_STRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
        xcb_flush(m_connection);
        m_owned = true;
    }
    ~TrayOwner() {
        if (m_connection)
            xcb_disconnect(m_connection);
    }
    bool owned() const { return m_owned; }

private:
    xcb_atom_t atom(const QByteArray& name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, uint16_t(name.size()), name.constData()), nullptr);
        const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(reply);
        return result;
    }

    xcb_connection_t* m_connection = nullptr;
    bool m_owned = false;
};

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && QByteArray(argv[1]) == "--empty-program")
        return runEmptyProgram(argc, argv);

    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(5, QByteArray(argv[1]).toInt()) : 60;
    const QString brimlark = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(BRIMLARK_EXECUTABLE);
    const TrayOwner tray;
    const QByteArray onboarded = R"("brimlark.onboarded": true)";
    const QList<Scenario> scenarios = {
        {QStringLiteral("empty Qt"), false, {}, false},
        {QStringLiteral("closed"), true, "{" + onboarded + "}\n", false},
        {QStringLiteral("glow"), true,
         "{" + onboarded +
             R"(, "brimlark.haloMode": "persistent"})"
             "\n",
         true},
        {QStringLiteral("tray dot"), true,
         "{" + onboarded +
             R"(, "brimlark.haloMode": "off"})"
             "\n",
         true},
    };

    std::printf("%s, tray %s, %d s each, %s\n", qEnvironmentVariableIsSet("DISPLAY") ? "X11" : "offscreen",
                tray.owned() ? "present" : "absent", seconds, qPrintable(brimlark));
    std::printf("%-10s %12s %14s %8s %8s\n", "program", "CPU (%)", "wake-ups/s", "threads", "target");
    const double ticksPerSecond = static_cast<double>(sysconf(_SC_CLK_TCK));
    bool allMet = true;
    for (const Scenario& scenario : scenarios) {
        QTemporaryDir root;
        QProcess process;
        const QProcessEnvironment env = isolatedEnvironment(root.path(), scenario.defaults, false);
        if (scenario.askingEvent && !writeAskingEvent(root.path() + QStringLiteral("/data"))) {
            std::fprintf(stderr, "the asking event could not be written\n");
            return 1;
        }
        const bool ready = scenario.brimlark
                               ? startUntilReady(brimlark, {}, "Brimlark bootstrapped", process, env)
                               : startUntilReady(QCoreApplication::applicationFilePath(),
                                                 {QStringLiteral("--empty-program")}, "ready", process, env);
        if (!ready)
            return 1;
        QThread::sleep(settleSeconds);
        process.readAll();
        const qint64 pid = process.processId();
        const long long ticksBefore = cpuTicks(pid);
        const QHash<QString, long long> switchesBefore = contextSwitches(pid);
        QThread::sleep(static_cast<unsigned long>(seconds));
        const long long ticks = cpuTicks(pid) - ticksBefore;
        const QHash<QString, long long> switchesAfter = contextSwitches(pid);
        const long long switches = switchesBetween(switchesBefore, switchesAfter);
        const int threads = int(switchesAfter.size());
        stopProcess(process);
        const double cpu = 100.0 * static_cast<double>(ticks) / ticksPerSecond / seconds;
        const double wakeups = static_cast<double>(switches) / seconds;
        QByteArray verdict = "-";
        if (scenario.name == QStringLiteral("closed")) {
            verdict = cpu <= 0.3 ? "met" : "MISSED";
        } else if (scenario.askingEvent) {
            verdict = cpu <= 1.0 && wakeups <= 60 ? "met" : "MISSED";
        }
        allMet = allMet && verdict != "MISSED";
        std::printf("%-10s %12.3f %14.1f %8d %8s\n", qPrintable(scenario.name), cpu, wakeups, threads,
                    verdict.constData());
        std::fflush(stdout);
    }
    std::printf(
        "\ntargets: closed <= 0.3 %% of one core; glow or tray dot <= 1 %% and <= 60 wake-ups/s: %s\n",
        allMet ? "met" : "MISSED");
    return 0;
}
