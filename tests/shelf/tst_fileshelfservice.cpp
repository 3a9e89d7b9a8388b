#include "Brimlark/shelf/FileShelfService.h"
#include "platform/fake/FakeBookmarks.h"
#include "platform/fake/FakeShare.h"
#include "platform/linux/apps/LinuxProcessLauncher.h"
#include "platform/linux/desktop/LinuxBookmarks.h"
#include "platform/linux/desktop/LinuxShare.h"
#include "tests/support/LogCapture.h"
#include "tests/support/StateFixture.h"
#include "tests/support/TestMain.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimeZone>

#include <memory>

namespace {

QVariantMap validEntry(int n) {
    return {
        {QStringLiteral("id"), QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper()},
        {QStringLiteral("path"), QStringLiteral("/tmp/file-%1.txt").arg(n)},
        {QStringLiteral("bookmark"), QStringLiteral("ZmFrZTovdG1w")},
        {QStringLiteral("displayName"), QStringLiteral("file-%1.txt").arg(n)},
        {QStringLiteral("addedAt"), 1767603600.5 + n},
    };
}

QVariantMap withValue(QVariantMap entry, const QString& key, const QVariant& value) {
    if (value.isValid())
        entry.insert(key, value);
    else
        entry.remove(key);
    return entry;
}

QUrl file(int n) {
    return QUrl::fromLocalFile(QStringLiteral("/tmp/shelf/file-%1.txt").arg(n));
}

} // namespace

class TestFileShelfService : public QObject {
    Q_OBJECT

    struct Fixture : StateFixture {
        FakeBookmarks bookmarks;
        FakeShare share;
        std::unique_ptr<FileShelfService> shelf;
        void build() { shelf = std::make_unique<FileShelfService>(defaults, bookmarks, share, clock); }
    };

private slots:
    void addsKeepTheNewestTen() {
        Fixture f;
        f.build();
        for (int n = 0; n < 11; ++n)
            f.shelf->add(file(n));
        QCOMPARE(f.shelf->items().size(), 10);
        QCOMPARE(f.shelf->items().first().url, file(10));
        QCOMPARE(f.shelf->items().last().url, file(1));
        QCOMPARE(f.defaults.array(FileShelfService::storageKey()).size(), 10);

        // The same file twice is two entries.
        f.shelf->add(file(3));
        f.shelf->add(file(3));
        QCOMPARE(f.shelf->items().at(0).url, f.shelf->items().at(1).url);
        QVERIFY(f.shelf->items().at(0).id != f.shelf->items().at(1).id);
    }

    void aDropOfManyKeepsItsOrderAndWritesOnce() {
        Fixture f;
        f.build();
        QSignalSpy written(&f.defaults, &UserDefaults::valueChanged);
        f.shelf->add({file(1), QUrl(QStringLiteral("https://example.org/a.txt")), file(2), file(3)});
        QCOMPARE(written.size(), 1);
        QCOMPARE(f.shelf->items().size(), 3);
        QCOMPARE(f.shelf->items().at(0).url, file(3));
        QCOMPARE(f.shelf->items().at(2).url, file(1));

        // Nothing that is no local file is ever stored.
        f.shelf->add(
            {QUrl(QStringLiteral("https://example.org/b.txt")), QUrl(QStringLiteral("relative.txt"))});
        QCOMPARE(written.size(), 1);
        QCOMPARE(f.shelf->items().size(), 3);

        // Of a drop longer than the shelf, the last ten stay, newest first; only they are bookmarked.
        QList<QUrl> many;
        for (int n = 10; n < 60; ++n)
            many.append(file(n));
        f.bookmarks.created.clear();
        f.shelf->add(many);
        QCOMPARE(written.size(), 2);
        QCOMPARE(f.shelf->items().size(), 10);
        QCOMPARE(f.shelf->items().first().url, file(59));
        QCOMPARE(f.shelf->items().last().url, file(50));
        QCOMPARE(f.bookmarks.created.size(), 10);

        // A short drop goes in front of what was there, which keeps its order down to ten.
        f.shelf->add({file(60), QUrl(QStringLiteral("https://example.org/c.txt")), file(61)});
        QCOMPARE(written.size(), 3);
        QCOMPARE(f.shelf->items().size(), 10);
        QCOMPARE(f.shelf->items().at(0).url, file(61));
        QCOMPARE(f.shelf->items().at(1).url, file(60));
        QCOMPARE(f.shelf->items().at(2).url, file(59));
        QCOMPARE(f.shelf->items().last().url, file(52));
        QCOMPARE(f.shelf->items().at(0).displayName, file(61).fileName());
    }

    void aFailedBookmarkIsLoggedAndStoredEmpty() {
        Fixture f;
        f.build();
        f.bookmarks.createError = QStringLiteral("/tmp/gone.txt does not exist.");
        LogCapture log;
        f.shelf->add(QUrl::fromLocalFile(QStringLiteral("/tmp/gone.txt")));
        QCOMPARE(
            log.at(QStringLiteral("error")),
            QStringList{QStringLiteral("error file shelf bookmark failed: /tmp/gone.txt does not exist.")});
        QCOMPARE(f.shelf->items().size(), 1);
        QVERIFY(f.shelf->items().first().bookmark.isEmpty());
        QCOMPARE(f.defaults.array(FileShelfService::storageKey())
                     .first()
                     .toMap()
                     .value(QStringLiteral("bookmark")),
                 QVariant(QString()));
    }

    void loading_data() {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("loaded");
        QTest::addColumn<bool>("setAside");

        const QVariantMap good = validEntry(1);
        QTest::newRow("nothing stored") << QVariant() << 0 << false;
        QTest::newRow("not an array") << QVariant(QStringLiteral("shelf")) << 0 << true;
        QTest::newRow("a string among dictionaries")
            << QVariant(QVariantList{validEntry(1), QStringLiteral("stray"), validEntry(2)}) << 2 << true;
        QTest::newRow("a dictionary without addedAt")
            << QVariant(QVariantList{validEntry(1), withValue(good, QStringLiteral("addedAt"), {})}) << 1
            << true;
        QTest::newRow("whole-number addedAt")
            << QVariant(QVariantList{withValue(good, QStringLiteral("addedAt"), qint64(1767603600))}) << 1
            << false;
        QTest::newRow("addedAt as text")
            << QVariant(
                   QVariantList{withValue(good, QStringLiteral("addedAt"), QStringLiteral("1767603600"))})
            << 0 << true;
        QTest::newRow("empty bookmark")
            << QVariant(QVariantList{withValue(good, QStringLiteral("bookmark"), QString())}) << 1 << false;
        QTest::newRow("bookmark without its padding")
            << QVariant(QVariantList{withValue(good, QStringLiteral("bookmark"), QStringLiteral("ZmFrZQ"))})
            << 0 << true;
        QTest::newRow("bookmark with a stray character")
            << QVariant(
                   QVariantList{withValue(good, QStringLiteral("bookmark"), QStringLiteral("ZmFr*ZQ=="))})
            << 0 << true;
        QTest::newRow("id that is no UUID")
            << QVariant(QVariantList{withValue(good, QStringLiteral("id"), QStringLiteral("not-a-uuid"))})
            << 0 << true;
        QTest::newRow("id in braces")
            << QVariant(QVariantList{withValue(good, QStringLiteral("id"), QUuid::createUuid().toString())})
            << 0 << true;
        QTest::newRow("lower-case id")
            << QVariant(QVariantList{
                   withValue(good, QStringLiteral("id"), QUuid::createUuid().toString(QUuid::WithoutBraces))})
            << 1 << false;
        QTest::newRow("further keys are ignored")
            << QVariant(QVariantList{withValue(good, QStringLiteral("tag"), 3)}) << 1 << false;
        QVariantList twelve;
        for (int n = 0; n < 12; ++n)
            twelve.append(validEntry(n));
        QTest::newRow("twelve valid") << QVariant(twelve) << 12 << false;
    }
    void loading() {
        QFETCH(QVariant, stored);
        QFETCH(int, loaded);
        QFETCH(bool, setAside);
        Fixture f;
        if (stored.isValid())
            f.defaults.setValue(FileShelfService::storageKey(), stored);
        LogCapture log;
        f.build();
        QCOMPARE(f.shelf->items().size(), loaded);
        QCOMPARE(log.at(QStringLiteral("error")).size(), setAside ? 1 : 0);

        // Loading trims nothing; the next add keeps the newest ten.
        f.shelf->add(file(99));
        QCOMPARE(f.shelf->items().size(), qMin(loaded + 1, 10));
        QCOMPARE(f.shelf->items().first().url, file(99));

        // What could not be read is kept under a key of its own before the save replaced it.
        const QStringList aside = f.defaults.keys(FileShelfService::unreadableKeyPrefix());
        QCOMPARE(aside.size(), setAside ? 1 : 0);
        if (setAside) {
            QCOMPARE(aside.first(),
                     FileShelfService::unreadableKeyPrefix() + QStringLiteral("20260105T090000Z"));
            QCOMPARE(QJsonDocument::fromVariant(QVariantList{f.defaults.value(aside.first())}),
                     QJsonDocument::fromVariant(QVariantList{stored}));
        }
    }

    void savesTheFiveKeysAndReadsThemBack() {
        Fixture f;
        f.clock.setNow(QDateTime::fromMSecsSinceEpoch(1767603600250, QTimeZone::utc()));
        f.build();
        QVERIFY(!f.shelf->lastFavoriteHint());
        f.shelf->add(QUrl::fromLocalFile(QStringLiteral("/tmp/shelf/report final.pdf")));

        QFile json(f.defaults.filePath());
        QVERIFY(json.open(QIODevice::ReadOnly));
        const QJsonObject entry = QJsonDocument::fromJson(json.readAll())
                                      .object()
                                      .value(FileShelfService::storageKey())
                                      .toArray()
                                      .first()
                                      .toObject();
        QCOMPARE(entry.keys(),
                 (QStringList{QStringLiteral("addedAt"), QStringLiteral("bookmark"),
                              QStringLiteral("displayName"), QStringLiteral("id"), QStringLiteral("path")}));
        const ShelfItem item = f.shelf->items().first();
        QCOMPARE(entry.value(QStringLiteral("id")).toString(),
                 item.id.toString(QUuid::WithoutBraces).toUpper());
        QVERIFY(entry.value(QStringLiteral("addedAt")).isDouble());
        QCOMPARE(entry.value(QStringLiteral("addedAt")).toDouble(), 1767603600.25);
        QCOMPARE(entry.value(QStringLiteral("path")).toString(),
                 QStringLiteral("/tmp/shelf/report final.pdf"));
        QCOMPARE(entry.value(QStringLiteral("displayName")).toString(), QStringLiteral("report final.pdf"));
        QCOMPARE(entry.value(QStringLiteral("bookmark")).toString(),
                 QString::fromLatin1(QByteArray("fake:/tmp/shelf/report final.pdf").toBase64()));

        // A new run reads the same entry back.
        UserDefaults reopened(f.defaults.filePath());
        FileShelfService again(reopened, f.bookmarks, f.share, f.clock);
        QCOMPARE(again.items(), f.shelf->items());

        // Clearing stores an empty list, not nothing.
        f.shelf->clear();
        QVERIFY(f.defaults.contains(FileShelfService::storageKey()));
        QCOMPARE(f.defaults.value(FileShelfService::storageKey()), QVariant(QVariantList{}));
    }

    void removeTakesOnlyItsOwnEntry() {
        Fixture f;
        f.build();
        f.shelf->add({file(1), file(2), file(3)});
        const QList<ShelfItem> before = f.shelf->items();
        f.shelf->remove(before.at(1).id);
        QCOMPARE(f.shelf->items(), (QList<ShelfItem>{before.at(0), before.at(2)}));
        QCOMPARE(f.defaults.array(FileShelfService::storageKey()).size(), 2);
    }

    void readsTheHintOnce() {
        Fixture f;
        f.defaults.setString(FileShelfService::favoriteHintKey(), QStringLiteral("slides.key"));
        f.build();
        QCOMPARE(f.shelf->lastFavoriteHint(), std::optional<QString>(QStringLiteral("slides.key")));
    }

    void resolvedURLsFallBackToTheStoredPath() {
        Fixture f;
        f.build();
        f.bookmarks.moved.insert(QStringLiteral("/tmp/shelf/file-1.txt"),
                                 QStringLiteral("/tmp/moved/file-1.txt"));
        ShelfItem moved{QUuid::createUuid(), file(1), "fake:/tmp/shelf/file-1.txt", "file-1.txt",
                        f.clock.now()};
        ShelfItem noBookmark{QUuid::createUuid(), file(2), {}, "file-2.txt", f.clock.now()};
        ShelfItem damaged{QUuid::createUuid(), file(3), "garbage", "file-3.txt", f.clock.now()};
        QCOMPARE(
            f.shelf->resolvedURLs({moved, noBookmark, damaged}),
            (QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/tmp/moved/file-1.txt")), file(2), file(3)}));
    }

    void sendingWithoutASender() {
        Fixture f;
        f.build();
        f.shelf->add({file(1), file(2)});
        f.share.available = false;
        LogCapture log;
        f.shelf->airDrop(f.shelf->items().first());
        f.shelf->airDropAll();
        QCOMPARE(log.lines(), QStringList{QStringLiteral("debug airdrop share refused for file-2.txt")});

        f.share.available = true;
        f.shelf->airDropAll();
        QCOMPARE(f.share.shared, (QList<QList<QUrl>>{{file(2), file(1)}}));
    }

    void sendingStartsTheSenderWithTheAbsolutePath() {
        QTemporaryDir dir;
        const QString bin = dir.filePath(QStringLiteral("bin"));
        const QString calls = dir.filePath(QStringLiteral("calls.txt"));
        QVERIFY(QDir().mkpath(bin));
        QFile script(bin + QStringLiteral("/bluetooth-sendto"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\nprintf 'call %s\\n' \"$#\" >> '%1'\nfor a in \"$@\"; do "
                                    "printf '%s\\n' \"$a\" >> '%1'; done\n")
                         .arg(calls)
                         .toUtf8());
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.toUtf8() + ':' + path);
        const auto restore = qScopeGuard([&path] { qputenv("PATH", path); });

        const QString shelved = dir.filePath(QStringLiteral("-n two words.txt"));
        QFile(shelved).open(QIODevice::WriteOnly);
        StateFixture state;
        LinuxBookmarks bookmarks;
        LinuxProcessLauncher launcher;
        LinuxShare share(launcher);
        QCOMPARE(share.sender(), bin + QStringLiteral("/bluetooth-sendto"));
        FileShelfService shelf(state.defaults, bookmarks, share, state.clock);
        shelf.add(QUrl::fromLocalFile(shelved));
        shelf.airDrop(shelf.items().first());

        QFile written(calls);
        QTRY_VERIFY(written.exists() && written.size() > 0);
        QTest::qWait(200); // a second start would have written by now
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(written.readAll()),
                 QStringLiteral("call 1\n") + shelved + QLatin1Char('\n'));
    }
};

BRIMLARK_TEST_MAIN(TestFileShelfService)
#include "tst_fileshelfservice.moc"
