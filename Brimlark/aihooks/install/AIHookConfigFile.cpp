#include "Brimlark/aihooks/install/AIHookConfigFile.h"

#include "platform/AtomicWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <vector>

namespace {

bool holds(const QString& path, const QByteArray& bytes) {
    QFile existing(path);
    return existing.exists() && existing.open(QIODevice::ReadOnly) && existing.readAll() == bytes;
}

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
    QString why;
    if (!AtomicWrite::stage(file, bytes, &why))
        return fail(error, QStringLiteral("it could not be written (%1)").arg(why));
    if (existed && ::fchmod(file.handle(), old.st_mode & 07777) != 0)
        return fail(error, QStringLiteral("its mode could not be kept (%1)")
                               .arg(QString::fromLocal8Bit(std::strerror(errno))));
    return true;
}

// Writes the copy of a file's old content beside it, with the file's mode (a settings file may
// hold keys that only its owner may read). A copy already there is the one from before the first
// change and stays as it is.
// `made` gets the path of a copy written now, for taking it back should the change itself fail.
bool keepCopy(const QString& path, const QByteArray& old, QStringList* made, QString* error) {
    const QString copyPath = AIHookConfigFile::originalCopyPath(path);
    if (QFileInfo::exists(copyPath) || QFileInfo(copyPath).isSymLink())
        return true;
    struct stat original {};
    const bool known =
        ::stat(QFile::encodeName(AIHookConfigFile::realPath(path)).constData(), &original) == 0;
    QSaveFile copy(copyPath);
    QString why;
    if (!AtomicWrite::stage(copy, old, &why))
        return fail(error, QStringLiteral("its copy could not be kept (%1)").arg(why));
    if (known && ::fchmod(copy.handle(), original.st_mode & 07777) != 0)
        return fail(error, QStringLiteral("its copy could not be kept (%1)")
                               .arg(QString::fromLocal8Bit(std::strerror(errno))));
    if (!copy.commit())
        return fail(error, QStringLiteral("its copy could not be kept (%1)").arg(copy.errorString()));
    made->append(copyPath);
    return true;
}

// Takes back the copies written for a change that did not happen: the folder is as it was.
void dropCopies(const QStringList& made) {
    for (const QString& copy : made)
        QFile::remove(copy);
}

} // namespace

QString AIHookConfigFile::originalCopyPath(const QString& path) {
    return path + QStringLiteral(".before-brimlark");
}

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

bool AIHookConfigFile::write(const QString& path, const QByteArray& bytes, QString* error,
                             bool keepOriginal) {
    const QString target = realPath(path);
    if (holds(target, bytes))
        return true;
    QSaveFile file(target);
    if (!stage(file, bytes, error))
        return false;
    QStringList made;
    if (keepOriginal) {
        const std::optional<Contents> old = read(target, error);
        if (!old || (old->exists && !keepCopy(path, old->bytes, &made, error)))
            return false;
    }
    if (!file.commit()) {
        dropCopies(made);
        return fail(error, QStringLiteral("it could not be written (%1)").arg(file.errorString()));
    }
    return true;
}

bool AIHookConfigFile::writeAll(const QList<Change>& changes, QString* error) {
    const QString unchanged = QStringLiteral("; nothing was changed");
    std::vector<std::unique_ptr<QSaveFile>> staged;
    QStringList names;
    QList<Contents> before;
    // Per staged change: the path whose copy is to be kept, or empty.
    QStringList keep;
    for (const Change& change : changes) {
        const QString name = QFileInfo(change.path).fileName();
        const QString target = realPath(change.path);
        QString why;
        const std::optional<Contents> old = read(target, &why);
        if (!old)
            return fail(error, name + QStringLiteral(": ") + why + unchanged);
        if (old->exists && old->bytes == change.bytes)
            continue;
        // Returning drops the files staged so far; none of the targets has been touched yet.
        staged.push_back(std::make_unique<QSaveFile>(target));
        if (!stage(*staged.back(), change.bytes, &why))
            return fail(error, name + QStringLiteral(": ") + why + unchanged);
        names.append(name);
        before.append(*old);
        keep.append(change.keepOriginal && old->exists ? change.path : QString());
    }
    // The copies come once every new content is staged, and go again should the change fail.
    QStringList made;
    for (qsizetype i = 0; i < keep.size(); ++i) {
        QString why;
        if (!keep.at(i).isEmpty() && !keepCopy(keep.at(i), before.at(i).bytes, &made, &why)) {
            dropCopies(made);
            return fail(error, names.at(i) + QStringLiteral(": ") + why + unchanged);
        }
    }
    for (std::size_t i = 0; i < staged.size(); ++i) {
        if (staged[i]->commit())
            continue;
        // Putting a file in place can still fail (on Linux the copy only gets its name then):
        // the files already replaced get their old content back.
        QStringList changed;
        for (std::size_t j = 0; j < i; ++j) {
            const QString target = staged[j]->fileName();
            const Contents& old = before.at(qsizetype(j));
            if (old.exists ? !write(target, old.bytes) : !QFile::remove(target))
                changed.append(names.at(qsizetype(j)));
        }
        if (changed.isEmpty())
            dropCopies(made);
        return fail(error,
                    names.at(qsizetype(i)) +
                        QStringLiteral(": it could not be written (%1)").arg(staged[i]->errorString()) +
                        (changed.isEmpty() ? unchanged
                                           : QStringLiteral("; %1 was changed all the same")
                                                 .arg(changed.join(QStringLiteral(", ")))));
    }
    return true;
}
