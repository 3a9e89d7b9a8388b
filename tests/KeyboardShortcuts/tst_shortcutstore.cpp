#include "KeyboardShortcuts/CarbonKeyboardShortcuts.h"
#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/NameRegistry.h"
#include "KeyboardShortcuts/Notifier.h"
#include "platform/UserDefaults.h"
#include "platform/fake/FakeHotKeys.h"
#include "platform/fake/FakeKeyboardLayout.h"
#include "tests/support/TestMain.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>

using namespace KeyboardShortcuts;

namespace {

QString call(const char* what, const Shortcut& shortcut) {
    return QString::fromUtf8(what) + QLatin1Char(' ') + QString::fromUtf8(shortcut.toJson());
}

const Shortcut optionCommandN(Key::n, Modifier::option | Modifier::command);
const Shortcut commandRight(Key::rightArrow, Modifier::command);

} // namespace

class TestShortcutStore : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::unique_ptr<UserDefaults> m_store;
    FakeKeyboardLayout m_layout;
    std::unique_ptr<FakeHotKeys> m_hotKeys;
    std::unique_ptr<CarbonKeyboardShortcuts> m_registry;

    QString storePath() const { return m_dir.filePath(QStringLiteral("defaults.json")); }

    // A new run of the program: the store read again from its file, every name made anew, a new
    // registry on a new desktop connection.
    void restart() {
        m_registry.reset();
        m_store = std::make_unique<UserDefaults>(storePath());
        m_hotKeys = std::make_unique<FakeHotKeys>();
        m_registry = std::make_unique<CarbonKeyboardShortcuts>(m_hotKeys.get());
        NameRegistry::shared().reset();
        install(m_store.get(), &m_layout, m_registry.get());
    }

    // The grabs the registry took and let go on the desktop, in order.
    QStringList grabs() const {
        QStringList calls;
        for (const FakeHotKeys::Call& made : m_hotKeys->calls) {
            const Shortcut shortcut(made.carbonKeyCode, made.carbonModifiers);
            if (made.kind == FakeHotKeys::Call::Kind::registered)
                calls << call("register", shortcut);
            else if (made.kind == FakeHotKeys::Call::Kind::unregistered)
                calls << call("release", shortcut);
        }
        return calls;
    }

    QStringList announced(const QSignalSpy& spy) const {
        QStringList names;
        for (const QList<QVariant>& arguments : spy)
            names << arguments.at(0).value<Name>().rawValue();
        return names;
    }

private slots:
    void init() {
        QFile::remove(storePath());
        restart();
    }

    void combinationsAreStoredInTheirTextForm_data() {
        QTest::addColumn<int>("keyCode");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("stored");
        QTest::newRow("option command N") << 45 << int(Modifier::option | Modifier::command)
                                          << QStringLiteral(R"({"carbonKeyCode":45,"carbonModifiers":2304})");
        QTest::newRow("shift command N") << 45 << int(Modifier::shift | Modifier::command)
                                         << QStringLiteral(R"({"carbonKeyCode":45,"carbonModifiers":768})");
        QTest::newRow("command right arrow")
            << 124 << int(Modifier::command)
            << QStringLiteral(R"({"carbonKeyCode":124,"carbonModifiers":256})");
        // A key PC keyboards lack is stored all the same; only grabbing it can fail.
        QTest::newRow("function key") << 63 << int(Modifier::command)
                                      << QStringLiteral(R"({"carbonKeyCode":63,"carbonModifiers":256})");
    }
    void combinationsAreStoredInTheirTextForm() {
        QFETCH(int, keyCode);
        QFETCH(int, modifiers);
        QFETCH(QString, stored);
        const Shortcut shortcut(Key(keyCode), Modifiers::fromInt(modifiers));
        const Name name(QStringLiteral("toggleBasic"));
        name.setShortcut(shortcut);
        QCOMPARE(m_store->value(QStringLiteral("KeyboardShortcuts_toggleBasic")), QVariant(stored));

        restart(); // read back from the file
        QCOMPARE(getShortcut(name), std::optional<Shortcut>(shortcut));
    }

    void valuesThatAreNoCombinationReadAsNoneAndStay_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("keyCode"); // -1: reads as none
        QTest::addColumn<qint64>("modifiers");
        QTest::newRow("members in the other order")
            << QVariant(QStringLiteral(R"({ "carbonModifiers": 2304, "carbonKeyCode": 45 })")) << 45
            << qint64(2304);
        QTest::newRow("an extra member")
            << QVariant(QStringLiteral(R"({"carbonKeyCode":1,"carbonModifiers":0,"x":[]})")) << 1
            << qint64(0);
        QTest::newRow("unknown bits kept as stored")
            << QVariant(QStringLiteral(R"({"carbonKeyCode":45,"carbonModifiers":2305})")) << 45
            << qint64(2305);
        QTest::newRow("widest modifiers")
            << QVariant(QStringLiteral(R"({"carbonKeyCode":65535,"carbonModifiers":4294967295})")) << 65535
            << qint64(4294967295);
        QTest::newRow("a number") << QVariant(qint64(45)) << -1 << qint64(0);
        QTest::newRow("a cleared name's false") << QVariant(false) << -1 << qint64(0);
        QTest::newRow("an empty object") << QVariant(QStringLiteral("{}")) << -1 << qint64(0);
        QTest::newRow("not JSON") << QVariant(QStringLiteral("⌥⌘N")) << -1 << qint64(0);
        QTest::newRow("a JSON array") << QVariant(QStringLiteral("[45,2304]")) << -1 << qint64(0);
        QTest::newRow("modifiers missing")
            << QVariant(QStringLiteral(R"({"carbonKeyCode":45})")) << -1 << qint64(0);
        QTest::newRow("key code -1") << QVariant(
                                            QStringLiteral(R"({"carbonKeyCode":-1,"carbonModifiers":0})"))
                                     << -1 << qint64(0);
        QTest::newRow("key code 70000")
            << QVariant(QStringLiteral(R"({"carbonKeyCode":70000,"carbonModifiers":0})")) << -1 << qint64(0);
        QTest::newRow("key code not whole")
            << QVariant(QStringLiteral(R"({"carbonKeyCode":45.5,"carbonModifiers":0})")) << -1 << qint64(0);
        QTest::newRow("key code as text")
            << QVariant(QStringLiteral(R"({"carbonKeyCode":"45","carbonModifiers":0})")) << -1 << qint64(0);
        QTest::newRow("negative modifiers")
            << QVariant(QStringLiteral(R"({"carbonKeyCode":45,"carbonModifiers":-256})")) << -1 << qint64(0);
        QTest::newRow("modifiers beyond 32 bits")
            << QVariant(QStringLiteral(R"({"carbonKeyCode":45,"carbonModifiers":4294967296})")) << -1
            << qint64(0);
        QTest::newRow("huge key code")
            << QVariant(QStringLiteral(R"({"carbonKeyCode":1e300,"carbonModifiers":0})")) << -1 << qint64(0);
    }
    void valuesThatAreNoCombinationReadAsNoneAndStay() {
        QFETCH(QVariant, value);
        QFETCH(int, keyCode);
        QFETCH(qint64, modifiers);
        const QString key = QStringLiteral("KeyboardShortcuts_playPause");
        m_store->setValue(key, value);
        const std::optional<Shortcut> read = getShortcut(Name(QStringLiteral("playPause")));
        if (keyCode < 0) {
            QVERIFY(!read);
        } else {
            QVERIFY(read);
            QCOMPARE(read->carbonKeyCode(), keyCode);
            QCOMPARE(read->carbonModifiers(), modifiers);
        }
        QCOMPARE(m_store->value(key), value);
        // Not even a name with a default writes over it.
        const Name withDefault(QStringLiteral("playPause"), commandRight);
        QCOMPARE(m_store->value(key), value);
        QVERIFY(grabs().isEmpty());
    }

    void aDefaultIsStoredOnlyWhenTheKeyHoldsNothing_data() {
        QTest::addColumn<QVariant>("before");
        QTest::addColumn<bool>("storesDefault");
        QTest::newRow("nothing") << QVariant() << true;
        QTest::newRow("a cleared name's false") << QVariant(false) << false;
        QTest::newRow("garbage") << QVariant(QStringLiteral("garbage")) << false;
        QTest::newRow("another combination")
            << QVariant(QString::fromUtf8(Shortcut(Key::a, Modifier::control).toJson())) << false;
    }
    void aDefaultIsStoredOnlyWhenTheKeyHoldsNothing() {
        QFETCH(QVariant, before);
        QFETCH(bool, storesDefault);
        const QString key = QStringLiteral("KeyboardShortcuts_toggleAdvanced");
        if (before.isValid())
            m_store->setValue(key, before);
        QSignalSpy spy(&Notifier::shared(), &Notifier::shortcutByNameDidChange);

        const Name name = NameRegistry::shared().name(QStringLiteral("toggleAdvanced"), optionCommandN);
        if (storesDefault) {
            QCOMPARE(m_store->value(key).toString(), QString::fromUtf8(optionCommandN.toJson()));
            QCOMPARE(announced(spy), QStringList{QStringLiteral("toggleAdvanced")});
            QCOMPARE(grabs(), QStringList{call("register", optionCommandN)});
        } else {
            QCOMPARE(m_store->value(key), before);
            QCOMPARE(spy.count(), 0);
            QVERIFY(grabs().isEmpty());
        }
        // Asking the registry again makes nothing anew.
        m_store->remove(key);
        NameRegistry::shared().name(QStringLiteral("toggleAdvanced"), optionCommandN);
        QVERIFY(!m_store->contains(key));
    }

    void namesWithOneRawValueAreOneSlot() {
        const Name first(QStringLiteral("openNotes"), optionCommandN);
        const Name second(QStringLiteral("openNotes"), commandRight);
        QCOMPARE(first, second);
        QCOMPARE(qHash(first), qHash(second));
        QCOMPARE((QSet<Name>{first, second}).size(), 1);
        // The second one's default did not overwrite the first's.
        QCOMPARE(second.shortcut(), std::optional<Shortcut>(optionCommandN));
    }

    void clearing_data() {
        QTest::addColumn<bool>("hasDefault");
        QTest::addColumn<QVariant>("before");
        QTest::addColumn<QVariant>("after"); // invalid: the key is gone
        QTest::addColumn<bool>("changes");
        const QVariant stored(QString::fromUtf8(commandRight.toJson()));
        QTest::newRow("with a default: false") << true << stored << QVariant(false) << true;
        QTest::newRow("without a default: removed") << false << stored << QVariant() << true;
        QTest::newRow("nothing stored") << false << QVariant() << QVariant() << false;
        QTest::newRow("already cleared") << true << QVariant(false) << QVariant(false) << false;
        QTest::newRow("garbage stays")
            << false << QVariant(QStringLiteral("{}")) << QVariant(QStringLiteral("{}")) << false;
    }
    void clearing() {
        QFETCH(bool, hasDefault);
        QFETCH(QVariant, before);
        QFETCH(QVariant, after);
        QFETCH(bool, changes);
        const QString key = QStringLiteral("KeyboardShortcuts_nextPage");
        if (before.isValid())
            m_store->setValue(key, before);
        const Name name =
            hasDefault ? Name(QStringLiteral("nextPage"), commandRight) : Name(QStringLiteral("nextPage"));
        // As in a running program, whatever combination is stored is grabbed.
        if (const std::optional<Shortcut> stored = getShortcut(name))
            m_registry->registerShortcut(*stored);
        m_hotKeys->calls.clear();
        QSignalSpy written(m_store.get(), &UserDefaults::valueChanged);
        QSignalSpy spy(&Notifier::shared(), &Notifier::shortcutByNameDidChange);

        setShortcut(std::nullopt, name);
        QCOMPARE(m_store->contains(key), after.isValid());
        QCOMPARE(m_store->value(key), after);
        QCOMPARE(written.count(), changes ? 1 : 0);
        QCOMPARE(announced(spy), changes ? QStringList{QStringLiteral("nextPage")} : QStringList());
        QCOMPARE(grabs(), changes ? QStringList{call("release", commandRight)} : QStringList());
    }

    void aClearedDefaultStaysClearedAfterARestartUntilReset() {
        NameRegistry::shared().name(QStringLiteral("timer15"), optionCommandN).setShortcut(std::nullopt);
        restart();
        const Name name = NameRegistry::shared().name(QStringLiteral("timer15"), optionCommandN);
        QCOMPARE(name.shortcut(), std::nullopt);
        QCOMPARE(m_store->value(QStringLiteral("KeyboardShortcuts_timer15")), QVariant(false));

        QSignalSpy spy(&Notifier::shared(), &Notifier::shortcutByNameDidChange);
        const Name withoutDefault(QStringLiteral("timer30"));
        reset(name, withoutDefault);
        QCOMPARE(m_store->value(QStringLiteral("KeyboardShortcuts_timer15")).toString(),
                 QString::fromUtf8(optionCommandN.toJson()));
        QVERIFY(!m_store->contains(QStringLiteral("KeyboardShortcuts_timer30")));
        QCOMPARE(announced(spy), QStringList{QStringLiteral("timer15")});
    }

    void resetAllRemovesEveryShortcutKey() {
        const Name stored = NameRegistry::shared().name(QStringLiteral("muteMic"), optionCommandN);
        m_store->setBool(QStringLiteral("KeyboardShortcuts_cycleFocus"), false);
        m_store->setString(QStringLiteral("KeyboardShortcuts_toggleDND"), QStringLiteral("{}"));
        m_store->setInteger(QStringLiteral("KeyboardShortcuts_timer60"), 7);
        m_store->setBool(QStringLiteral("brimlark.onboarded"), true);
        m_hotKeys->calls.clear();
        QSignalSpy spy(&Notifier::shared(), &Notifier::shortcutByNameDidChange);

        resetAll();
        QCOMPARE(m_store->keys(QStringLiteral("KeyboardShortcuts_")), QStringList());
        QVERIFY(m_store->contains(QStringLiteral("brimlark.onboarded")));
        QCOMPARE(announced(spy), QStringList{QStringLiteral("muteMic")});
        QCOMPARE(grabs(), QStringList{call("release", optionCommandN)});

        // The default comes back with the next run's name.
        restart();
        QCOMPARE(NameRegistry::shared().name(QStringLiteral("muteMic"), optionCommandN).shortcut(),
                 std::optional<Shortcut>(optionCommandN));
    }

    void eachChangeIsAnnouncedAfterTheStoreIsWritten() {
        const Name name(QStringLiteral("launchAppBatch"));
        QStringList seen;
        const auto connection =
            connect(&Notifier::shared(), &Notifier::shortcutByNameDidChange, this, [&](const Name& changed) {
                // What a listener reads back is already the new value, on disk too.
                const UserDefaults reread(storePath());
                seen << changed.rawValue() + QLatin1Char('=') + reread.value(changed.storageKey()).toString();
            });
        name.setShortcut(optionCommandN);
        name.setShortcut(std::nullopt);
        disconnect(connection);
        QCOMPARE(seen,
                 (QStringList{QStringLiteral("launchAppBatch=") + QString::fromUtf8(optionCommandN.toJson()),
                              QStringLiteral("launchAppBatch=")}));
    }

    void theRegistrySeesEachRegistrationAndRelease() {
        const Name first(QStringLiteral("playPause"));
        const Name second(QStringLiteral("nextTrack"));
        first.setShortcut(optionCommandN);
        second.setShortcut(optionCommandN); // already registered: not again
        first.setShortcut(commandRight);    // lets its old one go
        QCOMPARE(grabs(), (QStringList{call("register", optionCommandN), call("release", optionCommandN),
                                       call("register", commandRight)}));
        QCOMPARE(m_registry->registeredShortcuts(), QSet<Shortcut>{commandRight});
        QCOMPARE(second.shortcut(), std::optional<Shortcut>(optionCommandN));
    }

    void withoutAStoreNothingHappens() {
        install(nullptr, nullptr, m_registry.get());
        const Name name(QStringLiteral("openMirror"), optionCommandN);
        QCOMPARE(name.shortcut(), std::nullopt);
        name.setShortcut(commandRight);
        resetAll();
        QVERIFY(grabs().isEmpty());
    }
};

BRIMLARK_TEST_MAIN(TestShortcutStore)
#include "tst_shortcutstore.moc"
