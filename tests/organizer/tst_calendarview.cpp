#include "Brimlark/kit/PermissionDeniedView.h"
#include "Brimlark/organizer/BasicCalendarPane.h"
#include "Brimlark/organizer/CalendarView.h"
#include "tests/support/CalendarFixture.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestMain.h"

#include <QLocale>
#include <QSignalSpy>

using namespace calendar_test;

// The calendar page: its three layouts, its texts and when it asks for fresh data.
class TestCalendarView : public QObject {
    Q_OBJECT
private:
    static CalendarItem itemAt(const QDateTime& start, qint64 seconds, bool allDay = false) {
        CalendarItem item;
        item.id = QStringLiteral("x");
        item.title = QStringLiteral("Team Sync");
        item.startDate = start;
        item.endDate = start.addSecs(seconds);
        item.isAllDay = allDay;
        return item;
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // The countdowns of the page and of the basic pane, and the time line they share.
    void texts_data() {
        QTest::addColumn<QString>("builder");
        QTest::addColumn<qint64>("startsIn");
        QTest::addColumn<qint64>("lasts");
        QTest::addColumn<bool>("allDay");
        QTest::addColumn<QString>("text");
        const QStringList page{"59", "60", "3599", "3600", "7200", "86400", "172800"};
        const QStringList pageTexts{"in 59 sec", "in 1 min", "in 59 min", "in 1 hr",
                                    "in 2 hrs",  "in 1 day", "in 2 days"};
        for (int i = 0; i < page.size(); ++i)
            QTest::addRow("countdown %s", qPrintable(page[i]))
                << "countdown" << page[i].toLongLong() << qint64(600) << false << pageTexts[i];
        QTest::newRow("countdown under way")
            << "countdown" << qint64(-60) << qint64(600) << false << "happening now";
        QTest::newRow("countdown at start")
            << "countdown" << qint64(0) << qint64(600) << false << "happening now";
        QTest::newRow("countdown ended, not yet refreshed")
            << "countdown" << qint64(-900) << qint64(600) << false << "in 0 sec";
        QTest::newRow("pane 3599") << "pane" << qint64(3599) << qint64(600) << false << "in 59 min";
        QTest::newRow("pane 3600") << "pane" << qint64(3600) << qint64(600) << false << "in 1 hr";
        QTest::newRow("pane 10740") << "pane" << qint64(10740) << qint64(600) << false << "in 2 hr";
        QTest::newRow("pane ended") << "pane" << qint64(-900) << qint64(600) << false << "in 0 min";
        QTest::newRow("pane at start") << "pane" << qint64(0) << qint64(600) << false << "now";
        QTest::newRow("pane at end") << "pane" << qint64(-600) << qint64(600) << false << "now";
        QTest::newRow("time all day") << "time" << qint64(0) << qint64(86400) << true << "all day";
        QTest::newRow("time range") << "time" << qint64(1800) << qint64(1800) << false
                                    << "9:30 AM – 10:00 AM";
        QTest::newRow("time past midnight")
            << "time" << qint64(14 * 3600) << qint64(3 * 3600) << false << "11:00 PM – 2:00 AM";
    }
    void texts() {
        QFETCH(QString, builder);
        QFETCH(qint64, startsIn);
        QFETCH(qint64, lasts);
        QFETCH(bool, allDay);
        QFETCH(QString, text);
        const QDateTime now = CalendarFixture::local(9, 0);
        const CalendarItem item = itemAt(now.addSecs(startsIn), lasts, allDay);
        QString shown;
        if (builder == QLatin1String("countdown"))
            shown = CalendarView::countdownText(item, now);
        else if (builder == QLatin1String("pane"))
            shown = BasicCalendarPane::texts(item, now).label;
        else
            shown = CalendarView::timeText(item);
        // Newer locale data puts a narrow no-break space before AM and PM.
        shown.replace(QChar(0x202F), QLatin1Char(' '));
        QCOMPARE(shown, text);
    }

    void theLayoutFollowsAccessAndTodaysEvents_data() {
        QTest::addColumn<PermissionStatus>("status");
        QTest::addColumn<QString>("events");
        QTest::addColumn<int>("layout");
        QTest::addColumn<bool>("card");
        QTest::newRow("write only") << PermissionStatus::writeOnly << "today"
                                    << int(CalendarView::Layout::permission) << false;
        QTest::newRow("unknown") << PermissionStatus::notDetermined << "today"
                                 << int(CalendarView::Layout::permission) << false;
        QTest::newRow("only tomorrow")
            << PermissionStatus::authorized << "tomorrow" << int(CalendarView::Layout::empty) << false;
        QTest::newRow("all over today")
            << PermissionStatus::authorized << "over" << int(CalendarView::Layout::events) << false;
        QTest::newRow("next today") << PermissionStatus::authorized << "today"
                                    << int(CalendarView::Layout::events) << true;
    }
    void theLayoutFollowsAccessAndTodaysEvents() {
        QFETCH(PermissionStatus, status);
        QFETCH(QString, events);
        QFETCH(int, layout);
        QFETCH(bool, card);
        CalendarFixture f;
        if (events == QLatin1String("tomorrow"))
            f.add(QStringLiteral("t"), QStringLiteral("Early flight"), f.local(7, 0, 0, 1),
                  f.local(9, 0, 0, 1));
        else if (events == QLatin1String("over"))
            f.add(QStringLiteral("o"), QStringLiteral("Breakfast"), f.local(7, 0), f.local(8, 0));
        else
            f.add(QStringLiteral("n"), QStringLiteral("Standup"), f.local(9, 15), f.local(9, 30));
        f.store.events = status;
        f.coordinator.refresh();
        f.service.refresh();
        CalendarView view(f.service, f.coordinator);
        QCOMPARE(int(view.shownLayout()), layout);
        QCOMPARE(view.findChild<QWidget*>(QStringLiteral("nextEvent")) != nullptr, card);
        QCOMPARE(view.findChild<PermissionDeniedView*>() != nullptr,
                 layout == int(CalendarView::Layout::permission));
    }

    void layoutsWithAccessRefreshWhenTheyAppear() {
        CalendarFixture f;
        f.add(QStringLiteral("n"), QStringLiteral("Standup"), f.local(9, 15), f.local(9, 30));
        f.service.refresh();
        f.store.queries = 0;
        std::unique_ptr<QWidget> host(darkHost(new CalendarView(f.service, f.coordinator), QSize(520, 300)));
        QCOMPARE(f.store.queries, 0); // built, not yet on screen
        host->show();
        QTRY_COMPARE(f.store.queries, 2); // one refresh: the day and the next 48 hours
        QCOMPARE(host->findChild<CalendarView*>()->shownLayout(), CalendarView::Layout::events);
        QTest::qWait(20);
        QCOMPARE(f.store.queries, 2); // the refresh's own publication starts no other
    }

    void allowAsksForAccessThenRefreshes() {
        CalendarFixture f;
        f.store.events = PermissionStatus::notDetermined;
        f.coordinator.refresh();
        f.add(QStringLiteral("n"), QStringLiteral("Standup"), f.local(9, 15), f.local(9, 30));
        CalendarView view(f.service, f.coordinator);
        QCOMPARE(buttonTexts(&view), (QStringList{"allow", "open system settings"}));
        for (QAbstractButton* button : view.findChildren<QAbstractButton*>()) {
            if (button->text() == QLatin1String("allow"))
                button->click();
        }
        QCOMPARE(f.store.requests, 1);
        QCOMPARE(view.shownLayout(), CalendarView::Layout::events);
        QCOMPARE(f.service.nextEvent()->id, QStringLiteral("n"));
    }

    // The card's "open" and "join", the row and the row's "join" mark; what the row says when
    // nothing opens what it was asked to.
    void cardAndRowsOpenAndJoin_data() {
        QTest::addColumn<bool>("applications");
        QTest::addColumn<QString>("clicked");
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<int>("calendars");
        QTest::addColumn<QString>("said");
        const QList<QUrl> link{QUrl(QStringLiteral("https://acme.zoom.us/j/77"))};
        QTest::newRow("every button") << true << "*" << (link + link) << 2 << "";
        QTest::newRow("the row's join mark opens the link") << true << "row join" << link << 0 << "";
        QTest::newRow("the rest of the row opens the calendar") << true << "row" << QList<QUrl>{} << 1 << "";
        QTest::newRow("no calendar application")
            << false << "row" << QList<QUrl>{} << 1 << "no application opens calendar files";
        QTest::newRow("no browser") << false << "row join" << link << 0 << "no application opens links";
    }
    void cardAndRowsOpenAndJoin() {
        QFETCH(bool, applications);
        QFETCH(QString, clicked);
        QFETCH(QList<QUrl>, urls);
        QFETCH(int, calendars);
        QFETCH(QString, said);
        CalendarFixture f;
        f.workspace.openUrlSucceeds = applications;
        f.workspace.defaultApplicationLaunch = {
            applications ? Workspace::Launch::Outcome::launched : Workspace::Launch::Outcome::notFound, {}};
        EventStore::Event& call =
            f.add(QStringLiteral("c"), QStringLiteral("Design Review"), f.local(9, 20), f.local(10, 0));
        call.location = QStringLiteral("https://acme.zoom.us/j/77");
        f.service.refresh();
        CalendarView view(f.service, f.coordinator);
        QCOMPARE(buttonTexts(&view), (QStringList{"open", "join", "Design Review", "join"}));
        QVERIFY(labelTexts(&view).contains(QStringLiteral("design review")));
        const QList<QAbstractButton*> buttons = view.findChildren<QAbstractButton*>();
        QAbstractButton* row = buttons.at(2);
        QAbstractButton* rowJoin = buttons.at(3);
        if (clicked == QLatin1String("*")) {
            for (QAbstractButton* button : buttons)
                button->click();
        } else {
            (clicked == QLatin1String("row") ? row : rowJoin)->click();
        }
        QCOMPARE(f.workspace.openedUrls, urls);
        QCOMPARE(f.workspace.openedDefaultApplications.size(), calendars);
        const QLabel* problem = row->findChild<QLabel*>(QStringLiteral("openProblem"));
        QCOMPARE(problem->isVisibleTo(row) ? problem->text() : QString(), said);
    }

    void filesThatCouldNotBeReadAreNamed_data() {
        QTest::addColumn<bool>("eventsToday");
        QTest::newRow("beside today's events") << true;
        QTest::newRow("on an empty day") << false;
    }
    void filesThatCouldNotBeReadAreNamed() {
        QFETCH(bool, eventsToday);
        CalendarFixture f;
        if (eventsToday)
            f.add(QStringLiteral("n"), QStringLiteral("Standup"), f.local(9, 15), f.local(9, 30));
        f.store.unreadableFiles = {
            {QStringLiteral("work"), QStringLiteral("/c/work/notes.ics"),
             QStringLiteral("it is not iCalendar")},
            {QStringLiteral("work"), QStringLiteral("/c/work/photo.ics"),
             QStringLiteral("it is not iCalendar")},
            {QStringLiteral("home"), QStringLiteral("/c/home/empty.ics"), QStringLiteral("it is empty")}};
        CalendarView view(f.service, f.coordinator);
        f.service.refresh();
        const QStringList labels = labelTexts(&view);
        for (const QString& line :
             {QStringLiteral("2 files in work could not be read"), QStringLiteral("notes.ics, photo.ics"),
              QStringLiteral("1 file in home could not be read"), QStringLiteral("empty.ics")})
            QVERIFY2(labels.contains(line), qPrintable(labels.join(QLatin1Char('|'))));
        const QWidget* notice = view.findChild<QWidget*>(QStringLiteral("unreadableFiles"));
        QVERIFY(notice);
        QVERIFY(notice->findChild<QLabel*>()->toolTip().contains(
            QStringLiteral("/c/work/photo.ics: it is not iCalendar")));

        // Once the files are mended the notice goes.
        f.store.unreadableFiles.clear();
        f.service.refresh();
        QTRY_VERIFY(!view.findChild<QWidget*>(QStringLiteral("unreadableFiles")));
    }

    void screenshots() {
        if (brimlark::test::screenshotDir().isEmpty())
            QSKIP("BRIMLARK_SCREENSHOT_DIR is not set");
        CalendarFixture f;
        f.store.events = PermissionStatus::denied;
        f.coordinator.refresh();
        {
            std::unique_ptr<QWidget> host(
                darkHost(new CalendarView(f.service, f.coordinator), QSize(560, 300)));
            QVERIFY(!brimlark::test::saveScreenshot(host.get(), QStringLiteral("calendar-page-permission"))
                         .isEmpty());
        }
        f.store.events = PermissionStatus::authorized;
        f.coordinator.refresh();
        f.service.refresh();
        {
            std::unique_ptr<QWidget> host(
                darkHost(new CalendarView(f.service, f.coordinator), QSize(560, 300)));
            QVERIFY(
                !brimlark::test::saveScreenshot(host.get(), QStringLiteral("calendar-page-empty")).isEmpty());
        }
        f.add(QStringLiteral("b"), QStringLiteral("Breakfast with Ana"), f.local(7, 30), f.local(8, 15));
        EventStore::Event& call =
            f.add(QStringLiteral("c"), QStringLiteral("Design Review: Q1 roadmap and hiring plan"),
                  f.local(9, 20), f.local(10, 0));
        call.location = QStringLiteral("https://acme.zoom.us/j/77");
        call.calendarColor = QColor(QStringLiteral("#34c759"));
        EventStore::Event& lunch =
            f.add(QStringLiteral("l"), QStringLiteral("Lunch"), f.local(12, 0), f.local(13, 0));
        lunch.location = QStringLiteral("Cafe Nero, 3rd floor");
        lunch.calendarColor = QColor();
        f.service.refresh();
        std::unique_ptr<QWidget> host(darkHost(new CalendarView(f.service, f.coordinator), QSize(560, 300)));
        QVERIFY(
            !brimlark::test::saveScreenshot(host.get(), QStringLiteral("calendar-page-events")).isEmpty());
    }
};

BRIMLARK_TEST_MAIN(TestCalendarView)
#include "tst_calendarview.moc"
