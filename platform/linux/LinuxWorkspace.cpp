#include "platform/linux/LinuxWorkspace.h"

#include "platform/PlatformLog.h"
#include "platform/linux/GioModule.h"

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
    const GioModule* gio = gioModule();
    if (!gio) {
        qCDebug(lcPlatform, "open application: %s: desktop entries cannot be read",
                qUtf8Printable(applicationId));
        return false;
    }
    QString error;
    switch (gio->launchDesktopEntry(desktopId.toUtf8(), &error)) {
    case GioModule::Launch::started:
        return true;
    case GioModule::Launch::notFound:
        qCDebug(lcPlatform, "open application: not found: %s", qUtf8Printable(applicationId));
        return false;
    case GioModule::Launch::failed:
        break;
    }
    qCDebug(lcPlatform, "open application: %s failed to start: %s", qUtf8Printable(applicationId),
            qUtf8Printable(error));
    return false;
}

bool LinuxWorkspace::openShortcutsApplication() {
    qCInfo(lcPlatform, "open shortcuts application: Linux has none; nothing opened");
    return false;
}

Workspace::Launch LinuxWorkspace::openDefaultApplication(const QString& mimeType) {
    Launch result;
    if (mimeType.isEmpty())
        return result;
    const GioModule* gio = gioModule();
    if (!gio) {
        result.outcome = Launch::Outcome::failed;
        result.error = QStringLiteral("the desktop's applications cannot be read");
        return result;
    }
    QString error;
    switch (gio->launchDefaultFor(mimeType.toUtf8(), &error)) {
    case GioModule::Launch::started:
        result.outcome = Launch::Outcome::launched;
        break;
    case GioModule::Launch::notFound:
        qCDebug(lcPlatform, "open default application: none for %s", qUtf8Printable(mimeType));
        break;
    case GioModule::Launch::failed:
        result.outcome = Launch::Outcome::failed;
        result.error = error;
        break;
    }
    return result;
}
