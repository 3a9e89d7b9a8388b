#include "Brimlark/controls/MediaService.h"
#include "Brimlark/controls/TimerService.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/pages/BasicArtworkPlaceholder.h"
#include "Brimlark/pages/BasicMediaPane.h"
#include "Brimlark/pages/BasicTransportButton.h"
#include "tests/support/Screenshot.h"
#include "tests/support/StateFixture.h"
#include "tests/support/TestMain.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QTest>
#include <QVBoxLayout>

using namespace std::chrono_literals;
using NowPlaying = MediaRemoteBridge::NowPlaying;

Q_DECLARE_METATYPE(std::optional<NowPlaying>)

namespace {

NowPlaying track(const QString& title, const QString& artist, bool playing, const QImage& artwork = {}) {
    NowPlaying value;
    value.title = title;
    value.artist = artist;
    value.isPlaying = playing;
    value.artwork = artwork;
    return value;
}

QImage cover() {
    QImage image(300, 200, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 300, 200);
    gradient.setColorAt(0, QColor(240, 120, 40));
    gradient.setColorAt(1, QColor(90, 30, 160));
    painter.fillRect(image.rect(), gradient);
    painter.setBrush(QColor(250, 230, 90));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(150, 100), 50, 50);
    return image;
}

} // namespace

class TestBasicMediaPane : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<StateFixture> f;
    std::unique_ptr<MediaRemoteBridge> bridge;
    std::unique_ptr<MediaService> media;
    std::unique_ptr<TimerService> timer;
    std::unique_ptr<QWidget> host;
    BasicMediaPane* pane = nullptr;
    QStringList calls;

    // The pane in a plain dark host of about the size basic mode gives it.
    void build() {
        host = std::make_unique<QWidget>();
        host->setAutoFillBackground(true);
        QPalette palette = host->palette();
        palette.setColor(QPalette::Window, BrimlarkTheme::notchBlack());
        host->setPalette(palette);
        auto* layout = new QVBoxLayout(host.get());
        layout->setContentsMargins(16, 14, 16, 14);
        pane = new BasicMediaPane(
            *timer, *media, [this] { calls.append(QStringLiteral("playPause")); },
            [this] { calls.append(QStringLiteral("next")); },
            [this] { calls.append(QStringLiteral("prev")); }, &f->clock, host.get());
        layout->addWidget(pane);
        host->resize(330, 176);
        host->show();
        QVERIFY(QTest::qWaitForWindowExposed(host.get()));
    }

private slots:
    void init() {
        f = std::make_unique<StateFixture>();
        bridge = std::make_unique<MediaRemoteBridge>();
        media = std::make_unique<MediaService>(*bridge, &f->clock);
        timer = std::make_unique<TimerService>(f->appState, nullptr, &f->clock);
        calls.clear();
        build();
    }

    void cleanup() {
        host.reset();
        timer.reset();
        media.reset();
        bridge.reset();
        f.reset();
    }

    void showsTheTrack_data() {
        QTest::addColumn<std::optional<NowPlaying>>("nowPlaying");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("subtitle");
        QTest::addColumn<bool>("placeholder");
        QTest::addColumn<bool>("turning");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("screenshot");
        const QString noArtist = QStringLiteral("play something to see it here");
        QTest::newRow("no track") << std::optional<NowPlaying>() << QStringLiteral("no media") << noArtist
                                  << true << false << QStringLiteral("play")
                                  << QStringLiteral("media-pane-no-media");
        QTest::newRow("paused without artwork")
            << std::optional(track(QStringLiteral("Clair de lune"), QStringLiteral("Debussy"), false))
            << QStringLiteral("Clair de lune") << QStringLiteral("Debussy") << true << false
            << QStringLiteral("play") << QStringLiteral("media-pane-paused-no-artwork");
        QTest::newRow("playing with artwork")
            << std::optional(track(QStringLiteral("Midnight City"), QStringLiteral("M83"), true, cover()))
            << QStringLiteral("Midnight City") << QStringLiteral("M83") << false << false
            << QStringLiteral("pause") << QStringLiteral("media-pane-playing-artwork");
        QTest::newRow("playing without artwork")
            << std::optional(track(QStringLiteral("Song"), QString(), true)) << QStringLiteral("Song")
            << QString() << true << true << QStringLiteral("pause") << QString();
        NowPlaying noArtistValue = track(QStringLiteral("Song"), QString(), true);
        noArtistValue.artist.reset();
        QTest::newRow("artist absent") << std::optional(noArtistValue) << QStringLiteral("Song") << noArtist
                                       << true << true << QStringLiteral("pause") << QString();
        const QString longTitle =
            QStringLiteral("A very long title that goes on and on well past any two lines of "
                           "this narrow pane");
        QTest::newRow("long texts")
            << std::optional(track(
                   longTitle, longTitle + QStringLiteral(" and then some more words for a third"), false))
            << longTitle << longTitle + QStringLiteral(" and then some more words for a third") << true
            << false << QStringLiteral("play") << QStringLiteral("media-pane-long-texts");
    }

    void showsTheTrack() {
        QFETCH(std::optional<NowPlaying>, nowPlaying);
        QFETCH(QString, title);
        QFETCH(QString, subtitle);
        QFETCH(bool, placeholder);
        QFETCH(bool, turning);
        QFETCH(QString, button);
        QFETCH(QString, screenshot);
        media->setNowPlaying(nowPlaying);
        QCOMPARE(pane->titleText(), title);
        QCOMPARE(pane->subtitleText(), subtitle);
        QCOMPARE(pane->placeholder() != nullptr, placeholder);
        if (placeholder)
            QCOMPARE(pane->placeholder()->isTurning(), turning);
        QCOMPARE(pane->playPauseButton()->accessibleName(), button);
        QCOMPARE(pane->playPauseButton()->symbol(), button == QLatin1String("play")
                                                        ? QStringLiteral("play.fill")
                                                        : QStringLiteral("pause.fill"));
        QCOMPARE(pane->previousButton()->accessibleName(), QStringLiteral("previous track"));
        QCOMPARE(pane->nextButton()->accessibleName(), QStringLiteral("next track"));
        // At most two lines of title and three of artist, whatever their length.
        const auto lines = [](const QLabel* label) { return label->text().count(QLatin1Char('\n')) + 1; };
        const QList<QLabel*> labels = pane->findChildren<QLabel*>();
        QVERIFY(labels.size() >= 2);
        QVERIFY(lines(labels.at(0)) <= 2);
        QVERIFY(lines(labels.at(1)) <= 3);
        if (!screenshot.isEmpty())
            brimlark::test::saveScreenshot(host.get(), screenshot);
    }

    // The disc starts from rest when playing starts, and finishes its turn when it stops.
    void discTurnsWhilePlaying() {
        media->setNowPlaying(track(QStringLiteral("Song"), QString(), false));
        BasicArtworkPlaceholder* disc = pane->placeholder();
        QVERIFY(disc && !disc->isTurning());
        media->setNowPlaying(track(QStringLiteral("Song"), QString(), true));
        QVERIFY(disc->isTurning());
        QTRY_VERIFY(disc->rotation() > 5);
        media->setNowPlaying(track(QStringLiteral("Song"), QString(), false));
        QVERIFY(disc->isTurning());
        QTRY_VERIFY_WITH_TIMEOUT(!disc->isTurning(), 6000);
        QCOMPARE(disc->rotation(), 0.0);
    }

    // The timer's line counts down and reads 00:00 from its end until the timer is cleared.
    void timerLine() {
        QCOMPARE(pane->timerText(), QString());
        timer->start(90);
        QCOMPARE(pane->timerText(), QStringLiteral("01:30"));
        f->clock.advance(30s);
        QCOMPARE(pane->timerText(), QStringLiteral("01:00"));
        brimlark::test::saveScreenshot(host.get(), QStringLiteral("media-pane-timer-line"));
        f->clock.advance(60s);
        QVERIFY(timer->active());
        QCOMPARE(pane->timerText(), QStringLiteral("00:00"));
        f->clock.advance(500ms);
        // The media service's poll, which the clock ran, found no player; a track shows beside
        // the line all the same.
        media->setNowPlaying(track(QStringLiteral("Midnight City"), QStringLiteral("M83"), true, cover()));
        QCOMPARE(pane->timerText(), QStringLiteral("00:00"));
        brimlark::test::saveScreenshot(host.get(), QStringLiteral("media-pane-playing-timer-ended"));
        f->clock.advance(5s);
        QVERIFY(!timer->active());
        QCOMPARE(pane->timerText(), QString());
    }

    // Each button calls its own callback once per press, in the empty state too.
    void buttonsCallTheirCallbacks() {
        QTest::mouseClick(pane->previousButton(), Qt::LeftButton, {}, QPoint(15, 15));
        QTest::mouseClick(pane->playPauseButton(), Qt::LeftButton, {}, QPoint(15, 15));
        QTest::mouseClick(pane->nextButton(), Qt::LeftButton, {}, QPoint(15, 15));
        // The corner lies outside the round area that takes clicks.
        QTest::mouseClick(pane->nextButton(), Qt::LeftButton, {}, QPoint(1, 1));
        QCOMPARE(calls,
                 QStringList({QStringLiteral("prev"), QStringLiteral("playPause"), QStringLiteral("next")}));
    }
};

BRIMLARK_TEST_MAIN(TestBasicMediaPane)
#include "tst_basicmediapane.moc"
