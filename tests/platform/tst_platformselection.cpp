#include "platform/linux/x11/PlatformSelection.h"
#include "tests/support/TestMain.h"

#include <QHash>

// The Wayland rule: with QT_QPA_PLATFORM unset, a Wayland session that also offers XWayland
// runs Brimlark on xcb.
class TestPlatformSelection : public QObject {
    Q_OBJECT
private slots:
    void choosesXcbOnlyForWaylandWithAnXDisplay_data() {
        QTest::addColumn<QString>("qpa");
        QTest::addColumn<QString>("waylandDisplay");
        QTest::addColumn<QString>("sessionType");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QByteArray>("expected");
        // clang-format off
        QTest::newRow("wayland display and X display")    << ""          << "wayland-0" << ""        << ":0" << QByteArray("xcb");
        QTest::newRow("wayland session type and X display") << ""        << ""          << "wayland" << ":1" << QByteArray("xcb");
        QTest::newRow("both wayland signs")               << ""          << "wayland-0" << "wayland" << ":0" << QByteArray("xcb");
        QTest::newRow("wayland without XWayland")         << ""          << "wayland-0" << "wayland" << ""   << QByteArray();
        QTest::newRow("user chose wayland")               << "wayland"   << "wayland-0" << "wayland" << ":0" << QByteArray();
        QTest::newRow("user chose offscreen")             << "offscreen" << "wayland-0" << ""        << ":0" << QByteArray();
        QTest::newRow("user chose xcb")                   << "xcb"       << "wayland-0" << ""        << ":0" << QByteArray();
        QTest::newRow("X11 session")                      << ""          << ""          << "x11"     << ":0" << QByteArray();
        QTest::newRow("X11 session, no session type")     << ""          << ""          << ""        << ":0" << QByteArray();
        QTest::newRow("tty session")                      << ""          << ""          << "tty"     << ""   << QByteArray();
        QTest::newRow("nothing at all")                   << ""          << ""          << ""        << ""   << QByteArray();
        // clang-format on
    }
    void choosesXcbOnlyForWaylandWithAnXDisplay() {
        QFETCH(QString, qpa);
        QFETCH(QString, waylandDisplay);
        QFETCH(QString, sessionType);
        QFETCH(QString, display);
        QFETCH(QByteArray, expected);
        const QHash<QByteArray, QByteArray> environment{{"QT_QPA_PLATFORM", qpa.toUtf8()},
                                                        {"WAYLAND_DISPLAY", waylandDisplay.toUtf8()},
                                                        {"XDG_SESSION_TYPE", sessionType.toUtf8()},
                                                        {"DISPLAY", display.toUtf8()}};
        QCOMPARE(qtPlatformToSelect([&](const char* name) { return environment.value(name); }), expected);
    }

    // Without a usable X display a start says what is missing instead of letting Qt abort.
    void namesAMissingDisplay_data() {
        QTest::addColumn<QString>("qpa");
        QTest::addColumn<QString>("waylandDisplay");
        QTest::addColumn<QString>("display");
        QTest::addColumn<bool>("reachable");
        QTest::addColumn<QString>("expected"); // a part of the line; empty: no problem
        // clang-format off
        QTest::newRow("no DISPLAY")                << ""          << ""          << ""    << false << "DISPLAY is not set";
        QTest::newRow("empty QT_QPA_PLATFORM")     << ""          << ""          << ""    << false << "needs an X11 session or XWayland";
        QTest::newRow("wayland without XWayland")  << ""          << "wayland-0" << ""    << false << "offers no XWayland";
        QTest::newRow("unreachable display")       << ""          << ""          << ":77" << false << "cannot open the X display \":77\"";
        QTest::newRow("xcb asked, unreachable")    << "xcb"       << ""          << ":77" << false << "cannot open";
        QTest::newRow("reachable display")         << ""          << ""          << ":0"  << true  << "";
        QTest::newRow("offscreen needs none")      << "offscreen" << ""          << ""    << false << "";
        // clang-format on
    }
    void namesAMissingDisplay() {
        QFETCH(QString, qpa);
        QFETCH(QString, waylandDisplay);
        QFETCH(QString, display);
        QFETCH(bool, reachable);
        QFETCH(QString, expected);
        const QHash<QByteArray, QByteArray> environment{{"QT_QPA_PLATFORM", qpa.toUtf8()},
                                                        {"WAYLAND_DISPLAY", waylandDisplay.toUtf8()},
                                                        {"DISPLAY", display.toUtf8()}};
        const QByteArray problem = missingDisplayProblem(
            [&](const char* name) { return environment.value(name); },
            [&](const QByteArray& asked) { return reachable && asked == display.toUtf8(); });
        if (expected.isEmpty()) {
            QVERIFY2(problem.isEmpty(), problem.constData());
            return;
        }
        QVERIFY2(problem.contains(expected.toUtf8()), problem.constData());
        QVERIFY(!problem.contains('\n'));
    }

    void setsTheProcessEnvironment() {
        const QByteArray qpa = qgetenv("QT_QPA_PLATFORM");
        qunsetenv("QT_QPA_PLATFORM");
        qputenv("WAYLAND_DISPLAY", "wayland-9");
        qputenv("DISPLAY", ":9");
        selectQtPlatformBeforeApp();
        QCOMPARE(qgetenv("QT_QPA_PLATFORM"), QByteArray("xcb"));

        // Set already: left alone.
        qputenv("QT_QPA_PLATFORM", "wayland");
        selectQtPlatformBeforeApp();
        QCOMPARE(qgetenv("QT_QPA_PLATFORM"), QByteArray("wayland"));
        qputenv("QT_QPA_PLATFORM", qpa);
    }
};

BRIMLARK_TEST_MAIN(TestPlatformSelection)
#include "tst_platformselection.moc"
