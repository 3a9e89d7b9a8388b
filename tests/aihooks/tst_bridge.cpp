#include "support/TestMain.h"

#include "Brimlark/aihooks/AIHookInstaller.h"
#include "Brimlark/aihooks/AIHooksService.h"
#include "Brimlark/shell/AppState.h"
#include "platform/UserDefaults.h"
#include "platform/fake/FakeClock.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

namespace {

// Takes the bridge's requests on an ephemeral loopback port and keeps their bodies.
class CaptureServer : public QObject {
public:
    CaptureServer() {
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                auto* buffer = new QByteArray;
                const auto take = [this, socket, buffer] {
                    *buffer += socket->readAll();
                    const qsizetype split = buffer->indexOf("\r\n\r\n");
                    if (split < 0)
                        return;
                    static const QRegularExpression length(QStringLiteral("Content-Length: (\\d+)"));
                    const QRegularExpressionMatch match =
                        length.match(QString::fromLatin1(buffer->left(split)));
                    const QByteArray body = buffer->mid(split + 4);
                    if (!match.hasMatch() || body.size() < match.captured(1).toLongLong())
                        return;
                    heads.append(buffer->left(split));
                    bodies.append(body);
                    buffer->clear();
                    socket->write(
                        "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: 11\r\n\r\n"
                        "{\"ok\":true}");
                    socket->disconnectFromHost();
                };
                QObject::connect(socket, &QTcpSocket::readyRead, socket, take);
                QObject::connect(socket, &QTcpSocket::disconnected, socket, [socket, buffer] {
                    delete buffer;
                    socket->deleteLater();
                });
            }
        });
        m_server.listen(QHostAddress::LocalHost, 0);
    }
    quint16 port() const { return m_server.serverPort(); }

    QList<QByteArray> heads;
    QList<QByteArray> bodies;

private:
    QTcpServer m_server;
};

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

} // namespace

using Source = HookEvent::Source;
using Status = HookEvent::Status;
Q_DECLARE_METATYPE(Source)
Q_DECLARE_METATYPE(Status)

class Tst_bridge : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_script;

    // Runs the bridge as a hook would, with the event loop running meanwhile.
    Run bridge(const QStringList& arguments, const QByteArray& input, bool closeInput = true,
               const QStringList& environment = {}) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& pair : environment)
            env.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
        process.setProcessEnvironment(env);
        QEventLoop loop;
        QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(20000, &loop, &QEventLoop::quit);
        process.start(QStringLiteral("/usr/bin/env"),
                      QStringList{QStringLiteral("python3"), m_script} + arguments);
        process.waitForStarted();
        process.write(input);
        if (closeInput)
            process.closeWriteChannel();
        loop.exec();
        Run run{process.state() == QProcess::NotRunning ? process.exitCode() : -1,
                process.readAllStandardOutput(), process.readAllStandardError()};
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
        return run;
    }

    static QStringList hookArguments(const QString& source, const QString& event, quint16 port) {
        QStringList arguments{QStringLiteral("--source"), source};
        if (!event.isEmpty())
            arguments << QStringLiteral("--event") << event;
        return arguments << QStringLiteral("--port") << QString::number(port);
    }

    // The program's own endpoint and store, listening on an ephemeral loopback port.
    struct Endpoint {
        explicit Endpoint(const QString& folder)
            : store(folder + QStringLiteral("/defaults.json")), state(store),
              service(state, folder, nullptr, nullptr, nullptr, &clock) {
            service.setPort(0);
            service.startListener();
        }
        UserDefaults store;
        AppState state;
        FakeClock clock;
        AIHooksService service;
    };

private slots:
    void initTestCase() {
        AIHookInstaller installer(m_dir.filePath(QStringLiteral("home")),
                                  m_dir.filePath(QStringLiteral("data")));
        QString error;
        QVERIFY2(installer.writeBridgeScript(&error), qPrintable(error));
        m_script = installer.bridgeScriptPath();
    }

    void postsTheCompletedPayload_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("event");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QJsonObject>("expected");
        QTest::addColumn<QStringList>("absent");
        const QByteArray session = R"("session_id":"s1","transcript_path":"/tmp/s1.jsonl","cwd":"/tmp/app")";
        QTest::newRow("tool call") << "claude"
                                   << "PreToolUse"
                                   << QByteArray(R"({"hook_event_name":"PreToolUse","tool_name":"Bash",)" +
                                                 session + "}")
                                   << QJsonObject{{"source", "claude"},
                                                  {"event", "PreToolUse"},
                                                  {"status", "working"},
                                                  {"tool_name", "Bash"},
                                                  {"session_id", "s1"}}
                                   << QStringList{"client"};
        QTest::newRow("session start keeps its source, names the tool as client")
            << "claude"
            << "SessionStart"
            << QByteArray(R"({"hook_event_name":"SessionStart","source":"startup",)" + session + "}")
            << QJsonObject{{"source", "startup"},
                           {"client", "claude"},
                           {"event", "SessionStart"},
                           {"status", "working"}}
            << QStringList();
        QTest::newRow("prompt") << "claude"
                                << "UserPromptSubmit"
                                << QByteArray(R"({"hook_event_name":"UserPromptSubmit","prompt":"hi",)" +
                                              session + "}")
                                << QJsonObject{{"source", "claude"}, {"status", "working"}, {"prompt", "hi"}}
                                << QStringList{"client"};
        QTest::newRow("session end") << "claude"
                                     << "SessionEnd"
                                     << QByteArray(R"({"hook_event_name":"SessionEnd","reason":"exit",)" +
                                                   session + "}")
                                     << QJsonObject{{"source", "claude"}, {"status", "finished"}}
                                     << QStringList();
        QTest::newRow("permission request")
            << "codex"
            << "PermissionRequest" << QByteArray("{}")
            << QJsonObject{{"source", "codex"}, {"status", "asking"}} << QStringList();
        QTest::newRow("failure") << "claude"
                                 << "PostToolUseFailure" << QByteArray("{}")
                                 << QJsonObject{{"status", "error"}} << QStringList();
        QTest::newRow("not JSON") << "claude"
                                  << "Stop" << QByteArray("  hello there \n")
                                  << QJsonObject{{"message", "hello there"},
                                                 {"event", "Stop"},
                                                 {"status", "finished"}}
                                  << QStringList();
        QTest::newRow("no input, no event")
            << "codex"
            << "" << QByteArray(" \n ") << QJsonObject{{"source", "codex"}, {"status", "working"}}
            << QStringList{"event", "message"};
        QTest::newRow("status kept, even empty") << "claude"
                                                 << "Notification" << QByteArray(R"({"status":""})")
                                                 << QJsonObject{{"status", ""}} << QStringList();
        QTest::newRow("not an object")
            << "claude"
            << "Stop" << QByteArray("[1, 2]") << QJsonObject{{"message", "[1, 2]"}} << QStringList();
        QTest::newRow("a source naming a tool needs no client")
            << "claude"
            << "Stop" << QByteArray(R"({"source":"Codex-CLI"})") << QJsonObject{{"source", "Codex-CLI"}}
            << QStringList{"client"};
        QTest::newRow("the payload's own client stays")
            << "claude"
            << "SessionStart" << QByteArray(R"({"source":"resume","client":"mine"})")
            << QJsonObject{{"source", "resume"}, {"client", "mine"}} << QStringList();
    }
    void postsTheCompletedPayload() {
        QFETCH(QString, source);
        QFETCH(QString, event);
        QFETCH(QByteArray, input);
        QFETCH(QJsonObject, expected);
        QFETCH(QStringList, absent);
        CaptureServer server;
        const Run run = bridge(hookArguments(source, event, server.port()), input);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out + run.err, QByteArray());
        QTRY_COMPARE(server.bodies.size(), 1);
        QVERIFY(server.heads.first().startsWith("POST /event HTTP/1.1\r\n"));
        QVERIFY(server.heads.first().contains("Content-Type: application/json"));

        const QJsonObject posted = QJsonDocument::fromJson(server.bodies.first()).object();
        for (auto it = expected.begin(); it != expected.end(); ++it)
            QCOMPARE(posted.value(it.key()), it.value());
        for (const QString& key : absent)
            QVERIFY2(!posted.contains(key), qPrintable(key));
        static const QRegularExpression iso(
            QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d(\\.\\d{6})?Z$"));
        QVERIFY(iso.match(posted.value(QStringLiteral("timestamp")).toString()).hasMatch());
    }

    // The payloads of today's Claude Code, through real python3 into the running endpoint.
    void theStoreGetsTheToolsEvents_data() {
        QTest::addColumn<QString>("event");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<Source>("source");
        QTest::addColumn<Status>("status");
        QTest::addColumn<QString>("title");
        const QByteArray session = R"("session_id":"s1","transcript_path":"/tmp/s1.jsonl","cwd":"/tmp/app")";
        QTest::newRow("tool call")
            << "PreToolUse"
            << QByteArray(
                   R"({"hook_event_name":"PreToolUse","tool_name":"Bash","session_id":"s1","cwd":"/tmp/app"})")
            << QStringList() << Source::claude << Status::working << "bash running";
        QTest::newRow("session start from startup")
            << "SessionStart"
            << QByteArray(R"({"hook_event_name":"SessionStart","source":"startup",)" + session + "}")
            << QStringList() << Source::claude << Status::working << "claude session started";
        QTest::newRow("prompt") << "UserPromptSubmit"
                                << QByteArray(R"({"hook_event_name":"UserPromptSubmit","prompt":"fix it",)" +
                                              session + "}")
                                << QStringList() << Source::claude << Status::working << "userpromptsubmit";
        QTest::newRow("session end") << "SessionEnd"
                                     << QByteArray(R"({"hook_event_name":"SessionEnd","reason":"other",)" +
                                                   session + "}")
                                     << QStringList() << Source::claude << Status::finished
                                     << "claude session ended";
        QTest::newRow("proxy variables are not followed")
            << "PreToolUse" << QByteArray(R"({"tool_name":"Read"})")
            << QStringList{"http_proxy=http://127.0.0.1:9", "HTTP_PROXY=http://127.0.0.1:9",
                           "all_proxy=http://127.0.0.1:9", "no_proxy="}
            << Source::claude << Status::working << "read running";
        QTest::newRow("200 KB payload")
            << "PostToolUse"
            << QByteArray("{\"tool_name\":\"Bash\",\"tool_response\":{\"stdout\":\"") +
                   QByteArray(200000, 'o') + QByteArray("\"}}")
            << QStringList() << Source::claude << Status::finished << "bash complete";
    }
    void theStoreGetsTheToolsEvents() {
        QFETCH(QString, event);
        QFETCH(QByteArray, input);
        QFETCH(QStringList, environment);
        QFETCH(Source, source);
        QFETCH(Status, status);
        QFETCH(QString, title);
        Endpoint endpoint(m_dir.filePath(
            QString::fromLatin1(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('-'))));
        QTRY_VERIFY(endpoint.service.isListening());
        const Run run = bridge(hookArguments(QStringLiteral("claude"), event, endpoint.service.boundPort()),
                               input, true, environment);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out + run.err, QByteArray());
        QTRY_COMPARE(endpoint.service.events().size(), 1);
        const HookEvent stored = endpoint.service.events().first();
        QCOMPARE(stored.source, source);
        QCOMPARE(stored.status, status);
        QCOMPARE(stored.title.value_or(QString()), title);
        QCOMPARE(stored.eventName.value_or(QString()), event);
    }

    void nothingListeningIsSilent() {
        quint16 port = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
            port = probe.serverPort();
        }
        const Run run = bridge(hookArguments(QStringLiteral("claude"), QStringLiteral("Stop"), port), "{}");
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out + run.err, QByteArray());
    }

    void aLargePayloadIsShrunkToWhatIsRead() {
        QJsonObject payload{{"hook_event_name", "PostToolUse"},
                            {"tool_name", "Bash"},
                            {"session_id", "s1"},
                            {"cwd", "/tmp/app"},
                            {"message", QString(150000, QLatin1Char('m'))},
                            {"tool_response", QJsonObject{{"stdout", QString(60000, QLatin1Char('o'))}}},
                            {"approve_command", "echo yes"}};
        CaptureServer server;
        const Run run =
            bridge(hookArguments(QStringLiteral("claude"), QStringLiteral("PostToolUse"), server.port()),
                   QJsonDocument(payload).toJson());
        QCOMPARE(run.exitCode, 0);
        QTRY_COMPARE(server.bodies.size(), 1);
        QVERIFY(server.bodies.first().size() <= 60000);
        const QJsonObject posted = QJsonDocument::fromJson(server.bodies.first()).object();
        for (const char* key :
             {"tool_name", "session_id", "cwd", "approve_command", "source", "status", "timestamp"})
            QCOMPARE(posted.value(QLatin1String(key)), payload.value(QLatin1String(key)).isUndefined()
                                                           ? posted.value(QLatin1String(key))
                                                           : payload.value(QLatin1String(key)));
        QVERIFY(posted.value(QStringLiteral("message")).toString().startsWith(QStringLiteral("mmmm")));
        QVERIFY(!posted.contains(QStringLiteral("tool_response")));
    }

    // A tool that never closes standard input holds the bridge for the input deadline at most.
    void inputLeftOpenIsBoundedInTime() {
        CaptureServer server;
        const Run run = bridge(hookArguments(QStringLiteral("claude"), QStringLiteral("Stop"), server.port()),
                               R"({"tool_name":"Bash"})", false);
        QCOMPARE(run.exitCode, 0);
        QTRY_COMPARE(server.bodies.size(), 1);
        QCOMPARE(QJsonDocument::fromJson(server.bodies.first()).object().value(QStringLiteral("tool_name")),
                 QJsonValue(QStringLiteral("Bash")));
    }
};

BRIMLARK_TEST_MAIN(Tst_bridge)
#include "tst_bridge.moc"
