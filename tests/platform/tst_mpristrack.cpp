#include "platform/linux/dbus/MprisTrack.h"
#include "tests/support/TestMain.h"

#include <QTest>

Q_DECLARE_METATYPE(std::optional<MediaTrack>)

namespace {

QVariantMap player(const QVariant& status, const QVariantMap& metadata, const QVariant& position = {}) {
    QVariantMap properties{{QStringLiteral("PlaybackStatus"), status},
                           {QStringLiteral("Metadata"), metadata}};
    if (position.isValid())
        properties.insert(QStringLiteral("Position"), position);
    return properties;
}

QVariantMap song(const QVariantMap& extra = {}) {
    QVariantMap metadata{{QStringLiteral("xesam:title"), QStringLiteral("Song")},
                         {QStringLiteral("xesam:artist"), QStringList{QStringLiteral("Band")}}};
    for (auto it = extra.cbegin(); it != extra.cend(); ++it)
        metadata.insert(it.key(), it.value());
    return metadata;
}

MediaTrack expected(bool playing, const QString& artist = QStringLiteral("Band")) {
    MediaTrack track;
    track.title = QStringLiteral("Song");
    track.artist = artist;
    track.isPlaying = playing;
    return track;
}

MediaTrack with(MediaTrack track, std::optional<double> duration, std::optional<double> position,
                const QUrl& art = {}) {
    track.duration = duration;
    track.position = position;
    track.artworkUrl = art;
    return track;
}

} // namespace

class TestMprisTrack : public QObject {
    Q_OBJECT
private slots:
    void mapping_data() {
        QTest::addColumn<QVariantMap>("properties");
        QTest::addColumn<std::optional<MediaTrack>>("track");
        const QString playing = QStringLiteral("Playing");
        const std::optional<MediaTrack> none;
        const auto key = [](const char* name) { return QString::fromLatin1(name); };

        QTest::newRow("playing") << player(playing, song()) << std::optional(expected(true));
        QTest::newRow("paused") << player(QStringLiteral("Paused"), song()) << std::optional(expected(false));
        QTest::newRow("stopped") << player(QStringLiteral("Stopped"), song()) << none;
        QTest::newRow("no status") << QVariantMap{{key("Metadata"), song()}} << none;
        QTest::newRow("status of the wrong type") << player(1, song()) << none;
        QTest::newRow("no metadata") << QVariantMap{{key("PlaybackStatus"), playing}} << none;
        QTest::newRow("empty title") << player(playing, song({{key("xesam:title"), QString()}})) << none;
        QTest::newRow("title of the wrong type") << player(playing, song({{key("xesam:title"), 42}})) << none;
        QVariantMap noArtist = song();
        noArtist.remove(key("xesam:artist"));
        QTest::newRow("no artist") << player(playing, noArtist) << std::optional(expected(true, QString()));
        QTest::newRow("two artists") << player(playing,
                                               song({{key("xesam:artist"), QStringList{key("A"), key("B")}}}))
                                     << std::optional(expected(true, key("A, B")));
        QTest::newRow("artist as one string") << player(playing, song({{key("xesam:artist"), key("Solo")}}))
                                              << std::optional(expected(true, key("Solo")));
        QTest::newRow("artist of the wrong type")
            << player(playing, song({{key("xesam:artist"), 7}})) << std::optional(expected(true, QString()));
        QTest::newRow("length and position")
            << player(playing, song({{key("mpris:length"), qlonglong(215000000)}}), qlonglong(61500000))
            << std::optional(with(expected(true), 215.0, 61.5));
        QTest::newRow("unsigned length")
            << player(playing, song({{key("mpris:length"), qulonglong(215000000)}}))
            << std::optional(with(expected(true), 215.0, std::nullopt));
        QTest::newRow("length zero, position zero")
            << player(playing, song({{key("mpris:length"), qlonglong(0)}}), qlonglong(0))
            << std::optional(expected(true));
        QTest::newRow("negative length")
            << player(playing, song({{key("mpris:length"), qlonglong(-5)}})) << std::optional(expected(true));
        QTest::newRow("length as text") << player(playing, song({{key("mpris:length"), key("215000000")}}))
                                        << std::optional(expected(true));
        QTest::newRow("https artwork")
            << player(playing, song({{key("mpris:artUrl"), key("https://i.example/a.jpg")}}))
            << std::optional(
                   with(expected(true), std::nullopt, std::nullopt, QUrl(key("https://i.example/a.jpg"))));
        QTest::newRow("file artwork")
            << player(playing, song({{key("mpris:artUrl"), key("file:///tmp/cover.png")}}))
            << std::optional(
                   with(expected(true), std::nullopt, std::nullopt, QUrl(key("file:///tmp/cover.png"))));
        QTest::newRow("ftp artwork") << player(playing,
                                               song({{key("mpris:artUrl"), key("ftp://host/a.jpg")}}))
                                     << std::optional(expected(true));
        QTest::newRow("data artwork")
            << player(playing, song({{key("mpris:artUrl"), key("data:image/png;base64,AAAA")}}))
            << std::optional(expected(true));
        QTest::newRow("artwork address that is no address")
            << player(playing, song({{key("mpris:artUrl"), key("http://")}}))
            << std::optional(expected(true));
    }

    void mapping() {
        QFETCH(QVariantMap, properties);
        QFETCH(std::optional<MediaTrack>, track);
        const std::optional<MediaTrack> actual = mprisTrack(properties);
        QCOMPARE(actual.has_value(), track.has_value());
        if (!track)
            return;
        QCOMPARE(actual->title, track->title);
        QCOMPARE(actual->artist, track->artist);
        QCOMPARE(actual->isPlaying, track->isPlaying);
        QCOMPARE(actual->duration, track->duration);
        QCOMPARE(actual->position, track->position);
        QCOMPARE(actual->artworkUrl, track->artworkUrl);
    }
};

BRIMLARK_TEST_MAIN(TestMprisTrack)
#include "tst_mpristrack.moc"
