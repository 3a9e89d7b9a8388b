#pragma once

#include <QDBusVirtualObject>
#include <QMutex>
#include <QStringList>
#include <QThread>
#include <QVariantMap>

#include <memory>

// A music player on a D-Bus bus, for the tests, the benchmark and a check by hand: it owns one
// "org.mpris.MediaPlayer2.*" name, answers Get and GetAll of "org.mpris.MediaPlayer2.Player"
// from its state, records PlayPause, Next and Previous, and announces each change of its state
// with PropertiesChanged. It runs on a thread of its own with a bus connection of its own, so a
// caller on the main thread may call it synchronously. Every method is safe from any thread.
class FakeMprisPlayer : public QDBusVirtualObject {
    Q_OBJECT
public:
    // Takes `busName` on the session bus, or on the bus at `busAddress` when given; null when the
    // bus or the name cannot be had.
    static std::unique_ptr<FakeMprisPlayer> start(const QString& busName, const QString& busAddress = {});
    ~FakeMprisPlayer() override;

    // The state answered to Get and GetAll: "PlaybackStatus", "Metadata" (a QVariantMap),
    // "Position"; changes are announced.
    void setPlayer(const QVariantMap& properties);
    // A track in the usual shape: status "Playing" or "Paused", title, artists, length in
    // microseconds and artwork address.
    static QVariantMap track(const QString& status, const QString& title, const QStringList& artists,
                             qlonglong lengthMicroseconds = 0, const QString& artUrl = {});
    // While set, no call gets an answer.
    void setSilent(bool silent);
    // The transport methods called so far, in order.
    QStringList commands() const;

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    FakeMprisPlayer() = default;
    void announce(const QVariantMap& changed);

    mutable QMutex m_mutex;
    QVariantMap m_properties;
    QStringList m_commands;
    bool m_silent = false;
    QString m_connectionName;
    QString m_busName;
    std::unique_ptr<QThread> m_thread;
};
