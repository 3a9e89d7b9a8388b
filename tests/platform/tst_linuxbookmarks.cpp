#include "platform/linux/LinuxBookmarks.h"
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
};

BRIMLARK_TEST_MAIN(TestLinuxBookmarks)
#include "tst_linuxbookmarks.moc"
