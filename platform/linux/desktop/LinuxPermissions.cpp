#include "platform/linux/desktop/LinuxPermissions.h"

#include "platform/ContextCallback.h"
#include "platform/PlatformLog.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

LinuxPermissions::LinuxPermissions(QString calendarsFolder, QObject* parent)
    : Permissions(parent), m_calendarsFolder(std::move(calendarsFolder)) {}

PermissionStatus LinuxPermissions::captureStatus(CaptureDevice) const {
    return PermissionStatus::authorized;
}

void LinuxPermissions::requestCaptureAccess(CaptureDevice, const QObject* context,
                                            std::function<void(bool granted)> done) {
    ContextCallback<void(bool)>(context, std::move(done))(true);
}

bool LinuxPermissions::openSettings(Permission permission) {
    switch (permission) {
    case Permission::calendar:
    case Permission::reminders:
        return openCalendarsFolder();
    case Permission::camera:
        return openGnomeSettings(QStringLiteral("camera"), "camera");
    case Permission::microphone:
        return openGnomeSettings(QStringLiteral("microphone"), "microphone");
    case Permission::notifications:
        return openGnomeSettings(QStringLiteral("notifications"), "notifications");
    }
    return false;
}

bool LinuxPermissions::openPrivacySettings() {
    return openGnomeSettings(QString(), "privacy");
}

bool LinuxPermissions::openCalendarsFolder() {
    if (!QFileInfo::exists(m_calendarsFolder)) {
        if (!QDir().mkpath(m_calendarsFolder)) {
            qCInfo(lcPlatform, "calendar settings: the calendar folder %s could not be created",
                   qUtf8Printable(m_calendarsFolder));
            return false;
        }
        QFile::setPermissions(m_calendarsFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qCInfo(lcPlatform, "calendar folder created: %s", qUtf8Printable(m_calendarsFolder));
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(m_calendarsFolder))) {
        qCInfo(lcPlatform, "calendar settings: no file manager opened %s", qUtf8Printable(m_calendarsFolder));
        return false;
    }
    return true;
}

QString LinuxPermissions::gnomeSettingsProgram() {
    return QStandardPaths::findExecutable(QStringLiteral("gnome-control-center"));
}

bool LinuxPermissions::canOpenSettings(Permission permission) const {
    switch (permission) {
    case Permission::calendar:
    case Permission::reminders:
        return true;
    case Permission::camera:
    case Permission::microphone:
    case Permission::notifications:
        break;
    }
    return !gnomeSettingsProgram().isEmpty();
}

bool LinuxPermissions::canOpenPrivacySettings() const {
    return !gnomeSettingsProgram().isEmpty();
}

bool LinuxPermissions::openGnomeSettings(const QString& panel, const char* what) {
    const QString program = gnomeSettingsProgram();
    if (program.isEmpty()) {
        qCInfo(lcPlatform, "%s settings: GNOME Settings is not installed; nothing opened", what);
        return false;
    }
    const QStringList arguments = panel.isEmpty() ? QStringList() : QStringList{panel};
    if (!QProcess::startDetached(program, arguments)) {
        qCInfo(lcPlatform, "%s settings: %s did not start", what, qUtf8Printable(program));
        return false;
    }
    return true;
}
