#include "platform/linux/x11/GlobalInputFactory.h"
#include "platform/linux/x11/PolledGlobalInput.h"
#include "tests/support/TestMain.h"

#include <QCursor>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QWidget>
#include <qpa/qwindowsysteminterface.h>

#include <memory>

// The fallback global input, offscreen: the pointer is polled, and only the application losing
// the focus to another application counts as a click outside.
class TestPolledGlobalInput : public QObject {
    Q_OBJECT
private:
    static std::unique_ptr<QWidget> shownWindow(const QString& title, const QRect& geometry) {
        auto window = std::make_unique<QWidget>();
        window->setWindowTitle(title);
        window->setGeometry(geometry);
        window->show();
        return window;
    }
    static bool activate(QWidget* window) {
        window->activateWindow();
        return QTest::qWaitForWindowActive(window);
    }
    // What the platform reports when another application takes the focus: no window of ours is
    // active any more.
    static void loseFocusToAnotherApplication() { focusNoWindow<QWindowSystemInterface>(0); }
    // Later Qt versions name the call handleFocusWindowChanged, earlier ones handleWindowActivated.
    template <typename System>
    static auto focusNoWindow(int)
        -> decltype(System::handleFocusWindowChanged(nullptr, Qt::ActiveWindowFocusReason)) {
        System::handleFocusWindowChanged(nullptr, Qt::ActiveWindowFocusReason);
    }
    template <typename System> static void focusNoWindow(long) {
        System::handleWindowActivated(nullptr, Qt::ActiveWindowFocusReason);
    }

private slots:
    void init() { QCursor::setPos(QPoint(10, 10)); }

    void theFactoryPollsOffscreen() {
        const std::unique_ptr<GlobalInput> input = createGlobalInput();
        QVERIFY(input);
        QVERIFY(qobject_cast<PolledGlobalInput*>(input.get()));
    }

    void reportsEachNewPointerPositionWhileStarted() {
        PolledGlobalInput input;
        QSignalSpy moved(&input, &GlobalInput::pointerMoved);
        QVERIFY(input.start());
        QVERIFY(input.isStarted());

        QCursor::setPos(QPoint(300, 12));
        QTRY_COMPARE(moved.count(), 1);
        QCOMPARE(moved.at(0).at(0).toPoint(), QPoint(300, 12));
        QCOMPARE(input.pointerPosition(), QPoint(300, 12));

        // A pointer at rest reports nothing more.
        QTest::qWait(3 * PolledGlobalInput::pollIntervalMs);
        QCOMPARE(moved.count(), 1);

        QCursor::setPos(QPoint(400, 40));
        QTRY_COMPARE(moved.count(), 2);
        QCOMPARE(moved.at(1).at(0).toPoint(), QPoint(400, 40));
    }

    // A pointer at rest is polled less often, and a move is still reported, at the fast pace again.
    void aRestingPointerIsPolledLessOften() {
        PolledGlobalInput input;
        QSignalSpy moved(&input, &GlobalInput::pointerMoved);
        QVERIFY(input.start());
        QTest::qWait(PolledGlobalInput::restBeforeSlowingMs + 3 * PolledGlobalInput::pollIntervalMs);
        QCOMPARE(moved.count(), 0);
        QCursor::setPos(QPoint(500, 20));
        QTRY_COMPARE_WITH_TIMEOUT(moved.count(), 1, 2 * PolledGlobalInput::restingPollIntervalMs + 100);
        QCursor::setPos(QPoint(510, 20));
        QTRY_COMPARE_WITH_TIMEOUT(moved.count(), 2, 2 * PolledGlobalInput::pollIntervalMs + 100);
    }

    void reportsNothingBeforeStartAndAfterStop() {
        PolledGlobalInput input;
        QSignalSpy moved(&input, &GlobalInput::pointerMoved);
        QCursor::setPos(QPoint(50, 50));
        QTest::qWait(3 * PolledGlobalInput::pollIntervalMs);
        QCOMPARE(moved.count(), 0);

        QVERIFY(input.start());
        QVERIFY(input.start()); // a second start is harmless
        input.stop();
        QVERIFY(!input.isStarted());
        QCursor::setPos(QPoint(60, 60));
        QTest::qWait(3 * PolledGlobalInput::pollIntervalMs);
        QCOMPARE(moved.count(), 0);
    }

    void focusMovingBetweenOurWindowsIsNoClickOutside() {
        auto panel = shownWindow(QStringLiteral("panel"), QRect(860, 0, 200, 32));
        QVERIFY(activate(panel.get()));
        PolledGlobalInput input;
        QSignalSpy outside(&input, &GlobalInput::mouseDownOutside);
        QVERIFY(input.start());

        // Our settings window takes the focus: the application stays active.
        auto settings = shownWindow(QStringLiteral("BrimlarkSettingsWindow"), QRect(200, 200, 400, 300));
        QVERIFY(activate(settings.get()));
        QCOMPARE(QGuiApplication::applicationState(), Qt::ApplicationActive);
        QVERIFY(activate(panel.get()));
        QTest::qWait(3 * DeactivationWatcher::confirmDelayMs);
        QCOMPARE(outside.count(), 0);
    }

    void losingTheFocusToAnotherApplicationIsAClickOutside() {
        auto panel = shownWindow(QStringLiteral("panel"), QRect(860, 0, 200, 32));
        QVERIFY(activate(panel.get()));
        PolledGlobalInput input;
        QSignalSpy outside(&input, &GlobalInput::mouseDownOutside);
        QVERIFY(input.start());
        QCursor::setPos(QPoint(100, 500));

        loseFocusToAnotherApplication();
        QTRY_COMPARE(QGuiApplication::applicationState(), Qt::ApplicationInactive);
        QTRY_COMPARE(outside.count(), 1);
        QCOMPARE(outside.at(0).at(0).value<Qt::MouseButton>(), Qt::NoButton);
        QCOMPARE(outside.at(0).at(1).toPoint(), QPoint(100, 500));
    }

    void aDeactivationWhileStoppedIsNotReported() {
        auto panel = shownWindow(QStringLiteral("panel"), QRect(860, 0, 200, 32));
        QVERIFY(activate(panel.get()));
        PolledGlobalInput input;
        QSignalSpy outside(&input, &GlobalInput::mouseDownOutside);
        QVERIFY(input.start());
        input.stop();
        loseFocusToAnotherApplication();
        QTRY_COMPARE(QGuiApplication::applicationState(), Qt::ApplicationInactive);
        QTest::qWait(3 * DeactivationWatcher::confirmDelayMs);
        QCOMPARE(outside.count(), 0);
    }

    void aShortInactiveSpellBetweenOurWindowsIsNotReported() {
        DeactivationWatcher watcher;
        auto panel = shownWindow(QStringLiteral("panel"), QRect(860, 0, 200, 32));
        QVERIFY(activate(panel.get()));
        QSignalSpy deactivated(&watcher, &DeactivationWatcher::deactivated);
        watcher.setEnabled(true);
        // The platform passes through "inactive" and comes back before the confirmation.
        emit qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
        emit qGuiApp->applicationStateChanged(Qt::ApplicationActive);
        QTest::qWait(3 * DeactivationWatcher::confirmDelayMs);
        QCOMPARE(deactivated.count(), 0);
    }
};

BRIMLARK_TEST_MAIN(TestPolledGlobalInput)
#include "tst_polledglobalinput.moc"
