#pragma once

// What the process benchmarks share: a home of its own for each program they start, stopping it,
// its CPU time, and the empty Qt program they measure Brimlark against.
#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTimer>
#include <QWidget>

#include <cstdio>

// The environment of a program started with HOME and the XDG folders under `root`, and a settings
// file holding `defaultsJson` (left as it is when that is null). Offscreen when `offscreen` is set
// or no DISPLAY is there.
inline QProcessEnvironment isolatedEnvironment(const QString& root, const QByteArray& defaultsJson,
                                               bool offscreen) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (offscreen || !env.contains(QStringLiteral("DISPLAY")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("HOME"), root);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), root + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), root + QStringLiteral("/cache"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), root + QStringLiteral("/runtime"));
    env.remove(QStringLiteral("QT_LOGGING_RULES"));
    QDir().mkpath(root + QStringLiteral("/runtime"));
    QFile::setPermissions(root + QStringLiteral("/runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QDir().mkpath(root + QStringLiteral("/config/com.brimlark.app"));
    QFile defaults(root + QStringLiteral("/config/com.brimlark.app/defaults.json"));
    if (!defaultsJson.isNull() && defaults.open(QIODevice::WriteOnly))
        defaults.write(defaultsJson);
    return env;
}

// Reads the started process's output until it holds `readyLine`: true then, false when the
// process ended first or 20 s went by. `output` gets what was read.
inline bool waitForReadyLine(QProcess& process, const QByteArray& readyLine, QByteArray* output) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 20000) {
        if (!process.waitForReadyRead(100)) {
            if (process.state() == QProcess::NotRunning)
                return false;
            continue;
        }
        *output += process.readAll();
        if (output->contains(readyLine))
            return true;
    }
    return false;
}

// Asks the program to end, and kills it when it has not after 3 s.
inline void stopProcess(QProcess& process) {
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(3000);
    }
}

// User plus system CPU time of all the process's threads, in clock ticks; -1 when unreadable.
inline long long cpuTicks(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // Fields after the command name, which is in parentheses and may hold spaces.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return fields.at(11).toLongLong() + fields.at(12).toLongLong();
}

// The anchor: a QApplication with one small widget, which prints "ready" once its loop runs.
inline int runEmptyProgram(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget widget;
    widget.resize(200, 32);
    widget.show();
    QTimer::singleShot(0, [] {
        std::fprintf(stdout, "ready\n");
        std::fflush(stdout);
    });
    return app.exec();
}
