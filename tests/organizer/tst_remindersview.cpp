#include "Brimlark/kit/BrimlarkPill.h"
#include "Brimlark/kit/PermissionDeniedView.h"
#include "Brimlark/organizer/RemindersView.h"
#include "tests/support/CalendarFixture.h"
#include "tests/support/RemindersFixture.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestMain.h"

#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

using namespace calendar_test;

// The reminders page: the card or the list, its controls, its rows and the quick-add field.
class TestRemindersView : public QObject {
    Q_OBJECT
private:
    static void settle() {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
    // The widgets on show: replaced ones are hidden until they are deleted on a later turn.
    template <typename T> static QList<T*> shown(const QWidget& view, const QString& name) {
        QList<T*> result;
        for (T* widget : view.findChildren<T*>(name)) {
            if (widget->isVisibleTo(&view))
                result.append(widget);
        }
        return result;
    }
    static QString pill(const QWidget& view) {
        const QList<BrimlarkPill*> found = shown<BrimlarkPill>(view, QStringLiteral("pendingPill"));
        return found.isEmpty() ? QString() : found.first()->label();
    }
    static QString menuLabel(const QWidget& view) {
        const QList<QToolButton*> found = shown<QToolButton>(view, QStringLiteral("listMenu"));
        return found.isEmpty() ? QString() : found.first()->text();
    }
    // A list of one completed, one overdue, one due later and one undated reminder in "work".
    static void fill(RemindersFixture& f) {
        f.add(QStringLiteral("1"), QStringLiteral("Water the plants"), f.local(8, 0));
        f.add(QStringLiteral("2"), QStringLiteral("Send the invoice"), f.local(7, 0), QStringLiteral("work"),
              true);
        f.add(QStringLiteral("3"), QStringLiteral("Call the dentist"), f.local(17, 30));
        f.add(QStringLiteral("4"), QStringLiteral("Book flights"));
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void theCardShowsWithoutAccess_data() {
        QTest::addColumn<PermissionStatus>("status");
        QTest::addColumn<bool>("card");
        QTest::newRow("unknown") << PermissionStatus::notDetermined << true;
        QTest::newRow("denied") << PermissionStatus::denied << true;
        QTest::newRow("write only") << PermissionStatus::writeOnly << true;
        QTest::newRow("granted") << PermissionStatus::authorized << false;
    }
    void theCardShowsWithoutAccess() {
        QFETCH(PermissionStatus, status);
        QFETCH(bool, card);
        RemindersFixture f;
        f.store.reminders = status;
        f.coordinator.refresh();
        RemindersView view(f.service, f.coordinator, &f.clock);
        QCOMPARE(view.findChild<PermissionDeniedView*>() != nullptr, card);
        QCOMPARE(view.shownLayout(),
                 card ? RemindersView::Layout::permission : RemindersView::Layout::reminders);
        QVERIFY(f.store.fetchedLists.isEmpty()); // nothing fetched until it shows
    }

    void controlsAndRowsFollowTheService_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("pending");
        QTest::addColumn<bool>("emptyText");
        QTest::addColumn<int>("rows");
        QTest::newRow("a list with open reminders") << "filled"
                                                    << "Work"
                                                    << "3 pending" << false << 4;
        QTest::newRow("all completed: no pill, no empty text") << "completed"
                                                               << "Work"
                                                               << "" << false << 1;
        QTest::newRow("nothing") << "nothing"
                                 << "Work"
                                 << "" << true << 0;
        QTest::newRow("no lists: no menu") << "no lists"
                                           << ""
                                           << "" << true << 0;
        QTest::newRow("a stale selection reads all lists") << "stale"
                                                           << "all lists"
                                                           << "1 pending" << false << 1;
    }
    void controlsAndRowsFollowTheService() {
        QFETCH(QString, setup);
        QFETCH(QString, menu);
        QFETCH(QString, pending);
        QFETCH(bool, emptyText);
        QFETCH(int, rows);
        RemindersFixture f;
        if (setup == QLatin1String("filled"))
            fill(f);
        else if (setup == QLatin1String("completed"))
            f.add(QStringLiteral("d"), QStringLiteral("Done"), {}, QStringLiteral("work"), true);
        else if (setup == QLatin1String("no lists"))
            f.store.lists.clear();
        else if (setup == QLatin1String("stale")) {
            f.add(QStringLiteral("h"), QStringLiteral("Home thing"), {}, QStringLiteral("home"));
            f.service.setSelectedListID(QStringLiteral("gone"));
        }
        RemindersView view(f.service, f.coordinator, &f.clock);
        f.service.refresh();
        settle();
        QCOMPARE(menuLabel(view), menu);
        QCOMPARE(view.selectedListTitle(), menu.isEmpty() ? QStringLiteral("all lists") : menu);
        QCOMPARE(pill(view), pending);
        QCOMPARE(shown<QLabel>(view, QStringLiteral("emptyText")).size(), emptyText ? 1 : 0);
        QCOMPARE(shown<QWidget>(view, QStringLiteral("reminderRow")).size(), rows);
    }

    void completedTitlesAreStruckAndPastDatesWarn() {
        RemindersFixture f;
        fill(f);
        RemindersView view(f.service, f.coordinator, &f.clock);
        f.service.refresh();
        settle();
        QStringList struck;
        for (const QLabel* title : shown<QLabel>(view, QStringLiteral("reminderTitle"))) {
            if (title->font().strikeOut())
                struck.append(title->text());
        }
        QCOMPARE(struck, QStringList{"Send the invoice"});
        // 08:00 is past and open; 07:00 is past but completed; 17:30 is ahead.
        QCOMPARE(shown<QLabel>(view, QStringLiteral("overdue")).size(), 1);
        QCOMPARE(shown<QLabel>(view, QStringLiteral("due")).size(), 2);
    }

    void choosingAListSelectsItThenRefreshes() {
        RemindersFixture f;
        fill(f);
        f.add(QStringLiteral("h"), QStringLiteral("Home thing"), {}, QStringLiteral("home"));
        RemindersView view(f.service, f.coordinator, &f.clock);
        f.service.refresh();
        settle();
        f.store.fetchedLists.clear();
        view.selectList(f.store.lists.at(1));
        QCOMPARE(f.service.selectedListID(), std::optional<QString>(QStringLiteral("home")));
        QCOMPARE(menuLabel(view), QStringLiteral("Home"));
        settle();
        QCOMPARE(f.store.fetchedLists, QStringList{"home"});
        QCOMPARE(f.ids(), QStringList{"h"});
        view.selectList(f.store.lists.at(1)); // the same list again still refreshes
        settle();
        QCOMPARE(f.store.fetchedLists, (QStringList{"home", "home"}));
    }

    void quickAddFromTheField_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("saveError");
        QTest::addColumn<QStringList>("saves");
        QTest::addColumn<QString>("fieldAfter");
        QTest::addColumn<QString>("errorLine");
        QTest::newRow("trimmed, field emptied") << "  milk "
                                                << "" << QStringList{"add:work:milk"} << ""
                                                << "";
        QTest::newRow("only spaces: nothing, the spaces stay") << "   "
                                                               << "" << QStringList{} << "   "
                                                               << "";
        QTest::newRow("a failed save gives the text back")
            << "  milk "
            << "Could not save: Disk FULL" << QStringList{"add:work:milk"} << "milk"
            << "could not save: Disk FULL";
        QTest::newRow("a path in the error stays as it is")
            << "milk"
            << "The reminder file /home/Ann/Calendars/Todo.ics could not be saved: Permission denied"
            << QStringList{"add:work:milk"} << "milk"
            << "the reminder file /home/Ann/Calendars/Todo.ics could not be saved: Permission denied";
    }
    void quickAddFromTheField() {
        QFETCH(QString, typed);
        QFETCH(QString, saveError);
        QFETCH(QStringList, saves);
        QFETCH(QString, fieldAfter);
        QFETCH(QString, errorLine);
        RemindersFixture f;
        RemindersView view(f.service, f.coordinator, &f.clock);
        f.service.refresh();
        settle();
        f.store.saveError = saveError;
        if (!saveError.isEmpty())
            QTest::ignoreMessage(QtCriticalMsg, qPrintable(QStringLiteral("quick add failed: ") + saveError));
        auto* field = view.findChild<QLineEdit*>(QStringLiteral("quickAdd"));
        QVERIFY(field);
        field->setText(typed);
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(f.store.saves, saves);
        QCOMPARE(view.draft(), fieldAfter);
        QCOMPARE(view.errorText(), errorLine);
        if (!saveError.isEmpty()) {
            // The line stays until a quick add succeeds.
            f.store.saveError.clear();
            QTest::keyClick(field, Qt::Key_Return);
            QCOMPARE(view.errorText(), QString());
            QCOMPARE(view.draft(), QString());
        }
    }

    void theRowButtonTogglesTheItemItShows() {
        RemindersFixture f;
        fill(f);
        RemindersView view(f.service, f.coordinator, &f.clock);
        f.service.refresh();
        settle();
        for (QAbstractButton* button : view.findChildren<QAbstractButton*>()) {
            if (button->accessibleName() == QLatin1String("Mark Send the invoice incomplete"))
                button->click();
        }
        settle();
        QCOMPARE(f.store.saves, QStringList{"2:open"});
    }

    void screenshots() {
        if (brimlark::test::screenshotDir().isEmpty())
            QSKIP("BRIMLARK_SCREENSHOT_DIR is not set");
        const QSize size(560, 330);
        RemindersFixture f;
        fill(f);
        {
            std::unique_ptr<QWidget> host(
                darkHost(new RemindersView(f.service, f.coordinator, &f.clock), size));
            f.service.refresh();
            settle();
            QVERIFY(
                !brimlark::test::saveScreenshot(host.get(), QStringLiteral("reminders-page-list")).isEmpty());
        }
        {
            auto* view = new RemindersView(f.service, f.coordinator, &f.clock);
            std::unique_ptr<QWidget> host(darkHost(view, size));
            f.store.saveError = QStringLiteral("The reminder could not be saved in /home/ana/.local/share/"
                                               "com.brimlark.app/calendars/work: No space left on device");
            QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(QStringLiteral("^quick add failed: ")));
            view->setDraft(QStringLiteral("  milk "));
            view->submitDraft();
            QVERIFY(
                !brimlark::test::saveScreenshot(host.get(), QStringLiteral("reminders-page-quick-add-failed"))
                     .isEmpty());
        }
        f.store.storedReminders.clear();
        f.service.refresh();
        settle();
        {
            std::unique_ptr<QWidget> host(
                darkHost(new RemindersView(f.service, f.coordinator, &f.clock), size));
            QVERIFY(!brimlark::test::saveScreenshot(host.get(), QStringLiteral("reminders-page-empty"))
                         .isEmpty());
        }
        f.store.reminders = PermissionStatus::denied;
        f.coordinator.refresh();
        {
            std::unique_ptr<QWidget> host(
                darkHost(new RemindersView(f.service, f.coordinator, &f.clock), size));
            QVERIFY(!brimlark::test::saveScreenshot(host.get(), QStringLiteral("reminders-page-permission"))
                         .isEmpty());
        }
    }
};

BRIMLARK_TEST_MAIN(TestRemindersView)
#include "tst_remindersview.moc"
