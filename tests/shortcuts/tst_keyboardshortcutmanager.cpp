#include "Brimlark/shortcuts/KeyboardShortcutManager.h"
#include "Brimlark/shortcuts/ShortcutNames.h"
#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/NameRegistry.h"
#include "platform/fake/FakeKeyboardLayout.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"

namespace {

// The manager over a hot-key registry on the fixture's fake backend, installed for the module.
struct Registered {
    ServiceFixture f;
    FakeKeyboardLayout layout;
    KeyboardShortcuts::CarbonKeyboardShortcuts registry{&f.hotKeys};
    InteractionEngine engine{f.appState, &f.clock};
    KeyboardShortcutManager::FeatureHandlers handlers;
    std::unique_ptr<KeyboardShortcutManager> manager;

    Registered() {
        KeyboardShortcuts::NameRegistry::shared().reset();
        KeyboardShortcuts::install(&f.defaults, &layout, &registry);
    }
    ~Registered() { KeyboardShortcuts::install(nullptr, nullptr, nullptr); }
    void start() {
        manager = std::make_unique<KeyboardShortcutManager>(engine, f.appState, handlers,
                                                            shortcutRegistrar(&registry));
        manager->start();
    }
    bool press(int keyCode, qint64 modifiers) {
        const bool fired = f.hotKeys.press(keyCode, modifiers);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        return fired;
    }
};

} // namespace

using Name = KeyboardShortcutManager::Name;
using Mode = InteractionEngine::Mode;

class TestKeyboardShortcutManager : public QObject {
    Q_OBJECT
private slots:
    void panelShortcutsSteerTheEngine() {
        ServiceFixture f;
        InteractionEngine engine(f.appState, &f.clock);
        KeyboardShortcutManager manager(engine, f.appState, {});
        manager.perform(Name::toggleBasic);
        QCOMPARE(engine.mode(), Mode::basic());
        QCOMPARE(engine.lastOpenTrigger(), InteractionEngine::InteractionTrigger::shortcut);
        manager.perform(Name::toggleBasic);
        QCOMPARE(engine.mode(), Mode::hidden());
        manager.perform(Name::nextPage); // nothing while closed
        QCOMPARE(engine.mode(), Mode::hidden());
        engine.setMode(Mode::advanced(5));
        manager.perform(Name::nextPage);
        QCOMPARE(engine.mode(), Mode::advanced(0));
        manager.perform(Name::prevPage);
        QCOMPARE(engine.mode(), Mode::advanced(5));
        manager.perform(Name::toggleBasic);
        QCOMPARE(engine.mode(), Mode::basic());
    }

    void eachOpeningShortcutOpensItsOwnMode_data() {
        QTest::addColumn<AppState::DefaultOpenMode>("openMode");
        QTest::addColumn<Name>("name");
        QTest::addColumn<Mode>("from");
        QTest::addColumn<Mode>("to");
        for (const AppState::DefaultOpenMode openMode :
             {AppState::DefaultOpenMode::basic, AppState::DefaultOpenMode::advanced}) {
            const char* preferred = openMode == AppState::DefaultOpenMode::basic ? "basic" : "advanced";
            QTest::addRow("%s preferred: advanced from hidden", preferred)
                << openMode << Name::toggleAdvanced << Mode::hidden() << Mode::advanced(3);
            QTest::addRow("%s preferred: advanced from basic", preferred)
                << openMode << Name::toggleAdvanced << Mode::basic() << Mode::advanced(3);
            QTest::addRow("%s preferred: advanced again hides", preferred)
                << openMode << Name::toggleAdvanced << Mode::advanced(1) << Mode::hidden();
            QTest::addRow("%s preferred: basic from hidden", preferred)
                << openMode << Name::toggleBasic << Mode::hidden() << Mode::basic();
            QTest::addRow("%s preferred: basic from advanced", preferred)
                << openMode << Name::toggleBasic << Mode::advanced(3) << Mode::basic();
        }
    }
    void eachOpeningShortcutOpensItsOwnMode() {
        QFETCH(AppState::DefaultOpenMode, openMode);
        QFETCH(Name, name);
        QFETCH(Mode, from);
        ServiceFixture f;
        f.appState.setDefaultOpenMode(openMode);
        f.appState.setLastAdvancedPage(3);
        InteractionEngine engine(f.appState, &f.clock);
        engine.setMode(from);
        KeyboardShortcutManager manager(engine, f.appState, {});
        manager.perform(name);
        QTEST(engine.mode(), "to");
    }

    void featureShortcutsCallTheirHandlers() {
        ServiceFixture f;
        InteractionEngine engine(f.appState, &f.clock);
        QStringList calls;
        KeyboardShortcutManager::FeatureHandlers handlers;
        handlers.playPause = [&] { calls << "playPause"; };
        handlers.muteMic = [&] { calls << "muteMic"; };
        handlers.startTimer = [&](double s) { calls << QString::number(s); };
        handlers.launchAppBatch = [&] { calls << "launchAppBatch"; };
        QList<Name> registered;
        QList<std::function<void()>> actions;
        auto manager = std::make_unique<KeyboardShortcutManager>(
            engine, f.appState, handlers, [&](Name name, std::function<void()> action) {
                registered << name;
                actions << action;
            });
        manager->start();
        QCOMPARE(registered.size(), 16);
        for (Name name : {Name::playPause, Name::muteMic, Name::timer15, Name::timer30, Name::timer60,
                          Name::launchAppBatch, Name::cycleFocus})
            actions.at(registered.indexOf(name))();
        QCOMPARE(calls, QStringList({"playPause", "muteMic", "900", "1800", "3600", "launchAppBatch"}));
        // Actions outlive the manager harmlessly.
        manager.reset();
        actions.at(registered.indexOf(Name::playPause))();
        QCOMPARE(calls.size(), 6);
    }

    void aFirstStartStoresTheFourDefaultsAndGrabsOnlyThem_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        QTest::newRow("toggleBasic") << QStringLiteral("KeyboardShortcuts_toggleBasic")
                                     << QStringLiteral(R"({"carbonKeyCode":45,"carbonModifiers":2304})");
        QTest::newRow("toggleAdvanced") << QStringLiteral("KeyboardShortcuts_toggleAdvanced")
                                        << QStringLiteral(R"({"carbonKeyCode":45,"carbonModifiers":768})");
        QTest::newRow("nextPage") << QStringLiteral("KeyboardShortcuts_nextPage")
                                  << QStringLiteral(R"({"carbonKeyCode":124,"carbonModifiers":256})");
        QTest::newRow("prevPage") << QStringLiteral("KeyboardShortcuts_prevPage")
                                  << QStringLiteral(R"({"carbonKeyCode":123,"carbonModifiers":256})");
        QTest::newRow("playPause, without a default")
            << QStringLiteral("KeyboardShortcuts_playPause") << QString();
    }
    void aFirstStartStoresTheFourDefaultsAndGrabsOnlyThem() {
        QFETCH(QString, key);
        QFETCH(QString, stored);
        Registered r;
        r.start();
        QCOMPARE(r.f.defaults.value(key), stored.isEmpty() ? QVariant() : QVariant(stored));
        QCOMPARE(r.f.hotKeys.callsOf(FakeHotKeys::Call::Kind::registered).size(), 4);
    }

    void aClearedNameFiresAgainOnceOneIsRecorded_data() {
        QTest::addColumn<Name>("name");
        QTest::newRow("with a default") << Name::toggleBasic;
        QTest::newRow("without") << Name::playPause;
    }
    void aClearedNameFiresAgainOnceOneIsRecorded() {
        QFETCH(Name, name);
        Registered r;
        int plays = 0;
        r.handlers.playPause = [&] { ++plays; };
        r.start();
        const KeyboardShortcuts::Name stored = shortcutName(name);
        stored.setShortcut(std::nullopt);
        const KeyboardShortcuts::Shortcut recorded(KeyboardShortcuts::Key::p,
                                                   KeyboardShortcuts::Modifier::control);
        QVERIFY(!r.press(recorded.carbonKeyCode(), recorded.carbonModifiers()));
        stored.setShortcut(recorded);
        QVERIFY(r.press(recorded.carbonKeyCode(), recorded.carbonModifiers()));
        if (name == Name::playPause)
            QCOMPARE(plays, 1);
        else
            QCOMPARE(r.engine.mode(), Mode::basic());
    }
};

BRIMLARK_TEST_MAIN(TestKeyboardShortcutManager)
#include "tst_keyboardshortcutmanager.moc"
