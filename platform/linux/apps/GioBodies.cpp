// The GIO module: desktop entries, default applications and GNOME's animation setting. GIO is
// linked here and only here.
#include "platform/linux/apps/ChildReaper.h"
#include "platform/linux/apps/GioIncludes.h"
#include "platform/linux/apps/GioModule.h"

#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr char interfaceSchema[] = "org.gnome.desktop.interface";
constexpr char animationsKey[] = "enable-animations";

GioModule::Launch launch(GAppInfo* info, QString* error) {
    GError* failure = nullptr;
    if (g_app_info_launch(info, nullptr, nullptr, &failure))
        return GioModule::Launch::started;
    if (error)
        *error = failure ? QString::fromUtf8(failure->message) : QStringLiteral("unknown error");
    if (failure)
        g_error_free(failure);
    return GioModule::Launch::failed;
}

GioModule::Launch launchDesktopEntry(const QByteArray& desktopId, QString* error) {
    GObjectPtr<GDesktopAppInfo> info(g_desktop_app_info_new(desktopId.constData()));
    if (!info)
        return GioModule::Launch::notFound;
    // GDesktopAppInfo implements GAppInfo; an interface pointer is the instance pointer in GObject.
    return launch(static_cast<GAppInfo*>(static_cast<void*>(info.get())), error);
}

// A key of the entry's main group as text, or none when it is missing.
std::optional<QString> keyText(GKeyFile* file, const char* key, const char* locale = nullptr) {
    gchar* value = locale ? g_key_file_get_locale_string(file, G_KEY_FILE_DESKTOP_GROUP, key, locale, nullptr)
                          : g_key_file_get_string(file, G_KEY_FILE_DESKTOP_GROUP, key, nullptr);
    if (!value)
        return std::nullopt;
    const QString text = QString::fromUtf8(value);
    g_free(value);
    return text;
}

bool describeDesktopFile(const QByteArray& path, GioModule::DesktopFile* result, QString* error) {
    GKeyFile* file = g_key_file_new();
    GError* failure = nullptr;
    const bool loaded =
        g_key_file_load_from_file(file, path.constData(), G_KEY_FILE_KEEP_TRANSLATIONS, &failure) != FALSE;
    const QString name = QString::fromLocal8Bit(path);
    bool described = false;
    if (!loaded) {
        *error =
            QStringLiteral("%1 cannot be read as a desktop entry: %2")
                .arg(name, failure ? QString::fromUtf8(failure->message) : QStringLiteral("unknown error"));
    } else if (keyText(file, G_KEY_FILE_DESKTOP_KEY_TYPE).value_or(QString()) !=
               QLatin1String(G_KEY_FILE_DESKTOP_TYPE_APPLICATION)) {
        *error = QStringLiteral("%1 is not an application's desktop entry (Type=Application).").arg(name);
    } else {
        // The locale GLib picked from the user's language, none when the name has no translation:
        // for the untranslated name, GLib 2.84 (Debian 13) answers "C" where 2.74 answered none.
        gchar* locale = g_key_file_get_locale_for_key(file, G_KEY_FILE_DESKTOP_GROUP,
                                                      G_KEY_FILE_DESKTOP_KEY_NAME, nullptr);
        const bool translated = locale && qstrcmp(locale, "C") != 0;
        result->localizedName =
            translated ? keyText(file, G_KEY_FILE_DESKTOP_KEY_NAME, locale) : std::nullopt;
        g_free(locale);
        result->name = keyText(file, G_KEY_FILE_DESKTOP_KEY_NAME);
        result->icon = keyText(file, G_KEY_FILE_DESKTOP_KEY_ICON).value_or(QString());
        described = true;
    }
    if (failure)
        g_error_free(failure);
    g_key_file_free(file);
    return described;
}

// Marks every descriptor above 2 close-on-exec, so that the application spawned next inherits only
// its standard input and outputs. The spawn leaves descriptors open (see below), and not all of this
// process's are close-on-exec: those it inherited from whoever started it, and any a library opened
// without O_CLOEXEC. One left open would outlive Brimlark in the application, a listening socket
// holding its port. Marking them costs a system call here; closing them in the child would need a
// fork.
void inheritOnlyStandardDescriptors() {
    if (close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) == 0)
        return;
    // Linux before 5.11: one descriptor at a time.
    DIR* folder = opendir("/proc/self/fd");
    if (!folder)
        return;
    while (const dirent* entry = readdir(folder)) {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (*end != '\0' || end == entry->d_name || fd <= 2 || fd == dirfd(folder))
            continue;
        const int flags = fcntl(int(fd), F_GETFD);
        if (flags >= 0 && !(flags & FD_CLOEXEC))
            fcntl(int(fd), F_SETFD, flags | FD_CLOEXEC);
    }
    closedir(folder);
}

void spawned(GDesktopAppInfo*, GPid pid, gpointer child) {
    *static_cast<GPid*>(child) = pid;
}

GioModule::Launch launchDesktopFile(const QByteArray& path, QString* error) {
    GObjectPtr<GDesktopAppInfo> info(g_desktop_app_info_new_from_filename(path.constData()));
    if (!info)
        return GioModule::Launch::notFound;
    // GLib spawns with posix_spawn (the child shares the memory until it execs) only when it neither
    // reaps the child nor closes descriptors; otherwise it forks, and copying the page tables of this
    // large process holds up its main thread for as long. So every descriptor is made close-on-exec
    // first, and the child is reaped by the process's one reaper.
    inheritOnlyStandardDescriptors();
    GPid child = 0;
    GError* failure = nullptr;
    const auto flags = static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD |
                                                G_SPAWN_LEAVE_DESCRIPTORS_OPEN);
    if (!g_desktop_app_info_launch_uris_as_manager(info.get(), nullptr, nullptr, flags, nullptr, nullptr,
                                                   &spawned, &child, &failure)) {
        if (error)
            *error = failure ? QString::fromUtf8(failure->message) : QStringLiteral("unknown error");
        if (failure)
            g_error_free(failure);
        return GioModule::Launch::failed;
    }
    // An application started over D-Bus has no child here.
    if (child > 0)
        ChildReaper::shared().reap(child);
    return GioModule::Launch::started;
}

// Whether the application's desktop entry names `contentType` itself among its types (MimeType=),
// not only a type that one is a kind of.
bool declares(GAppInfo* info, const gchar* contentType) {
    const char** types = g_app_info_get_supported_types(info);
    for (; types && *types; ++types) {
        gchar* type = g_content_type_from_mime_type(*types);
        const bool same = type && g_content_type_equals(type, contentType);
        g_free(type);
        if (same)
            return true;
    }
    return false;
}

bool listed(GList* applications, GAppInfo* info) {
    for (GList* each = applications; each; each = each->next) {
        if (g_app_info_equal(static_cast<GAppInfo*>(each->data), info))
            return true;
    }
    return false;
}

// The application to start for `contentType`: GIO's default when it takes the type itself, else
// the first that does. GIO's default may be an application for a type this one is a kind of (with
// no calendar application installed, a text editor for text/calendar, as text/calendar is a kind
// of text/plain); that one is not started. An application takes the type itself when its entry
// declares it or the user associated the two (GIO's recommended applications).
GAppInfo* applicationFor(const gchar* contentType) {
    GList* recommended = g_app_info_get_recommended_for_type(contentType);
    GAppInfo* chosen = g_app_info_get_default_for_type(contentType, FALSE);
    if (chosen && !declares(chosen, contentType) && !listed(recommended, chosen)) {
        g_object_unref(chosen);
        chosen = recommended ? static_cast<GAppInfo*>(g_object_ref(recommended->data)) : nullptr;
    }
    g_list_free_full(recommended, g_object_unref);
    return chosen;
}

GioModule::Launch launchDefaultFor(const QByteArray& mimeType, QString* error) {
    // GIO maps a MIME type to a content type on Linux; the content type names the handlers.
    gchar* contentType = g_content_type_from_mime_type(mimeType.constData());
    if (!contentType)
        return GioModule::Launch::notFound;
    GObjectPtr<GAppInfo> info(applicationFor(contentType));
    g_free(contentType);
    if (!info)
        return GioModule::Launch::notFound;
    return launch(info.get(), error);
}

struct AnimationsWatch {
    GSettings* settings = nullptr;
    gulong handler = 0;
    std::function<void()> changed;
};

void onAnimationsChanged(GSettings*, gchar*, gpointer watch) {
    static_cast<AnimationsWatch*>(watch)->changed();
}

void* watchEnableAnimations(std::function<void()> changed, QString* why) {
    // g_settings_new() aborts on an unknown schema, so look it up first.
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (!source) {
        *why = QStringLiteral("no GSettings schemas installed");
        return nullptr;
    }
    GSettingsSchema* schema = g_settings_schema_source_lookup(source, interfaceSchema, TRUE);
    if (!schema) {
        *why = QStringLiteral("schema %1 not installed").arg(QLatin1String(interfaceSchema));
        return nullptr;
    }
    AnimationsWatch* watch = nullptr;
    if (g_settings_schema_has_key(schema, animationsKey)) {
        watch = new AnimationsWatch;
        watch->changed = std::move(changed);
        watch->settings = g_settings_new_full(schema, nullptr, nullptr);
        watch->handler = g_signal_connect_data(watch->settings, "changed::enable-animations",
                                               reinterpret_cast<GCallback>(&onAnimationsChanged), watch,
                                               nullptr, GConnectFlags(0));
    } else {
        *why = QStringLiteral("%1 has no key %2")
                   .arg(QLatin1String(interfaceSchema), QLatin1String(animationsKey));
    }
    g_settings_schema_unref(schema);
    return watch;
}

bool enableAnimations(void* watch) {
    return g_settings_get_boolean(static_cast<AnimationsWatch*>(watch)->settings, animationsKey) != FALSE;
}

void unwatch(void* opaque) {
    auto* watch = static_cast<AnimationsWatch*>(opaque);
    if (!watch)
        return;
    if (watch->handler)
        g_signal_handler_disconnect(watch->settings, watch->handler);
    g_object_unref(watch->settings);
    delete watch;
}

bool handlesUriScheme(const QByteArray& scheme) {
    GObjectPtr<GAppInfo> info(g_app_info_get_default_for_uri_scheme(scheme.constData()));
    return info != nullptr;
}

void stopReaping() {
    ChildReaper::stopShared();
}

} // namespace

extern "C" Q_DECL_EXPORT const GioModule* brimlarkGioModule() {
    static const GioModule module{
        &launchDesktopEntry,    &describeDesktopFile, &launchDesktopFile, &launchDefaultFor,
        &watchEnableAnimations, &enableAnimations,    &unwatch,           &handlesUriScheme,
        &stopReaping,
    };
    return &module;
}
