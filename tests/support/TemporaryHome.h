#pragma once

#include <QDir>
#include <QString>
#include <QTemporaryDir>

// A fresh home folder of its own, inside a temporary folder that goes with it.
struct TemporaryHome {
    QTemporaryDir dir;
    QString home = dir.path() + QStringLiteral("/users/alice");

    TemporaryHome() { QDir().mkpath(home); }
    QString path(const QString& relative) const { return home + QLatin1Char('/') + relative; }
};
