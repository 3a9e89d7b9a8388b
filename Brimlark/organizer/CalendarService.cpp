#include "Brimlark/organizer/CalendarService.h"

#include "Brimlark/core/Logging.h"
#include "Brimlark/core/PermissionsCoordinator.h"
#include "platform/Clock.h"
#include "platform/EventStore.h"
#include "platform/LinkDetector.h"
#include "platform/Workspace.h"

#include <QUuid>

#include <algorithm>

namespace {

constexpr qint64 nextEventWindowSeconds = 172800;

CalendarItem itemFrom(const EventStore::Event& event) {
    CalendarItem item;
    item.id =
        event.identifier ? *event.identifier : QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    item.externalIdentifier = event.externalIdentifier;
    item.title = event.title ? *event.title : QStringLiteral("(Untitled)");
    item.startDate = event.start;
    item.endDate = event.end;
    item.isAllDay = event.isAllDay;
    item.location = event.location;
    item.notes = event.notes;
    item.url = event.url;
    item.calendarColor = event.calendarColor;
    QStringList candidates;
    if (event.url)
        candidates.append(event.url->toString(QUrl::FullyEncoded));
    if (event.location)
        candidates.append(*event.location);
    if (event.notes)
        candidates.append(*event.notes);
    item.conferenceURL = CalendarService::conferenceURL(candidates);
    return item;
}

QList<EventStore::Event> byStart(QList<EventStore::Event> events) {
    std::stable_sort(
        events.begin(), events.end(),
        [](const EventStore::Event& a, const EventStore::Event& b) { return a.start < b.start; });
    return events;
}

} // namespace

CalendarService::CalendarService(PermissionsCoordinator& permissions, Workspace* workspace, Clock* clock,
                                 QObject* parent)
    : QObject(parent), m_permissions(permissions), m_workspace(workspace),
      m_clock(clock ? clock : Clock::system()) {
    connect(&m_permissions.eventStore(), &EventStore::changed, this, &CalendarService::refresh);
}

void CalendarService::publish(const QList<CalendarItem>& today, const std::optional<CalendarItem>& next,
                              bool clearError) {
    m_todaysEvents = today;
    emit todaysEventsChanged(m_todaysEvents);
    m_nextEvent = next;
    emit nextEventChanged(m_nextEvent);
    if (clearError) {
        m_lastError.reset();
        emit lastErrorChanged(m_lastError);
    }
}

void CalendarService::refresh() {
    if (m_permissions.calendar() != PermissionsCoordinator::State::granted) {
        publish({}, std::nullopt, false);
        return;
    }
    EventStore& store = m_permissions.eventStore();
    const QList<EventStore::Calendar> calendars = store.eventCalendars();
    if (calendars.isEmpty()) {
        publish({}, std::nullopt, false);
        return;
    }
    const QDateTime now = m_clock->now();
    const QDateTime localNow = now.toLocalTime();
    const QDateTime dayStart = QDateTime(localNow.date(), QTime(0, 0));
    QDateTime dayEnd = QDateTime(localNow.date(), QTime(23, 59, 59));
    if (!dayEnd.isValid())
        dayEnd = now.addSecs(86400);

    QList<CalendarItem> today;
    for (const EventStore::Event& event : byStart(store.eventsInRange(dayStart, dayEnd, calendars)))
        today.append(itemFrom(event));

    std::optional<CalendarItem> next;
    for (const EventStore::Event& event :
         byStart(store.eventsInRange(now, now.addSecs(nextEventWindowSeconds), calendars))) {
        if (event.end > now) {
            next = itemFrom(event);
            break;
        }
    }
    publish(today, next, true);
}

const QStringList& CalendarService::meetingHosts() {
    static const QStringList hosts{QStringLiteral("zoom.us"), QStringLiteral("meet.google.com"),
                                   QStringLiteral("teams.microsoft.com"), QStringLiteral("webex.com")};
    return hosts;
}

std::optional<QUrl> CalendarService::conferenceURL(const QStringList& candidates) {
    const QList<QUrl> links = LinkDetector::links(candidates.join(QLatin1Char('\n')));
    for (const QUrl& link : links) {
        const QString scheme = link.scheme().toLower();
        if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
            continue;
        const QString host = link.host().toLower();
        if (host.isEmpty())
            continue;
        for (const QString& meeting : meetingHosts()) {
            if (host == meeting || host.endsWith(QLatin1Char('.') + meeting))
                return link;
        }
    }
    return std::nullopt;
}

void CalendarService::openInCalendar(const CalendarItem&, Workspace& workspace) {
    const Workspace::Launch launch = workspace.openDefaultApplication(QStringLiteral("text/calendar"));
    if (launch.outcome == Workspace::Launch::Outcome::failed)
        qCCritical(lcServices, "open calendar failed: %s", qUtf8Printable(launch.error));
}

void CalendarService::openInCalendar(const CalendarItem& item) const {
    if (m_workspace)
        openInCalendar(item, *m_workspace);
}

void CalendarService::join(const CalendarItem& item) const {
    if (!m_workspace || !item.conferenceURL)
        return;
    // The link was checked when the item was made; check again, as an item can be built by hand.
    if (const std::optional<QUrl> link = conferenceURL({item.conferenceURL->toString(QUrl::FullyEncoded)}))
        m_workspace->openUrl(*link);
}
