#pragma once

#include <QString>
#include <QStringList>

// Finds and loads one of Brimlark's own shared modules (the ones that keep heavy libraries out of
// the process until first use) and resolves its entry function. Paths are tried in order; the
// first that exists and exports `entry` wins. Never unloaded: code from it may run until exit.
struct PluginModuleEntry {
    void* function = nullptr; // null when no candidate could be loaded
    QString path;             // the module that answered
    QString error;            // why the last candidate failed, or "not found"
};

// `fileName` beside the executable, then in the installed program's module folder (lib/brimlark/
// beside its bin/), then `builtPath` (where the build put it) when not empty.
QStringList pluginModuleCandidates(const QString& fileName, const QString& builtPath);
// The same for an executable in `applicationDir`.
QStringList pluginModuleCandidates(const QString& fileName, const QString& builtPath,
                                   const QString& applicationDir);

// The installed module folder, relative to the executable's folder ("../lib/brimlark").
QString installedModuleFolder();

PluginModuleEntry loadPluginModuleEntry(const QStringList& candidates, const char* entry);
