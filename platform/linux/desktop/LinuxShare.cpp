#include "platform/linux/desktop/LinuxShare.h"

#include "platform/PlatformLog.h"
#include "platform/ProcessLauncher.h"

#include <QDir>
#include <QStandardPaths>

namespace {

// The absolute path of a local file URL; empty for anything else.
QString localPath(const QUrl& url) {
    if (!url.isLocalFile())
        return QString();
    const QString path = url.toLocalFile();
    return QDir::isAbsolutePath(path) ? QDir::cleanPath(path) : QString();
}

} // namespace

LinuxShare::LinuxShare(ProcessLauncher& launcher, QStringList senders)
    : m_launcher(launcher), m_senders(std::move(senders)) {}

QStringList LinuxShare::defaultSenders() {
    return {QStringLiteral("bluetooth-sendto"), QStringLiteral("blueman-sendto")};
}

QString LinuxShare::sender() const {
    for (const QString& name : m_senders) {
        const QString found = QStandardPaths::findExecutable(name);
        if (!found.isEmpty())
            return found;
    }
    return QString();
}

bool LinuxShare::canShare(const QList<QUrl>& urls) const {
    if (urls.isEmpty())
        return false;
    for (const QUrl& url : urls) {
        if (localPath(url).isEmpty())
            return false;
    }
    return !sender().isEmpty();
}

bool LinuxShare::share(const QList<QUrl>& urls) {
    if (!canShare(urls))
        return false;
    QStringList paths;
    for (const QUrl& url : urls)
        paths.append(localPath(url));
    const QString program = sender();
    QString error;
    if (!m_launcher.startProgram(program, paths, &error)) {
        qCCritical(lcPlatform, "file sender failed to start: %s", qUtf8Printable(error));
        return false;
    }
    return true;
}
