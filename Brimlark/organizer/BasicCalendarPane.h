#pragma once

#include "Brimlark/organizer/CalendarItem.h"

#include <QDateTime>
#include <QPointer>
#include <QWidget>

#include <optional>

class CalendarService;

// The basic panel's glance at the next event: how soon it starts, its title and location, its time,
// "open" and, with a meeting link, "join". Only without an event does it say the day is clear. It
// follows the service's next event and keeps nothing of its own; the label is worked out at each
// redraw.
class BasicCalendarPane : public QWidget {
    Q_OBJECT
public:
    explicit BasicCalendarPane(CalendarService& calendar, QWidget* parent = nullptr);

    // The texts of the pane for `event` at `now`; the time line is empty without an event, the
    // subtitle (the location) empty for an event without one.
    struct Texts {
        QString label;
        QString title;
        QString subtitle;
        QString time;
    };
    static Texts texts(const std::optional<CalendarItem>& event, const QDateTime& now);

private:
    void rebuild();

    CalendarService& m_calendar;
    QPointer<QWidget> m_content;
};
