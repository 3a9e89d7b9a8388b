#include "Brimlark/aihooks/events/LooseEventMapping.h"
#include "tests/support/TestMain.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QTimeZone>

namespace {

using Source = HookEvent::Source;
using Status = HookEvent::Status;

const QDateTime now(QDate(2026, 1, 5), QTime(9, 0), QTimeZone::utc());

QJsonObject object(const QByteArray& json) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        qFatal("bad test JSON: %s", json.constData());
    return document.object();
}

HookEvent map(const QByteArray& json) {
    return LooseEventMapping::eventFromDictionary(object(json), now);
}

std::optional<QString> text(const char* value) {
    return value ? std::optional<QString>(QString::fromUtf8(value)) : std::nullopt;
}

} // namespace

class TestLooseEventMapping : public QObject {
    Q_OBJECT
private slots:
    void anEmptyObject() {
        const HookEvent event = map("{}");
        QCOMPARE(event.source, Source::other);
        QCOMPARE(event.status, Status::working);
        QCOMPARE(event.title, QStringLiteral("hook event"));
        QVERIFY(!event.detail);
        QCOMPARE(event.timestamp, now);
        QVERIFY(!event.id.isNull());
        QVERIFY(!event.hasActions());
    }

    void theBridgePayload() {
        const HookEvent event = map(R"({"source":"claude","event":"PreToolUse","tool_name":"Bash",
                                       "status":"working","cwd":"/home/me/src/app"})");
        QCOMPARE(event.source, Source::claude);
        QCOMPARE(event.status, Status::working);
        QCOMPARE(event.title, QStringLiteral("bash running"));
        QCOMPARE(event.detail, QStringLiteral("PreToolUse \u2022 app"));
        QCOMPARE(event.toolName, QStringLiteral("Bash"));
        QCOMPARE(event.rawStatus, QStringLiteral("working"));
    }

    void usableTexts_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("present");
        QTest::newRow("trimmed") << QByteArray(R"({"v":"  a b \n"})") << "a b" << true;
        QTest::newRow("only spaces") << QByteArray(R"({"v":"   "})") << "" << false;
        QTest::newRow("whole number") << QByteArray(R"({"v":42})") << "42" << true;
        QTest::newRow("fraction") << QByteArray(R"({"v":1.5})") << "1.5" << true;
        QTest::newRow("true") << QByteArray(R"({"v":true})") << "1" << true;
        QTest::newRow("false") << QByteArray(R"({"v":false})") << "0" << true;
        QTest::newRow("zero") << QByteArray(R"({"v":0})") << "0" << true;
        QTest::newRow("null") << QByteArray(R"({"v":null})") << "" << false;
        QTest::newRow("array") << QByteArray(R"({"v":[1]})") << "" << false;
        QTest::newRow("object") << QByteArray(R"({"v":{}})") << "" << false;
    }

    void usableTexts() {
        QFETCH(QByteArray, json);
        QFETCH(QString, expected);
        QFETCH(bool, present);
        const std::optional<QString> value =
            LooseEventMapping::stringValue(object(json).value(QStringLiteral("v")));
        QCOMPARE(value.has_value(), present);
        if (present)
            QCOMPARE(*value, expected);
    }

    void aliasesTakeTheFirstPresentKey() {
        const HookEvent event = map(R"({"event":null,"hook_event":"Stop","tool_name":"Edit","toolUseId":"u1",
                                       "sessionId":"s1","workdir":"/x/y","description":"hello",
                                       "notificationType":"idle_prompt","client":"my client"})");
        QVERIFY(!event.eventName);
        QCOMPARE(event.toolName, QStringLiteral("Edit"));
        QCOMPARE(event.toolUseID, QStringLiteral("u1"));
        QCOMPARE(event.sessionID, QStringLiteral("s1"));
        QCOMPARE(event.cwd, QStringLiteral("/x/y"));
        QCOMPARE(event.message, QStringLiteral("hello"));
        QCOMPARE(event.notificationType, QStringLiteral("idle_prompt"));
        QCOMPARE(event.appName, QStringLiteral("my client"));

        const HookEvent bare = map(R"({"event":null,"hook_event":"Stop"})");
        QCOMPARE(bare.status, Status::working);
        QCOMPARE(bare.title, QStringLiteral("hook event"));
    }

    void sources_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<Source>("expected");
        QTest::newRow("openai in capitals") << QByteArray(R"({"source":"OpenAI"})") << Source::codex;
        QTest::newRow("chatgpt client") << QByteArray(R"({"client":"ChatGPT desktop"})") << Source::codex;
        QTest::newRow("title mentions claude")
            << QByteArray(R"({"source":"tool","title":"Claude wants"})") << Source::claude;
        QTest::newRow("unusable first key skipped")
            << QByteArray(R"({"source":"  ","agent":"codex"})") << Source::codex;
        QTest::newRow("claude before codex in one text")
            << QByteArray(R"({"source":"codex and claude"})") << Source::claude;
        QTest::newRow("codex folder") << QByteArray(R"({"cwd":"/home/me/.codex/x"})") << Source::codex;
        QTest::newRow("claude folder") << QByteArray(R"({"cwd":"/home/me/.claude"})") << Source::claude;
        QTest::newRow("workdir is not read")
            << QByteArray(R"({"workdir":"/home/me/.codex"})") << Source::other;
        QTest::newRow("claude-only event") << QByteArray(R"({"event":"PreCompact"})") << Source::claude;
        QTest::newRow("hook_event is not read")
            << QByteArray(R"({"hook_event":"PreCompact"})") << Source::other;
        QTest::newRow("nothing") << QByteArray(R"({"event":"Stop"})") << Source::other;
    }

    void sources() {
        QFETCH(QByteArray, json);
        QFETCH(Source, expected);
        QCOMPARE(LooseEventMapping::inferSource(object(json)), expected);
    }

    void statuses_data() {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("event");
        QTest::addColumn<Status>("expected");
        const QString none;
        QTest::newRow("raw trimmed and lower-cased") << " Waiting_For_Approval " << none << Status::asking;
        QTest::newRow("raw idle") << "idle" << none << Status::idle;
        QTest::newRow("raw open") << "open" << none << Status::working;
        QTest::newRow("raw succeeded") << "SUCCEEDED" << none << Status::finished;
        QTest::newRow("raw denied") << "denied" << none << Status::error;
        QTest::newRow("unknown raw, event decides") << "banana"
                                                    << "PostToolUse" << Status::finished;
        QTest::newRow("permissionrequest") << none << "permissionrequest" << Status::asking;
        QTest::newRow("PostToolUseFailure") << none << "PostToolUseFailure" << Status::error;
        QTest::newRow("StopFailure") << none << "StopFailure" << Status::error;
        QTest::newRow("UserPromptSubmit") << none << "UserPromptSubmit" << Status::working;
        QTest::newRow("SubagentStop") << none << "SubagentStop" << Status::finished;
        QTest::newRow("contains fail") << none << "BuildFailed" << Status::error;
        QTest::newRow("contains ask") << none << "TaskAsked" << Status::asking;
        QTest::newRow("contains complete") << none << "BuildCompleted" << Status::finished;
        QTest::newRow("contains start") << none << "RunStarted" << Status::working;
        QTest::newRow("no tooluse") << none << "Whatever" << Status::working;
        QTest::newRow("post tooluse") << none << "PostToolUseBatch" << Status::finished;
        QTest::newRow("pre tooluse") << none << "XToolUseY" << Status::working;
        QTest::newRow("nothing") << none << none << Status::working;
    }

    void statuses() {
        QFETCH(QString, raw);
        QFETCH(QString, event);
        QFETCH(Status, expected);
        const auto optional = [](const QString& s) {
            return s.isNull() ? std::nullopt : std::optional<QString>(s);
        };
        QCOMPARE(LooseEventMapping::inferStatus(optional(raw), optional(event)), expected);
    }

    void titles_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("expected");
        QTest::newRow("own title") << QByteArray(R"({"title":"  Mine ","event":"Stop"})") << "Mine";
        QTest::newRow("approve tool")
            << QByteArray(R"({"event":"PermissionRequest","tool_name":"Bash"})") << "approve bash";
        QTest::newRow("approval needed")
            << QByteArray(R"({"event":"PermissionRequest"})") << "approval needed";
        QTest::newRow("lower-case name is not exact")
            << QByteArray(R"({"event":"permissionrequest"})") << "waiting for input";
        QTest::newRow("asking with a tool")
            << QByteArray(R"({"status":"asking","tool":"Edit"})") << "edit needs attention";
        QTest::newRow("idle without name") << QByteArray(R"({"status":"idle"})") << "idle";
        QTest::newRow("idle with name") << QByteArray(R"({"status":"idle","event":"Waiting"})") << "waiting";
        QTest::newRow("codex session started")
            << QByteArray(R"({"event":"SessionStart","cwd":"/u/.codex/s"})") << "codex session started";
        QTest::newRow("other session started")
            << QByteArray(R"({"event":"SessionStart"})") << "claude session started";
        QTest::newRow("notification") << QByteArray(R"({"event":"Notification"})") << "notification";
        QTest::newRow("working event") << QByteArray(R"({"event":"SubagentStart"})") << "subagentstart";
        QTest::newRow("finished tool")
            << QByteArray(R"({"event":"PostToolUse","tool":"Read"})") << "read complete";
        QTest::newRow("finished without name") << QByteArray(R"({"status":"done"})") << "finished";
        QTest::newRow("codex session ended")
            << QByteArray(R"({"event":"SessionEnd","source":"codex"})") << "codex session ended";
        QTest::newRow("session ended") << QByteArray(R"({"event":"SessionEnd"})") << "claude session ended";
        QTest::newRow("finished event") << QByteArray(R"({"event":"Stop"})") << "stop";
        QTest::newRow("permission denied")
            << QByteArray(R"({"event":"PermissionDenied","tool":"X"})") << "permission denied";
        QTest::newRow("tool failed") << QByteArray(R"({"event":"PostToolUseFailure","tool":"Bash"})")
                                     << "bash failed";
        QTest::newRow("hook error") << QByteArray(R"({"status":"failed"})") << "hook error";
        QTest::newRow("error event") << QByteArray(R"({"event":"StopFailure"})") << "stopfailure";
    }

    void titles() {
        QFETCH(QByteArray, json);
        QFETCH(QString, expected);
        QCOMPARE(map(json).title, expected);
    }

    void details_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("expected");
        QTest::newRow("own detail") << QByteArray(R"({"detail":"d","message":"m"})") << "d";
        QTest::newRow("message") << QByteArray(R"({"message":"m","event":"Stop"})") << "m";
        QTest::newRow("message equal to title")
            << QByteArray(
                   R"({"title":"same","message":"same","event":"Notification","notification_type":"idle",
                            "cwd":"/a/b/"})")
            << "Notification \u2022 idle \u2022 b";
        QTest::newRow("root folder") << QByteArray(R"({"cwd":"/"})") << "/";
        QTest::newRow("nothing") << QByteArray(R"({"status":"working"})") << "";
    }

    void details() {
        QFETCH(QByteArray, json);
        QFETCH(QString, expected);
        QCOMPARE(map(json).detail.value_or(QString()), expected);
    }

    void datesOfEveryForm() {
        const QDateTime instant = QDateTime::fromSecsSinceEpoch(1700000000, QTimeZone::utc());
        QCOMPARE(map(R"({"timestamp":1700000000})").timestamp, instant);
        QCOMPARE(map(R"({"timestamp":1700000000000})").timestamp, instant);
        QCOMPARE(map(R"({"timestamp":"1700000000"})").timestamp, instant);
        QCOMPARE(map(R"({"created_at":"1.7e9"})").timestamp, instant);
        QCOMPARE(map(R"({"time":"2023-11-14T22:13:20Z"})").timestamp, instant);
        QCOMPARE(map(R"({"timestamp":"2023-11-14T22:13:20.250+00:00"})").timestamp, instant.addMSecs(250));
        QCOMPARE(map(R"({"timestamp":0})").timestamp, now);
        QCOMPARE(map(R"({"timestamp":-5})").timestamp, now);
        QCOMPARE(map(R"({"timestamp":"soon"})").timestamp, now);
        QCOMPARE(map(R"({"timestamp":"nan"})").timestamp, now);
        QCOMPARE(map(R"({"timestamp":1e300})").timestamp, now);
        QCOMPARE(map(R"({"timestamp":" 1700000000 "})").timestamp, instant);
        // The first present key decides, even when it holds nothing usable.
        QCOMPARE(map(R"({"timestamp":null,"time":1700000000})").timestamp, now);
    }

    void anUuidIdIsKeptAnyOtherIsDerived() {
        QCOMPARE(map(R"({"id":"0f8fad5b-d9cb-469f-a165-70867728950e"})").id,
                 QUuid::fromString(QStringLiteral("0F8FAD5B-D9CB-469F-A165-70867728950E")));
        const HookEvent derived = map(R"({"id":"abc","timestamp":1700000000})");
        QVERIFY(derived.id != QUuid::fromString(QStringLiteral("abc")));
        QCOMPARE(map(R"({"id":"abc","timestamp":1700000000})").id, derived.id);
    }

    void theDerivedIdIsTheHashOfTheFields() {
        const HookEvent event = map(R"({"source":"claude","status":"asking","event":"PermissionRequest",
                                       "tool_use_id":"t","session_id":"s","message":"m","timestamp":1700000000.5})");
        const QByteArray text = "claude|asking|PermissionRequest|t|s|approval needed|m|1700000000.5|m";
        const QByteArray digest = QCryptographicHash::hash(text, QCryptographicHash::Sha256);
        QCOMPARE(event.id, QUuid::fromRfc4122(QByteArrayView(digest).first(16)));
        QCOMPARE(LooseEventMapping::secondsText(QDateTime::fromSecsSinceEpoch(1700000000, QTimeZone::utc())),
                 QStringLiteral("1700000000.0"));
    }

    void anObjectWithoutTimeKeepsItsIdAcrossMappings() {
        const QJsonObject json = object(R"({"source":"codex","event":"PermissionRequest","tool":"shell"})");
        const HookEvent first = LooseEventMapping::eventFromDictionary(json, now);
        const HookEvent later = LooseEventMapping::eventFromDictionary(json, now.addSecs(60));
        QCOMPARE(first.id, later.id);
        QCOMPARE(later.timestamp, now.addSecs(60));
        const QByteArray digest = QCryptographicHash::hash(
            "codex||PermissionRequest|||approve shell|PermissionRequest||", QCryptographicHash::Sha256);
        QCOMPARE(first.id, QUuid::fromRfc4122(QByteArrayView(digest).first(16)));
    }

    void fractionalBridgeTimesGiveStableIds() {
        const QByteArray json =
            R"({"source":"claude","event":"Stop","timestamp":"2025-01-31T09:30:00.123456+00:00"})";
        const HookEvent a = LooseEventMapping::eventFromDictionary(object(json), now);
        const HookEvent b = LooseEventMapping::eventFromDictionary(object(json), now.addDays(1));
        QCOMPARE(a.id, b.id);
        QCOMPARE(a.timestamp, QDateTime(QDate(2025, 1, 31), QTime(9, 30, 0, 123), QTimeZone::utc()));
    }

    void flatActions() {
        const HookEvent event =
            map(R"({"approve_command":"   ","allowCommand":"yes | true","deny_label":"Nope",
                                       "deny_url":"https:\/\/example.com/deny"})");
        QVERIFY(event.approveAction);
        QCOMPARE(event.approveAction->kind, HookEvent::Action::Kind::approve);
        QCOMPARE(event.approveAction->title, QStringLiteral("approve"));
        QCOMPARE(event.approveAction->command, QStringLiteral("yes | true"));
        QVERIFY(event.denyAction);
        QCOMPARE(event.denyAction->title, QStringLiteral("Nope"));
        QCOMPARE(event.denyAction->url, QUrl(QStringLiteral("https://example.com/deny")));
        QVERIFY(!event.denyAction->command);
    }

    void nestedActions() {
        const HookEvent event = map(R"({"actions":{"deny":{"cmd":"kill 1","label":"Stop it"},
                                       "reject":{"command":"x"},"approve":"not an object",
                                       "allow":{"href":"https:\/\/example.com/ok"}},"approve_title":"Go"})");
        QCOMPARE(event.denyAction->command, QStringLiteral("kill 1"));
        QCOMPARE(event.denyAction->title, QStringLiteral("Stop it"));
        QCOMPARE(event.approveAction->url, QUrl(QStringLiteral("https://example.com/ok")));
        QCOMPARE(event.approveAction->title, QStringLiteral("Go"));
    }

    void aFlatUrlWinsOverActions() {
        const HookEvent event = map(R"({"deny_url":"https:\/\/a.example","actions":{"deny":{"cmd":"x"}}})");
        QCOMPARE(event.denyAction->url, QUrl(QStringLiteral("https://a.example")));
        QVERIFY(!event.denyAction->command);
    }

    void anUnparsableUrlMovesOn() {
        const HookEvent event = map(R"({"approve_url":"http:\/\/bad host","approveURL":"relative/path"})");
        QCOMPARE(event.approveAction->url, QUrl(QStringLiteral("relative/path")));
        QVERIFY(!map(R"({"actions":{"approve":{"label":"only a label"}}})").approveAction);
    }

    void numbersAreUsableTextsForCommands() {
        const HookEvent event = map(R"({"deny_command":7})");
        QCOMPARE(event.denyAction->command, QStringLiteral("7"));
        QVERIFY(text(nullptr) == std::nullopt);
    }
};

BRIMLARK_TEST_MAIN(TestLooseEventMapping)
#include "tst_looseeventmapping.moc"
