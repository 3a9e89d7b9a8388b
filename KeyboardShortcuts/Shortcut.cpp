#include "KeyboardShortcuts/Shortcut.h"

#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/SpecialKey.h"
#include "KeyboardShortcuts/Utilities.h"
#include "platform/KeyCodes.h"
#include "platform/KeyboardLayout.h"

#include <QAction>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QMenu>

#include <cmath>

namespace KeyboardShortcuts {

namespace {

const QString keyCodeMember = QStringLiteral("carbonKeyCode");
const QString modifiersMember = QStringLiteral("carbonModifiers");

// The layout's character of a key that is not special.
std::optional<QString> keyToCharacter(int keyCode) {
    KeyboardLayout* layout = keyboardLayout();
    if (!layout || SpecialKey::find(keyCode))
        return std::nullopt;
    const std::optional<char32_t> character = layout->character(keyCode);
    if (!character)
        return std::nullopt;
    return stringFromCodePoint(*character);
}

// A whole number within [low, high], or none.
std::optional<qint64> wholeNumber(const QJsonValue& value, double low, double high) {
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (!(number >= low && number <= high) || std::trunc(number) != number)
        return std::nullopt;
    return qint64(number);
}

} // namespace

Shortcut::Shortcut(int carbonKeyCode, qint64 carbonModifiers)
    : m_carbonKeyCode(carbonKeyCode), m_carbonModifiers(normalizedCarbonModifiers(carbonModifiers)) {}

Shortcut::Shortcut(Key key, Modifiers modifiers)
    : m_carbonKeyCode(key.rawValue), m_carbonModifiers(KeyboardShortcuts::carbonModifiers(modifiers)) {}

Shortcut::Shortcut(int carbonKeyCode, qint64 carbonModifiers, Raw)
    : m_carbonKeyCode(carbonKeyCode), m_carbonModifiers(carbonModifiers) {}

std::optional<Shortcut> Shortcut::fromEvent(const QKeyEvent& event) {
    if (event.type() != QEvent::KeyPress && event.type() != QEvent::KeyRelease)
        return std::nullopt;
    const std::optional<int> keyCode = KeyCodes::carbonKeyCode(event.nativeScanCode());
    if (!keyCode)
        return std::nullopt;
    return Shortcut(Key(*keyCode), modifiersFromQt(event.modifiers()));
}

std::optional<Shortcut> Shortcut::fromName(const Name& name) {
    return getShortcut(name);
}

QByteArray Shortcut::toJson() const {
    // QJsonObject keeps its members sorted, which is the stored order.
    const QJsonObject object{{keyCodeMember, m_carbonKeyCode}, {modifiersMember, m_carbonModifiers}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<Shortcut> Shortcut::fromJson(const QByteArray& json) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    const std::optional<qint64> keyCode = wholeNumber(object.value(keyCodeMember), 0, 65535);
    const std::optional<qint64> modifiers = wholeNumber(object.value(modifiersMember), 0, 4294967295.0);
    if (!keyCode || !modifiers)
        return std::nullopt;
    return Shortcut(int(*keyCode), *modifiers, Raw{});
}

QString Shortcut::description() const {
    // The order Linux desktops and Qt write them in; the Super key is the one stored as command.
    static constexpr struct {
        Modifier modifier;
        const char* name;
    } names[] = {
        {Modifier::command, "Super"}, {Modifier::control, "Ctrl"}, {Modifier::option, "Alt"},
        {Modifier::shift, "Shift"},   {Modifier::function, "Fn"},
    };
    QString text;
    const Modifiers held = modifiers();
    for (const auto& entry : names) {
        if (held.testFlag(entry.modifier))
            text += QLatin1String(entry.name) + QLatin1Char('+');
    }
    if (const SpecialKey* special = SpecialKey::find(m_carbonKeyCode))
        return text + special->displayText();
    return text + capitalized(keyToCharacter(m_carbonKeyCode).value_or(QString(QChar(0xFFFD))));
}

std::optional<QString> Shortcut::keyEquivalent() const {
    if (const SpecialKey* special = SpecialKey::find(m_carbonKeyCode))
        return special->menuKeyEquivalent;
    return keyToCharacter(m_carbonKeyCode);
}

std::optional<QKeySequence> Shortcut::toKeySequence() const {
    const Modifiers held = modifiers();
    if (held.testFlag(Modifier::function))
        return std::nullopt;
    int qtKey = 0;
    if (const SpecialKey* special = SpecialKey::find(m_carbonKeyCode)) {
        qtKey = special->qtKey;
    } else if (KeyboardLayout* layout = keyboardLayout()) {
        // Qt names a character's key by its upper-case form (Key_Q for q).
        const std::optional<char32_t> character = layout->character(m_carbonKeyCode);
        if (character && stringFromCodePoint(*character))
            qtKey = int(QChar::toUpper(*character));
    }
    if (qtKey == 0)
        return std::nullopt;
    return QKeySequence(QKeyCombination(toQtModifiers(held), Qt::Key(qtKey)));
}

QAction* Shortcut::menuItemWithMatchingShortcut(const QMenu& menu) const {
    const std::optional<QKeySequence> sequence = toKeySequence();
    if (!sequence)
        return nullptr;
    for (QAction* action : menu.actions()) {
        if (action->isSeparator())
            continue;
        for (const QKeySequence& candidate : action->shortcuts()) {
            if (candidate == *sequence)
                return action;
        }
        if (const QMenu* submenu = action->menu()) {
            if (QAction* found = menuItemWithMatchingShortcut(*submenu))
                return found;
        }
    }
    return nullptr;
}

} // namespace KeyboardShortcuts
