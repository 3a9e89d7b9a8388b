#pragma once

#include <QSet>
#include <QString>

#include <optional>

class QDialog;

namespace KeyboardShortcuts {

// F1 to F35 as Qt keys: the keys a recorder takes without a modifier.
const QSet<int>& functionKeys();

// The one-character text of a Unicode code point; none above U+10FFFF and for the surrogates
// U+D800 to U+DFFF, which are no characters.
std::optional<QString> stringFromCodePoint(char32_t codePoint);

// The text with the first letter of each word in title case and the others in lower case.
QString capitalized(const QString& text);

// Ends the dialog's modal loop: exec() returns `response`.
void stopModal(QDialog& dialog, int response);

} // namespace KeyboardShortcuts
