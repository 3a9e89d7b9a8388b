#include "platform/AtomicWrite.h"

#include "platform/PlatformLog.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSaveFile>

#include <cerrno>

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
QString detail(const QSaveFile& file, int systemError) {
    QString reason = file.error() != QFileDevice::NoError ? file.errorString() : QString();
    // A write the system refused (a full disk, a file-size limit) often leaves the file's own text
    // at "Unknown error"; the system's code says what happened.
    if ((reason.isEmpty() || reason == QLatin1String("Unknown error")) && systemError != 0)
        reason = qt_error_string(systemError);
    return reason.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(reason);
}

// The files whose replacement is under way in this process, by absolute path, and the lock that
// guards them and holds a replacement off while stale copies are removed. Never destroyed: a
// save on another thread may still run while the program's statics are torn down.
QMutex& writingLock() {
    static auto* lock = new QMutex;
    return *lock;
}

QHash<QString, int>& writing() {
    static auto* files = new QHash<QString, int>;
    return *files;
}

// Marks `path` as being replaced for as long as it lives.
class Writing {
public:
    explicit Writing(const QString& path) : m_path(QFileInfo(path).absoluteFilePath()) {
        const QMutexLocker lock(&writingLock());
        ++writing()[m_path];
    }
    ~Writing() {
        const QMutexLocker lock(&writingLock());
        if (--writing()[m_path] <= 0)
            writing().remove(m_path);
    }
    Writing(const Writing&) = delete;
    Writing& operator=(const Writing&) = delete;

private:
    QString m_path;
};

} // namespace

bool stage(QSaveFile& file, const QByteArray& bytes, QString* error) {
    if (!file.open(QIODevice::WriteOnly))
        return fail(file, error, file.errorString());
    errno = 0;
    const qint64 written = file.write(bytes);
    if (written != bytes.size()) {
        const int systemError = errno;
        return fail(file, error,
                    QStringLiteral("only %1 of %2 bytes were written")
                            .arg(qMax<qint64>(written, 0))
                            .arg(bytes.size()) +
                        detail(file, systemError));
    }
    // The buffer's last bytes reach the file only here; commit() would not check that they did.
    errno = 0;
    if (!file.flush()) {
        const int systemError = errno;
        return fail(file, error,
                    QStringLiteral("the last bytes could not be written") + detail(file, systemError));
    }
    return true;
}

bool replace(const QString& path, const QByteArray& bytes, QString* error) {
    const Writing writing(path);
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

namespace {

// QSaveFile's staged copy: the target's name, a dot and six letters or digits.
bool isStagedCopyName(const QString& name, const QString& target) {
    if (name.size() != target.size() + 7 || !name.startsWith(target) || name.at(target.size()) != u'.')
        return false;
    for (qsizetype i = target.size() + 1; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')))
            return false;
    }
    return true;
}

} // namespace

int removeStaleCopies(const QString& path) {
    const QFileInfo target(path);
    const QString targetName = target.fileName();
    int removed = 0;
    if (targetName.isEmpty())
        return removed;
    const QMutexLocker lock(&writingLock());
    if (writing().contains(target.absoluteFilePath()))
        return removed;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    // Matched by hand rather than by a name filter: this runs on every start, and a filter compiles
    // a regular expression.
    QDirIterator entries(target.absolutePath(), QDir::Files | QDir::Hidden | QDir::System);
    while (entries.hasNext()) {
        entries.next();
        const QFileInfo entry = entries.fileInfo();
        if (!isStagedCopyName(entry.fileName(), targetName) || entry.isSymLink())
            continue;
        // A younger copy may be another program's write under way (or a clock set back).
        if (entry.lastModified().secsTo(now) < staleCopyAgeSeconds)
            continue;
        if (QFile::remove(entry.absoluteFilePath()))
            ++removed;
        else
            qCWarning(lcPlatform, "stale copy not removed: %s", qUtf8Printable(entry.absoluteFilePath()));
    }
    return removed;
}

} // namespace AtomicWrite
