#include "platform/linux/media/QtCamera.h"
#include "tests/support/TestMain.h"

#include <QDir>
#include <QFile>

// The Qt Multimedia camera on whatever this machine has: its module loads at configure() and not
// before; a machine without a camera answers false and never runs, without failing.
class TestQtCamera : public QObject {
    Q_OBJECT

    static bool multimediaLoaded() {
        QFile maps(QStringLiteral("/proc/self/maps"));
        return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6Multimedia");
    }

private slots:
    void configuresOnceAndRunsOnlyWithACamera() {
        QtCamera camera;
        camera.start();
        QVERIFY(!camera.isRunning());
        QVERIFY(!multimediaLoaded());
        const bool result = camera.configure();
        QVERIFY(multimediaLoaded());
        const bool hasCamera =
            !QDir(QStringLiteral("/dev")).entryList({QStringLiteral("video*")}, QDir::System).isEmpty();
        QCOMPARE(result, hasCamera);
        QCOMPARE(camera.configure(), hasCamera);
        if (hasCamera)
            QSKIP("a camera is attached: starting it here would take it from its user");
        camera.start();
        QVERIFY(!camera.isRunning());
        camera.stop();
        QVERIFY(camera.frame().isNull());
    }
};

BRIMLARK_TEST_MAIN(TestQtCamera)
#include "tst_qtcamera.moc"
