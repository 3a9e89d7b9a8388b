#include "Brimlark/aihooks/AIHooksService.h"
#include "Brimlark/organizer/NotesService.h"
#include "launch_at_login/LaunchAtLogin.h"
#include "platform/AtomicWrite.h"
#include "platform/UserDefaults.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/FileWrites.h"
#include "tests/support/StateFixture.h"
#include "tests/support/TestMain.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <limits>
#include <memory>

class TestUserDefaults : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString path(const QString& name = QStringLiteral("defaults.json")) const { return m_dir.filePath(name); }

    static QByteArray read(const QString& file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static bool changedAgo(const QString& file, int seconds) {
        QFile opened(file);
        return opened.open(QIODevice::ReadWrite) &&
               opened.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-seconds),
                                  QFileDevice::FileModificationTime);
    }
    static void write(const QString& file, const QByteArray& bytes) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    // A value's exact JSON text.
    static QByteArray json(const QJsonValue& value) {
        return QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    }

private slots:
    void init() { QFile::remove(path()); }

    void valuesKeepTheirKindAcrossAReload_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("type");
        QTest::newRow("bool") << QVariant(true) << int(QMetaType::Bool);
        QTest::newRow("integer") << QVariant(qint64(42)) << int(QMetaType::LongLong);
        QTest::newRow("negative integer") << QVariant(qint64(-7)) << int(QMetaType::LongLong);
        QTest::newRow("fractional double") << QVariant(0.25) << int(QMetaType::Double);
        QTest::newRow("whole double") << QVariant(2.0) << int(QMetaType::Double);
        QTest::newRow("text") << QVariant(QStringLiteral("oneShot")) << int(QMetaType::QString);
        QTest::newRow("numeric text") << QVariant(QStringLiteral("12")) << int(QMetaType::QString);
        QTest::newRow("data") << QVariant(QByteArray("\x00\x01\xffpath", 7)) << int(QMetaType::QByteArray);
        QTest::newRow("array") << QVariant(QVariantList{qint64(1), QStringLiteral("two"), false})
                               << int(QMetaType::QVariantList);
        QTest::newRow("dictionary") << QVariant(QVariantMap{{QStringLiteral("a"), qint64(1)},
                                                            {QStringLiteral("b"), QStringLiteral("x")}})
                                    << int(QMetaType::QVariantMap);
    }
    void valuesKeepTheirKindAcrossAReload() {
        QFETCH(QVariant, value);
        QFETCH(int, type);
        {
            UserDefaults store(path());
            QVERIFY(store.setValue(QStringLiteral("k"), value));
        }
        UserDefaults reloaded(path());
        const QVariant back = reloaded.value(QStringLiteral("k"));
        QCOMPARE(back.typeId(), type);
        QCOMPARE(back, value);
    }

    void registeredDefaultsAnswerButAreNeverStored() {
        UserDefaults store(path());
        store.registerDefaults(
            {{QStringLiteral("brimlark.flag"), true}, {QStringLiteral("brimlark.n"), qint64(3)}});
        QVERIFY(store.boolValue(QStringLiteral("brimlark.flag")));
        QCOMPARE(store.integer(QStringLiteral("brimlark.n")), 3);
        QVERIFY(!store.contains(QStringLiteral("brimlark.flag")));
        QVERIFY(!QFile::exists(path()));

        store.setBool(QStringLiteral("brimlark.flag"), false);
        QVERIFY(store.contains(QStringLiteral("brimlark.flag")));
        QVERIFY(!store.boolValue(QStringLiteral("brimlark.flag")));
        const QJsonObject onDisk = QJsonDocument::fromJson(read(path())).object();
        QCOMPARE(onDisk.keys(), QStringList{QStringLiteral("brimlark.flag")});
        QCOMPARE(onDisk.value(QStringLiteral("brimlark.flag")).toBool(true), false);

        store.remove(QStringLiteral("brimlark.flag"));
        QVERIFY(!store.contains(QStringLiteral("brimlark.flag")));
        QVERIFY(store.boolValue(QStringLiteral("brimlark.flag")));
        QVERIFY(UserDefaults(path()).keys().isEmpty());
    }

    void typedReadersConvertLikeAPropertyListStore() {
        UserDefaults store(path());
        store.setString(QStringLiteral("yes"), QStringLiteral("YES"));
        store.setString(QStringLiteral("num"), QStringLiteral(" 2.5 "));
        store.setDouble(QStringLiteral("d"), 3.9);
        store.setArray(QStringLiteral("list"), {qint64(1)});
        QVERIFY(store.boolValue(QStringLiteral("yes")));
        QCOMPARE(store.doubleValue(QStringLiteral("num")), 2.5);
        QCOMPARE(store.integer(QStringLiteral("num")), 2);
        QCOMPARE(store.integer(QStringLiteral("d")), 3);
        QCOMPARE(store.string(QStringLiteral("d")).value_or(QString()), QStringLiteral("3.9"));
        QVERIFY(!store.string(QStringLiteral("list")).has_value());
        QVERIFY(!store.string(QStringLiteral("missing")).has_value());
        QCOMPARE(store.integer(QStringLiteral("list")), 0);
        QVERIFY(store.dictionary(QStringLiteral("list")).isEmpty());
    }

    void keysAreEnumeratedByPrefix() {
        UserDefaults store(path());
        store.setBool(QStringLiteral("brimlark.aiHookAccess.codex"), true);
        store.setBool(QStringLiteral("brimlark.aiHookAccess.claude"), true);
        store.setBool(QStringLiteral("brimlark.haloMode"), true);
        store.setBool(QStringLiteral("KeyboardShortcuts_toggleBasic"), true);
        QCOMPARE(store.keys(QStringLiteral("brimlark.aiHookAccess.")),
                 (QStringList{QStringLiteral("brimlark.aiHookAccess.claude"),
                              QStringLiteral("brimlark.aiHookAccess.codex")}));
        QCOMPARE(store.keys().size(), 4);
    }

    void everyWriteIsOnDiskAtOnceAndSignalled() {
        UserDefaults store(path());
        QSignalSpy spy(&store, &UserDefaults::valueChanged);
        store.setInteger(QStringLiteral("a"), 1);
        store.setInteger(QStringLiteral("a"), 1);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(UserDefaults(path()).integer(QStringLiteral("a")), 1);
        // No temporary files are left beside the store.
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("defaults.json")});
    }

    void unparsableFileIsKeptAsideNotOverwritten_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("broken json") << QByteArray("{\"brimlark.haloMode\": \"ambient\",");
        QTest::newRow("not an object") << QByteArray("[1, 2, 3]");
        QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n", 8);
    }
    void unparsableFileIsKeptAsideNotOverwritten() {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("defaults.json"));
        write(file, content);

        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(QStringLiteral("could not be parsed")));
        UserDefaults store(file);
        store.registerDefaults({{QStringLiteral("brimlark.haloMode"), QStringLiteral("oneShot")}});
        QCOMPARE(store.string(QStringLiteral("brimlark.haloMode")).value_or(QString()),
                 QStringLiteral("oneShot"));
        QVERIFY(!store.quarantinedPath().isEmpty());
        QVERIFY(store.quarantinedPath().startsWith(file + QStringLiteral(".unreadable-")));
        QCOMPARE(read(store.quarantinedPath()), content);
        QVERIFY(!QFile::exists(file));

        store.setBool(QStringLiteral("brimlark.haloOnMedia"), false);
        QCOMPARE(read(store.quarantinedPath()), content);
        QVERIFY(QJsonDocument::fromJson(read(file)).isObject());
    }

    void aSecondDamagedFileDoesNotReplaceTheFirstKeptAside() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("defaults.json"));
        QStringList kept;
        for (const QByteArray& content : {QByteArray("{first"), QByteArray("{second")}) {
            write(file, content);
            QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(QStringLiteral("could not be parsed")));
            UserDefaults store(file);
            kept.append(store.quarantinedPath());
        }
        QVERIFY(kept.at(0) != kept.at(1));
        QCOMPARE(read(kept.at(0)), QByteArray("{first"));
        QCOMPARE(read(kept.at(1)), QByteArray("{second"));
    }

    void failedWriteIsReportedAndLogged() {
        // The store's folder cannot be made: its parent is a regular file.
        write(path(QStringLiteral("blocker")), "x");
        UserDefaults store(path(QStringLiteral("blocker/defaults.json")));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(QStringLiteral("defaults save failed")));
        QVERIFY(!store.setBool(QStringLiteral("a"), true));
        QVERIFY(store.boolValue(QStringLiteral("a")));
    }

    // A full disk, played by a file-size limit: the write is cut off before its first byte, part
    // way through the last flush of the write buffer, or inside a write larger than that buffer.
    void aWriteThatCannotFinishKeepsTheOldFile_data() {
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("valueSize");
        QTest::newRow("nothing fits") << 0 << 8;
        QTest::newRow("cut short in the buffer") << 16 << 8;
        QTest::newRow("cut short past the buffer") << 4096 << 256 * 1024;
    }
    void aWriteThatCannotFinishKeepsTheOldFile() {
        QFETCH(int, limit);
        QFETCH(int, valueSize);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("defaults.json"));
        {
            UserDefaults store(file);
            QVERIFY(store.setString(QStringLiteral("brimlark.haloMode"), QStringLiteral("ambient")));
            QVERIFY(store.setBool(QStringLiteral("brimlark.hoverToPeek"), false));
        }
        const QByteArray before = read(file);
        UserDefaults store(file);
        const QString value(valueSize, QLatin1Char('x'));
        QTest::ignoreMessage(QtCriticalMsg,
                             QRegularExpression(QStringLiteral("^defaults save failed: ") +
                                                QRegularExpression::escape(file) + QStringLiteral(": .+")));
        {
            brimlark::test::FileSizeLimit fileSizeLimit{rlim_t(limit)};
            QVERIFY(fileSizeLimit.isActive());
            QVERIFY(!store.setString(QStringLiteral("brimlark.note"), value));
        }
        QCOMPARE(read(file), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("defaults.json")});
        QCOMPARE(store.string(QStringLiteral("brimlark.note")).value_or(QString()), value);

        // The change held in memory goes out with the next write that succeeds.
        QVERIFY(store.setInteger(QStringLiteral("brimlark.lastAdvancedPage"), 2));
        UserDefaults reloaded(file);
        QCOMPARE(reloaded.string(QStringLiteral("brimlark.note")).value_or(QString()), value);
        QCOMPARE(reloaded.string(QStringLiteral("brimlark.haloMode")).value_or(QString()),
                 QStringLiteral("ambient"));
    }

    // Values under keys this version does not use (a newer version's, or the user's) are written
    // back as they were read, and so is a value read and stored again under another key.
    void valuesFromTheFileAreWrittenBackAsTheyWere_data() {
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("null") << QByteArray("null");
        QTest::newRow("null in an array") << QByteArray("[1, null, 2]");
        QTest::newRow("null in an object") << QByteArray(R"({"a": null, "b": [null]})");
        QTest::newRow("integer past 2^53") << QByteArray("9007199254740993");
        QTest::newRow("largest integer") << QByteArray("9223372036854775807");
        QTest::newRow("smallest integer") << QByteArray("-9223372036854775808");
        QTest::newRow("large integer in an object") << QByteArray(R"({"id": 1234567890123456789})");
        QTest::newRow("whole double") << QByteArray(R"({"$double": 2})");
        QTest::newRow("fraction") << QByteArray("0.25");
        QTest::newRow("data") << QByteArray(R"({"$data": "AAH/"})");
    }
    void valuesFromTheFileAreWrittenBackAsTheyWere() {
        QFETCH(QByteArray, value);
        write(path(), "{\"future.value\": " + value + "}");
        const QByteArray expected = json(QJsonDocument::fromJson("[" + value + "]").array().first());
        UserDefaults store(path());
        QVERIFY(store.contains(QStringLiteral("future.value")));
        QVERIFY(store.setBool(QStringLiteral("brimlark.haloOnMedia"), false));
        QVERIFY(store.setValue(QStringLiteral("copy"), store.value(QStringLiteral("future.value"))));

        const QJsonObject onDisk = QJsonDocument::fromJson(read(path())).object();
        QCOMPARE(json(onDisk.value(QStringLiteral("future.value"))), expected);
        QCOMPARE(json(onDisk.value(QStringLiteral("copy"))), expected);
    }

    // What a write killed mid-way left beside the file goes at the next start; nothing else does.
    void staleStagedCopiesAreRemovedAtStart_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("removed");
        QTest::newRow("staged copy") << QStringLiteral("defaults.json.Ab12Cd") << true;
        QTest::newRow("longer suffix") << QStringLiteral("defaults.json.backup1") << false;
        QTest::newRow("another file's copy") << QStringLiteral("other.json.Ab12Cd") << false;
        QTest::newRow("not letters or digits") << QStringLiteral("defaults.json.a-b_cd") << false;
    }

    void staleStagedCopiesAreRemovedAtStart() {
        QFETCH(QString, name);
        QFETCH(bool, removed);
        write(path(), "{\"kept\":true}");
        write(path(name), "{\"half");
        // Left an hour ago: a copy changed moments ago may be a write under way.
        QVERIFY(changedAgo(path(name), 3600));
        QCOMPARE(AtomicWrite::removeStaleCopies(path()), removed ? 1 : 0);
        QCOMPARE(QFile::exists(path(name)), !removed);
        QCOMPARE(read(path()), QByteArray("{\"kept\":true}"));
        QFile::remove(path(name));
    }

    // Whichever store's file it is, the copy goes when the store is built at the next start.
    void everyStoreRemovesStaleCopies_data() {
        QTest::addColumn<QString>("file"); // in the store's folder; none for the autostart entry
        QTest::addColumn<int>("age");
        QTest::addColumn<bool>("removed");
        QTest::newRow("settings") << "defaults.json" << 3600 << true;
        QTest::newRow("notes") << "notes.json" << 3600 << true;
        QTest::newRow("hooks inbox") << "support/hooks/inbox.json" << 3600 << true;
        QTest::newRow("hook bridge script") << "support/hooks/brimlark-hook-bridge.py" << 3600 << true;
        QTest::newRow("autostart entry") << "" << 3600 << true;
        QTest::newRow("hooks inbox, copy changed just now") << "support/hooks/inbox.json" << 0 << false;
    }
    void everyStoreRemovesStaleCopies() {
        QFETCH(QString, file);
        QFETCH(int, age);
        QFETCH(bool, removed);
        QTemporaryDir dir;
        const QString target = file.isEmpty() ? LaunchAtLogin::entryPath() : dir.filePath(file);
        QVERIFY(QDir().mkpath(QFileInfo(target).absolutePath()));
        write(target + QStringLiteral(".Ab12Cd"), "{\"half");
        QVERIFY(changedAgo(target + QStringLiteral(".Ab12Cd"), age));
        if (file.isEmpty()) {
            LaunchAtLogin::setEnabled(false);
        } else if (file.startsWith(QLatin1String("support/"))) {
            StateFixture f;
            AIHooksService hooks(f.appState, dir.filePath(QStringLiteral("support")), nullptr, nullptr,
                                 nullptr, &f.clock);
        } else if (file == NotesService::fileName()) {
            NotesService notes(target);
        } else {
            UserDefaults defaults(target);
        }
        QCOMPARE(QFile::exists(target + QStringLiteral(".Ab12Cd")), !removed);
        QFile::remove(target + QStringLiteral(".Ab12Cd"));
    }

    void integersKeepEveryDigitAcrossAReload_data() {
        QTest::addColumn<qint64>("value");
        QTest::newRow("2^53 + 1") << qint64(9007199254740993LL);
        QTest::newRow("largest") << std::numeric_limits<qint64>::max();
        QTest::newRow("smallest") << std::numeric_limits<qint64>::min();
    }
    void integersKeepEveryDigitAcrossAReload() {
        QFETCH(qint64, value);
        {
            UserDefaults store(path());
            QVERIFY(store.setInteger(QStringLiteral("own.id"), value));
        }
        UserDefaults reloaded(path());
        QCOMPARE(reloaded.value(QStringLiteral("own.id")).typeId(), int(QMetaType::LongLong));
        QCOMPARE(reloaded.integer(QStringLiteral("own.id")), value);
        QVERIFY(reloaded.setBool(QStringLiteral("x"), true));
        QCOMPARE(UserDefaults(path()).integer(QStringLiteral("own.id")), value);
    }
    // A value set for later is there at once and reaches the file once, however often it changed,
    // by whichever comes first: the pause, another write, a flush or the store's end.
    void aValueSetLaterReachesTheFileOnce_data() {
        QTest::addColumn<QString>("by");
        QTest::newRow("the pause") << "pause";
        QTest::newRow("another write") << "write";
        QTest::newRow("a flush") << "flush";
        QTest::newRow("the store's end") << "end";
    }
    void aValueSetLaterReachesTheFileOnce() {
        QFETCH(QString, by);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("defaults.json"));
        const QString key = QStringLiteral("brimlark.lastAdvancedPage");
        auto store = std::make_unique<UserDefaults>(file);
        QSignalSpy changes(store.get(), &UserDefaults::valueChanged);
        for (int page = 1; page <= 3; ++page)
            store->setValueLater(key, page);
        QCOMPARE(store->integer(key), 3);
        QCOMPARE(changes.count(), 3);
        QVERIFY(store->hasPendingWrite());
        QVERIFY(!QFile::exists(file));

        if (by == QLatin1String("pause"))
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(file), UserDefaults::writeDelayMs * 5);
        else if (by == QLatin1String("write"))
            QVERIFY(store->setBool(QStringLiteral("brimlark.haloOnMedia"), false));
        else if (by == QLatin1String("flush"))
            QVERIFY(store->flush());
        else
            store.reset();
        if (store)
            QVERIFY(!store->hasPendingWrite());
        QCOMPARE(UserDefaults(file).integer(key), 3);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("defaults.json")});
    }

    // Storing what a key holds writes nothing, however large the file; the changes made while a
    // batch lives are one write, when the outermost batch ends.
    void aChangeIsWrittenOnceAndNoChangeNever_data() {
        QTest::addColumn<QString>("changes");
        QTest::addColumn<int>("writes");
        QTest::newRow("what each key holds") << "same" << 0;
        QTest::newRow("a whole number as a double") << "kind" << 1;
        QTest::newRow("three changes in a batch") << "batch" << 1;
        QTest::newRow("a batch that changes nothing") << "batch same" << 0;
        QTest::newRow("a batch in a batch") << "nested" << 1;
    }
    void aChangeIsWrittenOnceAndNoChangeNever() {
        QFETCH(QString, changes);
        QFETCH(int, writes);
        const QByteArray large(1 << 20, 'x');
        write(path(), "{\"count\": 1, \"ratio\": {\"$double\": 2}, \"list\": [1, \"x\", {\"$double\": 3}], "
                      "\"large\": \"" +
                          large + "\"}");
        UserDefaults store(path());
        const FileWrites written(path());
        auto storeWhatIsThere = [&] {
            QVERIFY(store.setInteger(QStringLiteral("count"), 1));
            QVERIFY(store.setDouble(QStringLiteral("ratio"), 2));
            QVERIFY(store.setArray(QStringLiteral("list"), {1, QStringLiteral("x"), 3.0}));
            QVERIFY(store.setString(QStringLiteral("large"), QString::fromLatin1(large)));
            store.setValueLater(QStringLiteral("count"), 1);
        };
        if (changes == QLatin1String("same")) {
            storeWhatIsThere();
        } else if (changes == QLatin1String("kind")) {
            QVERIFY(store.setDouble(QStringLiteral("count"), 1));
        } else {
            const UserDefaults::Batch batch(store);
            if (changes == QLatin1String("batch same")) {
                storeWhatIsThere();
            } else {
                QVERIFY(store.setBool(QStringLiteral("on"), true));
                QVERIFY(store.setInteger(QStringLiteral("count"), 2));
                QVERIFY(store.remove(QStringLiteral("large")));
            }
            if (changes == QLatin1String("nested")) {
                const UserDefaults::Batch inner(store);
                QVERIFY(store.setString(QStringLiteral("more"), QStringLiteral("x")));
            }
            QCOMPARE(written.count(), 0);
        }
        QCOMPARE(written.count(), writes);
        QVERIFY(!store.hasPendingWrite());
        // The file holds what the store does.
        UserDefaults reloaded(path());
        QCOMPARE(reloaded.keys(), store.keys());
        for (const QString& key : store.keys())
            QCOMPARE(reloaded.value(key), store.value(key));
    }
};

BRIMLARK_TEST_MAIN(TestUserDefaults)
#include "tst_userdefaults.moc"
