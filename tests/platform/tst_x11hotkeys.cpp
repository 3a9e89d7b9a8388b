#include "KeyboardShortcuts/CarbonKeyboardShortcuts.h"
#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/NameRegistry.h"
#include "platform/UserDefaults.h"
#include "platform/fake/FakeKeyboardLayout.h"
#include "platform/linux/x11/HotKeysFactory.h"
#include "platform/linux/x11/X11HotKeys.h"
#include "tests/support/RequiredServers.h"
#include "tests/support/TestMain.h"
#include "tests/support/X11Desktop.h"

#include <QGuiApplication>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

using namespace KeyboardShortcuts;

namespace {

// X keycodes of the evdev keymap Xvfb uses.
constexpr quint8 xSuper = 133, xAlt = 64, xShift = 50, xNumLock = 77, xN = 57;
constexpr int carbonN = 45;
constexpr qint64 optionCommand = 0x800 | 0x100, shiftCommand = 0x200 | 0x100;

} // namespace

// Key grabs on a real X server (Xvfb): XTest presses keys from a second connection, as the user
// would in another application's window.
class TestX11HotKeys : public QObject {
    Q_OBJECT
private:
    xcb_connection_t* m_x = nullptr;
    xcb_window_t m_root = 0;
    std::unique_ptr<X11HotKeys> m_hotKeys;

    void fake(quint8 type, quint8 keycode) {
        xcb_test_fake_input(m_x, type, keycode, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_flush(m_x);
    }
    void down(std::initializer_list<quint8> keys) {
        for (quint8 key : keys)
            fake(XCB_KEY_PRESS, key);
    }
    void up(std::initializer_list<quint8> keys) {
        for (quint8 key : keys)
            fake(XCB_KEY_RELEASE, key);
    }
    void toggleNumLock() {
        down({xNumLock});
        up({xNumLock});
        // A round trip: the server has handled both before the next key.
        std::free(xcb_get_input_focus_reply(m_x, xcb_get_input_focus(m_x), nullptr));
    }

private slots:
    void initTestCase() {
        BRIMLARK_REQUIRE_SERVER(X11Desktop::available(), X11Desktop::server);
        m_x = xcb_connect(nullptr, nullptr);
        QVERIFY(!xcb_connection_has_error(m_x));
        const xcb_query_extension_reply_t* xtest = xcb_get_extension_data(m_x, &xcb_test_id);
        QVERIFY2(xtest && xtest->present, "the X server has no XTEST");
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_x)).data->root;
    }
    void cleanupTestCase() {
        if (m_x)
            xcb_disconnect(m_x);
    }
    void init() {
        m_hotKeys = X11HotKeys::create();
        QVERIFY(m_hotKeys);
    }
    void cleanup() { m_hotKeys.reset(); }

    void theFactoryGrabsOnX11() {
        const std::unique_ptr<HotKeys> hotKeys = createHotKeys();
        QVERIFY(qobject_cast<X11HotKeys*>(hotKeys.get()));
        QVERIFY(m_hotKeys->hasDetectableAutoRepeat());
    }

    void aHeldCombinationFiresOnceWhateverTheLocks_data() {
        QTest::addColumn<bool>("numLock");
        QTest::addColumn<int>("repeats");
        QTest::newRow("plain") << false << 1;
        QTest::newRow("NumLock on") << true << 1;
        QTest::newRow("pressed twice without a release") << false << 2;
    }
    void aHeldCombinationFiresOnceWhateverTheLocks() {
        QFETCH(bool, numLock);
        QFETCH(int, repeats);
        QCOMPARE(m_hotKeys->registerHotKey(7, carbonN, optionCommand), HotKeys::noError);
        QSignalSpy pressed(m_hotKeys.get(), &HotKeys::pressed);
        QSignalSpy released(m_hotKeys.get(), &HotKeys::released);
        if (numLock)
            toggleNumLock();
        down({xSuper, xAlt});
        for (int i = 0; i < repeats; ++i)
            down({xN});
        up({xN, xAlt, xSuper});
        if (numLock)
            toggleNumLock();
        QTRY_COMPARE(released.size(), 1);
        QCOMPARE(pressed.size(), 1);
        QCOMPARE(pressed.at(0).at(0).toUInt(), 7u);
        QCOMPARE(released.at(0).at(0).toUInt(), 7u);
    }

    void anotherModifierDoesNotFire() {
        QCOMPARE(m_hotKeys->registerHotKey(1, carbonN, optionCommand), HotKeys::noError);
        QSignalSpy pressed(m_hotKeys.get(), &HotKeys::pressed);
        down({xSuper, xShift, xN});
        up({xN, xShift, xSuper});
        m_hotKeys->unregisterHotKey(1);
        // Once let go, the combination is free for another connection again.
        QCOMPARE(m_hotKeys->probe(carbonN, optionCommand), HotKeys::noError);
        QCOMPARE(pressed.size(), 0);
    }

    void aCombinationFiresAfterSuperMovesToAnotherModifier() {
        QCOMPARE(m_hotKeys->registerHotKey(3, carbonN, optionCommand), HotKeys::noError);
        QSignalSpy pressed(m_hotKeys.get(), &HotKeys::pressed);
        // Super leaves Mod4 for Mod3, as a user's modifier map may have it.
        std::unique_ptr<xcb_get_modifier_mapping_reply_t, decltype(&std::free)> original(
            xcb_get_modifier_mapping_reply(m_x, xcb_get_modifier_mapping(m_x), nullptr), &std::free);
        QVERIFY(original);
        const int perModifier = original->keycodes_per_modifier;
        const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(original.get());
        QList<xcb_keycode_t> moved(codes, codes + 8 * perModifier);
        const auto mod3 = moved.begin() + 5 * perModifier, mod4 = moved.begin() + 6 * perModifier;
        std::replace(mod4, mod4 + perModifier, xcb_keycode_t(xSuper), xcb_keycode_t(0));
        const auto free = std::find(mod3, mod3 + perModifier, xcb_keycode_t(0));
        QVERIFY2(free != mod3 + perModifier, "Mod3 has no free place");
        *free = xSuper;
        const auto setMapping = [&](const xcb_keycode_t* map) {
            std::unique_ptr<xcb_set_modifier_mapping_reply_t, decltype(&std::free)> reply(
                xcb_set_modifier_mapping_reply(m_x, xcb_set_modifier_mapping(m_x, quint8(perModifier), map),
                                               nullptr),
                &std::free);
            return reply && reply->status == XCB_MAPPING_STATUS_SUCCESS;
        };
        // The shared X server gets its map back, also when a check below fails.
        const auto restore = qScopeGuard([&] { setMapping(codes); });
        QVERIFY(setMapping(moved.constData()));
        // The grab follows once the notification is read; until then a press may go unheard.
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                down({xSuper, xAlt, xN});
                up({xN, xAlt, xSuper});
                QTest::qWait(50);
                return !pressed.isEmpty();
            }(),
            5000);
        QCOMPARE(pressed.first().at(0).toUInt(), 3u);
    }

    void aCombinationAnotherProgramHoldsIsReported() {
        // The other program grabs Super+Shift+N on its own connection.
        std::unique_ptr<X11HotKeys> other = X11HotKeys::create();
        QVERIFY(other);
        QCOMPARE(other->registerHotKey(1, carbonN, shiftCommand), HotKeys::noError);
        QCOMPARE(m_hotKeys->probe(carbonN, shiftCommand), HotKeys::heldByAnotherProgram);
        // No form on X: the function bit.
        QCOMPARE(m_hotKeys->registerHotKey(2, carbonN, 0x20000 | 0x100), HotKeys::unavailable);

        QTemporaryDir dir;
        UserDefaults store(dir.filePath(QStringLiteral("defaults.json")));
        FakeKeyboardLayout layout;
        CarbonKeyboardShortcuts registry(m_hotKeys.get());
        NameRegistry::shared().reset();
        install(&store, &layout, &registry);
        QTest::ignoreMessage(QtCriticalMsg, "Error registering hotkey Super+Shift+N: -10");
        const Name toggleAdvanced(QStringLiteral("toggleAdvanced"), Shortcut(carbonN, shiftCommand));
        registry.onKeyDown(toggleAdvanced, [] {});
        QVERIFY(!registry.isEnabled(toggleAdvanced));

        // The program goes on: another combination still works.
        const Name toggleBasic(QStringLiteral("toggleBasic"), Shortcut(carbonN, optionCommand));
        int runs = 0;
        registry.onKeyDown(toggleBasic, [&] { ++runs; });
        QVERIFY(registry.isEnabled(toggleBasic));
        down({xSuper, xAlt, xN});
        up({xN, xAlt, xSuper});
        QTRY_COMPARE(runs, 1);
        install(nullptr, nullptr, nullptr);
    }
};

BRIMLARK_TEST_MAIN(TestX11HotKeys)
#include "tst_x11hotkeys.moc"
