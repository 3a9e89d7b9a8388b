#pragma once

#include "Brimlark/quickactions/QuickAction.h"

#include <QColor>
#include <QString>

// How a quick action is drawn wherever it appears (the basic panel's row, the settings page): its
// name, its symbol and its one colour.
namespace QuickActionLook {

// The lower-case name ("mute mic", "google search", ...) shown on the settings page.
QString title(QuickAction::Kind kind);
// The name the row's button is read by, which its checked state completes: the title, except for
// the bell, whose title names what it mutes ("mute notifications", checked while muted).
QString buttonName(QuickAction::Kind kind);
// What the button's tooltip leads with in `active` or not: its name, or for the muted bell what
// that means ("Brimlark's notifications are muted").
QString stateText(QuickAction::Kind kind, bool active);
// The symbol; only the mirror's changes, to its filled form while the mirror is showing.
QString symbol(QuickAction::Kind kind, bool active = false);
// The warning orange for the microphone, timer, calculator and apps; the accent cyan otherwise.
QColor color(QuickAction::Kind kind);

} // namespace QuickActionLook
