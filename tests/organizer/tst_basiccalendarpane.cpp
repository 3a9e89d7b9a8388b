#include "Brimlark/organizer/BasicCalendarPane.h"
#include "tests/support/CalendarFixture.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestMain.h"

#include <QLocale>

using namespace calendar_test;

// The basic panel's next-event pane, in a plain host until basic mode takes it in.
class TestBasicCalendarPane : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void thePaneFollowsTheNextEvent_data() {
        QTest::addColumn<QString>("event");
        QTest::addColumn<QStringList>("labels");
        QTest::addColumn<QStringList>("buttons");
        QTest::newRow("none") << "none"
                              << QStringList{"calendar", "no upcoming events", "your day is clear for now"}
                              << QStringList{};
        QTest::newRow("no location, no link")
            << "plain" << QStringList{"in 30 min", "team sync", "9:30 AM – 10:00 AM"} << QStringList{"open"};
        QTest::newRow("empty location")
            << "nowhere" << QStringList{"in 30 min", "team sync", "9:30 AM – 10:00 AM"}
            << QStringList{"open"};
        QTest::newRow("location keeps its case, link")
            << "call" << QStringList{"in 30 min", "team sync", "Room 4 / zoom.us/j/123", "9:30 AM – 10:00 AM"}
            << QStringList{"open", "join"};
        QTest::newRow("all day, under way")
            << "allday" << QStringList{"now", "team sync", "all day"} << QStringList{"open"};
    }
    void thePaneFollowsTheNextEvent() {
        QFETCH(QString, event);
        QFETCH(QStringList, labels);
        QFETCH(QStringList, buttons);
        CalendarFixture f;
        if (event != QLatin1String("none")) {
            const bool allDay = event == QLatin1String("allday");
            EventStore::Event& item =
                f.add(QStringLiteral("e"), QStringLiteral("Team Sync"),
                      allDay ? f.local(0, 0) : f.local(9, 30), allDay ? f.local(0, 0, 0, 1) : f.local(10, 0));
            item.isAllDay = allDay;
            if (event == QLatin1String("call"))
                item.location = QStringLiteral("Room 4 / zoom.us/j/123");
            if (event == QLatin1String("nowhere"))
                item.location = QString();
        }
        BasicCalendarPane pane(f.service);
        f.service.refresh();
        QStringList shown = labelTexts(&pane);
        for (QString& text : shown)
            text.replace(QChar(0x202F), QLatin1Char(' '));
        QCOMPARE(shown, labels);
        QCOMPARE(buttonTexts(&pane), buttons);

        for (QAbstractButton* button : pane.findChildren<QAbstractButton*>()) {
            if (button->isVisibleTo(&pane))
                button->click();
        }
        QCOMPARE(f.workspace.openedDefaultApplications.size(),
                 buttons.contains(QStringLiteral("open")) ? 1 : 0);
        QCOMPARE(f.workspace.openedUrls.size(), buttons.contains(QStringLiteral("join")) ? 1 : 0);
    }

    void screenshots() {
        if (brimlark::test::screenshotDir().isEmpty())
            QSKIP("BRIMLARK_SCREENSHOT_DIR is not set");
        CalendarFixture f;
        {
            std::unique_ptr<QWidget> host(darkHost(new BasicCalendarPane(f.service), QSize(300, 230)));
            QVERIFY(
                !brimlark::test::saveScreenshot(host.get(), QStringLiteral("calendar-pane-empty")).isEmpty());
        }
        EventStore::Event& call = f.add(
            QStringLiteral("c"), QStringLiteral("Design Review: Q1 roadmap and the hiring plan for spring"),
            f.local(9, 20), f.local(10, 0));
        call.location = QStringLiteral("https://acme.zoom.us/j/77");
        f.service.refresh();
        std::unique_ptr<QWidget> host(darkHost(new BasicCalendarPane(f.service), QSize(300, 230)));
        QVERIFY(!brimlark::test::saveScreenshot(host.get(), QStringLiteral("calendar-pane-event")).isEmpty());
    }
};

BRIMLARK_TEST_MAIN(TestBasicCalendarPane)
#include "tst_basiccalendarpane.moc"
