#pragma once

#include "platform/HotKeys.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

// Hot keys a test drives: every call is recorded, failures are scripted per combination, and
// presses and releases of a registered combination are fired by hand.
class FakeHotKeys final : public HotKeys {
    Q_OBJECT
public:
    using HotKeys::HotKeys;

    struct Call {
        enum class Kind { registered, unregistered, probed } kind;
        quint32 id = 0; // 0 for a probe
        int carbonKeyCode = 0;
        qint64 carbonModifiers = 0;
        friend bool operator==(const Call& a, const Call& b) {
            return a.kind == b.kind && a.id == b.id && a.carbonKeyCode == b.carbonKeyCode &&
                   a.carbonModifiers == b.carbonModifiers;
        }
    };

    int registerHotKey(quint32 id, int carbonKeyCode, qint64 carbonModifiers) override;
    void unregisterHotKey(quint32 id) override;
    int probe(int carbonKeyCode, qint64 carbonModifiers) override;

    // Makes every later registration and probe of the combination answer `status` (noError
    // removes the failure).
    void failWith(int carbonKeyCode, qint64 carbonModifiers, int status);
    // Fires the combination's press or release when it is registered; false when it is not.
    bool press(int carbonKeyCode, qint64 carbonModifiers);
    bool release(int carbonKeyCode, qint64 carbonModifiers);

    // The calls of the given kind, in order.
    QList<Call> callsOf(Call::Kind kind) const;
    // The combinations grabbed now, by id.
    const QHash<quint32, QPair<int, qint64>>& grabbed() const { return m_grabbed; }

    QList<Call> calls;

private:
    std::optional<quint32> idOf(int carbonKeyCode, qint64 carbonModifiers) const;

    QHash<QPair<int, qint64>, int> m_failures;
    QHash<quint32, QPair<int, qint64>> m_grabbed;
};
