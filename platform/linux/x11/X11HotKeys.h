#pragma once

#include "platform/HotKeys.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>

#include <memory>
#include <optional>

class QSocketNotifier;
struct xcb_connection_t;

// Hot keys on X11: passive key grabs on every root window of a dedicated xcb connection, read
// through a QSocketNotifier on the main thread (Qt's own connection is left alone).
// - A combination is grabbed with its modifier mask and with CapsLock, NumLock and both added, so
//   it fires whatever the lock keys say; either all four grabs hold or none does.
// - Command is Super, Option Alt; their masks, and NumLock's, come from the server's modifier
//   mapping (Mod4, Mod1 and Mod2 when it names none).
// - When the keyboard's mapping changes (another layout, modifiers moved), every combination is
//   grabbed again with the keys and masks of the new mapping.
// - With XKB's detectable auto-repeat a held key sends presses without releases; a press of a
//   combination that is already down is dropped, so holding it fires once.
class X11HotKeys final : public HotKeys {
    Q_OBJECT
public:
    // Connects to `display` (empty: $DISPLAY). Null, with a debug line, when it cannot be reached.
    static std::unique_ptr<X11HotKeys> create(const QByteArray& display = {});
    ~X11HotKeys() override;

    int registerHotKey(quint32 id, int carbonKeyCode, qint64 carbonModifiers) override;
    void unregisterHotKey(quint32 id) override;
    int probe(int carbonKeyCode, qint64 carbonModifiers) override;

    // Whether the server agreed to report held keys without releases.
    bool hasDetectableAutoRepeat() const { return m_detectableAutoRepeat; }

private:
    struct Grab {
        quint8 keycode = 0;
        quint16 mask = 0;
        int carbonKeyCode = 0;
        qint64 carbonModifiers = 0;
    };

    X11HotKeys(xcb_connection_t* connection, QList<quint32> roots);

    // The X key and mask of a stored combination; none when either has no X form.
    std::optional<Grab> toGrab(int carbonKeyCode, qint64 carbonModifiers) const;
    // Grabs every lock variant on every root; 0, or the status of the first refusal (then nothing
    // stays grabbed).
    int grabAll(const Grab& grab);
    void ungrabAll(const Grab& grab);
    QList<quint16> lockVariants() const;
    void loadModifierMapping();
    // Reads the mapping again and moves every grab to its new key and mask (once per event-loop
    // turn, however many notifications came).
    void mappingChanged();
    void regrabAll();
    void readEvents();
    void handle(const void* event); // one xcb_generic_event_t
    void disconnectAfterError();

    xcb_connection_t* m_connection = nullptr;
    QList<quint32> m_roots;
    QSocketNotifier* m_notifier = nullptr;
    bool m_detectableAutoRepeat = false;
    quint8 m_xkbFirstEvent = 0;
    bool m_regrabPending = false;
    quint16 m_superMask = 0x40;
    quint16 m_altMask = 0x08;
    quint16 m_numLockMask = 0x10;
    QHash<quint32, Grab> m_grabs;
    QSet<quint32> m_held;
};
