#include "platform/linux/desktop/LinuxWorkspace.h"
#include "tests/support/TestMain.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

// Receives the URLs QDesktopServices hands to the handler of the test's own scheme.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

// The Linux workspace: URLs through QDesktopServices, clipboard text, applications by desktop id.
class TestLinuxWorkspace : public QObject {
    Q_OBJECT
private:
    // A desktop entry in the isolated $XDG_DATA_HOME/applications whose program leaves a mark, for
    // files of `type` when one is given.
    static QString installTestApplication(const QString& id, const QString& marker,
                                          const QString& type = {}) {
        const QString folder = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/applications");
        QDir().mkpath(folder);
        QFile entry(folder + QLatin1Char('/') + id + QStringLiteral(".desktop"));
        if (!entry.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return {};
        entry.write(QStringLiteral("[Desktop Entry]\nType=Application\nName=Brimlark test application\n"
                                   "Exec=%1 \"%2\"\n%3")
                        .arg(QStandardPaths::findExecutable(QStringLiteral("touch")), marker,
                             type.isEmpty() ? QString() : QStringLiteral("MimeType=%1;\n").arg(type))
                        .toUtf8());
        return entry.fileName();
    }

    static QString marker() { return qEnvironmentVariable("HOME") + QStringLiteral("/launched"); }

    // The "se.slice" line of a /proc sched file: the scheduler slice a task runs with; empty where
    // the kernel shows none.
    static QByteArray sliceIn(const QString& schedFile) {
        QFile file(schedFile);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        for (const QByteArray& line : file.readAll().split('\n'))
            if (line.startsWith("se.slice"))
                return line.mid(line.indexOf(':') + 1).trimmed();
        return {};
    }

    // The processes this one started that nobody has reaped yet, zombies included.
    static int unreapedChildren() {
        int count = 0;
        const QDir tasks(QStringLiteral("/proc/self/task"));
        for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile children(tasks.filePath(task + QStringLiteral("/children")));
            const QByteArray pids = children.open(QIODevice::ReadOnly) ? children.readAll().simplified() : "";
            count += pids.isEmpty() ? 0 : int(pids.count(' ')) + 1;
        }
        return count;
    }

    QByteArray m_ownSlice;

    static QString write(const QString& path, const QByteArray& content) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return {};
        file.write(content);
        return path;
    }

private slots:
    // Before GIO first reads the desktop entries: it notices later additions only through a
    // file monitor, at a time of its own.
    void initTestCase() {
        m_ownSlice = sliceIn(QStringLiteral("/proc/self/sched"));
        QVERIFY(!installTestApplication(QStringLiteral("com.brimlark.TestApp"), marker()).isEmpty());
        // The handler of the test's own scheme, as a browser says it takes web addresses.
        QFile handler(qEnvironmentVariable("XDG_DATA_HOME") +
                      QStringLiteral("/applications/com.brimlark.TestHandler.desktop"));
        QVERIFY(handler.open(QIODevice::WriteOnly | QIODevice::Truncate));
        handler.write("[Desktop Entry]\nType=Application\nName=Brimlark test handler\nExec=true %u\n"
                      "MimeType=x-scheme-handler/brimlark-test;\n");
        handler.close();
        // A text editor, and nothing that takes text/calendar itself, a kind of text/plain.
        QVERIFY(!installTestApplication(QStringLiteral("com.brimlark.TextEditor"),
                                        marker() + QStringLiteral(".text"), QStringLiteral("text/plain"))
                     .isEmpty());
        // The index a package's install brings up to date, which GIO reads the types from.
        QFile index(qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/applications/mimeinfo.cache"));
        QVERIFY(index.open(QIODevice::WriteOnly | QIODevice::Truncate));
        index.write("[MIME Cache]\nx-scheme-handler/brimlark-test=com.brimlark.TestHandler.desktop;\n"
                    "text/plain=com.brimlark.TextEditor.desktop;\n");
        // The system's applications stay out; its MIME database, which says what is a kind of what,
        // stays in.
        const QString system = qEnvironmentVariable("HOME") + QStringLiteral("/system");
        QVERIFY(QDir().mkpath(system) &&
                QFile::link(QStringLiteral("/usr/share/mime"), system + QStringLiteral("/mime")));
        qputenv("XDG_DATA_DIRS", system.toUtf8());
    }

    void thereIsNoShortcutsApplication() {
        LinuxWorkspace workspace;
        QTest::ignoreMessage(QtInfoMsg, "open shortcuts application: Linux has none; nothing opened");
        QVERIFY(!workspace.openShortcutsApplication());
    }

    void idsThatAreNoDesktopIdsAreRefused_data() {
        QTest::addColumn<QString>("id");
        QTest::newRow("empty") << QString();
        QTest::newRow("path") << QStringLiteral("/usr/share/applications/x.desktop");
        QTest::newRow("unknown") << QStringLiteral("org.example.NoSuchApplication");
    }
    void idsThatAreNoDesktopIdsAreRefused() {
        QFETCH(QString, id);
        LinuxWorkspace workspace;
        QVERIFY(!workspace.openApplication(id));
    }

    void launchesAnInstalledDesktopEntry_data() {
        QTest::addColumn<QString>("id");
        QTest::newRow("bare id") << QStringLiteral("com.brimlark.TestApp");
        QTest::newRow("id with suffix") << QStringLiteral("com.brimlark.TestApp.desktop");
    }
    void launchesAnInstalledDesktopEntry() {
        QFETCH(QString, id);
        QFile::remove(marker());
        LinuxWorkspace workspace;
        QVERIFY(workspace.openApplication(id));
        QTRY_VERIFY(QFile::exists(marker()));
    }

    void describesADesktopFile_data() {
        QTest::addColumn<QString>("relativePath");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("localizedName");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("desktopId");
        QTest::addColumn<QString>("icon");
        const QByteArray translated =
            "[Desktop Entry]\nType=Application\nName=Clock\nName[de]=Uhr\nExec=true\n"
            "Icon=/usr/share/pixmaps/clock.png\n";
        QTest::newRow("translated, in the applications folder")
            << QStringLiteral("data/applications/tools/clock.desktop") << translated << QStringLiteral("Uhr")
            << QStringLiteral("Clock") << QStringLiteral("tools-clock.desktop")
            << QStringLiteral("/usr/share/pixmaps/clock.png");
        QTest::newRow("elsewhere, untranslated, themed icon")
            << QStringLiteral("elsewhere/clock.desktop")
            << QByteArray("[Desktop Entry]\nType=Application\nName=Clock\nExec=true\nIcon=xclock\n")
            << QString() << QStringLiteral("Clock") << QString() << QStringLiteral("xclock");
        QTest::newRow("no name, no icon") << QStringLiteral("elsewhere/bare.desktop")
                                          << QByteArray("[Desktop Entry]\nType=Application\nExec=true\n")
                                          << QString() << QString() << QString() << QString();
    }
    void describesADesktopFile() {
        QFETCH(QString, relativePath);
        QFETCH(QByteArray, content);
        QFETCH(QString, localizedName);
        QFETCH(QString, name);
        QFETCH(QString, desktopId);
        QFETCH(QString, icon);
        qputenv("LANGUAGE", "de");
        const QString path = write(qEnvironmentVariable("HOME") + QLatin1Char('/') + relativePath, content);
        LinuxWorkspace workspace;
        const auto file = workspace.describeApplicationFile(path);
        qunsetenv("LANGUAGE");
        QVERIFY(file);
        QCOMPARE(file->localizedName.value_or(QString()), localizedName);
        QCOMPARE(file->localizedName.has_value(), !localizedName.isEmpty());
        QCOMPARE(file->name.value_or(QString()), name);
        QCOMPARE(file->desktopId.value_or(QString()), desktopId);
        QCOMPARE(file->icon, icon);
    }

    void refusesWhatIsNoApplicationEntry_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("a link") << QByteArray(
            "[Desktop Entry]\nType=Link\nName=Site\nURL=https://example.org\n");
        QTest::newRow("no key file") << QByteArray("#!/bin/sh\nrm -rf /\n");
    }
    void refusesWhatIsNoApplicationEntry() {
        QFETCH(QByteArray, content);
        const QString path =
            write(qEnvironmentVariable("HOME") + QStringLiteral("/elsewhere/bad.desktop"), content);
        LinuxWorkspace workspace;
        QString error;
        QVERIFY(!workspace.describeApplicationFile(path, &error));
        QVERIFY(error.contains(path));
        QVERIFY(!workspace.describeApplicationFile(path + QStringLiteral(".gone"), &error));
    }

    // GIO splits Exec= itself: the argument arrives whole, its space and quotes included, with no
    // shell in between.
    void launchesADesktopFileWithItsArguments() {
        const QString home = qEnvironmentVariable("HOME");
        const QString out = home + QStringLiteral("/argument");
        const QString script =
            write(home + QStringLiteral("/bin/record"),
                  QStringLiteral("#!/bin/sh\nprintf '%s' \"$1\" > '%1'\n").arg(out).toUtf8());
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // Key-file escaping turns \\ into \, and the Exec quoting rules \" into ".
        const QString entry = write(home + QStringLiteral("/elsewhere/record.desktop"),
                                    QStringLiteral("[Desktop Entry]\nType=Application\nName=Record\n"
                                                   "Exec=%1 \"two words \\\\\"quoted\\\\\" it's $HOME\"\n")
                                        .arg(script)
                                        .toUtf8());
        LinuxWorkspace workspace;
        QObject context;
        std::optional<Workspace::Launch> answer;
        workspace.openApplicationFile(entry, &context,
                                      [&answer](const Workspace::Launch& launch) { answer = launch; });
        QVERIFY(!answer);
        QTRY_VERIFY(answer);
        QCOMPARE(int(answer->outcome), int(Workspace::Launch::Outcome::launched));
        const auto written = [&out] {
            QFile file(out);
            return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
        };
        QTRY_COMPARE(written(), QStringLiteral("two words \"quoted\" it's $HOME"));

        std::optional<Workspace::Launch> refused;
        workspace.openApplicationFile(home + QStringLiteral("/elsewhere/none.desktop"), &context,
                                      [&refused](const Workspace::Launch& launch) { refused = launch; });
        QTRY_VERIFY(refused);
        QCOMPARE(int(refused->outcome), int(Workspace::Launch::Outcome::notFound));
    }

    // What a launch starts runs with the nice value and the scheduler slice this process was given,
    // whichever worker started it, and is reaped once it ends.
    void launchedApplicationsKeepNormalPriorityAndAreReaped_data() {
        QTest::addColumn<int>("launches");
        QTest::newRow("one") << 1;
        QTest::newRow("a burst") << 12;
    }
    void launchedApplicationsKeepNormalPriorityAndAreReaped() {
        QFETCH(int, launches);
        QTemporaryDir out;
        const QString home = qEnvironmentVariable("HOME");
        const QString script =
            write(home + QStringLiteral("/bin/priority"),
                  "#!/bin/sh\n{ ps -o ni= -p $$; grep se.slice /proc/$$/sched; } > \"$1/$$\"\n");
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString entry = write(home + QStringLiteral("/elsewhere/priority.desktop"),
                                    QStringLiteral("[Desktop Entry]\nType=Application\nName=Priority\n"
                                                   "Exec=%1 \"%2\"\n")
                                        .arg(script, out.path())
                                        .toUtf8());
        LinuxWorkspace workspace;
        QObject context;
        int launched = 0;
        for (int i = 0; i < launches; ++i)
            workspace.openApplicationFile(entry, &context, [&launched](const Workspace::Launch& launch) {
                launched += launch.outcome == Workspace::Launch::Outcome::launched ? 1 : 0;
            });
        QTRY_COMPARE(launched, launches);
        const QDir written(out.path());
        QTRY_COMPARE(written.entryList(QDir::Files).size(), launches);
        QTRY_COMPARE(unreapedChildren(), 0);
        for (const QString& name : written.entryList(QDir::Files)) {
            QFile file(written.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QList<QByteArray> lines = file.readAll().split('\n');
            QCOMPARE(lines.value(0).trimmed().toInt(), getpriority(PRIO_PROCESS, 0));
            if (!m_ownSlice.isEmpty())
                QCOMPARE(lines.value(1).mid(lines.value(1).indexOf(':') + 1).trimmed(), m_ownSlice);
        }
    }

    // An application started from a desktop entry, as the app batch starts it, gets descriptors 0-2
    // and nothing else: a socket the program listens on, or a file it holds, must not outlive it in
    // an application the user keeps open. Also when a descriptor was left inheritable, by this
    // program or by whoever started it.
    void launchedApplicationsInheritOnlyTheStandardDescriptors_data() {
        QTest::addColumn<bool>("inheritableSocket");
        QTest::newRow("the program's own descriptors") << false;
        QTest::newRow("a listening socket left inheritable") << true;
    }
    void launchedApplicationsInheritOnlyTheStandardDescriptors() {
        QFETCH(bool, inheritableSocket);
        const QString home = qEnvironmentVariable("HOME");
        const QString out = home + QStringLiteral("/descriptors");
        QFile::remove(out);
        // ls lists its own descriptors, which are the application's (the shell keeps its own
        // close-on-exec), and the one it reads the listing through, which is left out.
        const QString script = write(home + QStringLiteral("/bin/descriptors"),
                                     "#!/bin/sh\nls -l /proc/self/fd > \"$1.part\"\nmv \"$1.part\" \"$1\"\n");
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString entry =
            write(qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/applications/descriptors.desktop"),
                  QStringLiteral("[Desktop Entry]\nType=Application\nName=Descriptors\nExec=%1 \"%2\"\n")
                      .arg(script, out)
                      .toUtf8());

        int listening = -1;
        if (inheritableSocket) {
            listening = ::socket(AF_INET, SOCK_STREAM, 0);
            QVERIFY(listening >= 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            QCOMPARE(::bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
            QCOMPARE(::listen(listening, 1), 0);
        }
        const auto closeSocket = qScopeGuard([listening] {
            if (listening >= 0)
                ::close(listening);
        });

        LinuxWorkspace workspace;
        QObject context;
        std::optional<Workspace::Launch> answer;
        workspace.openApplicationFile(entry, &context,
                                      [&answer](const Workspace::Launch& launch) { answer = launch; });
        QTRY_VERIFY(answer);
        QCOMPARE(int(answer->outcome), int(Workspace::Launch::Outcome::launched));
        QTRY_VERIFY(QFile::exists(out));
        QFile listing(out);
        QVERIFY(listing.open(QIODevice::ReadOnly));
        const QByteArray text = listing.readAll();
        const QRegularExpression listingItself(QStringLiteral("^/proc/[0-9]+/fd$"));
        QStringList inherited;
        for (const QByteArray& line : text.split('\n')) {
            // "lr-x------ 1 user user 64 Dec 10 06:18 10 -> /path"
            const int arrow = line.indexOf(" -> ");
            if (arrow < 0 || listingItself.match(QString::fromLocal8Bit(line.mid(arrow + 4))).hasMatch())
                continue;
            inherited.append(QString::fromLocal8Bit(line.left(arrow).split(' ').last()));
        }
        inherited.sort();
        QVERIFY2(inherited == QStringList({QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")}),
                 text.constData());
    }

    // Calendar files open only in an application that takes them itself, never in the text editor
    // GIO falls back on for their parent type; a type the editor declares opens in it.
    void calendarFilesNeverOpenInATextEditor() {
        LinuxWorkspace workspace;
        QCOMPARE(int(workspace.openDefaultApplication(QStringLiteral("text/calendar")).outcome),
                 int(Workspace::Launch::Outcome::notFound));
        QCOMPARE(int(workspace.openDefaultApplication(QStringLiteral("text/plain")).outcome),
                 int(Workspace::Launch::Outcome::launched));
        QTRY_VERIFY(QFile::exists(marker() + QStringLiteral(".text")));
    }

    void clipboardTextIsReplaced() {
        LinuxWorkspace workspace;
        workspace.setClipboardText(QStringLiteral("Brimlark.ToggleDND"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Brimlark.ToggleDND"));
        workspace.setClipboardText(QStringLiteral("second"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("second"));
    }

    void urlsGoThroughTheDesktopServices() {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("brimlark-test"), &catcher, "open");
        LinuxWorkspace workspace;
        const QUrl url(QStringLiteral("brimlark-test://page?x=1"));
        QVERIFY(workspace.openUrl(url));
        QCOMPARE(catcher.urls, QList<QUrl>{url});
        QDesktopServices::unsetUrlHandler(QStringLiteral("brimlark-test"));
    }

    void anInvalidUrlOpensNothing() {
        LinuxWorkspace workspace;
        QVERIFY(!workspace.openUrl(QUrl()));
    }

    // The desktop's opener would start and report success all the same.
    void anAddressNothingOpensIsRefused() {
        LinuxWorkspace workspace;
        QTest::ignoreMessage(QtInfoMsg, "open url: no application opens brimlark-nothing addresses");
        QVERIFY(!workspace.openUrl(QUrl(QStringLiteral("brimlark-nothing://page"))));
    }
};

BRIMLARK_TEST_MAIN(TestLinuxWorkspace)
#include "tst_linuxworkspace.moc"
