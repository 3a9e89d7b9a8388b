// Every "PreToolUse" and "PostToolUse" hook runs the bridge, and the AI tool waits for it. This
// runs the installed bridge against a listener on an ephemeral loopback port, side by side with
// a bare "python3 -c pass" found on the search path (as the hook command finds it) and
// "/usr/bin/python3 -c pass" run directly, and prints the three medians. Target: the bridge's
// median is at most the bare interpreter's plus 20 ms. The direct run shows what an interpreter
// shim on the search path (pyenv, asdf, a virtual environment's wrapper) costs every hook: it
// would hide in both of the other two. Exits 1 when the target is missed or a post went missing.

#include "Brimlark/aihooks/install/AIHookInstaller.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const QByteArray payload =
    R"({"session_id":"8f14e45f-ceea-467f-a0e6-0c1b8b7e1a2d","transcript_path":"/home/dev/.claude/projects/app/8f14e45f.jsonl",)"
    R"("cwd":"/home/dev/src/app","permission_mode":"default","hook_event_name":"PreToolUse","tool_name":"Bash",)"
    R"("tool_input":{"command":"npm test -- --watch=false","description":"Run the test suite"}})";

// Milliseconds from start to exit of one run of `program`, fed `input`; -1 when it failed.
double timedRun(const QStringList& program, const QByteArray& input) {
    QProcess process;
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    process.start(program.first(), program.mid(1));
    if (!process.waitForStarted())
        return -1;
    process.write(input);
    process.closeWriteChannel();
    loop.exec();
    const double elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    if (process.state() != QProcess::NotRunning || process.exitCode() != 0) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    return elapsed;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 50;

    QTemporaryDir dir;
    const AIHookInstaller installer(dir.filePath(QStringLiteral("home")),
                                    dir.filePath(QStringLiteral("data")));
    QString error;
    if (!installer.writeBridgeScript(&error)) {
        std::fprintf(stderr, "bench_bridge: %s\n", qPrintable(error));
        return 1;
    }

    // A listener that reads each request and answers it, as the endpoint does.
    QTcpServer server;
    int received = 0;
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        while (QTcpSocket* socket = server.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, &received] {
                socket->readAll();
                if (socket->property("answered").toBool())
                    return;
                socket->setProperty("answered", true);
                ++received;
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: "
                              "11\r\nConnection: close\r\n\r\n"
                              "{\"ok\":true}");
                socket->disconnectFromHost();
            });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    if (!server.listen(QHostAddress::LocalHost, 0)) {
        std::fprintf(stderr, "bench_bridge: cannot listen: %s\n", qPrintable(server.errorString()));
        return 1;
    }

    const QString env = QStringLiteral("/usr/bin/env");
    const QStringList bare{env, QStringLiteral("python3"), QStringLiteral("-c"), QStringLiteral("pass")};
    const QStringList direct{QStringLiteral("/usr/bin/python3"), QStringLiteral("-c"),
                             QStringLiteral("pass")};
    const QStringList hook{env,
                           QStringLiteral("python3"),
                           installer.bridgeScriptPath(),
                           QStringLiteral("--source"),
                           QStringLiteral("claude"),
                           QStringLiteral("--event"),
                           QStringLiteral("PreToolUse"),
                           QStringLiteral("--port"),
                           QString::number(server.serverPort())};

    // Warm the file cache once, then interleave so that both see the same machine state.
    timedRun(bare, {});
    timedRun(direct, {});
    timedRun(hook, payload);
    std::vector<double> bareTimes;
    std::vector<double> directTimes;
    std::vector<double> hookTimes;
    for (int i = 0; i < runs; ++i) {
        const double b = timedRun(bare, {});
        const double d = timedRun(direct, {});
        const double h = timedRun(hook, payload);
        if (b < 0 || d < 0 || h < 0) {
            std::fprintf(stderr, "bench_bridge: run %d failed\n", i + 1);
            return 1;
        }
        bareTimes.push_back(b);
        directTimes.push_back(d);
        hookTimes.push_back(h);
    }
    QEventLoop settle;
    QTimer::singleShot(200, &settle, &QEventLoop::quit);
    settle.exec();

    const double bareMedian = median(bareTimes);
    const double directMedian = median(directTimes);
    const double hookMedian = median(hookTimes);
    const bool met = hookMedian <= bareMedian + 20.0;
    std::printf("runs: %d each, listener on 127.0.0.1:%u\n", runs, server.serverPort());
    std::printf("/usr/bin/python3 -c pass median %7.2f ms (run directly)\n", directMedian);
    std::printf("python3 -c pass   median %7.2f ms (found on the search path; %+.2f ms)\n", bareMedian,
                bareMedian - directMedian);
    std::printf("bridge            median %7.2f ms\n", hookMedian);
    std::printf("difference               %7.2f ms (target <= 20 ms: %s)\n", hookMedian - bareMedian,
                met ? "met" : "missed");
    std::printf("posts received: %d of %d\n", received - 1, runs);
    return met && received - 1 == runs ? 0 : 1;
}
