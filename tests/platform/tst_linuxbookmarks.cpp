#include "platform/linux/desktop/LinuxBookmarks.h"
#include "tests/support/TemporaryHome.h"
#include "tests/support/TestMain.h"

#include <QDir>

#include <memory>

class TestLinuxBookmarks : public QObject {
    Q_OBJECT

    std::unique_ptr<TemporaryHome> m_home;

    QString homePath(const QString& relative) const { return m_home->path(relative); }

private slots:
    void init() { m_home = std::make_unique<TemporaryHome>(); }

    void bookmarksAreAbsolutePaths() {
        LinuxBookmarks bookmarks;
        const QString folder = homePath(".claude");
        QVERIFY(QDir().mkpath(folder));
        QString error;
        QVERIFY(!bookmarks.create(homePath("missing"), &error));
        QVERIFY(error.contains(QLatin1String("missing")));
        const std::optional<QByteArray> token = bookmarks.create(folder + QStringLiteral("/../.claude/"));
        QCOMPARE(token.value_or(QByteArray()), folder.toUtf8());
        const std::optional<Bookmarks::Resolved> resolved = bookmarks.resolve(*token);
        QVERIFY(resolved && resolved->path == folder && !resolved->stale);

        QVERIFY(QDir(folder).removeRecursively());
        QVERIFY(!bookmarks.resolve(*token, &error));
        QVERIFY(error.contains(folder));
        QVERIFY(!bookmarks.resolve(QByteArray("relative/path")));
        QVERIFY(!bookmarks.resolve(QByteArray("/bad\xff")));
    }

    void aVanishedItemIsToldFromDamagedBytes_data() {
        QTest::addColumn<QByteArray>("token");
        QTest::addColumn<int>("failure");
        QTest::newRow("item removed") << QByteArray("/gone/app.desktop") << int(Bookmarks::Failure::vanished);
        QTest::newRow("not a path") << QByteArray("relative/app.desktop")
                                    << int(Bookmarks::Failure::unreadable);
        QTest::newRow("not UTF-8") << QByteArray("/bad\xff.desktop") << int(Bookmarks::Failure::unreadable);
        QTest::newRow("empty") << QByteArray() << int(Bookmarks::Failure::unreadable);
    }
    void aVanishedItemIsToldFromDamagedBytes() {
        QFETCH(QByteArray, token);
        QFETCH(int, failure);
        LinuxBookmarks bookmarks;
        Bookmarks::Failure kind = failure == int(Bookmarks::Failure::vanished)
                                      ? Bookmarks::Failure::unreadable
                                      : Bookmarks::Failure::vanished;
        QVERIFY(!bookmarks.resolve(token, nullptr, &kind));
        QCOMPARE(int(kind), failure);
    }
};

BRIMLARK_TEST_MAIN(TestLinuxBookmarks)
#include "tst_linuxbookmarks.moc"
