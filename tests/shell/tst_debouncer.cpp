#include "support/TestMain.h"

class Tst_debouncer : public QObject {
    Q_OBJECT
private slots:
    void placeholder() {}
};

BRIMLARK_TEST_MAIN(Tst_debouncer)
#include "tst_debouncer.moc"
