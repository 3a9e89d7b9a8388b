#include "Brimlark/aihooks/AIHooksService.h"

#include "Brimlark/aihooks/AIHookAccessManager.h"
#include "Brimlark/aihooks/AIHookInstaller.h"
#include "Brimlark/aihooks/FileWatcher.h"
#include "Brimlark/aihooks/HookEndpoint.h"
#include "Brimlark/aihooks/HookEventDecoder.h"
#include "Brimlark/aihooks/HookListener.h"
#include "Brimlark/core/AppState.h"
#include "Brimlark/core/EnumText.h"
#include "Brimlark/core/Logging.h"
#include "platform/Clock.h"
#include "platform/ProcessLauncher.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QMutexLocker>
#include <QPointer>
#include <QTimer>

#include <algorithm>

namespace {

bool nameIsOneOf(const QString& name, std::initializer_list<QLatin1String> names) {
    for (const QLatin1String candidate : names)
        if (name == candidate)
            return true;
    return false;
}

} // namespace

AIHooksService::AIHooksService(AppState& appState, const QString& supportDirectory,
                               Notifications* notifications, Workspace* workspace, ProcessLauncher* launcher,
                               Clock* clock, QObject* parent)
    : QObject(parent), m_appState(appState), m_notifications(notifications), m_workspace(workspace),
      m_launcher(launcher), m_clock(clock ? clock : Clock::system()), m_supportDirectory(supportDirectory),
      m_inboxPath(QDir(supportDirectory).filePath(QStringLiteral("hooks/inbox.json"))) {
    m_handoffTimer.setSingleShot(true);
    m_handoffTimer.setInterval(handoffDelay);
    connect(&m_handoffTimer, &QTimer::timeout, this, &AIHooksService::ingestHandoff);
    connect(&m_appState, &AppState::hookRulePresetChanged, this, &AIHooksService::displayFilterChanged);
    connect(&m_appState, &AppState::showOtherHookClientsChanged, this, &AIHooksService::displayFilterChanged);
    connect(&m_appState, &AppState::aiHooksStatusFilterChanged, this, &AIHooksService::displayFilterChanged);
    connect(&m_appState, &AppState::aiHooksSourceFilterChanged, this, &AIHooksService::displayFilterChanged);
    refreshStatus();
    QDir().mkpath(QFileInfo(m_inboxPath).absolutePath());
    if (!QFileInfo::exists(m_inboxPath)) {
        QFile inbox(m_inboxPath);
        if (inbox.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            inbox.write("[]");
    }
}

AIHooksService::~AIHooksService() {
    m_listener.reset();
    m_fileWatcher.reset();
}

void AIHooksService::setPort(quint16 port) {
    if (m_port == port)
        return;
    m_port = port;
    emit portChanged(m_port);
}

quint16 AIHooksService::boundPort() const {
    return m_listener ? m_listener->boundPort() : 0;
}

QString AIHooksService::boundAddress() const {
    return m_listener ? m_listener->boundAddress() : QString();
}

void AIHooksService::setListenerLimits(std::chrono::milliseconds deadline, int maxConnections) {
    m_listenerDeadline = deadline;
    m_listenerMaxConnections = maxConnections;
}

void AIHooksService::setToolWiring(AIHookAccessManager* accessManager, AIHookInstaller* installer) {
    m_accessManager = accessManager;
    m_installer = installer;
    refreshStatus();
}

void AIHooksService::refreshStatus() {
    AIHookInstallationStatus installation;
    if (m_installer) {
        installation = m_installer->installationStatus();
    } else {
        const QDir home(QDir::homePath());
        installation.bridgeScriptPath =
            QDir(m_supportDirectory).filePath(QStringLiteral("hooks/brimlark-hook-bridge.py"));
        installation.claudeSettingsPath = home.filePath(QStringLiteral(".claude/settings.json"));
        installation.codexConfigPath = home.filePath(QStringLiteral(".codex/config.toml"));
        installation.codexHooksPath = home.filePath(QStringLiteral(".codex/hooks.json"));
    }
    if (installation != m_installationStatus) {
        m_installationStatus = installation;
        emit hookInstallationStatusChanged();
    }
    refreshAccessStatus();
}

void AIHooksService::refreshAccessStatus() {
    const AIHookAccessStatus access =
        m_accessManager ? m_accessManager->accessStatus() : AIHookAccessStatus();
    if (access != m_accessStatus) {
        m_accessStatus = access;
        emit hookAccessStatusChanged();
    }
}

void AIHooksService::setLastInstallMessage(const QString& message) {
    if (m_lastInstallMessage == message)
        return;
    m_lastInstallMessage = message;
    emit lastInstallMessageChanged(m_lastInstallMessage);
}

void AIHooksService::grantAccess(AIHookTool tool) {
    if (!m_accessManager) {
        setLastInstallMessage(QString());
        setLastError(QStringLiteral("folder access is not available"));
        return;
    }
    AIHookAccessManager::AccessError error;
    if (!m_accessManager->requestAccess(tool, &error)) {
        setLastInstallMessage(QString());
        setLastError(error.errorDescription());
        return;
    }
    refreshAccessStatus();
    setLastInstallMessage(AIHookAccessManager::accessGrantedMessage(tool));
    setLastError(QString());
}

bool AIHooksService::ensureAccess(AIHookTool tool, QString* error) {
    if (!m_accessManager) {
        *error = QStringLiteral("folder access is not available");
        return false;
    }
    if (m_accessManager->hasAccess(tool))
        return true;
    AIHookAccessManager::AccessError accessError;
    if (!m_accessManager->requestAccess(tool, &accessError)) {
        *error = accessError.errorDescription();
        return false;
    }
    refreshAccessStatus();
    return true;
}

quint16 AIHooksService::hookPort() const {
    // The hooks must reach the port the endpoint really listens on.
    const quint16 bound = boundPort();
    return bound != 0 ? bound : m_port;
}

void AIHooksService::installHooks(bool claude, bool codex) {
    if (m_installing) {
        // Only claude's install waits (for its version); claude is in it already.
        m_installCodex = m_installCodex || codex;
        return;
    }
    if (!claude && !codex) {
        setLastError(AIHookInstaller::noToolChosenMessage());
        setLastInstallMessage(QString());
        emit installFinished();
        return;
    }
    if (!m_accessManager || !m_installer) {
        failInstall(QStringLiteral("hook installation is not available"));
        return;
    }
    m_installing = true;
    m_installCodex = codex;
    if (!claude) {
        continueInstall(false, codex, std::nullopt);
        return;
    }
    QString error;
    if (!ensureAccess(AIHookTool::claude, &error)) {
        failInstall(error);
        return;
    }
    // The installed claude picks the events; asking it may take seconds, so not on this thread.
    auto* watcher = new QFutureWatcher<std::optional<ClaudeVersion>>(this);
    connect(watcher, &QFutureWatcher<std::optional<ClaudeVersion>>::finished, this, [this, watcher] {
        watcher->deleteLater();
        continueInstall(true, m_installCodex, watcher->result());
    });
    watcher->setFuture(m_installer->lookUpClaudeVersion());
}

void AIHooksService::continueInstall(bool claude, bool codex, std::optional<ClaudeVersion> version) {
    QString error;
    if (claude) {
        const bool done = m_accessManager->withAccess(
            AIHookTool::claude, hookPort(),
            [this, version](quint16 port, const QString& configPath, QString* operationError) {
                return m_installer->installClaudeHooks(port, configPath, version, operationError);
            },
            &error);
        if (!done) {
            failInstall(error);
            return;
        }
    }
    if (codex) {
        if (!ensureAccess(AIHookTool::codex, &error)) {
            failInstall(error);
            return;
        }
        const bool done = m_accessManager->withAccess(
            AIHookTool::codex, hookPort(),
            [this](quint16 port, const QString& configPath, QString* operationError) {
                return m_installer->installCodexHooks(port, configPath, operationError);
            },
            &error);
        if (!done) {
            failInstall(error);
            return;
        }
    }
    refreshStatus();
    setLastInstallMessage(AIHookInstaller::installMessage(claude, codex));
    setLastError(QString());
    m_installing = false;
    emit installFinished();
}

void AIHooksService::failInstall(const QString& description) {
    // A tool connected before the failure is connected: the status says so.
    refreshStatus();
    setLastInstallMessage(QString());
    setLastError(AIHookInstaller::setupFailedMessage(description));
    qCCritical(lcHooks, "hook install failed: %s", qUtf8Printable(description));
    m_installing = false;
    emit installFinished();
}

void AIHooksService::startListener() {
    if (m_listener)
        return;
    const quint64 generation = ++m_listenerGeneration;
    HookListener::Options options;
    options.port = m_port;
    options.deadline = m_listenerDeadline;
    options.maxConnections = m_listenerMaxConnections;
    Clock* clock = m_clock;
    // The handlers run on the listener thread. Decoded events wait in the hand-off queue until the
    // response is out; the main thread is woken once for whatever has gathered by then.
    auto handler = [this, clock](const QByteArray& received, HookHttpRequest::Framing framing) {
        HookEndpoint::Reply reply = HookEndpoint::answer(received, framing, clock->now());
        if (!reply.events.isEmpty()) {
            const QMutexLocker lock(&m_handoffMutex);
            m_handoff.append(std::move(reply.events));
        }
        return reply.response;
    };
    auto afterResponse = [this] {
        {
            const QMutexLocker lock(&m_handoffMutex);
            if (m_handoff.isEmpty() || m_handoffPosted)
                return;
            m_handoffPosted = true;
        }
        QMetaObject::invokeMethod(this, &AIHooksService::scheduleHandoff, Qt::QueuedConnection);
    };
    auto onFailure = [this, generation](const QString& error) {
        QMetaObject::invokeMethod(
            this, [this, generation, error] { onListenerFailed(generation, error); }, Qt::QueuedConnection);
    };
    m_listener = std::make_unique<HookListener>(options, handler, afterResponse, onFailure);
    QString error;
    if (!m_listener->start(&error)) {
        // The failed listener stays until stopListener(), as a listener that fails later does.
        onListenerFailed(generation, error);
        return;
    }
    setIsListening(true);
}

void AIHooksService::scheduleHandoff() {
    // Waking this thread from the listener's costs that thread time on every request; while the
    // short wait runs, further events join the batch without another wake.
    if (!m_handoffTimer.isActive())
        m_handoffTimer.start();
}

void AIHooksService::ingestHandoff() {
    QList<HookEvent> events;
    {
        const QMutexLocker lock(&m_handoffMutex);
        events.swap(m_handoff);
        m_handoffPosted = false;
    }
    ingest(events);
}

void AIHooksService::onListenerFailed(quint64 generation, const QString& error) {
    if (generation != m_listenerGeneration)
        return;
    setIsListening(false);
    setLastError(error);
    qCCritical(lcHooks, "listener failed: %s", qUtf8Printable(error));
}

void AIHooksService::stopListener() {
    m_listener.reset();
    ++m_listenerGeneration;
    setIsListening(false);
    m_fileWatcher.reset();
}

void AIHooksService::startWatchingInbox() {
    if (m_fileWatcher)
        return;
    m_fileWatcher = std::make_unique<FileWatcher>(m_inboxPath);
    m_fileWatcher->start([this] { refreshFromFile(); });
    refreshFromFile();
}

void AIHooksService::refreshFromFile() {
    QFile inbox(m_inboxPath);
    if (!inbox.open(QIODevice::ReadOnly)) {
        qCDebug(lcHooks, "file refresh failed: %s", qUtf8Printable(inbox.errorString()));
        return;
    }
    const QByteArray data = inbox.read(maxInboxBytes + 1);
    if (data.size() > maxInboxBytes) {
        qCDebug(lcHooks, "file refresh failed: %s", "the inbox is larger than 8 MiB");
        return;
    }
    if (data.isEmpty())
        return;
    const HookEventDecoder::Result decoded = HookEventDecoder::decode(data, m_clock->now());
    if (!decoded.ok) {
        qCDebug(lcHooks, "file refresh failed: %s", qUtf8Printable(decoded.error));
        return;
    }
    // An event the inbox already held at the last read was taken then: when it is no longer stored,
    // the cap evicted it or the user dismissed it, and it must not come back as new.
    QSet<QUuid> known = m_inboxEventIDs;
    for (const HookEvent& event : std::as_const(m_events))
        known.insert(event.id);
    QSet<QUuid> inboxEventIDs;
    QList<HookEvent> fresh;
    for (const HookEvent& event : decoded.events) {
        inboxEventIDs.insert(event.id);
        if (!known.contains(event.id))
            fresh.append(event);
    }
    m_inboxEventIDs = std::move(inboxEventIDs);
    if (!fresh.isEmpty())
        ingest(fresh);
}

bool AIHooksService::insert(const HookEvent& event) {
    const qsizetype removed = m_events.removeIf([&](const HookEvent& e) { return e.id == event.id; });
    m_events.prepend(event);
    if (m_events.size() > maxEvents)
        m_events.resize(maxEvents);
    return removed == 0;
}

void AIHooksService::ingest(const HookEvent& event) {
    const bool isNew = insert(event);
    emit eventsChanged();
    if (isNew)
        notify(event);
}

void AIHooksService::ingest(const QList<HookEvent>& events) {
    if (events.isEmpty())
        return;
    QList<HookEvent> fresh;
    for (const HookEvent& event : events)
        if (insert(event))
            fresh.append(event);
    emit eventsChanged();
    for (const HookEvent& event : std::as_const(fresh))
        notify(event);
}

bool AIHooksService::shouldDisplay(const HookEvent& event) const {
    using Status = HookEvent::Status;
    if (event.source == HookEvent::Source::other && !m_appState.showOtherHookClients())
        return false;
    const QString name = event.eventName.value_or(QString()).toLower();
    const bool asksOrFailed = event.status == Status::asking || event.status == Status::error;
    switch (m_appState.hookRulePreset()) {
    case AppState::HookRulePreset::fullFeed:
        return true;
    case AppState::HookRulePreset::focused:
        switch (event.status) {
        case Status::asking:
        case Status::error:
            return true;
        case Status::working:
            return event.toolName.has_value() ||
                   nameIsOneOf(name, {QLatin1String("sessionstart"), QLatin1String("notification"),
                                      QLatin1String("userpromptsubmit")});
        case Status::finished:
            return event.toolName.has_value() ||
                   nameIsOneOf(name, {QLatin1String("sessionend"), QLatin1String("stop"),
                                      QLatin1String("subagentstop"), QLatin1String("precompact"),
                                      QLatin1String("postcompact"), QLatin1String("posttooluse")});
        case Status::idle:
            return false;
        }
        return false;
    case AppState::HookRulePreset::approvalsOnly:
        return asksOrFailed || nameIsOneOf(name, {QLatin1String("sessionstart"), QLatin1String("sessionend"),
                                                  QLatin1String("stop"), QLatin1String("stopfailure"),
                                                  QLatin1String("permissiondenied")});
    }
    return false;
}

QList<HookEvent> AIHooksService::presetFilteredEvents() const {
    QList<HookEvent> shown;
    for (const HookEvent& event : m_events)
        if (shouldDisplay(event))
            shown.append(event);
    return shown;
}

QList<HookEvent> AIHooksService::visibleEvents() const {
    const AppState::AIHooksSourceFilter sourceFilter = m_appState.aiHooksSourceFilter();
    const AppState::AIHooksStatusFilter statusFilter = m_appState.aiHooksStatusFilter();
    QList<HookEvent> visible;
    for (const HookEvent& event : m_events) {
        if (!shouldDisplay(event))
            continue;
        if (sourceFilter != AppState::AIHooksSourceFilter::all &&
            HookEvent::sourceText(event.source) != rawValue(sourceFilter))
            continue;
        if (statusFilter != AppState::AIHooksStatusFilter::all &&
            HookEvent::statusText(event.status) != rawValue(statusFilter))
            continue;
        visible.append(event);
    }
    return visible;
}

std::optional<HookEvent> AIHooksService::activeEvent() const {
    for (const HookEvent& event : visibleEvents())
        if (event.status == HookEvent::Status::asking || event.status == HookEvent::Status::working ||
            event.status == HookEvent::Status::error)
            return event;
    return std::nullopt;
}

bool AIHooksService::shouldNotify(const HookEvent& event) const {
    return shouldDisplay(event) && event.source != HookEvent::Source::other &&
           event.status == HookEvent::Status::asking;
}

QString AIHooksService::notificationIdentifier(const QUuid& id) {
    return QStringLiteral("ai-hook-") + id.toString(QUuid::WithoutBraces).toUpper();
}

std::optional<NotificationContent> AIHooksService::notificationContent(const HookEvent& event) const {
    if (m_appState.notificationsMuted() || !shouldNotify(event))
        return std::nullopt;
    const bool codex = event.source == HookEvent::Source::codex;
    NotificationContent content;
    content.sound = true;
    content.subtitle = codex ? QStringLiteral("codex") : QStringLiteral("claude");
    content.title = codex ? QStringLiteral("codex is asking") : QStringLiteral("claude is asking");
    content.body = QStringLiteral("Brimlark has an update for you.");
    for (const std::optional<QString>* text : {&event.title, &event.detail, &event.eventName}) {
        if (*text && !(*text)->isEmpty()) {
            content.body = **text;
            break;
        }
    }
    return content;
}

void AIHooksService::notify(const HookEvent& event) {
    if (m_appState.notificationsMuted() || !shouldNotify(event))
        return;
    if (m_notifiedEventIDs.contains(event.id))
        return;
    m_notifiedEventIDs.insert(event.id);
    if (!m_notifications)
        return;
    QPointer<AIHooksService> self(this);
    m_notifications->authorizationStatus([self, event](NotificationAuthorization status) {
        if (!self || (status != NotificationAuthorization::authorized &&
                      status != NotificationAuthorization::provisional))
            return;
        // The answer may come after the event was dismissed, evicted or cleared.
        const bool stored = std::any_of(self->m_events.cbegin(), self->m_events.cend(),
                                        [&](const HookEvent& e) { return e.id == event.id; });
        if (!stored || !self->m_notifiedEventIDs.contains(event.id))
            return;
        const std::optional<NotificationContent> content = self->notificationContent(event);
        if (!content || !self->m_notifications)
            return;
        self->m_notifications->add(
            notificationIdentifier(event.id), *content, std::nullopt, [](const QString& error) {
                if (!error.isEmpty())
                    qCCritical(lcHooks, "hook notification failed: %s", qUtf8Printable(error));
            });
    });
}

void AIHooksService::requestNotificationAuthorization() {
    if (!m_notifications)
        return;
    QPointer<AIHooksService> self(this);
    m_notifications->authorizationStatus([self](NotificationAuthorization status) {
        if (!self || !self->m_notifications || status != NotificationAuthorization::notDetermined)
            return;
        self->m_notifications->requestAuthorization([](bool, const QString&) {});
    });
}

bool AIHooksService::performAction(const std::optional<HookEvent::Action>& action) {
    if (!action)
        return false;
    const QString title = action->title.toLower();
    if (action->url) {
        const QUrl& url = *action->url;
        if (url.isRelative() || url.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) == 0) {
            setLastError(QStringLiteral("could not open ") + title + QStringLiteral(": unsupported address"));
            return false;
        }
        if (!m_workspace || !m_workspace->openUrl(url)) {
            setLastError(QStringLiteral("could not open ") + title +
                         QStringLiteral(": no application took the address"));
            return false;
        }
        return true;
    }
    if (!action->command || action->command->isEmpty()) {
        setLastError(QStringLiteral("could not run ") + title + QStringLiteral(": no command"));
        return false;
    }
    QString error = QStringLiteral("no process launcher");
    if (!m_launcher || !m_launcher->runShellCommand(*action->command, &error)) {
        setLastError(QStringLiteral("could not run ") + title + QStringLiteral(": ") + error);
        return false;
    }
    return true;
}

bool AIHooksService::runAction(const QUuid& id, HookEvent::Action::Kind kind) {
    const auto it =
        std::find_if(m_events.cbegin(), m_events.cend(), [&](const HookEvent& e) { return e.id == id; });
    if (it == m_events.cend())
        return false;
    const std::optional<HookEvent::Action> action =
        kind == HookEvent::Action::Kind::approve ? it->approveAction : it->denyAction;
    if (!performAction(action))
        return false;
    dismiss(id);
    return true;
}

void AIHooksService::dismiss(const QUuid& id) {
    if (m_events.removeIf([&](const HookEvent& event) { return event.id == id; }) > 0)
        emit eventsChanged();
    m_notifiedEventIDs.remove(id);
    if (m_notifications) {
        const QStringList identifiers{notificationIdentifier(id)};
        m_notifications->removeDelivered(identifiers);
        m_notifications->removePending(identifiers);
    }
}

void AIHooksService::clear() {
    const bool hadEvents = !m_events.isEmpty();
    m_events.clear();
    m_notifiedEventIDs.clear();
    setLastInstallMessage(QString());
    if (hadEvents)
        emit eventsChanged();
    QFile inbox(m_inboxPath);
    if (inbox.open(QIODevice::WriteOnly | QIODevice::Truncate))
        inbox.write("[]");
}

void AIHooksService::sendTestEvent() {
    HookEvent event;
    event.id = QUuid::createUuid();
    event.source = HookEvent::Source::claude;
    event.status = HookEvent::Status::working;
    event.title = QStringLiteral("claude is coding");
    event.detail = QStringLiteral("bridge and listener are ready for live events.");
    event.timestamp = m_clock->now();
    event.eventName = QStringLiteral("PostToolUse");
    event.toolName = QStringLiteral("Edit");
    event.cwd = QDir::currentPath();
    ingest(event);
}

void AIHooksService::setIsListening(bool isListening) {
    if (m_isListening == isListening)
        return;
    m_isListening = isListening;
    emit isListeningChanged(m_isListening);
}

void AIHooksService::setLastError(const QString& error) {
    m_lastError = error;
    emit lastErrorChanged(m_lastError);
}
