#include "Brimlark/apps/AppLauncherService.h"
#include "platform/fake/FakeBookmarks.h"
#include "platform/fake/FakeFilePicker.h"
#include "platform/fake/FakeWorkspace.h"
#include "tests/support/LogCapture.h"
#include "tests/support/StateFixture.h"
#include "tests/support/TestMain.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>

#include <memory>

namespace {

using Launch = Workspace::Launch;

QJsonObject storedEntry(int n) {
    return {{QStringLiteral("id"), QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper()},
            {QStringLiteral("bookmark"), QString::fromLatin1(QByteArray("fake:/apps/%1.desktop").toBase64())},
            {QStringLiteral("displayName"), QStringLiteral("app %1").arg(n)}};
}

QJsonObject with(QJsonObject object, const QString& key, const QJsonValue& value) {
    if (value.isUndefined())
        object.remove(key);
    else
        object.insert(key, value);
    return object;
}

QByteArray compact(const QJsonArray& array) {
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

} // namespace

class TestAppLauncherService : public QObject {
    Q_OBJECT

    struct Fixture : StateFixture {
        FakeBookmarks bookmarks;
        FakeWorkspace workspace;
        FakeFilePicker picker;
        std::unique_ptr<AppLauncherService> apps;
        void build() { apps = std::make_unique<AppLauncherService>(defaults, bookmarks, workspace, picker); }

        // A desktop entry file that exists, known to the workspace.
        QString application(const QString& name, std::optional<QString> desktopId = std::nullopt) {
            const QString path = dir.filePath(name + QStringLiteral(".desktop"));
            QFile file(path);
            file.open(QIODevice::WriteOnly);
            workspace.applicationFiles.insert(path, {std::nullopt, name, desktopId, QString()});
            return path;
        }
        QJsonArray stored() const {
            return QJsonDocument::fromJson(defaults.data(AppLauncherService::storageKey())).array();
        }
    };

private slots:
    void storedFormHoldsTheEntries() {
        Fixture f;
        f.build();
        QVERIFY(f.apps->addApp(
            f.application(QStringLiteral("Clock"), QStringLiteral("org.example.Clock.desktop"))));
        QVERIFY(f.apps->addApp(f.application(QStringLiteral("Tool"))));
        const QByteArray data = f.defaults.data(AppLauncherService::storageKey());
        QVERIFY(!data.contains(' ') && !data.contains('\n'));
        const QJsonArray array = f.stored();
        QCOMPARE(array.size(), 2);
        const QJsonObject first = array.at(0).toObject();
        QCOMPARE(first.value(QStringLiteral("id")).toString(),
                 f.apps->entries().at(0).id.toString(QUuid::WithoutBraces).toUpper());
        QCOMPARE(first.value(QStringLiteral("bookmark")).toString(),
                 QString::fromLatin1(f.apps->entries().at(0).bookmark.toBase64()));
        QCOMPARE(first.value(QStringLiteral("displayName")).toString(), QStringLiteral("Clock"));
        QCOMPARE(first.value(QStringLiteral("bundleIdentifier")).toString(),
                 QStringLiteral("org.example.Clock.desktop"));
        QVERIFY(!array.at(1).toObject().contains(QStringLiteral("bundleIdentifier")));

        AppLauncherService again(f.defaults, f.bookmarks, f.workspace, f.picker);
        QCOMPARE(again.entries(), f.apps->entries());
        QVERIFY(again.lastResults().isEmpty());
    }

    void loading_data() {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("loaded");
        QTest::addColumn<int>("errors");

        const QJsonObject good = storedEntry(1);
        const auto between = [](const QJsonValue& bad) {
            return QVariant(compact({storedEntry(1), bad, storedEntry(2)}));
        };
        QTest::newRow("nothing stored") << QVariant() << 0 << 0;
        QTest::newRow("no JSON") << QVariant(QByteArray("[{\"id\":")) << 0 << 1;
        QTest::newRow("a list instead of data") << QVariant(QVariantList{good.toVariantMap()}) << 0 << 1;
        QTest::newRow("a string among objects") << between(QStringLiteral("stray")) << 2 << 1;
        QTest::newRow("no id") << between(with(good, QStringLiteral("id"), QJsonValue::Undefined)) << 2 << 1;
        QTest::newRow("id that is no UUID")
            << between(with(good, QStringLiteral("id"), QStringLiteral("42"))) << 2 << 1;
        QTest::newRow("bookmark that is no Base64")
            << between(with(good, QStringLiteral("bookmark"), QStringLiteral("*not*"))) << 2 << 1;
        QTest::newRow("bundleIdentifier a number")
            << between(with(good, QStringLiteral("bundleIdentifier"), 7)) << 2 << 1;
        QTest::newRow("bundleIdentifier null, extra keys")
            << QVariant(compact({with(with(good, QStringLiteral("bundleIdentifier"), QJsonValue::Null),
                                      QStringLiteral("extra"), true)}))
            << 1 << 0;
    }
    void loading() {
        QFETCH(QVariant, stored);
        QFETCH(int, loaded);
        QFETCH(int, errors);
        Fixture f;
        if (stored.isValid())
            f.defaults.setValue(AppLauncherService::storageKey(), stored);
        LogCapture log;
        f.build();
        QCOMPARE(f.apps->entries().size(), loaded);
        QCOMPARE(log.at(QStringLiteral("error")).size(), errors);
        QVERIFY(f.defaults.keys(AppLauncherService::unreadableKeyPrefix()).isEmpty());

        // The first save keeps a damaged value aside, under its own key, before replacing it.
        f.apps->remove(QUuid::createUuid());
        const QStringList aside = f.defaults.keys(AppLauncherService::unreadableKeyPrefix());
        QCOMPARE(aside.size(), errors > 0 ? 1 : 0);
        if (errors > 0) {
            QCOMPARE(f.defaults.value(aside.first()), stored);
            QVERIFY(QDateTime::fromString(aside.first().mid(AppLauncherService::unreadableKeyPrefix().size()),
                                          QStringLiteral("yyyyMMdd'T'HHmmss'Z'"))
                        .isValid());
        }
        QCOMPARE(f.stored().size(), loaded);
        f.apps->remove(QUuid::createUuid());
        QCOMPARE(f.defaults.keys(AppLauncherService::unreadableKeyPrefix()).size(), aside.size());
    }

    void addingNamesTheEntry_data() {
        QTest::addColumn<std::optional<QString>>("localizedName");
        QTest::addColumn<std::optional<QString>>("name");
        QTest::addColumn<QString>("shown");
        QTest::newRow("translated") << std::optional<QString>(QStringLiteral("Uhr"))
                                    << std::optional<QString>(QStringLiteral("Clock"))
                                    << QStringLiteral("Uhr");
        QTest::newRow("untranslated")
            << std::optional<QString>() << std::optional<QString>(QStringLiteral("Clock"))
            << QStringLiteral("Clock");
        QTest::newRow("empty translation is used")
            << std::optional<QString>(QString()) << std::optional<QString>(QStringLiteral("Clock"))
            << QString();
        QTest::newRow("no name: the file's")
            << std::optional<QString>() << std::optional<QString>() << QStringLiteral("org.example.Clock");
    }
    void addingNamesTheEntry() {
        QFETCH(std::optional<QString>, localizedName);
        QFETCH(std::optional<QString>, name);
        QFETCH(QString, shown);
        Fixture f;
        f.build();
        const QString path = f.application(QStringLiteral("org.example.Clock"));
        f.workspace.applicationFiles[path].localizedName = localizedName;
        f.workspace.applicationFiles[path].name = name;
        QVERIFY(f.apps->addApp(path));
        QVERIFY(f.apps->addApp(path));
        QCOMPARE(f.apps->entries().size(), 2);
        QCOMPARE(f.apps->entries().at(0).displayName, shown);
        QVERIFY(f.apps->entries().at(0).id != f.apps->entries().at(1).id);
    }

    void addingRefusesWhatItCannotKeep_data() {
        QTest::addColumn<QString>("bookmarkError");
        QTest::addColumn<bool>("isApplication");
        QTest::addColumn<QString>("error");
        QTest::newRow("no bookmark") << QStringLiteral("gone.desktop does not exist.") << true
                                     << QStringLiteral("gone.desktop does not exist.");
        QTest::newRow("another Type") << QString() << false << QStringLiteral("is not an application");
    }
    void addingRefusesWhatItCannotKeep() {
        QFETCH(QString, bookmarkError);
        QFETCH(bool, isApplication);
        QFETCH(QString, error);
        Fixture f;
        f.build();
        QVERIFY(f.apps->addApp(f.application(QStringLiteral("First"))));
        const QString path = f.application(QStringLiteral("gone"));
        if (!isApplication)
            f.workspace.applicationFiles.remove(path);
        f.bookmarks.createError = bookmarkError;
        QSignalSpy changed(f.apps.get(), &AppLauncherService::entriesChanged);
        QString why;
        QVERIFY(!f.apps->addApp(path, &why));
        QVERIFY2(why.contains(error), qPrintable(why));
        QCOMPARE(f.apps->entries().size(), 1);
        QCOMPARE(changed.size(), 0);
        QCOMPARE(f.stored().size(), 1);
    }

    void launchAll_data() {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("results");
        QTest::addColumn<int>("opened");
        QTest::newRow("empty batch") << QStringList() << QStringList() << 0;
        QTest::newRow("present") << QStringList{QStringLiteral("present")}
                                 << QStringList{QStringLiteral("launched")} << 1;
        QTest::newRow("file deleted")
            << QStringList{QStringLiteral("deleted")} << QStringList{QStringLiteral("missing")} << 0;
        QTest::newRow("item vanished")
            << QStringList{QStringLiteral("vanished")} << QStringList{QStringLiteral("missing")} << 0;
        QTest::newRow("bytes that do not resolve")
            << QStringList{QStringLiteral("unreadable")} << QStringList{QStringLiteral("failed")} << 0;
        QTest::newRow("opener error")
            << QStringList{QStringLiteral("refused")} << QStringList{QStringLiteral("failed")} << 1;
        QTest::newRow("each kind, the same file twice")
            << QStringList{QStringLiteral("present"), QStringLiteral("deleted"), QStringLiteral("refused"),
                           QStringLiteral("present")}
            << QStringList{QStringLiteral("launched"), QStringLiteral("missing"), QStringLiteral("failed"),
                           QStringLiteral("launched")}
            << 3;
    }
    void launchAll() {
        QFETCH(QStringList, entries);
        QFETCH(QStringList, results);
        QFETCH(int, opened);
        Fixture f;
        f.build();
        const QString present = f.application(QStringLiteral("present"));
        const QString refused = f.application(QStringLiteral("refused"));
        for (const QString& kind : entries) {
            if (kind == QLatin1String("present") || kind == QLatin1String("refused")) {
                QVERIFY(f.apps->addApp(kind == QLatin1String("present") ? present : refused));
                continue;
            }
            const QString path = f.application(kind);
            QVERIFY(f.apps->addApp(path));
            if (kind == QLatin1String("deleted"))
                QFile::remove(path);
            else if (kind == QLatin1String("vanished"))
                f.bookmarks.vanished.insert(path);
        }
        if (entries.contains(QStringLiteral("unreadable"))) {
            QList<AppEntry> damaged = f.apps->entries();
            f.defaults.setData(AppLauncherService::storageKey(),
                               compact({with(damaged.first().toJson(), QStringLiteral("bookmark"),
                                             QString::fromLatin1(QByteArray("\xff\xfe").toBase64()))}));
            f.build();
        }

        QSignalSpy launching(f.apps.get(), &AppLauncherService::isLaunchingChanged);
        f.apps->launchAll();
        QCOMPARE(f.workspace.pendingOpens.size(), opened);
        for (qsizetype i = f.workspace.pendingOpens.size() - 1; i >= 0; --i) {
            const bool refuse = f.workspace.pendingOpens.at(i).path == refused;
            f.workspace.answerOpen(i, refuse
                                          ? Launch{Launch::Outcome::failed, QStringLiteral("no such program")}
                                          : FakeWorkspace::launched());
        }
        QCOMPARE(launching.size(), 2);
        QCOMPARE(launching.at(0).at(0).toBool(), true);
        QCOMPARE(launching.at(1).at(0).toBool(), false);
        QStringList shown;
        for (const AppEntry& entry : f.apps->entries())
            shown.append(f.apps->lastResults().value(entry.id).label());
        QCOMPARE(shown, results);
        QCOMPARE(f.apps->lastResults().size(), results.size());
        QCOMPARE(f.bookmarks.started, f.bookmarks.stopped);
        if (entries.contains(QStringLiteral("refused")))
            QVERIFY(f.apps->lastResults().values().contains(
                AppLaunchResult::failed(QStringLiteral("no such program"))));
    }

    void oneRunAtATime() {
        Fixture f;
        f.build();
        QVERIFY(f.apps->addApp(f.application(QStringLiteral("a"))));
        QVERIFY(f.apps->addApp(f.application(QStringLiteral("b"))));
        f.apps->launchAll();
        f.workspace.answerAllOpens(FakeWorkspace::launched());
        const auto earlier = f.apps->lastResults();
        QCOMPARE(earlier.size(), 2);

        f.apps->launchAll();
        QVERIFY(f.apps->isLaunching());
        f.apps->launchAll(); // mid-run: opens nothing
        QCOMPARE(f.workspace.pendingOpens.size(), 2);
        f.workspace.answerOpen(1, {Launch::Outcome::failed, QStringLiteral("late")});
        QVERIFY(f.apps->isLaunching());
        QCOMPARE(f.apps->lastResults(), earlier);
        f.workspace.answerOpen(0, FakeWorkspace::launched());
        QVERIFY(!f.apps->isLaunching());
        QCOMPARE(f.apps->lastResults().value(f.apps->entries().at(1).id),
                 AppLaunchResult::failed(QStringLiteral("late")));
        QCOMPARE(f.workspace.openedApplicationFiles.size(), 4);
    }

    void removeDropsTheEntryAndItsResult() {
        Fixture f;
        f.build();
        QVERIFY(f.apps->addApp(f.application(QStringLiteral("a"))));
        QVERIFY(f.apps->addApp(f.application(QStringLiteral("b"))));
        f.apps->launchAll();
        f.workspace.answerAllOpens(FakeWorkspace::launched());
        const AppEntry kept = f.apps->entries().at(1);
        f.apps->remove(f.apps->entries().at(0).id);
        QCOMPARE(f.apps->entries(), QList<AppEntry>{kept});
        QCOMPARE(f.apps->lastResults().keys(), QList<QUuid>{kept.id});
        QCOMPARE(f.stored().size(), 1);
        QCOMPARE(f.stored().at(0).toObject().value(QStringLiteral("id")).toString(),
                 kept.id.toString(QUuid::WithoutBraces).toUpper());
    }
};

BRIMLARK_TEST_MAIN(TestAppLauncherService)
#include "tst_applauncherservice.moc"
