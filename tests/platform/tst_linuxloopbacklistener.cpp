#include "Brimlark/aihooks/endpoint/HookEndpoint.h"
#include "Brimlark/aihooks/endpoint/HookHttpRequest.h"
#include "platform/linux/kernel/LinuxLoopbackListener.h"
#include "tests/support/HookTestClient.h"
#include "tests/support/TestMain.h"

#include <QElapsedTimer>
#include <QTimeZone>

#include <atomic>
#include <memory>
#include <sys/resource.h>

using namespace std::chrono_literals;

namespace {

const QDateTime now(QDate(2026, 1, 5), QTime(9, 0), QTimeZone::utc());
const QByteArray ok = hookResponse("HTTP/1.1 200 OK", R"({"ok":true})");
const QByteArray health = hookResponse("HTTP/1.1 200 OK", R"({"ok":true,"service":"brimlark"})");

} // namespace

class TestLinuxLoopbackListener : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<LinuxLoopbackListener> m_listener;
    std::atomic<int> m_requests{0};
    QByteArray m_lastReceived;
    QStringList m_lastTitles;

    quint16 start(std::chrono::milliseconds deadline = 400ms, int maxConnections = 32) {
        LinuxLoopbackListener::Options options;
        options.deadline = deadline;
        options.maxConnections = maxConnections;
        return start(options);
    }

    quint16 start(LinuxLoopbackListener::Options options) {
        options.port = 0;
        LoopbackListener::Protocol protocol = HookHttpRequest::protocol();
        protocol.respond = [this](const QByteArray& bytes, HookHttpRequest::Framing f) {
            ++m_requests;
            m_lastReceived = bytes;
            const HookEndpoint::Reply reply = HookEndpoint::answer(bytes, f, now);
            m_lastTitles.clear();
            for (const HookEvent& event : reply.events)
                m_lastTitles.append(event.title.value_or(QString()));
            return reply.response;
        };
        m_listener = std::make_unique<LinuxLoopbackListener>(options, protocol);
        QString error;
        if (!m_listener->start(&error))
            qWarning("listener did not start: %s", qPrintable(error));
        return m_listener->boundPort();
    }

private slots:
    void cleanup() {
        m_listener.reset();
        m_requests = 0;
    }

    void bindsLoopbackOnlyOnAnEphemeralPort() {
        const quint16 port = start();
        QVERIFY(port != 0);
        QCOMPARE(m_listener->boundAddress(), QStringLiteral("127.0.0.1"));
        QCOMPARE(HookTestClient::exchange(port, "GET /healthz HTTP/1.1\r\nHost: 127.0.0.1:43434\r\n\r\n"),
                 health);
    }

    void aTakenPortFailsToStart() {
        const quint16 port = start();
        LinuxLoopbackListener::Options options;
        options.port = port;
        LinuxLoopbackListener second(options, HookHttpRequest::protocol());
        QString error;
        QVERIFY(!second.start(&error));
        QVERIFY2(error.contains(QStringLiteral("bind")), qPrintable(error));
        QCOMPARE(second.boundPort(), quint16(0));
    }

    void aBodyInASecondPacketIsRead() {
        const quint16 port = start();
        const QByteArray body = R"({"source":"claude","event":"Stop"})";
        const QByteArray whole = hookPost(body);
        const qsizetype split = whole.indexOf("\r\n\r\n") + 4;
        HookTestClient client(port);
        QVERIFY(client.sendInPieces({whole.left(split), whole.mid(split, 5), whole.mid(split + 5)}, 60ms));
        QCOMPARE(client.readAll(), ok);
        QVERIFY(client.closedByServer());
        QCOMPARE(m_lastReceived, whole);
    }

    void theHeadInPiecesIsRead() {
        const quint16 port = start();
        HookTestClient client(port);
        QVERIFY(client.sendInPieces({"GET /hea", "lthz HTTP/1.1\r\n", "Host: 127.0.0.1:43434\r\n\r", "\n"},
                                    40ms));
        QCOMPARE(client.readAll(), health);
    }

    void aRequestOverTheLimitGets413AndIsReadToTheEnd() {
        const quint16 port = start(3000ms);
        const QByteArray body(70000, 'x');
        HookTestClient client(port);
        // Without the lingering close the client could read a reset instead of the answer.
        QVERIFY(client.send(hookPost(body)));
        QCOMPARE(client.readAll(), hookResponse("HTTP/1.1 413 Payload Too Large",
                                                R"({"error":"request too large","ok":false})"));
    }

    void anAnnouncedLengthOverTheLimitIsRefusedAtOnce() {
        const quint16 port = start(3000ms);
        HookTestClient client(port);
        QVERIFY(client.send("POST /event HTTP/1.1\r\nContent-Length: 70000\r\n\r\n"));
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(client.readAll(), hookResponse("HTTP/1.1 413 Payload Too Large",
                                                R"({"error":"request too large","ok":false})"));
        QVERIFY(timer.elapsed() < 2000);
    }

    void aHeadWithoutEndOverTheLimitGets413() {
        const quint16 port = start(3000ms);
        HookTestClient client(port);
        QVERIFY(client.send("GET / HTTP/1.1\r\nX: " + QByteArray(70000, 'a')));
        QVERIFY(client.readAll().startsWith("HTTP/1.1 413 Payload Too Large\r\n"));
    }

    void aClientWaitingToSendItsBodyIsToldToContinueOnce() {
        const quint16 port = start(3000ms);
        const QByteArray body = R"({"source":"claude","event":"Stop"})";
        const QByteArray head = "POST /event HTTP/1.1\r\nExpect: 100-Continue\r\nContent-Length: " +
                                QByteArray::number(body.size()) + "\r\n\r\n";
        HookTestClient waiting(port);
        QVERIFY(waiting.send(head));
        QCOMPARE(waiting.readAll(300ms), QByteArray("HTTP/1.1 100 Continue\r\n\r\n"));
        QVERIFY(waiting.sendInPieces({body.left(5), body.mid(5)}, 40ms));
        QCOMPARE(waiting.readAll(), ok);
        QCOMPARE(m_lastReceived, head + body);

        // One that sent its body along gets only the final answer.
        QCOMPARE(HookTestClient::exchange(port, head + body), ok);
    }

    void aBadContentLengthGets400() {
        const quint16 port = start();
        QCOMPARE(HookTestClient::exchange(
                     port, "POST /event HTTP/1.1\r\nContent-Length: 2\r\ncontent-length: 2\r\n\r\n{}"),
                 hookResponse("HTTP/1.1 400 Bad Request", R"({"error":"malformed request","ok":false})"));
    }

    void anIdleConnectionIsClosedSilently() {
        const quint16 port = start(300ms);
        HookTestClient client(port);
        QVERIFY(client.isConnected());
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(client.readAll(3000ms), QByteArray());
        QVERIFY(client.closedByServer());
        QVERIFY(timer.elapsed() >= 250);
        QCOMPARE(m_requests.load(), 0);
    }

    void aStalledRequestIsAnsweredAtTheDeadline() {
        const quint16 port = start(300ms);
        HookTestClient client(port);
        QVERIFY(client.send("POST /event HTTP/1.1\r\nContent-Length: 100\r\n\r\n{\"a\":"));
        const QByteArray response = client.readAll(3000ms);
        QVERIFY2(response.startsWith("HTTP/1.1 400 Bad Request\r\n"), response.constData());
        QVERIFY(response.contains("invalid event: "));
        QVERIFY(client.closedByServer());
    }

    void aStalledHeadIsAnsweredAtTheDeadline() {
        const quint16 port = start(300ms);
        HookTestClient client(port);
        QVERIFY(client.send("GET /healthz HTTP/1.1\r\n"));
        QCOMPARE(client.readAll(3000ms),
                 hookResponse("HTTP/1.1 400 Bad Request", R"({"error":"malformed request","ok":false})"));
    }

    void aConnectionClosedWithoutDataGetsNoResponse() {
        const quint16 port = start();
        {
            HookTestClient client(port);
            QVERIFY(client.isConnected());
        }
        HookTestClient halfClosed(port);
        halfClosed.shutdownWrite();
        QCOMPARE(halfClosed.readAll(2000ms), QByteArray());
        QVERIFY(halfClosed.closedByServer());
        QTRY_COMPARE(m_listener->openConnections(), 0);
        QCOMPARE(m_requests.load(), 0);
    }

    void endOfInputAnswersWhatArrived() {
        const quint16 port = start(3000ms);
        HookTestClient client(port);
        QVERIFY(client.send("GET /healthz HTTP/1.1\r\n"));
        client.shutdownWrite();
        QCOMPARE(client.readAll(),
                 hookResponse("HTTP/1.1 400 Bad Request", R"({"error":"malformed request","ok":false})"));
    }

    void atTheLimitTheLongestWaitingConnectionMakesRoom() {
        // Deadlines far beyond the test, so that only eviction can close a connection here.
        LinuxLoopbackListener::Options options;
        options.deadline = 5000ms;
        options.firstByteDeadline = 5000ms;
        options.maxConnections = 3;
        const quint16 port = start(options);
        // The oldest has begun a request, the two after it sent nothing.
        HookTestClient partial(port);
        QVERIFY(partial.send("POST /event HTTP/1.1\r\nContent-Length: 40\r\n\r\n{\"a\""));
        QTRY_COMPARE(m_listener->openConnections(), 1);
        HookTestClient silent(port);
        HookTestClient silentToo(port);
        QTRY_COMPARE(m_listener->openConnections(), 3);

        QElapsedTimer timer;
        timer.start();
        QCOMPARE(HookTestClient::exchange(port, hookPost(R"({"title":"new"})")), ok);
        QCOMPARE(partial.readAll(1000ms),
                 hookResponse("HTTP/1.1 408 Request Timeout", R"({"error":"request timed out","ok":false})"));
        QVERIFY(partial.closedByServer());
        // The limit reached again: the next to go is the older silent one, closed without a word.
        HookTestClient silentThree(port);
        QTRY_COMPARE(m_listener->openConnections(), 3);
        QCOMPARE(HookTestClient::exchange(port, "GET / HTTP/1.1\r\n\r\n"), health);
        QCOMPARE(silent.readAll(2000ms), QByteArray());
        QVERIFY(silent.closedByServer());
        QVERIFY(timer.elapsed() < 4000);
    }

    // Any number of connections that send nothing never keep a hook event out.
    void idleConnectionsNeverKeepARequestOut_data() {
        QTest::addColumn<int>("idle");
        QTest::newRow("32") << 32;
        QTest::newRow("100") << 100;
        QTest::newRow("1000") << 1000;
    }

    void idleConnectionsNeverKeepARequestOut() {
        QFETCH(int, idle);
        rlimit files{};
        getrlimit(RLIMIT_NOFILE, &files);
        const rlim_t needed = rlim_t(idle) + 700;
        if (files.rlim_cur < needed && files.rlim_max >= needed) {
            files.rlim_cur = needed;
            setrlimit(RLIMIT_NOFILE, &files);
        }
        if (files.rlim_cur < needed)
            QSKIP("too few file descriptors allowed for this many connections");

        const quint16 port = start(LinuxLoopbackListener::Options{});
        std::vector<std::unique_ptr<HookTestClient>> held;
        for (int i = 0; i < idle; ++i) {
            held.push_back(std::make_unique<HookTestClient>(port));
            QVERIFY(held.back()->isConnected());
        }
        int answered = 0;
        for (int i = 0; i < 20; ++i) {
            QElapsedTimer timer;
            timer.start();
            const QByteArray response = HookTestClient::exchange(
                port, hookPost(QByteArray("{\"title\":\"probe ") + QByteArray::number(i) + "\"}"));
            if (response == ok && timer.elapsed() < 1000)
                ++answered;
        }
        QCOMPARE(answered, 20);
    }

    void aConnectionThatSendsNothingClosesAfterASecond() {
        const quint16 port = start(LinuxLoopbackListener::Options{});
        HookTestClient client(port);
        QVERIFY(client.isConnected());
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(client.readAll(4000ms), QByteArray());
        QVERIFY(client.closedByServer());
        QVERIFY2(timer.elapsed() >= 900 && timer.elapsed() < 2000, QByteArray::number(timer.elapsed()));
    }

    void aBegunRequestKeepsTheWholeDeadline() {
        LinuxLoopbackListener::Options options;
        options.firstByteDeadline = 200ms;
        options.deadline = 900ms;
        const quint16 port = start(options);
        HookTestClient client(port);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(client.send("GET /healthz HTTP/1.1\r\n"));
        QCOMPARE(client.readAll(3000ms),
                 hookResponse("HTTP/1.1 400 Bad Request", R"({"error":"malformed request","ok":false})"));
        QVERIFY2(timer.elapsed() >= 800, QByteArray::number(timer.elapsed()));
    }

    // Requests are framed by Content-Length alone, and every answer closes its connection.
    void framingOverTheWire_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("two requests in one write")
            << hookPost(R"({"title":"first"})") + hookPost(R"({"title":"second"})") << ok
            << QStringList{QStringLiteral("first")};
        QTest::newRow("a body without Content-Length")
            << QByteArray("POST /event HTTP/1.1\r\nHost: 127.0.0.1:43434\r\n\r\n{\"title\":\"x\"}")
            << hookResponse("HTTP/1.1 411 Length Required",
                            R"({"error":"content-length required","ok":false})")
            << QStringList();
        QTest::newRow("chunked") << QByteArray("POST /event HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n"
                                               "d\r\n{\"title\":\"x\"}\r\n0\r\n\r\n")
                                 << hookResponse("HTTP/1.1 501 Not Implemented",
                                                 R"({"error":"transfer-encoding not supported","ok":false})")
                                 << QStringList();
    }

    void framingOverTheWire() {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, expected);
        QFETCH(QStringList, titles);
        const quint16 port = start(3000ms);
        HookTestClient client(port);
        QVERIFY(client.send(bytes));
        QElapsedTimer timer;
        timer.start();
        const QByteArray response = client.readAll();
        QCOMPARE(response, expected);
        QVERIFY(response.contains("\r\nConnection: close\r\n"));
        QVERIFY(client.closedByServer());
        QVERIFY(timer.elapsed() < 1000);
        QCOMPARE(m_requests.load(), 1);
        QCOMPARE(m_lastTitles, titles);
    }

    void manySequentialRequests() {
        const quint16 port = start();
        for (int i = 0; i < 200; ++i)
            QCOMPARE(HookTestClient::exchange(port, hookPost(R"({"event":"Stop"})")), ok);
        QCOMPARE(m_requests.load(), 200);
    }

    void stopClosesEverythingAndCanRepeat() {
        const quint16 port = start();
        HookTestClient waiting(port);
        QVERIFY(waiting.isConnected());
        QTRY_COMPARE(m_listener->openConnections(), 1);
        m_listener->stop();
        QCOMPARE(waiting.readAll(1000ms), QByteArray());
        QVERIFY(waiting.closedByServer());
        m_listener->stop();
        QCOMPARE(m_listener->boundPort(), quint16(0));
        HookTestClient refused(port);
        QVERIFY(!refused.isConnected());
    }
};

BRIMLARK_TEST_MAIN(TestLinuxLoopbackListener)
#include "tst_linuxloopbacklistener.moc"
