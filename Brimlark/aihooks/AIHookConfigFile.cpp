#include "AIHookConfigFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

QString AIHookConfigFile::realPath(const QString& path) {
    QString current = QFileInfo(path).absoluteFilePath();
    // A bounded walk: a loop of links ends up as a write error instead of a hang.
    for (int hop = 0; hop < 40; ++hop) {
        const QFileInfo info(current);
        if (!info.isSymLink())
            return current;
        const QString canonical = info.canonicalFilePath();
        if (!canonical.isEmpty())
            return canonical;
        current = info.symLinkTarget();
    }
    return current;
}

std::optional<AIHookConfigFile::Contents> AIHookConfigFile::read(const QString& path, QString* error) {
    QFile file(path);
    if (!file.exists())
        return Contents{};
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("it could not be read (%1)").arg(file.errorString());
        return std::nullopt;
    }
    Contents contents{true, file.readAll()};
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = QStringLiteral("it could not be read (%1)").arg(file.errorString());
        return std::nullopt;
    }
    return contents;
}

bool AIHookConfigFile::write(const QString& path, const QByteArray& bytes, QString* error) {
    const QString target = realPath(path);
    {
        QFile existing(target);
        if (existing.exists() && existing.open(QIODevice::ReadOnly) && existing.readAll() == bytes)
            return true;
    }
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("it could not be written (%1)").arg(file.errorString());
        file.cancelWriting();
        return false;
    }
    return true;
}
