#include "Brimlark/core/ClockText.h"
#include "Brimlark/organizer/CalendarView.h"
#include "Brimlark/organizer/RemindersView.h"
#include "tests/support/TestMain.h"

namespace {

QDateTime local(int day, int hour, int minute) {
    return QDateTime(QDate(2026, 12, day), QTime(hour, minute)).toUTC();
}

} // namespace

// Times and dates on the panel: hours and minutes in every locale, a date alone for a value
// without a time of day.
class TestClockText : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void shownWithoutSeconds_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("shown"); // "event", "due date", "due date and time"
        QTest::addColumn<QString>("text");
        QTest::newRow("event, C") << "C"
                                  << "event"
                                  << "12:22 \u2013 12:52";
        QTest::newRow("event, German") << "de_DE"
                                       << "event"
                                       << "12:22 \u2013 12:52";
        QTest::newRow("event, US English") << "en_US"
                                           << "event"
                                           << "12:22 PM \u2013 12:52 PM";
        QTest::newRow("due day, C") << "C"
                                    << "due date"
                                    << "14 Dec 2026";
        QTest::newRow("due time, C") << "C"
                                     << "due date and time"
                                     << "14 Dec 2026 09:30";
        QTest::newRow("due day, German") << "de_DE"
                                         << "due date"
                                         << "14.12.26";
    }

    void shownWithoutSeconds() {
        QFETCH(QString, locale);
        QFETCH(QString, shown);
        QFETCH(QString, text);
        QLocale::setDefault(QLocale(locale));
        if (shown == QLatin1String("event")) {
            CalendarItem item;
            item.startDate = local(14, 12, 22);
            item.endDate = local(14, 12, 52);
            // Newer locale data (Qt 6.8's) writes a narrow no-break space before "PM".
            QCOMPARE(CalendarView::timeText(item).replace(QChar(0x202F), QLatin1Char(' ')), text);
            return;
        }
        ReminderItem item;
        const bool dateOnly = shown == QLatin1String("due date");
        item.dueDate = dateOnly ? local(14, 0, 0) : local(14, 9, 30);
        item.dueIsDate = dateOnly;
        QCOMPARE(RemindersView::dueText(item), text);
    }
};

BRIMLARK_TEST_MAIN(TestClockText)
#include "tst_clocktext.moc"
