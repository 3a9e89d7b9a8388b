#pragma once

#include "Brimlark/aihooks/events/AIHookTool.h"
#include "Brimlark/aihooks/events/HookDisplayRules.h"
#include "Brimlark/aihooks/events/HookEvent.h"
#include "Brimlark/aihooks/events/HookEventStore.h"
#include "Brimlark/aihooks/events/HookNotifier.h"
#include "Brimlark/aihooks/install/AIHookAccessStatus.h"
#include "Brimlark/aihooks/install/AIHookInstallationStatus.h"
#include "Brimlark/aihooks/install/HookActionRunner.h"
#include "Brimlark/aihooks/install/HookInstallFlow.h"
#include "platform/FileWatch.h"
#include "platform/LoopbackListener.h"
#include "platform/Notifications.h"

#include <QList>
#include <QMutex>
#include <QObject>
#include <QSet>
#include <QString>
#include <QThreadPool>
#include <QTimer>
#include <QUuid>

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>

class AppState;
class Clock;
class ProcessLauncher;
class Workspace;

// The AI-tool hooks' one service, the object the views talk to: the latest hook events (newest
// first, at most 50, one per id), which of them are shown and which notify, the local HTTP endpoint
// on 127.0.0.1 that tools post events to, the inbox file "hooks/inbox.json" that they may write
// instead, the approve and deny actions, and the tools' hook installation. The store, the display
// rules, the notifier, the actions and the install flow do the work; the service wires them to the
// endpoint and the inbox. Used from the main thread; the endpoint serves its connections on a
// thread of its own and hands decoded events over through queued calls.
class AIHookAccessManager;
class AIHookInstaller;

class AIHooksService : public QObject {
    Q_OBJECT
    Q_PROPERTY(QList<HookEvent> events READ events NOTIFY eventsChanged)
    Q_PROPERTY(bool isListening READ isListening NOTIFY isListeningChanged)
    Q_PROPERTY(quint16 port READ port WRITE setPort NOTIFY portChanged)
    Q_PROPERTY(QString lastError READ lastError NOTIFY lastErrorChanged)
    Q_PROPERTY(QString lastInstallMessage READ lastInstallMessage NOTIFY lastInstallMessageChanged)
    Q_PROPERTY(QString inboxProblem READ inboxProblem NOTIFY inboxProblemChanged)

public:
    static constexpr int maxEvents = HookEventStore::maxEvents;
    static constexpr quint16 defaultPort = 43434;
    // The inbox is read only up to this size; a larger one leaves the store unchanged.
    static constexpr qint64 maxInboxBytes = 8 * 1024 * 1024;
    // The inbox is read this much at a time.
    static constexpr qint64 inboxReadPiece = 256 * 1024;
    // How long events from the endpoint gather before the store takes them, at most.
    static constexpr std::chrono::milliseconds handoffDelay{2};
    // How long a change of the inbox waits for the rest of its burst before the file is read.
    static constexpr std::chrono::milliseconds inboxSettleDelay{30};
    // How many new events of a watched inbox the store takes per turn of the event loop, so that
    // an inbox full of new events never holds the UI thread for long.
    static constexpr qsizetype inboxEventsPerTurn = 10;

    // `supportDirectory` is the program's data folder; the inbox is "hooks/inbox.json" in it and
    // is created holding "[]" when missing. The platform objects may be null: without
    // notifications nothing is posted, without a workspace or a launcher actions fail with a
    // message in lastError(). `clock` gives the time of events that carry none. The factories make
    // the endpoint's listener and the inbox watch; without one, startListener() (or the watch in
    // startWatchingInbox()) does nothing, for services that never listen.
    AIHooksService(AppState& appState, const QString& supportDirectory, Notifications* notifications,
                   Workspace* workspace, ProcessLauncher* launcher, Clock* clock,
                   LoopbackListener::Factory listenerFactory = {}, FileWatch::Factory fileWatchFactory = {},
                   QObject* parent = nullptr);
    // Stops the endpoint and the inbox watch.
    ~AIHooksService() override;

    // The process-wide service, built on first use over the shared settings, the standard data
    // folder, the system clock and the installed platform objects, with folder access and the
    // installer over the user's home folder.
    static AIHooksService& shared();

    // The settings the service was built with.
    AppState& appState() const { return m_appState; }

    const QList<HookEvent>& events() const { return m_store.events(); }
    bool isListening() const { return m_isListening; }
    // The port the endpoint binds; 43434 unless set (0 picks a free port, for tests). Read when
    // the listener starts.
    quint16 port() const { return m_port; }
    void setPort(quint16 port);
    // The port and address actually bound while listening; 0 and empty otherwise.
    quint16 boundPort() const;
    QString boundAddress() const;
    QString lastError() const { return m_lastError; }
    // The clock the service was given (null for none); the page reads its time from it.
    Clock* clock() const { return m_clock; }
    QString lastInstallMessage() const { return m_installFlow.lastInstallMessage(); }
    AIHookInstallationStatus hookInstallationStatus() const { return m_installFlow.hookInstallationStatus(); }
    AIHookAccessStatus hookAccessStatus() const { return m_installFlow.hookAccessStatus(); }
    QString inboxPath() const { return m_inboxPath; }
    // Why the inbox could not be read at its last read ("json parse error: …", "it holds a NUL
    // byte at offset 12", "it is larger than 8 MiB", the system's reason it could not be opened);
    // empty when it was read, or was empty or missing. Each new reason is also logged as a
    // warning, once for as long as the file stays as it is.
    QString inboxProblem() const { return m_inboxProblem; }
    // The ids for which a notification was started (or withheld for want of permission).
    const QSet<QUuid>& notifiedEventIDs() const { return m_notifier.notifiedEventIDs(); }

    // Gives the service its folder access and installer (not owned; they must outlive it).
    // Without them nothing counts as granted or installed, and grant/install report an error.
    void setToolWiring(AIHookAccessManager* accessManager, AIHookInstaller* installer) {
        m_installFlow.setToolWiring(accessManager, installer);
    }

    // Recomputes where the hook wiring lives and what is installed and granted.
    void refreshStatus() { m_installFlow.refreshStatus(); }

    // Asks the user for the tool's folder (a folder picker); the outcome goes to
    // lastInstallMessage() or lastError().
    void grantAccess(AIHookTool tool) { m_installFlow.grantAccess(tool); }
    // Connects the chosen tools: access first (asked for when missing), then the tool's wiring.
    // The claude version is looked up off the main thread, so the install finishes later;
    // installFinished() tells when. A call while one runs joins it: codex asked for while claude's
    // version is looked up is connected by the same run.
    void installHooks(bool claude, bool codex) { m_installFlow.installHooks(claude, codex); }
    bool isInstalling() const { return m_installFlow.isInstalling(); }

    // Starts the endpoint unless a listener exists (a failed one included: stopListener() first).
    // A failure to bind (the port is taken) sets lastError() and is logged.
    void startListener();
    // Stops the endpoint and the inbox watch.
    void stopListener();
    // At quit: stops the endpoint (the request in hand is answered, later ones are not taken) and
    // the inbox watch, and waits for a read of the inbox under way, so that no thread of the
    // service runs once this returns. Events not yet taken by the store are dropped.
    void stop();
    // Starts watching the inbox (once) and reads it. The watch's reads run off this thread: the
    // file is read and decoded by a worker, once for a burst of changes, and only the new events
    // come back to this thread.
    void startWatchingInbox();
    // Reads the inbox now, on this thread, and adds, in file order, the events whose ids are
    // neither in the store nor in the inbox at its last successful read, so that evicted and
    // dismissed events stay away.
    void refreshFromFile();

    // Adds one event: an event with the same id is replaced and the new one goes first; the store
    // keeps the 50 newest; a new id may notify.
    void ingest(const HookEvent& event);
    // The same for each event in order (the last ends first), with one change signal.
    void ingest(const QList<HookEvent>& events);

    // The display filters: the preset and "show other clients"; then the source and status filters.
    bool shouldDisplay(const HookEvent& event) const { return displayRules().shouldDisplay(event); }
    QList<HookEvent> presetFilteredEvents() const { return displayRules().presetFilteredEvents(events()); }
    QList<HookEvent> visibleEvents() const { return displayRules().visibleEvents(events()); }
    // The first visible event that asks, works or failed.
    std::optional<HookEvent> activeEvent() const { return displayRules().activeEvent(events()); }

    // Posts the event's notification once per id, unless muted, filtered out or not permitted, or
    // the event is no longer stored when the permission is known.
    void notify(const HookEvent& event) { m_notifier.notify(event); }
    // What the notification shows, or nothing when it should not be posted now.
    std::optional<NotificationContent> notificationContent(const HookEvent& event) const {
        return m_notifier.notificationContent(event);
    }
    // "ai-hook-" followed by the id in upper-case hexadecimal with hyphens.
    static QString notificationIdentifier(const QUuid& id) {
        return HookNotifier::notificationIdentifier(id);
    }
    // Asks for notification permission when the user was never asked.
    void requestNotificationAuthorization() { m_notifier.requestNotificationAuthorization(); }

    // Runs an action: opens its address (absolute, not a local file) with the workspace, else runs
    // its command in a login shell. True when it started; else lastError() says why (nothing is set
    // for an absent action; an action without an address or a command is an error).
    bool performAction(const std::optional<HookEvent::Action>& action);
    // Runs the stored event's approve or deny action and dismisses the event when it started; an
    // event whose action could not start stays, with lastError() set. False when nothing started.
    bool runAction(const QUuid& id, HookEvent::Action::Kind kind);
    // Removes the event and its shown or pending notification.
    void dismiss(const QUuid& id);
    // Forgets every event, the notified ids and the install message, withdraws the events' shown
    // and pending notifications, and empties the inbox file ("[]") so that its next read does not
    // bring the old events back. A failure to write the inbox is ignored: the store is emptied all
    // the same.
    void clear();
    // Withdraws every shown or pending notification of the stored events (at quit: none outlives
    // the program that could answer it). The events stay.
    void withdrawNotifications();
    // Adds a working claude event, to try the list, the live status and the glow.
    void sendTestEvent();

signals:
    void eventsChanged();
    // A setting that decides which events are shown changed: the visible events may differ.
    void displayFilterChanged();
    void isListeningChanged(bool isListening);
    void portChanged(quint16 port);
    void lastErrorChanged(const QString& lastError);
    void lastInstallMessageChanged(const QString& lastInstallMessage);
    void inboxProblemChanged(const QString& inboxProblem);
    void hookInstallationStatusChanged();
    void hookAccessStatusChanged();
    // An installHooks() call ended, with or without success.
    void installFinished();

private:
    // The display filters as the settings hold them now.
    HookDisplayRules displayRules() const { return HookDisplayRules::of(m_appState); }
    void setIsListening(bool isListening);
    void setLastError(const QString& error);
    quint16 hookPort() const;
    void onListenerFailed(quint64 generation, const QString& error);
    // Takes the events the listener thread decoded since the last call, in arrival order, after
    // handoffDelay.
    void scheduleHandoff();
    // One debug line per accepted event: source, event name, status, id and what it settled.
    static void traceAccepted(const HookEvent& event, const QList<QUuid>& settled);
    void ingestHandoff();

    // One read of the inbox: the ids it holds and the newest of its events whose ids were not
    // known (at most what the store keeps, in file order); nothing when it could not be used, and
    // then why, with a mark of the file as it was read (its bytes, or its size and time when they
    // were not read), so that the same file is told once.
    struct InboxRead {
        bool ok = false;
        QList<HookEvent> fresh;
        QSet<QUuid> ids;
        QString problem;
        size_t problemMark = 0;
    };
    // Reads and decodes the inbox at `path`; touches nothing else, so any thread may run it.
    // Events whose ids are in `previous` (the last read's) or `stored` are not fresh.
    static InboxRead readInbox(const QString& path, const QDateTime& now, const QSet<QUuid>& previous,
                               const QSet<QUuid>& stored);
    // The ids of the stored events.
    QSet<QUuid> storedIds() const;
    // Takes the read's new events: all at once, or `inboxEventsPerTurn` per turn of the event loop.
    void applyInbox(const InboxRead& read, bool inSteps = false);
    // Keeps and tells why the read could not be used, or that it could.
    void noteInboxProblem(const InboxRead& read);
    void applyPendingInbox();
    // Drops `ids` on the reader's thread when it is large.
    void releaseOnReader(QSet<QUuid> ids);
    static constexpr qsizetype releasedOnReaderFrom = 1000;
    // A reported change: the read starts once the burst has settled.
    void inboxChanged();
    void startInboxRead();

    AppState& m_appState;
    Clock* m_clock;
    QString m_inboxPath;

    // Before the notifier, which looks into it, so that it outlives it.
    HookEventStore m_store;
    HookNotifier m_notifier;
    HookActionRunner m_actions;
    HookInstallFlow m_installFlow;
    bool m_isListening = false;
    quint16 m_port = defaultPort;
    // The port requests may name in their Host header, read on the listener thread: the one asked
    // for, then the one bound (they differ when 0 asked for a free one).
    std::atomic<quint16> m_endpointPort{defaultPort};
    QString m_lastError;
    // The ids the inbox held at its last successful read.
    QSet<QUuid> m_inboxEventIDs;
    QString m_inboxProblem;
    // The mark of the unreadable inbox last told in the log.
    std::optional<size_t> m_toldInboxProblem;

    // Events on their way from the listener thread; the only state both threads touch.
    QMutex m_handoffMutex;
    QList<HookEvent> m_handoff;
    bool m_handoffPosted = false;
    QTimer m_handoffTimer;

    LoopbackListener::Factory m_listenerFactory;
    FileWatch::Factory m_fileWatchFactory;
    std::unique_ptr<LoopbackListener> m_listener;
    quint64 m_listenerGeneration = 0;
    std::chrono::milliseconds m_listenerDeadline{5000};
    int m_listenerMaxConnections = LoopbackListener::Options{}.maxConnections;
    std::unique_ptr<FileWatch> m_fileWatch;
    QTimer m_inboxSettleTimer;
    // New inbox events the store takes over the next turns, in file order.
    QList<HookEvent> m_inboxPending;
    QTimer m_inboxApplyTimer;
    // One worker thread, so reads never overlap; a change during a read asks for one more.
    QThreadPool m_inboxReader;
    bool m_inboxReading = false;
    bool m_inboxReadAgain = false;
};
