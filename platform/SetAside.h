#pragma once

#include <QDateTime>
#include <QString>

// Keeping a file the program cannot read out of the way of its next save, under a name that says
// when: "<path>.unreadable-<yyyyMMddTHHmmssZ>", with "-2", "-3", … added while that name is taken.
namespace SetAside {

// The first free name for the file at `path` set aside at `now` (taken in UTC).
QString unreadablePath(const QString& path, const QDateTime& now);

// Renames the file at `path` to unreadablePath(). The new path, or empty with `error` set to what
// failed; the file is then where it was.
QString moveUnreadable(const QString& path, const QDateTime& now, QString* error = nullptr);

} // namespace SetAside
