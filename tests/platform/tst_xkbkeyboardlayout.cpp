#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "platform/linux/x11/XkbKeyboardLayout.h"
#include "tests/support/TestMain.h"

// Keymaps compiled from rule names: no X display is asked.
class TestXkbKeyboardLayout : public QObject {
    Q_OBJECT
private slots:
    void characters_data() {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<int>("keyCode");
        QTest::addColumn<uint>("character"); // 0: none
        QTest::newRow("us Z") << "us" << 6 << uint('z');
        QTest::newRow("us N") << "us" << 45 << uint('n');
        QTest::newRow("us comma") << "us" << 43 << uint(',');
        QTest::newRow("de Z position") << "de" << 6 << uint('y');
        QTest::newRow("de semicolon position") << "de" << 41 << uint(0xF6); // ö
        QTest::newRow("de dead acute") << "de" << 24 << 0u;
        QTest::newRow("de dead circumflex") << "de" << 50 << 0u;
        QTest::newRow("ru alone") << "ru" << 6 << uint(0x44F); // я
        QTest::newRow("ru then us: the Latin group") << "ru,us" << 6 << uint('z');
        QTest::newRow("shift gives no character") << "us" << 56 << 0u;
        QTest::newRow("mute gives no character") << "us" << 74 << 0u;
        QTest::newRow("function has no key") << "us" << 63 << 0u;
        QTest::newRow("unknown code") << "us" << 70000 << 0u;
    }
    void characters() {
        QFETCH(QString, layout);
        QFETCH(int, keyCode);
        QFETCH(uint, character);
        XkbKeyboardLayout keyboard(layout, QString());
        QVERIFY(!keyboard.isLoaded()); // built, not loaded
        const std::optional<char32_t> got = keyboard.character(keyCode);
        QVERIFY(keyboard.isLoaded());
        QVERIFY(!keyboard.isLive());
        QCOMPARE(got ? uint(*got) : 0u, character);
    }

    void aDeadKeyShowsTheReplacementCharacter() {
        XkbKeyboardLayout german(QStringLiteral("de"), QString());
        KeyboardShortcuts::install(nullptr, &german);
        QCOMPARE(KeyboardShortcuts::Shortcut(24, 0).description(), QStringLiteral("\uFFFD"));
        QCOMPARE(KeyboardShortcuts::Shortcut(KeyboardShortcuts::Key::z, KeyboardShortcuts::Modifier::command)
                     .description(),
                 QStringLiteral("Super+Y"));
        KeyboardShortcuts::install(nullptr, nullptr);
    }

    void anUnknownLayoutGivesNoCharacters() {
        XkbKeyboardLayout nowhere(QStringLiteral("no-such-layout"), QString());
        QCOMPARE(nowhere.character(6), std::nullopt);
    }
};

BRIMLARK_TEST_MAIN(TestXkbKeyboardLayout)
#include "tst_xkbkeyboardlayout.moc"
