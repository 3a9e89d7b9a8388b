#include "tests/support/RequiredServers.h"
#include "tests/support/TemporaryHome.h"
#include "tests/support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <csignal>

// The real program on an X server: the ways a user or the session ends it stop it through its quit
// path (services stopped, "Brimlark stopped" logged) with exit status 0, though its panel refuses
// to be closed.
class TestQuitX11 : public QObject {
    Q_OBJECT

private slots:
    void endingSignalsRunTheQuitPath_data() {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }

    void endingSignalsRunTheQuitPath() {
        QFETCH(int, signalNumber);
        BRIMLARK_REQUIRE_SERVER(!qEnvironmentVariableIsEmpty("DISPLAY"), "an X server (run under xvfb-run)");
        TemporaryHome home;
        QProcess app;
        app.setProcessEnvironment(home.environment(QStringLiteral("xcb")));
        app.setProcessChannelMode(QProcess::MergedChannels);
        app.start(QStringLiteral(BRIMLARK_EXECUTABLE), {});
        QVERIFY(app.waitForStarted());
        QByteArray output;
        QTRY_VERIFY_WITH_TIMEOUT((output += app.readAll()).contains("Brimlark bootstrapped"), 20000);

        QCOMPARE(::kill(pid_t(app.processId()), signalNumber), 0);
        QVERIFY2(app.waitForFinished(10000), output.constData());
        output += app.readAll();
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.exitCode(), 0);
        QVERIFY2(output.contains("Brimlark stopped"), output.constData());
    }
};

BRIMLARK_TEST_MAIN(TestQuitX11)
#include "tst_quitx11.moc"
