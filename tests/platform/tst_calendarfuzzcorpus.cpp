#include "fuzz/CalendarFuzzChecks.h"
#include "tests/support/TestMain.h"

#include <QDir>
#include <QFile>

// Replays the calendar fuzz target's seed corpus through its check in the ordinary build, so that
// every seed (and every input the fuzzer stopped on, added as a seed) stays read as libical reads
// it.
class TestCalendarFuzzCorpus : public QObject {
    Q_OBJECT
private slots:
    void seeds_data() {
        QTest::addColumn<QByteArray>("input");
        const QDir folder(QStringLiteral(BRIMLARK_FUZZ_CORPUS "/calendar_file"));
        for (const QString& name : folder.entryList(QDir::Files, QDir::Name)) {
            QFile file(folder.filePath(name));
            if (file.open(QIODevice::ReadOnly))
                QTest::newRow(qPrintable(name)) << file.readAll();
        }
    }
    void seeds() {
        QFETCH(QByteArray, input);
        QVERIFY(CalendarFuzzChecks::check(input));
        // Every prefix that ends a line as well: a file read while it is being written.
        for (qsizetype at = input.indexOf('\n'); at >= 0; at = input.indexOf('\n', at + 1))
            QVERIFY2(CalendarFuzzChecks::check(input.left(at + 1)), qPrintable(QString::number(at + 1)));
    }
    void corpusHoldsTheSeeds() {
        const QDir folder(QStringLiteral(BRIMLARK_FUZZ_CORPUS "/calendar_file"));
        QVERIFY(folder.entryList(QDir::Files).size() >= 10);
    }
};

BRIMLARK_TEST_MAIN(TestCalendarFuzzCorpus)
#include "tst_calendarfuzzcorpus.moc"
