#pragma once

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

// A fresh home folder of its own, inside a temporary folder that goes with it.
struct TemporaryHome {
    QTemporaryDir dir;
    QString home = dir.path() + QStringLiteral("/users/alice");

    TemporaryHome() { QDir().mkpath(home); }
    QString path(const QString& relative) const { return home + QLatin1Char('/') + relative; }

    // This process's environment with HOME, the XDG folders and the runtime folder (made, private)
    // inside this home, for a program the test starts on Qt platform `platform`.
    QProcessEnvironment environment(const QString& platform) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral(".config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), path(QStringLiteral(".local/share")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), path(QStringLiteral("run")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        QDir().mkpath(path(QStringLiteral("run")));
        QFile::setPermissions(path(QStringLiteral("run")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return env;
    }
};
