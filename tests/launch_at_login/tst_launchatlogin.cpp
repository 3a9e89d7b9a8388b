#include "launch_at_login/LaunchAtLogin.h"
#include "launch_at_login/Observable.h"
#include "launch_at_login/Toggle.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TestMain.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

class TestLaunchAtLogin : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_config;

    static QByteArray read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static void write(const QString& path, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

private slots:
    void init() {
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
        QFile::remove(LaunchAtLogin::entryPath());
    }

    void togglingWritesAndRemovesTheAutostartEntry() {
        QCOMPARE(LaunchAtLogin::entryPath(),
                 m_config.path() + QStringLiteral("/autostart/com.brimlark.app.desktop"));
        QVERIFY(!LaunchAtLogin::isEnabled());
        QSignalSpy announced(&LaunchAtLogin::Observable::instance(), &LaunchAtLogin::Observable::changed);

        LaunchAtLogin::setEnabled(true);
        QVERIFY(LaunchAtLogin::isEnabled());
        QVERIFY(announced.count() >= 1);
        QFile entry(LaunchAtLogin::entryPath());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(entry.readAll());
        QVERIFY(text.startsWith(QStringLiteral("[Desktop Entry]\n")));
        QVERIFY(text.contains(QStringLiteral("\nExec=") +
                              LaunchAtLogin::execLine(QCoreApplication::applicationFilePath())));

        // Enabling again refreshes the entry and stays enabled.
        LaunchAtLogin::setEnabled(true);
        QVERIFY(LaunchAtLogin::isEnabled());

        LaunchAtLogin::setEnabled(false);
        QVERIFY(!LaunchAtLogin::isEnabled());
        QVERIFY(!QFile::exists(LaunchAtLogin::entryPath()));
        LaunchAtLogin::setEnabled(false); // nothing to remove is no failure
    }

    void statusReadsTheEntryAsItIsNow_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("plain entry") << QByteArray("[Desktop Entry]\nType=Application\nExec=brimlark\n")
                                     << true;
        QTest::newRow("hidden") << QByteArray("[Desktop Entry]\nExec=brimlark\nHidden=true\n") << false;
        QTest::newRow("hidden, other case") << QByteArray("[Desktop Entry]\nHidden=TRUE\n") << false;
        QTest::newRow("hidden false") << QByteArray("[Desktop Entry]\nHidden=false\n") << true;
        QTest::newRow("hidden in another group")
            << QByteArray("[Desktop Entry]\nExec=b\n[Desktop Action x]\nHidden=true\n") << true;
        QTest::newRow("no entry group") << QByteArray("[Something]\nExec=b\n") << false;
        QTest::newRow("not a desktop file") << QByteArray("\x89PNG garbage") << false;
        QTest::newRow("empty") << QByteArray() << false;
    }
    void statusReadsTheEntryAsItIsNow() {
        QFETCH(QByteArray, content);
        QFETCH(bool, enabled);
        write(LaunchAtLogin::entryPath(), content);
        QCOMPARE(LaunchAtLogin::isEnabled(), enabled);
    }

    void aFailedWriteIsLoggedAndReadsFalse() {
        // The config "folder" is a regular file, so the autostart folder cannot be made.
        const QString blocker = m_config.filePath(QStringLiteral("blocker"));
        write(blocker, "x");
        qputenv("XDG_CONFIG_HOME", blocker.toUtf8());
        QTest::ignoreMessage(QtCriticalMsg,
                             QRegularExpression(QStringLiteral("^Failed to enable launch at login: .+")));
        LaunchAtLogin::setEnabled(true);
        QVERIFY(!LaunchAtLogin::isEnabled());
    }

    // A full disk, played by a file-size limit: the new entry cannot be written. Whatever was
    // there before stays, and nothing is left beside it.
    void aWriteCutShortLeavesTheEntryAsItWas_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<bool>("enabled");
        const QByteArray user("[Desktop Entry]\nType=Application\nName=Brimlark\n"
                              "Exec=/opt/brimlark/brimlark -platform xcb\nX-GNOME-Autostart-Delay=10\n");
        QTest::newRow("enabled entry") << user << true;
        QTest::newRow("hidden entry") << user + "Hidden=true\n" << false;
        QTest::newRow("no entry") << QByteArray() << false;
    }
    void aWriteCutShortLeavesTheEntryAsItWas() {
        QFETCH(QByteArray, before);
        QFETCH(bool, enabled);
        const QString path = LaunchAtLogin::entryPath();
        if (!before.isEmpty())
            write(path, before);
        QTest::ignoreMessage(QtCriticalMsg,
                             QRegularExpression(QStringLiteral("^Failed to enable launch at login: .+")));
        {
            brimlark::test::FileSizeLimit limit{0};
            QVERIFY(limit.isActive());
            LaunchAtLogin::setEnabled(true);
        }
        QCOMPARE(LaunchAtLogin::isEnabled(), enabled);
        QCOMPARE(QFile::exists(path), !before.isEmpty());
        QCOMPARE(read(path), before);
        QCOMPARE(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files).size(),
                 before.isEmpty() ? 0 : 1);
    }

    void execLineQuotesWhatDesktopEntriesReserve_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("exec");
        QTest::newRow("plain") << "/usr/bin/brimlark"
                               << "/usr/bin/brimlark";
        QTest::newRow("space") << "/opt/my apps/brimlark"
                               << "\"/opt/my apps/brimlark\"";
        QTest::newRow("dollar and quote") << "/tmp/a$b\"c"
                                          << "\"/tmp/a\\\\$b\\\\\"c\"";
        QTest::newRow("percent") << "/tmp/100%/brimlark"
                                 << "/tmp/100%%/brimlark";
    }
    void execLineQuotesWhatDesktopEntriesReserve() {
        QFETCH(QString, path);
        QFETCH(QString, exec);
        QCOMPARE(LaunchAtLogin::execLine(path), exec);
    }

    void toggleFollowsTheRealStatus() {
        LaunchAtLogin::Toggle toggle;
        QCOMPARE(toggle.text(), QStringLiteral("Launch at login"));
        QVERIFY(!toggle.isChecked());
        toggle.click();
        QVERIFY(LaunchAtLogin::isEnabled());
        QVERIFY(toggle.isChecked());

        LaunchAtLogin::Toggle other(QStringLiteral("start with the session"));
        QVERIFY(other.isChecked());
        LaunchAtLogin::setEnabled(false);
        QVERIFY(!toggle.isChecked());
        QVERIFY(!other.isChecked());
    }
};

BRIMLARK_TEST_MAIN(TestLaunchAtLogin)
#include "tst_launchatlogin.moc"
