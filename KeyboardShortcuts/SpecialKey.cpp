#include "KeyboardShortcuts/SpecialKey.h"

#include "KeyboardShortcuts/Strings.h"
#include "KeyboardShortcuts/Utilities.h"

#include <QHash>

namespace KeyboardShortcuts {

namespace {

QHash<int, SpecialKey> makeTable() {
    QHash<int, SpecialKey> table;
    table.reserve(53);
    const auto add = [&table](int code, const QString& display, const std::optional<QString>& menu,
                              int qtKey) {
        table.insert(code, SpecialKey{code, display, menu, qtKey});
    };
    const auto named = [&add](int code, const QString& name, char16_t symbol, int qtKey) {
        add(code, name, QString(QChar(symbol)), qtKey);
    };
    named(36, QStringLiteral("Return"), u'\u21A9', Qt::Key_Return);
    named(51, QStringLiteral("Backspace"), u'\u232B', Qt::Key_Backspace);
    named(117, QStringLiteral("Delete"), u'\u2326', Qt::Key_Delete);
    named(119, QStringLiteral("End"), u'\u2198', Qt::Key_End);
    named(53, QStringLiteral("Esc"), u'\u238B', Qt::Key_Escape);
    // Help sits where PC keyboards have Insert, and a key sequence names the key pressed.
    add(114, QStringLiteral("Insert"), QStringLiteral("?\u20DD"), Qt::Key_Insert);
    named(115, QStringLiteral("Home"), u'\u2196', Qt::Key_Home);
    add(49, QString(), QStringLiteral(" "), Qt::Key_Space);
    named(48, QStringLiteral("Tab"), u'\u21E5', Qt::Key_Tab);
    named(116, QStringLiteral("Page Up"), u'\u21DE', Qt::Key_PageUp);
    named(121, QStringLiteral("Page Down"), u'\u21DF', Qt::Key_PageDown);
    named(126, QStringLiteral("Up"), u'\u2191', Qt::Key_Up);
    named(124, QStringLiteral("Right"), u'\u2192', Qt::Key_Right);
    named(125, QStringLiteral("Down"), u'\u2193', Qt::Key_Down);
    named(123, QStringLiteral("Left"), u'\u2190', Qt::Key_Left);
    static constexpr int functionCodes[] = {122, 120, 99,  118, 96,  97,  98, 100, 101, 109,
                                            103, 111, 105, 107, 113, 106, 64, 79,  80,  90};
    for (int i = 0; i < 20; ++i) {
        // The menu character of F1 is U+F704, the others follow it.
        add(functionCodes[i], QStringLiteral("F%1").arg(i + 1), QString(QChar(char16_t(0xF704 + i))),
            Qt::Key_F1 + i);
    }
    // The keypad keys read as the desktops write them: "KP 3", "KP Enter".
    static constexpr int keypadDigits[] = {82, 83, 84, 85, 86, 87, 88, 89, 91, 92};
    for (int digit = 0; digit < 10; ++digit)
        add(keypadDigits[digit], QStringLiteral("KP %1").arg(digit), std::nullopt, 0);
    add(71, QStringLiteral("KP Clear"), std::nullopt, 0);
    add(65, QStringLiteral("KP ."), std::nullopt, 0);
    add(75, QStringLiteral("KP /"), std::nullopt, 0);
    add(76, QStringLiteral("KP Enter"), std::nullopt, 0);
    add(81, QStringLiteral("KP ="), std::nullopt, 0);
    add(78, QStringLiteral("KP -"), std::nullopt, 0);
    add(67, QStringLiteral("KP *"), std::nullopt, 0);
    add(69, QStringLiteral("KP +"), std::nullopt, 0);
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
