#include "Brimlark/core/AppSupportDirectory.h"
#include "Brimlark/core/Debouncer.h"
#include "platform/fake/FakeClock.h"
#include "tests/support/TestMain.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace std::chrono_literals;

// The debouncer and the support folder: the two small shared helpers in the core.
class TestDebouncer : public QObject {
    Q_OBJECT
private slots:
    void onlyTheLastOfABurstRunsItsIntervalAfterIt() {
        FakeClock clock;
        Debouncer debouncer(0.5, &clock);
        QList<int> ran;
        QList<qint64> at;
        const qint64 start = clock.now().toMSecsSinceEpoch();
        for (int i = 1; i <= 3; ++i) {
            debouncer.schedule([&, i] {
                ran.append(i);
                at.append(clock.now().toMSecsSinceEpoch() - start);
            });
            clock.advance(100ms);
        }
        clock.advance(2s);
        QCOMPARE(ran, QList<int>{3});
        QCOMPARE(at, QList<qint64>{200 + 500});
        QVERIFY(!debouncer.isPending());
    }

    void aScheduleAfterARunStartsAfresh() {
        FakeClock clock;
        Debouncer debouncer(0.5, &clock);
        int runs = 0;
        debouncer.schedule([&] { ++runs; });
        clock.advance(500ms);
        QCOMPARE(runs, 1);
        debouncer.schedule([&] { ++runs; });
        clock.advance(499ms);
        QCOMPARE(runs, 1);
        clock.advance(1ms);
        QCOMPARE(runs, 2);
    }

    void anActionMayScheduleTheNextOne() {
        FakeClock clock;
        Debouncer debouncer(0.1, &clock);
        int runs = 0;
        std::function<void()> action = [&] {
            if (++runs < 3)
                debouncer.schedule(action);
        };
        debouncer.schedule(action);
        clock.advance(1s);
        QCOMPARE(runs, 3);
    }

    void cancelDropsAndFlushRunsThePendingAction() {
        FakeClock clock;
        Debouncer debouncer(0.5, &clock);
        QStringList ran;
        debouncer.schedule([&] { ran.append(QStringLiteral("dropped")); });
        debouncer.cancel();
        QVERIFY(!debouncer.isPending());
        debouncer.flush(); // nothing pending: nothing runs
        debouncer.schedule([&] { ran.append(QStringLiteral("flushed")); });
        debouncer.flush();
        QVERIFY(!debouncer.isPending());
        clock.advance(2s);
        QCOMPARE(ran, QStringList{"flushed"});
    }

    void runsOnTheRealEventLoop() {
        Debouncer debouncer(0.02);
        QString last;
        debouncer.schedule([&] { last = QStringLiteral("first"); });
        debouncer.schedule([&] { last = QStringLiteral("second"); });
        QVERIFY(last.isEmpty());
        QTRY_COMPARE(last, QStringLiteral("second"));
    }

    void supportFolderIsCreatedOnceUnderItsRoot() {
        QTemporaryDir root;
        const QString nested = root.filePath(QStringLiteral("a/b"));
        const QString folder = appSupportDirectory(nested);
        QCOMPARE(folder, QDir(nested).filePath(QStringLiteral("com.brimlark.app")));
        QVERIFY(QFileInfo(folder).isDir());
        QFile marker(QDir(folder).filePath(QStringLiteral("notes.json")));
        QVERIFY(marker.open(QIODevice::WriteOnly));
        marker.close();
        QCOMPARE(appSupportDirectory(nested), folder);
        QVERIFY(marker.exists());
    }

    void supportFolderDefaultsToTheDataHome() {
        const QString folder = appSupportDirectory();
        QVERIFY(folder.endsWith(QStringLiteral("/com.brimlark.app")));
        // The test's HOME is a temporary folder, never the user's.
        QVERIFY(folder.startsWith(qEnvironmentVariable("HOME") + QLatin1Char('/')));
        QVERIFY(QFileInfo(folder).isDir());
    }
};

BRIMLARK_TEST_MAIN(TestDebouncer)
#include "tst_debouncer.moc"
