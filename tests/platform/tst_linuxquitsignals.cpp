#include "platform/linux/kernel/LinuxQuitSignals.h"
#include "tests/support/TestMain.h"

#include <QSignalSpy>

#include <csignal>

class Tst_linuxquitsignals : public QObject {
    Q_OBJECT
private slots:
    // Each signal that asks the program to end arrives in the event loop instead of ending it.
    void theEndingSignalsReachTheEventLoop_data() {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }

    void theEndingSignalsReachTheEventLoop() {
        QFETCH(int, signalNumber);
        LinuxQuitSignals signals_;
        QVERIFY(signals_.isInstalled());
        QSignalSpy received(&signals_, &LinuxQuitSignals::received);
        QCOMPARE(::raise(signalNumber), 0);
        QCOMPARE(::raise(signalNumber), 0);
        QTRY_COMPARE(received.count(), 2);
        QCOMPARE(received.at(0).at(0).toInt(), signalNumber);
    }
};

BRIMLARK_TEST_MAIN(Tst_linuxquitsignals)
#include "tst_linuxquitsignals.moc"
