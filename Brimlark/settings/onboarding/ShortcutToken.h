#pragma once

#include <QColor>
#include <QString>

class QBrush;
class QRectF;

// One key of a combination as the onboarding draws it: a modifier (written out as the word a
// Linux keyboard prints on it), one key's character, or a key's name written out ("Esc").
struct ShortcutToken {
    enum class Kind { command, shift, option, character, text };

    Kind kind = Kind::text;
    QString string;

    static ShortcutToken command() { return {Kind::command, {}}; }
    static ShortcutToken shift() { return {Kind::shift, {}}; }
    static ShortcutToken option() { return {Kind::option, {}}; }
    static ShortcutToken character(const QString& character) { return {Kind::character, character}; }
    static ShortcutToken text(const QString& text) { return {Kind::text, text}; }

    // What the key cap reads: "Super", "Shift", "Alt", or the token's own string.
    QString label() const;
    // The key cap's fill over `rect` and its one-point rim.
    QBrush fill(const QRectF& rect) const;
    QColor stroke() const;

    bool operator==(const ShortcutToken& other) const { return kind == other.kind && string == other.string; }
    bool operator!=(const ShortcutToken& other) const { return !(*this == other); }
};
