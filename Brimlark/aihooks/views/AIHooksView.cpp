#include "Brimlark/aihooks/views/AIHooksView.h"

#include "Brimlark/aihooks/AIHooksService.h"
#include "Brimlark/aihooks/views/AIHooksDot.h"
#include "Brimlark/aihooks/views/AIHooksEventList.h"
#include "Brimlark/aihooks/views/AIHooksEventRow.h"
#include "Brimlark/aihooks/views/AIHooksPillButton.h"
#include "Brimlark/core/AppState.h"
#include "Brimlark/core/RelativeTimeRefresh.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PlainLabel.h"
#include "platform/Clock.h"

#include <QDateTime>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QHash>
#include <QPropertyAnimation>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

AIHooksView::AIHooksView(AIHooksService& service, std::function<void()> onOpenSettings, QWidget* parent)
    : QWidget(parent), m_service(&service), m_onOpenSettings(std::move(onOpenSettings)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 0);
    layout->setSpacing(0);
    connect(&service, &AIHooksService::eventsChanged, this, &AIHooksView::refresh);
    connect(&service, &AIHooksService::displayFilterChanged, this, &AIHooksView::refresh);
    connect(&service, &AIHooksService::isListeningChanged, this, &AIHooksView::refresh);
    connect(&service, &AIHooksService::hookInstallationStatusChanged, this, &AIHooksView::refresh);
    connect(&service, &AIHooksService::hookAccessStatusChanged, this, &AIHooksView::refresh);
    // Only the header's line follows the bell: the list and a press on it stay as they are.
    connect(&service.appState(), &AppState::notificationsMutedChanged, this, [this](bool muted) {
        if (m_muted)
            m_muted->setVisible(muted);
    });
    m_inboxLine = plainLabel(QString(), BrimlarkTheme::monoMedium10(), BrimlarkTheme::warning(), this);
    m_inboxLine->setObjectName(QStringLiteral("inboxLine"));
    m_inboxLine->setWordWrap(true);
    m_inboxLine->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_inboxLine);
    connect(&service, &AIHooksService::inboxProblemChanged, this, &AIHooksView::showInboxProblem);
    showInboxProblem(service.inboxProblem());
    Clock* clock = service.clock() ? service.clock() : Clock::system();
    m_timeRefresh = new RelativeTimeRefresh(
        *clock, [this] { refreshTimes(); }, this);
    refresh();
}

void AIHooksView::showInboxProblem(const QString& problem) {
    m_inboxLine->setText(
        problem.isEmpty() ? QString() : QStringLiteral("the hooks inbox could not be read: %1").arg(problem));
    m_inboxLine->setVisible(!problem.isEmpty());
}

QString AIHooksView::inboxLine() const {
    return m_inboxLine->text();
}

QDateTime AIHooksView::currentTime() const {
    return m_service && m_service->clock() ? m_service->clock()->now() : QDateTime::currentDateTimeUtc();
}

void AIHooksView::refreshTimes() {
    // Only the time labels: a text that changed is set again and repaints its own label; the rows
    // are neither rebuilt nor measured anew.
    if (m_scroll) {
        if (auto* rows = qobject_cast<AIHooksEventList*>(m_scroll->widget())) {
            const QDateTime current = currentTime();
            for (int i = 0; i < rows->count(); ++i)
                if (auto* row = qobject_cast<AIHooksEventRow*>(rows->rowAt(i)))
                    row->showTime(current);
        }
    }
}

QColor AIHooksView::statusColor(HookEvent::Status status) {
    switch (status) {
    case HookEvent::Status::idle:
        return BrimlarkTheme::textTertiary();
    case HookEvent::Status::asking:
        return BrimlarkTheme::accent();
    case HookEvent::Status::working:
    case HookEvent::Status::finished:
        return BrimlarkTheme::warning();
    case HookEvent::Status::error:
        return BrimlarkTheme::danger();
    }
    return BrimlarkTheme::textTertiary();
}

QString AIHooksView::sourceLabel(HookEvent::Source source) {
    switch (source) {
    case HookEvent::Source::claude:
        return QStringLiteral("claude");
    case HookEvent::Source::codex:
        return QStringLiteral("codex");
    case HookEvent::Source::other:
        break;
    }
    return QStringLiteral("other");
}

QString AIHooksView::setupStepTitle(SetupStep step) {
    switch (step) {
    case SetupStep::grantCodexAccess:
        return QStringLiteral("grant codex access");
    case SetupStep::connectCodex:
        return QStringLiteral("connect codex");
    case SetupStep::grantClaudeAccess:
        return QStringLiteral("grant claude access");
    case SetupStep::connectClaude:
        break;
    }
    return QStringLiteral("connect claude");
}

QString AIHooksView::headerTitle() const {
    const auto installed = m_service->hookInstallationStatus();
    if (!m_service->presetFilteredEvents().isEmpty())
        return QStringLiteral("ai hooks");
    if (installed.codexInstalled && !installed.claudeInstalled)
        return QStringLiteral("codex connected");
    if (installed.claudeInstalled && !installed.codexInstalled)
        return QStringLiteral("claude connected");
    if (m_service->isListening())
        return QStringLiteral("ai hooks ready");
    return QStringLiteral("ai hooks offline");
}

QString AIHooksView::headerSubtitle() const {
    const qsizetype count = m_service->presetFilteredEvents().size();
    if (count > 0)
        return QString::number(count) + QStringLiteral(" event") +
               (count == 1 ? QString() : QStringLiteral("s"));
    return m_service->isListening() ? QStringLiteral("waiting for something important")
                                    : QStringLiteral("listener offline");
}

QString AIHooksView::emptyTitle() const {
    const auto installed = m_service->hookInstallationStatus();
    return installed.codexInstalled || installed.claudeInstalled
               ? QStringLiteral("waiting for the first event")
               : QStringLiteral("connect a coding tool");
}

std::optional<AIHooksView::SetupStep> AIHooksView::nextSetupStep() const {
    const auto installed = m_service->hookInstallationStatus();
    const auto access = m_service->hookAccessStatus();
    if (!access.codexGranted)
        return SetupStep::grantCodexAccess;
    if (!installed.codexInstalled)
        return SetupStep::connectCodex;
    if (!access.claudeGranted)
        return SetupStep::grantClaudeAccess;
    if (!installed.claudeInstalled)
        return SetupStep::connectClaude;
    return std::nullopt;
}

void AIHooksView::start() {
    if (!m_service)
        return;
    m_service->refreshStatus();
    m_service->startListener();
    m_service->startWatchingInbox();
    // Asked on the next turn, as the page's own start has nothing to wait for.
    QPointer<AIHooksService> service = m_service;
    QTimer::singleShot(0, m_service, [service] {
        if (service)
            service->requestNotificationAuthorization();
    });
}

void AIHooksView::restart() {
    if (!m_service)
        return;
    m_service->stopListener();
    start();
}

void AIHooksView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    start();
    m_timeRefresh->start();
}

void AIHooksView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_timeRefresh->stop();
}

void AIHooksView::runSetupStep(SetupStep step) {
    if (!m_service)
        return;
    switch (step) {
    case SetupStep::grantCodexAccess:
        m_service->grantAccess(AIHookTool::codex);
        break;
    case SetupStep::connectCodex:
        m_service->installHooks(false, true);
        break;
    case SetupStep::grantClaudeAccess:
        m_service->grantAccess(AIHookTool::claude);
        break;
    case SetupStep::connectClaude:
        m_service->installHooks(true, false);
        break;
    }
}

bool AIHooksView::Shown::operator==(const Shown& other) const {
    return listening == other.listening && claudeInstalled == other.claudeInstalled &&
           codexInstalled == other.codexInstalled && claudeGranted == other.claudeGranted &&
           codexGranted == other.codexGranted &&
           std::equal(events.begin(), events.end(), other.events.begin(), other.events.end(),
                      &AIHooksEventRow::showsSame);
}

AIHooksView::Shown AIHooksView::shownNow() const {
    Shown shown;
    shown.events = m_service->presetFilteredEvents();
    shown.listening = m_service->isListening();
    // A listed event makes the header "ai hooks" and takes the setup step's place.
    if (shown.events.isEmpty()) {
        const auto installed = m_service->hookInstallationStatus();
        const auto access = m_service->hookAccessStatus();
        shown.claudeInstalled = installed.claudeInstalled;
        shown.codexInstalled = installed.codexInstalled;
        shown.claudeGranted = access.claudeGranted;
        shown.codexGranted = access.codexGranted;
    }
    return shown;
}

void AIHooksView::refresh() {
    if (!m_service)
        return;
    Shown shown = shownNow();
    if (m_shown && *m_shown == shown)
        return;
    // A list that stays a list, under the same header, changes only the rows that changed.
    const bool inPlace = m_shown && m_scroll && m_subtitle && !m_shown->events.isEmpty() &&
                         !shown.events.isEmpty() && m_shown->listening == shown.listening;
    m_shown = std::move(shown);
    if (inPlace)
        updateList();
    else
        rebuild();
}

void AIHooksView::updateList() {
    auto* rows = qobject_cast<AIHooksEventList*>(m_scroll->widget());
    if (!rows) {
        rebuild();
        return;
    }
    const QList<HookEvent>& events = m_shown->events;
    QHash<QUuid, const HookEvent*> listed;
    listed.reserve(events.size());
    for (const HookEvent& event : events)
        listed.insert(event.id, &event);

    // Rows whose event left the list or would look different now go; the others stay as they
    // are, a press or hover on them included.
    QHash<QUuid, AIHooksEventRow*> kept;
    for (int i = rows->count() - 1; i >= 0; --i) {
        auto* row = qobject_cast<AIHooksEventRow*>(rows->rowAt(i));
        if (!row)
            continue;
        const HookEvent* event = listed.value(row->event().id);
        if (event && AIHooksEventRow::showsSame(row->event(), *event) && !kept.contains(event->id)) {
            kept.insert(event->id, row);
            continue;
        }
        rows->removeRow(row);
        // It may hold the button whose press led here, so it goes on the next turn.
        row->hide();
        row->deleteLater();
    }

    const QDateTime now = currentTime();
    // Rows still fading in from an earlier change are shown whole now: in a burst, only the rows
    // of its latest change fade, so that the list never paints many rows through an effect.
    finishFades();
    QList<int> placed;
    for (int i = 0; i < events.size(); ++i) {
        const HookEvent& event = events.at(i);
        AIHooksEventRow* row = kept.value(event.id);
        if (!row) {
            row = new AIHooksEventRow(*m_service, event, now, rows);
            rows->insertRow(i, row);
            fadeIn(row);
            row->show();
            placed.append(i);
        } else if (rows->indexOf(row) != i) {
            rows->removeRow(row);
            rows->insertRow(i, row);
            placed.append(i);
        }
    }
    // Children stay in the order the rows show, as a rebuilt list has them: each row placed goes
    // just before the row under it, from the bottom up.
    for (auto it = placed.crbegin(); it != placed.crend(); ++it) {
        QWidget* row = rows->rowAt(*it);
        QWidget* below = *it + 1 < rows->count() ? rows->rowAt(*it + 1) : nullptr;
        if (below)
            row->stackUnder(below);
        else
            row->raise();
    }
    m_listedIds.clear();
    for (const HookEvent& event : events)
        m_listedIds.append(event.id);
    m_subtitle->setText(headerSubtitle());
}

void AIHooksView::rebuild() {
    const int scrolledTo = m_scroll ? m_scroll->verticalScrollBar()->value() : 0;
    // The old content may hold the button whose press led here, so it goes on the next turn.
    if (m_content) {
        m_content->hide();
        layout()->removeWidget(m_content);
        m_content->deleteLater();
    }
    const QList<HookEvent> events = m_shown->events;
    if (events.isEmpty())
        m_listedIds.clear();
    m_content = new QWidget(this);
    auto* column = new QVBoxLayout(m_content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(12);
    column->addWidget(buildHeader(m_content, !events.isEmpty()));
    if (events.isEmpty()) {
        m_scroll = nullptr;
        column->addWidget(buildEmptyState(m_content), 1);
    } else {
        m_scroll = buildEventList(m_content, events);
        column->addWidget(m_scroll, 1);
    }
    // Above the inbox line.
    static_cast<QVBoxLayout*>(layout())->insertWidget(0, m_content);
    if (scrolledTo > 0 && m_scroll) {
        // The new list takes the old one's scroll position; its range is known once it is laid out.
        m_content->show();
        layout()->activate();
        m_scroll->verticalScrollBar()->setValue(scrolledTo);
    }
}

QWidget* AIHooksView::buildHeader(QWidget* parent, bool hasEvents) {
    auto* header = new QWidget(parent);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 4);
    row->setSpacing(12);

    auto* status = new QHBoxLayout();
    status->setSpacing(8);
    status->addWidget(new AIHooksDot(
        m_service->isListening() ? BrimlarkTheme::accent() : BrimlarkTheme::danger(), 7, header));
    auto* titles = new QVBoxLayout();
    titles->setSpacing(2);
    titles->addWidget(
        plainLabel(headerTitle(), BrimlarkTheme::monoSemibold12(), BrimlarkTheme::textPrimary(), header));
    m_subtitle =
        plainLabel(headerSubtitle(), BrimlarkTheme::monoRegular10(), BrimlarkTheme::textTertiary(), header);
    titles->addWidget(m_subtitle);
    status->addLayout(titles);
    row->addLayout(status);
    row->addStretch(1);

    // An asking tool reaches no notification while the bell mutes them: the page says so.
    m_muted = plainLabel(QStringLiteral("Brimlark's notifications are muted"), BrimlarkTheme::monoRegular10(),
                         BrimlarkTheme::warning(), header);
    m_muted->setObjectName(QStringLiteral("notificationsMuted"));
    m_muted->setVisible(m_service->appState().notificationsMuted());
    row->addWidget(m_muted, 0, Qt::AlignVCenter);

    if (hasEvents) {
        auto* clear = new AIHooksPillButton(QStringLiteral("clear"), true, false,
                                            BrimlarkTheme::textTertiary(), header);
        QPointer<AIHooksService> service = m_service;
        connect(clear, &QAbstractButton::clicked, this, [service] {
            if (service)
                service->clear();
        });
        row->addWidget(clear);
    }
    return header;
}

QWidget* AIHooksView::buildEmptyState(QWidget* parent) {
    auto* area = new QWidget(parent);
    auto* outer = new QHBoxLayout(area);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addStretch(1);
    auto* column = new QVBoxLayout();
    column->setSpacing(8);
    column->addStretch(1);
    column->addWidget(
        plainLabel(emptyTitle(), BrimlarkTheme::monoBold20(), BrimlarkTheme::textPrimary(), area));

    auto* buttons = new QHBoxLayout();
    buttons->setSpacing(8);
    if (const std::optional<SetupStep> step = nextSetupStep()) {
        const bool codex = *step == SetupStep::grantCodexAccess || *step == SetupStep::connectCodex;
        auto* button =
            new AIHooksPillButton(setupStepTitle(*step), false, true,
                                  codex ? BrimlarkTheme::accent() : BrimlarkTheme::warning(), area);
        const SetupStep chosen = *step;
        connect(button, &QAbstractButton::clicked, this, [this, chosen] { runSetupStep(chosen); });
        buttons->addWidget(button);
    }
    if (!m_service->isListening()) {
        auto* restartButton = new AIHooksPillButton(QStringLiteral("restart listener"), false, false,
                                                    BrimlarkTheme::warning(), area);
        connect(restartButton, &QAbstractButton::clicked, this, &AIHooksView::restart);
        buttons->addWidget(restartButton);
    }
    auto* settings = new AIHooksPillButton(QStringLiteral("open settings"), false, false,
                                           BrimlarkTheme::textSecondary(), area);
    connect(settings, &QAbstractButton::clicked, this, [this] {
        if (m_onOpenSettings)
            m_onOpenSettings();
    });
    buttons->addWidget(settings);
    buttons->addStretch(1);
    column->addLayout(buttons);
    column->addStretch(1);
    outer->addLayout(column);
    outer->addStretch(1);
    return area;
}

QScrollArea* AIHooksView::buildEventList(QWidget* parent, const QList<HookEvent>& events) {
    auto* scroll = new QScrollArea(parent);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setAutoFillBackground(false);
    scroll->viewport()->setAutoFillBackground(false);

    auto* list = new AIHooksEventList();
    const QDateTime now = currentTime();
    // A list that was already showing animates its changes: the rows that join it fade in. A list
    // that appears in place of the empty page comes at once.
    const QList<QUuid> previous = std::exchange(m_listedIds, {});
    finishFades();
    for (const HookEvent& event : events) {
        auto* row = new AIHooksEventRow(*m_service, event, now, list);
        list->insertRow(list->count(), row);
        if (!previous.isEmpty() && !previous.contains(event.id))
            fadeIn(row);
        m_listedIds.append(event.id);
    }
    scroll->setWidget(list);
    // The panel shows through; setWidget() turned the fill on.
    list->setAutoFillBackground(false);
    return scroll;
}

void AIHooksView::finishFades() {
    for (const QPointer<QWidget>& row : std::as_const(m_fading))
        if (row)
            row->setGraphicsEffect(nullptr);
    m_fading.clear();
}

void AIHooksView::fadeIn(QWidget* row) {
    m_fading.append(row);
    auto* effect = new QGraphicsOpacityEffect(row);
    effect->setOpacity(0.0);
    row->setGraphicsEffect(effect);
    auto* animation = new QPropertyAnimation(effect, "opacity", effect);
    const BrimlarkAnimation& spring = BrimlarkTheme::pageSpring();
    animation->setDuration(spring.durationMs());
    animation->setEasingCurve(spring.easingCurve());
    animation->setStartValue(0.0);
    animation->setEndValue(1.0);
    // Once in, the row paints directly again instead of through the effect.
    connect(animation, &QPropertyAnimation::finished, row, [row] { row->setGraphicsEffect(nullptr); });
    animation->start();
}
