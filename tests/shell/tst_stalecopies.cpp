#include "Brimlark/aihooks/AIHooksService.h"
#include "Brimlark/organizer/NotesService.h"
#include "launch_at_login/LaunchAtLogin.h"
#include "platform/AtomicWrite.h"
#include "platform/UserDefaults.h"
#include "tests/support/StateFixture.h"
#include "tests/support/TestMain.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

// What a save killed midway leaves beside a file of the program's own (its staged copy) goes when
// the file's owner is built at the next start, whichever store it is; a copy changed moments ago
// may be a save under way and stays.
class TestStaleCopies : public QObject {
    Q_OBJECT
private:
    static bool plant(const QString& path, int ageSeconds) {
        if (!QDir().mkpath(QFileInfo(path).absolutePath()))
            return false;
        QFile file(path);
        // Flushed first: the write would otherwise reach the file after its time is set.
        return file.open(QIODevice::WriteOnly) && file.write("{\"half") == 6 && file.flush() &&
               file.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-ageSeconds),
                                QFileDevice::FileModificationTime);
    }

private slots:
    void eachStoreRemovesWhatAKilledSaveLeft_data() {
        QTest::addColumn<QString>("store");
        QTest::addColumn<int>("ageSeconds");
        QTest::addColumn<bool>("removed");
        QTest::newRow("settings") << "settings" << 3600 << true;
        QTest::newRow("notes") << "notes" << 3600 << true;
        QTest::newRow("hooks inbox") << "inbox" << 3600 << true;
        QTest::newRow("hook bridge script") << "bridge" << 3600 << true;
        QTest::newRow("autostart entry") << "autostart" << 3600 << true;
        QTest::newRow("settings, copy changed just now") << "settings" << 0 << false;
        QTest::newRow("hooks inbox, copy changed just now") << "inbox" << 0 << false;
    }
    void eachStoreRemovesWhatAKilledSaveLeft() {
        QFETCH(QString, store);
        QFETCH(int, ageSeconds);
        QFETCH(bool, removed);
        StateFixture f;
        const QString support = f.dir.filePath(QStringLiteral("support"));
        QString file;
        if (store == QLatin1String("settings"))
            file = f.dir.filePath(QStringLiteral("config/defaults.json"));
        else if (store == QLatin1String("notes"))
            file = f.dir.filePath(NotesService::fileName());
        else if (store == QLatin1String("inbox"))
            file = support + QStringLiteral("/hooks/inbox.json");
        else if (store == QLatin1String("bridge"))
            file = support + QStringLiteral("/hooks/brimlark-hook-bridge.py");
        else
            file = LaunchAtLogin::entryPath();
        const QString copy = file + QStringLiteral(".Ab12Cd");
        QVERIFY(plant(copy, ageSeconds));

        if (store == QLatin1String("settings")) {
            UserDefaults defaults(file);
        } else if (store == QLatin1String("notes")) {
            NotesService notes(file, &f.clock);
        } else if (store == QLatin1String("autostart")) {
            LaunchAtLogin::setEnabled(false);
        } else {
            AIHooksService hooks(f.appState, support, nullptr, nullptr, nullptr, &f.clock);
        }
        QCOMPARE(!QFileInfo::exists(copy), removed);
        QFile::remove(copy);
    }
};

BRIMLARK_TEST_MAIN(TestStaleCopies)
#include "tst_stalecopies.moc"
