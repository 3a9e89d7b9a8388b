#include "Brimlark/aihooks/AIHooksService.h"
#include "Brimlark/aihooks/events/LooseEventMapping.h"
#include "Brimlark/aihooks/views/AIHooksView.h"
#include "platform/fake/FakeNotifications.h"
#include "platform/fake/FakeProcessLauncher.h"
#include "platform/fake/FakeWorkspace.h"
#include "platform/linux/kernel/LinuxFileWatch.h"
#include "platform/linux/kernel/LinuxLoopbackListener.h"
#include "tests/support/HookTestClient.h"
#include "tests/support/StateFixture.h"
#include "tests/support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QMutex>
#include <QProcess>
#include <QSaveFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTimeZone>

#include <memory>

using Source = HookEvent::Source;
using Status = HookEvent::Status;
using Kind = HookEvent::Action::Kind;

namespace {

HookEvent makeEvent(Source source, Status status, const QString& eventName = QString(),
                    const QString& toolName = QString()) {
    HookEvent event;
    event.id = QUuid::createUuid();
    event.source = source;
    event.status = status;
    event.title = QStringLiteral("title");
    event.timestamp = QDateTime(QDate(2026, 1, 5), QTime(9, 0), QTimeZone::utc());
    if (!eventName.isNull())
        event.eventName = eventName;
    if (!toolName.isNull())
        event.toolName = toolName;
    return event;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size();
}

// Writes a temporary file beside `path` and renames it over `path`, as editors and tools do.
bool replaceFile(const QString& path, const QByteArray& bytes) {
    const QString temporary = path + QStringLiteral(".tmp");
    return writeFile(temporary, bytes) &&
           ::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) == 0;
}

// A permission request of `source` for `tool`, with `input` as its tool input unless empty.
QByteArray permissionRequest(const char* source, const char* tool, const QJsonObject& input = {}) {
    QJsonObject request{{QStringLiteral("source"), QLatin1String(source)},
                        {QStringLiteral("event"), QStringLiteral("PermissionRequest")},
                        {QStringLiteral("tool_name"), QLatin1String(tool)}};
    if (!input.isEmpty())
        request.insert(QStringLiteral("tool_input"), input);
    return QJsonDocument(request).toJson(QJsonDocument::Compact);
}

QByteArray inboxEvent(const char* session, const char* event = "PermissionRequest") {
    return QByteArray(R"({"source":"claude","event":")") + event + R"(","tool_name":"Bash","session_id":")" +
           session + R"(","timestamp":"2025-01-31T09:30:00.250000+00:00"})";
}

// The lines written in the hook pipeline's logging category while it lives, from any thread.
class HookLogCapture {
public:
    HookLogCapture() {
        QLoggingCategory::setFilterRules(QStringLiteral("com.brimlark.app.hooks.debug=true"));
        s_lines.clear();
        s_previous = qInstallMessageHandler(&HookLogCapture::handle);
    }
    ~HookLogCapture() { qInstallMessageHandler(s_previous); }
    static QStringList lines() {
        const QMutexLocker lock(&s_mutex);
        return s_lines;
    }

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (context.category && qstrcmp(context.category, "com.brimlark.app.hooks") == 0) {
            const QMutexLocker lock(&s_mutex);
            s_lines.append(message);
        }
        if (s_previous)
            s_previous(type, context, message);
    }
    static inline QMutex s_mutex;
    static inline QStringList s_lines;
    static inline QtMessageHandler s_previous = nullptr;
};

} // namespace

class TestAIHooksService : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<StateFixture> f;
    std::unique_ptr<FakeNotifications> m_notifications;
    std::unique_ptr<FakeWorkspace> m_workspace;
    std::unique_ptr<FakeProcessLauncher> m_launcher;
    std::unique_ptr<AIHooksService> m_service;
    QString m_support;

    AIHooksService& service() { return *m_service; }

private slots:
    void init() {
        f = std::make_unique<StateFixture>();
        m_support = f->dir.filePath(QStringLiteral("support"));
        m_notifications = std::make_unique<FakeNotifications>();
        m_workspace = std::make_unique<FakeWorkspace>();
        m_launcher = std::make_unique<FakeProcessLauncher>();
        m_service = std::make_unique<AIHooksService>(
            f->appState, m_support, m_notifications.get(), m_workspace.get(), m_launcher.get(), &f->clock,
            LinuxLoopbackListener::factory(), LinuxFileWatch::factory());
        m_service->setPort(0);
    }

    void cleanup() { m_service.reset(); }

    void startsEmptyWithTheInboxCreated() {
        QVERIFY(service().events().isEmpty());
        QVERIFY(!service().isListening());
        QCOMPARE(AIHooksService(f->appState, m_support, nullptr, nullptr, nullptr, nullptr).port(),
                 quint16(43434));
        QCOMPARE(service().inboxPath(), m_support + QStringLiteral("/hooks/inbox.json"));
        QFile inbox(service().inboxPath());
        QVERIFY(inbox.open(QIODevice::ReadOnly));
        QCOMPARE(inbox.readAll(), QByteArray("[]"));
    }

    void statusReportsNothingGrantedOrInstalled() {
        service().refreshStatus();
        QVERIFY(!service().hookAccessStatus().claudeGranted);
        QVERIFY(!service().hookAccessStatus().codexGranted);
        const AIHookInstallationStatus status = service().hookInstallationStatus();
        QVERIFY(!status.claudeInstalled);
        QVERIFY(!status.codexInstalled);
        QCOMPARE(status.bridgeScriptPath, m_support + QStringLiteral("/hooks/brimlark-hook-bridge.py"));
        QCOMPARE(status.claudeSettingsPath, QDir::homePath() + QStringLiteral("/.claude/settings.json"));
        QCOMPARE(status.codexConfigPath, QDir::homePath() + QStringLiteral("/.codex/config.toml"));
        QCOMPARE(status.codexHooksPath, QDir::homePath() + QStringLiteral("/.codex/hooks.json"));
    }

    void keepsTheFiftyNewest() {
        QList<HookEvent> all;
        for (int i = 0; i < 51; ++i) {
            all.append(makeEvent(Source::claude, Status::working, QStringLiteral("Stop")));
            service().ingest(all.last());
        }
        QCOMPARE(service().events().size(), 50);
        QCOMPARE(service().events().first().id, all.last().id);
        QCOMPARE(service().events().last().id, all.at(1).id);
    }

    void aRepeatedIdReplacesAndMovesToTheTopWithoutASecondNotification() {
        HookEvent asking = makeEvent(Source::claude, Status::asking, QStringLiteral("PermissionRequest"));
        service().ingest(asking);
        service().ingest(
            makeEvent(Source::codex, Status::working, QStringLiteral("Stop"), QStringLiteral("Edit")));
        asking.title = QStringLiteral("changed");
        QSignalSpy changes(&service(), &AIHooksService::eventsChanged);
        service().ingest(asking);
        QCOMPARE(changes.count(), 1);
        QCOMPARE(service().events().size(), 2);
        QCOMPARE(service().events().first().title, QStringLiteral("changed"));
        QCOMPARE(m_notifications->added.size(), 1);
    }

    void anAskingEventNotifiesOnce() {
        HookEvent event = makeEvent(Source::codex, Status::asking, QStringLiteral("PermissionRequest"));
        event.title = QStringLiteral("approve <b>shell</b> & more");
        event.detail = QStringLiteral("detail");
        service().ingest(event);
        QCOMPARE(m_notifications->added.size(), 1);
        const FakeNotifications::Added& added = m_notifications->added.first();
        QCOMPARE(added.identifier,
                 QStringLiteral("ai-hook-") + event.id.toString(QUuid::WithoutBraces).toUpper());
        QCOMPARE(added.content.title, QStringLiteral("codex is asking"));
        QCOMPARE(added.content.subtitle, QStringLiteral("codex"));
        QCOMPARE(added.content.body, QStringLiteral("approve <b>shell</b> & more"));
        QVERIFY(added.content.sound);
        QVERIFY(!added.delay);
        QVERIFY(service().notifiedEventIDs().contains(event.id));
    }

    // Asking events with ever new ids: what is kept to notify once never outgrows the store.
    void theNotifiedIdsNeverOutgrowTheStore_data() {
        QTest::addColumn<int>("batch");
        QTest::newRow("one at a time") << 1;
        QTest::newRow("batches larger than the store") << 80;
    }

    void theNotifiedIdsNeverOutgrowTheStore() {
        QFETCH(int, batch);
        qsizetype most = 0;
        for (int sent = 0; sent < 100000; sent += batch) {
            QList<HookEvent> events;
            for (int i = 0; i < batch; ++i)
                events.append(makeEvent(Source::claude, Status::asking, QStringLiteral("PermissionRequest")));
            if (batch == 1)
                service().ingest(events.first());
            else
                service().ingest(events);
            most = std::max(most, service().notifiedEventIDs().size());
            QVERIFY(service().notifiedEventIDs().size() <= service().events().size());
        }
        QCOMPARE(most, qsizetype(HookEventStore::maxEvents));
        for (const HookEvent& event : service().events())
            QVERIFY(service().notifiedEventIDs().contains(event.id));
    }

    // Two requests of one tool read differently: the body's second line is the start of what the
    // call would run or touch, on one line.
    void theBodyShowsWhatWouldBeApproved_data() {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QString>("body");
        const auto bash = [](const QString& command) {
            return permissionRequest("claude", "Bash", {{QStringLiteral("command"), command}});
        };
        QTest::newRow("rm") << bash(QStringLiteral("rm -rf build/ && npm run build"))
                            << "approve bash\nrm -rf build/ && npm run build";
        QTest::newRow("push") << bash(QStringLiteral("git push --force origin main"))
                              << "approve bash\ngit push --force origin main";
        QTest::newRow("a long script on several lines")
            << bash(QStringLiteral("for f in *.log\ndo\n  gzip \"$f\"\ndone && ") +
                    QString(300, QLatin1Char('x')))
            << QStringLiteral("approve bash\nfor f in *.log do gzip \"$f\" done && ") +
                   QString(243, QLatin1Char('x')) + QChar(0x2026);
        // Past what a row shows, the body still tells two such commands apart.
        const QString cd = QStringLiteral("cd /home/dev/projects/brimlark-website/packages/frontend/src && ");
        QTest::newRow("alike for a row's length, first")
            << bash(cd + QStringLiteral("rm -rf build"))
            << QStringLiteral("approve bash\n") + cd + "rm -rf build";
        QTest::newRow("alike for a row's length, second")
            << bash(cd + QStringLiteral("rm -rf node_modules"))
            << QStringLiteral("approve bash\n") + cd + "rm -rf node_modules";
        QTest::newRow("codex, a command as words")
            << permissionRequest("codex", "shell",
                                 {{QStringLiteral("command"), QJsonArray{"bash", "-lc", "ls -la"}}})
            << "approve shell\nbash -lc ls -la";
        QTest::newRow("an edit names its file")
            << permissionRequest("claude", "Edit",
                                 {{QStringLiteral("file_path"), QStringLiteral("/src/Main.cpp")},
                                  {QStringLiteral("old_string"), QStringLiteral("a")},
                                  {QStringLiteral("new_string"), QStringLiteral("b")}})
            << "approve edit\n/src/Main.cpp";
        QTest::newRow("no tool input") << permissionRequest("claude", "Bash") << "approve bash";
    }
    void theBodyShowsWhatWouldBeApproved() {
        QFETCH(QByteArray, payload);
        QFETCH(QString, body);
        const HookEvent event = LooseEventMapping::eventFromDictionary(
            QJsonDocument::fromJson(payload).object(), QDateTime::currentDateTimeUtc());
        QCOMPARE(event.status, Status::asking);
        QCOMPARE(service().notificationContent(event)->body, body);
    }

    void theBodyFallsBackInOrder() {
        HookEvent event = makeEvent(Source::claude, Status::asking);
        event.title = QString();
        event.detail = QString();
        event.eventName = QStringLiteral("Ask");
        QCOMPARE(service().notificationContent(event)->body, QStringLiteral("Ask"));
        event.eventName.reset();
        QCOMPARE(service().notificationContent(event)->body,
                 QStringLiteral("Brimlark has an update for you."));
        QCOMPARE(service().notificationContent(event)->title, QStringLiteral("claude is asking"));
    }

    void otherClientsNeverNotify() {
        f->appState.setShowOtherHookClients(true);
        service().ingest(makeEvent(Source::other, Status::asking, QStringLiteral("PermissionRequest")));
        QCOMPARE(service().events().size(), 1);
        QVERIFY(m_notifications->added.isEmpty());
    }

    void mutedEventsAreNotRecorded() {
        f->appState.setNotificationsMuted(true);
        const HookEvent event = makeEvent(Source::claude, Status::asking);
        service().ingest(event);
        QVERIFY(!service().notifiedEventIDs().contains(event.id));
        f->appState.setNotificationsMuted(false);
        service().ingest(event);
        QVERIFY(m_notifications->added.isEmpty());
    }

    void withoutPermissionTheIdIsRecordedAnyway() {
        m_notifications->authorization = NotificationAuthorization::denied;
        const HookEvent event = makeEvent(Source::claude, Status::asking);
        service().ingest(event);
        QVERIFY(service().notifiedEventIDs().contains(event.id));
        QVERIFY(m_notifications->added.isEmpty());
        m_notifications->authorization = NotificationAuthorization::provisional;
        service().notify(event);
        QVERIFY(m_notifications->added.isEmpty());
        service().dismiss(event.id);
        service().ingest(event);
        QCOMPARE(m_notifications->added.size(), 1);
    }

    void aLateAuthorisationPostsOnlyForEventsStillStored() {
        m_notifications->holdAuthorization = true;
        const HookEvent dismissed = makeEvent(Source::claude, Status::asking);
        const HookEvent kept = makeEvent(Source::codex, Status::asking);
        service().ingest(QList<HookEvent>{dismissed, kept});
        service().dismiss(dismissed.id);
        m_notifications->answerHeldAuthorizations();
        QCOMPARE(m_notifications->added.size(), 1);
        QCOMPARE(m_notifications->added.first().identifier, AIHooksService::notificationIdentifier(kept.id));

        service().ingest(makeEvent(Source::claude, Status::asking));
        service().clear();
        m_notifications->answerHeldAuthorizations();
        QCOMPARE(m_notifications->added.size(), 1);
    }

    void aFailedPostIsLogged() {
        m_notifications->addError = QStringLiteral("server gone");
        QTest::ignoreMessage(QtCriticalMsg, "hook notification failed: server gone");
        service().ingest(makeEvent(Source::claude, Status::asking));
    }

    void requestsPermissionOnlyWhenNeverAsked() {
        service().requestNotificationAuthorization();
        QCOMPARE(m_notifications->authorizationRequests, 0);
        m_notifications->authorization = NotificationAuthorization::notDetermined;
        service().requestNotificationAuthorization();
        QCOMPARE(m_notifications->authorizationRequests, 1);
    }

    void focusedPreset() {
        f->appState.setHookRulePreset(AppState::HookRulePreset::focused);
        QVERIFY(service().shouldDisplay(
            makeEvent(Source::claude, Status::working, QStringLiteral("X"), QString(""))));
        QVERIFY(service().shouldDisplay(
            makeEvent(Source::claude, Status::working, QStringLiteral("UserPromptSubmit"))));
        QVERIFY(!service().shouldDisplay(
            makeEvent(Source::claude, Status::working, QStringLiteral("PreToolUse"))));
        QVERIFY(service().shouldDisplay(
            makeEvent(Source::claude, Status::finished, QStringLiteral("PostToolUse"))));
        QVERIFY(
            !service().shouldDisplay(makeEvent(Source::claude, Status::finished, QStringLiteral("Done"))));
        QVERIFY(!service().shouldDisplay(
            makeEvent(Source::claude, Status::idle, QStringLiteral("Stop"), "Edit")));
        QVERIFY(service().shouldDisplay(makeEvent(Source::codex, Status::error)));
        QVERIFY(service().shouldDisplay(makeEvent(Source::codex, Status::asking)));
    }

    void approvalsOnlyPreset() {
        f->appState.setHookRulePreset(AppState::HookRulePreset::approvalsOnly);
        QVERIFY(service().shouldDisplay(makeEvent(Source::claude, Status::finished, QStringLiteral("Stop"))));
        QVERIFY(!service().shouldDisplay(
            makeEvent(Source::claude, Status::finished, QStringLiteral("PostToolUse"))));
        QVERIFY(service().shouldDisplay(
            makeEvent(Source::claude, Status::working, QStringLiteral("SessionStart"))));
        QVERIFY(service().shouldDisplay(makeEvent(Source::claude, Status::asking)));
    }

    void fullFeedAndOtherClients() {
        f->appState.setHookRulePreset(AppState::HookRulePreset::fullFeed);
        QVERIFY(service().shouldDisplay(makeEvent(Source::claude, Status::idle)));
        QVERIFY(service().shouldDisplay(makeEvent(Source::other, Status::idle)));
        f->appState.setShowOtherHookClients(false);
        QVERIFY(!service().shouldDisplay(makeEvent(Source::other, Status::asking)));
        // Hidden events are not announced either.
        service().ingest(makeEvent(Source::other, Status::asking));
        QVERIFY(m_notifications->added.isEmpty());
    }

    void filtersAndTheActiveEvent() {
        f->appState.setHookRulePreset(AppState::HookRulePreset::fullFeed);
        const HookEvent working = makeEvent(Source::codex, Status::working);
        const HookEvent asking = makeEvent(Source::claude, Status::asking);
        const HookEvent idle = makeEvent(Source::claude, Status::idle);
        const HookEvent finished = makeEvent(Source::claude, Status::finished);
        service().ingest(QList<HookEvent>{working, asking, idle, finished});
        QCOMPARE(service().events().size(), 4);
        QCOMPARE(service().events().first().id, finished.id);
        QCOMPARE(service().activeEvent()->id, asking.id);
        f->appState.setAiHooksSourceFilter(AppState::AIHooksSourceFilter::codex);
        QCOMPARE(service().visibleEvents().size(), 1);
        QCOMPARE(service().activeEvent()->id, working.id);
        f->appState.setAiHooksStatusFilter(AppState::AIHooksStatusFilter::asking);
        QVERIFY(!service().activeEvent());
        f->appState.setHookRulePreset(AppState::HookRulePreset::approvalsOnly);
        f->appState.setAiHooksSourceFilter(AppState::AIHooksSourceFilter::all);
        f->appState.setAiHooksStatusFilter(AppState::AIHooksStatusFilter::all);
        QCOMPARE(service().presetFilteredEvents().size(), 1);
    }

    void actionsOpenAddressesOrRunCommands() {
        HookEvent::Action both{Kind::approve, QStringLiteral("Allow"), QStringLiteral("touch x"),
                               QUrl(QStringLiteral("https://example.com/a"))};
        QVERIFY(service().performAction(both));
        QCOMPARE(m_workspace->openedUrls, QList<QUrl>{QUrl(QStringLiteral("https://example.com/a"))});
        QVERIFY(m_launcher->commands.isEmpty());

        HookEvent::Action command{Kind::deny, QStringLiteral("Deny"), QStringLiteral("echo no"),
                                  std::nullopt};
        QVERIFY(service().performAction(command));
        QCOMPARE(m_launcher->commands, QStringList{QStringLiteral("echo no")});

        QVERIFY(!service().performAction(std::nullopt));
        QVERIFY(service().lastError().isEmpty());
        QCOMPARE(m_launcher->commands.size(), 1);
    }

    void anActionWithNothingToRunIsAnErrorAndKeepsTheEvent() {
        HookEvent event = makeEvent(Source::claude, Status::asking);
        event.approveAction = HookEvent::Action{Kind::approve, QStringLiteral("Allow"), QString(), {}};
        service().ingest(event);
        QVERIFY(!service().runAction(event.id, Kind::approve));
        QCOMPARE(service().lastError(), QStringLiteral("could not run allow: no command"));
        QCOMPARE(service().events().size(), 1);
        QVERIFY(m_launcher->commands.isEmpty());
    }

    void unsupportedAddressesAreRefused_data() {
        QTest::addColumn<QString>("url");
        QTest::newRow("file") << "file:///etc/passwd";
        QTest::newRow("file in capitals") << "FILE:///tmp/x";
        QTest::newRow("relative") << "relative/path";
    }

    void unsupportedAddressesAreRefused() {
        QFETCH(QString, url);
        HookEvent::Action action{Kind::approve, QStringLiteral("Open It"), QStringLiteral("true"), QUrl(url)};
        QVERIFY(!service().performAction(action));
        QCOMPARE(service().lastError(), QStringLiteral("could not open open it: unsupported address"));
        QVERIFY(m_workspace->openedUrls.isEmpty());
        QVERIFY(m_launcher->commands.isEmpty());
    }

    void aCommandThatCannotStartSetsTheError() {
        m_launcher->failure = QStringLiteral("no shell found");
        HookEvent::Action action{Kind::approve, QStringLiteral("Approve"), QStringLiteral("true"),
                                 std::nullopt};
        QVERIFY(!service().performAction(action));
        QCOMPARE(service().lastError(), QStringLiteral("could not run approve: no shell found"));
    }

    void runningAnActionDismissesOnlyWhenItStarted() {
        HookEvent event = makeEvent(Source::claude, Status::asking);
        event.approveAction =
            HookEvent::Action{Kind::approve, QStringLiteral("approve"), QStringLiteral("yes"), {}};
        event.denyAction = HookEvent::Action{Kind::deny, QStringLiteral("deny"), QStringLiteral("no"), {}};
        service().ingest(event);

        m_launcher->failure = QStringLiteral("boom");
        QVERIFY(!service().runAction(event.id, Kind::deny));
        QCOMPARE(service().events().size(), 1);
        QCOMPARE(service().lastError(), QStringLiteral("could not run deny: boom"));

        m_launcher->failure.clear();
        QVERIFY(service().runAction(event.id, Kind::approve));
        QVERIFY(service().events().isEmpty());
        QCOMPARE(m_launcher->commands.last(), QStringLiteral("yes"));
        QVERIFY(!service().runAction(event.id, Kind::approve));
    }

    void dismissRemovesTheEventAndItsNotification() {
        const HookEvent event = makeEvent(Source::claude, Status::asking);
        service().ingest(event);
        service().dismiss(event.id);
        QVERIFY(service().events().isEmpty());
        QVERIFY(!service().notifiedEventIDs().contains(event.id));
        const QString identifier = AIHooksService::notificationIdentifier(event.id);
        QCOMPARE(m_notifications->removedDelivered, QStringList{identifier});
        QCOMPARE(m_notifications->removedPending, QStringList{identifier});
    }

    // Clearing the list and quitting take back every question told of, as settling one does.
    void clearingAndQuittingWithdrawTheNotifications_data() {
        QTest::addColumn<bool>("quitting");
        QTest::newRow("clear") << false;
        QTest::newRow("quit") << true;
    }
    void clearingAndQuittingWithdrawTheNotifications() {
        QFETCH(bool, quitting);
        const HookEvent first = makeEvent(Source::claude, Status::asking);
        const HookEvent second = makeEvent(Source::codex, Status::asking);
        service().ingest(QList<HookEvent>{first, second, makeEvent(Source::claude, Status::working)});
        QCOMPARE(m_notifications->added.size(), 2);
        if (quitting)
            service().withdrawNotifications();
        else
            service().clear();
        QStringList withdrawn = m_notifications->removedDelivered;
        withdrawn.sort();
        QStringList expected{AIHooksService::notificationIdentifier(first.id),
                             AIHooksService::notificationIdentifier(second.id)};
        expected.sort();
        QCOMPARE(withdrawn, expected);
        QCOMPARE(service().events().size(), quitting ? 3 : 0);
        QVERIFY(service().notifiedEventIDs().isEmpty());
    }

    void aSettledQuestionTakesItsNotificationBack_data() {
        QTest::addColumn<QString>("laterEvent");
        QTest::addColumn<QString>("laterTool");
        QTest::addColumn<QString>("laterSession");
        QTest::addColumn<bool>("heldAnswer"); // the permission is answered after the settling
        QTest::addColumn<bool>("withdrawn");
        QTest::newRow("the turn ends") << "Stop"
                                       << ""
                                       << "s1" << false << true;
        QTest::newRow("the asked tool call ends") << "PostToolUse"
                                                  << "Bash"
                                                  << "s1" << false << true;
        QTest::newRow("another tool call ends") << "PostToolUse"
                                                << "Edit"
                                                << "s1" << false << false;
        QTest::newRow("another session moves on") << "Stop"
                                                  << ""
                                                  << "s2" << false << false;
        QTest::newRow("settled before the permission answered") << "Stop"
                                                                << ""
                                                                << "s1" << true << true;
    }

    // A question the tool moved past without an answer from here no longer asks on the desktop, as
    // one answered with allow or deny does not; the settled event stays listed.
    void aSettledQuestionTakesItsNotificationBack() {
        QFETCH(QString, laterEvent);
        QFETCH(QString, laterTool);
        QFETCH(QString, laterSession);
        QFETCH(bool, heldAnswer);
        QFETCH(bool, withdrawn);
        m_notifications->holdAuthorization = heldAnswer;
        HookEvent question = makeEvent(Source::claude, Status::asking, QStringLiteral("PermissionRequest"),
                                       QStringLiteral("Bash"));
        question.sessionID = QStringLiteral("s1");
        service().ingest(question);
        HookEvent later = makeEvent(Source::claude, Status::working, laterEvent,
                                    laterTool.isEmpty() ? QString() : laterTool);
        later.sessionID = laterSession;
        service().ingest(later);
        m_notifications->answerHeldAuthorizations();

        const QString identifier = AIHooksService::notificationIdentifier(question.id);
        // Posted only while it still asked; never posted once settled.
        QCOMPARE(m_notifications->added.size(), heldAnswer ? 0 : 1);
        QCOMPARE(m_notifications->removedDelivered, withdrawn ? QStringList{identifier} : QStringList{});
        QCOMPARE(m_notifications->removedPending, withdrawn ? QStringList{identifier} : QStringList{});
        QCOMPARE(service().events().size(), 2);
    }

    void theTestEventNeverNotifies() {
        service().sendTestEvent();
        QCOMPARE(service().events().size(), 1);
        const HookEvent& event = service().events().first();
        QCOMPARE(event.source, Source::claude);
        QCOMPARE(event.status, Status::working);
        QCOMPARE(event.title, QStringLiteral("claude is coding"));
        QCOMPARE(event.toolName, QStringLiteral("Edit"));
        QCOMPARE(event.timestamp, f->clock.now());
        QVERIFY(m_notifications->added.isEmpty());
    }

    void theInboxIsWatched() {
        service().startWatchingInbox();
        const QString inbox = service().inboxPath();
        QVERIFY(writeFile(inbox, "[" + inboxEvent("a") + "," + inboxEvent("b") + "]"));
        QTRY_COMPARE(service().events().size(), 2);
        QCOMPARE(service().events().first().sessionID, QStringLiteral("b"));
        QCOMPARE(m_notifications->added.size(), 2);

        // An atomic replace with the same events adds nothing and notifies nobody again.
        QSignalSpy changes(&service(), &AIHooksService::eventsChanged);
        QVERIFY(replaceFile(inbox, "[" + inboxEvent("a") + "," + inboxEvent("b") + "]"));
        QTest::qWait(300);
        QCOMPARE(service().events().size(), 2);
        QCOMPARE(changes.count(), 0);

        // The replaced file is still watched.
        QVERIFY(writeFile(inbox, "[" + inboxEvent("c") + "]"));
        QTRY_COMPARE(service().events().size(), 3);
        QCOMPARE(service().events().first().sessionID, QStringLiteral("c"));

        // So is a file made anew after a deletion.
        QVERIFY(QFile::remove(inbox));
        QTest::qWait(100);
        QVERIFY(writeFile(inbox, "[" + inboxEvent("d") + "]"));
        QTRY_COMPARE(service().events().size(), 4);
        QCOMPARE(m_notifications->added.size(), 4);
    }

    void anInboxWithoutTimesIsNotReAdded() {
        service().startWatchingInbox();
        const QByteArray contents = R"([{"source":"codex","event":"PermissionRequest","tool":"shell"}])";
        QVERIFY(writeFile(service().inboxPath(), contents));
        QTRY_COMPARE(service().events().size(), 1);
        f->clock.advance(std::chrono::minutes(5));
        QVERIFY(replaceFile(service().inboxPath(), contents));
        QTest::qWait(300);
        QCOMPARE(service().events().size(), 1);
        QCOMPARE(m_notifications->added.size(), 1);
    }

    void newInboxEventsArriveInFileOrder() {
        QVERIFY(writeFile(service().inboxPath(), "[" + inboxEvent("1", "Stop") + "," +
                                                     inboxEvent("2", "Stop") + "," + inboxEvent("3", "Stop") +
                                                     "]"));
        service().refreshFromFile();
        QCOMPARE(service().events().size(), 3);
        QCOMPARE(service().events().at(0).sessionID, QStringLiteral("3"));
        QCOMPARE(service().events().at(2).sessionID, QStringLiteral("1"));
        // Reading never writes the file back.
        QFile inbox(service().inboxPath());
        QVERIFY(inbox.open(QIODevice::ReadOnly));
        QVERIFY(inbox.readAll().startsWith("[{\"source\""));
    }

    void aDismissedInboxEventStaysAwayUntilTheInboxDropsIt() {
        QVERIFY(writeFile(service().inboxPath(), "[" + inboxEvent("x") + "]"));
        service().refreshFromFile();
        const QUuid handled = service().events().first().id;
        service().dismiss(handled);

        // The tool adds an event: the handled one neither comes back nor notifies again.
        QVERIFY(writeFile(service().inboxPath(), "[" + inboxEvent("x") + "," + inboxEvent("y") + "]"));
        service().refreshFromFile();
        QCOMPARE(service().events().size(), 1);
        QCOMPARE(service().events().first().sessionID, QStringLiteral("y"));
        QCOMPARE(m_notifications->added.size(), 2);
        QVERIFY(!service().runAction(handled, Kind::approve));

        // Once a read finds it gone (here after "clear"), the same event is new again.
        service().clear();
        service().refreshFromFile();
        QVERIFY(writeFile(service().inboxPath(), "[" + inboxEvent("x") + "]"));
        service().refreshFromFile();
        QCOMPARE(service().events().size(), 1);
        QCOMPARE(service().events().first().id, handled);
    }

    void rereadingABigInboxKeepsTheNewestOnTop() {
        const auto inboxOf = [](int last) {
            QByteArrayList events;
            for (int i = 1; i <= last; ++i)
                events.append(inboxEvent(QByteArray::number(i).constData()));
            return "[" + events.join(',') + "]";
        };
        QVERIFY(writeFile(service().inboxPath(), inboxOf(60)));
        service().refreshFromFile();
        QCOMPARE(service().events().size(), 50);
        QCOMPARE(service().events().first().sessionID, QStringLiteral("60"));
        QCOMPARE(service().events().last().sessionID, QStringLiteral("11"));
        const qsizetype notified = m_notifications->added.size();

        // The same bytes again: the ten events the cap evicted stay out.
        QSignalSpy changes(&service(), &AIHooksService::eventsChanged);
        QVERIFY(writeFile(service().inboxPath(), inboxOf(60)));
        service().refreshFromFile();
        QCOMPARE(changes.count(), 0);
        QCOMPARE(service().events().first().sessionID, QStringLiteral("60"));
        QCOMPARE(m_notifications->added.size(), notified);

        // One more line: only it is added, on top.
        QVERIFY(writeFile(service().inboxPath(), inboxOf(61)));
        service().refreshFromFile();
        QCOMPARE(service().events().size(), 50);
        QCOMPARE(service().events().at(0).sessionID, QStringLiteral("61"));
        QCOMPARE(service().events().at(1).sessionID, QStringLiteral("60"));
        QCOMPARE(service().events().last().sessionID, QStringLiteral("12"));
        QCOMPARE(m_notifications->added.size(), notified + 1);
        QCOMPARE(m_notifications->added.last().identifier,
                 AIHooksService::notificationIdentifier(service().events().first().id));
    }

    void unusableInboxesLeaveTheStoreUnchanged() {
        service().ingest(makeEvent(Source::claude, Status::working));
        QVERIFY(writeFile(service().inboxPath(), "not json"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(
                                               "^the hooks inbox could not be read: json parse error")));
        service().refreshFromFile();
        QVERIFY(writeFile(service().inboxPath(), ""));
        service().refreshFromFile();

        // Exactly 8 MiB, its event at the very end: read whole.
        const QByteArray last = inboxEvent("last") + "]";
        QByteArray full = "[" + QByteArray(AIHooksService::maxInboxBytes - 1 - last.size(), ' ') + last;
        QVERIFY(writeFile(service().inboxPath(), full));
        service().refreshFromFile();
        QCOMPARE(service().events().size(), 2);
        QCOMPARE(service().events().first().sessionID, QStringLiteral("last"));

        // Larger than 8 MiB: not read at all, although it holds valid events.
        QByteArray big = "[" + inboxEvent("big") + "]";
        big.append(QByteArray(AIHooksService::maxInboxBytes, ' '));
        QVERIFY(writeFile(service().inboxPath(), big));
        QTest::ignoreMessage(QtWarningMsg, "the hooks inbox could not be read: it is larger than 8 MiB");
        service().refreshFromFile();
        QCOMPARE(service().events().size(), 2);

        QVERIFY(QFile::remove(service().inboxPath()));
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^file refresh failed: ")));
        service().refreshFromFile();
        QCOMPARE(service().events().size(), 2);
    }

    // An inbox that cannot be read is logged once for as long as it stays as it is, and the page
    // says so until a readable one takes its place.
    void anUnreadableInboxIsTold_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("reason");
        const QByteArray event = inboxEvent("a");
        QTest::newRow("cut short") << "[" + event.left(40) << "json parse error: ";
        QTest::newRow("a number") << QByteArray("42") << "the data is not an event";
        QTest::newRow("NUL in a text")
            << "[" + QByteArray(event).replace("claude", QByteArray("cl\0ude", 6)) + "]"
            << "it holds a NUL byte at offset 14";
        QTest::newRow("not UTF-8") << "[" + QByteArray(event).replace("claude", "cl\xff\xfeude") + "]"
                                   << "json parse error: invalid UTF8 string";
    }
    void anUnreadableInboxIsTold() {
        QFETCH(QByteArray, contents);
        QFETCH(QString, reason);
        const HookLogCapture log;
        const auto told = [] {
            return HookLogCapture::lines().filter(QStringLiteral("inbox could not be read")).size();
        };
        AIHooksView page(service());
        service().startWatchingInbox();
        const QString inbox = service().inboxPath();
        // At the default level, as a warning.
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("^the hooks inbox could not be read: ") +
                                                QRegularExpression::escape(reason)));
        QVERIFY(writeFile(inbox, contents));
        QTRY_COMPARE(told(), 1);
        QVERIFY2(service().inboxProblem().startsWith(reason), qPrintable(service().inboxProblem()));
        QCOMPARE(page.inboxLine(),
                 QStringLiteral("the hooks inbox could not be read: ") + service().inboxProblem());
        // The same bytes written again are not told again.
        QVERIFY(writeFile(inbox, contents));
        service().refreshFromFile();
        QTest::qWait(200);
        QCOMPARE(told(), 1);
        QVERIFY(writeFile(inbox, "[" + inboxEvent("b") + "]"));
        QTRY_COMPARE(service().events().size(), 1);
        QCOMPARE(service().inboxProblem(), QString());
        QCOMPARE(page.inboxLine(), QString());
        QCOMPARE(told(), 1);
    }

    void theEndpointFeedsTheStore() {
        QSignalSpy listening(&service(), &AIHooksService::isListeningChanged);
        service().startListener();
        QVERIFY(service().isListening());
        QCOMPARE(listening.count(), 1);
        QCOMPARE(service().boundAddress(), QStringLiteral("127.0.0.1"));
        const quint16 port = service().boundPort();
        QVERIFY(port != 0);

        const QByteArray response = HookTestClient::exchange(
            port, hookPost(R"({"source":"claude","event":"PermissionRequest","tool_name":"Bash"})"));
        QCOMPARE(response, hookResponse("HTTP/1.1 200 OK", R"({"ok":true})"));
        QTRY_COMPARE(service().events().size(), 1);
        const HookEvent& event = service().events().first();
        QCOMPARE(event.source, Source::claude);
        QCOMPARE(event.status, Status::asking);
        QCOMPARE(event.title, QStringLiteral("approve bash"));
        QCOMPARE(event.timestamp, f->clock.now());
        QCOMPARE(m_notifications->added.size(), 1);

        // A second start changes nothing; a stop closes the port.
        service().startListener();
        QCOMPARE(service().boundPort(), port);
        service().stopListener();
        QVERIFY(!service().isListening());
        QCOMPARE(service().boundPort(), quint16(0));
        QVERIFY(!HookTestClient(port).isConnected());
    }

    // Every request leaves one line: what arrived and what it settled, or why it was refused;
    // never what the event says.
    void eachRequestLeavesATrace_data() {
        QTest::addColumn<QList<QByteArray>>("requests");
        QTest::addColumn<QStringList>("fields");
        const QByteArray question =
            R"({"source":"claude","event":"PermissionRequest","tool_name":"Bash","session_id":"s1",)"
            R"("id":"6F1C2D3E-4A5B-4C6D-8E7F-9A0B1C2D3E4F","title":"secret title","detail":"secret detail",)"
            R"("tool_input":{"command":"secret-command"},"approve_command":"secret-approve"})";
        QTest::newRow("a question") << QList<QByteArray>{hookPost(question)}
                                    << QStringList{"hook event accepted",
                                                   "source=claude",
                                                   "event=PermissionRequest",
                                                   "status=asking",
                                                   "id=6f1c2d3e-4a5b-4c6d-8e7f-9a0b1c2d3e4f",
                                                   "settled=none"};
        QTest::newRow("the end of the turn that settles it")
            << QList<QByteArray>{hookPost(question),
                                 hookPost(
                                     R"({"source":"claude","event":"Stop","session_id":"s1",)"
                                     R"("id":"0A1B2C3D-4E5F-4A6B-8C7D-8E9F0A1B2C3D","message":"secret"})")}
            << QStringList{"source=claude", "event=Stop", "status=finished",
                           "id=0a1b2c3d-4e5f-4a6b-8c7d-8e9f0a1b2c3d",
                           "settled=6f1c2d3e-4a5b-4c6d-8e7f-9a0b1c2d3e4f"};
        QTest::newRow("a body that is no JSON")
            << QList<QByteArray>{hookPost(R"({"title":"secret title", "command": secret})")}
            << QStringList{"hook request refused", "400", "invalid event: json parse error"};
        QTest::newRow("a path that takes nothing")
            << QList<QByteArray>{hookPost(R"({"title":"secret title"})", "/events")}
            << QStringList{"hook request refused", "404", "unknown path /events"};
    }

    void eachRequestLeavesATrace() {
        QFETCH(QList<QByteArray>, requests);
        QFETCH(QStringList, fields);
        const HookLogCapture capture;
        service().startListener();
        for (const QByteArray& request : requests)
            QVERIFY(!HookTestClient::exchange(service().boundPort(), request).isEmpty());
        QTRY_COMPARE(HookLogCapture::lines().size(), requests.size());
        const QString last = HookLogCapture::lines().last();
        for (const QString& field : fields)
            QVERIFY2(last.contains(field), qPrintable(last));
        for (const QString& line : HookLogCapture::lines())
            QVERIFY2(!line.contains(QLatin1String("secret")), qPrintable(line));
    }

    void aTakenPortIsReportedAndBlocksUntilStopped() {
        service().startListener();
        AIHooksService second(f->appState, m_support, nullptr, nullptr, nullptr, &f->clock,
                              LinuxLoopbackListener::factory());
        second.setPort(service().boundPort());
        QTest::ignoreMessage(QtCriticalMsg,
                             QRegularExpression(QStringLiteral("^listener failed: bind failed")));
        second.startListener();
        QVERIFY(!second.isListening());
        QVERIFY(second.lastError().startsWith(QStringLiteral("bind failed")));
        second.startListener();
        QVERIFY(!second.isListening());
        service().stopListener();
        second.stopListener();
        second.startListener();
        QVERIFY(second.isListening());
    }

    void aPythonClientDeliversEveryEvent() {
        const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
        if (python.isEmpty())
            QSKIP("python3 is not installed");
        service().startListener();
        const QString script = QStringLiteral(R"(
import json, sys, urllib.request
port = int(sys.argv[1])
for i in range(30):
    body = json.dumps({"source": "codex", "event": "PostToolUse", "tool_name": "shell", "session_id": str(i)}).encode()
    request = urllib.request.Request("http:/" "/127.0.0.1:%d/event" % port, data=body,
                                     headers={"Content-Type": "application/json"})
    with urllib.request.urlopen(request, timeout=5) as response:
        assert response.status == 200, response.status
        assert json.loads(response.read()) == {"ok": True}
print("sent")
)");
        QProcess process;
        process.start(python, {QStringLiteral("-c"), script, QString::number(service().boundPort())});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.readAllStandardError(), QByteArray());
        QCOMPARE(process.readAllStandardOutput().trimmed(), QByteArray("sent"));
        QTRY_COMPARE(service().events().size(), 30);
        QCOMPARE(service().events().first().sessionID, QStringLiteral("29"));
    }
};

BRIMLARK_TEST_MAIN(TestAIHooksService)
#include "tst_aihooksservice.moc"
