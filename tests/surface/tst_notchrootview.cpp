#include "Brimlark/aihooks/views/AIHooksView.h"
#include "Brimlark/organizer/CalendarService.h"
#include "Brimlark/organizer/RemindersService.h"
#include "Brimlark/pages/AdvancedModeView.h"
#include "Brimlark/pages/BasicModeView.h"
#include "Brimlark/shelf/FileShelfOverlay.h"
#include "Brimlark/surface/HoverTrackingView.h"
#include "Brimlark/surface/NotchRootView.h"
#include "Brimlark/surface/NotchTapCatcher.h"
#include "tests/support/Screenshot.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"

#include <QAbstractButton>
#include <QDragEnterEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>

using Mode = InteractionEngine::Mode;
using Trigger = InteractionEngine::InteractionTrigger;

class TestNotchRootView : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<ServiceFixture> f;
    std::unique_ptr<InteractionEngine> engine;
    std::unique_ptr<CalendarService> calendar;
    std::unique_ptr<RemindersService> reminders;
    std::unique_ptr<NotchRootView> view;
    bool hasStatus = false;
    int allowClicks = 0;

    void build(const QSize& size) {
        NotchRootView::Inputs inputs;
        inputs.interactionEngine = engine.get();
        inputs.hasCompactStatus = [this] { return hasStatus; };
        inputs.makeCompactStatusView = [this](QWidget* parent, bool, const QSizeF&) {
            auto* label = new QLabel(QStringLiteral("status"), parent);
            label->setObjectName(QStringLiteral("compactStatus"));
            auto* allow = new QPushButton(QStringLiteral("allow"), label);
            allow->setObjectName(QStringLiteral("allow"));
            allow->setGeometry(150, 4, 40, 24);
            connect(allow, &QPushButton::clicked, this, [this] { ++allowClicks; });
            return label;
        };
        view = std::make_unique<NotchRootView>(f->services(), inputs, f->screens);
        view->resize(size);
        view->show();
    }

    static QAbstractButton* button(QWidget* parent, const char* name) {
        for (QAbstractButton* candidate : parent->findChildren<QAbstractButton*>()) {
            if (candidate->accessibleName() == QLatin1String(name))
                return candidate;
        }
        return nullptr;
    }

    void click(QWidget* target) { QTest::mouseClick(target, Qt::LeftButton, {}, target->rect().center()); }

private slots:
    void init() {
        f = std::make_unique<ServiceFixture>();
        f->accessibility.setReduceMotion(true);
        engine = std::make_unique<InteractionEngine>(f->appState, &f->clock);
        calendar = std::make_unique<CalendarService>(f->permissionsCoordinator);
        reminders = std::make_unique<RemindersService>(f->permissionsCoordinator);
        f->setOrganizer(calendar.get(), reminders.get());
        hasStatus = false;
        build(QSize(200, 32));
    }
    void cleanup() {
        view.reset();
        reminders.reset();
        calendar.reset();
        engine.reset();
        f.reset();
    }

    void closedWithoutStatusOpensOnAClick() {
        QVERIFY(!view->modeView());
        QVERIFY(view->tapCatcher()->isCatching());
        brimlark::test::saveScreenshot(view.get(), QStringLiteral("notch-closed"));
        click(view->tapCatcher());
        QCOMPARE(engine->mode(), Mode::basic());
        QCOMPARE(engine->lastOpenTrigger(), Trigger::click);
    }

    void closedWithStatusLeavesClicksToIt() {
        hasStatus = true;
        view->refresh();
        QVERIFY(view->modeView());
        QCOMPARE(view->modeView()->objectName(), QStringLiteral("compactStatus"));
        QVERIFY(!view->tapCatcher()->isCatching());
        engine->setMode(Mode::peek());
        QVERIFY(!view->tapCatcher()->isCatching());
        QCOMPARE(view->modeView()->objectName(), QStringLiteral("compactStatus"));
        hasStatus = false;
        view->refresh();
        QVERIFY(!view->modeView());
        QVERIFY(!view->tapCatcher()->isCatching()); // peek never catches
    }

    void closedWithStatusOpensOnAClickBesideItsButtons_data() {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<bool>("opens");
        QTest::newRow("on the status") << QPoint(60, 16) << true;
        QTest::newRow("on its allow button") << QPoint(170, 16) << false;
    }
    void closedWithStatusOpensOnAClickBesideItsButtons() {
        QFETCH(QPoint, point);
        QFETCH(bool, opens);
        f->appState.setHoverToPeekEnabled(false);
        hasStatus = true;
        allowClicks = 0;
        view->refresh();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        QWidget* under = view->childAt(point);
        QVERIFY(under);
        // Through the window, as a real click: the widget under the pointer gets it first.
        QTest::mouseClick(view->windowHandle(), Qt::LeftButton, {}, point);
        QCOMPARE(engine->mode(), opens ? Mode::basic() : Mode::hidden());
        QCOMPARE(allowClicks, opens ? 0 : 1);
        if (opens)
            QCOMPARE(engine->lastOpenTrigger(), Trigger::click);
    }

    void basicModeShowsItsViewAndTheShelfArea() {
        engine->setMode(Mode::basic());
        view->resize(724, 388);
        QVERIFY(qobject_cast<BasicModeView*>(view->modeView()));
        QVERIFY(!view->tapCatcher()->isCatching());
        QVERIFY(view->shelfOverlay());
        QVERIFY(view->shelfOverlay()->testAttribute(Qt::WA_TransparentForMouseEvents));
        f->fileShelf.add(QUrl::fromLocalFile(QStringLiteral("/tmp/a.txt")));
        QVERIFY(!view->shelfOverlay()->testAttribute(Qt::WA_TransparentForMouseEvents));
        QCOMPARE(view->contentTopInset(), 26);
        brimlark::test::saveScreenshot(view.get(), QStringLiteral("notch-basic"));

        // A change of the live status leaves the open view as it is.
        QPointer<QWidget> basic = view->modeView();
        hasStatus = true;
        view->refresh();
        QCOMPARE(view->modeView(), basic.data());
        hasStatus = false;

        f->appState.setLastAdvancedPage(2);
        static_cast<BasicModeView*>(view->modeView())->inputs().onAdvancedRequested();
        QCOMPARE(engine->mode(), Mode::advanced(2));
        QCOMPARE(engine->lastOpenTrigger(), Trigger::gesture);
        QVERIFY(!view->shelfOverlay());
    }

    void advancedModeShowsThePageAndClosesThroughTheEngine() {
        engine->setMode(Mode::advanced(4));
        view->resize(720, 468);
        auto* advanced = qobject_cast<AdvancedModeView*>(view->modeView());
        QVERIFY(advanced);
        QCOMPARE(advanced->currentPage(), 4);
        QVERIFY(advanced->findChild<AIHooksView*>()); // the hooks page, not a placeholder
        QStringList texts;
        for (QLabel* label : view->findChildren<QLabel*>())
            texts.append(label->text());
        QVERIFY(texts.contains(QStringLiteral("advanced")));
        QVERIFY(texts.contains(QStringLiteral("ai hooks")));
        brimlark::test::saveScreenshot(view.get(), QStringLiteral("notch-advanced"));
        engine->setSuppressHoverActivationUntilExit(true);
        button(advanced, "Next page")->click();
        QCOMPARE(engine->mode(), Mode::advanced(5));
        advanced = qobject_cast<AdvancedModeView*>(view->modeView());
        button(advanced, "Close")->click();
        QCOMPARE(engine->mode(), Mode::hidden());
        QVERIFY(!engine->lastOpenTrigger());
        QVERIFY(!engine->suppressHoverActivationUntilExit());
        QVERIFY(view->tapCatcher()->isCatching());
    }

    void contentStartsLowerUnderAPhysicalNotch() {
        f->screens.setScreens({FakeScreens::notchedLaptop()});
        engine->setMode(Mode::basic());
        QVERIFY(view->hasPhysicalNotch());
        QCOMPARE(view->contentTopInset(), 34);
        QCOMPARE(view->currentNotchSize(), QSizeF(185, 32));
        engine->setMode(Mode::hidden());
        QCOMPARE(view->contentTopInset(), 0);
        f->screens.setScreens({}, -1, -1);
        QVERIFY(!view->hasPhysicalNotch()); // no screen: a stand-in, never a crash
        QCOMPARE(view->currentNotchSize(), QSizeF(200, 32));
    }

    void hoverTrackerReportsEntryOnlyWhileEnabled() {
        QEvent enter(QEvent::Enter);
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(view.get(), &enter);
        QVERIFY(engine->hasPendingHoverActivation());
        engine->setSuppressHoverActivationUntilExit(true);
        // Switching it off reports the pointer as gone at once.
        f->appState.setHoverToPeekEnabled(false);
        QVERIFY(!engine->hasPendingHoverActivation());
        QVERIFY(!engine->suppressHoverActivationUntilExit());
        QCoreApplication::sendEvent(view.get(), &enter);
        QVERIFY(!engine->hasPendingHoverActivation());
        engine->setSuppressHoverActivationUntilExit(true);
        QCoreApplication::sendEvent(view.get(), &leave);
        QVERIFY(!engine->suppressHoverActivationUntilExit()); // leaving is still reported
        QVERIFY(view->hoverTracker()->testAttribute(Qt::WA_TransparentForMouseEvents));
    }

    void filesDroppedOnTheBasicPanelGoToTheShelf() {
        engine->setMode(Mode::basic());
        view->resize(724, 388);
        FileShelfOverlay* overlay = view->shelfOverlay();
        QVERIFY(overlay);
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/one.txt")),
                      QUrl(QStringLiteral("https://example.org/x")),
                      QUrl::fromLocalFile(QStringLiteral("/tmp/two words.txt")),
                      QUrl::fromLocalFile(QStringLiteral("/tmp/three.pdf"))});
        // Whatever basic-mode widget is under the pointer, the drag reaches the drop area.
        const QPoint point(view->width() / 2, view->height() / 2);
        QWidget* under = view->childAt(point);
        QVERIFY(under);
        const QPoint local = under->mapFrom(view.get(), point);

        QDragEnterEvent enter(local, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(under, &enter);
        QVERIFY(enter.isAccepted());
        QVERIFY(overlay->isTargeted());
        brimlark::test::saveScreenshot(view.get(), QStringLiteral("shelf-drop-highlight"));
        QDragLeaveEvent leave;
        QApplication::sendEvent(view.get(), &leave);
        QVERIFY(!overlay->isTargeted());

        QDragEnterEvent again(local, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(under, &again);
        QDropEvent drop(QPointF(local), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(under, &drop);
        QVERIFY(drop.isAccepted());
        QVERIFY(!overlay->isTargeted());
        QCOMPARE(f->fileShelf.items().size(), 3);
        QCOMPARE(f->fileShelf.items().at(0).displayName, QStringLiteral("three.pdf"));
        QCOMPARE(f->fileShelf.items().at(2).displayName, QStringLiteral("one.txt"));

        // With files on the shelf, a click on a basic-mode button still lands on that button.
        QAbstractButton* target = nullptr;
        for (QAbstractButton* candidate : view->modeView()->findChildren<QAbstractButton*>()) {
            const QRect inView(candidate->mapTo(view.get(), QPoint(0, 0)), candidate->size());
            if (candidate->isVisible() && !overlay->summaryRow()->geometry().intersects(inView)) {
                target = candidate;
                break;
            }
        }
        QVERIFY(target);
        QWidget* hit = view->childAt(target->mapTo(view.get(), target->rect().center()));
        QVERIFY(hit == target || target->isAncestorOf(hit));
        // And the summary row takes its own clicks.
        QWidget* row = view->childAt(overlay->mapTo(view.get(), overlay->summaryRow()->geometry().center()));
        QVERIFY(row == overlay->summaryRow() || overlay->summaryRow()->isAncestorOf(row));
    }

    void filesDraggedOntoTheClosedNotchOpenIt() {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/one.txt"))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(view.get(), &enter);
        QCOMPARE(engine->mode(), Mode::basic());
        QCOMPARE(engine->lastOpenTrigger(), std::optional<Trigger>(Trigger::hover));
        QVERIFY(view->shelfOverlay() && view->shelfOverlay()->isTargeted());
        QDragLeaveEvent leave;
        QApplication::sendEvent(view.get(), &leave);
        QCOMPARE(engine->mode(), Mode::hidden());

        // A web link alone opens nothing.
        QMimeData link;
        link.setUrls({QUrl(QStringLiteral("https://example.org/"))});
        QDragEnterEvent linkEnter(QPoint(10, 10), Qt::CopyAction, &link, Qt::LeftButton, {});
        QApplication::sendEvent(view.get(), &linkEnter);
        QVERIFY(!linkEnter.isAccepted());
        QCOMPARE(engine->mode(), Mode::hidden());
    }
};

BRIMLARK_TEST_MAIN(TestNotchRootView)
#include "tst_notchrootview.moc"
