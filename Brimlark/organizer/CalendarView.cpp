#include "Brimlark/organizer/CalendarView.h"

#include "Brimlark/core/ClockText.h"
#include "Brimlark/core/PermissionsCoordinator.h"
#include "Brimlark/kit/BrimlarkCapsuleButton.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/LineClampLabel.h"
#include "Brimlark/kit/PermissionDeniedView.h"
#include "Brimlark/kit/PlainLabel.h"
#include "Brimlark/kit/SymbolIcon.h"
#include "Brimlark/organizer/CalendarService.h"
#include "platform/Clock.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// The 6-point dot of an event's calendar colour.
class CalendarDot : public QWidget {
public:
    CalendarDot(const QColor& color, QWidget* parent) : QWidget(parent), m_color(color) {
        setFixedSize(6, 6);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_color);
        painter.drawEllipse(rect());
    }

private:
    QColor m_color;
};

// A row of the day's list: a plain button whose content is child widgets.
class EventRow : public QAbstractButton {
public:
    using QAbstractButton::QAbstractButton;
    QSize sizeHint() const override { return layout() ? layout()->sizeHint() : QSize(); }

protected:
    void paintEvent(QPaintEvent*) override {}
};

// The row's "join": a text that opens the meeting link, where the rest of the row opens the
// calendar.
class JoinMark : public QAbstractButton {
public:
    explicit JoinMark(QWidget* parent) : QAbstractButton(parent) {
        setText(QStringLiteral("join"));
        setAccessibleName(QStringLiteral("join"));
        setFont(BrimlarkTheme::monoMedium10());
        setCursor(Qt::PointingHandCursor);
    }
    QSize sizeHint() const override { return fontMetrics().size(Qt::TextSingleLine, text()); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setFont(font());
        painter.setPen(BrimlarkTheme::accent());
        painter.drawText(rect(), Qt::AlignCenter, text());
    }
};

BrimlarkCapsuleButton* pillButton(const QString& title, const QColor& tint, QWidget* parent) {
    return new BrimlarkCapsuleButton(title, {tint, false, 0.55, 10, 5}, BrimlarkTheme::monoMedium13(),
                                     parent);
}

} // namespace

CalendarView::CalendarView(CalendarService& service, PermissionsCoordinator& permissions, QWidget* parent)
    : QWidget(parent), m_service(service), m_permissions(permissions) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    connect(&m_service, &CalendarService::todaysEventsChanged, this, &CalendarView::rebuild);
    connect(&m_service, &CalendarService::nextEventChanged, this, &CalendarView::rebuild);
    connect(&m_service, &CalendarService::unreadableFilesChanged, this, &CalendarView::rebuild);
    connect(&m_permissions, &PermissionsCoordinator::stateChanged, this,
            [this](PermissionsCoordinator::Permission permission) {
                if (permission == PermissionsCoordinator::Permission::calendar)
                    rebuild();
            });
    rebuild();
}

QString CalendarView::countdownText(const CalendarItem& item, const QDateTime& now) {
    if (now >= item.startDate && now <= item.endDate)
        return QStringLiteral("happening now");
    const qint64 seconds = now.secsTo(item.startDate);
    qint64 value = 0;
    QString unit;
    if (seconds < 60) {
        value = std::max<qint64>(seconds, 0);
        unit = QStringLiteral("sec");
    } else if (seconds < 3600) {
        value = seconds / 60;
        unit = QStringLiteral("min");
    } else if (seconds < 86400) {
        value = seconds / 3600;
        unit = value == 1 ? QStringLiteral("hr") : QStringLiteral("hrs");
    } else {
        value = seconds / 86400;
        unit = value == 1 ? QStringLiteral("day") : QStringLiteral("days");
    }
    return QStringLiteral("in %1 %2").arg(value).arg(unit);
}

QString CalendarView::timeText(const CalendarItem& item) {
    if (item.isAllDay)
        return QStringLiteral("all day");
    return ClockText::time(item.startDate.toLocalTime().time()) + QStringLiteral(" \u2013 ") +
           ClockText::time(item.endDate.toLocalTime().time());
}

void CalendarView::refreshSoon() {
    // As a task of its own, after the layout is on screen.
    QPointer<CalendarView> self(this);
    QTimer::singleShot(0, this, [self] {
        if (self)
            self->m_service.refresh();
    });
}

void CalendarView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_layout != Layout::permission)
        refreshSoon();
}

void CalendarView::rebuild() {
    Layout next = Layout::events;
    if (m_permissions.calendar() != PermissionsCoordinator::State::granted)
        next = Layout::permission;
    else if (m_service.todaysEvents().isEmpty())
        next = Layout::empty;

    // The old content may be running the click that led here: it goes on a later turn.
    if (m_content) {
        m_content->hide();
        m_content->deleteLater();
    }
    QWidget* content = nullptr;
    switch (next) {
    case Layout::permission: {
        QPointer<CalendarService> service(&m_service);
        PermissionsCoordinator* permissions = &m_permissions;
        content = new PermissionDeniedView(
            PermissionsCoordinator::Permission::calendar,
            [service, permissions] {
                permissions->requestCalendar([service](PermissionsCoordinator::State) {
                    if (service)
                        service->refresh();
                });
            },
            &m_permissions, this);
        break;
    }
    case Layout::empty:
        content = buildEmpty();
        break;
    case Layout::events:
        content = buildEvents();
        break;
    }
    if (m_content)
        layout()->removeWidget(m_content);
    m_content = content;
    layout()->addWidget(content);
    const bool appeared = !m_built || next != m_layout;
    m_layout = next;
    m_built = true;
    // A layout with access that comes on screen asks for fresh data.
    if (appeared && next != Layout::permission && isVisible())
        refreshSoon();
}

QWidget* CalendarView::buildEmpty() {
    auto* box = new QWidget(this);
    auto* layout = new QVBoxLayout(box);
    layout->setSpacing(8);
    layout->addStretch(1);
    auto* icon = new QLabel(box);
    icon->setPixmap(symbolPixmap(QStringLiteral("calendar.badge.checkmark"), BrimlarkTheme::warning(),
                                 QSize(34, 34), devicePixelRatioF()));
    layout->addWidget(icon, 0, Qt::AlignHCenter);
    auto* title = plainLabel(QStringLiteral("no events today"), BrimlarkTheme::monoSemibold13(),
                             BrimlarkTheme::textPrimary(), box);
    layout->addWidget(title, 0, Qt::AlignHCenter);
    auto* subtitle = plainLabel(QStringLiteral("your day is clear for now"), BrimlarkTheme::monoRegular12(),
                                BrimlarkTheme::textSecondary(), box);
    layout->addWidget(subtitle, 0, Qt::AlignHCenter);
    layout->addStretch(1);
    if (QWidget* notice = buildUnreadableNotice(box))
        layout->addWidget(notice);
    return box;
}

QWidget* CalendarView::buildEvents() {
    auto* box = new QWidget(this);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    if (const std::optional<CalendarItem>& next = m_service.nextEvent())
        layout->addWidget(buildNextCard(*next));
    layout->addWidget(plainLabel(QStringLiteral("today"), BrimlarkTheme::monoSemibold11(),
                                 BrimlarkTheme::textSecondary(), box));

    auto* scroll = new QScrollArea(box);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(true);
    scroll->viewport()->setAutoFillBackground(false);
    auto* list = new QWidget(scroll);
    auto* rows = new QVBoxLayout(list);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(6);
    for (const CalendarItem& item : m_service.todaysEvents())
        rows->addWidget(buildRow(item));
    rows->addStretch(1);
    scroll->setWidget(list);
    // The panel shows through; setWidget() turned the fill on.
    list->setAutoFillBackground(false);
    layout->addWidget(scroll, 1);
    if (QWidget* notice = buildUnreadableNotice(box))
        layout->addWidget(notice);
    return box;
}

QWidget* CalendarView::buildUnreadableNotice(QWidget* parent) {
    const QList<EventStore::UnreadableFile>& files = m_service.unreadableFiles();
    if (files.isEmpty())
        return nullptr;
    // One line per calendar, in the store's order, naming its files below; the reasons are in the
    // tooltip.
    QStringList calendars;
    QHash<QString, QList<EventStore::UnreadableFile>> byCalendar;
    for (const EventStore::UnreadableFile& file : files) {
        if (!byCalendar.contains(file.calendarTitle))
            calendars.append(file.calendarTitle);
        byCalendar[file.calendarTitle].append(file);
    }
    auto* notice = new QWidget(parent);
    notice->setObjectName(QStringLiteral("unreadableFiles"));
    auto* lines = new QVBoxLayout(notice);
    lines->setContentsMargins(0, 0, 0, 0);
    lines->setSpacing(2);
    for (const QString& calendar : std::as_const(calendars)) {
        const QList<EventStore::UnreadableFile>& unread = byCalendar.value(calendar);
        QStringList names;
        QStringList reasons;
        for (const EventStore::UnreadableFile& file : unread) {
            const QString name = QFileInfo(file.path).fileName();
            names.append(name);
            reasons.append(QStringLiteral("%1: %2").arg(file.path, file.problem));
        }
        const QString text =
            unread.size() == 1
                ? QStringLiteral("1 file in %1 could not be read").arg(calendar)
                : QStringLiteral("%1 files in %2 could not be read").arg(unread.size()).arg(calendar);
        auto* heading = plainLabel(text, BrimlarkTheme::monoMedium10(), BrimlarkTheme::warning(), notice);
        auto* detail = plainLabel(names.join(QStringLiteral(", ")), BrimlarkTheme::monoRegular10(),
                                  BrimlarkTheme::textTertiary(), notice);
        detail->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        const QString tip = reasons.join(QLatin1Char('\n'));
        heading->setToolTip(tip);
        detail->setToolTip(tip);
        lines->addWidget(heading);
        lines->addWidget(detail);
    }
    return notice;
}

QWidget* CalendarView::buildNextCard(const CalendarItem& item) {
    auto* card = new QWidget(this);
    card->setObjectName(QStringLiteral("nextEvent"));
    auto* layout = new QVBoxLayout(card);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(plainLabel(countdownText(item, m_service.clock().now()), BrimlarkTheme::monoBold20(),
                                 BrimlarkTheme::textPrimary(), card));
    layout->addWidget(new LineClampLabel(item.title.toLower(), BrimlarkTheme::monoSemibold13(),
                                         BrimlarkTheme::textPrimary(), 2, card));

    auto* details = new QHBoxLayout();
    details->setSpacing(8);
    details->addWidget(
        plainLabel(timeText(item), BrimlarkTheme::monoRegular10(), BrimlarkTheme::textSecondary(), card));
    if (item.location && !item.location->isEmpty()) {
        auto* location = plainLabel(item.location->toLower(), BrimlarkTheme::monoMedium10(),
                                    BrimlarkTheme::textTertiary(), card);
        location->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        details->addWidget(location, 1);
    } else {
        details->addStretch(1);
    }
    layout->addLayout(details);

    auto* buttons = new QHBoxLayout();
    buttons->setSpacing(8);
    auto* open = pillButton(QStringLiteral("open"), BrimlarkTheme::warning(), card);
    QPointer<CalendarService> service(&m_service);
    connect(open, &QAbstractButton::clicked, card, [service, item] {
        if (service)
            service->openInCalendar(item);
    });
    buttons->addWidget(open);
    if (item.conferenceURL) {
        auto* join = pillButton(QStringLiteral("join"), BrimlarkTheme::accent(), card);
        connect(join, &QAbstractButton::clicked, card, [service, item] {
            if (service)
                service->join(item);
        });
        buttons->addWidget(join);
    }
    buttons->addStretch(1);
    layout->addLayout(buttons);
    return card;
}

QWidget* CalendarView::buildRow(const CalendarItem& item) {
    auto* row = new EventRow(this);
    // The text is for assistive tools and tests; the row draws its children only.
    row->setText(item.title);
    row->setAccessibleName(item.title);
    row->setCursor(Qt::PointingHandCursor);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setSpacing(8);
    layout->addWidget(
        new CalendarDot(item.calendarColor.isValid() ? item.calendarColor : BrimlarkTheme::warning(), row), 0,
        Qt::AlignVCenter);
    auto* texts = new QVBoxLayout();
    texts->setSpacing(2);
    auto* title =
        plainLabel(item.title.toLower(), BrimlarkTheme::monoRegular13(), BrimlarkTheme::textPrimary(), row);
    title->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    texts->addWidget(title);
    texts->addWidget(
        plainLabel(timeText(item), BrimlarkTheme::monoRegular10(), BrimlarkTheme::textTertiary(), row));
    layout->addLayout(texts, 1);
    // Said in the row when nothing opened; gone at the next rebuild.
    auto* problem = plainLabel(QString(), BrimlarkTheme::monoRegular10(), BrimlarkTheme::warning(), row);
    problem->setObjectName(QStringLiteral("openProblem"));
    problem->hide();
    texts->addWidget(problem);
    auto tell = [problem](CalendarService::Opening opening, const QString& noApplication) {
        if (opening == CalendarService::Opening::opened) {
            problem->hide();
            return;
        }
        problem->setText(opening == CalendarService::Opening::noApplication
                             ? noApplication
                             : QStringLiteral("the calendar application did not start"));
        problem->show();
    };
    QPointer<CalendarService> service(&m_service);
    if (item.conferenceURL) {
        auto* join = new JoinMark(row);
        connect(join, &QAbstractButton::clicked, row, [service, item, tell] {
            if (service)
                tell(service->join(item), QStringLiteral("no application opens links"));
        });
        layout->addWidget(join);
    }
    connect(row, &QAbstractButton::clicked, row, [service, item, tell] {
        if (service)
            tell(service->openInCalendar(item), QStringLiteral("no application opens calendar files"));
    });
    return row;
}
