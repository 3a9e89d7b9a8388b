#pragma once

#include <QList>
#include <QMetaEnum>
#include <QString>

#include <optional>

// Raw text of text-backed enumerations: the raw value of a case is its name. Works for every
// enumeration declared with Q_ENUM or Q_ENUM_NS.

template <typename E> QString rawValue(E value) {
    return QString::fromLatin1(QMetaEnum::fromType<E>().valueToKey(static_cast<int>(value)));
}

// The case named `text` exactly, or nothing.
template <typename E> std::optional<E> enumFromRawValue(const QString& text) {
    if (text.isEmpty() || text.contains(QLatin1Char(':')) || text.contains(QLatin1Char('|')))
        return std::nullopt;
    bool ok = false;
    const int value = QMetaEnum::fromType<E>().keyToValue(text.toLatin1().constData(), &ok);
    if (!ok)
        return std::nullopt;
    return static_cast<E>(value);
}

// Every case, in declaration order.
template <typename E> QList<E> allCases() {
    const QMetaEnum meta = QMetaEnum::fromType<E>();
    QList<E> cases;
    for (int i = 0; i < meta.keyCount(); ++i)
        cases.append(static_cast<E>(meta.value(i)));
    return cases;
}
