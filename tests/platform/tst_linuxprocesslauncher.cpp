#include "platform/linux/apps/LinuxProcessLauncher.h"
#include "tests/support/TestMain.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

class TestLinuxProcessLauncher : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

private slots:
    void prefersZshThenBashThenSh() {
        QCOMPARE(LinuxProcessLauncher::defaultShells(),
                 (QStringList{QStringLiteral("/bin/zsh"), QStringLiteral("/bin/bash"),
                              QStringLiteral("/bin/sh")}));
        const LinuxProcessLauncher launcher(
            {m_dir.filePath(QStringLiteral("missing")), QStringLiteral("/bin/sh")});
        QCOMPARE(launcher.shell(), QStringLiteral("/bin/sh"));
    }

    void runsTheCommandAsOneArgumentDetached() {
        const QString marker = m_dir.filePath(QStringLiteral("it ran"));
        LinuxProcessLauncher launcher({QStringLiteral("/bin/sh")});
        QString error;
        // Quotes and a pipe reach the shell untouched: the command is one argument of "-lc".
        QVERIFY(launcher.runShellCommand(
            QStringLiteral("printf '%s' \"$0\" | cat > '") + marker + QStringLiteral("'"), &error));
        QVERIFY(error.isEmpty());
        const auto contents = [&] {
            QFile file(marker);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        QTRY_COMPARE(contents(), QByteArray("/bin/sh"));
    }

    void aCommandBeginningLikeAnOptionStillRuns_data() {
        QTest::addColumn<QString>("shell");
        QTest::addColumn<QString>("start");
        for (const QString& shell : {QStringLiteral("/bin/sh"), QStringLiteral("/bin/bash")}) {
            QTest::newRow(qPrintable(shell + QStringLiteral(" -"))) << shell << QStringLiteral("-x");
            QTest::newRow(qPrintable(shell + QStringLiteral(" +"))) << shell << QStringLiteral("+x");
        }
    }

    // "-x" alone is no command, so only the part after it shows whether the shell ran the text.
    void aCommandBeginningLikeAnOptionStillRuns() {
        QFETCH(QString, shell);
        QFETCH(QString, start);
        if (!QFileInfo(shell).isExecutable())
            QSKIP("this shell is not installed");
        const QString marker = m_dir.filePath(QFileInfo(shell).fileName() + start);
        LinuxProcessLauncher launcher({shell});
        QString error;
        QVERIFY(launcher.runShellCommand(start + QStringLiteral("; touch '") + marker + QStringLiteral("'"),
                                         &error));
        QTRY_VERIFY(QFile::exists(marker));
    }

    void noShellIsAnError() {
        LinuxProcessLauncher launcher({m_dir.filePath(QStringLiteral("none"))});
        QString error;
        QVERIFY(!launcher.runShellCommand(QStringLiteral("true"), &error));
        QCOMPARE(error, QStringLiteral("no shell found"));
    }

    void aShellThatCannotStartIsAnError() {
        // An executable file that the kernel cannot run.
        const QString broken = m_dir.filePath(QStringLiteral("broken-shell"));
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\x7f"
                   "ELF garbage");
        file.close();
        QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        LinuxProcessLauncher launcher({broken});
        QString error;
        QVERIFY(!launcher.runShellCommand(QStringLiteral("true"), &error));
        QVERIFY(!error.isEmpty());
    }
};

BRIMLARK_TEST_MAIN(TestLinuxProcessLauncher)
#include "tst_linuxprocesslauncher.moc"
