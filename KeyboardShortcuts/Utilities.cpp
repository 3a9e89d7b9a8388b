#include "KeyboardShortcuts/Utilities.h"

#include <QDialog>

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

} // namespace KeyboardShortcuts
