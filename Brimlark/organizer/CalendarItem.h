#pragma once

#include <QColor>
#include <QDateTime>
#include <QHashFunctions>
#include <QMetaType>
#include <QString>
#include <QUrl>

#include <optional>

// One calendar event as the panel shows it. `calendarColor` is invalid when the event's calendar
// has no colour.
struct CalendarItem {
    QString id;
    std::optional<QString> externalIdentifier;
    QString title;
    QDateTime startDate;
    QDateTime endDate;
    bool isAllDay = false;
    std::optional<QString> location;
    std::optional<QString> notes;
    std::optional<QUrl> url;
    QColor calendarColor;
    std::optional<QUrl> conferenceURL;

    bool operator==(const CalendarItem& other) const {
        return id == other.id && externalIdentifier == other.externalIdentifier && title == other.title &&
               startDate == other.startDate && endDate == other.endDate && isAllDay == other.isAllDay &&
               location == other.location && notes == other.notes && url == other.url &&
               calendarColor == other.calendarColor && conferenceURL == other.conferenceURL;
    }
    bool operator!=(const CalendarItem& other) const { return !(*this == other); }
};

// Combines the eleven fields in order; an optional adds 0 when absent, else 1 and its value.
size_t qHash(const CalendarItem& item, size_t seed = 0) noexcept;

Q_DECLARE_METATYPE(CalendarItem)
