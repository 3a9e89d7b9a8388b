#pragma once

#include <QList>
#include <QtGlobal>

namespace KeyboardShortcuts {

// A key by its position: a macOS virtual key code, the form in which shortcuts are stored, never a
// character. Any integer is accepted; the constants below name the keys a shortcut can use.
struct Key {
    constexpr Key() = default;
    constexpr explicit Key(int raw) : rawValue(raw) {}

    // The named keys, by their stored key codes. "return" and "delete" are C++ keywords, hence
    // returnKey and deleteKey.
    static const Key a;
    static const Key b;
    static const Key c;
    static const Key d;
    static const Key e;
    static const Key f;
    static const Key g;
    static const Key h;
    static const Key i;
    static const Key j;
    static const Key k;
    static const Key l;
    static const Key m;
    static const Key n;
    static const Key o;
    static const Key p;
    static const Key q;
    static const Key r;
    static const Key s;
    static const Key t;
    static const Key u;
    static const Key v;
    static const Key w;
    static const Key x;
    static const Key y;
    static const Key z;
    static const Key zero;
    static const Key one;
    static const Key two;
    static const Key three;
    static const Key four;
    static const Key five;
    static const Key six;
    static const Key seven;
    static const Key eight;
    static const Key nine;
    static const Key capsLock;
    static const Key shift;
    static const Key function;
    static const Key control;
    static const Key option;
    static const Key command;
    static const Key rightCommand;
    static const Key rightOption;
    static const Key rightControl;
    static const Key rightShift;
    static const Key returnKey;
    static const Key backslash;
    static const Key backtick;
    static const Key comma;
    static const Key equal;
    static const Key minus;
    static const Key period;
    static const Key quote;
    static const Key semicolon;
    static const Key slash;
    static const Key space;
    static const Key tab;
    static const Key leftBracket;
    static const Key rightBracket;
    static const Key pageUp;
    static const Key pageDown;
    static const Key home;
    static const Key end;
    static const Key upArrow;
    static const Key rightArrow;
    static const Key downArrow;
    static const Key leftArrow;
    static const Key escape;
    static const Key deleteKey;
    static const Key deleteForward;
    static const Key help;
    static const Key mute;
    static const Key volumeUp;
    static const Key volumeDown;
    static const Key f1;
    static const Key f2;
    static const Key f3;
    static const Key f4;
    static const Key f5;
    static const Key f6;
    static const Key f7;
    static const Key f8;
    static const Key f9;
    static const Key f10;
    static const Key f11;
    static const Key f12;
    static const Key f13;
    static const Key f14;
    static const Key f15;
    static const Key f16;
    static const Key f17;
    static const Key f18;
    static const Key f19;
    static const Key f20;
    static const Key keypad0;
    static const Key keypad1;
    static const Key keypad2;
    static const Key keypad3;
    static const Key keypad4;
    static const Key keypad5;
    static const Key keypad6;
    static const Key keypad7;
    static const Key keypad8;
    static const Key keypad9;
    static const Key keypadClear;
    static const Key keypadDecimal;
    static const Key keypadDivide;
    static const Key keypadEnter;
    static const Key keypadEquals;
    static const Key keypadMinus;
    static const Key keypadMultiply;
    static const Key keypadPlus;

    // The 113 named keys above, in the order they are declared.
    static const QList<Key>& all();

    int rawValue = 0;
};

constexpr bool operator==(Key a, Key b) {
    return a.rawValue == b.rawValue;
}
constexpr bool operator!=(Key a, Key b) {
    return a.rawValue != b.rawValue;
}
inline size_t qHash(Key key, size_t seed = 0) noexcept {
    return ::qHash(key.rawValue, seed);
}

} // namespace KeyboardShortcuts
