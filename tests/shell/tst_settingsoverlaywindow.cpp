#include "Brimlark/shell/SettingsOverlayWindow.h"
#include "platform/fake/FakeScreens.h"
#include "tests/support/TestMain.h"

#include <QWindow>

// The settings window over a 1280 × 720 screen with a 1920 × 1080 one to its right: dragged by
// its background it follows the pointer and stays whole on a screen; shown again, a place the
// screens no longer hold is brought back onto one.
class TestSettingsOverlayWindow : public QObject {
    Q_OBJECT

    FakeScreens m_screens;

    void setScreens(const QList<QRect>& frames) {
        QList<ScreenDescription> screens;
        for (const QRect& frame : frames)
            screens.append(FakeScreens::plain(QStringLiteral("screen %1").arg(screens.size()), frame));
        m_screens.setScreens(screens);
    }

private slots:
    void init() { setScreens({QRect(0, 0, 1280, 720), QRect(1280, 0, 1920, 1080)}); }

    void aDragFollowsThePointerAndStaysOnScreen_data() {
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<QPoint>("expected");
        // The window sits at 200, 60; the press is at 500, 70.
        QTest::newRow("by the drag's distance") << QPoint(560, 110) << QPoint(260, 100);
        QTest::newRow("a quick drag far up stops at the top") << QPoint(500, -300) << QPoint(200, 0);
        QTest::newRow("nor off the left side") << QPoint(-400, 90) << QPoint(0, 80);
        QTest::newRow("nor below the bottom") << QPoint(500, 700) << QPoint(200, 120);
        QTest::newRow("onto the screen under the pointer") << QPoint(1800, 100) << QPoint(1500, 90);
    }
    void aDragFollowsThePointerAndStaysOnScreen() {
        QFETCH(QPoint, to);
        QFETCH(QPoint, expected);
        SettingsOverlayWindow window(QRect(0, 0, 840, 600));
        window.setScreens(&m_screens);
        window.move(200, 60);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mousePress(window.windowHandle(), Qt::LeftButton, {}, QPoint(300, 10));
        // In steps, as a pointer moves; each step counts from where the drag began.
        const QPoint pressed(500, 70);
        for (int step = 1; step <= 4; ++step)
            QTest::mouseMove(window.windowHandle(), pressed + (to - pressed) * step / 4 - window.pos());
        QTest::mouseRelease(window.windowHandle(), Qt::LeftButton, {}, to - window.pos());
        QCOMPARE(window.pos(), expected);
    }

    void aPlaceNoScreenHoldsIsBroughtBack_data() {
        QTest::addColumn<QList<QRect>>("screens");
        QTest::addColumn<QPoint>("kept");
        QTest::addColumn<QPoint>("expected");
        const QList<QRect> laptop = {QRect(0, 0, 1280, 720)};
        QTest::newRow("on screen stays") << laptop << QPoint(100, 50) << QPoint(100, 50);
        QTest::newRow("above the top") << laptop << QPoint(100, -390) << QPoint(100, 0);
        QTest::newRow("on a screen since removed") << laptop << QPoint(2000, 300) << QPoint(440, 120);
        QTest::newRow("larger than the screen")
            << QList<QRect>{QRect(0, 0, 800, 500)} << QPoint(100, 50) << QPoint(0, 0);
    }
    void aPlaceNoScreenHoldsIsBroughtBack() {
        QFETCH(QList<QRect>, screens);
        QFETCH(QPoint, kept);
        QFETCH(QPoint, expected);
        SettingsOverlayWindow window(QRect(0, 0, 840, 600));
        window.setScreens(&m_screens);
        window.move(kept);
        setScreens(screens);
        window.show();
        QCOMPARE(window.pos(), expected);
    }
};

BRIMLARK_TEST_MAIN(TestSettingsOverlayWindow)
#include "tst_settingsoverlaywindow.moc"
