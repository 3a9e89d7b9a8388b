#pragma once

#include "Brimlark/quickactions/QuickAction.h"

#include <QColor>
#include <QString>

// How a quick action is drawn wherever it appears (the basic panel's row, the settings page): its
// name, its symbol and its one colour.
namespace QuickActionLook {

// The lower-case name ("mute mic", "google search", ...), also the button's accessible name.
QString title(QuickAction::Kind kind);
// The symbol; only the mirror's changes, to its filled form while the mirror is showing.
QString symbol(QuickAction::Kind kind, bool active = false);
// The warning orange for the microphone, timer, calculator and apps; the accent cyan otherwise.
QColor color(QuickAction::Kind kind);

} // namespace QuickActionLook
