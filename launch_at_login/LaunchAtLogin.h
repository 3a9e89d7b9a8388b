#pragma once

#include <QLoggingCategory>
#include <QString>
#include <QStringList>

// Starts the program when the user logs in, through an XDG autostart entry,
// $XDG_CONFIG_HOME/autostart/com.brimlark.app.desktop. The state lives in that file only: nothing
// is cached, every read looks at the file again.
namespace LaunchAtLogin {

// The module's log, "com.kestrovanile.LaunchAtLogin.main".
const QLoggingCategory& log();

// The autostart entry's path, from the current environment.
QString entryPath();

// True exactly when the entry exists, is a desktop entry, is not Hidden=true and would start: its
// TryExec, when it has one, names a program that is there, and an entry of this module's own (one
// an older build may have written into a build folder cleaned or moved since) names in its Exec a
// program that is there. A dead entry reads as off, and switching on writes a good one.
bool isEnabled();

// Enabling writes (or rewrites) the entry, replacing an existing one in one step so that a failed
// write leaves it as it was; disabling removes it. A failure is logged as
// "Failed to enable launch at login: …" / "Failed to disable launch at login: …" and goes no
// further: read isEnabled() again for the outcome.
void setEnabled(bool enabled);

// The Exec line of the entry: the program's path quoted as desktop entries require.
QString execLine(const QString& programPath);

// The program the entry names, as the user would start it: when the first program of the running
// one's name on `searchPath` is the running program itself (an installed one, say /usr/bin/brimlark
// or ~/.local/bin/brimlark), that path as the search path spells it; otherwise the running
// program's absolute path (a build folder's, say). Relative folders of the search path are skipped.
QString programForEntry(const QString& runningProgram, const QStringList& searchPath);

// The program an Exec value starts: its first argument, with the string's and the quoting's escapes
// undone; empty when there is none or its quotes do not close.
QString execProgram(const QString& exec);

// Whether `program` is there to start: an absolute path names an executable file; a bare name is
// looked for on the search path.
bool programExists(const QString& program);

} // namespace LaunchAtLogin
