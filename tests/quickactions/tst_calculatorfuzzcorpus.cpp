#include "fuzz/CalculatorFuzzChecks.h"
#include "tests/support/TestMain.h"

#include <QDir>
#include <QFile>

// Replays the calculator fuzz target's seed corpus through its checks in the ordinary build, so
// that every seed (and every crash found later and added as a seed) stays fixed.
class TestCalculatorFuzzCorpus : public QObject {
    Q_OBJECT
private slots:
    void seeds() {
        const QDir folder(QStringLiteral(BRIMLARK_FUZZ_CORPUS "/calculator"));
        const QStringList names = folder.entryList(QDir::Files, QDir::Name);
        QVERIFY(names.size() >= 10);
        for (const QString& name : names) {
            QFile file(folder.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray input = file.readAll();
            QVERIFY2(CalculatorFuzzChecks::check(input), qPrintable(name));
            // Every prefix too: a line is typed one character at a time.
            for (qsizetype cut = 0; cut < input.size(); ++cut)
                QVERIFY2(CalculatorFuzzChecks::check(input.left(cut)), qPrintable(name));
        }
    }
};

BRIMLARK_TEST_MAIN(TestCalculatorFuzzCorpus)
#include "tst_calculatorfuzzcorpus.moc"
