#include "platform/linux/apps/StartThrottle.h"
#include "tests/support/TestMain.h"

#include <QProcess>

// The pacing of application starts by how many of them are still runnable.
class TestStartThrottle : public QObject {
    Q_OBJECT
private:
    // A child that runs `script` in sh until the test ends.
    static qint64 startShell(QProcess& process, const QString& script) {
        process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script});
        return process.waitForStarted() ? process.processId() : 0;
    }

private slots:
    void readsWhetherAProcessIsRunnable() {
        QProcess spinner;
        const qint64 spinning = startShell(spinner, QStringLiteral("while :; do :; done"));
        QTRY_VERIFY(StartThrottle::isRunnable(spinning));
        spinner.kill();
        QVERIFY(spinner.waitForFinished());
        QVERIFY(!StartThrottle::isRunnable(spinning));
        QVERIFY(!StartThrottle::isRunnable(0));
    }

    void waitsOnlyWhileTheStartedProcessesFillTheRoom() {
        StartThrottle throttle(1, 20, 60000);
        QVERIFY(throttle.waitForRoom());
        QProcess sleeper;
        const qint64 sleeping = startShell(sleeper, QStringLiteral("exec sleep 30"));
        throttle.started(sleeping);
        QTRY_VERIFY(throttle.waitForRoom());
        QProcess spinner;
        throttle.started(startShell(spinner, QStringLiteral("while :; do :; done")));
        // Still runnable after the wait limit: the launch goes ahead all the same.
        QVERIFY(!throttle.waitForRoom());
        spinner.kill();
        QVERIFY(spinner.waitForFinished());
        QVERIFY(throttle.waitForRoom());
        sleeper.kill();
        QVERIFY(sleeper.waitForFinished());
    }

    void forgetsAStartAfterItsTime() {
        StartThrottle throttle(1, 20, 100);
        QProcess spinner;
        throttle.started(startShell(spinner, QStringLiteral("while :; do :; done")));
        QTRY_VERIFY(throttle.waitForRoom());
        spinner.kill();
        QVERIFY(spinner.waitForFinished());
    }
};

BRIMLARK_TEST_MAIN(TestStartThrottle)
#include "tst_startthrottle.moc"
