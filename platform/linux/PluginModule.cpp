#include "platform/linux/PluginModule.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

QStringList pluginModuleCandidates(const QString& fileName, const QString& builtPath) {
    QStringList candidates{QCoreApplication::applicationDirPath() + QLatin1Char('/') + fileName};
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
            return result;
        }
        result.error = library.errorString();
    }
    return result;
}
