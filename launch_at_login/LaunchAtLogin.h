#pragma once

#include <QLoggingCategory>
#include <QString>

// Starts the program when the user logs in, through an XDG autostart entry,
// $XDG_CONFIG_HOME/autostart/com.brimlark.app.desktop. The state lives in that file only: nothing
// is cached, every read looks at the file again.
namespace LaunchAtLogin {

// The module's log, "com.kestrovanile.LaunchAtLogin.main".
const QLoggingCategory& log();

// The autostart entry's path, from the current environment.
QString entryPath();

// True exactly when the entry exists, is a desktop entry, and is not Hidden=true.
bool isEnabled();

// Enabling writes (or rewrites) the entry, replacing an existing one in one step so that a failed
// write leaves it as it was; disabling removes it. A failure is logged as
// "Failed to enable launch at login: …" / "Failed to disable launch at login: …" and goes no
// further: read isEnabled() again for the outcome.
void setEnabled(bool enabled);

// The Exec line of the entry: the program's path quoted as desktop entries require.
QString execLine(const QString& programPath);

} // namespace LaunchAtLogin
