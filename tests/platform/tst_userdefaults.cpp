#include "support/TestMain.h"

class Tst_userdefaults : public QObject {
    Q_OBJECT
private slots:
    void placeholder() {}
};

BRIMLARK_TEST_MAIN(Tst_userdefaults)
#include "tst_userdefaults.moc"
