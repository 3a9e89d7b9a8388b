#include "platform/linux/PluginModule.h"

#include "platform/PlatformLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

// The build defines it from where the install puts the executable and the modules.
#ifndef BRIMLARK_INSTALLED_MODULE_FOLDER
#define BRIMLARK_INSTALLED_MODULE_FOLDER "../lib/brimlark"
#endif

QString installedModuleFolder() {
    return QStringLiteral(BRIMLARK_INSTALLED_MODULE_FOLDER);
}

QStringList pluginModuleCandidates(const QString& fileName, const QString& builtPath) {
    return pluginModuleCandidates(fileName, builtPath, QCoreApplication::applicationDirPath());
}

QStringList pluginModuleCandidates(const QString& fileName, const QString& builtPath,
                                   const QString& applicationDir) {
    const QDir folder(applicationDir);
    QStringList candidates{
        folder.filePath(fileName),
        QDir::cleanPath(folder.filePath(installedModuleFolder() + QLatin1Char('/') + fileName))};
    if (!builtPath.isEmpty() && !candidates.contains(builtPath))
        candidates.append(builtPath);
    return candidates;
}

PluginModuleEntry loadPluginModuleEntry(const QStringList& candidates, const char* entry) {
    PluginModuleEntry result;
    result.error = QStringLiteral("not found");
    for (const QString& path : candidates) {
        if (!QFileInfo::exists(path))
            continue;
        QLibrary library(path);
        if (const QFunctionPointer function = library.resolve(entry)) {
            result.function = reinterpret_cast<void*>(function);
            result.path = path;
            result.error.clear();
            qCDebug(lcPlatform, "module %s loaded", qUtf8Printable(path));
            return result;
        }
        result.error = library.errorString();
    }
    return result;
}
