#include "Brimlark/shortcuts/KeyboardShortcutManager.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"

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
};

BRIMLARK_TEST_MAIN(TestKeyboardShortcutManager)
#include "tst_keyboardshortcutmanager.moc"
