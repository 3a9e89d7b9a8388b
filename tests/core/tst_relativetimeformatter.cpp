#include "Brimlark/core/RelativeTimeFormatter.h"
#include "tests/support/TestMain.h"

#include <QTimeZone>

class TestRelativeTimeFormatter : public QObject {
    Q_OBJECT
private slots:
    void shortUnits_data() {
        QTest::addColumn<qint64>("secondsAgo");
        QTest::addColumn<QString>("text");
        QTest::newRow("now") << qint64(0) << "0 sec. ago";
        QTest::newRow("seconds") << qint64(5) << "5 sec. ago";
        QTest::newRow("last second before a minute") << qint64(59) << "59 sec. ago";
        QTest::newRow("minutes, rounded down") << qint64(179) << "2 min. ago";
        QTest::newRow("hours") << qint64(3 * 3600 + 1) << "3 hr. ago";
        QTest::newRow("one day") << qint64(86400) << "1 day ago";
        QTest::newRow("days") << qint64(6 * 86400) << "6 days ago";
        QTest::newRow("weeks") << qint64(15 * 86400) << "2 wk. ago";
        QTest::newRow("months") << qint64(95 * 86400) << "3 mo. ago";
        QTest::newRow("years") << qint64(800 * 86400) << "2 yr. ago";
        QTest::newRow("ahead") << qint64(-4) << "in 4 sec.";
    }
    void shortUnits() {
        QFETCH(qint64, secondsAgo);
        const QDateTime now(QDate(2026, 3, 1), QTime(12, 0), QTimeZone::utc());
        QTEST(RelativeTimeFormatter::string(now.addSecs(-secondsAgo), now), "text");
    }

    void noTextWithoutADate() {
        QVERIFY(RelativeTimeFormatter::string(QDateTime(), QDateTime::currentDateTimeUtc()).isEmpty());
    }
};

BRIMLARK_TEST_MAIN(TestRelativeTimeFormatter)
#include "tst_relativetimeformatter.moc"
