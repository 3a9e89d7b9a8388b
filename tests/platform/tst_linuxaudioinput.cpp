#include "platform/linux/LinuxAudioInput.h"
#include "tests/support/TestMain.h"

#include <QAudioDevice>
#include <QMediaDevices>

// The Qt Multimedia tap on whatever this machine has: with an input device it opens, takes a
// volume and stays open; without one every start answers why and leaves nothing open, so that the
// next start tries again.
class TestLinuxAudioInput : public QObject {
    Q_OBJECT
private slots:
    void startOpensTheDefaultInputOrSaysWhy() {
        LinuxAudioInput input;
        QVERIFY(!input.isRunning());
        // Before a start a volume is only kept.
        input.setVolume(0.0);
        const bool hasInput = !QMediaDevices::defaultAudioInput().isNull();
        for (int attempt = 0; attempt < 2; ++attempt) {
            const QString error = input.start();
            if (hasInput) {
                QVERIFY2(error.isEmpty(), qPrintable(error));
                QVERIFY(input.isRunning());
                input.setVolume(1.0);
            } else {
                QCOMPARE(error, QStringLiteral("no audio input device"));
                QVERIFY(!input.isRunning());
            }
        }
    }
};

BRIMLARK_TEST_MAIN(TestLinuxAudioInput)
#include "tst_linuxaudioinput.moc"
