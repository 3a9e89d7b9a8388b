#include "AIHookConfigFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace {

bool fail(QString* error, const QString& text) {
    if (error)
        *error = text;
    return false;
}

// Opens `file` and writes `bytes` out in full beside its target, which stays as it was until
// the file is committed. The new file takes the target's mode: QSaveFile copies it through
// QFile::permissions(), which for the superuser holds the bits access() grants, so a 0444 file
// would come back 0644.
bool stage(QSaveFile& file, const QByteArray& bytes, QString* error) {
    struct stat old {};
    const bool existed = ::stat(QFile::encodeName(file.fileName()).constData(), &old) == 0;
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        return fail(error, QStringLiteral("it could not be written (%1)").arg(file.errorString()));
    if (existed && ::fchmod(file.handle(), old.st_mode & 07777) != 0)
        return fail(error, QStringLiteral("its mode could not be kept (%1)")
                               .arg(QString::fromLocal8Bit(std::strerror(errno))));
    return true;
}

} // namespace

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
    if (!stage(file, bytes, error))
        return false;
    if (!file.commit())
        return fail(error, QStringLiteral("it could not be written (%1)").arg(file.errorString()));
    return true;
}
