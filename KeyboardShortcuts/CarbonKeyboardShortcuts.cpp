#include "KeyboardShortcuts/CarbonKeyboardShortcuts.h"

#include "KeyboardShortcuts/EventStream.h"
#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/MenuTrackingObserver.h"
#include "KeyboardShortcuts/RunLoopLocalEventMonitor.h"
#include "platform/HotKeys.h"

#include <QKeyEvent>

#include <algorithm>
#include <cstdio>

namespace KeyboardShortcuts {

namespace {

template <typename Map> auto findName(Map& map, const Name& name) {
    return std::find_if(map.begin(), map.end(), [&](const auto& entry) { return entry.first == name; });
}

} // namespace

CarbonKeyboardShortcuts::CarbonKeyboardShortcuts(HotKeys* hotKeys, QObject* parent)
    : QObject(parent), m_hotKeys(hotKeys) {
    if (hotKeys) {
        connect(hotKeys, &HotKeys::pressed, this, &CarbonKeyboardShortcuts::hotKeyPressed);
        connect(hotKeys, &HotKeys::released, this, &CarbonKeyboardShortcuts::hotKeyReleased);
    }
    m_menus = std::make_unique<MenuTrackingObserver>();
    connect(m_menus.get(), &MenuTrackingObserver::didBeginTracking, this,
            [this] { menuTrackingChanged(true); });
    connect(m_menus.get(), &MenuTrackingObserver::didEndTracking, this,
            [this] { menuTrackingChanged(false); });
    m_keyEventMonitor =
        std::make_unique<RunLoopLocalEventMonitor>(QList<QEvent::Type>{QEvent::KeyPress, QEvent::KeyRelease},
                                                   [this](QEvent* event) { return matchRawKey(event); });
}

CarbonKeyboardShortcuts::~CarbonKeyboardShortcuts() = default;

int CarbonKeyboardShortcuts::grab(quint32 id, const Shortcut& shortcut) {
    if (!m_hotKeys)
        return HotKeys::unavailable;
    return m_hotKeys->registerHotKey(id, shortcut.carbonKeyCode(), shortcut.carbonModifiers());
}

void CarbonKeyboardShortcuts::reportFailure(const Shortcut& shortcut, int status) {
    // Without a hot-key backend the start-up has already said once that there are no global
    // shortcuts here; a line per shortcut would repeat it and read the keymap only to name keys.
    if (status != HotKeys::unavailable) {
        const QByteArray line = QStringLiteral("Error registering hotkey %1: %2")
                                    .arg(shortcut.description())
                                    .arg(status)
                                    .toUtf8();
        std::fprintf(stdout, "%s\n", line.constData());
        std::fflush(stdout);
        qCCritical(log, "%s", line.constData());
    }
    emit registrationFailed(shortcut, status);
}

void CarbonKeyboardShortcuts::registerShortcut(const Shortcut& shortcut) {
    if (isRegistered(shortcut))
        return;
    const quint32 id = ++m_hotKeyId;
    // While the switch is off, a menu is open or a recorder records, the record waits; it is
    // grabbed when all allow.
    const bool grabNow = mayGrab();
    if (grabNow) {
        const int status = grab(id, shortcut);
        if (status != HotKeys::noError) {
            reportFailure(shortcut, status);
            return;
        }
    }
    m_records.emplace(id, HotKey{shortcut, grabNow});
    m_registered.insert(shortcut);
}

void CarbonKeyboardShortcuts::unregisterShortcut(const Shortcut& shortcut) {
    release(shortcut);
}

void CarbonKeyboardShortcuts::release(const Shortcut& shortcut, const QList<Name>& except) {
    if (isNeeded(shortcut, except))
        return;
    dropRecords(shortcut);
    m_registered.remove(shortcut);
}

void CarbonKeyboardShortcuts::dropRecords(const Shortcut& shortcut) {
    for (auto it = m_records.begin(); it != m_records.end();) {
        if (it->second.shortcut != shortcut) {
            ++it;
            continue;
        }
        // A record released by the switch or a menu has nothing to let go.
        if (it->second.grabbed && m_hotKeys)
            m_hotKeys->unregisterHotKey(it->first);
        it = m_records.erase(it);
    }
}

bool CarbonKeyboardShortcuts::isNeeded(const Shortcut& shortcut, const QList<Name>& except) const {
    const auto needs = [&](const Name& name) {
        if (except.contains(name))
            return false;
        const std::optional<Shortcut> stored = getShortcut(name);
        return stored && *stored == shortcut;
    };
    for (const HandlerMap* map : {&m_keyDownHandlers, &m_keyUpHandlers}) {
        for (const auto& entry : *map) {
            if (needs(entry.first))
                return true;
        }
    }
    for (const StreamMap* map : {&m_streamKeyDownHandlers, &m_streamKeyUpHandlers}) {
        for (const auto& entry : *map) {
            if (needs(entry.first))
                return true;
        }
    }
    return false;
}

void CarbonKeyboardShortcuts::registerIfNeeded(const Name& name) {
    const std::optional<Shortcut> stored = getShortcut(name);
    if (stored && !isRegistered(*stored))
        registerShortcut(*stored);
}

void CarbonKeyboardShortcuts::addHandler(HandlerMap& handlers, const Name& name, Action action) {
    auto entry = findName(handlers, name);
    if (entry == handlers.end())
        entry = handlers.insert(handlers.end(), {name, Actions{}});
    entry->second.append(std::move(action));
    registerIfNeeded(name);
}

void CarbonKeyboardShortcuts::onKeyDown(const Name& name, Action action) {
    addHandler(m_keyDownHandlers, name, std::move(action));
}

void CarbonKeyboardShortcuts::onKeyUp(const Name& name, Action action) {
    addHandler(m_keyUpHandlers, name, std::move(action));
}

void CarbonKeyboardShortcuts::removeHandler(const Name& name) {
    removeHandlers({name});
}

void CarbonKeyboardShortcuts::removeHandlers(const QList<Name>& names) {
    QList<Shortcut> stored;
    for (const Name& name : names) {
        for (HandlerMap* map : {&m_keyDownHandlers, &m_keyUpHandlers}) {
            const auto entry = findName(*map, name);
            if (entry != map->end())
                map->erase(entry);
        }
        if (const std::optional<Shortcut> shortcut = getShortcut(name))
            stored.append(*shortcut);
    }
    for (const Shortcut& shortcut : stored)
        release(shortcut);
}

void CarbonKeyboardShortcuts::removeAllHandlers() {
    QList<Name> names;
    for (const HandlerMap* map : {&m_keyDownHandlers, &m_keyUpHandlers}) {
        for (const auto& entry : *map)
            names.append(entry.first);
    }
    removeHandlers(names);
}

void CarbonKeyboardShortcuts::disable(const QList<Name>& names) {
    for (const Name& name : names) {
        if (const std::optional<Shortcut> stored = getShortcut(name))
            release(*stored, names);
    }
}

void CarbonKeyboardShortcuts::enable(const QList<Name>& names) {
    for (const Name& name : names)
        registerIfNeeded(name);
}

bool CarbonKeyboardShortcuts::isEnabled(const Name& name) const {
    if (!m_enabled)
        return false;
    const std::optional<Shortcut> stored = getShortcut(name);
    return stored && isRegistered(*stored);
}

void CarbonKeyboardShortcuts::setEnabled(bool enabled) {
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    updateEventHandler();
}

void CarbonKeyboardShortcuts::menuTrackingChanged(bool open) {
    if (m_menuOpen == open)
        return;
    m_menuOpen = open;
    updateEventHandler();
}

void CarbonKeyboardShortcuts::setRecorderActive(const void* recorder, bool active) {
    const bool wasRecording = isRecorderActive();
    if (active)
        m_recorders.insert(recorder);
    else
        m_recorders.remove(recorder);
    if (wasRecording != isRecorderActive())
        updateEventHandler();
}

void CarbonKeyboardShortcuts::updateEventHandler() {
    if (!mayGrab()) {
        for (auto& [id, record] : m_records) {
            if (record.grabbed && m_hotKeys)
                m_hotKeys->unregisterHotKey(id);
            record.grabbed = false;
        }
        // A recorder takes every key itself; the menu's match would take them from it.
        if (m_enabled && m_recorders.isEmpty())
            m_keyEventMonitor->attach();
        else
            m_keyEventMonitor->detach();
        return;
    }
    m_keyEventMonitor->detach();
    QList<Shortcut> failed;
    for (auto it = m_records.begin(); it != m_records.end();) {
        if (it->second.grabbed) {
            ++it;
            continue;
        }
        const int status = grab(it->first, it->second.shortcut);
        if (status == HotKeys::noError) {
            it->second.grabbed = true;
            ++it;
            continue;
        }
        failed.append(it->second.shortcut);
        reportFailure(it->second.shortcut, status);
        it = m_records.erase(it);
    }
    // A combination that could not be grabbed again is no longer registered; the next request retries.
    for (const Shortcut& shortcut : failed)
        m_registered.remove(shortcut);
}

QList<quint32> CarbonKeyboardShortcuts::hotKeyIds() const {
    QList<quint32> ids;
    for (const auto& entry : m_records)
        ids.append(entry.first);
    return ids;
}

int CarbonKeyboardShortcuts::probe(const Shortcut& shortcut) const {
    if (!m_hotKeys)
        return HotKeys::unavailable;
    return m_hotKeys->probe(shortcut.carbonKeyCode(), shortcut.carbonModifiers());
}

void CarbonKeyboardShortcuts::hotKeyPressed(quint32 id) {
    const auto record = m_records.find(id);
    if (record == m_records.end() || !record->second.grabbed)
        return;
    post(EventType::keyDown, record->second.shortcut);
}

void CarbonKeyboardShortcuts::hotKeyReleased(quint32 id) {
    const auto record = m_records.find(id);
    if (record == m_records.end() || !record->second.grabbed)
        return;
    post(EventType::keyUp, record->second.shortcut);
}

void CarbonKeyboardShortcuts::post(EventType type, const Shortcut& shortcut) {
    // Paused: the key was taken from the desktop all the same, and runs nothing.
    if (m_paused)
        return;
    QMetaObject::invokeMethod(
        this, [this, type, shortcut] { dispatch(type, shortcut); }, Qt::QueuedConnection);
}

void CarbonKeyboardShortcuts::dispatch(EventType type, const Shortcut& shortcut) {
    if (m_paused)
        return;
    // Copies: an action may add or remove handlers.
    const HandlerMap handlers = type == EventType::keyDown ? m_keyDownHandlers : m_keyUpHandlers;
    const StreamMap streams = type == EventType::keyDown ? m_streamKeyDownHandlers : m_streamKeyUpHandlers;
    for (const auto& [name, actions] : handlers) {
        const std::optional<Shortcut> stored = getShortcut(name);
        if (!stored || *stored != shortcut)
            continue;
        for (const Action& action : actions) {
            if (action)
                action();
        }
    }
    for (const auto& [name, actions] : streams) {
        const std::optional<Shortcut> stored = getShortcut(name);
        if (!stored || *stored != shortcut)
            continue;
        for (const auto& entry : actions)
            entry.second();
    }
}

bool CarbonKeyboardShortcuts::matchRawKey(QEvent* event) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const std::optional<Shortcut> pressed = Shortcut::fromEvent(*key);
    if (!pressed)
        return false;
    const auto record = std::find_if(m_records.begin(), m_records.end(),
                                     [&](const auto& entry) { return entry.second.shortcut == *pressed; });
    if (record == m_records.end())
        return false;
    // A held key repeats inside the program too; only its first press counts.
    if (!key->isAutoRepeat())
        post(event->type() == QEvent::KeyPress ? EventType::keyDown : EventType::keyUp,
             record->second.shortcut);
    return true;
}

std::unique_ptr<EventStream> CarbonKeyboardShortcuts::events(const Name& name) {
    return makeStream(name, std::nullopt);
}

std::unique_ptr<EventStream> CarbonKeyboardShortcuts::events(EventType type, const Name& name) {
    return makeStream(name, type);
}

std::unique_ptr<EventStream> CarbonKeyboardShortcuts::makeStream(const Name& name,
                                                                 std::optional<EventType> only) {
    auto stream = std::make_unique<EventStream>(name, only);
    const QUuid id = QUuid::createUuid();
    const QPointer<EventStream> target(stream.get());
    QMetaObject::invokeMethod(
        this, [this, name, id, target] { addStream(name, id, target); }, Qt::QueuedConnection);
    connect(stream.get(), &EventStream::ended, this, [this, name, id] {
        QMetaObject::invokeMethod(
            this, [this, name, id] { removeStream(name, id); }, Qt::QueuedConnection);
    });
    return stream;
}

void CarbonKeyboardShortcuts::addStream(const Name& name, const QUuid& id,
                                        const QPointer<EventStream>& stream) {
    const auto add = [&](StreamMap& map, EventType type) {
        auto entry = findName(map, name);
        if (entry == map.end())
            entry = map.insert(map.end(), {name, {}});
        entry->second.emplace_back(id, [stream, type] {
            if (stream)
                stream->yield(type);
        });
    };
    add(m_streamKeyDownHandlers, EventType::keyDown);
    add(m_streamKeyUpHandlers, EventType::keyUp);
    registerIfNeeded(name);
}

void CarbonKeyboardShortcuts::removeStream(const Name& name, const QUuid& id) {
    for (StreamMap* map : {&m_streamKeyDownHandlers, &m_streamKeyUpHandlers}) {
        const auto entry = findName(*map, name);
        if (entry == map->end())
            continue;
        auto& actions = entry->second;
        actions.erase(
            std::remove_if(actions.begin(), actions.end(), [&](const auto& a) { return a.first == id; }),
            actions.end());
        // The name leaves with its last stream.
        if (actions.empty())
            map->erase(entry);
    }
    if (const std::optional<Shortcut> stored = getShortcut(name))
        release(*stored);
}

} // namespace KeyboardShortcuts
