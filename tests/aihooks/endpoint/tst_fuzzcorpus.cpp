#include "fuzz/HookFuzzChecks.h"
#include "tests/support/TestMain.h"

#include <QDir>
#include <QFile>

// Replays the fuzz targets' seed corpus through their checks in the ordinary build, so that every
// seed (and every crash found later and added as a seed) stays fixed.
class TestFuzzCorpus : public QObject {
    Q_OBJECT
private:
    static QList<QByteArray> seeds(const QString& target) {
        QList<QByteArray> inputs;
        const QDir folder(QStringLiteral(BRIMLARK_FUZZ_CORPUS) + QLatin1Char('/') + target);
        for (const QString& name : folder.entryList(QDir::Files, QDir::Name)) {
            QFile file(folder.filePath(name));
            if (file.open(QIODevice::ReadOnly))
                inputs.append(file.readAll());
        }
        return inputs;
    }

private slots:
    void requestSeeds() {
        const QList<QByteArray> inputs = seeds(QStringLiteral("hook_request"));
        QVERIFY(inputs.size() >= 10);
        for (const QByteArray& input : inputs)
            QVERIFY2(HookFuzzChecks::checkRequest(input), input.left(80).constData());
    }

    void looseMappingSeeds() {
        const QList<QByteArray> inputs = seeds(QStringLiteral("loose_mapping"));
        QVERIFY(inputs.size() >= 10);
        for (const QByteArray& input : inputs)
            QVERIFY2(HookFuzzChecks::checkLoose(input), input.left(80).constData());
    }

    void requestSeedsCutAnywhere() {
        for (const QByteArray& input : seeds(QStringLiteral("hook_request")))
            for (qsizetype cut = 0; cut <= input.size(); ++cut)
                QVERIFY(HookFuzzChecks::checkRequest(input.left(cut)));
    }
};

BRIMLARK_TEST_MAIN(TestFuzzCorpus)
#include "tst_fuzzcorpus.moc"
