#include "platform/PlatformLog.h"
#include "platform/linux/PluginModule.h"
#include "platform/linux/apps/GioModule.h"

#include <atomic>

namespace {

std::atomic<const GioModule*> loadedModule{nullptr};

} // namespace

const GioModule* gioModule() {
    // Never unloaded: GLib may call into it (a settings change) until the program ends.
    static const GioModule* module = []() -> const GioModule* {
        const PluginModuleEntry loaded = loadPluginModuleEntry(
            pluginModuleCandidates(QStringLiteral("libbrimlark_gio.so")), gioModuleEntry);
        if (!loaded.function) {
            qCWarning(lcPlatform, "the GIO module could not be loaded: %s", qUtf8Printable(loaded.error));
            return nullptr;
        }
        using Entry = const GioModule* (*)();
        const GioModule* entries = reinterpret_cast<Entry>(loaded.function)();
        loadedModule.store(entries);
        return entries;
    }();
    return module;
}

const GioModule* loadedGioModule() {
    return loadedModule.load();
}
