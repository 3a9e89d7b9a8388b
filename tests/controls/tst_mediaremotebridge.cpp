#include "Brimlark/controls/MediaRemoteBridge.h"
#include "platform/fake/FakeMediaPlayers.h"
#include "tests/support/TestMain.h"

#include <QTest>

using Player = MediaPlayers::Player;
using Command = MediaPlayers::Command;
using SourceApp = MediaRemoteBridge::SourceApp;
using NowPlaying = MediaRemoteBridge::NowPlaying;

Q_DECLARE_METATYPE(std::optional<SourceApp>)
Q_DECLARE_METATYPE(QList<FakeMediaPlayers::Sent>)

namespace {

// What a player is doing in a row of a table.
enum class State { notRunning, stopped, paused, playing };

MediaTrack track(const QString& title, bool playing) {
    MediaTrack t;
    t.title = title;
    t.artist = QStringLiteral("Band");
    t.isPlaying = playing;
    t.duration = 215.0;
    t.position = 12.0;
    return t;
}

void setUp(FakeMediaPlayers& players, Player player, State state) {
    if (state == State::notRunning)
        return;
    players.running[player] = true;
    if (state != State::stopped)
        players.tracks[player] =
            track(player == Player::music ? QStringLiteral("Music song") : QStringLiteral("Spotify song"),
                  state == State::playing);
}

NowPlaying value(std::optional<double> position, const QImage& artwork = {}) {
    NowPlaying v;
    v.title = QStringLiteral("Song");
    v.artist = QString();
    v.isPlaying = true;
    v.duration = 200.0;
    v.position = position;
    v.artwork = artwork;
    return v;
}

} // namespace

Q_DECLARE_METATYPE(State)
Q_DECLARE_METATYPE(NowPlaying)

class TestMediaRemoteBridge : public QObject {
    Q_OBJECT
private slots:
    void transportGoesToTheRightPlayer_data() {
        QTest::addColumn<State>("music");
        QTest::addColumn<State>("spotify");
        QTest::addColumn<std::optional<SourceApp>>("source");
        QTest::addColumn<QList<FakeMediaPlayers::Sent>>("sent");
        const std::optional<SourceApp> none;
        QTest::newRow("both playing, no source: music")
            << State::playing << State::playing << none
            << QList<FakeMediaPlayers::Sent>{{Player::music, Command::next}};
        QTest::newRow("music stopped, no source: spotify")
            << State::stopped << State::paused << none
            << QList<FakeMediaPlayers::Sent>{{Player::spotify, Command::next}};
        QTest::newRow("neither running, no source: nothing")
            << State::notRunning << State::notRunning << none << QList<FakeMediaPlayers::Sent>{};
        QTest::newRow("both stopped, no source: nothing")
            << State::stopped << State::stopped << none << QList<FakeMediaPlayers::Sent>{};
        QTest::newRow("source given: sent without asking whether it runs")
            << State::playing << State::notRunning << std::optional(SourceApp::spotify)
            << QList<FakeMediaPlayers::Sent>{{Player::spotify, Command::next}};
    }

    void transportGoesToTheRightPlayer() {
        QFETCH(State, music);
        QFETCH(State, spotify);
        QFETCH(std::optional<SourceApp>, source);
        QFETCH(QList<FakeMediaPlayers::Sent>, sent);
        FakeMediaPlayers players;
        setUp(players, Player::music, music);
        setUp(players, Player::spotify, spotify);
        MediaRemoteBridge bridge(&players);
        bridge.nextTrack(source);
        QCOMPARE(players.sent, sent);
    }

    void equality_data() {
        QTest::addColumn<NowPlaying>("a");
        QTest::addColumn<NowPlaying>("b");
        QTest::addColumn<bool>("equal");
        QImage art(4, 4, QImage::Format_RGB32);
        art.fill(Qt::blue);
        QTest::newRow("differ only in artwork") << value(3.0) << value(3.0, art) << true;
        QTest::newRow("position moved") << value(3.0) << value(8.0) << false;
        QTest::newRow("position absent on one side") << value(3.0) << value(std::nullopt) << false;
        QTest::newRow("both without position") << value(std::nullopt) << value(std::nullopt) << true;
        NowPlaying paused = value(3.0);
        paused.isPlaying = false;
        QTest::newRow("paused") << value(3.0) << paused << false;
        NowPlaying fromSpotify = value(3.0);
        fromSpotify.source = SourceApp::spotify;
        QTest::newRow("other player") << value(3.0) << fromSpotify << false;
    }

    void equality() {
        QFETCH(NowPlaying, a);
        QFETCH(NowPlaying, b);
        QFETCH(bool, equal);
        QCOMPARE(a == b, equal);
        QCOMPARE(a != b, !equal);
    }
};

BRIMLARK_TEST_MAIN(TestMediaRemoteBridge)
#include "tst_mediaremotebridge.moc"
