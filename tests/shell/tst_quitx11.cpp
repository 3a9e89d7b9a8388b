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

    static QProcessEnvironment isolated(const TemporaryHome& home) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.home);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path(QStringLiteral(".config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.path(QStringLiteral(".local/share")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path(QStringLiteral("run")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        QDir().mkpath(home.path(QStringLiteral("run")));
        QFile::setPermissions(home.path(QStringLiteral("run")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return env;
    }

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
        app.setProcessEnvironment(isolated(home));
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
