#include "Brimlark/organizer/BasicCalendarPane.h"

#include "Brimlark/kit/BrimlarkCapsuleButton.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/LineClampLabel.h"
#include "Brimlark/kit/PlainLabel.h"
#include "Brimlark/organizer/CalendarService.h"
#include "Brimlark/organizer/CalendarView.h"
#include "platform/Clock.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>

BasicCalendarPane::BasicCalendarPane(CalendarService& calendar, QWidget* parent)
    : QWidget(parent), m_calendar(calendar) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    connect(&m_calendar, &CalendarService::nextEventChanged, this, &BasicCalendarPane::rebuild);
    rebuild();
}

BasicCalendarPane::Texts BasicCalendarPane::texts(const std::optional<CalendarItem>& event,
                                                  const QDateTime& now) {
    if (!event) {
        return {QStringLiteral("calendar"), QStringLiteral("no upcoming events"),
                QStringLiteral("your day is clear for now"), QString()};
    }
    Texts result;
    if (now >= event->startDate && now <= event->endDate) {
        result.label = QStringLiteral("now");
    } else {
        const qint64 seconds = std::max<qint64>(now.secsTo(event->startDate), 0);
        const qint64 minutes = seconds / 60;
        result.label = minutes <= 59 ? QStringLiteral("in %1 min").arg(minutes)
                                     : QStringLiteral("in %1 hr").arg(seconds / 3600);
    }
    result.title = event->title.toLower();
    // The day is clear only without an event: one without a place leaves the line out.
    result.subtitle = event->location.value_or(QString());
    result.time = CalendarView::timeText(*event);
    return result;
}

void BasicCalendarPane::rebuild() {
    if (m_content) {
        m_content->hide();
        m_content->deleteLater();
    }
    m_content = new QWidget(this);
    layout()->addWidget(m_content);
    const std::optional<CalendarItem> event = m_calendar.nextEvent();
    const Texts shown = texts(event, m_calendar.clock().now());

    auto* column = new QVBoxLayout(m_content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);
    auto* label = plainLabel(shown.label, BrimlarkTheme::monoFont(11, QFont::DemiBold),
                             BrimlarkTheme::warning(), m_content);
    label->setObjectName(QStringLiteral("label"));
    column->addWidget(label);
    auto* title = new LineClampLabel(shown.title, BrimlarkTheme::monoBold20(), BrimlarkTheme::textPrimary(),
                                     2, m_content);
    title->setObjectName(QStringLiteral("title"));
    column->addWidget(title);
    if (!shown.subtitle.isEmpty()) {
        auto* subtitle = new LineClampLabel(shown.subtitle, BrimlarkTheme::monoRegular13(),
                                            BrimlarkTheme::textSecondary(), 2, m_content);
        subtitle->setObjectName(QStringLiteral("subtitle"));
        column->addWidget(subtitle);
    }
    if (!shown.time.isEmpty()) {
        // The theme's font is monospaced, digits included.
        auto* time =
            plainLabel(shown.time, BrimlarkTheme::monoRegular10(), BrimlarkTheme::textTertiary(), m_content);
        time->setObjectName(QStringLiteral("time"));
        column->addWidget(time);
    }
    if (event) {
        auto* buttons = new QHBoxLayout();
        buttons->setSpacing(8);
        buttons->setContentsMargins(0, 2, 0, 0);
        QPointer<CalendarService> service(&m_calendar);
        const CalendarItem item = *event;
        auto* open =
            new BrimlarkCapsuleButton(QStringLiteral("open"), {BrimlarkTheme::warning(), false, 0.55, 10, 5},
                                      BrimlarkTheme::monoMedium13(), m_content);
        connect(open, &QAbstractButton::clicked, m_content, [service, item] {
            if (service)
                service->openInCalendar(item);
        });
        buttons->addWidget(open);
        if (item.conferenceURL) {
            auto* join = new BrimlarkCapsuleButton(QStringLiteral("join"),
                                                   {BrimlarkTheme::accent(), false, 0.55, 10, 5},
                                                   BrimlarkTheme::monoMedium13(), m_content);
            connect(join, &QAbstractButton::clicked, m_content, [service, item] {
                if (service)
                    service->join(item);
            });
            buttons->addWidget(join);
        }
        buttons->addStretch(1);
        column->addLayout(buttons);
    }
    column->addStretch(1);
    column->addSpacing(8);
}
