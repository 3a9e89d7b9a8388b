#include "platform/AtomicWrite.h"

#include "platform/PlatformLog.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

namespace AtomicWrite {

namespace {

bool fail(QSaveFile& file, QString* error, const QString& text) {
    if (error)
        *error = text;
    if (file.isOpen())
        file.cancelWriting();
    return false;
}

// The file's own account of what went wrong, as " (…)", when it has one: a write cut short by
// the disk is often reported without a reason.
QString detail(const QSaveFile& file) {
    return file.error() != QFileDevice::NoError ? QStringLiteral(" (%1)").arg(file.errorString()) : QString();
}

} // namespace

bool stage(QSaveFile& file, const QByteArray& bytes, QString* error) {
    if (!file.open(QIODevice::WriteOnly))
        return fail(file, error, file.errorString());
    const qint64 written = file.write(bytes);
    if (written != bytes.size())
        return fail(file, error,
                    QStringLiteral("only %1 of %2 bytes were written")
                            .arg(qMax<qint64>(written, 0))
                            .arg(bytes.size()) +
                        detail(file));
    // The buffer's last bytes reach the file only here; commit() would not check that they did.
    if (!file.flush())
        return fail(file, error, QStringLiteral("the last bytes could not be written") + detail(file));
    return true;
}

bool replace(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile file(path);
    if (!stage(file, bytes, error))
        return false;
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

int removeStaleCopies(const QString& path) {
    const QFileInfo target(path);
    const QDir folder = target.absoluteDir();
    const QRegularExpression staged(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(target.fileName()) + QStringLiteral("\\.[A-Za-z0-9]{6}")));
    int removed = 0;
    const QStringList pattern{target.fileName() + QStringLiteral(".??????")};
    for (const QFileInfo& entry : folder.entryInfoList(pattern, QDir::Files | QDir::Hidden | QDir::System)) {
        if (!staged.match(entry.fileName()).hasMatch() || entry.isSymLink())
            continue;
        if (QFile::remove(entry.absoluteFilePath()))
            ++removed;
        else
            qCWarning(lcPlatform, "stale copy not removed: %s", qUtf8Printable(entry.absoluteFilePath()));
    }
    return removed;
}

} // namespace AtomicWrite
