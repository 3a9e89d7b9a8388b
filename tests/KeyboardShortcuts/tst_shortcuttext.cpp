#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "platform/KeyCodes.h"
#include "platform/fake/FakeKeyboardLayout.h"
#include "tests/support/TestMain.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>

#include <memory>

using namespace KeyboardShortcuts;

Q_DECLARE_METATYPE(std::optional<QString>)

class TestShortcutText : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<FakeKeyboardLayout> m_layout;

private slots:
    void init() {
        m_layout = std::make_unique<FakeKeyboardLayout>(); // the US table again
        install(nullptr, m_layout.get());
    }

    void description_data() {
        QTest::addColumn<int>("keyCode");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");
        const int all = int(Modifier::control | Modifier::option | Modifier::shift | Modifier::command |
                            Modifier::function);
        QTest::newRow("every modifier, A") << 0 << all << QStringLiteral("Super+Ctrl+Alt+Shift+Fn+A");
        QTest::newRow("super alt N") << 45 << int(Modifier::option | Modifier::command)
                                     << QStringLiteral("Super+Alt+N");
        QTest::newRow("super shift N")
            << 45 << int(Modifier::shift | Modifier::command) << QStringLiteral("Super+Shift+N");
        QTest::newRow("super right") << 124 << int(Modifier::command) << QStringLiteral("Super+Right");
        QTest::newRow("ctrl shift K")
            << 40 << int(Modifier::control | Modifier::shift) << QStringLiteral("Ctrl+Shift+K");
        QTest::newRow("return") << 36 << int(Modifier::command) << QStringLiteral("Super+Return");
        QTest::newRow("page down") << 121 << int(Modifier::control) << QStringLiteral("Ctrl+Page Down");
        QTest::newRow("F5") << 96 << 0 << QStringLiteral("F5");
        QTest::newRow("keypad 3") << 85 << 0 << QStringLiteral("KP 3");
        QTest::newRow("keypad enter") << 76 << int(Modifier::option) << QStringLiteral("Alt+KP Enter");
        QTest::newRow("space") << 49 << int(Modifier::control) << QStringLiteral("Ctrl+Space");
        QTest::newRow("help is insert") << 114 << 0 << QStringLiteral("Insert");
        QTest::newRow("punctuation") << 43 << int(Modifier::command) << QStringLiteral("Super+,");
        QTest::newRow("no character (mute)") << 74 << 0 << QStringLiteral("\uFFFD");
        QTest::newRow("no key at all") << 500 << int(Modifier::shift) << QStringLiteral("Shift+\uFFFD");
    }
    void description() {
        QFETCH(int, keyCode);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        QCOMPARE(Shortcut(Key(keyCode), Modifiers::fromInt(modifiers)).description(), text);
    }

    void theLayoutGivesTheKeysText() {
        m_layout->characters[6] = U'y'; // a German keyboard's Z position
        m_layout->characters[41] = U'ö';
        m_layout->characters.remove(24); // a dead key
        QCOMPARE(Shortcut(Key::z, Modifier::command).description(), QStringLiteral("Super+Y"));
        QCOMPARE(Shortcut(Key::semicolon, {}).description(), QStringLiteral("Ö"));
        QCOMPARE(Shortcut(Key::equal, {}).description(), QStringLiteral("\uFFFD"));
        QCOMPARE(Shortcut(Key::equal, {}).keyEquivalent(), std::nullopt);
        install(nullptr, nullptr); // no layout at all
        QCOMPARE(Shortcut(Key::a, {}).description(), QStringLiteral("\uFFFD"));
        QCOMPARE(Shortcut(Key::f1, {}).description(), QStringLiteral("F1"));
    }

    void keyEquivalent_data() {
        QTest::addColumn<int>("keyCode");
        QTest::addColumn<std::optional<QString>>("equivalent");
        QTest::newRow("letter") << 45 << std::optional<QString>(QStringLiteral("n"));
        QTest::newRow("space") << 49 << std::optional<QString>(QStringLiteral(" "));
        QTest::newRow("F1") << 122 << std::optional<QString>(QString(QChar(0xF704)));
        QTest::newRow("F20") << 90 << std::optional<QString>(QString(QChar(0xF717)));
        QTest::newRow("keypad 3") << 85 << std::optional<QString>();
        QTest::newRow("keypad enter") << 76 << std::optional<QString>();
        QTest::newRow("mute") << 74 << std::optional<QString>();
    }
    void keyEquivalent() {
        QFETCH(int, keyCode);
        QFETCH(std::optional<QString>, equivalent);
        QCOMPARE(Shortcut(keyCode, 0).keyEquivalent(), equivalent);
    }

    void keyEvents_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("qtKey");
        QTest::addColumn<int>("qtModifiers");
        QTest::addColumn<quint32>("scanCode"); // the X keycode
        QTest::addColumn<int>("keyCode");      // -1: none
        QTest::addColumn<qint64>("modifiers");
        QTest::newRow("right arrow, Meta, keypad flag")
            << int(QEvent::KeyPress) << int(Qt::Key_Right) << int(Qt::MetaModifier | Qt::KeypadModifier)
            << 114u << 124 << qint64(256);
        QTest::newRow("shift A") << int(QEvent::KeyPress) << int(Qt::Key_A) << int(Qt::ShiftModifier) << 38u
                                 << 0 << qint64(512);
        QTest::newRow("ctrl alt N released")
            << int(QEvent::KeyRelease) << int(Qt::Key_N) << int(Qt::ControlModifier | Qt::AltModifier) << 57u
            << 45 << qint64(0x1800);
        QTest::newRow("left arrow") << int(QEvent::KeyPress) << int(Qt::Key_Left) << 0 << 113u << 123
                                    << qint64(0);
        QTest::newRow("print has no stored code")
            << int(QEvent::KeyPress) << int(Qt::Key_Print) << 0 << 107u << -1 << qint64(0);
        QTest::newRow("no scan code")
            << int(QEvent::KeyPress) << int(Qt::Key_A) << 0 << 0u << -1 << qint64(0);
        QTest::newRow("shortcut override")
            << int(QEvent::ShortcutOverride) << int(Qt::Key_A) << 0 << 38u << -1 << qint64(0);
    }
    void keyEvents() {
        QFETCH(int, type);
        QFETCH(int, qtKey);
        QFETCH(int, qtModifiers);
        QFETCH(quint32, scanCode);
        QFETCH(int, keyCode);
        QFETCH(qint64, modifiers);
        const QKeyEvent event(QEvent::Type(type), qtKey, Qt::KeyboardModifiers(qtModifiers), scanCode, 0, 0);
        const std::optional<Shortcut> shortcut = Shortcut::fromEvent(event);
        if (keyCode < 0) {
            QVERIFY(!shortcut);
            return;
        }
        QVERIFY(shortcut);
        QCOMPARE(shortcut->carbonKeyCode(), keyCode);
        QCOMPARE(shortcut->carbonModifiers(), modifiers);
    }

    void constructorsKeepOnlyTheFiveModifierBits() {
        QCOMPARE(Shortcut(45, 0x100 | 0x200 | 0x800 | 0x1000 | 0x20000 | 0x400 | 0x10000).carbonModifiers(),
                 qint64(0x21B00));
        QCOMPARE(Shortcut(Key::n, Modifier::option | Modifier::command),
                 Shortcut(45, KeyCodes::carbonOption | KeyCodes::carbonCommand));
    }

    void keySequences_data() {
        QTest::addColumn<int>("keyCode");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("sequence"); // empty: none
        QTest::newRow("control Q") << 12 << int(Modifier::control) << QStringLiteral("Ctrl+Q");
        QTest::newRow("command right") << 124 << int(Modifier::command) << QStringLiteral("Meta+Right");
        QTest::newRow("option shift F5")
            << 96 << int(Modifier::option | Modifier::shift) << QStringLiteral("Shift+Alt+F5");
        QTest::newRow("command comma") << 43 << int(Modifier::command) << QStringLiteral("Meta+,");
        QTest::newRow("keypad 3") << 85 << int(Modifier::command) << QString();
        QTest::newRow("with function") << 12 << int(Modifier::function) << QString();
        QTest::newRow("no character") << 74 << 0 << QString();
    }
    void keySequences() {
        QFETCH(int, keyCode);
        QFETCH(int, modifiers);
        QFETCH(QString, sequence);
        const std::optional<QKeySequence> made =
            Shortcut(Key(keyCode), Modifiers::fromInt(modifiers)).toKeySequence();
        QCOMPARE(made.has_value(), !sequence.isEmpty());
        if (made)
            QCOMPARE(*made, QKeySequence(sequence));
    }

    void menuItems() {
        QMenu menu;
        QAction* quit = menu.addAction(QStringLiteral("quit"));
        quit->setShortcut(QKeySequence(QStringLiteral("Ctrl+Q")));
        menu.addSeparator();
        QMenu* view = menu.addMenu(QStringLiteral("view"));
        view->addAction(QStringLiteral("zoom"));
        QAction* deep = view->addMenu(QStringLiteral("more"))->addAction(QStringLiteral("save all"));
        deep->setShortcuts(
            {QKeySequence(QStringLiteral("Ctrl+Alt+S")), QKeySequence(QStringLiteral("Ctrl+Shift+S"))});
        QAction* later = menu.addAction(QStringLiteral("save as"));
        later->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+S")));

        QCOMPARE(Shortcut(Key::q, Modifier::control).menuItemWithMatchingShortcut(menu), quit);
        // Depth-first: the submenu's action comes before the next top-level one.
        QCOMPARE(Shortcut(Key::s, Modifier::control | Modifier::shift).menuItemWithMatchingShortcut(menu),
                 deep);
        QCOMPARE(Shortcut(Key::q, Modifier::command).menuItemWithMatchingShortcut(menu), nullptr);
        QCOMPARE(Shortcut(Key::q, Modifier::control | Modifier::shift).menuItemWithMatchingShortcut(menu),
                 nullptr);
        QCOMPARE(Shortcut(Key::q, Modifier::control).menuItemWithMatchingShortcut(QMenu()), nullptr);
    }

    void keyCodesRoundTripEveryNamedKey() {
        QCOMPARE(Key::all().size(), 113);
        QSet<quint32> seen;
        for (const Key key : Key::all()) {
            const std::optional<quint32> x = KeyCodes::xKeycode(key.rawValue);
            if (key == Key::function) {
                QVERIFY(!x);
                continue;
            }
            QVERIFY2(x, qPrintable(QString::number(key.rawValue)));
            QCOMPARE(KeyCodes::carbonKeyCode(*x), std::optional<int>(key.rawValue));
            seen.insert(*x);
        }
        QCOMPARE(seen.size(), 112);
        // And from the X side: whatever maps back maps forward to the same keycode.
        for (quint32 x = 0; x < 256; ++x) {
            if (const std::optional<int> code = KeyCodes::carbonKeyCode(x))
                QCOMPARE(KeyCodes::xKeycode(*code), std::optional<quint32>(x));
        }
        QCOMPARE(KeyCodes::xKeycode(Key::n.rawValue), std::optional<quint32>(57));
        QCOMPARE(KeyCodes::xKeycode(Key::rightArrow.rawValue), std::optional<quint32>(114));
        QCOMPARE(KeyCodes::xKeycode(Key::leftArrow.rawValue), std::optional<quint32>(113));
    }

    void modifierBitsAndXMasks_data() {
        QTest::addColumn<qint64>("carbon");
        QTest::addColumn<int>("mask");
        QTest::newRow("control") << KeyCodes::carbonControl << 0x04;
        QTest::newRow("option") << KeyCodes::carbonOption << 0x08;
        QTest::newRow("shift") << KeyCodes::carbonShift << 0x01;
        QTest::newRow("command") << KeyCodes::carbonCommand << 0x40;
        QTest::newRow("all four") << qint64(0x1B00) << 0x4D;
    }
    void modifierBitsAndXMasks() {
        QFETCH(qint64, carbon);
        QFETCH(int, mask);
        QCOMPARE(int(KeyCodes::xModifiers(carbon)), mask);
        QCOMPARE(KeyCodes::carbonModifiers(quint16(mask)), carbon);
        // Function has no mask; Lock and NumLock (Mod2) have no bit.
        QCOMPARE(int(KeyCodes::xModifiers(carbon | KeyCodes::carbonFunction)), mask);
        QCOMPARE(KeyCodes::carbonModifiers(quint16(mask | 0x02 | 0x10)), carbon);
    }
};

BRIMLARK_TEST_MAIN(TestShortcutText)
#include "tst_shortcuttext.moc"
