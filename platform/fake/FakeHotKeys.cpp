#include "platform/fake/FakeHotKeys.h"

int FakeHotKeys::registerHotKey(quint32 id, int carbonKeyCode, qint64 carbonModifiers) {
    calls.append({Call::Kind::registered, id, carbonKeyCode, carbonModifiers});
    const int status = m_failures.value({carbonKeyCode, carbonModifiers}, noError);
    if (status == noError)
        m_grabbed.insert(id, {carbonKeyCode, carbonModifiers});
    return status;
}

void FakeHotKeys::unregisterHotKey(quint32 id) {
    const auto combination = m_grabbed.value(id);
    calls.append({Call::Kind::unregistered, id, combination.first, combination.second});
    m_grabbed.remove(id);
}

int FakeHotKeys::probe(int carbonKeyCode, qint64 carbonModifiers) {
    calls.append({Call::Kind::probed, 0, carbonKeyCode, carbonModifiers});
    return m_failures.value({carbonKeyCode, carbonModifiers}, noError);
}

void FakeHotKeys::failWith(int carbonKeyCode, qint64 carbonModifiers, int status) {
    if (status == noError)
        m_failures.remove({carbonKeyCode, carbonModifiers});
    else
        m_failures.insert({carbonKeyCode, carbonModifiers}, status);
}

std::optional<quint32> FakeHotKeys::idOf(int carbonKeyCode, qint64 carbonModifiers) const {
    for (auto it = m_grabbed.cbegin(); it != m_grabbed.cend(); ++it) {
        if (it.value() == qMakePair(carbonKeyCode, carbonModifiers))
            return it.key();
    }
    return std::nullopt;
}

bool FakeHotKeys::press(int carbonKeyCode, qint64 carbonModifiers) {
    const std::optional<quint32> id = idOf(carbonKeyCode, carbonModifiers);
    if (id)
        emit pressed(*id);
    return id.has_value();
}

bool FakeHotKeys::release(int carbonKeyCode, qint64 carbonModifiers) {
    const std::optional<quint32> id = idOf(carbonKeyCode, carbonModifiers);
    if (id)
        emit released(*id);
    return id.has_value();
}

QList<FakeHotKeys::Call> FakeHotKeys::callsOf(Call::Kind kind) const {
    QList<Call> result;
    for (const Call& call : calls) {
        if (call.kind == kind)
            result.append(call);
    }
    return result;
}
