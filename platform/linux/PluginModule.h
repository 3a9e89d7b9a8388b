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
// beside its bin/), then in the build tree's module folder when this program is one of the build
// tree's own (see setBuildTreeModuleFolder()).
QStringList pluginModuleCandidates(const QString& fileName);
// The same for an executable in `applicationDir`, with `buildTreeFolder` last when not empty.
QStringList pluginModuleCandidates(const QString& fileName, const QString& applicationDir,
                                   const QString& buildTreeFolder);

// Where the build puts the modules, for the programs that run from the build tree only (the tests
// and benchmarks, in folders of their own): they set it before main(). The program that is
// installed never does, so it holds no path of the build and loads its modules from its own
// folders alone.
void setBuildTreeModuleFolder(const QString& folder);
QString buildTreeModuleFolder();

// The installed module folder, relative to the executable's folder ("../lib/brimlark").
QString installedModuleFolder();

PluginModuleEntry loadPluginModuleEntry(const QStringList& candidates, const char* entry);
