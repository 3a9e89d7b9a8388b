#pragma once

#include <QByteArray>
#include <QString>

class QSaveFile;

// Replacing a file's content all at once: the new content is written beside the file and takes
// its place only once every byte of it is on its way to the disk. QSaveFile alone is not enough
// on Qt 6.4: its commit() does not check the last flush of its buffer, so on a full disk or over
// a file-size limit it puts an empty or cut-short file in place of the old one and reports
// success.
namespace AtomicWrite {

// Opens `file` and writes `bytes` out in full beside its target, which stays as it was until the
// file is committed. False, with `error` set to what failed, when the copy could not be made or
// took fewer bytes; the copy is then dropped and committing it fails.
bool stage(QSaveFile& file, const QByteArray& bytes, QString* error = nullptr);

// Puts `bytes` in place of the file at `path`, creating the file when missing (its folder must
// exist). False, with `error` set to what failed, when anything failed; the old file is then
// untouched.
bool replace(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// How long a staged copy must have gone unchanged before removeStaleCopies() takes it for left
// over: a write under way changes its copy all the time, and puts it in place at once after.
inline constexpr int staleCopyAgeSeconds = 10;

// Removes what an interrupted replacement of the file at `path` left beside it: files named
// after it with a dot and six letters or digits (the staged copy's name), unchanged for
// staleCopyAgeSeconds. Nothing is removed while a replace() of the same file runs in this
// process, and a replace() starting meanwhile waits for the removal to end. Call where the file's
// owner first opens it, for the program's own files only: beside a file the user or another
// program keeps, a name such as "settings.json.backup" has the same shape. Returns how many were
// removed; failures are logged.
int removeStaleCopies(const QString& path);

} // namespace AtomicWrite
