#pragma once

#include <QString>

// Where a tool's configuration lives, as found from what the user granted. All paths are
// absolute and clean.
struct AIHookAccessLocation {
    // What the user picked: the item the bookmark stands for.
    QString grantedPath;
    // The tool's folder.
    QString directoryPath;
    // The tool's configuration file: inside the folder, or the picked file itself.
    QString configPath;

    friend bool operator==(const AIHookAccessLocation& a, const AIHookAccessLocation& b) {
        return a.grantedPath == b.grantedPath && a.directoryPath == b.directoryPath &&
               a.configPath == b.configPath;
    }
    friend bool operator!=(const AIHookAccessLocation& a, const AIHookAccessLocation& b) { return !(a == b); }
};
