#pragma once

#include "Brimlark/organizer/CalendarItem.h"
#include "platform/EventStore.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

class Clock;
class PermissionsCoordinator;
class Workspace;

// Today's events and the next one, from the calendar store the permissions coordinator holds. It
// refreshes when the store reports a change; it fetches nothing at creation.
class CalendarService : public QObject {
    Q_OBJECT
    Q_PROPERTY(QList<CalendarItem> todaysEvents READ todaysEvents NOTIFY todaysEventsChanged)
    Q_PROPERTY(std::optional<CalendarItem> nextEvent READ nextEvent NOTIFY nextEventChanged)
    Q_PROPERTY(
        QList<CalendarItem> upcomingTimedEvents READ upcomingTimedEvents NOTIFY upcomingTimedEventsChanged)
    Q_PROPERTY(std::optional<QString> lastError READ lastError NOTIFY lastErrorChanged)
    Q_PROPERTY(
        QList<EventStore::UnreadableFile> unreadableFiles READ unreadableFiles NOTIFY unreadableFilesChanged)
public:
    // `workspace` opens events and meeting links (null: nothing opens); `clock` null: the system's.
    explicit CalendarService(PermissionsCoordinator& permissions, Workspace* workspace = nullptr,
                             Clock* clock = nullptr, QObject* parent = nullptr);

    // The current local day's events, earliest start first (equal starts in the store's order).
    const QList<CalendarItem>& todaysEvents() const { return m_todaysEvents; }
    // The event the panel puts first, of the coming 48 hours and not yet ended: the timed event of
    // today under way or next; else, with no timed event left today, the first by start (an all-day
    // event of today, or one of tomorrow). Empty without calendar access.
    const std::optional<CalendarItem>& nextEvent() const { return m_nextEvent; }
    // Every timed event of the same window that had not ended at the refresh, earliest start first:
    // the ones calendar alerts announce, each of its own, whatever else is under way.
    const QList<CalendarItem>& upcomingTimedEvents() const { return m_upcomingTimedEvents; }
    // Cleared by every refresh that reaches the store; nothing writes a message into it yet.
    const std::optional<QString>& lastError() const { return m_lastError; }

    // The calendar files the last refresh found but could not read, by calendar in folder order;
    // empty without access.
    const QList<EventStore::UnreadableFile>& unreadableFiles() const { return m_unreadableFiles; }

    Clock& clock() const { return *m_clock; }

    // Reads the store again and publishes today's events, the next event, the upcoming timed
    // events, the cleared error and the unreadable files, in that order. Without calendar access
    // all empty; without event calendars all but the unreadable files. The store may answer later
    // (it reads off the main thread): only the answer to the latest refresh is published, and one
    // that comes after a newer refresh started is dropped.
    void refresh();

    // The first meeting link in `candidates` (joined by line feeds, links in text order): an http
    // or https link whose host is, or ends in "." and, one of the meeting hosts below.
    static std::optional<QUrl> conferenceURL(const QStringList& candidates);
    // zoom.us, meet.google.com, teams.microsoft.com, webex.com, in the order they are tried.
    static const QStringList& meetingHosts();

    // How an opening ended: `noApplication` when nothing opens calendar files (or links), `failed`
    // when the application did not start.
    enum class Opening { opened, noApplication, failed };

    // Starts the default calendar application. Linux cannot show one event in it, so every item
    // opens the application alone. A failed start is also logged.
    static Opening openInCalendar(const CalendarItem& item, Workspace& workspace);
    Opening openInCalendar(const CalendarItem& item) const;
    // Opens the item's meeting link in the browser; only the checked link is ever handed on.
    // noApplication as well for an item without a link that can be opened.
    Opening join(const CalendarItem& item) const;

signals:
    void todaysEventsChanged(const QList<CalendarItem>& todaysEvents);
    void nextEventChanged(const std::optional<CalendarItem>& nextEvent);
    void upcomingTimedEventsChanged(const QList<CalendarItem>& upcomingTimedEvents);
    void lastErrorChanged(const std::optional<QString>& lastError);
    void unreadableFilesChanged(const QList<EventStore::UnreadableFile>& unreadableFiles);

private:
    void publish(const QList<CalendarItem>& today, const std::optional<CalendarItem>& next,
                 const QList<CalendarItem>& timed, bool clearError);
    void setUnreadableFiles(const QList<EventStore::UnreadableFile>& files);
    void publishAnswer(const EventStore::EventsAnswer& answer, const QDateTime& now, const QDateTime& dayEnd);

    PermissionsCoordinator& m_permissions;
    Workspace* m_workspace;
    Clock* m_clock;
    QList<CalendarItem> m_todaysEvents;
    std::optional<CalendarItem> m_nextEvent;
    QList<CalendarItem> m_upcomingTimedEvents;
    // Counts refreshes; an answer publishes only when it belongs to the latest.
    quint64 m_generation = 0;
    std::optional<QString> m_lastError;
    QList<EventStore::UnreadableFile> m_unreadableFiles;
    // The meeting link of each event text of the last refresh.
    QHash<QString, std::optional<QUrl>> m_links;
};
