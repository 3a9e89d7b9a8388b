#include "platform/linux/x11/GlobalInputFactory.h"
#include "platform/linux/x11/X11GlobalInput.h"
#include "tests/support/RequiredServers.h"
#include "tests/support/TestMain.h"
#include "tests/support/X11Desktop.h"

#include <QGuiApplication>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QWheelEvent>
#include <QWidget>

#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

Q_DECLARE_METATYPE(ScrollSample)

// Keeps the angle deltas of the wheel events Qt delivers to one of our windows.
class WheelWindow : public QWidget {
public:
    QList<QPoint> angleDeltas;

protected:
    void wheelEvent(QWheelEvent* event) override {
        angleDeltas.append(event->angleDelta());
        event->accept();
    }
};

// XInput 2 global input on a real X server (Xvfb): XTest moves the pointer and presses buttons
// from a second connection, as another application's user would.
class TestX11GlobalInput : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<X11Desktop> m_x;
    std::unique_ptr<X11GlobalInput> m_input;

    // Pointer positions kept below the top third of the screen, away from a notch panel that
    // another test might show at the top centre.
    static constexpr QPoint away{150, 650};

    void fakeMove(const QPoint& position) {
        m_x->movePointer(position);
        QTRY_COMPARE(QCursor::pos(), position);
    }
    void fakeClick(quint8 button) { m_x->clickButton(button); }
    // Moves the pointer to `position`, then one pixel right, and waits until the input reports
    // each: whatever the X server sent the input before the first move has been handled by then.
    // The input reports where the pointer is when its motion timer fires, so the first report may
    // come from a motion read before the events just sent; the second needs a motion read after
    // them.
    bool syncAt(const QPoint& position) {
        for (const QPoint& step : {position, position + QPoint(1, 0)}) {
            QSignalSpy moved(m_input.get(), &GlobalInput::pointerMoved);
            fakeMove(step);
            if (!QTest::qWaitFor([&] { return !moved.isEmpty() && moved.last().at(0).toPoint() == step; },
                                 X11Desktop::timeoutMs))
                return false;
        }
        return true;
    }
    // As a window manager would: the focus goes to `window`, or to another client's window.
    void focus(QWidget* window) {
        xcb_set_input_focus(m_x->connection(), XCB_INPUT_FOCUS_POINTER_ROOT,
                            window ? xcb_window_t(window->winId()) : m_x->root(), XCB_CURRENT_TIME);
        xcb_flush(m_x->connection());
    }
    void setPointerMapping(const QVector<quint8>& map) {
        auto* reply = xcb_set_pointer_mapping_reply(
            m_x->connection(),
            xcb_set_pointer_mapping(m_x->connection(), quint8(map.size()), map.constData()), nullptr);
        QVERIFY(reply);
        QCOMPARE(int(reply->status), int(XCB_MAPPING_STATUS_SUCCESS));
        std::free(reply);
    }
    QVector<quint8> pointerMapping() {
        QVector<quint8> map;
        auto* reply = xcb_get_pointer_mapping_reply(m_x->connection(),
                                                    xcb_get_pointer_mapping(m_x->connection()), nullptr);
        if (!reply)
            return map;
        const uint8_t* data = xcb_get_pointer_mapping_map(reply);
        for (int i = 0; i < xcb_get_pointer_mapping_map_length(reply); ++i)
            map.append(data[i]);
        std::free(reply);
        return map;
    }
    static std::unique_ptr<QWidget> ourWindow(const QRect& geometry) {
        auto window = std::make_unique<QWidget>();
        window->setWindowTitle(QStringLiteral("BrimlarkSettingsWindow"));
        window->setGeometry(geometry);
        window->show();
        return window;
    }

private slots:
    void initTestCase() {
        qRegisterMetaType<ScrollSample>();
        BRIMLARK_REQUIRE_SERVER(X11Desktop::available(), X11Desktop::server);
        m_x = std::make_unique<X11Desktop>();
        QVERIFY2(m_x->connected(), "no connection to the X server, or it has no XTEST");
    }
    void cleanupTestCase() { m_x.reset(); }
    void init() {
        m_input = X11GlobalInput::create();
        QVERIFY(m_input);
        QVERIFY(m_input->start());
        fakeMove(away);
    }
    void cleanup() { m_input.reset(); }

    void theFactoryChoosesXInput2() {
        const std::unique_ptr<GlobalInput> input = createGlobalInput();
        QVERIFY(qobject_cast<X11GlobalInput*>(input.get()));
        QVERIFY(m_input->xiMajorVersion() >= 2);
    }

    void pointerMovesArrive() {
        QSignalSpy moved(m_input.get(), &GlobalInput::pointerMoved);
        fakeMove(QPoint(100, 700));
        QTRY_VERIFY(!moved.isEmpty() && moved.last().at(0).toPoint() == QPoint(100, 700));
        fakeMove(QPoint(640, 900));
        QTRY_VERIFY(moved.last().at(0).toPoint() == QPoint(640, 900));
        QCOMPARE(m_input->pointerPosition(), QPoint(640, 900));
    }

    void pressesOutsideOurWindowsArrive_data() {
        QTest::addColumn<int>("xButton");
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::newRow("left") << 1 << Qt::LeftButton;
        QTest::newRow("middle") << 2 << Qt::MiddleButton;
        QTest::newRow("right") << 3 << Qt::RightButton;
    }
    void pressesOutsideOurWindowsArrive() {
        QFETCH(int, xButton);
        QFETCH(Qt::MouseButton, button);
        QSignalSpy outside(m_input.get(), &GlobalInput::mouseDownOutside);
        fakeClick(quint8(xButton));
        QTRY_COMPARE(outside.count(), 1); // the press only, not the release
        QCOMPARE(outside.at(0).at(0).value<Qt::MouseButton>(), button);
        QCOMPARE(outside.at(0).at(1).toPoint(), away);
    }

    void aPressOverOurOwnWindowIsNotReported() {
        auto window = ourWindow(QRect(400, 500, 300, 200));
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QSignalSpy outside(m_input.get(), &GlobalInput::mouseDownOutside);

        fakeMove(QPoint(550, 600));
        fakeClick(1);
        fakeClick(3);
        // Raw events carry no location: the input reads the pointer when it handles them.
        QVERIFY(syncAt(QPoint(551, 600)));
        fakeMove(away);
        fakeClick(1);
        QTRY_COMPARE(outside.count(), 1);
        QCOMPARE(outside.at(0).at(1).toPoint(), away);

        // Hidden, the window no longer counts.
        window->hide();
        fakeMove(QPoint(550, 600));
        fakeClick(1);
        QTRY_COMPARE(outside.count(), 2);
        QCOMPARE(outside.at(1).at(1).toPoint(), QPoint(550, 600));
    }

    void wheelClicksAreScrollLines_data() {
        QTest::addColumn<int>("xButton");
        QTest::addColumn<QPointF>("delta");
        QTest::newRow("up") << 4 << QPointF(0, 1);
        QTest::newRow("down") << 5 << QPointF(0, -1);
        // As QWheelEvent::angleDelta has them, so the panel's own wheel events agree.
        QTest::newRow("left") << 6 << QPointF(1, 0);
        QTest::newRow("right") << 7 << QPointF(-1, 0);
    }
    void wheelClicksAreScrollLines() {
        QFETCH(int, xButton);
        QFETCH(QPointF, delta);
        QSignalSpy scrolled(m_input.get(), &GlobalInput::scrolled);
        QSignalSpy outside(m_input.get(), &GlobalInput::mouseDownOutside);
        fakeClick(quint8(xButton));
        fakeClick(quint8(xButton));
        QTRY_COMPARE(scrolled.count(), 2);
        const auto sample = scrolled.at(0).at(0).value<ScrollSample>();
        QCOMPARE(sample.delta, delta);
        QCOMPARE(sample.position, away);
        QVERIFY(!sample.hasPreciseDeltas);
        QVERIFY(!sample.momentum);
        QCOMPARE(sample.phase, ScrollSample::Phase::none);
        QCOMPARE(outside.count(), 0);
    }

    void wheelSamplesAgreeWithQtsOwnWheelEvents_data() {
        QTest::addColumn<int>("xButton");
        QTest::newRow("up") << 4;
        QTest::newRow("down") << 5;
        QTest::newRow("left") << 6;
        QTest::newRow("right") << 7;
    }
    void wheelSamplesAgreeWithQtsOwnWheelEvents() {
        QFETCH(int, xButton);
        WheelWindow window;
        window.setGeometry(QRect(400, 500, 300, 200));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy scrolled(m_input.get(), &GlobalInput::scrolled);

        fakeMove(QPoint(550, 600));
        fakeClick(quint8(xButton)); // to our window: Qt's wheel event
        QTRY_COMPARE(window.angleDeltas.size(), 1);
        QVERIFY(syncAt(QPoint(551, 600))); // and the input has passed it over
        fakeMove(away);
        fakeClick(quint8(xButton)); // elsewhere: the global sample
        QTRY_COMPARE(scrolled.count(), 1);

        const QPointF lines = QPointF(window.angleDeltas.at(0)) / 120.0;
        QCOMPARE(scrolled.at(0).at(0).value<ScrollSample>().delta, lines);
    }

    void aScrollOverOurOwnWindowIsNotReported() {
        auto window = ourWindow(QRect(400, 500, 300, 200));
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QSignalSpy scrolled(m_input.get(), &GlobalInput::scrolled);
        fakeMove(QPoint(550, 600));
        fakeClick(5);
        QVERIFY(syncAt(QPoint(551, 600)));
        fakeMove(away);
        fakeClick(4);
        QTRY_COMPARE(scrolled.count(), 1);
        QCOMPARE(scrolled.at(0).at(0).value<ScrollSample>().delta, QPointF(0, 1));
    }

    void theServersButtonMappingIsFollowed() {
        const QVector<quint8> original = pointerMapping();
        QVERIFY(original.size() >= 3);
        QVector<quint8> leftHanded = original;
        std::swap(leftHanded[0], leftHanded[2]);
        setPointerMapping(leftHanded);
        // The tests after this one, on the same server, get their buttons back whatever happens.
        auto restore = qScopeGuard([&] { setPointerMapping(original); });
        QSignalSpy outside(m_input.get(), &GlobalInput::mouseDownOutside);
        fakeClick(1); // the physical left button, a right click for a left-handed user
        QTRY_COMPARE(outside.count(), 1);
        QCOMPARE(outside.at(0).at(0).value<Qt::MouseButton>(), Qt::RightButton);
    }

    void nothingArrivesAfterStop() {
        QSignalSpy moved(m_input.get(), &GlobalInput::pointerMoved);
        QSignalSpy outside(m_input.get(), &GlobalInput::mouseDownOutside);
        QSignalSpy scrolled(m_input.get(), &GlobalInput::scrolled);
        m_input->stop();
        QVERIFY(!m_input->isStarted());
        fakeMove(QPoint(300, 800));
        fakeClick(1);
        fakeClick(4);
        QTest::qWait(200);
        QCOMPARE(moved.count() + outside.count() + scrolled.count(), 0);

        // And a new start watches again.
        QVERIFY(m_input->start());
        fakeClick(1);
        QTRY_COMPARE(outside.count(), 1);
    }

    void focusLossCountsOnlyWhereAskedFor() {
        auto window = ourWindow(QRect(400, 500, 300, 200));
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QSignalSpy outside(m_input.get(), &GlobalInput::mouseDownOutside);

        // Plain X11: another client taking the focus is not a click.
        focus(window.get());
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        focus(nullptr);
        QTRY_COMPARE_WITH_TIMEOUT(QGuiApplication::applicationState(), Qt::ApplicationInactive, 3000);
        QTest::qWait(3 * DeactivationWatcher::confirmDelayMs);
        QCOMPARE(outside.count(), 0);

        // XWayland: it is, once.
        m_input->setReportsDeactivation(true);
        focus(window.get());
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        focus(nullptr);
        QTRY_COMPARE_WITH_TIMEOUT(outside.count(), 1, 3000);
        QCOMPARE(outside.at(0).at(0).value<Qt::MouseButton>(), Qt::NoButton);
        QCOMPARE(outside.at(0).at(1).toPoint(), away);

        // A press outside that takes the focus away is reported once, not twice.
        focus(window.get());
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        fakeClick(1);
        focus(nullptr);
        QTRY_COMPARE_WITH_TIMEOUT(QGuiApplication::applicationState(), Qt::ApplicationInactive, 3000);
        QTest::qWait(3 * DeactivationWatcher::confirmDelayMs);
        QCOMPARE(outside.count(), 2);
        QCOMPARE(outside.at(1).at(0).value<Qt::MouseButton>(), Qt::LeftButton);
    }
};

BRIMLARK_TEST_MAIN(TestX11GlobalInput)
#include "tst_x11globalinput.moc"
