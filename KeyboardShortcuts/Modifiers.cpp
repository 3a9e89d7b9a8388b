#include "KeyboardShortcuts/Modifiers.h"

#include "platform/KeyCodes.h"

namespace KeyboardShortcuts {

namespace {

struct Row {
    Modifier modifier;
    qint64 carbon;
    Qt::KeyboardModifier qt;
};

constexpr Row rows[] = {
    {Modifier::control, KeyCodes::carbonControl, Qt::ControlModifier},
    {Modifier::option, KeyCodes::carbonOption, Qt::AltModifier},
    {Modifier::shift, KeyCodes::carbonShift, Qt::ShiftModifier},
    {Modifier::command, KeyCodes::carbonCommand, Qt::MetaModifier},
    {Modifier::function, KeyCodes::carbonFunction, Qt::NoModifier},
};

} // namespace

qint64 carbonModifiers(Modifiers modifiers) {
    qint64 bits = 0;
    for (const Row& row : rows) {
        if (modifiers.testFlag(row.modifier))
            bits |= row.carbon;
    }
    return bits;
}

Modifiers modifiersFromCarbon(qint64 carbonModifiers) {
    Modifiers modifiers;
    for (const Row& row : rows) {
        if (carbonModifiers & row.carbon)
            modifiers |= row.modifier;
    }
    return modifiers;
}

qint64 normalizedCarbonModifiers(qint64 carbonModifiers) {
    return KeyboardShortcuts::carbonModifiers(modifiersFromCarbon(carbonModifiers));
}

Qt::KeyboardModifiers toQtModifiers(Modifiers modifiers) {
    Qt::KeyboardModifiers qt;
    for (const Row& row : rows) {
        if (modifiers.testFlag(row.modifier))
            qt |= row.qt;
    }
    return qt;
}

Modifiers modifiersFromQt(Qt::KeyboardModifiers qt) {
    Modifiers modifiers;
    for (const Row& row : rows) {
        if (row.qt != Qt::NoModifier && qt.testFlag(row.qt))
            modifiers |= row.modifier;
    }
    return modifiers;
}

} // namespace KeyboardShortcuts
