#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <optional>

// Whether the user lets the program show notifications.
enum class NotificationAuthorization { notDetermined, denied, authorized, provisional };

// What one notification shows. Texts are plain: implementations escape them for the server.
struct NotificationContent {
    QString title;
    QString subtitle;
    QString body;
    bool sound = true;
};

// Local user notifications. Identifiers are the program's own ("ai-hook-<id>"); an implementation
// maps them to whatever the notification server uses. Every callback runs on the main thread, and
// only while its `context` exists: one whose context was destroyed before the answer is dropped,
// as Qt drops a call to a destroyed receiver. A null context is no guard: the callback always runs.
class Notifications : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~Notifications() override = default;

    // Reports the current authorisation (on Linux: authorized while a notification server runs)
    // to `done` once, on a later turn or before returning, as the implementation says.
    virtual void authorizationStatus(const QObject* context,
                                     std::function<void(NotificationAuthorization)> done) = 0;
    // Asks for permission to alert with sound; reports to `done` once whether it is granted and
    // any error text.
    virtual void requestAuthorization(const QObject* context,
                                      std::function<void(bool granted, const QString& error)> done) = 0;
    // Shows `content` now, or after `delay` when given; a request with the identifier of a pending
    // or shown one replaces it. Reports to `done` (may be empty) once: an empty text on success,
    // else the error.
    virtual void add(const QString& identifier, const NotificationContent& content,
                     std::optional<std::chrono::milliseconds> delay, const QObject* context,
                     std::function<void(const QString& error)> done) = 0;
    // Closes shown notifications with these identifiers; unknown ones are ignored.
    virtual void removeDelivered(const QStringList& identifiers) = 0;
    // Cancels not yet shown (delayed) notifications with these identifiers.
    virtual void removePending(const QStringList& identifiers) = 0;
};
