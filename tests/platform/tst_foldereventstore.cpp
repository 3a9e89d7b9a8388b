#include "platform/linux/FolderEventStore.h"
#include "tests/support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>

// The Linux event store's authorisation follows its folder of iCalendar files.
class TestFolderEventStore : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_root;
    QString calendars() const { return m_root->filePath(QStringLiteral("support/calendars")); }

    static bool write(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
    }
    static void expectStatus(const FolderEventStore& store, PermissionStatus status) {
        QCOMPARE(store.authorizationStatus(EventStore::Entity::event), status);
        QCOMPARE(store.authorizationStatus(EventStore::Entity::reminder), status);
    }
    // Long enough for the watcher and the coalescing to have spoken if they were going to.
    static void settle() { QTest::qWait(6 * FolderEventStore::coalesceMs); }

private slots:
    void init() { m_root = std::make_unique<QTemporaryDir>(); }

    void theDefaultFolderIsInTheDataFolder() {
        QCOMPARE(FolderEventStore::defaultFolder(),
                 QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                     QStringLiteral("/com.brimlark.app/calendars"));
        QCOMPARE(FolderEventStore().folder(), FolderEventStore::defaultFolder());
    }

    void aMissingFolderIsNotDetermined() {
        FolderEventStore store(calendars());
        expectStatus(store, PermissionStatus::notDetermined);
    }

    void aReadableFolderIsAuthorized() {
        QVERIFY(QDir().mkpath(calendars()));
        FolderEventStore store(calendars());
        expectStatus(store, PermissionStatus::authorized);
    }

    void somethingElseInItsPlaceIsDenied() {
        QVERIFY(QDir().mkpath(m_root->filePath(QStringLiteral("support"))));
        QVERIFY(write(calendars(), "not a folder"));
        FolderEventStore store(calendars());
        expectStatus(store, PermissionStatus::denied);
        bool granted = true;
        QString error;
        store.requestFullAccess(EventStore::Entity::event, this, [&](bool g, const QString& e) {
            granted = g;
            error = e;
        });
        QVERIFY(!granted);
        QVERIFY(error.contains(calendars()));
    }

    void aRequestCreatesTheFolderAndGrants_data() {
        QTest::addColumn<EventStore::Entity>("entity");
        QTest::newRow("events") << EventStore::Entity::event;
        QTest::newRow("reminders") << EventStore::Entity::reminder;
    }
    void aRequestCreatesTheFolderAndGrants() {
        QFETCH(EventStore::Entity, entity);
        FolderEventStore store(calendars());
        QSignalSpy changed(&store, &EventStore::changed);
        int calls = 0;
        bool granted = false;
        QString error = QStringLiteral("unset");
        store.requestFullAccess(entity, this, [&](bool g, const QString& e) {
            ++calls;
            granted = g;
            error = e;
        });
        QCOMPARE(calls, 1);
        QVERIFY(granted);
        QVERIFY(error.isEmpty());
        QVERIFY(QFileInfo(calendars()).isDir());
        QCOMPARE(QFile::permissions(calendars()) & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteOther),
                 QFile::Permissions());
        expectStatus(store, PermissionStatus::authorized);
        QCOMPARE(changed.count(), 1); // the authorisation changed

        // Asking again grants without another change.
        store.requestFullAccess(entity, this, [&](bool g, const QString&) { granted = g; });
        QVERIFY(granted);
        settle();
        QCOMPARE(changed.count(), 1);
    }

    void aFolderThatCannotBeCreatedIsAnError() {
        QVERIFY(write(m_root->filePath(QStringLiteral("support")), "a file where a folder should be"));
        FolderEventStore store(calendars());
        bool granted = true;
        QString error;
        store.requestFullAccess(EventStore::Entity::event, this, [&](bool g, const QString& e) {
            granted = g;
            error = e;
        });
        QVERIFY(!granted);
        QCOMPARE(error, QStringLiteral("could not create the calendar folder %1").arg(calendars()));
        expectStatus(store, PermissionStatus::notDetermined);
    }

    void changesOfTheFilesAreSignalled() {
        QVERIFY(QDir().mkpath(calendars()));
        FolderEventStore store(calendars());
        QSignalSpy changed(&store, &EventStore::changed);
        const QString file = calendars() + QStringLiteral("/work.ics");

        QVERIFY(write(file, "BEGIN:VCALENDAR\nEND:VCALENDAR\n"));
        QTRY_COMPARE(changed.count(), 1);

        QVERIFY(write(file, "BEGIN:VCALENDAR\nVERSION:2.0\nEND:VCALENDAR\n")); // edited in place
        QTRY_COMPARE(changed.count(), 2);

        QVERIFY(QFile::remove(file));
        QTRY_COMPARE(changed.count(), 3);
        settle();
        QCOMPARE(changed.count(), 3);
        expectStatus(store, PermissionStatus::authorized);
    }

    void theFolderAppearingAndGoingIsSignalled() {
        FolderEventStore store(calendars());
        QSignalSpy changed(&store, &EventStore::changed);

        QVERIFY(QDir().mkpath(calendars())); // another program made it, parents included
        QTRY_COMPARE(changed.count(), 1);
        expectStatus(store, PermissionStatus::authorized);

        QVERIFY(write(calendars() + QStringLiteral("/home.ics"), "BEGIN:VCALENDAR\nEND:VCALENDAR\n"));
        QTRY_COMPARE(changed.count(), 2);

        QVERIFY(QDir(calendars()).removeRecursively());
        QTRY_COMPARE(changed.count(), 3);
        expectStatus(store, PermissionStatus::notDetermined);
    }

    void unrelatedChangesNextToAMissingFolderAreSilent() {
        QVERIFY(QDir().mkpath(m_root->filePath(QStringLiteral("support"))));
        FolderEventStore store(calendars());
        QSignalSpy changed(&store, &EventStore::changed);
        QVERIFY(write(m_root->filePath(QStringLiteral("support/defaults.json")), "{}"));
        QVERIFY(QDir().mkpath(m_root->filePath(QStringLiteral("support/hooks"))));
        settle();
        QCOMPARE(changed.count(), 0);
    }
};

BRIMLARK_TEST_MAIN(TestFolderEventStore)
#include "tst_foldereventstore.moc"
