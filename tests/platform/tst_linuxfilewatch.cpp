#include "platform/linux/kernel/LinuxFileWatch.h"
#include "tests/support/TestMain.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

bool writeFile(const QString& path, const QByteArray& bytes, QIODevice::OpenMode mode = QIODevice::Truncate) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | mode) && file.write(bytes) == bytes.size();
}

} // namespace

class TestLinuxFileWatch : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    int m_reports = 0;

    QString path() const {
        return m_dir.filePath(QString::fromLatin1(QTest::currentTestFunction()) + ".json");
    }

private slots:
    void init() { m_reports = 0; }

    void aMissingFileIsCreatedAndWatched() {
        LinuxFileWatch watcher(path());
        watcher.start([this] { ++m_reports; });
        QVERIFY(watcher.isActive());
        QFile file(path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("[]"));
        QTest::qWait(50);
        QCOMPARE(m_reports, 0);
    }

    void anExistingFileIsLeftAlone() {
        QVERIFY(writeFile(path(), "[1]"));
        LinuxFileWatch watcher(path());
        watcher.start([this] { ++m_reports; });
        QFile file(path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("[1]"));
    }

    void writesAndAppendsAreReported() {
        LinuxFileWatch watcher(path());
        watcher.start([this] { ++m_reports; });
        QVERIFY(writeFile(path(), "[2]"));
        QTRY_VERIFY(m_reports > 0);
        const int before = m_reports;
        QVERIFY(writeFile(path(), " ", QIODevice::Append));
        QTRY_VERIFY(m_reports > before);
    }

    void anAtomicReplaceIsReportedAndLaterWritesToo() {
        LinuxFileWatch watcher(path());
        watcher.start([this] { ++m_reports; });
        const QString temporary = path() + ".tmp";
        QVERIFY(writeFile(temporary, "[3]"));
        QTest::qWait(50);
        QCOMPARE(m_reports, 0);
        QVERIFY(std::rename(QFile::encodeName(temporary).constData(),
                            QFile::encodeName(path()).constData()) == 0);
        QTRY_VERIFY(m_reports > 0);
        QTest::qWait(50);
        const int before = m_reports;
        QVERIFY(writeFile(path(), "[4]"));
        QTRY_VERIFY(m_reports > before);
    }

    void aDeletionAndANewFileAreReported() {
        LinuxFileWatch watcher(path());
        watcher.start([this] { ++m_reports; });
        QVERIFY(QFile::remove(path()));
        QTRY_VERIFY(m_reports > 0);
        QTest::qWait(50);
        int before = m_reports;
        QVERIFY(writeFile(path(), "[5]"));
        QTRY_VERIFY(m_reports > before);
        QTest::qWait(50);
        before = m_reports;
        QVERIFY(writeFile(path(), "[6]", QIODevice::Append));
        QTRY_VERIFY(m_reports > before);
    }

    void otherFilesInTheFolderAreIgnored() {
        LinuxFileWatch watcher(path());
        watcher.start([this] { ++m_reports; });
        QVERIFY(writeFile(m_dir.filePath("neighbour.json"), "x"));
        QVERIFY(QFile::remove(m_dir.filePath("neighbour.json")));
        QTest::qWait(100);
        QCOMPARE(m_reports, 0);
    }

    void cancellingStopsReportsAndCanRepeat() {
        LinuxFileWatch watcher(path());
        watcher.start([this] { ++m_reports; });
        watcher.cancel();
        QVERIFY(!watcher.isActive());
        watcher.cancel();
        QVERIFY(writeFile(path(), "[7]"));
        QTest::qWait(100);
        QCOMPARE(m_reports, 0);
    }

    void aMissingFolderNeverReportsNorFails() {
        const QString missing = m_dir.filePath("no/such/folder/inbox.json");
        LinuxFileWatch watcher(missing);
        watcher.start([this] { ++m_reports; });
        QVERIFY(!watcher.isActive());
        QVERIFY(!QFile::exists(missing));
        QCOMPARE(m_reports, 0);
    }
};

BRIMLARK_TEST_MAIN(TestLinuxFileWatch)
#include "tst_linuxfilewatch.moc"
