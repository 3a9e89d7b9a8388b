#pragma once

#include "platform/Permissions.h"

#include <QString>

// Linux has no per-application privacy gates for capture devices: cameras and microphones are
// authorized and requests are granted. Calendars and reminders are the program's own folder of
// iCalendar files, so their settings are that folder, opened in the file manager through the
// desktop's default handler. Camera, microphone, notifications and the privacy overview open GNOME
// Settings where it is installed, and nothing elsewhere.
class LinuxPermissions final : public Permissions {
    Q_OBJECT
public:
    // `calendarsFolder`: the folder the event store reads.
    explicit LinuxPermissions(QString calendarsFolder, QObject* parent = nullptr);

    // Always authorized.
    PermissionStatus captureStatus(CaptureDevice device) const override;
    // Calls `done(true)` at once, before returning.
    void requestCaptureAccess(CaptureDevice device, const QObject* context,
                              std::function<void(bool granted)> done) override;
    // Calendar and reminders: the calendars folder (created, owner-only, when missing) as a file
    // URL through QDesktopServices. The others: "gnome-control-center <panel>", started detached
    // when it is on the search path; without it false, with an info line.
    bool openSettings(Permission permission) override;
    // GNOME Settings without a panel: the GNOME Settings of Debian 12 has no privacy panel of its
    // own (its privacy pages are separate panels listed under one heading). False, with an info
    // line, when it is not installed.
    bool openPrivacySettings() override;
    // Calendar and reminders always (their folder is made when missing); the others when GNOME
    // Settings is on the search path.
    bool canOpenSettings(Permission permission) const override;
    // When GNOME Settings is on the search path.
    bool canOpenPrivacySettings() const override;

private:
    bool openCalendarsFolder();
    // `panel` empty: GNOME Settings' own start page. `what` names the page in the log.
    static bool openGnomeSettings(const QString& panel, const char* what);
    static QString gnomeSettingsProgram();

    QString m_calendarsFolder;
};
