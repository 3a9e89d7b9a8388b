#include "platform/linux/media/LinuxAudioInput.h"
#include "tests/support/TestMain.h"

#include <QFile>

namespace {

// Whether a library whose file name contains `name` is mapped into this process.
bool mapped(const QByteArray& name) {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(name);
}

} // namespace

// The Qt Multimedia tap on whatever this machine has. Qt Multimedia is loaded only by the first
// start; with an input device the tap opens and takes a volume, without one every start says why
// and leaves nothing open, so that the next start tries again.
class TestLinuxAudioInput : public QObject {
    Q_OBJECT
private slots:
    void qtMultimediaArrivesWithTheFirstStart() {
        LinuxAudioInput input;
        // Before a start a volume is only kept.
        input.setVolume(0.0);
        QVERIFY(!input.isRunning());
        QVERIFY(!mapped("libQt6Multimedia"));

        const QString first = input.start();
        QVERIFY(mapped("libQt6Multimedia"));
        QCOMPARE(input.isRunning(), first.isEmpty());
        if (first.isEmpty()) {
            input.setVolume(1.0);
        } else {
            QCOMPARE(first, QStringLiteral("no audio input device"));
        }
        // A second start opens nothing twice and fails the same way.
        QCOMPARE(input.start(), first);
        QCOMPARE(input.isRunning(), first.isEmpty());
    }

    void aMissingModuleIsAFailedStart() {
        LinuxAudioInput input(QStringLiteral("/nonexistent/libbrimlark_audio_tap.so"));
        const QString error = input.start();
        QVERIFY2(error.startsWith(QStringLiteral("the audio module could not be loaded: ")),
                 qPrintable(error));
        QVERIFY(!input.isRunning());
        input.setVolume(0.0);
    }
};

BRIMLARK_TEST_MAIN(TestLinuxAudioInput)
#include "tst_linuxaudioinput.moc"
