#include "Brimlark/aihooks/events/HookDate.h"
#include "Brimlark/aihooks/events/HookEvent.h"
#include "tests/support/TestMain.h"

#include <QJsonDocument>
#include <QTimeZone>

namespace {

QJsonObject object(const char* json) {
    return QJsonDocument::fromJson(QByteArray(json)).object();
}

QJsonObject minimal() {
    return object(R"({"id":"0F8FAD5B-D9CB-469F-A165-70867728950E","source":"claude","status":"asking",
                      "timestamp":"2025-01-31T09:30:00Z"})");
}

} // namespace

class TestHookEvent : public QObject {
    Q_OBJECT
private slots:
    void everyMemberDecodesAndEncodesBack() {
        const QJsonObject full =
            object(R"({"id":"0f8fad5b-d9cb-469f-a165-70867728950e","source":"codex","status":"error",
            "title":"t","detail":"d","timestamp":"2025-01-31T10:30:00+01:00","session_id":"s","event":"Stop",
            "tool":"Bash","tool_use_id":"u","cwd":"/w","message":"m","notification_type":"n","app_name":"a",
            "raw_status":"r","approve_action":{"kind":"approve","title":"yes","command":"true"},
            "deny_action":{"kind":"deny","title":"no","url":"https:\/\/example.com/no"}})");
        const std::optional<HookEvent> event = HookEvent::fromJson(full);
        QVERIFY(event);
        QCOMPARE(event->id, QUuid::fromString(QStringLiteral("0F8FAD5B-D9CB-469F-A165-70867728950E")));
        QCOMPARE(event->source, HookEvent::Source::codex);
        QCOMPARE(event->status, HookEvent::Status::error);
        QCOMPARE(event->title, QStringLiteral("t"));
        QCOMPARE(event->detail, QStringLiteral("d"));
        QCOMPARE(event->timestamp, QDateTime(QDate(2025, 1, 31), QTime(9, 30), QTimeZone::utc()));
        QCOMPARE(event->sessionID, QStringLiteral("s"));
        QCOMPARE(event->eventName, QStringLiteral("Stop"));
        QCOMPARE(event->toolName, QStringLiteral("Bash"));
        QCOMPARE(event->toolUseID, QStringLiteral("u"));
        QCOMPARE(event->cwd, QStringLiteral("/w"));
        QCOMPARE(event->message, QStringLiteral("m"));
        QCOMPARE(event->notificationType, QStringLiteral("n"));
        QCOMPARE(event->appName, QStringLiteral("a"));
        QCOMPARE(event->rawStatus, QStringLiteral("r"));
        QCOMPARE(event->approveAction->kind, HookEvent::Action::Kind::approve);
        QCOMPARE(event->approveAction->title, QStringLiteral("yes"));
        QCOMPARE(event->approveAction->command, QStringLiteral("true"));
        QVERIFY(!event->approveAction->url);
        QCOMPARE(event->denyAction->url, QUrl(QStringLiteral("https://example.com/no")));
        QVERIFY(event->hasActions());

        const std::optional<HookEvent> again = HookEvent::fromJson(event->toJson());
        QVERIFY(again);
        QCOMPARE(*again, *event);
        QCOMPARE(qHash(*again), qHash(*event));
        QCOMPARE(event->toJson().value(QStringLiteral("timestamp")).toString(),
                 QStringLiteral("2025-01-31T09:30:00Z"));
    }

    void absentMembersAreLeftOutWhenEncoding() {
        const std::optional<HookEvent> event = HookEvent::fromJson(minimal());
        QVERIFY(event);
        QCOMPARE(event->toJson().keys(),
                 (QStringList{QStringLiteral("id"), QStringLiteral("source"), QStringLiteral("status"),
                              QStringLiteral("timestamp")}));
        QVERIFY(!event->hasActions());
    }

    void strictDecodingFails_data() {
        QTest::addColumn<QString>("member");
        QTest::addColumn<QJsonValue>("value");
        QTest::newRow("no id") << "id" << QJsonValue(QJsonValue::Undefined);
        QTest::newRow("id null") << "id" << QJsonValue(QJsonValue::Null);
        QTest::newRow("id not a uuid") << "id" << QJsonValue(QStringLiteral("abc"));
        QTest::newRow("id in braces")
            << "id" << QJsonValue(QStringLiteral("{0F8FAD5B-D9CB-469F-A165-70867728950E}"));
        QTest::newRow("id a number") << "id" << QJsonValue(5);
        QTest::newRow("source capitalised") << "source" << QJsonValue(QStringLiteral("Claude"));
        QTest::newRow("status running") << "status" << QJsonValue(QStringLiteral("running"));
        QTest::newRow("status in capitals") << "status" << QJsonValue(QStringLiteral("ASKING"));
        QTest::newRow("fractional seconds")
            << "timestamp" << QJsonValue(QStringLiteral("2025-01-31T09:30:00.123Z"));
        QTest::newRow("timestamp number") << "timestamp" << QJsonValue(1738315800);
        QTest::newRow("timestamp without zone")
            << "timestamp" << QJsonValue(QStringLiteral("2025-01-31T09:30:00"));
        QTest::newRow("timestamp bad day")
            << "timestamp" << QJsonValue(QStringLiteral("2025-02-30T09:30:00Z"));
        QTest::newRow("title a number") << "title" << QJsonValue(5);
        QTest::newRow("cwd an object") << "cwd" << QJsonValue(QJsonObject());
        QTest::newRow("action without title")
            << "approve_action"
            << QJsonValue(QJsonObject{{QStringLiteral("kind"), QStringLiteral("approve")}});
        QTest::newRow("action with a bad url")
            << "deny_action"
            << QJsonValue(QJsonObject{{QStringLiteral("kind"), QStringLiteral("deny")},
                                      {QStringLiteral("title"), QStringLiteral("no")},
                                      {QStringLiteral("url"), QStringLiteral("http://exa mple.com")}});
        QTest::newRow("action kind unknown")
            << "deny_action"
            << QJsonValue(QJsonObject{{QStringLiteral("kind"), QStringLiteral("maybe")},
                                      {QStringLiteral("title"), QStringLiteral("no")}});
        QTest::newRow("action a text") << "deny_action" << QJsonValue(QStringLiteral("no"));
    }

    void strictDecodingFails() {
        QFETCH(QString, member);
        QFETCH(QJsonValue, value);
        QJsonObject json = minimal();
        if (value.isUndefined())
            json.remove(member);
        else
            json.insert(member, value);
        QString error;
        QVERIFY(!HookEvent::fromJson(json, &error));
        QVERIFY(!error.isEmpty());
    }

    void nullMeansAbsentAndUnknownMembersAreIgnored() {
        QJsonObject json = minimal();
        json.insert(QStringLiteral("title"), QJsonValue::Null);
        json.insert(QStringLiteral("approve_action"), QJsonValue::Null);
        json.insert(QStringLiteral("whatever"), 12);
        const std::optional<HookEvent> event = HookEvent::fromJson(json);
        QVERIFY(event);
        QVERIFY(!event->title);
        QVERIFY(!event->approveAction);
    }

    void idsAreTakenInEitherCaseAndOffsetsAreApplied() {
        QJsonObject json = minimal();
        json.insert(QStringLiteral("id"), QStringLiteral("0f8fad5b-d9cb-469f-a165-70867728950e"));
        json.insert(QStringLiteral("timestamp"), QStringLiteral("2025-01-31T04:00:00-05:30"));
        const std::optional<HookEvent> event = HookEvent::fromJson(json);
        QVERIFY(event);
        QCOMPARE(event->id, HookEvent::fromJson(minimal())->id);
        QCOMPARE(event->timestamp, QDateTime(QDate(2025, 1, 31), QTime(9, 30), QTimeZone::utc()));
    }

    void anActionKeepsItsOwnKind() {
        QJsonObject json = minimal();
        json.insert(QStringLiteral("approve_action"),
                    QJsonObject{{QStringLiteral("kind"), QStringLiteral("deny")},
                                {QStringLiteral("title"), QStringLiteral("x")},
                                {QStringLiteral("command"), QStringLiteral("false")}});
        const std::optional<HookEvent> event = HookEvent::fromJson(json);
        QVERIFY(event);
        QCOMPARE(event->approveAction->kind, HookEvent::Action::Kind::deny);
        QVERIFY(!event->denyAction);
    }

    void onlyADenyActionStillHasActions() {
        HookEvent event;
        event.denyAction =
            HookEvent::Action{HookEvent::Action::Kind::deny, QStringLiteral("deny"), QString(), {}};
        QVERIFY(event.hasActions());
    }

    void eventsDifferingOnlyInTimeAreNotEqual() {
        HookEvent a = *HookEvent::fromJson(minimal());
        HookEvent b = a;
        QCOMPARE(a, b);
        b.timestamp = b.timestamp.addSecs(1);
        QVERIFY(a != b);
        QVERIFY(qHash(a) != qHash(b));
        b = a;
        b.title = QString();
        QVERIFY(a != b);
    }

    void enumerationTexts() {
        QCOMPARE(HookEvent::sourceText(HookEvent::Source::codex), QStringLiteral("codex"));
        QCOMPARE(HookEvent::statusText(HookEvent::Status::finished), QStringLiteral("finished"));
        QCOMPARE(HookEvent::Action::kindText(HookEvent::Action::Kind::deny), QStringLiteral("deny"));
        QCOMPARE(HookEvent::statusFromText(QStringLiteral("idle")), HookEvent::Status::idle);
        QVERIFY(!HookEvent::statusFromText(QStringLiteral("Idle")));
        QVERIFY(!HookEvent::sourceFromText(QString()));
    }

    void dates_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("fraction");
        QTest::addColumn<QDateTime>("expected");
        const QDateTime noon(QDate(2025, 1, 31), QTime(12, 0), QTimeZone::utc());
        QTest::newRow("utc") << "2025-01-31T12:00:00Z" << false << noon;
        QTest::newRow("offset") << "2025-01-31T13:00:00+01:00" << false << noon;
        QTest::newRow("fraction refused") << "2025-01-31T12:00:00.5Z" << false << QDateTime();
        QTest::newRow("fraction taken") << "2025-01-31T12:00:00.123456+00:00" << true << noon.addMSecs(123);
        QTest::newRow("lower-case z") << "2025-01-31T12:00:00z" << false << QDateTime();
        QTest::newRow("space instead of T") << "2025-01-31 12:00:00Z" << false << QDateTime();
        QTest::newRow("hour 24") << "2025-01-31T24:00:00Z" << false << QDateTime();
        QTest::newRow("empty fraction") << "2025-01-31T12:00:00.Z" << true << QDateTime();
        QTest::newRow("short offset") << "2025-01-31T12:00:00+01" << false << QDateTime();
    }

    void dates() {
        QFETCH(QString, text);
        QFETCH(bool, fraction);
        QFETCH(QDateTime, expected);
        const std::optional<QDateTime> parsed = HookDate::parseIso8601(text, fraction);
        QCOMPARE(parsed.value_or(QDateTime()), expected);
    }
};

BRIMLARK_TEST_MAIN(TestHookEvent)
#include "tst_hookevent.moc"
