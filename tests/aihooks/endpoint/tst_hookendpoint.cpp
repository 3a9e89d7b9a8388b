#include "Brimlark/aihooks/endpoint/HookEndpoint.h"
#include "Brimlark/aihooks/events/HookEventDecoder.h"
#include "tests/support/HookTestClient.h"
#include "tests/support/TestMain.h"

#include <QJsonDocument>
#include <QTimeZone>

namespace {

const QDateTime now(QDate(2026, 1, 5), QTime(9, 0), QTimeZone::utc());

QByteArray request(const QByteArray& method, const QByteArray& path, const QByteArray& body = {}) {
    return method + " " + path +
           " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" +
           body;
}

QByteArray bodyOf(const QByteArray& response) {
    return response.mid(response.indexOf("\r\n\r\n") + 4);
}

QJsonObject jsonOf(const QByteArray& response) {
    return QJsonDocument::fromJson(bodyOf(response)).object();
}

const QByteArray strictEvent =
    R"({"id":"0F8FAD5B-D9CB-469F-A165-70867728950E","source":"codex","status":"asking",
                                   "timestamp":"2025-01-31T09:30:00Z","title":"strict"})";

} // namespace

class TestHookEndpoint : public QObject {
    Q_OBJECT
private slots:
    void routing_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<int>("events");
        const QByteArray health = R"({"ok":true,"service":"brimlark"})";
        QTest::newRow("GET /healthz")
            << request("GET", "/healthz") << hookResponse("HTTP/1.1 200 OK", health) << 0;
        QTest::newRow("GET /") << QByteArray("GET /\r\n\r\n") << hookResponse("HTTP/1.1 200 OK", health) << 0;
        QTest::newRow("spaces between method and path") << QByteArray("GET    /healthz    HTTP/1.1\r\n\r\n")
                                                        << hookResponse("HTTP/1.1 200 OK", health) << 0;
        QTest::newRow("GET /event") << request("GET", "/event")
                                    << hookResponse("HTTP/1.1 405 Method Not Allowed",
                                                    R"({"error":"method GET not supported","ok":false})")
                                    << 0;
        QTest::newRow("PUT") << request("PUT", "/event", "{}")
                             << hookResponse("HTTP/1.1 405 Method Not Allowed",
                                             R"({"error":"method PUT not supported","ok":false})")
                             << 0;
        QTest::newRow("lower-case post")
            << request("post", "/event", "{}")
            << hookResponse("HTTP/1.1 405 Method Not Allowed",
                            R"({"error":"method post not supported","ok":false})")
            << 0;
        QTest::newRow("POST /healthz")
            << request("POST", "/healthz", "{}")
            << hookResponse("HTTP/1.1 404 Not Found", R"({"error":"unknown path /healthz","ok":false})") << 0;
        QTest::newRow("query string")
            << request("POST", "/event?x=1", "{}")
            << hookResponse("HTTP/1.1 404 Not Found", R"({"error":"unknown path /event?x=1","ok":false})")
            << 0;
        QTest::newRow("POST /") << request("POST", "/", "{}")
                                << hookResponse("HTTP/1.1 200 OK", R"({"ok":true})") << 1;
        QTest::newRow("POST /event") << request("POST", "/event", "{}")
                                     << hookResponse("HTTP/1.1 200 OK", R"({"ok":true})") << 1;
        QTest::newRow("empty list") << request("POST", "/event", "[]")
                                    << hookResponse(
                                           "HTTP/1.1 400 Bad Request",
                                           R"({"error":"payload did not contain any events","ok":false})")
                                    << 0;
        QTest::newRow("empty events member")
            << request("POST", "/event", R"({"events":[]})")
            << hookResponse("HTTP/1.1 400 Bad Request",
                            R"({"error":"payload did not contain any events","ok":false})")
            << 0;
        QTest::newRow("invalid utf8")
            << request("POST", "/event", "{\"a\":\"\xff\"}")
            << hookResponse("HTTP/1.1 400 Bad Request", R"({"error":"invalid utf8","ok":false})") << 0;
        QTest::newRow("no blank line")
            << QByteArray("GET /healthz HTTP/1.1\r\nHost: x\r\n")
            << hookResponse("HTTP/1.1 400 Bad Request", R"({"error":"malformed request","ok":false})") << 0;
        QTest::newRow("one-word request line")
            << QByteArray("GET\r\n\r\n")
            << hookResponse("HTTP/1.1 400 Bad Request", R"({"error":"malformed request line","ok":false})")
            << 0;
        QTest::newRow("origin")
            << QByteArray("POST /event HTTP/1.1\r\norigin: https://evil.example\r\n\r\n{}")
            << hookResponse("HTTP/1.1 403 Forbidden",
                            R"({"error":"cross-origin requests are not accepted","ok":false})")
            << 0;
        QTest::newRow("POST without Content-Length")
            << QByteArray("POST /event HTTP/1.1\r\nHost: 127.0.0.1:43434\r\n\r\n")
            << hookResponse("HTTP/1.1 411 Length Required",
                            R"({"error":"content-length required","ok":false})")
            << 0;
        QTest::newRow("origin on healthz")
            << QByteArray("GET /healthz HTTP/1.1\r\nOrigin: null\r\n\r\n")
            << hookResponse("HTTP/1.1 403 Forbidden",
                            R"({"error":"cross-origin requests are not accepted","ok":false})")
            << 0;
    }

    void routing() {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, expected);
        QFETCH(int, events);
        const HookEndpoint::Reply reply = HookEndpoint::handleRequest(bytes, now);
        QCOMPARE(reply.response, expected);
        QCOMPARE(reply.events.size(), events);
    }

    // What the bridge and curl send passes; a page whose name was pointed at this machine, or
    // another port, is refused like a cross-origin request.
    void theHostMustBeTheLoopbackEndpoint_data() {
        QTest::addColumn<QByteArray>("hostLines");
        QTest::addColumn<quint16>("listening");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("bridge and curl") << QByteArray("Host: 127.0.0.1:43434\r\n") << quint16(43434) << true;
        QTest::newRow("localhost") << QByteArray("host: LocalHost:43434\r\n") << quint16(43434) << true;
        QTest::newRow("the port set") << QByteArray("Host: 127.0.0.1:50123\r\n") << quint16(50123) << true;
        QTest::newRow("no port") << QByteArray("Host: 127.0.0.1\r\n") << quint16(43434) << true;
        QTest::newRow("no host header") << QByteArray() << quint16(43434) << true;
        QTest::newRow("rebound name")
            << QByteArray("Host: attacker.example:43434\r\n") << quint16(43434) << false;
        QTest::newRow("loopback as a subdomain")
            << QByteArray("Host: 127.0.0.1.attacker.example:43434\r\n") << quint16(43434) << false;
        QTest::newRow("another port") << QByteArray("Host: 127.0.0.1:8080\r\n") << quint16(43434) << false;
        QTest::newRow("a second host")
            << QByteArray("Host: 127.0.0.1:43434\r\nHost: evil.example\r\n") << quint16(43434) << false;
        QTest::newRow("empty") << QByteArray("Host: \r\n") << quint16(43434) << false;
        QTest::newRow("port not a number")
            << QByteArray("Host: localhost:43434x\r\n") << quint16(43434) << false;
    }
    void theHostMustBeTheLoopbackEndpoint() {
        QFETCH(QByteArray, hostLines);
        QFETCH(quint16, listening);
        QFETCH(bool, accepted);
        for (const QByteArray& head :
             {QByteArray("GET /healthz HTTP/1.1\r\n") + hostLines + "\r\n",
              QByteArray("POST /event HTTP/1.1\r\n") + hostLines + "Content-Length: 2\r\n\r\n{}"}) {
            const HookEndpoint::Reply reply = HookEndpoint::handleRequest(head, now, listening);
            if (accepted) {
                QCOMPARE(reply.statusCode, 200);
                continue;
            }
            QCOMPARE(reply.response,
                     hookResponse("HTTP/1.1 403 Forbidden",
                                  R"({"error":"requests for another host are not accepted","ok":false})"));
            QVERIFY(reply.events.isEmpty());
        }
    }

    void invalidBodies_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("number") << QByteArray("42");
        QTest::newRow("text") << QByteArray("\"x\"");
        QTest::newRow("null") << QByteArray("null");
        QTest::newRow("list with a number") << QByteArray("[{},1]");
        QTest::newRow("cut object") << QByteArray("{\"source\":");
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("two values") << QByteArray("{} {}");
    }

    void invalidBodies() {
        QFETCH(QByteArray, body);
        const HookEndpoint::Reply reply = HookEndpoint::handleRequest(request("POST", "/event", body), now);
        QVERIFY2(reply.response.startsWith("HTTP/1.1 400 Bad Request\r\n"), reply.response.constData());
        QVERIFY(jsonOf(reply.response)
                    .value(QStringLiteral("error"))
                    .toString()
                    .startsWith(QStringLiteral("invalid event: ")));
        QCOMPARE(jsonOf(reply.response).value(QStringLiteral("ok")), QJsonValue(false));
        QVERIFY(reply.events.isEmpty());
    }

    void theBodyKeepsItsOwnBlankLines() {
        const QByteArray bytes =
            "POST /event HTTP/1.1\r\nContent-Length: 17\r\n\r\n{\"title\":\r\n\r\n\"x\"}";
        const HookEndpoint::Reply reply = HookEndpoint::handleRequest(bytes, now);
        QCOMPARE(reply.events.size(), 1);
        QCOMPARE(reply.events.first().title, QStringLiteral("x"));
    }

    void theBodyIsExactlyContentLengthBytes() {
        // What follows the announced body is no part of it.
        const QByteArray bytes =
            "POST /event HTTP/1.1\r\nContent-Length: 13\r\n\r\n{\"title\":\"a\"}{\"title\":\"x\"}";
        QCOMPARE(HookHttpRequest::assess(bytes), HookHttpRequest::Framing::complete);
        const HookEndpoint::Reply reply = HookEndpoint::handleRequest(bytes, now);
        QCOMPARE(reply.response, hookResponse("HTTP/1.1 200 OK", R"({"ok":true})"));
        QCOMPARE(reply.events.size(), 1);
        QCOMPARE(reply.events.first().title, QStringLiteral("a"));
    }

    void contentTypeAndLengthAreExact() {
        const QByteArray response = HookEndpoint::httpResponse(
            "HTTP/1.1 200 OK", QJsonObject{{QStringLiteral("e"), QStringLiteral("\u00e9")}});
        QCOMPARE(response, QByteArray("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: "
                                      "10\r\nConnection: close\r\n\r\n"
                                      "{\"e\":\"\xc3\xa9\"}"));
    }

    void decodingOrder() {
        // One strict event.
        HookEventDecoder::Result result = HookEventDecoder::decode(strictEvent, now);
        QVERIFY(result.ok);
        QCOMPARE(result.events.size(), 1);
        QCOMPARE(result.events.first().source, HookEvent::Source::codex);
        QCOMPARE(result.events.first().title, QStringLiteral("strict"));

        // A strict list.
        result = HookEventDecoder::decode("[" + strictEvent + "," + strictEvent + "]", now);
        QCOMPARE(result.events.size(), 2);

        // A list with one loose member: every member goes through the loose mapping.
        result = HookEventDecoder::decode("[" + strictEvent + R"(,{"event":"Stop"}])", now);
        QCOMPARE(result.events.size(), 2);
        QCOMPARE(result.events.at(1).eventName, QStringLiteral("Stop"));

        // An "event" object merged over the envelope.
        result = HookEventDecoder::decode(
            R"({"source":"codex","cwd":"/a","event":{"event":"Stop","cwd":"/b"}})", now);
        QCOMPARE(result.events.size(), 1);
        QCOMPARE(result.events.first().source, HookEvent::Source::codex);
        QCOMPARE(result.events.first().cwd, QStringLiteral("/b"));
        QCOMPARE(result.events.first().eventName, QStringLiteral("Stop"));

        // A "payload" object.
        result = HookEventDecoder::decode(R"({"source":"claude","payload":{"tool":"Edit"}})", now);
        QCOMPARE(result.events.first().toolName, QStringLiteral("Edit"));
        QCOMPARE(result.events.first().source, HookEvent::Source::claude);

        // An "events" list, each merged over the envelope, in order.
        result =
            HookEventDecoder::decode(R"({"source":"claude","events":[{"event":"A"},{"event":"B"}]})", now);
        QCOMPARE(result.events.size(), 2);
        QCOMPARE(result.events.at(0).eventName, QStringLiteral("A"));
        QCOMPARE(result.events.at(1).source, HookEvent::Source::claude);

        // An "events" list holding a non-object: the object itself is the event.
        result = HookEventDecoder::decode(R"({"events":[1],"title":"self"})", now);
        QCOMPARE(result.events.size(), 1);
        QCOMPARE(result.events.first().title, QStringLiteral("self"));

        // The bridge payload, whose "event" is a text, is mapped whole.
        result = HookEventDecoder::decode(
            R"({"source":"claude","event":"PermissionRequest","tool_name":"Bash"})", now);
        QCOMPARE(result.events.first().status, HookEvent::Status::asking);
        QCOMPARE(result.events.first().source, HookEvent::Source::claude);
    }

    void framing_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<HookHttpRequest::Framing>("expected");
        using F = HookHttpRequest::Framing;
        QTest::newRow("head only so far")
            << QByteArray("POST /event HTTP/1.1\r\nContent-Le") << F::incomplete;
        QTest::newRow("no length, head done") << QByteArray("GET / HTTP/1.1\r\n\r\n") << F::complete;
        QTest::newRow("body missing")
            << QByteArray("POST / HTTP/1.1\r\ncontent-length: 5\r\n\r\n{}") << F::incomplete;
        QTest::newRow("body there") << QByteArray("POST / HTTP/1.1\r\nCONTENT-LENGTH:  2 \r\n\r\n{}")
                                    << F::complete;
        QTest::newRow("repeated length")
            << QByteArray("POST / HTTP/1.1\r\nContent-Length: 2\r\nContent-Length: 2\r\n\r\n{}")
            << F::malformedLength;
        QTest::newRow("negative length")
            << QByteArray("POST / HTTP/1.1\r\nContent-Length: -1\r\n\r\n") << F::malformedLength;
        QTest::newRow("empty length")
            << QByteArray("POST / HTTP/1.1\r\nContent-Length:\r\n\r\n") << F::malformedLength;
        QTest::newRow("list of lengths")
            << QByteArray("POST / HTTP/1.1\r\nContent-Length: 2, 2\r\n\r\n{}") << F::malformedLength;
        QTest::newRow("length too large")
            << QByteArray("POST / HTTP/1.1\r\nContent-Length: 70000\r\n\r\n") << F::tooLarge;
        QTest::newRow("huge length")
            << QByteArray("POST / HTTP/1.1\r\nContent-Length: 99999999999999999999999\r\n\r\n")
            << F::tooLarge;
        QTest::newRow("head too long") << QByteArray(HookHttpRequest::maxBytes, 'a') << F::tooLarge;
        QTest::newRow("body without length") << QByteArray("POST / HTTP/1.1\r\n\r\n{}") << F::lengthRequired;
        QTest::newRow("chunked") << QByteArray("POST / HTTP/1.1\r\ntransfer-encoding: chunked\r\n\r\n")
                                 << F::unsupportedEncoding;
        QTest::newRow("chunked with a length")
            << QByteArray("POST / HTTP/1.1\r\nContent-Length: 2\r\nTransfer-Encoding: chunked\r\n\r\n{}")
            << F::unsupportedEncoding;
        QTest::newRow("a second request after the body")
            << QByteArray("POST / HTTP/1.1\r\nContent-Length: 2\r\n\r\n{}GET / HTTP/1.1\r\n\r\n")
            << F::complete;
        const QByteArray head = "POST / HTTP/1.1\r\nContent-Length: ";
        const qsizetype exact = HookHttpRequest::maxBytes - head.size() - 9;
        QTest::newRow("exactly the limit")
            << QByteArray(head + QByteArray::number(exact) + "\r\n\r\n" + QByteArray(exact, ' '))
            << F::complete;
    }

    void framing() {
        QFETCH(QByteArray, bytes);
        QFETCH(HookHttpRequest::Framing, expected);
        QCOMPARE(HookHttpRequest::assess(bytes), expected);
    }

    void transportAnswers() {
        QCOMPARE(
            HookEndpoint::answer("x", HookHttpRequest::Framing::tooLarge, now).response,
            hookResponse("HTTP/1.1 413 Payload Too Large", R"({"error":"request too large","ok":false})"));
        QCOMPARE(HookEndpoint::answer("x", HookHttpRequest::Framing::malformedLength, now).response,
                 hookResponse("HTTP/1.1 400 Bad Request", R"({"error":"malformed request","ok":false})"));
        QCOMPARE(HookEndpoint::answer("x", HookHttpRequest::Framing::lengthRequired, now).response,
                 hookResponse("HTTP/1.1 411 Length Required",
                              R"({"error":"content-length required","ok":false})"));
        QCOMPARE(HookEndpoint::answer("x", HookHttpRequest::Framing::unsupportedEncoding, now).response,
                 hookResponse("HTTP/1.1 501 Not Implemented",
                              R"({"error":"transfer-encoding not supported","ok":false})"));
        QCOMPARE(HookEndpoint::answer("x", HookHttpRequest::Framing::abandoned, now).response,
                 hookResponse("HTTP/1.1 408 Request Timeout", R"({"error":"request timed out","ok":false})"));
    }
};

BRIMLARK_TEST_MAIN(TestHookEndpoint)
#include "tst_hookendpoint.moc"
