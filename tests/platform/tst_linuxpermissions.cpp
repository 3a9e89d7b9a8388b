#include "platform/linux/desktop/LinuxPermissions.h"
#include "tests/support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QUrl>

#include <optional>

// Linux answers: capture devices authorized, requests granted; a permission's settings are the
// calendars folder in the file manager or a panel of GNOME Settings, where there is one.
class TestLinuxPermissions : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QByteArray m_path;

    QString record() const { return m_dir.filePath(QStringLiteral("record")); }
    // The search path with both stand-ins, or with the file manager's only.
    QString tools(bool withSettings) const {
        return m_dir.filePath(withSettings ? QStringLiteral("with-settings")
                                           : QStringLiteral("without-settings"));
    }

    // A program in `folder` that appends one line to the record: its name, then each argument in
    // brackets.
    bool installStandIn(const QString& folder, const QString& name) const {
        QFile script(folder + QLatin1Char('/') + name);
        if (!QDir().mkpath(folder) || !script.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        script.write(
            QStringLiteral("#!/bin/sh\n{ printf '%s' '%1'; for a in \"$@\"; do printf ' [%s]' \"$a\"; done; "
                           "echo; } >> '%2'\n")
                .arg(name, record())
                .toUtf8());
        script.close();
        return QFile::setPermissions(script.fileName(),
                                     QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QByteArray readRecord() const {
        QFile file(record());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_path = qgetenv("PATH");
        QVERIFY(installStandIn(tools(true), QStringLiteral("xdg-open")));
        QVERIFY(installStandIn(tools(true), QStringLiteral("gnome-control-center")));
        QVERIFY(installStandIn(tools(false), QStringLiteral("xdg-open")));
    }
    void cleanupTestCase() { qputenv("PATH", m_path); }
    void init() { QFile::remove(record()); }

    void captureDevicesAreAuthorized() {
        LinuxPermissions permissions(m_dir.filePath(QStringLiteral("calendars")));
        QCOMPARE(permissions.captureStatus(CaptureDevice::video), PermissionStatus::authorized);
        QCOMPARE(permissions.captureStatus(CaptureDevice::audio), PermissionStatus::authorized);
    }

    void requestsAreGrantedAtOnce_data() {
        QTest::addColumn<CaptureDevice>("device");
        QTest::newRow("camera") << CaptureDevice::video;
        QTest::newRow("microphone") << CaptureDevice::audio;
    }
    void requestsAreGrantedAtOnce() {
        QFETCH(CaptureDevice, device);
        LinuxPermissions permissions(m_dir.filePath(QStringLiteral("calendars")));
        int calls = 0;
        bool granted = false;
        permissions.requestCaptureAccess(device, this, [&](bool answer) {
            ++calls;
            granted = answer;
        });
        QCOMPARE(calls, 1);
        QVERIFY(granted);
        QCOMPARE(permissions.captureStatus(device), PermissionStatus::authorized);
    }

    void aRequestWithoutCallbackIsHarmless() {
        LinuxPermissions permissions(m_dir.filePath(QStringLiteral("calendars")));
        permissions.requestCaptureAccess(CaptureDevice::video, this, {});
    }

    void eachMeaningOpensItsPlace_data() {
        QTest::addColumn<std::optional<Permission>>("meaning"); // none: the privacy overview
        QTest::addColumn<bool>("settingsInstalled");            // gnome-control-center on the path
        QTest::addColumn<bool>("folderBlocked");                // a file where the folder's parent goes
        QTest::addColumn<bool>("opened");
        QTest::addColumn<QString>("recorded"); // "<calendars>": the folder's file URL
        QTest::addColumn<QString>("log");
        using P = std::optional<Permission>;
        QTest::newRow("calendar") << P(Permission::calendar) << true << false << true
                                  << "xdg-open [<calendars>]" << QString();
        QTest::newRow("reminders without GNOME Settings")
            << P(Permission::reminders) << false << false << true << "xdg-open [<calendars>]" << QString();
        QTest::newRow("calendar folder cannot be made")
            << P(Permission::calendar) << true << true << false << QString()
            << "calendar settings: the calendar folder <folder> could not be created";
        QTest::newRow("camera") << P(Permission::camera) << true << false << true
                                << "gnome-control-center [camera]" << QString();
        QTest::newRow("microphone") << P(Permission::microphone) << true << false << true
                                    << "gnome-control-center [microphone]" << QString();
        QTest::newRow("notifications") << P(Permission::notifications) << true << false << true
                                       << "gnome-control-center [notifications]" << QString();
        QTest::newRow("privacy overview")
            << P() << true << false << true << "gnome-control-center" << QString();
        QTest::newRow("camera without GNOME Settings")
            << P(Permission::camera) << false << false << false << QString()
            << "camera settings: GNOME Settings is not installed; nothing opened";
        QTest::newRow("microphone without GNOME Settings")
            << P(Permission::microphone) << false << false << false << QString()
            << "microphone settings: GNOME Settings is not installed; nothing opened";
        QTest::newRow("notifications without GNOME Settings")
            << P(Permission::notifications) << false << false << false << QString()
            << "notifications settings: GNOME Settings is not installed; nothing opened";
        QTest::newRow("privacy overview without GNOME Settings")
            << P() << false << false << false << QString()
            << "privacy settings: GNOME Settings is not installed; nothing opened";
    }
    void eachMeaningOpensItsPlace() {
        QFETCH(std::optional<Permission>, meaning);
        QFETCH(bool, settingsInstalled);
        QFETCH(bool, folderBlocked);
        QFETCH(bool, opened);
        QFETCH(QString, recorded);
        QFETCH(QString, log);
        if (recorded.startsWith(QLatin1String("xdg-open")) && QGuiApplication::platformName() != "xcb")
            QSKIP("QDesktopServices opens files only on a desktop platform");
        qputenv("PATH", QFile::encodeName(tools(settingsInstalled)));
        const QString parent = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
        const QString folder = parent + QStringLiteral("/calendars");
        if (folderBlocked) {
            QFile blocker(parent);
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        recorded.replace(QLatin1String("<calendars>"),
                         QUrl::fromLocalFile(folder).toString(QUrl::FullyEncoded));
        log.replace(QLatin1String("<folder>"), folder);
        if (!log.isEmpty())
            QTest::ignoreMessage(QtInfoMsg, qPrintable(log));

        LinuxPermissions permissions(folder);
        QCOMPARE(meaning ? permissions.openSettings(*meaning) : permissions.openPrivacySettings(), opened);
        if (recorded.isEmpty()) {
            QCOMPARE(readRecord(), QByteArray()); // nothing was started
        } else {
            QTRY_COMPARE(QString::fromUtf8(readRecord()), recorded + QLatin1Char('\n'));
        }
        const bool calendars = meaning == Permission::calendar || meaning == Permission::reminders;
        QCOMPARE(QFileInfo(folder).isDir(), calendars && !folderBlocked);
        if (QFileInfo(folder).isDir())
            QCOMPARE(QFile::permissions(folder) & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteOther),
                     QFile::Permissions());
    }
};

BRIMLARK_TEST_MAIN(TestLinuxPermissions)
#include "tst_linuxpermissions.moc"
