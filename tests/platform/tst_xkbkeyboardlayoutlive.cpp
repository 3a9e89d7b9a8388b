#include "platform/linux/x11/XkbKeyboardLayout.h"
#include "tests/support/RequiredServers.h"
#include "tests/support/TestMain.h"
#include "tests/support/X11Desktop.h"

// The X server's own keymap (Xvfb's is the us layout).
class TestXkbKeyboardLayoutLive : public QObject {
    Q_OBJECT
private slots:
    void readsTheServersKeymap() {
        BRIMLARK_REQUIRE_SERVER(X11Desktop::available(), X11Desktop::server);
        XkbKeyboardLayout keyboard;
        QCOMPARE(keyboard.character(6), std::optional<char32_t>(U'z'));
        QVERIFY(keyboard.isLive());
        QCOMPARE(keyboard.character(45), std::optional<char32_t>(U'n'));
    }
};

BRIMLARK_TEST_MAIN(TestXkbKeyboardLayoutLive)
#include "tst_xkbkeyboardlayoutlive.moc"
