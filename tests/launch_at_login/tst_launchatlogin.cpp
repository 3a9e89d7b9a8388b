#include "launch_at_login/LaunchAtLogin.h"
#include "launch_at_login/Observable.h"
#include "launch_at_login/Toggle.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TestMain.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

namespace {

// The folders of one machine: an installed program, a build folder's and another installed one
// that shadows it on the search path.
struct Machine {
    QTemporaryDir dir;
    QString path(const QString& relative) const { return dir.filePath(relative); }
    void program(const QString& relative, bool executable = true) const {
        QDir().mkpath(QFileInfo(path(relative)).absolutePath());
        QFile file(path(relative));
        if (file.open(QIODevice::WriteOnly))
            file.write("#!/bin/sh\n");
        file.close();
        QFile::setPermissions(path(relative), executable
                                                  ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                  : QFile::ReadOwner | QFile::WriteOwner);
    }
    Machine() {
        program(QStringLiteral("usr/bin/brimlark"));
        program(QStringLiteral("checkout/build/brimlark"));
        program(QStringLiteral("opt/bin/brimlark"));
        program(QStringLiteral("plain/bin/brimlark"), false);
        QDir().mkpath(path(QStringLiteral("empty/bin")));
        QFile::link(path(QStringLiteral("usr")), path(QStringLiteral("linked")));
    }
};

} // namespace

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
        // Once the program is gone, the session skips the entry rather than fail to start it.
        QVERIFY2(text.contains(QStringLiteral("\nTryExec=") + QCoreApplication::applicationFilePath() +
                               QLatin1Char('\n')),
                 qPrintable(text));

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

    void entryNamesTheProgramAsTheUserStartsIt_data() {
        QTest::addColumn<QString>("running");
        QTest::addColumn<QStringList>("searchPath");
        QTest::addColumn<QString>("program");
        const QString installed = QStringLiteral("usr/bin/brimlark");
        const QString built = QStringLiteral("checkout/build/brimlark");
        QTest::newRow("installed, found by name")
            << installed << QStringList{"empty/bin", "usr/bin"} << installed;
        QTest::newRow("installed, reached through a linked folder")
            << installed << QStringList{"linked/bin"} << QStringLiteral("linked/bin/brimlark");
        QTest::newRow("installed, folder not on the search path")
            << installed << QStringList{"empty/bin"} << installed;
        QTest::newRow("installed, another one found first")
            << installed << QStringList{"opt/bin", "usr/bin"} << installed;
        QTest::newRow("installed, a file that cannot run found first")
            << installed << QStringList{"plain/bin", "usr/bin"} << installed;
        QTest::newRow("build folder, nothing installed") << built << QStringList{"empty/bin"} << built;
        QTest::newRow("build folder, an installed one on the search path")
            << built << QStringList{"usr/bin"} << built;
        QTest::newRow("build folder on the search path") << built << QStringList{"checkout/build"} << built;
    }
    void entryNamesTheProgramAsTheUserStartsIt() {
        QFETCH(QString, running);
        QFETCH(QStringList, searchPath);
        QFETCH(QString, program);
        const Machine machine;
        QStringList folders;
        for (const QString& folder : searchPath)
            folders.append(machine.path(folder));
        folders.append(QStringLiteral("bin")); // relative: never looked in
        QCOMPARE(LaunchAtLogin::programForEntry(machine.path(running), folders), machine.path(program));
    }

    void execProgramUndoesTheQuoting_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("plain") << "/usr/bin/brimlark";
        QTest::newRow("space") << "/opt/my apps/brimlark";
        QTest::newRow("dollar and quote") << "/tmp/a$b\"c";
        QTest::newRow("percent") << "/tmp/100%/brimlark";
        QTest::newRow("backslash") << "/tmp/back\\slash/brimlark";
    }
    void execProgramUndoesTheQuoting() {
        QFETCH(QString, path);
        // As the entry's reader sees it: the line written, then arguments after the program.
        QCOMPARE(LaunchAtLogin::execProgram(LaunchAtLogin::execLine(path)), path);
        QCOMPARE(LaunchAtLogin::execProgram(LaunchAtLogin::execLine(path) + QStringLiteral(" --x %u")), path);
    }

    void aDeadEntryReadsAsOff_data() {
        QTest::addColumn<QString>("exec");
        QTest::addColumn<QString>("extra");
        QTest::addColumn<bool>("enabled");
        const QString own = QStringLiteral("Name=Brimlark\nComment=The notch panel\n");
        QTest::newRow("own, program there") << "usr/bin/brimlark" << own << true;
        QTest::newRow("own, folder gone") << "gone/build/brimlark" << own << false;
        QTest::newRow("own, program gone") << "checkout/build/brimlark-old" << own << false;
        QTest::newRow("own, a file that cannot run") << "plain/bin/brimlark" << own << false;
        QTest::newRow("own, a folder") << "usr/bin" << own << false;
        QTest::newRow("own, quotes never closed") << "\"usr/bin/brimlark" << own << false;
        QTest::newRow("the user's, folder gone") << "gone/build/brimlark"
                                                 << "Name=Brimlark\nComment=mine\n"
                                                 << true;
        QTest::newRow("the user's, TryExec gone") << "usr/bin/brimlark"
                                                  << "Name=Mine\nTryExec=/nonexistent/brimlark\n"
                                                  << false;
        QTest::newRow("the user's, TryExec there") << "usr/bin/brimlark"
                                                   << "Name=Mine\nTryExec=sh\n"
                                                   << true;
    }
    void aDeadEntryReadsAsOff() {
        QFETCH(QString, exec);
        QFETCH(QString, extra);
        QFETCH(bool, enabled);
        const Machine machine;
        const QString program = exec.startsWith(QLatin1Char('"'))
                                    ? QLatin1Char('"') + machine.path(exec.mid(1))
                                    : machine.path(exec);
        write(LaunchAtLogin::entryPath(),
              QStringLiteral("[Desktop Entry]\nType=Application\n%1Exec=%2\n").arg(extra, program).toUtf8());
        QCOMPARE(LaunchAtLogin::isEnabled(), enabled);
    }

    // An entry an older build wrote into a build folder removed since: off, and switching on writes
    // one that names this program.
    void switchingOnReplacesADeadEntry() {
        write(LaunchAtLogin::entryPath(), "[Desktop Entry]\nType=Application\nName=Brimlark\n"
                                          "Comment=The notch panel\nExec=/nonexistent/build/brimlark\n"
                                          "Terminal=false\nX-GNOME-Autostart-enabled=true\n");
        QVERIFY(!LaunchAtLogin::isEnabled());
        LaunchAtLogin::setEnabled(true);
        QVERIFY(LaunchAtLogin::isEnabled());
        const QString text = QString::fromUtf8(read(LaunchAtLogin::entryPath()));
        QVERIFY(!text.contains(QStringLiteral("/nonexistent/")));
        QVERIFY(text.contains(QStringLiteral("\nExec=") +
                              LaunchAtLogin::execLine(QCoreApplication::applicationFilePath()) +
                              QLatin1Char('\n')));
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
