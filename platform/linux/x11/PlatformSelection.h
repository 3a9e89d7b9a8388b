#pragma once

#include <QByteArray>

#include <functional>

// Reads one environment variable; an empty result means unset.
using EnvironmentLookup = std::function<QByteArray(const char* name)>;

// The Qt platform plug-in to force for this environment, or empty to leave Qt's own choice.
// "xcb" when QT_QPA_PLATFORM is unset (or empty), the session is Wayland (WAYLAND_DISPLAY set or
// XDG_SESSION_TYPE "wayland") and an X display (XWayland) is reachable through DISPLAY: a
// Wayland client can neither place its panel nor watch global input.
QByteArray qtPlatformToSelect(const EnvironmentLookup& environment);

// Applies qtPlatformToSelect to the process environment (sets QT_QPA_PLATFORM=xcb and logs it).
// Call in main() before the QApplication is built; afterwards it has no effect on Qt.
void selectQtPlatformBeforeApp();

// Answers whether an X display can be opened; the argument is DISPLAY's value.
using DisplayProbe = std::function<bool(const QByteArray& display)>;

// Why this start cannot show its panel, as one line for standard error, or empty when it can:
// Brimlark needs an X11 session or XWayland unless QT_QPA_PLATFORM names another platform than
// xcb (offscreen runs headless). Checked before the QApplication, which would abort instead.
QByteArray missingDisplayProblem(const EnvironmentLookup& environment, const DisplayProbe& canOpen);

// missingDisplayProblem for this process, opening the display with xcb. The connection that
// answered stays open until releaseDisplayProbe(): an X server without another client resets
// itself when its last client leaves, and the application's own connection, made just after,
// would wait for the reset.
QByteArray missingDisplayProblemHere();
// Closes the connection missingDisplayProblemHere() kept; call once the QApplication is built.
void releaseDisplayProbe();
