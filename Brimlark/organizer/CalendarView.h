#pragma once

#include "Brimlark/organizer/CalendarItem.h"

#include <QDateTime>
#include <QPointer>
#include <QWidget>

class CalendarService;
class PermissionsCoordinator;

// The advanced panel's calendar page. Without calendar access it shows the permission card (whose
// "allow" asks for access and then refreshes); with access and nothing today, "no events today";
// otherwise the next event as a card with its countdown, "open" and "join", and the day's events as
// rows that open the calendar; under either of the last two, the calendar files that could not be
// read. The layouts with access ask the service to refresh each time they come on screen. It keeps
// no state: everything is rebuilt when the service or the access changes.
class CalendarView : public QWidget {
    Q_OBJECT
public:
    enum class Layout { permission, empty, events };

    CalendarView(CalendarService& service, PermissionsCoordinator& permissions, QWidget* parent = nullptr);

    Layout shownLayout() const { return m_layout; }

    // "happening now" from start to end (both included), else "in 59 sec", "in 1 min", "in 2 hrs",
    // "in 1 day"; a start already passed reads "in 0 sec".
    static QString countdownText(const CalendarItem& item, const QDateTime& now);
    // "all day", or the start and end times in the locale's short form joined by " – ".
    static QString timeText(const CalendarItem& item);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void rebuild();
    QWidget* buildEmpty();
    QWidget* buildEvents();
    QWidget* buildNextCard(const CalendarItem& item);
    QWidget* buildRow(const CalendarItem& item);
    // What the last refresh could not read, per calendar; null when it read everything.
    QWidget* buildUnreadableNotice(QWidget* parent);
    void refreshSoon();

    CalendarService& m_service;
    PermissionsCoordinator& m_permissions;
    QPointer<QWidget> m_content;
    Layout m_layout = Layout::permission;
    bool m_built = false;
};
