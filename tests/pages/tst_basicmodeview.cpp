#include "Brimlark/controls/MirrorWindowManager.h"
#include "Brimlark/controls/TimerPickerPopover.h"
#include "Brimlark/kit/PanelIconButton.h"
#include "Brimlark/organizer/RemindersService.h"
#include "Brimlark/pages/BasicMediaPane.h"
#include "Brimlark/pages/BasicModeView.h"
#include "Brimlark/quickactions/InlineCalculatorPopover.h"
#include "Brimlark/quickactions/InlinePopoverButton.h"
#include "Brimlark/quickactions/InlineSearchPopover.h"
#include "Brimlark/quickactions/QuickActionButton.h"
#include "Brimlark/quickactions/QuickActionsRow.h"
#include "Brimlark/surface/NotchRootView.h"
#include "tests/support/CalendarFixture.h"
#include "tests/support/Screenshot.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>

using Kind = QuickAction::Kind;
using Utility = BasicModeView::InlineUtility;
using Placement = CameraMirrorService::Placement;
using Mode = InteractionEngine::Mode;

class TestBasicModeView : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<ServiceFixture> f;
    std::unique_ptr<CalendarFixture> cal;
    std::unique_ptr<BasicModeView> view;
    QList<Kind> passedOn;
    int advancedRequests = 0;
    int settingsRequests = 0;

    void build() {
        BasicModeView::Inputs inputs;
        inputs.clock = &f->clock;
        inputs.onAdvancedRequested = [this] { ++advancedRequests; };
        inputs.onOpenSettings = [this] { ++settingsRequests; };
        inputs.onQuickAction = [this](Kind kind) { passedOn.append(kind); };
        f->setOrganizer(&cal->service, nullptr);
        view = std::make_unique<BasicModeView>(f->services(), inputs);
        view->resize(724, 362);
        view->show();
    }

    void typeSearch(const QString& query) {
        auto* search = qobject_cast<InlineSearchPopover*>(view->inlineWidget());
        QVERIFY(search);
        search->field()->setText(query);
    }

    // A press, a move by `moved` and a release on the advanced button.
    void drag(const QPointF& moved) {
        QWidget* button = view->advancedButton();
        const QPointF start = QRectF(button->rect()).center();
        const QPointF end = start + moved;
        QMouseEvent press(QEvent::MouseButtonPress, start, button->mapToGlobal(start), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QMouseEvent move(QEvent::MouseMove, end, button->mapToGlobal(end), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, end, button->mapToGlobal(end), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(button, &press);
        QApplication::sendEvent(button, &move);
        QApplication::sendEvent(button, &release);
    }

private slots:
    void init() {
        f = std::make_unique<ServiceFixture>();
        cal = std::make_unique<CalendarFixture>();
        passedOn.clear();
        advancedRequests = 0;
        settingsRequests = 0;
        build();
    }
    void cleanup() {
        view.reset();
        cal.reset();
        f.reset();
    }

    // What the row marks: the store's kinds, corrected by what basic mode knows itself.
    void activeSet_data() {
        QTest::addColumn<QList<Kind>>("stored");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QList<Kind>>("marked");
        QTest::addColumn<bool>("inlineMirror");
        QTest::newRow("running timer, store not yet told")
            << QList<Kind>{} << "timer" << QList<Kind>{Kind::timer} << false;
        QTest::newRow("store says timer, none runs")
            << QList<Kind>{Kind::timer} << "" << QList<Kind>{} << false;
        QTest::newRow("mirror on as popover")
            << QList<Kind>{} << "mirror popover" << QList<Kind>{Kind::mirror} << false;
        QTest::newRow("mirror on inline")
            << QList<Kind>{} << "mirror inline" << QList<Kind>{Kind::mirror} << true;
        // Only "no camera found" shows: nothing is mirrored, so the button is neither lit nor checked.
        QTest::newRow("mirror on without a camera")
            << QList<Kind>{} << "mirror inline, no camera" << QList<Kind>{} << true;
        QTest::newRow("calculator open, search stored")
            << QList<Kind>{Kind::googleSearch} << "calculator" << QList<Kind>{Kind::calculator} << false;
        QTest::newRow("mute and dnd as stored")
            << QList<Kind>{Kind::muteMic, Kind::dnd} << "" << QList<Kind>{Kind::muteMic, Kind::dnd} << false;
    }
    void activeSet() {
        QFETCH(QList<Kind>, stored);
        QFETCH(QString, setup);
        QFETCH(QList<Kind>, marked);
        QFETCH(bool, inlineMirror);
        f->quickActions.setActiveKinds(QSet<Kind>(stored.begin(), stored.end()));
        if (setup == QLatin1String("timer"))
            f->timer.start(600);
        if (setup.startsWith(QLatin1String("mirror"))) {
            f->mirror.setPlacement(setup.contains(QLatin1String("inline")) ? Placement::inline_
                                                                           : Placement::popover);
            f->camera.hasDevice = !setup.endsWith(QLatin1String("no camera"));
            if (!f->camera.hasDevice)
                QTest::ignoreMessage(QtCriticalMsg, "no camera input available");
            f->mirror.toggle(f->permissionsCoordinator);
            QVERIFY(f->mirror.isActive());
        }
        if (setup == QLatin1String("calculator"))
            view->handleQuickAction(Kind::calculator);
        const QSet<Kind> expected(marked.begin(), marked.end());
        QCOMPARE(view->activeKinds(), expected);
        QCOMPARE(view->row()->activeKinds(), expected);
        for (QuickActionButton* button : view->row()->buttons())
            QCOMPARE(button->isChecked(), expected.contains(button->kind()));
        QCOMPARE(view->inlineMirror() != nullptr, inlineMirror);
        QCOMPARE(f->quickActions.activeKinds(), QSet<Kind>(stored.begin(), stored.end())); // never written
        if (inlineMirror && f->camera.hasDevice)
            QCOMPARE(view->inlineMirror()->height(), 122);
    }

    void aMirrorWithoutACameraStaysClearOfTheContent_data() {
        QTest::addColumn<Placement>("placement");
        QTest::newRow("inline") << Placement::inline_;
        QTest::newRow("popover") << Placement::popover;
    }

    // Without a camera the mirror is one line saying so: inline under the row, or as a popover on
    // the notch's strip beside it, never over the calendar and media texts.
    void aMirrorWithoutACameraStaysClearOfTheContent() {
        QFETCH(Placement, placement);
        f->camera.hasDevice = false;
        f->mirror.setPlacement(placement);
        QTest::ignoreMessage(QtCriticalMsg, "no camera input available");
        f->mirror.toggle(f->permissionsCoordinator);
        QVERIFY(f->mirror.isActive() && f->mirror.hasNoCamera());
        if (placement == Placement::inline_) {
            QVERIFY(view->inlineMirror());
            QVERIFY(view->inlineMirror()->height() <= 30);
            QCoreApplication::processEvents();
            QVERIFY(!view->inlineMirror()->geometry().intersects(view->mediaPane()->geometry()));
            QVERIFY(!view->inlineMirror()->geometry().intersects(view->calendarPane()->geometry()));
            return;
        }
        const QRectF notch(760, 0, 200, 32);
        const QRectF strip = MirrorWindowManager::popoverFrame(notch, true);
        QVERIFY(strip.left() > notch.right());
        QVERIFY(strip.bottom() <= notch.bottom() && strip.top() >= notch.top());
        // With a camera the picture is under the notch.
        QVERIFY(MirrorWindowManager::popoverFrame(notch, false).top() > notch.bottom());
    }

    void timerActionStartsOrCancels_data() {
        QTest::addColumn<double>("running");
        QTest::addColumn<bool>("runsAfter");
        QTest::addColumn<double>("total");
        QTest::newRow("none running") << 0.0 << true << 900.0;
        QTest::newRow("an hour running") << 3600.0 << false << 0.0;
    }
    void timerActionStartsOrCancels() {
        QFETCH(double, running);
        QFETCH(bool, runsAfter);
        QFETCH(double, total);
        if (running > 0)
            f->timer.start(running);
        view->handleQuickAction(Kind::timer);
        QCOMPARE(f->timer.active().has_value(), runsAfter);
        if (runsAfter)
            QCOMPARE(f->timer.active()->total, total);
        QVERIFY(passedOn.isEmpty());
    }

    // The timer's button: a click starts 15 minutes or cancels, a right click or a held press
    // opens the picker of lengths and leaves the timer as it is.
    void timerButtonClickRightClickOrHold_data() {
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<bool>("running");
        QTest::addColumn<bool>("runsAfter");
        QTest::addColumn<bool>("pickerOpen");
        QTest::newRow("click") << "click" << false << true << false;
        QTest::newRow("click while running") << "click" << true << false << false;
        QTest::newRow("right click") << "right" << false << false << true;
        QTest::newRow("right click while running") << "right" << true << true << true;
        QTest::newRow("held press") << "hold" << false << false << true;
    }
    void timerButtonClickRightClickOrHold() {
        QFETCH(QString, gesture);
        QFETCH(bool, running);
        QFETCH(bool, runsAfter);
        QFETCH(bool, pickerOpen);
        if (running)
            f->timer.start(1800);
        QuickActionButton* button = view->row()->button(Kind::timer);
        QVERIFY(button);
        QVERIFY(button->toolTip().contains(QStringLiteral("right click or hold")));
        const QPoint centre = button->rect().center();
        if (gesture == QLatin1String("click")) {
            QTest::mouseClick(button, Qt::LeftButton, {}, centre);
        } else if (gesture == QLatin1String("right")) {
            QContextMenuEvent menu(QContextMenuEvent::Mouse, centre, button->mapToGlobal(centre));
            QApplication::sendEvent(button, &menu);
        } else {
            QTest::mousePress(button, Qt::LeftButton, {}, centre);
            QTRY_VERIFY(view->inlineUtility().has_value());
            QTest::mouseRelease(button, Qt::LeftButton, {}, centre);
        }
        QCoreApplication::processEvents();
        QCOMPARE(f->timer.active().has_value(), runsAfter);
        QCOMPARE(view->inlineUtility() == Utility::timer, pickerOpen);
        QCOMPARE(qobject_cast<TimerPickerPopover*>(view->inlineWidget()) != nullptr, pickerOpen);
    }

    void otherKindsArePassedOnOnce_data() {
        QTest::addColumn<Kind>("kind");
        QTest::newRow("muteMic") << Kind::muteMic;
        QTest::newRow("dnd") << Kind::dnd;
        QTest::newRow("mirror") << Kind::mirror;
        QTest::newRow("focus") << Kind::focus;
    }
    void otherKindsArePassedOnOnce() {
        QFETCH(Kind, kind);
        view->handleQuickAction(kind);
        QCOMPARE(passedOn, QList<Kind>{kind});
        QVERIFY(!view->inlineUtility());
    }

    // A tap that does nothing says why on a line under the row, not only in the button's tooltip.
    void aQuickActionThatDoesNothingSaysSo_data() {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<bool>("microphone");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QList<Kind>>("passed");
        QTest::newRow("mute without a microphone")
            << Kind::muteMic << false << "no microphone found" << QList<Kind>{Kind::muteMic};
        QTest::newRow("mute with a microphone") << Kind::muteMic << true << "" << QList<Kind>{Kind::muteMic};
        QTest::newRow("apps with an empty batch")
            << Kind::appLauncher << true << "add apps on the apps page" << QList<Kind>{};
    }
    void aQuickActionThatDoesNothingSaysSo() {
        QFETCH(Kind, kind);
        QFETCH(bool, microphone);
        QFETCH(QString, line);
        QFETCH(QList<Kind>, passed);
        if (!microphone)
            f->audioInput.startError = AudioInput::noDeviceError();
        for (int tap = 0; tap < 2; ++tap) {
            view->handleQuickAction(kind);
            if (kind == Kind::muteMic)
                f->mic.toggle(); // what the coordinator does with the tap
        }
        QCOMPARE(view->problemLine(), line);
        QCOMPARE(passedOn.size(), passed.size() * 2);
        if (!line.isEmpty())
            QVERIFY(view->row()->button(kind)->toolTip().contains(line));
    }

    // The row stays where the pointer found it when the line saying why a tap did nothing shows
    // (it takes its room below the row) or the timer picker opens (a small card over the panel
    // just above the timer, which Escape closes).
    void theRowKeepsItsPlace_data() {
        QTest::addColumn<Kind>("tapped");
        QTest::newRow("no microphone found") << Kind::muteMic;
        QTest::newRow("no apps to open") << Kind::appLauncher;
        QTest::newRow("timer picker") << Kind::timer;
    }
    void theRowKeepsItsPlace() {
        QFETCH(Kind, tapped);
        f->audioInput.startError = AudioInput::noDeviceError();
        QuickActionButton* timer = view->row()->button(Kind::timer);
        const QPoint rowAt = view->row()->mapTo(view.get(), QPoint(0, 0));
        if (tapped == Kind::timer) {
            QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(18, 18),
                                   timer->mapToGlobal(QPoint(18, 18)));
            QApplication::sendEvent(timer, &menu);
        } else {
            view->handleQuickAction(tapped);
            if (tapped == Kind::muteMic)
                f->mic.toggle(); // what the coordinator does with the tap
        }
        QCoreApplication::processEvents();
        QCOMPARE(view->problemLine().isEmpty(), tapped == Kind::timer);
        QCOMPARE(view->row()->mapTo(view.get(), QPoint(0, 0)), rowAt);
        if (tapped != Kind::timer)
            return;
        auto* picker = qobject_cast<TimerPickerPopover*>(view->inlineWidget());
        QVERIFY(picker);
        const QRect card = picker->geometry();
        QVERIFY(std::abs(card.center().x() - timer->mapTo(view.get(), timer->rect().center()).x()) <= 1);
        QVERIFY(card.bottom() < rowAt.y() && card.bottom() > rowAt.y() - 12 && card.width() < 200);
        QTest::keyClick(picker->findChild<QAbstractButton*>(), Qt::Key_Escape);
        QVERIFY(!view->inlineUtility());
    }

    // Taps on calculator and search open, switch and close the slot; texts outlive the card.
    void inlineSlotFollowsTaps_data() {
        QTest::addColumn<QList<Kind>>("taps");
        QTest::addColumn<int>("open"); // -1 for none, else the utility
        QTest::newRow("calculator") << QList<Kind>{Kind::calculator} << int(Utility::calculator);
        QTest::newRow("calculator twice") << QList<Kind>{Kind::calculator, Kind::calculator} << -1;
        QTest::newRow("search twice") << QList<Kind>{Kind::googleSearch, Kind::googleSearch} << -1;
        QTest::newRow("calculator, then search")
            << QList<Kind>{Kind::calculator, Kind::googleSearch} << int(Utility::search);
        QTest::newRow("calculator, search, calculator")
            << QList<Kind>{Kind::calculator, Kind::googleSearch, Kind::calculator}
            << int(Utility::calculator);
    }
    void inlineSlotFollowsTaps() {
        QFETCH(QList<Kind>, taps);
        QFETCH(int, open);
        for (int i = 0; i < taps.size(); ++i) {
            view->handleQuickAction(taps.at(i));
            if (i == 0 && taps.at(i) == Kind::calculator) {
                auto* calculator = qobject_cast<InlineCalculatorPopover*>(view->inlineWidget());
                QVERIFY(calculator);
                QTest::keyClicks(calculator->field(), QStringLiteral("6*7"));
                QTest::keyClick(calculator->field(), Qt::Key_Return);
            }
        }
        QCoreApplication::processEvents();
        if (open < 0) {
            QVERIFY(!view->inlineUtility());
            QVERIFY(!view->inlineWidget());
            return;
        }
        QCOMPARE(int(*view->inlineUtility()), open);
        QVERIFY(view->inlineWidget()->isVisible());
        if (auto* calculator = qobject_cast<InlineCalculatorPopover*>(view->inlineWidget())) {
            QCOMPARE(calculator->expression(), QStringLiteral("6*7"));
            QCOMPARE(calculator->result(), QStringLiteral("42"));
            QVERIFY(calculator->field()->hasFocus() || !view->isActiveWindow());
        }
    }

    void closeButtonEmptiesTheSlot() {
        view->handleQuickAction(Kind::googleSearch);
        typeSearch(QStringLiteral("kept"));
        qobject_cast<InlineSearchPopover*>(view->inlineWidget())->closeButton()->click();
        QVERIFY(!view->inlineUtility());
        QVERIFY(!view->activeKinds().contains(Kind::googleSearch));
        view->handleQuickAction(Kind::googleSearch);
        QCOMPARE(qobject_cast<InlineSearchPopover*>(view->inlineWidget())->query(), QStringLiteral("kept"));
    }

    void webSearch_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("opened"); // empty: nothing opened, card stays
        QTest::newRow("blank") << "   \n "
                               << "";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("two words") << "hello world"
                                   << "https://www.google.com/search?q=hello%20world";
        QTest::newRow("padded") << "  hello  "
                                << "https://www.google.com/search?q=hello";
        QTest::newRow("delimiters stay words") << "c++ & a=b#x"
                                               << "https://www.google.com/search?q=c%2B%2B%20%26%20a%3Db%23x";
        QTest::newRow("non-ascii") << "café ü"
                                   << "https://www.google.com/search?q=caf%C3%A9%20%C3%BC";
        QTest::newRow("unreserved kept") << "a-b.c_d~e"
                                         << "https://www.google.com/search?q=a-b.c_d~e";
    }
    void webSearch() {
        QFETCH(QString, query);
        QFETCH(QString, opened);
        view->handleQuickAction(Kind::googleSearch);
        typeSearch(query);
        QTest::keyClick(qobject_cast<InlineSearchPopover*>(view->inlineWidget())->field(), Qt::Key_Return);
        if (opened.isEmpty()) {
            QVERIFY(f->workspace.openedUrls.isEmpty());
            QCOMPARE(view->inlineUtility(), Utility::search);
            return;
        }
        QCOMPARE(f->workspace.openedUrls.size(), 1);
        QCOMPARE(f->workspace.openedUrls.first().toString(QUrl::FullyEncoded), opened);
        QVERIFY(!view->inlineUtility());
        QCOMPARE(view->searchQuery(), query); // kept as typed
    }

    // Without a browser the card stays with the query and says so; typing again hides the line.
    void aSearchNothingOpensKeepsTheCard() {
        f->workspace.openUrlSucceeds = false;
        view->handleQuickAction(Kind::googleSearch);
        typeSearch(QStringLiteral("hello"));
        auto* search = qobject_cast<InlineSearchPopover*>(view->inlineWidget());
        QTest::keyClick(search->field(), Qt::Key_Return);
        QCOMPARE(f->workspace.openedUrls.size(), 1);
        QCOMPARE(view->inlineUtility(), Utility::search);
        QCOMPARE(search->query(), QStringLiteral("hello"));
        QCOMPARE(search->message(), QStringLiteral("nothing could open the link"));
        QTest::keyClicks(search->field(), QStringLiteral("!"));
        QCOMPARE(search->message(), QString());
        f->workspace.openUrlSucceeds = true;
    }

    void mediaColumnTakesAShareOfTheWidth_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("column");
        QTest::newRow("700") << 700 << 236;
        QTest::newRow("800") << 800 << 248;
        QTest::newRow("1000") << 1000 << 272;
    }
    void mediaColumnTakesAShareOfTheWidth() {
        QFETCH(int, width);
        QFETCH(int, column);
        view->resize(width, 362);
        QCoreApplication::processEvents();
        QCOMPARE(view->mediaPane()->width(), column);
        QVERIFY(view->calendarPane()->geometry().right() < view->mediaPane()->geometry().left());
    }

    // The advanced button opens on a click or a drag of more than 8 points down; a drag is never
    // also a click.
    void advancedButton_data() {
        QTest::addColumn<QPointF>("moved");
        QTest::addColumn<int>("opened");
        QTest::newRow("click") << QPointF(0, 0) << 1;
        QTest::newRow("9 down") << QPointF(0, 9) << 1;
        QTest::newRow("9 down, a little aside") << QPointF(3, 9) << 1;
        QTest::newRow("8 down") << QPointF(0, 8) << 0;
        QTest::newRow("9 up") << QPointF(0, -9) << 0;
        QTest::newRow("12 aside") << QPointF(12, 0) << 0;
    }
    void advancedButton() {
        QFETCH(QPointF, moved);
        QFETCH(int, opened);
        drag(moved);
        QCOMPARE(advancedRequests, opened);
        QCOMPARE(settingsRequests, 0);
        view->settingsButton()->click();
        QCOMPARE(settingsRequests, 1);
    }

    void eachAppearanceRefreshesTheCalendarOnce() {
        QCoreApplication::processEvents();
        const int perRefresh = cal->store.queries;
        QVERIFY(perRefresh > 0);
        view->hide();
        view->show();
        QCoreApplication::processEvents();
        QCOMPARE(cal->store.queries, 2 * perRefresh);
        view->hide();
        view->show();
        view->hide(); // gone again before the refresh was due
        QCoreApplication::processEvents();
        QCOMPARE(cal->store.queries, 2 * perRefresh);
    }

    void reduceMotionUsesTheShortEase() {
        QCOMPARE(view->motion().kind, BrimlarkAnimation::Kind::spring);
        f->accessibility.setReduceMotion(true);
        QCOMPARE(view->motion().kind, BrimlarkAnimation::Kind::easeInOut);
        QCOMPARE(view->motion().durationMs(), 150);
    }

    // The whole open panel in basic mode, as the root view draws it.
    void screenshots_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("state");
        QTest::newRow("event, track, timer") << "basic-event-track-timer"
                                             << "";
        QTest::newRow("calculator") << "basic-calculator"
                                    << "calculator";
        QTest::newRow("search") << "basic-search"
                                << "search";
        QTest::newRow("inline mirror") << "basic-inline-mirror"
                                       << "mirror";
        QTest::newRow("nothing on") << "basic-empty"
                                    << "empty";
        QTest::newRow("inline mirror without a camera") << "basic-inline-mirror-no-camera"
                                                        << "no camera";
    }
    void screenshots() {
        QFETCH(QString, name);
        QFETCH(QString, state);
        view.reset();
        if (state != QLatin1String("empty")) {
            cal->clock.setNow(CalendarFixture::local(9, 0));
            cal->add(QStringLiteral("e1"), QStringLiteral("Design review"), CalendarFixture::local(9, 30),
                     CalendarFixture::local(10, 15));
            MediaRemoteBridge::NowPlaying track;
            track.title = QStringLiteral("Night Drive");
            track.artist = QStringLiteral("The Lanterns");
            track.isPlaying = true;
            track.source = MediaRemoteBridge::SourceApp::spotify;
            f->media.setNowPlaying(track);
            f->clock.setNow(QDateTime::currentDateTime()); // the pane counts down on the real clock
            f->timer.start(25 * 60 + 7);
        }
        InteractionEngine engine(f->appState, &f->clock);
        RemindersService reminders(f->permissionsCoordinator);
        f->setOrganizer(&cal->service, &reminders);
        NotchRootView::Inputs inputs;
        inputs.interactionEngine = &engine;
        f->accessibility.setReduceMotion(true);
        NotchRootView root(f->services(), inputs, f->screens);
        engine.setMode(Mode::basic());
        root.resize(724, 388);
        root.show();
        auto* basic = qobject_cast<BasicModeView*>(root.modeView());
        QVERIFY(basic);
        if (state == QLatin1String("calculator")) {
            basic->handleQuickAction(Kind::calculator);
            auto* calculator = qobject_cast<InlineCalculatorPopover*>(basic->inlineWidget());
            QTest::keyClicks(calculator->field(), QStringLiteral("(12+30)*2"));
            QTest::keyClick(calculator->field(), Qt::Key_Return);
        } else if (state == QLatin1String("search")) {
            basic->handleQuickAction(Kind::googleSearch);
            qobject_cast<InlineSearchPopover*>(basic->inlineWidget())
                ->field()
                ->setText(QStringLiteral("qt widgets"));
        } else if (state == QLatin1String("mirror")) {
            f->mirror.setPlacement(Placement::inline_);
            f->mirror.toggle(f->permissionsCoordinator);
            f->camera.deliverFrame();
        } else if (state == QLatin1String("no camera")) {
            f->camera.hasDevice = false;
            f->mirror.setPlacement(Placement::inline_);
            QTest::ignoreMessage(QtCriticalMsg, "no camera input available");
            f->mirror.toggle(f->permissionsCoordinator);
        }
        QTest::qWait(250); // fades and the first refresh settle
        QVERIFY(!brimlark::test::saveScreenshot(&root, name).isEmpty() ||
                brimlark::test::screenshotDir().isEmpty());
        if (state != QLatin1String("empty"))
            QVERIFY(!qobject_cast<BasicMediaPane*>(basic->mediaPane())->timerText().isEmpty());
    }
};

BRIMLARK_TEST_MAIN(TestBasicModeView)
#include "tst_basicmodeview.moc"
