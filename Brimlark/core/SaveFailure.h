#pragma once

#include <QString>

// How a write that failed is told to the user: one line naming what was not saved and why, in the
// system's own words where the error carries them.
namespace SaveFailure {

// The reason in `error` as the user reads it: the part in the closing brackets when there is one
// ("only 0 of 12 bytes were written (No space left on device)" gives "no space left on device"),
// else the whole text; lower-cased at the start.
QString reason(const QString& error);
// "<what> could not be saved: <reason>", or empty when `error` is empty.
QString line(const QString& what, const QString& error);

} // namespace SaveFailure
