#include "platform/linux/LinuxWorkspace.h"
#include "tests/support/TestMain.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QStandardPaths>

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
    // A desktop entry in the isolated $XDG_DATA_HOME/applications whose program leaves a mark.
    static QString installTestApplication(const QString& id, const QString& marker) {
        const QString folder = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/applications");
        QDir().mkpath(folder);
        QFile entry(folder + QLatin1Char('/') + id + QStringLiteral(".desktop"));
        if (!entry.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return {};
        entry.write(QStringLiteral("[Desktop Entry]\nType=Application\nName=Brimlark test application\n"
                                   "Exec=%1 \"%2\"\n")
                        .arg(QStandardPaths::findExecutable(QStringLiteral("touch")), marker)
                        .toUtf8());
        return entry.fileName();
    }

    static QString marker() { return qEnvironmentVariable("HOME") + QStringLiteral("/launched"); }

private slots:
    // Before GIO first reads the desktop entries: it notices later additions only through a
    // file monitor, at a time of its own.
    void initTestCase() {
        QVERIFY(!installTestApplication(QStringLiteral("com.brimlark.TestApp"), marker()).isEmpty());
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
};

BRIMLARK_TEST_MAIN(TestLinuxWorkspace)
#include "tst_linuxworkspace.moc"
