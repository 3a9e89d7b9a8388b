#include "Brimlark/aihooks/install/AIHookAccessManager.h"
#include "Brimlark/kit/BrimlarkStatusBadge.h"
#include "Brimlark/settings/onboarding/OnboardingCard.h"
#include "Brimlark/settings/onboarding/OnboardingNavigator.h"
#include "Brimlark/settings/onboarding/OnboardingView.h"
#include "tests/aihooks/views/HookViewFixture.h"
#include "tests/support/Screenshot.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"

#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QWindow>

namespace {

template <typename T> T* named(QWidget* root, const QString& name) {
    for (T* widget : root->findChildren<T*>())
        if ((widget->accessibleName() == name || widget->objectName() == name) && widget->isVisibleTo(root))
            return widget;
    return nullptr;
}

QPushButton* barButton(QWidget* root, const QString& text) {
    for (QPushButton* button : root->findChildren<QPushButton*>())
        if (button->text() == text && button->isVisibleTo(root))
            return button;
    return nullptr;
}

} // namespace

class TestOnboardingView : public QObject {
    Q_OBJECT
private slots:
    // Each row drags to every listed travel in turn, then releases at the last one or keeps holding.
    void swipe_data() {
        QTest::addColumn<int>("startStep");
        QTest::addColumn<QList<qreal>>("travels");
        QTest::addColumn<bool>("released");
        QTest::addColumn<int>("step");
        QTest::addColumn<qreal>("offset");
        QTest::newRow("under 18 points starts nothing") << 0 << QList<qreal>{-17} << false << 0 << 0.0;
        QTest::newRow("released under 18 points") << 1 << QList<qreal>{-17} << true << 1 << 0.0;
        QTest::newRow("200 to the left shows 36") << 0 << QList<qreal>{-30, -200} << false << 0 << -36.0;
        QTest::newRow("exactly 60 left") << 1 << QList<qreal>{-30, -60} << true << 1 << 0.0;
        QTest::newRow("exactly 60 right") << 1 << QList<qreal>{30, 60} << true << 1 << 0.0;
        QTest::newRow("61 left on the welcome") << 0 << QList<qreal>{-30, -61} << true << 1 << 0.0;
        QTest::newRow("61 right on a later step") << 2 << QList<qreal>{61} << true << 1 << 0.0;
        QTest::newRow("61 right on the welcome") << 0 << QList<qreal>{30, 61} << true << 0 << 0.0;
        QTest::newRow("61 left on the last step") << 3 << QList<qreal>{-30, -61} << true << 3 << 0.0;
    }
    void swipe() {
        QFETCH(int, startStep);
        QFETCH(QList<qreal>, travels);
        QFETCH(bool, released);
        OnboardingNavigator navigator(4);
        for (int i = 0; i < startStep; ++i)
            navigator.advance();
        for (qreal travel : travels)
            navigator.dragChanged(QPointF(travel, 0));
        if (released)
            navigator.dragEnded(QPointF(travels.last(), 0));
        QTEST(navigator.step(), "step");
        QTEST(navigator.offset(), "offset");
    }

    // The swipe reads the window's events without taking them: a card still takes its click.
    void swipeAndClicksGoThroughTheWindow() {
        ServiceFixture f;
        OnboardingView view(f.permissionsCoordinator, f.aiHooks, f.appState, f.defaults, {});
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QWindow* window = view.windowHandle();
        auto* card = named<OnboardingCard>(&view, QStringLiteral("full dashboard"));
        const QPoint onCard = card->mapTo(&view, card->rect().center());
        QTest::mouseClick(window, Qt::LeftButton, {}, onCard);
        QCOMPARE(f.appState.defaultOpenMode(), AppState::DefaultOpenMode::advanced);
        QCOMPARE(view.step(), 0);

        // A swipe that starts and ends on the other card moves on without choosing it.
        const QPoint start = card->mapTo(&view, card->rect().center()) - QPoint(card->width() + 8, 0);
        QTest::mousePress(window, Qt::LeftButton, {}, start);
        QTest::mouseMove(window, start - QPoint(30, 0));
        QTest::mouseMove(window, start - QPoint(70, 0));
        QCOMPARE(view.dragOffset(), -12.6);
        QTest::mouseRelease(window, Qt::LeftButton, {}, start - QPoint(70, 0));
        QCOMPARE(f.appState.defaultOpenMode(), AppState::DefaultOpenMode::advanced);
        QCOMPARE(view.step(), 1);
        QCOMPARE(view.dragOffset(), 0.0);
    }

    // The whole view, "get started" included, fits the frameless window; Ctrl+Return finishes only
    // on the last step. Writes a picture of each step.
    void windowHoldsTheViewAndFinishesOnTheLastStep() {
        ServiceFixture f;
        auto coordinator = f.makeCoordinator();
        coordinator->showOnboarding();
        QWidget* window = coordinator->onboardingWindow();
        QVERIFY(window->windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(window->size(), QSize(640, 640));
        auto* view = window->findChild<OnboardingView*>();
        QCOMPARE(view->geometry(), window->rect());
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        for (int step = 0; step < 4; ++step) {
            QTest::qWait(450); // the page's slide settles
            brimlark::test::saveScreenshot(window, QStringLiteral("onboarding-step-%1").arg(step));
            // Every card of a step shows, or the page shows that it scrolls.
            auto* page = window->findChild<QScrollArea*>(QStringLiteral("onboardingPage"));
            QVERIFY2(page->widget()->height() <= page->viewport()->height() ||
                         page->verticalScrollBar()->isVisible(),
                     qPrintable(QStringLiteral("step %1 hides its end").arg(step)));
            QTest::keyClick(window, Qt::Key_Return, Qt::ControlModifier);
            if (step == 3)
                break;
            QVERIFY(coordinator->onboardingWindow());
            QVERIFY(!f.defaults.boolValue(OnboardingView::onboardedKey));
            barButton(window, QStringLiteral("continue"))->click();
        }
        QVERIFY(!coordinator->onboardingWindow());
        QVERIFY(f.defaults.boolValue(OnboardingView::onboardedKey));
    }

    void getStartedLiesInsideTheWindow() {
        ServiceFixture f;
        auto coordinator = f.makeCoordinator();
        coordinator->showOnboarding();
        QWidget* window = coordinator->onboardingWindow();
        auto* view = window->findChild<OnboardingView*>();
        for (int i = 0; i < 3; ++i)
            view->advance();
        QPushButton* getStarted = barButton(window, QStringLiteral("get started"));
        const QRect inWindow(getStarted->mapTo(window, QPoint()), getStarted->size());
        QVERIFY(window->rect().contains(inWindow));
    }

    void showingRefreshesTheToolStatuses() {
        ServiceFixture services;
        HookViewFixture hooks;
        hooks.picker.answers = {hooks.home};
        QVERIFY(hooks.access.requestAccess(AIHookTool::claude)); // behind the service's back
        OnboardingView view(services.permissionsCoordinator, hooks.service, hooks.appState, hooks.defaults,
                            {});
        view.advance();
        view.advance();
        QWidget* claude = named<QWidget>(view.stepContent(), QStringLiteral("claudeStatus"));
        view.show();
        QVERIFY(hooks.service.hookAccessStatus().claudeGranted);
        QStringList shownLabels;
        for (BrimlarkStatusBadge* badge : claude->findChildren<BrimlarkStatusBadge*>())
            if (badge->isVisibleTo(claude))
                shownLabels << badge->label();
        QCOMPARE(shownLabels, QStringList({"access ready", "not connected"}));
        QCOMPARE(claude->accessibleName(), QStringLiteral("claude: access ready, not connected"));
        QWidget* codex = named<QWidget>(view.stepContent(), QStringLiteral("codexStatus"));
        QCOMPARE(codex->accessibleName(), QStringLiteral("codex: needs access, not connected"));
    }
};

BRIMLARK_TEST_MAIN(TestOnboardingView)
#include "tst_onboardingview.moc"
