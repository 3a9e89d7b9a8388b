// The cost of one media refresh against a player on the bus, beside the bare round trip to the
// same player: media_refresh [refreshes]
// It starts a private bus (dbus-daemon), puts the tests' fake player on it with a playing track
// and a file artwork (fetched once before the measuring starts), and then alternates a bare
// org.freedesktop.DBus.Peer.Ping to the player with a refresh of the media service: the
// roles are looked up, one GetAll answered and mapped, the artwork taken from the cache and
// the value published. Prints medians, p99 and the ratio of the medians against the target.
// Run it again under `taskset -c 0` for the pinned figures.
#include "Brimlark/controls/MediaService.h"
#include "platform/linux/dbus/MprisMediaPlayers.h"
#include "tests/support/FakeMprisPlayer.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <sched.h>
#include <vector>

namespace {

constexpr double target = 5.0;

struct Figures {
    double median;
    double p99;
};

Figures figures(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double q) {
        return samples[std::min(samples.size() - 1, size_t(q * samples.size()))];
    };
    return {at(0.5), at(0.99)};
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 1000;

    QProcess daemon;
    daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                 QStringLiteral("--print-address=1")});
    if (!daemon.waitForReadyRead(5000)) {
        std::fprintf(stderr, "media_refresh: no private bus (is dbus-daemon installed?)\n");
        return 1;
    }
    const QString address = QString::fromUtf8(daemon.readLine()).trimmed();

    QTemporaryDir dir;
    const QString coverPath = dir.filePath(QStringLiteral("cover.png"));
    QImage cover(300, 300, QImage::Format_RGB32);
    cover.fill(QColor(200, 80, 40));
    cover.save(coverPath);

    int status = 1;
    {
        auto player = FakeMprisPlayer::start(QStringLiteral("org.mpris.MediaPlayer2.benchplayer"), address);
        if (!player) {
            std::fprintf(stderr, "media_refresh: the fake player could not take its name\n");
            return 1;
        }
        player->setPlayer(FakeMprisPlayer::track(QStringLiteral("Playing"), QStringLiteral("Song"),
                                                 {QStringLiteral("Band")}, 215000000,
                                                 QUrl::fromLocalFile(coverPath).toString()));
        QDBusConnection bus = QDBusConnection::connectToBus(address, QStringLiteral("bench-client"));
        {
            MprisMediaPlayers players(bus);
            MediaRemoteBridge bridge(&players);
            MediaService media(bridge);
            if (!QTest::qWaitFor([&] { return players.isRunning(MediaPlayers::Player::music); }, 5000)) {
                std::fprintf(stderr, "media_refresh: the player never showed up\n");
                return 1;
            }
            media.refresh();
            if (!QTest::qWaitFor([&] { return media.nowPlaying() && !media.nowPlaying()->artwork.isNull(); },
                                 5000)) {
                std::fprintf(stderr, "media_refresh: no track with artwork\n");
                return 1;
            }
            QDBusMessage ping = QDBusMessage::createMethodCall(
                QStringLiteral("org.mpris.MediaPlayer2.benchplayer"),
                QStringLiteral("/org/mpris/MediaPlayer2"), QStringLiteral("org.freedesktop.DBus.Peer"),
                QStringLiteral("Ping"));
            std::vector<double> pings;
            std::vector<double> refreshes;
            QElapsedTimer clock;
            int failures = 0;
            for (int i = -50; i < count; ++i) {
                clock.start();
                const QDBusMessage reply = bus.call(ping, QDBus::Block, 500);
                const double pingUs = clock.nsecsElapsed() / 1000.0;
                failures += reply.type() != QDBusMessage::ReplyMessage;
                clock.start();
                media.refresh();
                const double refreshUs = clock.nsecsElapsed() / 1000.0;
                failures += !media.nowPlaying();
                if (i >= 0) {
                    pings.push_back(pingUs);
                    refreshes.push_back(refreshUs);
                }
            }
            cpu_set_t cpus;
            CPU_ZERO(&cpus);
            sched_getaffinity(0, sizeof(cpus), &cpus);
            const Figures p = figures(pings);
            const Figures r = figures(refreshes);
            const double ratio = r.median / p.median;
            std::printf("media_refresh (%s), %d rounds, %d failures\n",
                        CPU_COUNT(&cpus) == 1 ? "pinned to one CPU" : "unpinned", count, failures);
            std::printf("  bare Peer.Ping round trip: median %8.1f us  p99 %8.1f us\n", p.median, p.p99);
            std::printf("  media refresh:             median %8.1f us  p99 %8.1f us\n", r.median, r.p99);
            std::printf("  ratio of medians %.2f (target <= %.1f): %s\n", ratio, target,
                        ratio <= target && failures == 0 ? "met" : "MISSED");
            status = ratio <= target && failures == 0 ? 0 : 2;
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("bench-client"));
    }
    daemon.terminate();
    daemon.waitForFinished(3000);
    return status;
}
