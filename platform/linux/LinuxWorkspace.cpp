#include "platform/linux/LinuxWorkspace.h"

#include "platform/PlatformLog.h"
#include "platform/linux/GioIncludes.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>

bool LinuxWorkspace::openUrl(const QUrl& url) {
    if (!url.isValid() || url.isEmpty()) {
        qCDebug(lcPlatform, "open url: not a valid address: %s", qUtf8Printable(url.toString()));
        return false;
    }
    return QDesktopServices::openUrl(url);
}

void LinuxWorkspace::setClipboardText(const QString& text) {
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(text, QClipboard::Clipboard);
}

bool LinuxWorkspace::openApplication(const QString& applicationId) {
    if (applicationId.isEmpty() || applicationId.contains(QLatin1Char('/'))) {
        qCDebug(lcPlatform, "open application: not a desktop id: \"%s\"", qUtf8Printable(applicationId));
        return false;
    }
    QString desktopId = applicationId;
    if (!desktopId.endsWith(QLatin1String(".desktop")))
        desktopId += QLatin1String(".desktop");
    GObjectPtr<GDesktopAppInfo> info(g_desktop_app_info_new(desktopId.toUtf8().constData()));
    if (!info) {
        qCDebug(lcPlatform, "open application: not found: %s", qUtf8Printable(applicationId));
        return false;
    }
    // GDesktopAppInfo implements GAppInfo; an interface pointer is the instance pointer in GObject.
    auto* appInfo = static_cast<GAppInfo*>(static_cast<void*>(info.get()));
    GError* error = nullptr;
    if (!g_app_info_launch(appInfo, nullptr, nullptr, &error)) {
        qCDebug(lcPlatform, "open application: %s failed to start: %s", qUtf8Printable(applicationId),
                error ? error->message : "unknown error");
        if (error)
            g_error_free(error);
        return false;
    }
    return true;
}

Workspace::Launch LinuxWorkspace::openDefaultApplication(const QString& mimeType) {
    Launch result;
    if (mimeType.isEmpty())
        return result;
    // GIO maps a MIME type to a content type on Linux; the content type names the default handler.
    gchar* contentType = g_content_type_from_mime_type(mimeType.toUtf8().constData());
    if (!contentType)
        return result;
    GObjectPtr<GAppInfo> info(g_app_info_get_default_for_type(contentType, FALSE));
    g_free(contentType);
    if (!info) {
        qCDebug(lcPlatform, "open default application: none for %s", qUtf8Printable(mimeType));
        return result;
    }
    GError* error = nullptr;
    if (!g_app_info_launch(info.get(), nullptr, nullptr, &error)) {
        result.outcome = Launch::Outcome::failed;
        result.error = error ? QString::fromUtf8(error->message) : QStringLiteral("unknown error");
        if (error)
            g_error_free(error);
        return result;
    }
    result.outcome = Launch::Outcome::launched;
    return result;
}
