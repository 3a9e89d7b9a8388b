#include "Brimlark/aihooks/AIHooksService.h"

#include "Brimlark/aihooks/endpoint/HookEndpoint.h"
#include "Brimlark/aihooks/endpoint/HookHttpRequest.h"
#include "Brimlark/aihooks/events/HookEventDecoder.h"
#include "Brimlark/aihooks/install/AIHookAccessManager.h"
#include "Brimlark/aihooks/install/AIHookInstaller.h"
#include "Brimlark/core/AppState.h"
#include "Brimlark/core/Logging.h"
#include "platform/AtomicWrite.h"
#include "platform/Clock.h"
#include "platform/UserDefaults.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutexLocker>
#include <QSignalBlocker>
#include <QTimer>

#include <algorithm>
#include <utility>

AIHooksService::AIHooksService(AppState& appState, const QString& supportDirectory,
                               Notifications* notifications, Workspace* workspace, ProcessLauncher* launcher,
                               Clock* clock, LoopbackListener::Factory listenerFactory,
                               FileWatch::Factory fileWatchFactory, QObject* parent)
    : QObject(parent), m_appState(appState), m_clock(clock ? clock : Clock::system()),
      m_inboxPath(QDir(supportDirectory).filePath(QStringLiteral("hooks/inbox.json"))),
      m_notifier(appState, m_store, notifications), m_actions(workspace, launcher),
      m_installFlow(supportDirectory, [this] { return hookPort(); }),
      m_listenerFactory(std::move(listenerFactory)), m_fileWatchFactory(std::move(fileWatchFactory)) {
    m_handoffTimer.setSingleShot(true);
    m_handoffTimer.setInterval(handoffDelay);
    connect(&m_handoffTimer, &QTimer::timeout, this, &AIHooksService::ingestHandoff);
    m_inboxSettleTimer.setSingleShot(true);
    m_inboxSettleTimer.setInterval(inboxSettleDelay);
    connect(&m_inboxSettleTimer, &QTimer::timeout, this, &AIHooksService::startInboxRead);
    m_inboxApplyTimer.setSingleShot(true);
    m_inboxApplyTimer.setInterval(0);
    connect(&m_inboxApplyTimer, &QTimer::timeout, this, &AIHooksService::applyPendingInbox);
    m_inboxReader.setMaxThreadCount(1);
    // The reader runs only when the core has nothing else to do: decoding a large inbox takes a
    // core for a while, and on a machine with few of them the UI thread must never wait for it.
    m_inboxReader.setThreadPriority(QThread::IdlePriority);
    connect(&m_appState, &AppState::hookRulePresetChanged, this, &AIHooksService::displayFilterChanged);
    connect(&m_appState, &AppState::showOtherHookClientsChanged, this, &AIHooksService::displayFilterChanged);
    connect(&m_appState, &AppState::aiHooksStatusFilterChanged, this, &AIHooksService::displayFilterChanged);
    connect(&m_appState, &AppState::aiHooksSourceFilterChanged, this, &AIHooksService::displayFilterChanged);
    connect(&m_store, &HookEventStore::eventsChanged, this, &AIHooksService::eventsChanged);
    connect(&m_installFlow, &HookInstallFlow::errorReported, this, &AIHooksService::setLastError);
    connect(&m_installFlow, &HookInstallFlow::lastInstallMessageChanged, this,
            &AIHooksService::lastInstallMessageChanged);
    connect(&m_installFlow, &HookInstallFlow::hookInstallationStatusChanged, this,
            &AIHooksService::hookInstallationStatusChanged);
    connect(&m_installFlow, &HookInstallFlow::hookAccessStatusChanged, this,
            &AIHooksService::hookAccessStatusChanged);
    connect(&m_installFlow, &HookInstallFlow::installFinished, this, &AIHooksService::installFinished);
    refreshStatus();
    QDir().mkpath(QFileInfo(m_inboxPath).absolutePath());
    // What writes killed midway left beside the inbox and the bridge script.
    AtomicWrite::removeStaleCopies(m_inboxPath);
    AtomicWrite::removeStaleCopies(hookInstallationStatus().bridgeScriptPath);
    if (!QFileInfo::exists(m_inboxPath)) {
        QFile inbox(m_inboxPath);
        if (inbox.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            inbox.write("[]");
    }
}

AIHooksService::~AIHooksService() {
    m_listener.reset();
    m_fileWatch.reset();
    // A read under way finishes first; its result, posted to this object, is then dropped.
    m_inboxReader.waitForDone();
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

quint16 AIHooksService::hookPort() const {
    // The hooks must reach the port the endpoint really listens on.
    const quint16 bound = boundPort();
    return bound != 0 ? bound : m_port;
}

void AIHooksService::startListener() {
    if (m_listener || !m_listenerFactory)
        return;
    const quint64 generation = ++m_listenerGeneration;
    LoopbackListener::Options options;
    options.port = m_port;
    options.deadline = m_listenerDeadline;
    options.maxConnections = m_listenerMaxConnections;
    Clock* clock = m_clock;
    // The handlers run on the listener thread. Decoded events wait in the hand-off queue until the
    // response is out; the main thread is woken once for whatever has gathered by then.
    LoopbackListener::Protocol protocol = HookHttpRequest::protocol();
    m_endpointPort.store(m_port);
    protocol.respond = [this, clock](const QByteArray& received, HookHttpRequest::Framing framing) {
        HookEndpoint::Reply reply =
            HookEndpoint::answer(received, framing, clock->now(), m_endpointPort.load());
        if (reply.statusCode >= 400)
            qCDebug(lcHooks, "hook request refused: %d %s", reply.statusCode, qUtf8Printable(reply.reason));
        if (!reply.events.isEmpty()) {
            const QMutexLocker lock(&m_handoffMutex);
            m_handoff.append(std::move(reply.events));
        }
        return reply.response;
    };
    protocol.afterResponse = [this] {
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
    m_listener = m_listenerFactory(options, std::move(protocol), onFailure);
    QString error;
    if (!m_listener->start(&error)) {
        // The failed listener stays until stopListener(), as a listener that fails later does.
        onListenerFailed(generation, error);
        return;
    }
    m_endpointPort.store(m_listener->boundPort());
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
    m_fileWatch.reset();
}

void AIHooksService::stop() {
    stopListener();
    m_inboxReader.waitForDone();
}

void AIHooksService::startWatchingInbox() {
    if (m_fileWatch)
        return;
    if (m_fileWatchFactory) {
        m_fileWatch = m_fileWatchFactory(m_inboxPath);
        m_fileWatch->start([this] { inboxChanged(); });
    }
    startInboxRead();
}

void AIHooksService::inboxChanged() {
    // Not restarted by later changes: a file written without pause is still read every so often.
    if (!m_inboxSettleTimer.isActive())
        m_inboxSettleTimer.start();
}

void AIHooksService::startInboxRead() {
    if (m_inboxReading) {
        m_inboxReadAgain = true;
        return;
    }
    m_inboxReading = true;
    m_inboxReadAgain = false;
    const QString path = m_inboxPath;
    const QDateTime now = m_clock->now();
    m_inboxReader.start([this, path, now, previous = m_inboxEventIDs, stored = storedIds()] {
        InboxRead read = readInbox(path, now, previous, stored);
        QMetaObject::invokeMethod(
            this,
            [this, read = std::move(read)] {
                m_inboxReading = false;
                applyInbox(read, true);
                if (m_inboxReadAgain)
                    startInboxRead();
            },
            Qt::QueuedConnection);
    });
}

void AIHooksService::refreshFromFile() {
    applyInbox(readInbox(m_inboxPath, m_clock->now(), m_inboxEventIDs, storedIds()));
}

QSet<QUuid> AIHooksService::storedIds() const {
    QSet<QUuid> stored;
    for (const HookEvent& event : m_store.events())
        stored.insert(event.id);
    return stored;
}

AIHooksService::InboxRead AIHooksService::readInbox(const QString& path, const QDateTime& now,
                                                    const QSet<QUuid>& previous, const QSet<QUuid>& stored) {
    InboxRead read;
    QFile inbox(path);
    // What marks a file whose bytes are not read: its size and time.
    const auto statMark = [&path](const QString& problem) {
        const QFileInfo info(path);
        return qHashMulti(0, problem, info.size(), info.lastModified().toMSecsSinceEpoch());
    };
    if (!inbox.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        // A missing inbox holds no events; one that is there and cannot be opened is unreadable.
        if (!inbox.exists()) {
            qCDebug(lcHooks, "file refresh failed: %s", qUtf8Printable(inbox.errorString()));
            return read;
        }
        read.problem = inbox.errorString();
        read.problemMark = statMark(read.problem);
        return read;
    }
    // Read a piece at a time: one read of the whole file copies it into fresh memory in a single
    // system call, which keeps the core from every other thread until it returns, however low
    // this thread's priority (tens of milliseconds for a large inbox on one core).
    QByteArray data;
    data.reserve(qsizetype(std::min<qint64>(inbox.size(), maxInboxBytes) + 1));
    while (data.size() <= maxInboxBytes) {
        const qsizetype before = data.size();
        data.resize(before + qsizetype(std::min<qint64>(inboxReadPiece, maxInboxBytes + 1 - before)));
        const qint64 count = inbox.read(data.data() + before, data.size() - before);
        data.resize(before + qsizetype(std::max<qint64>(count, 0)));
        if (count <= 0)
            break;
    }
    if (data.size() > maxInboxBytes) {
        read.problem = QStringLiteral("it is larger than 8 MiB");
        read.problemMark = statMark(read.problem);
        return read;
    }
    if (data.isEmpty())
        return read;
    // JSON holds no NUL byte; the parser would take one inside a text all the same, and a file
    // holding any is damaged (a block of zeros a crash left in it, say).
    HookEventDecoder::Result decoded;
    if (const qsizetype nul = data.indexOf('\0'); nul >= 0)
        decoded.error = QStringLiteral("it holds a NUL byte at offset %1").arg(nul);
    else
        decoded = HookEventDecoder::decode(data, now);
    if (!decoded.ok) {
        read.problem = decoded.error;
        read.problemMark = qHashMulti(0, read.problem, data);
        return read;
    }
    read.ok = true;
    // An event the inbox already held at the last read was taken then: when it is no longer stored,
    // the cap evicted it or the user dismissed it, and it must not come back as new.
    read.ids.reserve(decoded.events.size());
    for (const HookEvent& event : std::as_const(decoded.events)) {
        read.ids.insert(event.id);
        if (!previous.contains(event.id) && !stored.contains(event.id))
            read.fresh.append(event);
    }
    // The store keeps only the newest of them, the last in file order.
    if (read.fresh.size() > HookEventStore::maxEvents)
        read.fresh = read.fresh.last(HookEventStore::maxEvents);
    return read;
}

void AIHooksService::noteInboxProblem(const InboxRead& read) {
    if (read.problem.isEmpty()) {
        m_toldInboxProblem.reset();
    } else if (m_toldInboxProblem != read.problemMark) {
        qCWarning(lcHooks, "the hooks inbox could not be read: %s", qUtf8Printable(read.problem));
        m_toldInboxProblem = read.problemMark;
    }
    if (m_inboxProblem == read.problem)
        return;
    m_inboxProblem = read.problem;
    emit inboxProblemChanged(m_inboxProblem);
}

void AIHooksService::applyInbox(const InboxRead& read, bool inSteps) {
    noteInboxProblem(read);
    if (!read.ok)
        return;
    // The store may have changed while the file was read.
    QList<HookEvent> fresh;
    for (const HookEvent& event : read.fresh)
        if (!m_inboxEventIDs.contains(event.id) && !m_store.contains(event.id))
            fresh.append(event);
    releaseOnReader(std::exchange(m_inboxEventIDs, read.ids));
    if (fresh.isEmpty())
        return;
    if (!inSteps) {
        // Now, after any still waiting, so that file order holds.
        m_inboxApplyTimer.stop();
        QList<HookEvent> all = std::exchange(m_inboxPending, {});
        all.append(std::move(fresh));
        ingest(all);
        return;
    }
    m_inboxPending.append(std::move(fresh));
    if (!m_inboxApplyTimer.isActive())
        applyPendingInbox();
}

void AIHooksService::releaseOnReader(QSet<QUuid> ids) {
    // A large inbox's set was built on the reader's thread, out of its memory; freed here it
    // would have this thread give that memory back to the system, which waits on whatever the
    // reader does to the process's memory meanwhile. The reader frees it instead; when the
    // reader still shares it, the last of the two frees it there anyway.
    if (ids.size() < releasedOnReaderFrom)
        return;
    m_inboxReader.start([ids = std::move(ids)]() mutable { ids = QSet<QUuid>(); });
}

void AIHooksService::applyPendingInbox() {
    const qsizetype count = std::min(m_inboxPending.size(), inboxEventsPerTurn);
    const QList<HookEvent> now = m_inboxPending.first(count);
    m_inboxPending.remove(0, count);
    // Each step is one change, so the views follow the store step by step.
    if (!now.isEmpty())
        ingest(now);
    if (!m_inboxPending.isEmpty())
        m_inboxApplyTimer.start();
}

void AIHooksService::ingest(const HookEvent& event) {
    ingest(QList<HookEvent>{event});
}

void AIHooksService::ingest(const QList<HookEvent>& events) {
    QList<QList<QUuid>> settled;
    const QList<HookEvent> fresh = m_store.ingest(events, &settled);
    for (qsizetype i = 0; i < events.size(); ++i) {
        traceAccepted(events[i], settled.value(i));
        // A question the tool moved past needs no answer from here any more.
        for (const QUuid& id : settled.value(i))
            m_notifier.withdrawSettled(id);
    }
    for (const HookEvent& event : fresh)
        m_notifier.notify(event);
}

void AIHooksService::traceAccepted(const HookEvent& event, const QList<QUuid>& settled) {
    // Whose event it is and what became of it, never what it says: titles, details, commands
    // and payloads stay out of the log.
    if (!lcHooks().isDebugEnabled())
        return;
    QStringList settledIds;
    for (const QUuid& id : settled)
        settledIds.append(id.toString(QUuid::WithoutBraces));
    qCDebug(lcHooks, "hook event accepted: source=%s event=%s status=%s id=%s settled=%s",
            qUtf8Printable(HookEvent::sourceText(event.source)),
            qUtf8Printable(event.eventName.value_or(QStringLiteral("-"))),
            qUtf8Printable(HookEvent::statusText(event.status)),
            qUtf8Printable(event.id.toString(QUuid::WithoutBraces)),
            settledIds.isEmpty() ? "none" : qUtf8Printable(settledIds.join(QLatin1Char(','))));
}

bool AIHooksService::performAction(const std::optional<HookEvent::Action>& action) {
    QString error;
    if (m_actions.run(action, &error))
        return true;
    if (action)
        setLastError(error);
    return false;
}

bool AIHooksService::runAction(const QUuid& id, HookEvent::Action::Kind kind) {
    const HookEvent* event = m_store.find(id);
    if (!event)
        return false;
    if (!performAction(kind == HookEvent::Action::Kind::approve ? event->approveAction : event->denyAction))
        return false;
    dismiss(id);
    return true;
}

void AIHooksService::dismiss(const QUuid& id) {
    m_store.dismiss(id);
    m_notifier.withdraw(id);
}

void AIHooksService::clear() {
    // The events are gone before anyone hears of the emptied install message; the list's own
    // change is told last.
    const bool hadEvents = !m_store.events().isEmpty();
    {
        const QSignalBlocker quiet(m_store);
        m_store.clear();
    }
    m_notifier.withdrawAll();
    m_inboxPending.clear();
    m_inboxApplyTimer.stop();
    m_installFlow.setLastInstallMessage(QString());
    if (hadEvents)
        emit eventsChanged();
    // Replaced whole: a tool reading the inbox meanwhile sees the old list or the empty one.
    QString error;
    if (!AtomicWrite::replace(m_inboxPath, "[]", &error))
        qCWarning(lcHooks, "inbox not cleared: %s", qUtf8Printable(error));
}

void AIHooksService::withdrawNotifications() {
    m_notifier.withdrawAll();
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
