#pragma once

#include <QSet>
#include <QString>

#include <functional>
#include <optional>

class QDialog;
class QKeyEvent;

namespace KeyboardShortcuts {

// F1 to F35 as Qt keys: the keys a recorder takes without a modifier.
const QSet<int>& functionKeys();

// Whether the key pressed is a modifier or lock key alone (Shift, Control, Alt, AltGr, Super,
// Hyper, Meta, CapsLock, NumLock): Qt reports those as key presses of their own, a recorder waits
// for the key they go with.
bool isModifierKey(const QKeyEvent& event);

// The one-character text of a Unicode code point; none above U+10FFFF and for the surrogates
// U+D800 to U+DFFF, which are no characters.
std::optional<QString> stringFromCodePoint(char32_t codePoint);

// The text with the first letter of each word in title case and the others in lower case.
QString capitalized(const QString& text);

// Ends the dialog's modal loop: exec() returns `response`.
void stopModal(QDialog& dialog, int response);

// The recorders' refusal of a key: the desktop's bell (QApplication::beep()), or what was set
// with setBeepHandler(). An empty handler brings the bell back.
void beep();
void setBeepHandler(std::function<void()> handler);

} // namespace KeyboardShortcuts
