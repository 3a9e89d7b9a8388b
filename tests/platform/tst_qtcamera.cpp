#include "platform/linux/QtCamera.h"
#include "tests/support/TestMain.h"

#include <QCameraDevice>
#include <QMediaDevices>
#include <QVideoSink>

// The Qt Multimedia camera on whatever this machine has: nothing exists before configure(); a
// machine without a camera answers false and never runs, without failing.
class TestQtCamera : public QObject {
    Q_OBJECT
private slots:
    void configuresOnceAndRunsOnlyWithACamera() {
        QtCamera camera;
        QVERIFY(!camera.videoSink());
        const bool hasCamera = !QMediaDevices::videoInputs().isEmpty();
        QCOMPARE(camera.configure(), hasCamera);
        QVERIFY(camera.videoSink());
        QVideoSink* sink = camera.videoSink();
        QCOMPARE(camera.configure(), hasCamera);
        QCOMPARE(camera.videoSink(), sink);
        if (hasCamera)
            QSKIP("a camera is attached: starting it here would take it from its user");
        camera.start();
        QVERIFY(!camera.isRunning());
        camera.stop();
        QVERIFY(!camera.isRunning());
    }
};

BRIMLARK_TEST_MAIN(TestQtCamera)
#include "tst_qtcamera.moc"
