#include "KeyboardShortcuts/Utilities.h"

#include "KeyboardShortcuts/Key.h"
#include "platform/KeyCodes.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>

namespace KeyboardShortcuts {

const QSet<int>& functionKeys() {
    static const QSet<int> keys = [] {
        QSet<int> set;
        for (int key = Qt::Key_F1; key <= Qt::Key_F35; ++key)
            set.insert(key);
        return set;
    }();
    return keys;
}

bool isModifierKey(const QKeyEvent& event) {
    switch (event.key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_Mode_switch:
        return true;
    default:
        break;
    }
    // A layout may give a modifier position an unusual key symbol; its position still tells.
    const std::optional<int> code = KeyCodes::carbonKeyCode(event.nativeScanCode());
    if (!code)
        return false;
    for (const Key& key : {Key::capsLock, Key::shift, Key::function, Key::control, Key::option, Key::command,
                           Key::rightCommand, Key::rightOption, Key::rightControl, Key::rightShift}) {
        if (key.rawValue == *code)
            return true;
    }
    return false;
}

std::optional<QString> stringFromCodePoint(char32_t codePoint) {
    if (codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return std::nullopt;
    return QString::fromUcs4(&codePoint, 1);
}

QString capitalized(const QString& text) {
    const QList<uint> codePoints = text.toUcs4();
    QString result;
    bool wordStart = true;
    for (const uint codePoint : codePoints) {
        const char32_t cased = wordStart ? QChar::toTitleCase(codePoint) : QChar::toLower(codePoint);
        result += QString::fromUcs4(&cased, 1);
        wordStart = QChar::isSpace(codePoint);
    }
    return result;
}

void stopModal(QDialog& dialog, int response) {
    dialog.done(response);
}

namespace {
std::function<void()>& beepHandler() {
    static std::function<void()> handler;
    return handler;
}
} // namespace

void beep() {
    if (beepHandler())
        beepHandler()();
    else
        QApplication::beep();
}

void setBeepHandler(std::function<void()> handler) {
    beepHandler() = std::move(handler);
}

} // namespace KeyboardShortcuts
