#pragma once

#include "KeyboardShortcuts/EventType.h"
#include "KeyboardShortcuts/Name.h"
#include "KeyboardShortcuts/Shortcut.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QUuid>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class HotKeys;

namespace KeyboardShortcuts {

class EventStream;
class MenuTrackingObserver;
class RunLoopLocalEventMonitor;

// The registry of system-wide hot keys: the combinations the program has grabbed on the desktop,
// one registration however many names share a combination, and the actions of the names whose
// stored combination went down or up. Storing and clearing a name's combination go through it.
//
// Every registration attempt gets the next id (1, 2, 3, …, failures included). Only a grab the
// desktop accepted becomes a record and enters registeredShortcuts(); a refused one prints
// "Error registering hotkey Super+Alt+N: -10", logs it and emits registrationFailed(), and the next
// onKeyDown(), enable() or store of the combination tries again. A combination is let go only
// when no name with actions (handlers or streams) has it stored any more.
//
// While the switch is off every grab is released (the records and their ids stay); while a menu
// of the program is open the grabs are released too and the keys reach the program itself, where
// a matching key is taken out of the menu's way and dispatched. Either way, grabbing again reuses
// the ids. Actions run on the main thread, queued after the key, in the order the keys came.
class CarbonKeyboardShortcuts final : public QObject {
    Q_OBJECT
public:
    using Action = std::function<void()>;

    // `hotKeys` may be null: every registration then fails as "unavailable" (-1).
    explicit CarbonKeyboardShortcuts(HotKeys* hotKeys, QObject* parent = nullptr);
    ~CarbonKeyboardShortcuts() override;

    // Grabs the combination under a new id; only a successful grab enters the set. Nothing
    // happens when it is registered already.
    void registerShortcut(const Shortcut& shortcut);
    // Lets the combination go and takes it out of the set, unless a name with actions still has
    // it stored: what the store does with a name's old combination.
    void unregisterShortcut(const Shortcut& shortcut);
    bool isRegistered(const Shortcut& shortcut) const { return m_registered.contains(shortcut); }
    const QSet<Shortcut>& registeredShortcuts() const { return m_registered; }

    // Adds the action to the name's key-down (key-up) actions and registers its stored combination
    // when it is not registered. The same action added twice runs twice.
    void onKeyDown(const Name& name, Action action);
    void onKeyUp(const Name& name, Action action);
    // Drops the name's actions (its streams stay) and lets its combination go if no other name
    // with actions needs it.
    void removeHandler(const Name& name);
    void removeHandlers(const QList<Name>& names);
    void removeAllHandlers();
    // Lets the names' combinations go (unless a name outside the list needs one); their actions
    // stay.
    void disable(const QList<Name>& names);
    // Registers the names' stored combinations that are not registered.
    void enable(const QList<Name>& names);
    // Whether a press of the name's stored combination reaches the program now: the switch is on,
    // the name has a combination and it is registered.
    bool isEnabled(const Name& name) const;

    // The switch: off releases every grab, on grabs again. Setting the value it has does nothing.
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    // While paused a hot key is still taken from other programs but runs nothing.
    bool isPaused() const { return m_paused; }
    void setPaused(bool paused) { m_paused = paused; }
    // While any recorder records, every grab is let go as with the switch off, so that the key
    // reaches the recorder's window instead of firing; when the last recorder stops they are taken
    // again with their ids. `recorder` identifies the caller; saying the same twice counts once.
    // isEnabled(for:) does not change meanwhile.
    void setRecorderActive(const void* recorder, bool active);
    bool isRecorderActive() const { return !m_recorders.isEmpty(); }
    // Whether a menu of the program is open.
    bool isMenuOpen() const { return m_menuOpen; }

    // A new stream of the name's presses and releases; the caller owns it.
    std::unique_ptr<EventStream> events(const Name& name);
    // The same stream keeping only presses (keyDown) or only releases (keyUp).
    std::unique_ptr<EventStream> events(EventType type, const Name& name);

    // Whether the combination could be grabbed now (0), or the status it would fail with.
    int probe(const Shortcut& shortcut) const;
    // Combinations the desktop keeps for itself; the desktop does not say, so none. A recorder asks
    // probe() instead.
    QList<Shortcut> systemReservedShortcuts() const { return {}; }

    // The ids of the records, in order, and of the last attempt.
    QList<quint32> hotKeyIds() const;
    quint32 lastHotKeyId() const { return m_hotKeyId; }

signals:
    // Grabbing the combination failed with `status` (negative); emitted after the printed line.
    void registrationFailed(const KeyboardShortcuts::Shortcut& shortcut, int status);

private:
    struct HotKey {
        Shortcut shortcut;
        bool grabbed = false;
    };
    using Actions = QList<Action>;
    using HandlerMap = std::vector<std::pair<Name, Actions>>;
    using StreamMap = std::vector<std::pair<Name, std::vector<std::pair<QUuid, Action>>>>;

    void addHandler(HandlerMap& handlers, const Name& name, Action action);
    void registerIfNeeded(const Name& name);
    // Releases the combination unless a name with actions, other than those in `except`, has it
    // stored.
    void release(const Shortcut& shortcut, const QList<Name>& except = {});
    bool isNeeded(const Shortcut& shortcut, const QList<Name>& except) const;
    void dropRecords(const Shortcut& shortcut);
    int grab(quint32 id, const Shortcut& shortcut);
    void reportFailure(const Shortcut& shortcut, int status);
    void updateEventHandler();
    // Whether grabs may be held now: the switch is on, no menu is open and no recorder records.
    bool mayGrab() const { return m_enabled && !m_menuOpen && m_recorders.isEmpty(); }
    void menuTrackingChanged(bool open);

    void hotKeyPressed(quint32 id);
    void hotKeyReleased(quint32 id);
    void post(EventType type, const Shortcut& shortcut);
    void dispatch(EventType type, const Shortcut& shortcut);
    bool matchRawKey(QEvent* event);

    std::unique_ptr<EventStream> makeStream(const Name& name, std::optional<EventType> only);
    void addStream(const Name& name, const QUuid& id, const QPointer<EventStream>& stream);
    void removeStream(const Name& name, const QUuid& id);

    QPointer<HotKeys> m_hotKeys;
    // The registered combinations: those of the records, each once.
    QSet<Shortcut> m_registered;
    std::map<quint32, HotKey> m_records;
    quint32 m_hotKeyId = 0;
    HandlerMap m_keyDownHandlers;
    HandlerMap m_keyUpHandlers;
    StreamMap m_streamKeyDownHandlers;
    StreamMap m_streamKeyUpHandlers;
    bool m_enabled = true;
    bool m_paused = false;
    bool m_menuOpen = false;
    QSet<const void*> m_recorders;
    std::unique_ptr<MenuTrackingObserver> m_menus;
    std::unique_ptr<RunLoopLocalEventMonitor> m_keyEventMonitor;
};

} // namespace KeyboardShortcuts
