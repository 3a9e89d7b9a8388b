#include "Brimlark/controls/MicMuteService.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"

#include <QSignalSpy>

#include <optional>

Q_DECLARE_METATYPE(PermissionStatus)

// The mute over the fake audio input, permissions and shortcuts runner of the service fixture.
class TestMicMuteService : public QObject {
    Q_OBJECT
private:
    // Toggles and waits for the answer.
    static std::optional<bool> toggle(MicMuteService& mic) {
        std::optional<bool> changed;
        mic.toggle([&](bool c) { changed = c; });
        (void)QTest::qWaitFor([&] { return changed.has_value(); }, 2000);
        return changed;
    }

private slots:
    void twoTogglesMuteThenUnmuteOnOneTap() {
        ServiceFixture f;
        QVERIFY(!f.mic.engineRunning());
        QCOMPARE(toggle(f.mic), std::optional<bool>(true));
        QVERIFY(f.mic.isMuted());
        QVERIFY(f.mic.engineRunning());
        QCOMPARE(toggle(f.mic), std::optional<bool>(true));
        QVERIFY(!f.mic.isMuted());
        QCOMPARE(f.audioInput.volumes, QList<double>({0.0, 1.0}));
        QCOMPARE(f.audioInput.starts, 1);
    }

    void thePermissionDecidesWhetherItMutes_data() {
        QTest::addColumn<PermissionStatus>("status");
        QTest::addColumn<bool>("grantOnRequest");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<QString>("errorLine");

        QTest::newRow("authorised") << PermissionStatus::authorized << false << true << QString();
        QTest::newRow("undetermined, granted")
            << PermissionStatus::notDetermined << true << true << QString();
        QTest::newRow("undetermined, refused")
            << PermissionStatus::notDetermined << false << false << QString();
        QTest::newRow("denied") << PermissionStatus::denied << true << false
                                << QStringLiteral("microphone permission denied");
        QTest::newRow("restricted") << PermissionStatus::restricted << true << false
                                    << QStringLiteral("microphone permission denied");
        QTest::newRow("neither") << PermissionStatus::provisional << true << false << QString();
    }

    void thePermissionDecidesWhetherItMutes() {
        QFETCH(PermissionStatus, status);
        QFETCH(bool, grantOnRequest);
        QFETCH(bool, changed);
        QFETCH(QString, errorLine);
        ServiceFixture f;
        f.permissions.audio = status;
        f.permissions.grantOnRequest = grantOnRequest;
        if (!errorLine.isEmpty())
            QTest::ignoreMessage(QtCriticalMsg, qPrintable(errorLine));
        QCOMPARE(toggle(f.mic), std::optional<bool>(changed));
        QCOMPARE(f.mic.isMuted(), changed);
        // Without the permission the input is never opened.
        QCOMPARE(f.audioInput.starts, changed ? 1 : 0);
    }

    void aTapThatCannotOpenMutesNothingAndIsRetried() {
        ServiceFixture f;
        f.audioInput.startError = QStringLiteral("no audio input device");
        QTest::ignoreMessage(QtCriticalMsg, "mic engine failed: no audio input device");
        QCOMPARE(toggle(f.mic), std::optional<bool>(false));
        QVERIFY(!f.mic.isMuted());
        QVERIFY(!f.mic.engineRunning());
        QVERIFY(f.audioInput.volumes.isEmpty());

        f.audioInput.startError.clear();
        QCOMPARE(toggle(f.mic), std::optional<bool>(true));
        QVERIFY(f.mic.isMuted());
        QCOMPARE(f.audioInput.starts, 2);
        QCOMPARE(f.audioInput.volumes, QList<double>({0.0}));

        // A tap that dies later (the device went away) mutes nothing any more, and is opened anew
        // by the next toggle, which mutes again.
        QTest::ignoreMessage(QtCriticalMsg, "mic engine failed: the audio input failed");
        f.audioInput.fail(QStringLiteral("the audio input failed"));
        QVERIFY(!f.mic.engineRunning());
        QVERIFY(!f.mic.isMuted());
        QCOMPARE(toggle(f.mic), std::optional<bool>(true));
        QVERIFY(f.mic.isMuted());
        QCOMPARE(f.audioInput.starts, 3);
        QCOMPARE(f.audioInput.volumes, QList<double>({0.0, 0.0}));
    }

    void whyNothingWasMutedIsTold_data() {
        QTest::addColumn<QString>("startError"); // empty: the tap opens, then dies with `stopError`
        QTest::addColumn<QString>("stopError");
        QTest::addColumn<QString>("problem");
        QTest::newRow("no input device")
            << QStringLiteral("no audio input device") << QString() << QStringLiteral("no microphone found");
        QTest::newRow("device went away while muted")
            << QString() << QStringLiteral("the audio input failed")
            << QStringLiteral("the microphone could not be used: the audio input failed");
    }

    // The failure shows where the user looks, the button's text reads it from here, and the next
    // toggle that works clears it.
    void whyNothingWasMutedIsTold() {
        QFETCH(QString, startError);
        QFETCH(QString, stopError);
        QFETCH(QString, problem);
        ServiceFixture f;
        QSignalSpy told(&f.mic, &MicMuteService::problemChanged);
        f.audioInput.startError = startError;
        QTest::ignoreMessage(QtCriticalMsg, qPrintable(QStringLiteral("mic engine failed: ") +
                                                       (startError.isEmpty() ? stopError : startError)));
        if (startError.isEmpty()) {
            QCOMPARE(toggle(f.mic), std::optional<bool>(true));
            f.audioInput.fail(stopError);
        } else {
            QCOMPARE(toggle(f.mic), std::optional<bool>(false));
        }
        QVERIFY(!f.mic.isMuted());
        QCOMPARE(f.mic.problem(), problem);
        QCOMPARE(told.size(), 1);

        f.audioInput.startError.clear();
        QCOMPARE(toggle(f.mic), std::optional<bool>(true));
        QVERIFY(f.mic.isMuted());
        QVERIFY(f.mic.problem().isEmpty());
    }

    void shortcutModeRunsTheShortcutOrFallsBack_data() {
        QTest::addColumn<QString>("succeeding"); // empty: none succeeds
        QTest::addColumn<QStringList>("ran");
        QTest::addColumn<MicMuteService::Mode>("modeAfter");
        QTest::addColumn<int>("shortcutsOpened"); // how often the shortcuts application was asked for
        QTest::addColumn<QList<double>>("volumes");

        QTest::newRow("the second name runs")
            << QStringLiteral("brimlark.togglemic") << MicMuteService::toggleMicNames.mid(0, 2)
            << MicMuteService::Mode::shortcut << 0 << QList<double>();
        QTest::newRow("none runs: application audio for good")
            << QString() << MicMuteService::toggleMicNames << MicMuteService::Mode::appAudio << 1
            << QList<double>{0.0};
    }

    void shortcutModeRunsTheShortcutOrFallsBack() {
        QFETCH(QString, succeeding);
        QFETCH(QStringList, ran);
        QFETCH(MicMuteService::Mode, modeAfter);
        QFETCH(int, shortcutsOpened);
        QFETCH(QList<double>, volumes);
        ServiceFixture f;
        f.mic.setMode(MicMuteService::Mode::shortcut);
        if (!succeeding.isEmpty())
            f.runner.statuses.insert(succeeding, 0);
        else
            QTest::ignoreMessage(QtCriticalMsg,
                                 "toggle mic shortcut failed with status 1; falling back to app audio mute");
        QCOMPARE(toggle(f.mic), std::optional<bool>(true));
        QVERIFY(f.mic.isMuted());
        QCOMPARE(f.runner.ran, ran);
        QCOMPARE(f.mic.mode(), modeAfter);
        QCOMPARE(f.workspace.shortcutsApplicationOpenings, shortcutsOpened);
        QCOMPARE(f.audioInput.volumes, volumes);

        // The next toggle takes the same road without trying a failed shortcut again.
        f.runner.ran.clear();
        QCOMPARE(toggle(f.mic), std::optional<bool>(true));
        QVERIFY(!f.mic.isMuted());
        QCOMPARE(f.runner.ran.isEmpty(), succeeding.isEmpty());
    }
};

BRIMLARK_TEST_MAIN(TestMicMuteService)
#include "tst_micmuteservice.moc"
