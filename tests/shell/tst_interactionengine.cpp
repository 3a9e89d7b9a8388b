#include "support/TestMain.h"

class Tst_interactionengine : public QObject {
    Q_OBJECT
private slots:
    void placeholder() {}
};

BRIMLARK_TEST_MAIN(Tst_interactionengine)
#include "tst_interactionengine.moc"
