#include "Brimlark/controls/MediaService.h"
#include "platform/linux/dbus/MprisMediaPlayers.h"
#include "platform/linux/media/ArtworkFetcher.h"
#include "tests/support/FakeMprisPlayer.h"
#include "tests/support/RequiredServers.h"
#include "tests/support/TestMain.h"

#include <QBuffer>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace std::chrono_literals;
using Player = MediaPlayers::Player;

namespace {

const QString musicName = QStringLiteral("org.mpris.MediaPlayer2.brimlarktest");
const QString spotifyName = QStringLiteral("org.mpris.MediaPlayer2.spotify");

QByteArray png(const QColor& colour) {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return data;
}

// Serves artwork on 127.0.0.1: "/cover.png" a small picture, "/huge.png" ten megabytes with their
// length announced, "/endless.png" a stream that never ends, "/silent.png" nothing at all.
class ArtworkServer : public QObject {
public:
    ArtworkServer() {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                connect(socket, &QIODevice::readyRead, socket, [this, socket] { answer(socket); });
                connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    QString url(const char* path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(QLatin1String(path));
    }

private:
    void answer(QTcpSocket* socket) {
        const QByteArray request = socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        if (request.startsWith("GET /cover.png ")) {
            const QByteArray body = png(Qt::darkCyan);
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nContent-Length: " +
                          QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
            socket->disconnectFromHost();
        } else if (request.startsWith("GET /huge.png ")) {
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nContent-Length: 10485760\r\n\r\n");
            socket->write(QByteArray(1024 * 1024, 'x'));
        } else if (request.startsWith("GET /endless.png ")) {
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nConnection: close\r\n\r\n");
            auto* trickle = new QTimer(socket);
            connect(trickle, &QTimer::timeout, socket,
                    [socket] { socket->write(QByteArray(64 * 1024, 'y')); });
            trickle->start(20);
        }
        // "/silent.png" gets no answer.
    }

    QTcpServer m_server;
};

} // namespace

class TestMprisMediaPlayers : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<FakeMprisPlayer> m_player;
    std::unique_ptr<ArtworkServer> m_server;
    QTemporaryDir m_folder;

    // Waits until `players` sees `name` (the bus announces a new owner on a later turn).
    static bool sees(MprisMediaPlayers& players, Player role, const QString& name) {
        return QTest::qWaitFor([&] { return players.busName(role) == name; }, 5000);
    }

private slots:
    void initTestCase() {
        BRIMLARK_REQUIRE_SERVER(QDBusConnection::sessionBus().isConnected(),
                                "a session bus (run under dbus-run-session)");
        m_server = std::make_unique<ArtworkServer>();
    }

    void cleanupTestCase() { m_server.reset(); }

    void init() {
        m_player = FakeMprisPlayer::start(musicName);
        QVERIFY(m_player);
    }

    void cleanup() { m_player.reset(); }

    // The player's track reaches the service's value, its commands reach the player, and its
    // announcements and its leaving the bus refresh the service on their own.
    void followsAPlayerOnTheBus() {
        m_player->setPlayer(FakeMprisPlayer::track(QStringLiteral("Playing"), QStringLiteral("Song"),
                                                   {QStringLiteral("A"), QStringLiteral("B")}, 215000000));
        MprisMediaPlayers players;
        QVERIFY(sees(players, Player::music, musicName));
        QVERIFY(!players.isRunning(Player::spotify));
        MediaRemoteBridge bridge(&players);
        MediaService media(bridge);
        media.refresh();
        QVERIFY(media.nowPlaying());
        QCOMPARE(media.nowPlaying()->title, std::optional(QStringLiteral("Song")));
        QCOMPARE(media.nowPlaying()->artist, std::optional(QStringLiteral("A, B")));
        QCOMPARE(media.nowPlaying()->isPlaying, true);
        QCOMPARE(media.nowPlaying()->source, MediaRemoteBridge::SourceApp::music);
        QCOMPARE(media.nowPlaying()->duration, std::optional(215.0));
        QCOMPARE(media.nowPlaying()->position, std::optional(1.5));

        bridge.nextTrack(std::nullopt);
        bridge.playPause(MediaRemoteBridge::SourceApp::music);
        bridge.previousTrack(MediaRemoteBridge::SourceApp::music);
        QCOMPARE(m_player->commands(), QStringList({QStringLiteral("Next"), QStringLiteral("PlayPause"),
                                                    QStringLiteral("Previous")}));

        m_player->setPlayer(FakeMprisPlayer::track(QStringLiteral("Paused"), QStringLiteral("Other"), {}));
        // Well before the five-second poll: the player's announcement brings the change.
        QTRY_COMPARE_WITH_TIMEOUT(media.nowPlaying()->title, std::optional(QStringLiteral("Other")), 2000);
        QCOMPARE(media.nowPlaying()->isPlaying, false);
        QCOMPARE(media.nowPlaying()->artist, std::optional(QString()));

        m_player.reset();
        QTRY_VERIFY_WITH_TIMEOUT(!media.nowPlaying(), 2000);
        QVERIFY(!players.isRunning(Player::music));
    }

    // Spotify has its own name; any other player is music, and of several the first by name.
    void rolesByName() {
        auto spotify = FakeMprisPlayer::start(spotifyName);
        auto later = FakeMprisPlayer::start(QStringLiteral("org.mpris.MediaPlayer2.zzz"));
        QVERIFY(spotify && later);
        MprisMediaPlayers players;
        QVERIFY(sees(players, Player::spotify, spotifyName));
        QCOMPARE(players.busName(Player::music), musicName);
        m_player.reset();
        QVERIFY(sees(players, Player::music, QStringLiteral("org.mpris.MediaPlayer2.zzz")));
    }

    // A player that never answers costs a refresh at most the call timeout, and shows no track.
    void aSilentPlayerCannotHoldUpARefresh() {
        m_player->setPlayer(FakeMprisPlayer::track(QStringLiteral("Playing"), QStringLiteral("Song"), {}));
        MprisMediaPlayers players;
        QVERIFY(sees(players, Player::music, musicName));
        MediaRemoteBridge bridge(&players);
        MediaService media(bridge);
        m_player->setSilent(true);
        QElapsedTimer elapsed;
        elapsed.start();
        media.refresh();
        QVERIFY2(elapsed.elapsed() < 1000, qPrintable(QString::number(elapsed.elapsed())));
        QVERIFY(!media.nowPlaying());
        elapsed.restart();
        bridge.nextTrack(MediaRemoteBridge::SourceApp::music);
        QVERIFY2(elapsed.elapsed() < 1000, qPrintable(QString::number(elapsed.elapsed())));
    }

    void artwork_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("arrives");
        const ArtworkServer& server = *m_server;
        const QTemporaryDir& folder = m_folder;
        const QString small = folder.filePath(QStringLiteral("cover.png"));
        QFile smallFile(small);
        if (smallFile.open(QIODevice::WriteOnly))
            smallFile.write(png(Qt::darkMagenta));
        const QString large = folder.filePath(QStringLiteral("large.png"));
        QFile largeFile(large);
        if (largeFile.open(QIODevice::WriteOnly))
            largeFile.write(png(Qt::red) + QByteArray(6 * 1024 * 1024, 'z'));
        QTest::newRow("small picture over http") << server.url("/cover.png") << true;
        QTest::newRow("ten megabytes over http") << server.url("/huge.png") << false;
        QTest::newRow("endless download") << server.url("/endless.png") << false;
        QTest::newRow("server that never answers") << server.url("/silent.png") << false;
        QTest::newRow("small file") << QUrl::fromLocalFile(small).toString() << true;
        QTest::newRow("file over five megabytes") << QUrl::fromLocalFile(large).toString() << false;
        QTest::newRow("folder") << QUrl::fromLocalFile(folder.path()).toString() << false;
    }

    // The track shows at once; its artwork follows when it can be had within the limits, and
    // the fetch is never repeated by later refreshes.
    void artwork() {
        QFETCH(QString, address);
        QFETCH(bool, arrives);
        m_player->setPlayer(
            FakeMprisPlayer::track(QStringLiteral("Playing"), QStringLiteral("Song"), {}, 0, address));
        ArtworkFetcher fetcher;
        MprisMediaPlayers players(QDBusConnection::sessionBus(), &fetcher);
        QVERIFY(sees(players, Player::music, musicName));
        MediaRemoteBridge bridge(&players);
        MediaService media(bridge);
        QSignalSpy arrived(&fetcher, &ArtworkFetcher::arrived);
        QElapsedTimer elapsed;
        elapsed.start();
        media.refresh();
        QVERIFY(media.nowPlaying());
        QVERIFY(media.nowPlaying()->artwork.isNull());
        QVERIFY(fetcher.isFetching(QUrl(address)));
        QTRY_VERIFY_WITH_TIMEOUT(!fetcher.isFetching(QUrl(address)), 4000);
        QVERIFY2(elapsed.elapsed() < 3000, qPrintable(QString::number(elapsed.elapsed())));
        if (arrives) {
            QCOMPARE(arrived.count(), 1);
            QTRY_VERIFY(!media.nowPlaying()->artwork.isNull());
        } else {
            QCOMPARE(arrived.count(), 0);
        }
        media.refresh();
        QCOMPARE(media.nowPlaying()->title, std::optional(QStringLiteral("Song")));
        QCOMPARE(media.nowPlaying()->artwork.isNull(), !arrives);
        QVERIFY(!fetcher.isFetching(QUrl(address)));
    }
};

BRIMLARK_TEST_MAIN(TestMprisMediaPlayers)
#include "tst_mprismediaplayers.moc"
