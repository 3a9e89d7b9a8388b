// The tests' fake music player as a program of its own, for checks by hand and by script on a
// real session bus: fake_mpris_player [bus name suffix] [title] [artist] [artwork address]
// It plays one track, prints "ready" once it owns its name and then one line per transport
// command it receives ("command Next"), and toggles between playing and paused on PlayPause.
#include "tests/support/FakeMprisPlayer.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString suffix = args.value(1, QStringLiteral("brimlarkfake"));
    const QString title = args.value(2, QStringLiteral("Midnight City"));
    const QString artist = args.value(3, QStringLiteral("M83"));
    const QString art = args.value(4);
    auto player = FakeMprisPlayer::start(QStringLiteral("org.mpris.MediaPlayer2.") + suffix);
    if (!player) {
        std::fprintf(stderr, "cannot take the player's name on the session bus\n");
        return 1;
    }
    bool playing = true;
    int track = 1;
    const auto show = [&] {
        const QString name = track == 1 ? title : QStringLiteral("%1 (%2)").arg(title).arg(track);
        player->setPlayer(FakeMprisPlayer::track(
            playing ? QStringLiteral("Playing") : QStringLiteral("Paused"), name, {artist}, 244000000, art));
    };
    show();
    std::printf("ready\n");
    std::fflush(stdout);
    qsizetype seen = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const QStringList commands = player->commands();
        for (; seen < commands.size(); ++seen) {
            const QString& command = commands.at(seen);
            std::printf("command %s\n", qPrintable(command));
            std::fflush(stdout);
            if (command == QLatin1String("PlayPause"))
                playing = !playing;
            else if (command == QLatin1String("Next"))
                ++track;
            else if (command == QLatin1String("Previous"))
                track = std::max(1, track - 1);
            show();
        }
    });
    poll.start(50);
    return app.exec();
}
