#include "KeyboardShortcuts/CarbonKeyboardShortcuts.h"
#include "KeyboardShortcuts/EventStream.h"
#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/NameRegistry.h"
#include "platform/UserDefaults.h"
#include "platform/fake/FakeHotKeys.h"
#include "platform/fake/FakeKeyboardLayout.h"
#include "tests/support/TestMain.h"

#include <QKeyEvent>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>

using namespace KeyboardShortcuts;
using Kind = FakeHotKeys::Call::Kind;

namespace {

const Shortcut optionCommandN(Key::n, Modifier::option | Modifier::command);
const Shortcut shiftCommandN(Key::n, Modifier::shift | Modifier::command);
const Shortcut commandRight(Key::rightArrow, Modifier::command);

// Counts the key presses that reach a widget.
class KeyCounter : public QObject {
public:
    int presses = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress)
            ++presses;
        return false;
    }
};

} // namespace

class TestHotKeyRegistry : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::unique_ptr<UserDefaults> m_store;
    FakeKeyboardLayout m_layout;
    std::unique_ptr<FakeHotKeys> m_hotKeys;
    std::unique_ptr<CarbonKeyboardShortcuts> m_registry;

    // Runs the actions the keys queued.
    static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall); }

    bool press(const Shortcut& shortcut) {
        const bool fired = m_hotKeys->press(shortcut.carbonKeyCode(), shortcut.carbonModifiers());
        settle();
        return fired;
    }
    bool release(const Shortcut& shortcut) {
        const bool fired = m_hotKeys->release(shortcut.carbonKeyCode(), shortcut.carbonModifiers());
        settle();
        return fired;
    }
    int count(Kind kind) const { return int(m_hotKeys->callsOf(kind).size()); }
    QList<quint32> ids(Kind kind) const {
        QList<quint32> result;
        for (const FakeHotKeys::Call& call : m_hotKeys->callsOf(kind))
            result << call.id;
        return result;
    }

private slots:
    void init() {
        m_registry.reset();
        QFile::remove(m_dir.filePath(QStringLiteral("defaults.json")));
        m_store = std::make_unique<UserDefaults>(m_dir.filePath(QStringLiteral("defaults.json")));
        m_hotKeys = std::make_unique<FakeHotKeys>();
        m_registry = std::make_unique<CarbonKeyboardShortcuts>(m_hotKeys.get());
        NameRegistry::shared().reset();
        install(m_store.get(), &m_layout, m_registry.get());
    }

    void twoNamesWithOneCombinationShareOneGrab() {
        const Name first(QStringLiteral("first")), second(QStringLiteral("second"));
        first.setShortcut(optionCommandN);
        second.setShortcut(optionCommandN);
        int firstRuns = 0, secondRuns = 0;
        m_registry->onKeyDown(first, [&] { ++firstRuns; });
        m_registry->onKeyDown(second, [&] { ++secondRuns; });
        QCOMPARE(count(Kind::registered), 1);

        QVERIFY(press(optionCommandN));
        QCOMPARE(firstRuns, 1);
        QCOMPARE(secondRuns, 1);

        // Clearing one name leaves the grab the other needs.
        first.setShortcut(std::nullopt);
        QCOMPARE(count(Kind::unregistered), 0);
        QVERIFY(m_registry->isEnabled(second));
        QVERIFY(!m_registry->isEnabled(first));
        QVERIFY(press(optionCommandN));
        QCOMPARE(firstRuns, 1);
        QCOMPARE(secondRuns, 2);
    }

    void aKeyRunsOnlyTheActionsOfItsDirection_data() {
        QTest::addColumn<bool>("down");
        QTest::addColumn<bool>("up");
        QTest::addColumn<QStringList>("runs");
        QTest::newRow("key-down actions only") << true << false << QStringList{QStringLiteral("down")};
        QTest::newRow("key-up actions only") << false << true << QStringList{QStringLiteral("up")};
        QTest::newRow("both") << true << true << QStringList{QStringLiteral("down"), QStringLiteral("up")};
    }
    void aKeyRunsOnlyTheActionsOfItsDirection() {
        QFETCH(bool, down);
        QFETCH(bool, up);
        QFETCH(QStringList, runs);
        const Name name(QStringLiteral("name"));
        name.setShortcut(commandRight);
        QStringList ran;
        if (down)
            m_registry->onKeyDown(name, [&] { ran << QStringLiteral("down"); });
        if (up)
            m_registry->onKeyUp(name, [&] { ran << QStringLiteral("up"); });
        QVERIFY(press(commandRight));
        QVERIFY(release(commandRight));
        QCOMPARE(ran, runs);
    }

    void aRefusedGrabIsReportedAndRetried_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("retry");
        QTest::newRow("held by another program, stored again") << -10 << QStringLiteral("store");
        QTest::newRow("held by another program, enabled") << -10 << QStringLiteral("enable");
        QTest::newRow("held by another program, another action") << -10 << QStringLiteral("action");
        QTest::newRow("no X form, stored again") << -1 << QStringLiteral("store");
    }
    void aRefusedGrabIsReportedAndRetried() {
        QFETCH(int, status);
        QFETCH(QString, retry);
        QList<QPair<Shortcut, int>> failures;
        connect(m_registry.get(), &CarbonKeyboardShortcuts::registrationFailed, this,
                [&](const Shortcut& shortcut, int failure) {
                    failures.append({shortcut, failure});
                });
        const Name name(QStringLiteral("toggleAdvanced"));
        m_hotKeys->failWith(shiftCommandN.carbonKeyCode(), shiftCommandN.carbonModifiers(), status);
        name.setShortcut(shiftCommandN);
        int runs = 0;
        m_registry->onKeyDown(name, [&] { ++runs; });

        QVERIFY(!m_registry->isEnabled(name));
        QVERIFY(!m_registry->isRegistered(shiftCommandN));
        QCOMPARE(failures.size(), 2); // the store and the action each tried
        QVERIFY(failures.at(0).first == shiftCommandN);
        QCOMPARE(failures.at(0).second, status);
        QCOMPARE(m_registry->lastHotKeyId(), 2u); // failed attempts use up their ids

        m_hotKeys->failWith(shiftCommandN.carbonKeyCode(), shiftCommandN.carbonModifiers(), HotKeys::noError);
        if (retry == QLatin1String("store"))
            name.setShortcut(shiftCommandN);
        else if (retry == QLatin1String("enable"))
            m_registry->enable({name});
        else
            m_registry->onKeyDown(name, [] {});
        QVERIFY(m_registry->isEnabled(name));
        QCOMPARE(ids(Kind::registered), (QList<quint32>{1, 2, 3}));
        QVERIFY(press(shiftCommandN));
        QCOMPARE(runs, 1);
    }

    void aPausedKeyRunsNothing() {
        const Name name(QStringLiteral("name"));
        name.setShortcut(optionCommandN);
        int runs = 0;
        m_registry->onKeyDown(name, [&] { ++runs; });
        m_registry->setPaused(true);
        QVERIFY(press(optionCommandN));
        QCOMPARE(runs, 0);
        m_registry->setPaused(false);
        QVERIFY(press(optionCommandN));
        QCOMPARE(runs, 1);
    }

    void theSwitchReleasesAndGrabsAgainWithTheSameIds_data() {
        QTest::addColumn<QList<bool>>("settings");
        QTest::addColumn<int>("released");
        QTest::addColumn<int>("grabbed"); // registrations after the first two
        QTest::addColumn<bool>("fires");
        QTest::newRow("on again: no change") << QList<bool>{true} << 0 << 0 << true;
        QTest::newRow("off") << QList<bool>{false} << 2 << 0 << false;
        QTest::newRow("off twice") << QList<bool>{false, false} << 2 << 0 << false;
        QTest::newRow("off, then on") << QList<bool>{false, true} << 2 << 2 << true;
    }
    void theSwitchReleasesAndGrabsAgainWithTheSameIds() {
        QFETCH(QList<bool>, settings);
        QFETCH(int, released);
        QFETCH(int, grabbed);
        QFETCH(bool, fires);
        const Name basic(QStringLiteral("basic")), page(QStringLiteral("page"));
        basic.setShortcut(optionCommandN);
        page.setShortcut(commandRight);
        int runs = 0;
        m_registry->onKeyDown(basic, [&] { ++runs; });
        m_registry->onKeyDown(page, [&] { ++runs; });
        for (bool enabled : settings)
            m_registry->setEnabled(enabled);
        QCOMPARE(count(Kind::unregistered), released);
        QCOMPARE(count(Kind::registered), 2 + grabbed);
        if (grabbed)
            QCOMPARE(ids(Kind::registered), (QList<quint32>{1, 2, 1, 2}));
        QCOMPARE(m_registry->isEnabled(basic), fires);
        QCOMPARE(press(optionCommandN), fires);
        QCOMPARE(runs, fires ? 1 : 0);
    }

    void aRecorderLetsGoOfTheGrabsUntilItStops_data() {
        QTest::addColumn<QList<int>>("steps"); // +n: recorder n starts, -n: it stops
        QTest::addColumn<int>("grabbed");      // registrations after the first two
        QTest::addColumn<bool>("fires");
        QTest::newRow("recording") << QList<int>{1} << 0 << false;
        QTest::newRow("stopped") << QList<int>{1, -1} << 3 << true;
        QTest::newRow("one of two stopped") << QList<int>{1, 2, -1} << 0 << false;
    }
    void aRecorderLetsGoOfTheGrabsUntilItStops() {
        QFETCH(QList<int>, steps);
        QFETCH(int, grabbed);
        QFETCH(bool, fires);
        const Name basic(QStringLiteral("basic")), page(QStringLiteral("page")),
            later(QStringLiteral("later"));
        basic.setShortcut(optionCommandN);
        page.setShortcut(commandRight);
        int runs = 0;
        m_registry->onKeyDown(basic, [&] { ++runs; });
        const int recorders[] = {0, 1, 2};
        for (int step : steps) {
            m_registry->setRecorderActive(&recorders[std::abs(step)], step > 0);
            if (step > 0 && !later.shortcut())
                later.setShortcut(shiftCommandN); // stored while a recorder records
        }
        QCOMPARE(count(Kind::unregistered), 2);
        QCOMPARE(count(Kind::registered), 2 + grabbed);
        if (grabbed)
            QCOMPARE(ids(Kind::registered), (QList<quint32>{1, 2, 1, 2, 3}));
        QVERIFY(m_registry->isEnabled(basic)); // what the shortcuts page shows does not change
        QCOMPARE(press(optionCommandN), fires);
        QCOMPARE(runs, fires ? 1 : 0);
    }

    void aCombinationIsReleasedOnlyWhenNoNameNeedsIt_data() {
        QTest::addColumn<QString>("step");
        QTest::addColumn<bool>("shared");
        QTest::addColumn<bool>("released");
        for (const char* step : {"clear", "change", "remove handler", "disable"}) {
            QTest::addRow("%s, alone", step) << QString::fromLatin1(step) << false << true;
            QTest::addRow("%s, shared", step) << QString::fromLatin1(step) << true << false;
        }
    }
    void aCombinationIsReleasedOnlyWhenNoNameNeedsIt() {
        QFETCH(QString, step);
        QFETCH(bool, shared);
        QFETCH(bool, released);
        const Name name(QStringLiteral("name")), other(QStringLiteral("other"));
        name.setShortcut(optionCommandN);
        m_registry->onKeyDown(name, [] {});
        int otherRuns = 0;
        if (shared) {
            other.setShortcut(optionCommandN);
            m_registry->onKeyDown(other, [&] { ++otherRuns; });
        }
        if (step == QLatin1String("clear"))
            name.setShortcut(std::nullopt);
        else if (step == QLatin1String("change"))
            name.setShortcut(commandRight);
        else if (step == QLatin1String("remove handler"))
            m_registry->removeHandler(name);
        else
            m_registry->disable({name});
        QCOMPARE(count(Kind::unregistered), released ? 1 : 0);
        QCOMPARE(m_registry->isRegistered(optionCommandN), !released);
        if (shared) {
            QVERIFY(press(optionCommandN));
            QCOMPARE(otherRuns, 1);
        }
    }

    void withAMenuOpenTheProgramMatchesTheKeys() {
        const Name name(QStringLiteral("name"));
        name.setShortcut(optionCommandN);
        int runs = 0;
        m_registry->onKeyDown(name, [&] { ++runs; });
        QMenu menu;
        menu.addAction(QStringLiteral("item"));
        KeyCounter reached;
        menu.installEventFilter(&reached);
        menu.popup(QPoint(10, 10));
        QTRY_VERIFY(m_registry->isMenuOpen());
        QCOMPARE(ids(Kind::unregistered), QList<quint32>{1});
        QVERIFY(!press(optionCommandN)); // the desktop delivers nothing now

        QWindow* window = menu.windowHandle();
        QVERIFY(window);
        // N is X keycode 57, Right 114.
        QKeyEvent matching(QEvent::KeyPress, Qt::Key_N, Qt::AltModifier | Qt::MetaModifier, 57, 0, 0);
        QKeyEvent other(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier, 114, 0, 0);
        QCoreApplication::sendEvent(window, &matching);
        QCoreApplication::sendEvent(window, &other);
        settle();
        QCOMPARE(runs, 1);
        QCOMPARE(reached.presses, 1); // only the other key reached the menu

        menu.hide();
        QVERIFY(!m_registry->isMenuOpen());
        QCOMPARE(ids(Kind::registered), (QList<quint32>{1, 1}));
        QVERIFY(press(optionCommandN));
        QCOMPARE(runs, 2);
    }

    void aStreamEndedBeforeTheLoopRunsAddsAndRemovesItsActions() {
        const Name name(QStringLiteral("name"));
        name.setShortcut(optionCommandN); // stored, so registered
        QCOMPARE(count(Kind::registered), 1);

        auto stream = m_registry->events(name);
        stream->end();
        QCOMPARE(count(Kind::unregistered), 0);
        settle();
        // Added first, then removed; with its last action the name no longer needs the grab.
        QCOMPARE(count(Kind::unregistered), 1);
        QVERIFY(!m_registry->isRegistered(optionCommandN));
    }

    void aStreamYieldsItsNamesKeys() {
        const Name name(QStringLiteral("name"));
        name.setShortcut(commandRight);
        auto stream = m_registry->events(name);
        QSignalSpy events(stream.get(), &EventStream::event);
        settle();
        QVERIFY(press(commandRight));
        QVERIFY(release(commandRight));
        QCOMPARE(events.size(), 2);
        QCOMPARE(events.at(0).at(0).value<EventType>(), EventType::keyDown);
        QCOMPARE(events.at(1).at(0).value<EventType>(), EventType::keyUp);
        // A stream of releases only.
        auto releases = m_registry->events(EventType::keyUp, name);
        QSignalSpy upOnly(releases.get(), &EventStream::event);
        settle();
        QVERIFY(press(commandRight));
        QVERIFY(release(commandRight));
        QCOMPARE(upOnly.size(), 1);
        QCOMPARE(upOnly.at(0).at(0).value<EventType>(), EventType::keyUp);
        releases.reset();
        stream.reset();
        settle();
        QVERIFY(!m_registry->isRegistered(commandRight));
    }
};

BRIMLARK_TEST_MAIN(TestHotKeyRegistry)
#include "tst_hotkeyregistry.moc"
