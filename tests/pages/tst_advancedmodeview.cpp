#include "Brimlark/aihooks/views/AIHooksView.h"
#include "Brimlark/apps/AppLauncherView.h"
#include "Brimlark/core/NotchSafeTopRegion.h"
#include "Brimlark/organizer/CalendarService.h"
#include "Brimlark/organizer/CalendarView.h"
#include "Brimlark/organizer/RemindersService.h"
#include "Brimlark/pages/AdvancedModeView.h"
#include "Brimlark/pages/BasicModeView.h"
#include "Brimlark/pages/PageIndicator.h"
#include "Brimlark/surface/NotchRootView.h"
#include "tests/support/Screenshot.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

using Mode = InteractionEngine::Mode;
using Trigger = InteractionEngine::InteractionTrigger;

class TestAdvancedModeView : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<ServiceFixture> f;
    std::unique_ptr<InteractionEngine> engine;
    std::unique_ptr<CalendarService> calendar;
    std::unique_ptr<RemindersService> reminders;
    std::unique_ptr<NotchRootView> root;

    AdvancedModeView::Inputs inputs(int page) {
        AdvancedModeView::Inputs in;
        in.interactionEngine = engine.get();
        in.notchSize = QSizeF(200, 32);
        in.page = page;
        return in;
    }

    // The real panel body, opened on `page`.
    AdvancedModeView* openPanel(int page) {
        NotchRootView::Inputs in;
        in.interactionEngine = engine.get();
        root = std::make_unique<NotchRootView>(f->services(), in, f->screens);
        engine->setMode(Mode::advanced(page));
        root->resize(720, 468);
        root->show();
        return shown();
    }
    AdvancedModeView* shown() const { return qobject_cast<AdvancedModeView*>(root->modeView()); }

    static QAbstractButton* button(QWidget* parent, const QString& name) {
        for (QAbstractButton* candidate : parent->findChildren<QAbstractButton*>()) {
            if (candidate->accessibleName() == name)
                return candidate;
        }
        return nullptr;
    }

    static void sendKey(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers, bool autoRepeat) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, QString(), autoRepeat);
        QApplication::sendEvent(target, &press);
    }

private slots:
    void init() {
        f = std::make_unique<ServiceFixture>();
        f->accessibility.setReduceMotion(true);
        engine = std::make_unique<InteractionEngine>(f->appState, &f->clock);
        calendar = std::make_unique<CalendarService>(f->permissionsCoordinator);
        reminders = std::make_unique<RemindersService>(f->permissionsCoordinator);
        f->setOrganizer(calendar.get(), reminders.get());
    }
    void cleanup() {
        root.reset();
        reminders.reset();
        calendar.reset();
        engine.reset();
        f.reset();
    }

    // A page handed in directly is clamped for the content and title, never for the dots.
    void givenPageIsClampedForTheContent_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("title");
        QTest::newRow("9") << 9 << "file shelf";
        QTest::newRow("-1") << -1 << "notes";
        QTest::newRow("calendar") << 1 << "calendar";
        QTest::newRow("ai hooks") << 4 << "ai hooks";
        QTest::newRow("apps") << 3 << "apps";
    }
    void givenPageIsClampedForTheContent() {
        QFETCH(int, page);
        QFETCH(QString, title);
        AdvancedModeView view(f->services(), inputs(page));
        view.resize(720, 442);
        QCOMPARE(view.shownTitle(), title);
        QCOMPARE(view.pageIndicator()->current(), page);
        QCOMPARE(view.findChild<AIHooksView*>() != nullptr, title == QLatin1String("ai hooks"));
        QCOMPARE(view.findChild<CalendarView*>() != nullptr, title == QLatin1String("calendar"));
        QCOMPARE(view.findChild<AppLauncherView*>() != nullptr, title == QLatin1String("apps"));
    }

    void storedPageOpensModuloTheCount_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("title");
        QTest::newRow("9") << 9 << "apps";
        QTest::newRow("-1") << -1 << "file shelf";
        QTest::newRow("2") << 2 << "reminders";
    }
    void storedPageOpensModuloTheCount() {
        QFETCH(int, stored);
        QFETCH(QString, title);
        openPanel(0);
        engine->setMode(Mode::basic());
        f->appState.setLastAdvancedPage(stored);
        qobject_cast<BasicModeView*>(root->modeView())->inputs().onAdvancedRequested();
        QVERIFY(shown());
        QCOMPARE(shown()->shownTitle(), title);
        QCOMPARE(engine->lastOpenTrigger(), Trigger::gesture);
    }

    void headerButtonsWrapAround_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("after");
        QTest::newRow("previous on notes") << 0 << "Previous page" << 5;
        QTest::newRow("next on the shelf") << 5 << "Next page" << 0;
        QTest::newRow("next on calendar") << 1 << "Next page" << 2;
    }
    void headerButtonsWrapAround() {
        QFETCH(int, page);
        QFETCH(QString, button);
        QFETCH(int, after);
        AdvancedModeView* view = openPanel(page);
        engine->setLastOpenTrigger(Trigger::hover);
        this->button(view, button)->click();
        QCOMPARE(engine->mode(), Mode::advanced(after));
        QCOMPARE(f->appState.lastAdvancedPage(), after);
        QCOMPARE(shown(), view); // the view stays and slides the page in
        QCOMPARE(view->currentPage(), after);
        QCOMPARE(view->pageIndicator()->current(), after);
        QCOMPARE(engine->lastOpenTrigger(), Trigger::hover); // paging is no new opening
    }

    // Ctrl+arrows page, also under auto-repeat and ahead of a focused editor; plain arrows reach it.
    void keyboardPaging() {
        AdvancedModeView* view = openPanel(0);
        auto* editor = new QLineEdit(QStringLiteral("abcdef"), view->pageContent());
        editor->setCursorPosition(0);
        sendKey(editor, Qt::Key_Right, Qt::NoModifier, false);
        QCOMPARE(editor->cursorPosition(), 1);
        QCOMPARE(engine->mode(), Mode::advanced(0));

        sendKey(editor, Qt::Key_Right, Qt::ControlModifier, false);
        QCOMPARE(engine->mode(), Mode::advanced(1));
        QCOMPARE(editor->cursorPosition(), 1); // the editor never saw it
        for (int repeat = 0; repeat < 3; ++repeat)
            sendKey(view, Qt::Key_Right, Qt::ControlModifier, true);
        QCOMPARE(engine->mode(), Mode::advanced(4));
        sendKey(view, Qt::Key_Left, Qt::ControlModifier, true);
        QCOMPARE(engine->mode(), Mode::advanced(3));
        sendKey(view, Qt::Key_Left, Qt::NoModifier, false);
        QCOMPARE(engine->mode(), Mode::advanced(3));

        // Keys of widgets outside the view are none of its business.
        QLineEdit outside(QStringLiteral("xyz"));
        outside.setCursorPosition(3);
        sendKey(&outside, Qt::Key_Left, Qt::ControlModifier, false);
        QCOMPARE(engine->mode(), Mode::advanced(3));
    }

    // A page paged back to is the one left, not a new one; paging on before a slide ends leaves
    // one page shown, whole and in place, once it does.
    void pagesAreKeptAndOneIsShown_data() {
        QTest::addColumn<bool>("reduceMotion");
        QTest::newRow("sliding") << false;
        QTest::newRow("reduce motion") << true;
    }
    void pagesAreKeptAndOneIsShown() {
        QFETCH(bool, reduceMotion);
        f->accessibility.setReduceMotion(reduceMotion);
        AdvancedModeView* view = openPanel(0);
        QWidget* notes = view->pageContent();
        auto* draft = new QLineEdit(notes);
        draft->setText(QStringLiteral("kept"));
        for (int step = 0; step < 3; ++step)
            engine->nextPage(6);
        for (int step = 0; step < 4; ++step)
            engine->previousPage(6);
        QCOMPARE(engine->mode(), Mode::advanced(5));
        engine->nextPage(6);
        QCOMPARE(view->pageContent(), notes);
        QCOMPARE(draft->text(), QStringLiteral("kept"));
        QCOMPARE(view->findChildren<CalendarView*>().size(), 1);

        QWidget* host = notes->parentWidget();
        QTRY_VERIFY(!notes->graphicsEffect());
        QList<QWidget*> shownPages;
        for (QWidget* page : host->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (page->isVisible())
                shownPages.append(page);
        }
        QCOMPARE(shownPages, QList<QWidget*>{notes});
        QCOMPARE(notes->geometry(), host->rect());
        QCOMPARE(notes->testAttribute(Qt::WA_TransparentForMouseEvents), false);
        if (!reduceMotion)
            brimlark::test::saveScreenshot(root.get(), QStringLiteral("advanced-0-notes-paged-back"));
    }

    // A dot reports its position, also from within its slop; the view clamps and opens it as a
    // gesture, even when it is already the page.
    void dotTaps_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("dot");
        QTest::addColumn<QPoint>("offset"); // from the dot's centre
        QTest::addColumn<int>("after");
        QTest::newRow("current page") << 2 << 2 << QPoint(0, 0) << 2;
        QTest::newRow("another page") << 0 << 4 << QPoint(0, 0) << 4;
        QTest::newRow("within the slop") << 0 << 3 << QPoint(6, 0) << 3;
    }
    void dotTaps() {
        QFETCH(int, page);
        QFETCH(int, dot);
        QFETCH(QPoint, offset);
        QFETCH(int, after);
        AdvancedModeView* view = openPanel(page);
        engine->setLastOpenTrigger(Trigger::shortcut);
        QAbstractButton* target = view->pageIndicator()->dots().at(dot);
        QTest::mouseClick(target, Qt::LeftButton, {}, target->rect().center() + offset);
        QCOMPARE(engine->mode(), Mode::advanced(after));
        QCOMPARE(engine->lastOpenTrigger(), Trigger::gesture);
    }

    void selectPageClamps_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("after");
        QTest::newRow("9") << 9 << 5;
        QTest::newRow("-3") << -3 << 0;
    }
    void selectPageClamps() {
        QFETCH(int, index);
        QFETCH(int, after);
        AdvancedModeView* view = openPanel(2);
        view->selectPage(index);
        QCOMPARE(engine->mode(), Mode::advanced(after));
    }

    void headerHeightFollowsTheNotch_data() {
        QTest::addColumn<bool>("notched");
        QTest::addColumn<double>("notchHeight");
        QTest::addColumn<int>("height");
        // The least height: the notch's, and always what the two lines of titles need.
        QTest::newRow("no notch") << false << 32.0 << 28;
        QTest::newRow("32-point notch") << true << 32.0 << 42;
        QTest::newRow("38-point notch") << true << 38.0 << 48;
    }
    void headerHeightFollowsTheNotch() {
        QFETCH(bool, notched);
        QFETCH(double, notchHeight);
        QFETCH(int, height);
        AdvancedModeView::Inputs in = inputs(0);
        in.hasPhysicalNotch = notched;
        in.notchSize = QSizeF(185, notchHeight);
        AdvancedModeView view(f->services(), in);
        view.resize(720, 434);
        view.show();
        QVERIFY(view.header()->height() >= height);
        QCOMPARE(view.header()->hasPhysicalNotch(), notched);
        // Every label of the header shows whole, descenders included.
        for (QLabel* label : view.header()->findChildren<QLabel*>()) {
            if (label->text().isEmpty())
                continue;
            const QRect shown(label->mapTo(view.header(), QPoint(0, 0)), label->size());
            QVERIFY2(view.header()->rect().contains(shown), qPrintable(label->text()));
            QVERIFY2(label->height() >= label->sizeHint().height(), qPrintable(label->text()));
        }
    }

    // The pill is centred on the current position, wherever that is: it is never clamped.
    void pillSpan_data() {
        QTest::addColumn<int>("current");
        for (int current : {0, 1, 5, 9, -1})
            QTest::newRow(qPrintable(QString::number(current))) << current;
    }
    void pillSpan() {
        QFETCH(int, current);
        PageIndicator indicator({AdvancedPage::notes, AdvancedPage::calendar, AdvancedPage::reminders,
                                 AdvancedPage::apps, AdvancedPage::aiHooks, AdvancedPage::shelf},
                                0, {}, 5, 16, 8);
        indicator.setCurrent(current);
        QCOMPARE(indicator.pillRect().left(), 13.0 * current - 5.5);
        QCOMPARE(indicator.pillRect().right(), 13.0 * current + 10.5);
        QCOMPARE(indicator.pillRect().height(), 6.0);
        QCOMPARE(indicator.dots().size(), 6);
        QCOMPARE(indicator.dots().at(4)->accessibleName(), QStringLiteral("ai hooks"));
    }

    void reduceMotionUsesTheShortEase() {
        AdvancedModeView view(f->services(), inputs(0));
        QCOMPARE(view.motion().kind, BrimlarkAnimation::Kind::easeInOut);
        QCOMPARE(view.motion().durationMs(), 150);
        f->accessibility.setReduceMotion(false);
        QCOMPARE(view.motion().kind, BrimlarkAnimation::Kind::spring);
    }

    // The whole open panel on each page.
    void screenshots_data() {
        QTest::addColumn<int>("page");
        for (int page = 0; page < 6; ++page)
            QTest::newRow(qPrintable(QString::number(page))) << page;
    }
    void screenshots() {
        QFETCH(int, page);
        openPanel(page);
        QTest::qWait(50);
        const QString name =
            QStringLiteral("advanced-%1-%2")
                .arg(page)
                .arg(AdvancedPages::title(static_cast<AdvancedPage>(page)).replace(' ', '-'));
        brimlark::test::saveScreenshot(root.get(), name);
        QCOMPARE(shown()->currentPage(), page);
    }
};

BRIMLARK_TEST_MAIN(TestAdvancedModeView)
#include "tst_advancedmodeview.moc"
