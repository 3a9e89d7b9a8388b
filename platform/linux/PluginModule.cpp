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

namespace {

QString& buildTreeFolder() {
    static QString folder;
    return folder;
}

} // namespace

void setBuildTreeModuleFolder(const QString& folder) {
    buildTreeFolder() = folder;
}

QString buildTreeModuleFolder() {
    return buildTreeFolder();
}

QStringList pluginModuleCandidates(const QString& fileName) {
    return pluginModuleCandidates(fileName, QCoreApplication::applicationDirPath(), buildTreeModuleFolder());
}

QStringList pluginModuleCandidates(const QString& fileName, const QString& applicationDir,
                                   const QString& buildTreeFolder) {
    const QDir folder(applicationDir);
    QStringList candidates{
        folder.filePath(fileName),
        QDir::cleanPath(folder.filePath(installedModuleFolder() + QLatin1Char('/') + fileName))};
    if (!buildTreeFolder.isEmpty()) {
        const QString built = QDir::cleanPath(QDir(buildTreeFolder).filePath(fileName));
        if (!candidates.contains(built))
            candidates.append(built);
    }
    return candidates;
}

PluginModuleEntry loadPluginModuleEntry(const QStringList& candidates, const char* entry) {
    PluginModuleEntry result;
    result.error = QStringLiteral("not found");
    for (const QString& path : candidates) {
        if (!QFileInfo::exists(path))
            continue;
        QLibrary library(path);
        // The entry points handed out, and the threads a module starts, live as long as the
        // program: a module is never unloaded, not even by Qt's clean-up at exit.
        library.setLoadHints(QLibrary::PreventUnloadHint);
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
