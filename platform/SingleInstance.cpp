#include "platform/SingleInstance.h"

#include <QDir>
#include <QStandardPaths>

QString SingleInstance::standardLockPath() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime))
        return QDir(runtime).filePath(QStringLiteral("com.brimlark.app.lock"));
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/com.brimlark.app/instance.lock");
}
