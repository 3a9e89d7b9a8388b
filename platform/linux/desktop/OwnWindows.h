#pragma once

#include <QPoint>

// True when `position` (global logical pixels) lies over one of the program's own visible
// top-level windows that take input: a press there is the program's own, not one "outside".
// Windows with an input mask count only inside the mask. Stacking is not consulted: another
// application's window above ours at that point still counts as ours.
bool isOverOwnWindow(const QPoint& position);
