#include "Brimlark/organizer/CalendarService.h"

#include "Brimlark/core/Logging.h"
#include "Brimlark/core/PermissionsCoordinator.h"
#include "platform/Clock.h"
#include "platform/EventStore.h"
#include "platform/LinkDetector.h"
#include "platform/Workspace.h"

#include <QUuid>

#include <algorithm>
#include <numeric>

namespace {

constexpr qint64 nextEventWindowSeconds = 172800;

// `links` remembers the meeting link of each candidate text seen by this refresh; `known` holds
// those of the refresh before, so unchanged events skip the link search.
CalendarItem itemFrom(const EventStore::Event& event, const QHash<QString, std::optional<QUrl>>& known,
                      QHash<QString, std::optional<QUrl>>& links) {
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
    const QString key = candidates.join(QLatin1Char('\n'));
    const auto found = known.constFind(key);
    item.conferenceURL = found != known.constEnd() ? *found : CalendarService::conferenceURL(candidates);
    links.insert(key, item.conferenceURL);
    return item;
}

// The events' positions by start, earliest first; equal starts keep the store's order.
QList<qsizetype> byStart(const QList<EventStore::Event>& events) {
    QList<qint64> starts;
    starts.reserve(events.size());
    for (const EventStore::Event& event : events)
        starts.append(event.start.toMSecsSinceEpoch());
    QList<qsizetype> order(events.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](qsizetype a, qsizetype b) { return starts[a] < starts[b]; });
    return order;
}

} // namespace

CalendarService::CalendarService(PermissionsCoordinator& permissions, Workspace* workspace, Clock* clock,
                                 QObject* parent)
    : QObject(parent), m_permissions(permissions), m_workspace(workspace),
      m_clock(clock ? clock : Clock::system()) {
    connect(&m_permissions.eventStore(), &EventStore::changed, this, &CalendarService::refresh);
}

void CalendarService::publish(const QList<CalendarItem>& today, const std::optional<CalendarItem>& next,
                              const QList<CalendarItem>& timed, bool clearError) {
    m_todaysEvents = today;
    emit todaysEventsChanged(m_todaysEvents);
    m_nextEvent = next;
    emit nextEventChanged(m_nextEvent);
    m_upcomingTimedEvents = timed;
    emit upcomingTimedEventsChanged(m_upcomingTimedEvents);
    if (clearError) {
        m_lastError.reset();
        emit lastErrorChanged(m_lastError);
    }
}

void CalendarService::refresh() {
    const quint64 generation = ++m_generation;
    if (m_permissions.calendar() != PermissionsCoordinator::State::granted) {
        publish({}, std::nullopt, {}, false);
        setUnreadableFiles({});
        return;
    }
    const QDateTime now = m_clock->now().toUTC();
    const QDateTime localNow = now.toLocalTime();
    const QDateTime dayStart = QDateTime(localNow.date(), QTime(0, 0)).toUTC();
    QDateTime dayEnd = QDateTime(localNow.date(), QTime(23, 59, 59));
    dayEnd = dayEnd.isValid() ? dayEnd.toUTC() : now.addSecs(86400);
    m_permissions.eventStore().fetchEvents(
        {{dayStart, dayEnd}, {now, now.addSecs(nextEventWindowSeconds)}}, this,
        [this, generation, now, dayEnd](const EventStore::EventsAnswer& answer) {
            if (generation == m_generation)
                publishAnswer(answer, now, dayEnd);
        });
}

void CalendarService::setUnreadableFiles(const QList<EventStore::UnreadableFile>& files) {
    if (files == m_unreadableFiles)
        return;
    m_unreadableFiles = files;
    emit unreadableFilesChanged(m_unreadableFiles);
}

void CalendarService::publishAnswer(const EventStore::EventsAnswer& answer, const QDateTime& now,
                                    const QDateTime& dayEnd) {
    if (answer.calendars.isEmpty()) {
        publish({}, std::nullopt, {}, false);
        setUnreadableFiles(answer.unreadable);
        return;
    }
    QHash<QString, std::optional<QUrl>> links;
    const QList<EventStore::Event> day = answer.events.value(0);
    QList<CalendarItem> today;
    today.reserve(day.size());
    for (const qsizetype index : byStart(day))
        today.append(itemFrom(day[index], m_links, links));

    // A timed event of today, under way or next, comes before an all-day event, which shows only
    // once no timed event is left today. The alerts look at every timed event still to end.
    std::optional<CalendarItem> first;
    std::optional<CalendarItem> next;
    QList<CalendarItem> timed;
    const QList<EventStore::Event> coming = answer.events.value(1);
    for (const qsizetype index : byStart(coming)) {
        const EventStore::Event& event = coming[index];
        if (event.end <= now)
            continue;
        if (event.isAllDay) {
            if (!first)
                first = itemFrom(event, m_links, links);
            continue;
        }
        CalendarItem item = itemFrom(event, m_links, links);
        if (!first)
            first = item;
        if (!next && event.start <= dayEnd)
            next = item;
        timed.append(std::move(item));
    }
    if (!next)
        next = first;
    m_links = std::move(links);
    publish(today, next, timed, true);
    setUnreadableFiles(answer.unreadable);
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

CalendarService::Opening CalendarService::openInCalendar(const CalendarItem&, Workspace& workspace) {
    const Workspace::Launch launch = workspace.openDefaultApplication(QStringLiteral("text/calendar"));
    switch (launch.outcome) {
    case Workspace::Launch::Outcome::launched:
        return Opening::opened;
    case Workspace::Launch::Outcome::notFound:
        qCInfo(lcServices, "open calendar: no application opens calendar files");
        return Opening::noApplication;
    case Workspace::Launch::Outcome::failed:
        break;
    }
    qCCritical(lcServices, "open calendar failed: %s", qUtf8Printable(launch.error));
    return Opening::failed;
}

CalendarService::Opening CalendarService::openInCalendar(const CalendarItem& item) const {
    return m_workspace ? openInCalendar(item, *m_workspace) : Opening::noApplication;
}

CalendarService::Opening CalendarService::join(const CalendarItem& item) const {
    if (!m_workspace || !item.conferenceURL)
        return Opening::noApplication;
    // The link was checked when the item was made; check again, as an item can be built by hand.
    const std::optional<QUrl> link = conferenceURL({item.conferenceURL->toString(QUrl::FullyEncoded)});
    if (!link)
        return Opening::noApplication;
    if (m_workspace->openUrl(*link))
        return Opening::opened;
    qCInfo(lcServices, "join: nothing opened %s", qUtf8Printable(link->toString()));
    return Opening::noApplication;
}
