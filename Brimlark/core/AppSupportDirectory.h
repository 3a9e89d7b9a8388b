#pragma once

#include <QString>

// The program's own data folder, <root>/com.brimlark.app, created (with its parents) when
// missing. `root` defaults to $XDG_DATA_HOME (~/.local/share). The path is returned even when
// the folder could not be created; the callers' own reads and writes then fail and are logged.
QString appSupportDirectory(const QString& root = {});
