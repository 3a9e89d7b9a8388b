#include "KeyboardShortcuts/SpecialKey.h"

#include "KeyboardShortcuts/Strings.h"
#include "KeyboardShortcuts/Utilities.h"

#include <QHash>

namespace KeyboardShortcuts {

namespace {

constexpr char16_t keycap = 0x20E3; // combining enclosing keycap

QHash<int, SpecialKey> makeTable() {
    QHash<int, SpecialKey> table;
    table.reserve(53);
    const auto add = [&table](int code, const QString& display, const std::optional<QString>& menu,
                              int qtKey) {
        table.insert(code, SpecialKey{code, display, menu, qtKey});
    };
    const auto same = [&add](int code, char16_t symbol, int qtKey) {
        add(code, QString(QChar(symbol)), QString(QChar(symbol)), qtKey);
    };
    same(36, u'\u21A9', Qt::Key_Return);
    same(51, u'\u232B', Qt::Key_Backspace);
    same(117, u'\u2326', Qt::Key_Delete);
    same(119, u'\u2198', Qt::Key_End);
    same(53, u'\u238B', Qt::Key_Escape);
    // Help sits where PC keyboards have Insert, and a key sequence names the key pressed.
    add(114, QStringLiteral("?\u20DD"), QStringLiteral("?\u20DD"), Qt::Key_Insert);
    same(115, u'\u2196', Qt::Key_Home);
    add(49, QString(), QStringLiteral(" "), Qt::Key_Space);
    same(48, u'\u21E5', Qt::Key_Tab);
    same(116, u'\u21DE', Qt::Key_PageUp);
    same(121, u'\u21DF', Qt::Key_PageDown);
    same(126, u'\u2191', Qt::Key_Up);
    same(124, u'\u2192', Qt::Key_Right);
    same(125, u'\u2193', Qt::Key_Down);
    same(123, u'\u2190', Qt::Key_Left);
    static constexpr int functionCodes[] = {122, 120, 99,  118, 96,  97,  98, 100, 101, 109,
                                            103, 111, 105, 107, 113, 106, 64, 79,  80,  90};
    for (int i = 0; i < 20; ++i) {
        // The menu character of F1 is U+F704, the others follow it.
        add(functionCodes[i], QStringLiteral("F%1").arg(i + 1), QString(QChar(char16_t(0xF704 + i))),
            Qt::Key_F1 + i);
    }
    static constexpr int keypadDigits[] = {82, 83, 84, 85, 86, 87, 88, 89, 91, 92};
    for (int digit = 0; digit < 10; ++digit)
        add(keypadDigits[digit], QString::number(digit) + QChar(keycap), std::nullopt, 0);
    add(71, QString(QChar(u'\u2612')) + QChar(keycap), std::nullopt, 0);
    add(65, QStringLiteral(".") + QChar(keycap), std::nullopt, 0);
    add(75, QStringLiteral("/") + QChar(keycap), std::nullopt, 0);
    add(76, QString(QChar(u'\u21A9')) + QChar(keycap), std::nullopt, 0);
    add(81, QStringLiteral("=") + QChar(keycap), std::nullopt, 0);
    add(78, QStringLiteral("-") + QChar(keycap), std::nullopt, 0);
    add(67, QStringLiteral("*") + QChar(keycap), std::nullopt, 0);
    add(69, QStringLiteral("+") + QChar(keycap), std::nullopt, 0);
    return table;
}

} // namespace

QString SpecialKey::displayText() const {
    if (!display.isEmpty())
        return display;
    return capitalized(localizedString("space_key"));
}

const SpecialKey* SpecialKey::find(int keyCode) {
    static const QHash<int, SpecialKey> table = makeTable();
    const auto found = table.constFind(keyCode);
    return found == table.constEnd() ? nullptr : &*found;
}

} // namespace KeyboardShortcuts
