#include "support/TestMain.h"

class Tst_appstate : public QObject {
    Q_OBJECT
private slots:
    void placeholder() {}
};

BRIMLARK_TEST_MAIN(Tst_appstate)
#include "tst_appstate.moc"
