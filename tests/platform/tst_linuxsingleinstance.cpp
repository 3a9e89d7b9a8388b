#include "platform/linux/kernel/LinuxSingleInstance.h"
#include "tests/support/TestMain.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <atomic>
#include <thread>

using Outcome = SingleInstance::Outcome;

class TestLinuxSingleInstance : public QObject {
    Q_OBJECT
private:
    static QByteArray read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static void write(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(bytes), bytes.size());
    }
    static void setAge(const QString& path, int seconds) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::Append));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-seconds),
                                 QFileDevice::FileModificationTime));
    }
    // The process id in a lock file, or -1 when it names none.
    static qint64 holderOf(const QString& path) {
        bool ok = false;
        const qint64 pid = read(path).trimmed().toLongLong(&ok);
        return ok ? pid : -1;
    }
    // The id of a process that ran and has ended.
    static qint64 endedProcessId() {
        QProcess process;
        process.start(QStringLiteral("true"), {});
        if (!process.waitForStarted())
            return -1;
        const qint64 pid = process.processId();
        process.waitForFinished();
        return pid;
    }
    // The lock file a start by process `pid` would have left.
    static QByteArray lockContentOf(qint64 pid) { return QByteArray::number(pid) + '\n'; }

private slots:
    void aSecondStartIsRefusedWhileTheFirstRuns() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("brimlark.lock"));
        LinuxSingleInstance first(path);
        QCOMPARE(first.acquire(), Outcome::acquired);
        QCOMPARE(first.acquire(), Outcome::acquired);
        {
            LinuxSingleInstance second(path);
            QCOMPARE(second.acquire(), Outcome::alreadyRunning);
            // However long the first has been running.
            setAge(path, 3600);
            QCOMPARE(second.acquire(), Outcome::alreadyRunning);
            QCOMPARE(holderOf(path), QCoreApplication::applicationPid());

            first.release();
            QVERIFY(!QFile::exists(path));
            QCOMPARE(second.acquire(), Outcome::acquired);
            QCOMPARE(first.acquire(), Outcome::alreadyRunning);
        }
        // The second gave the lock up as it went.
        QCOMPARE(first.acquire(), Outcome::acquired);
    }

    // A later start asks the holder to show itself, whether the holder is ready for it yet or not;
    // a holder that takes no requests leaves the asker with false, not waiting for ever.
    void aLaterStartAsksTheHolderToShow_data() {
        QTest::addColumn<bool>("readyFirst");
        QTest::addColumn<bool>("listening");
        QTest::newRow("holder ready") << true << true;
        QTest::newRow("holder still starting") << false << true;
        QTest::newRow("holder takes no requests") << true << false;
    }
    void aLaterStartAsksTheHolderToShow() {
        QFETCH(bool, readyFirst);
        QFETCH(bool, listening);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("brimlark.lock"));
        const QString socket = LinuxSingleInstance::socketPathFor(path);
        QCOMPARE(socket, dir.filePath(QStringLiteral("brimlark.socket")));
        LinuxSingleInstance first(path);
        QCOMPARE(first.acquire(), Outcome::acquired);
        QVERIFY(QFileInfo(socket).exists());
        if (!listening)
            QVERIFY(QFile::remove(socket));
        int shows = 0;
        if (readyFirst)
            first.onShowAsked([&shows] { ++shows; });

        LinuxSingleInstance second(path);
        QCOMPARE(second.acquire(), Outcome::alreadyRunning);
        std::atomic<int> answered{-1};
        std::thread asker([&] { answered = second.askHolderToShow() ? 1 : 0; });
        if (!readyFirst) {
            QTest::qWait(200);
            first.onShowAsked([&shows] { ++shows; });
        }
        QTRY_VERIFY_WITH_TIMEOUT(answered != -1, 5000);
        asker.join();
        QCOMPARE(answered.load(), int(listening));
        QCOMPARE(shows, int(listening));

        first.release();
        QVERIFY(!QFileInfo(socket).exists());
    }

    void aLockLeftBehindIsTakenOver_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("ageSeconds");
        const qint64 ended = endedProcessId();
        QVERIFY(ended > 0);
        QTest::newRow("its process ended") << lockContentOf(ended) << 0;
        QTest::newRow("cut off while written, long ago") << QByteArray() << 3600;
    }
    void aLockLeftBehindIsTakenOver() {
        QFETCH(QByteArray, content);
        QFETCH(int, ageSeconds);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("brimlark.lock"));
        write(path, content);
        setAge(path, ageSeconds);
        QVERIFY(holderOf(path) != QCoreApplication::applicationPid());

        LinuxSingleInstance guard(path);
        QCOMPARE(guard.acquire(), Outcome::acquired);
        QCOMPARE(holderOf(path), QCoreApplication::applicationPid());
    }

    void theLockLivesInTheRuntimeFolderElseTheDataFolder() {
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        QCOMPARE(SingleInstance::standardLockPath(), QString::fromUtf8(runtime + "/com.brimlark.app.lock"));
        {
            // A missing runtime folder is made private, as the desktop makes its own.
            QDir(QString::fromUtf8(runtime)).removeRecursively();
            LinuxSingleInstance guard;
            QCOMPARE(guard.acquire(), Outcome::acquired);
            QCOMPARE(QFileInfo(QString::fromUtf8(runtime)).permissions() & 0x0077,
                     QFileDevice::Permissions());
        }

        qunsetenv("XDG_RUNTIME_DIR");
        const QString fallback = SingleInstance::standardLockPath();
        QCOMPARE(fallback, QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                               QStringLiteral("/com.brimlark.app/instance.lock"));
        {
            LinuxSingleInstance guard;
            QCOMPARE(guard.acquire(), Outcome::acquired);
            QVERIFY(QFile::exists(fallback));
        }
        qputenv("XDG_RUNTIME_DIR", runtime);
    }

    void aLockThatCannotBeMadeIsLoggedNotFatal() {
        QTemporaryDir dir;
        // The lock's folder cannot be made: its parent is a regular file.
        write(dir.filePath(QStringLiteral("blocker")), "x");
        LinuxSingleInstance guard(dir.filePath(QStringLiteral("blocker/brimlark.lock")));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("^instance lock unavailable: ")));
        QCOMPARE(guard.acquire(), Outcome::unavailable);
    }
};

BRIMLARK_TEST_MAIN(TestLinuxSingleInstance)
#include "tst_linuxsingleinstance.moc"
