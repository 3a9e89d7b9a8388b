#include "Brimlark/kit/BrimlarkRoundedButton.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/shortcuts/BrimlarkShortcutRecorder.h"
#include "Brimlark/shortcuts/ShortcutsTab.h"
#include "KeyboardShortcuts/CarbonKeyboardShortcuts.h"
#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/NameRegistry.h"
#include "KeyboardShortcuts/Utilities.h"
#include "platform/KeyCodes.h"
#include "platform/UserDefaults.h"
#include "platform/fake/FakeHotKeys.h"
#include "platform/fake/FakeKeyboardLayout.h"
#include "tests/support/DarkHost.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestMain.h"

#include <QShortcut>
#include <QTemporaryDir>
#include <QToolButton>
#include <qpa/qwindowsysteminterface.h>

#include <memory>

using namespace KeyboardShortcuts;

namespace {

// One thing the user does while a row records.
struct Stroke {
    enum Kind { key, click, hide } kind = key;
    int qtKey = 0;
    Qt::KeyboardModifiers modifiers;
    int carbonKeyCode = 0; // the key's position, sent as its X keycode
};

Stroke press(int qtKey, Qt::KeyboardModifiers modifiers, int carbonKeyCode) {
    return {Stroke::key, qtKey, modifiers, carbonKeyCode};
}

const Qt::KeyboardModifiers superAlt = Qt::MetaModifier | Qt::AltModifier;

} // namespace

Q_DECLARE_METATYPE(QList<Stroke>)

class TestShortcutsTab : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::unique_ptr<UserDefaults> m_store;
    FakeKeyboardLayout m_layout;
    std::unique_ptr<FakeHotKeys> m_hotKeys;
    std::unique_ptr<CarbonKeyboardShortcuts> m_registry;
    std::unique_ptr<QWidget> m_window;
    ShortcutsTab* m_tab = nullptr;
    int m_beeps = 0;

    // A first start: an empty store, the settings page shown in its dark window. Another program
    // holds Super+Right when `rightIsHeld`.
    // `values` are in the store before the page first reads it.
    void open(bool rightIsHeld = false, const QVariantMap& values = {}) {
        m_window.reset();
        m_registry.reset();
        QFile::remove(m_dir.filePath(QStringLiteral("defaults.json")));
        m_store = std::make_unique<UserDefaults>(m_dir.filePath(QStringLiteral("defaults.json")));
        m_hotKeys = std::make_unique<FakeHotKeys>();
        if (rightIsHeld)
            m_hotKeys->failWith(124, 256, HotKeys::heldByAnotherProgram);
        m_registry = std::make_unique<CarbonKeyboardShortcuts>(m_hotKeys.get());
        for (auto value = values.begin(); value != values.end(); ++value)
            m_store->setValue(value.key(), value.value());
        NameRegistry::shared().reset();
        install(m_store.get(), &m_layout, m_registry.get());
        m_tab = new ShortcutsTab(m_registry.get());
        m_window.reset(darkHost(m_tab, QSize(640, 860)));
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    BrimlarkShortcutRecorder* row(int number) const { return m_tab->recorders().at(number - 1); }
    QString shown(int number) const { return row(number)->recordButton()->text(); }
    QVariant stored(const QString& rawValue) const { return m_store->value(storagePrefix() + rawValue); }

    // A key press and release, as X delivers them to the window.
    void send(const Stroke& stroke) {
        const quint32 scanCode = KeyCodes::xKeycode(stroke.carbonKeyCode).value_or(0);
        for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease})
            QWindowSystemInterface::handleExtendedKeyEvent(m_window->windowHandle(), type, stroke.qtKey,
                                                           stroke.modifiers, scanCode, 0, 0);
        QCoreApplication::processEvents();
    }

private slots:
    void initTestCase() {
        setBeepHandler([this] { ++m_beeps; });
    }
    void init() { m_beeps = 0; }

    void aFirstStartShowsTheFourDefaults() {
        open();
        QCOMPARE(m_tab->rows().size(), 15);
        QCOMPARE(m_tab->rows().first().label, QStringLiteral("open basic mode"));
        QCOMPARE(m_tab->rows().last().label, QStringLiteral("launch app batch"));
        const QStringList expected = {"Super+Alt+N", "Super+Shift+N", "Super+Right", "Super+Left",
                                      "record shortcut"};
        for (int number = 1; number <= 15; ++number)
            QCOMPARE(shown(number), expected.at(std::min(number, 5) - 1));
        QVERIFY(row(1)->clearButton()->isVisible());
        QVERIFY(!row(5)->clearButton()->isVisible());
        brimlark::test::saveScreenshot(m_window.get(), QStringLiteral("shortcuts-first-start"));
    }

    void recording_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<QList<Stroke>>("strokes");
        QTest::addColumn<QString>("rawValue");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<bool>("recording");
        QTest::addColumn<int>("beeps");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("shortcutFired");

        const QVariant none;
        const QVariant defaultN(QStringLiteral(R"({"carbonKeyCode":45,"carbonModifiers":2304})"));
        QTest::newRow("Super+Alt+K on row 5")
            << 5 << QList<Stroke>{press(Qt::Key_K, superAlt, 40)} << "playPause"
            << QVariant(QStringLiteral(R"({"carbonKeyCode":40,"carbonModifiers":2304})")) << false << 0
            << "Super+Alt+K" << false;
        QTest::newRow("Escape cancels and keeps what was shown")
            << 1 << QList<Stroke>{press(Qt::Key_Escape, {}, 53)} << "toggleBasic" << defaultN << false << 0
            << "Super+Alt+N" << false;
        QTest::newRow("a second click cancels")
            << 5 << QList<Stroke>{Stroke{Stroke::click, 0, {}, 0}, press(Qt::Key_K, superAlt, 40)}
            << "playPause" << none << false << 0 << "record shortcut" << true;
        QTest::newRow("hidden mid-recording, the next key reaches the window")
            << 5 << QList<Stroke>{Stroke{Stroke::hide, 0, {}, 0}, press(Qt::Key_K, superAlt, 40)}
            << "playPause" << none << false << 0 << "record shortcut" << true;
        QTest::newRow("Shift, then Super alone wait for their key")
            << 5
            << QList<Stroke>{press(Qt::Key_Shift, Qt::ShiftModifier, 56),
                             press(Qt::Key_Super_L, Qt::MetaModifier, 55)}
            << "playPause" << none << true << 0 << "press keys…" << false;
        QTest::newRow("A alone is refused") << 5 << QList<Stroke>{press(Qt::Key_A, {}, 0)} << "playPause"
                                            << none << true << 1 << "press keys…" << false;
        QTest::newRow("Shift+A is refused") << 5 << QList<Stroke>{press(Qt::Key_A, Qt::ShiftModifier, 0)}
                                            << "playPause" << none << true << 1 << "press keys…" << false;
        QTest::newRow("F5 alone is stored")
            << 6 << QList<Stroke>{press(Qt::Key_F5, {}, 96)} << "nextTrack"
            << QVariant(QStringLiteral(R"({"carbonKeyCode":96,"carbonModifiers":0})")) << false << 0 << "F5"
            << false;
        QTest::newRow("all four modifiers with Right, never the function bit")
            << 7
            << QList<Stroke>{press(
                   Qt::Key_Right,
                   Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier | Qt::MetaModifier, 124)}
            << "prevTrack" << QVariant(QStringLiteral(R"({"carbonKeyCode":124,"carbonModifiers":6912})"))
            << false << 0 << "Super+Ctrl+Alt+Shift+Right" << false;
    }
    void recording() {
        QFETCH(int, number);
        QFETCH(QList<Stroke>, strokes);
        QFETCH(QString, rawValue);
        QFETCH(QVariant, stored);
        QFETCH(bool, recording);
        QFETCH(int, beeps);
        QFETCH(QString, shown);
        QFETCH(bool, shortcutFired);
        open();
        // The window's own use of Super+Alt+K, which a recording row must keep from firing.
        int fired = 0;
        auto* shortcut = new QShortcut(QKeySequence(Qt::META | Qt::ALT | Qt::Key_K), m_window.get());
        connect(shortcut, &QShortcut::activated, this, [&] { ++fired; });

        QTest::mouseClick(row(number)->recordButton(), Qt::LeftButton);
        QVERIFY(row(number)->isRecording());
        QCOMPARE(this->shown(number), QStringLiteral("press keys…"));
        QVERIFY(!row(number)->clearButton()->isVisible());
        QVERIFY(m_registry->isRecorderActive()); // the grabs are let go meanwhile
        for (const Stroke& stroke : strokes) {
            if (stroke.kind == Stroke::click)
                QTest::mouseClick(row(number)->recordButton(), Qt::LeftButton);
            else if (stroke.kind == Stroke::hide)
                m_tab->hide();
            else
                send(stroke);
        }
        QCOMPARE(row(number)->isRecording(), recording);
        QCOMPARE(m_registry->isRecorderActive(), recording);
        QCOMPARE(this->stored(rawValue), stored);
        QCOMPARE(m_beeps, beeps);
        QCOMPARE(this->shown(number), shown);
        QCOMPARE(row(number)->clearButton()->isVisible(),
                 !recording && m_tab->isVisible() && stored.isValid());
        QCOMPARE(fired > 0, shortcutFired);
        if (stored.isValid() && number != 1) {
            // One grab of the new combination, taken when recording ended.
            const auto value = Shortcut::fromJson(stored.toString().toUtf8());
            int grabs = 0;
            for (const FakeHotKeys::Call& call : m_hotKeys->callsOf(FakeHotKeys::Call::Kind::registered))
                grabs += call.carbonKeyCode == value->carbonKeyCode() &&
                         call.carbonModifiers == value->carbonModifiers();
            QCOMPARE(grabs, 1);
        }
    }

    void clearing_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("carbonKeyCode");
        QTest::addColumn<qint64>("carbonModifiers");
        QTest::newRow("a name with a default keeps none") << 1 << QVariant(false) << 45 << qint64(2304);
        QTest::newRow("a name without one loses its key") << 5 << QVariant() << 40 << qint64(2304);
    }
    void clearing() {
        QFETCH(int, number);
        QFETCH(QVariant, stored);
        QFETCH(int, carbonKeyCode);
        QFETCH(qint64, carbonModifiers);
        open();
        // Row 5 first records Super+Alt+K; row 1 has its default already.
        if (number == 5) {
            row(5)->startRecording();
            send(press(Qt::Key_K, superAlt, 40));
        }
        const QString rawValue = number == 1 ? QStringLiteral("toggleBasic") : QStringLiteral("playPause");
        QVERIFY(row(number)->clearButton()->isVisible());
        QCOMPARE(row(number)->clearButton()->toolTip(), QStringLiteral("clear shortcut"));
        row(number)->clearButton()->click();
        QCOMPARE(this->stored(rawValue), stored);
        QCOMPARE(shown(number), QStringLiteral("record shortcut"));
        QVERIFY(!row(number)->clearButton()->isVisible());
        QVERIFY(!m_hotKeys->press(carbonKeyCode, carbonModifiers)); // let go: the press does nothing
        m_tab->hide();
        m_tab->show();
        QCOMPARE(shown(number), QStringLiteral("record shortcut"));

        // The next start: a new store over the same file, the names made again.
        m_window.reset();
        m_registry.reset();
        m_store = std::make_unique<UserDefaults>(m_dir.filePath(QStringLiteral("defaults.json")));
        m_hotKeys = std::make_unique<FakeHotKeys>();
        m_registry = std::make_unique<CarbonKeyboardShortcuts>(m_hotKeys.get());
        NameRegistry::shared().reset();
        install(m_store.get(), &m_layout, m_registry.get());
        m_tab = new ShortcutsTab(m_registry.get());
        m_window.reset(darkHost(m_tab, QSize(640, 860)));
        m_window->show();
        QCOMPARE(this->stored(rawValue), stored);
        QCOMPARE(shown(number), QStringLiteral("record shortcut"));
        QVERIFY(!row(number)->clearButton()->isVisible());
        QVERIFY(!m_hotKeys->press(carbonKeyCode, carbonModifiers));
        QCOMPARE(shown(2), QStringLiteral("Super+Shift+N")); // the others keep theirs
    }

    void anUnreadableValueIsKeptAsideAndTold_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("rawValue");
        QTest::addColumn<QVariantMap>("values");
        QTest::addColumn<QVariant>("storedAfter");
        QTest::addColumn<QString>("asideKey");
        const QString basic = storagePrefix() + QStringLiteral("toggleBasic");
        const QString play = storagePrefix() + QStringLiteral("playPause");
        QTest::newRow("glyphs by hand, a name with a default")
            << 1 << "toggleBasic" << QVariantMap{{basic, QStringLiteral("⌥⌘N")}} << QVariant(false)
            << basic + ".unreadable";
        QTest::newRow("true is no combination")
            << 1 << "toggleBasic" << QVariantMap{{basic, true}} << QVariant(false) << basic + ".unreadable";
        QTest::newRow("a number, a name without a default")
            << 5 << "playPause" << QVariantMap{{play, 7}} << QVariant() << play + ".unreadable";
        QTest::newRow("a key code out of range")
            << 5 << "playPause"
            << QVariantMap{{play, QStringLiteral(R"({"carbonKeyCode":70000,"carbonModifiers":0})")}}
            << QVariant() << play + ".unreadable";
        QTest::newRow("one kept aside before stays")
            << 5 << "playPause" << QVariantMap{{play, 7}, {play + ".unreadable", 6}} << QVariant()
            << play + ".unreadable2";
    }
    void anUnreadableValueIsKeptAsideAndTold() {
        QFETCH(int, number);
        QFETCH(QString, rawValue);
        QFETCH(QVariantMap, values);
        QFETCH(QVariant, storedAfter);
        QFETCH(QString, asideKey);
        open(false, values);
        const QVariant original = values.value(storagePrefix() + rawValue);
        QCOMPARE(m_store->value(asideKey), original);
        for (auto value = values.begin(); value != values.end(); ++value) {
            if (value.key().contains(QLatin1String(".unreadable")))
                QCOMPARE(m_store->value(value.key()), value.value()); // nothing lost
        }
        QCOMPARE(stored(rawValue), storedAfter);
        QVERIFY(row(number)->isUnreadable());
        QCOMPARE(shown(number), QStringLiteral("unreadable shortcut"));
        QCOMPARE(row(number)->recordButton()->look().text, BrimlarkTheme::danger());
        QVERIFY(row(number)->recordButton()->toolTip().contains(storagePrefix() + rawValue + ".unreadable"));
        QVERIFY(!row(number)->clearButton()->isVisible());
        QVERIFY(!row(number == 1 ? 5 : 1)->isUnreadable());
        if (number == 1)
            brimlark::test::saveScreenshot(m_window.get(), QStringLiteral("shortcuts-row-unreadable"));

        // Recording one replaces the notice; what was kept aside stays.
        row(number)->startRecording();
        send(press(Qt::Key_K, superAlt, 40));
        QVERIFY(!row(number)->isUnreadable());
        QCOMPARE(shown(number), QStringLiteral("Super+Alt+K"));
        QCOMPARE(m_store->value(asideKey), original);
    }

    void aCombinationAnotherProgramHoldsIsDrawnInDanger() {
        open(true);
        BrimlarkShortcutRecorder* next = row(3);
        QCOMPARE(shown(3), QStringLiteral("Super+Right"));
        QVERIFY(next->isFailed());
        QCOMPARE(next->recordButton()->look().text, BrimlarkTheme::danger());
        QVERIFY(!next->recordButton()->accessibleDescription().isEmpty());
        QVERIFY(!row(4)->isFailed());
        brimlark::test::saveScreenshot(m_window.get(), QStringLiteral("shortcuts-row-held-elsewhere"));

        // Recording it on another row fails there too, heard when the grabs come back.
        row(13)->startRecording();
        brimlark::test::saveScreenshot(m_window.get(), QStringLiteral("shortcuts-row-recording"));
        send(press(Qt::Key_Right, Qt::MetaModifier, 124));
        QCOMPARE(shown(13), QStringLiteral("Super+Right"));
        QVERIFY(row(13)->isFailed());
    }
};

BRIMLARK_TEST_MAIN(TestShortcutsTab)
#include "tst_shortcutstab.moc"
