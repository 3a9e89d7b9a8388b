#pragma once

#include <QObject>
#include <QtGlobal>

// System-wide key combinations: a registered combination reaches the program whatever window has
// the keyboard. Combinations come in their stored form (a macOS virtual key code and modifier
// bits, see KeyCodes.h); the body maps them to the desktop's keys. Everything runs on the main
// thread, the signals included.
class HotKeys : public QObject {
    Q_OBJECT
public:
    // The statuses register() and probe() answer.
    static constexpr int noError = 0;
    // No desktop connection, or a key or modifier the desktop cannot express (the function bit).
    static constexpr int unavailable = -1;
    // Another program already holds the combination.
    static constexpr int heldByAnotherProgram = -10;

    using QObject::QObject;
    ~HotKeys() override = default;

    // Grabs the combination under `id` (chosen by the caller, unique among its registrations):
    // noError, or a negative status and nothing is grabbed.
    virtual int registerHotKey(quint32 id, int carbonKeyCode, qint64 carbonModifiers) = 0;
    // Lets the combination registered under `id` go; an unknown id does nothing.
    virtual void unregisterHotKey(quint32 id) = 0;
    // Whether the combination could be grabbed now: grabs and lets it go at once.
    virtual int probe(int carbonKeyCode, qint64 carbonModifiers) = 0;

signals:
    // The combination registered under `id` went down; a key the user holds is reported once.
    void pressed(quint32 id);
    // It came up again.
    void released(quint32 id);
};
