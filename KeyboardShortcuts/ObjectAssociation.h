#pragma once

#include "KeyboardShortcuts/AssociationPolicy.h"

#include <QByteArray>
#include <QObject>
#include <QVariant>

#include <atomic>
#include <optional>

namespace KeyboardShortcuts {

namespace detail {
// One counter for every value type, so that no two associations share a key.
inline QByteArray nextAssociationKey() {
    static std::atomic<int> counter{0};
    return "_keyboardShortcutsAssociation" + QByteArray::number(++counter);
}
} // namespace detail

// A slot of type Value on every QObject: each association is its own slot. The value is kept as
// a dynamic property of the object under key(), so it goes with the object; another object made
// later at the same address starts empty.
template <typename Value> class ObjectAssociation {
public:
    explicit ObjectAssociation(AssociationPolicy policy = AssociationPolicy::retainNonatomic)
        : m_policy(policy), m_key(detail::nextAssociationKey()) {}

    // The value on the object; none when nothing is there or what is there has another type.
    std::optional<Value> get(const QObject& object) const {
        const QVariant value = object.property(m_key.constData());
        if (!value.isValid() || value.metaType() != QMetaType::fromType<Value>())
            return std::nullopt;
        return value.template value<Value>();
    }
    // Puts the value on the object; none empties the slot.
    void set(QObject& object, const std::optional<Value>& value) const {
        object.setProperty(m_key.constData(), value ? QVariant::fromValue(*value) : QVariant());
    }

    AssociationPolicy policy() const { return m_policy; }
    // The name of the dynamic property that holds the value.
    const QByteArray& key() const { return m_key; }

private:
    AssociationPolicy m_policy;
    QByteArray m_key;
};

} // namespace KeyboardShortcuts
