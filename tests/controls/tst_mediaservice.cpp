#include "Brimlark/controls/MediaService.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "platform/fake/FakeClock.h"
#include "platform/fake/FakeMediaPlayers.h"
#include "tests/support/TestMain.h"

#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;
using Player = MediaPlayers::Player;
using SourceApp = MediaRemoteBridge::SourceApp;

Q_DECLARE_METATYPE(std::optional<SourceApp>)

namespace {

enum class State { notRunning, stopped, paused, playing };

void setUp(FakeMediaPlayers& players, Player player, State state) {
    if (state == State::notRunning)
        return;
    players.running[player] = true;
    if (state == State::stopped)
        return;
    MediaTrack track;
    track.title = player == Player::music ? QStringLiteral("Music song") : QStringLiteral("Spotify song");
    track.isPlaying = state == State::playing;
    players.tracks[player] = track;
}

// Artwork of one colour, given by hue (degrees), saturation and brightness.
QImage plain(int hue, double saturation, double brightness) {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(QColor::fromHsvF(hue / 360.0f, float(saturation), float(brightness)));
    return image;
}

} // namespace

Q_DECLARE_METATYPE(State)

class TestMediaService : public QObject {
    Q_OBJECT
private:
    FakeClock clock;

private slots:
    void refreshTakesMusicFirst_data() {
        QTest::addColumn<State>("music");
        QTest::addColumn<State>("spotify");
        QTest::addColumn<std::optional<SourceApp>>("shown");
        QTest::addColumn<int>("questions");
        const std::optional<SourceApp> none;
        QTest::newRow("neither running") << State::notRunning << State::notRunning << none << 0;
        QTest::newRow("both playing")
            << State::playing << State::playing << std::optional(SourceApp::music) << 1;
        QTest::newRow("music paused, spotify playing")
            << State::paused << State::playing << std::optional(SourceApp::music) << 1;
        QTest::newRow("music stopped")
            << State::stopped << State::playing << std::optional(SourceApp::spotify) << 2;
        QTest::newRow("only spotify running")
            << State::notRunning << State::paused << std::optional(SourceApp::spotify) << 1;
        QTest::newRow("both stopped") << State::stopped << State::stopped << none << 2;
    }

    // Every refresh publishes, also when nothing changed; a player not running is never asked.
    void refreshTakesMusicFirst() {
        QFETCH(State, music);
        QFETCH(State, spotify);
        QFETCH(std::optional<SourceApp>, shown);
        QFETCH(int, questions);
        FakeMediaPlayers players;
        setUp(players, Player::music, music);
        setUp(players, Player::spotify, spotify);
        MediaRemoteBridge bridge(&players);
        MediaService media(bridge, &clock);
        QSignalSpy published(&media, &MediaService::nowPlayingChanged);
        media.refresh();
        QCOMPARE(players.asked.size(), questions);
        QCOMPARE(media.nowPlaying().has_value(), shown.has_value());
        if (shown)
            QCOMPARE(media.nowPlaying()->source, *shown);
        media.refresh();
        QCOMPARE(published.count(), 2);
    }

    // Nothing at creation; then the players' announcements, at once, and the poll every 5 s.
    void refreshesOnAnnouncementsAndEveryFiveSeconds() {
        FakeMediaPlayers players;
        players.play(Player::music, MediaTrack{QStringLiteral("Song"), QString(), true, {}, {}, {}});
        MediaRemoteBridge bridge(&players);
        MediaService media(bridge, &clock);
        QSignalSpy published(&media, &MediaService::nowPlayingChanged);
        QCoreApplication::processEvents();
        QVERIFY(players.asked.isEmpty());
        QVERIFY(!media.nowPlaying());

        emit players.changed();
        QCOMPARE(published.count(), 0);
        QCoreApplication::processEvents();
        QCOMPARE(published.count(), 1);
        QCOMPARE(media.nowPlaying()->title, std::optional(QStringLiteral("Song")));

        // A track's artwork arriving shows the track again, now with it.
        const QUrl art(QStringLiteral("file:///covers/song.png"));
        players.tracks[Player::music].artworkUrl = art;
        QImage cover(4, 4, QImage::Format_RGB32);
        cover.fill(Qt::green);
        players.artworks.insert(art, cover);
        emit players.artworkArrived(art);
        QCoreApplication::processEvents();
        QCOMPARE(published.count(), 2);
        QCOMPARE(media.nowPlaying()->artwork, cover);

        clock.advance(4900ms);
        QCOMPARE(published.count(), 2);
        clock.advance(100ms);
        QCOMPARE(published.count(), 3);
        clock.advance(5000ms);
        QCOMPARE(published.count(), 4);
    }

    void artworkTint_data() {
        QTest::addColumn<QImage>("artwork");
        QTest::addColumn<double>("hue");
        QTest::addColumn<double>("saturation");
        QTest::addColumn<double>("brightness");
        QTest::newRow("all black") << plain(0, 0, 0) << 0.0 << 0.0 << 0.55;
        QTest::newRow("grey of brightness 0.8") << plain(0, 0, 0.8) << 0.0 << 0.0 << 0.8;
        QTest::newRow("grey below 0.55") << plain(0, 0, 0.3) << 0.0 << 0.0 << 0.55;
        QTest::newRow("saturation 0.5, brightness 0.6") << plain(200, 0.5, 0.6) << 200.0 << 0.7 << 0.6;
        QTest::newRow("saturation 0.9") << plain(20, 0.9, 0.9) << 20.0 << 1.0 << 0.9;
        QImage halves(20, 10, QImage::Format_RGB32);
        halves.fill(Qt::black);
        for (int y = 0; y < 10; ++y)
            for (int x = 10; x < 20; ++x)
                halves.setPixelColor(x, y, QColor(255, 0, 0));
        QTest::newRow("half red, half black: the average") << halves << 0.0 << 1.0 << 0.55;
    }

    void artworkTint() {
        QFETCH(QImage, artwork);
        QFETCH(double, hue);
        QFETCH(double, saturation);
        QFETCH(double, brightness);
        const QColor tint = artworkTintColor(artwork);
        QCOMPARE(tint.alphaF(), 1.0f);
        QVERIFY2(qAbs(tint.hsvSaturationF() - saturation) < 0.015,
                 qPrintable(QString::number(tint.hsvSaturationF())));
        QVERIFY2(qAbs(tint.valueF() - brightness) < 0.015, qPrintable(QString::number(tint.valueF())));
        if (saturation > 0)
            QVERIFY2(qAbs(tint.hsvHueF() * 360 - hue) < 2, qPrintable(QString::number(tint.hsvHueF() * 360)));
        else
            QVERIFY(tint.hsvHueF() <= 0);
    }

    void tintOfNoArtworkIsTheWarningColour() {
        QCOMPARE(artworkTintColor(QImage()), BrimlarkTheme::warning());
    }
};

BRIMLARK_TEST_MAIN(TestMediaService)
#include "tst_mediaservice.moc"
