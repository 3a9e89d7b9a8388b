#include "Brimlark/core/AppSupportDirectory.h"

#include "Brimlark/core/Logging.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString appSupportDirectory(const QString& root) {
    QString base = root;
    if (base.isEmpty())
        base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::tempPath();
    const QString path = QDir(base).filePath(bundleIdentifier());
    if (!QFileInfo::exists(path) && !QDir().mkpath(path))
        qCDebug(lcApp, "support folder creation failed: %s", qUtf8Printable(path));
    return path;
}
