#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/surface/HaloController.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"

#include <QSignalSpy>

using namespace std::chrono_literals;
using Kind = ActiveHalo::Kind;
using Status = HookEvent::Status;
using Mode = InteractionEngine::Mode;

namespace {

HookEvent hookEvent(Status status) {
    HookEvent e;
    e.id = QUuid::createUuid();
    e.source = HookEvent::Source::claude;
    e.status = status;
    return e;
}

MediaRemoteBridge::NowPlaying track(const QString& title, bool playing = true) {
    MediaRemoteBridge::NowPlaying nowPlaying;
    nowPlaying.title = title;
    nowPlaying.isPlaying = playing;
    return nowPlaying;
}

} // namespace

class TestHaloController : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<ServiceFixture> f;
    std::unique_ptr<InteractionEngine> engine;
    std::unique_ptr<HaloController> halo;

    void bind() {
        halo->observeMedia();
        halo->observeHookEvents();
        halo->observeInteractionMode();
        halo->observeHaloMode();
        halo->startAmbientLoop();
        halo->syncAmbientHalo();
        deliver();
    }
    static void deliver() {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    std::optional<Kind> kind() const {
        return halo->current() ? std::optional<Kind>(halo->current()->kind) : std::nullopt;
    }
    void post(const HookEvent& e) {
        f->aiHooks.ingest(e);
        deliver();
    }
    void play(const MediaRemoteBridge::NowPlaying& nowPlaying) {
        f->media.setNowPlaying(nowPlaying);
        deliver();
    }

private slots:
    void init() {
        f = std::make_unique<ServiceFixture>();
        f->appState.setHaloOnHooks(true);
        f->appState.setHaloOnMedia(true);
        f->appState.setHaloMode(HaloMode::oneShot);
        engine = std::make_unique<InteractionEngine>(f->appState, &f->clock);
        halo = std::make_unique<HaloController>(f->appState, f->media, f->aiHooks, *engine, &f->clock);
    }
    void cleanup() {
        halo.reset();
        engine.reset();
        f.reset();
    }

    void statusColours_data() {
        QTest::addColumn<Status>("status");
        QTest::addColumn<QColor>("color");
        QTest::newRow("idle") << Status::idle << BrimlarkTheme::textTertiary();
        QTest::newRow("asking") << Status::asking << BrimlarkTheme::accent();
        QTest::newRow("working") << Status::working << BrimlarkTheme::warning();
        QTest::newRow("finished") << Status::finished << BrimlarkTheme::success();
        QTest::newRow("error") << Status::error << BrimlarkTheme::danger();
    }
    void statusColours() {
        QFETCH(Status, status);
        QFETCH(QColor, color);
        bind();
        post(hookEvent(status));
        QCOMPARE(halo->current()->color, color);
        QCOMPARE(halo->current()->source, HaloSource::hooks);
    }

    void theFirstTitleNeverGlowsANewOneDoes() {
        play(track(QStringLiteral("One")));
        bind();
        QCOMPARE(kind(), std::nullopt);
        play(track(QStringLiteral("One"), false)); // paused: same title
        QCOMPARE(kind(), std::nullopt);
        play(track(QStringLiteral("Two")));
        QCOMPARE(kind(), std::optional<Kind>(Kind::oneShot));
        QCOMPARE(halo->current()->color, BrimlarkTheme::accent());
        QCOMPARE(halo->current()->source, HaloSource::media);

        MediaRemoteBridge::NowPlaying withArt = track(QStringLiteral("Three"));
        withArt.artwork = QImage(2, 2, QImage::Format_RGB32);
        withArt.artwork.fill(QColor(40, 10, 120));
        play(withArt);
        QCOMPARE(halo->current()->color, artworkTintColor(withArt.artwork));
    }

    void theNewestEventGlowsOncePerId() {
        const HookEvent present = hookEvent(Status::asking);
        f->aiHooks.ingest(present);
        bind();
        QCOMPARE(kind(), std::optional<Kind>(Kind::oneShot)); // present at start: glows once
        f->clock.advance(2s);
        QCOMPARE(kind(), std::nullopt);
        post(present); // the same id again
        QCOMPARE(kind(), std::nullopt);

        f->appState.setHaloOnHooks(false);
        const HookEvent quiet = hookEvent(Status::working);
        post(quiet);
        QCOMPARE(kind(), std::nullopt);
        f->appState.setHaloOnHooks(true);
        post(quiet);
        QCOMPARE(kind(), std::nullopt); // already seen
    }

    // Answering the newest event brings an older one back to the top; that one glowed when it
    // arrived and does not glow again. A later arrival still does.
    void removingTheNewestEventLightsNoOlderOne_data() {
        QTest::addColumn<HaloMode>("mode");
        QTest::addColumn<bool>("answered");
        QTest::newRow("one-shot, allowed") << HaloMode::oneShot << true;
        QTest::newRow("one-shot, dismissed") << HaloMode::oneShot << false;
        QTest::newRow("persistent, allowed") << HaloMode::persistent << true;
        QTest::newRow("persistent, dismissed") << HaloMode::persistent << false;
    }
    void removingTheNewestEventLightsNoOlderOne() {
        QFETCH(HaloMode, mode);
        QFETCH(bool, answered);
        f->appState.setHaloMode(mode);
        bind();
        const auto glowEnds = [this] {
            f->clock.advance(2s);
            halo->dismissPersistent(); // as opening the panel does
            QCOMPARE(kind(), std::nullopt);
        };
        post(hookEvent(Status::working));
        QCOMPARE(halo->current()->color, BrimlarkTheme::warning());
        glowEnds();
        HookEvent asking = hookEvent(Status::asking);
        asking.approveAction =
            HookEvent::Action{HookEvent::Action::Kind::approve, QStringLiteral("allow"), std::nullopt,
                              QUrl(QStringLiteral("https://example.invalid/ok"))};
        post(asking);
        QCOMPARE(halo->current()->color, BrimlarkTheme::accent());
        glowEnds();

        if (answered)
            QVERIFY(f->aiHooks.runAction(asking.id, HookEvent::Action::Kind::approve));
        else
            f->aiHooks.dismiss(asking.id);
        deliver();
        QCOMPARE(f->aiHooks.events().size(), 1);
        QCOMPARE(kind(), std::nullopt);

        post(hookEvent(Status::finished));
        QCOMPARE(halo->current()->color, BrimlarkTheme::success());
        glowEnds();

        // Of a batch only the event that ends up first arrives as the newest; another of it glows
        // when it is posted again and comes first, the newest one does not glow a second time.
        const HookEvent early = hookEvent(Status::error);
        const HookEvent late = hookEvent(Status::working);
        f->aiHooks.ingest(QList<HookEvent>{early, late});
        deliver();
        QCOMPARE(halo->current()->color, BrimlarkTheme::warning());
        glowEnds();
        HookEvent earlyAgain = early;
        earlyAgain.status = Status::asking;
        post(earlyAgain);
        QVERIFY(halo->current());
        QCOMPARE(halo->current()->color, BrimlarkTheme::accent());
        glowEnds();
        HookEvent lateAgain = late;
        lateAgain.status = Status::asking;
        post(lateAgain);
        QCOMPARE(kind(), std::nullopt);

        // An id that has been the newest once stays known after the list was emptied.
        f->aiHooks.clear();
        deliver();
        post(asking);
        QCOMPARE(kind(), std::nullopt);
    }

    void aSecondOneShotSurvivesTheFirstsTimer() {
        bind();
        post(hookEvent(Status::asking));
        f->clock.advance(1s);
        post(hookEvent(Status::finished));
        const QUuid second = halo->current()->id;
        f->clock.advance(1s); // the first one's 1.8 s are over
        QCOMPARE(halo->current()->id, second);
        f->clock.advance(700ms);
        QCOMPARE(halo->current()->id, second);
        f->clock.advance(100ms);
        QCOMPARE(kind(), std::nullopt);
    }

    void persistentStaysUntilThePanelOpens() {
        f->appState.setHaloMode(HaloMode::persistent);
        bind();
        post(hookEvent(Status::asking));
        f->clock.advance(60s);
        engine->setMode(Mode::peek());
        deliver();
        QCOMPARE(kind(), std::optional<Kind>(Kind::persistent));
        engine->setMode(Mode::advanced(2));
        deliver();
        QCOMPARE(kind(), std::nullopt);
    }

    void ambientReplacesAndTriggersAddNothing() {
        bind();
        post(hookEvent(Status::asking));
        f->appState.setHaloMode(HaloMode::ambient);
        deliver();
        QCOMPARE(kind(), std::optional<Kind>(Kind::ambient));
        QCOMPARE(halo->current()->color, BrimlarkTheme::warning());
        const QUuid ambient = halo->current()->id;
        post(hookEvent(Status::error));
        engine->setMode(Mode::basic());
        deliver();
        QCOMPARE(halo->current()->id, ambient);
        f->appState.setHaloMode(HaloMode::off);
        deliver();
        QCOMPARE(kind(), std::nullopt);

        // Leaving a glowing mode does not end the glow already on show.
        f->appState.setHaloMode(HaloMode::oneShot);
        post(hookEvent(Status::asking));
        f->appState.setHaloMode(HaloMode::off);
        deliver();
        QCOMPARE(kind(), std::optional<Kind>(Kind::oneShot));
    }

    void thePhaseStepsAndWraps() {
        bind();
        QSignalSpy steps(halo.get(), &HaloController::ambientPhaseChanged);
        f->clock.advance(10s);
        QCOMPARE(steps.count(), 0); // nothing shows the phase: the loop sleeps
        f->appState.setHaloMode(HaloMode::ambient);
        deliver();
        f->clock.advance(24 * 250ms);
        QCOMPARE(steps.count(), 24);
        QVERIFY(halo->ambientPhase() > 0.99 && halo->ambientPhase() < 1.0);
        f->clock.advance(250ms);
        QCOMPARE(halo->ambientPhase(), 0.0);
        f->clock.advance(250ms);
        f->appState.setHaloMode(HaloMode::off);
        deliver();
        steps.clear();
        f->clock.advance(10s);
        QCOMPARE(steps.count(), 0);
        QCOMPARE(halo->ambientPhase(), HaloController::phaseStep);
    }

    void stopClearsAndSilencesEverything() {
        f->appState.setHaloMode(HaloMode::ambient);
        bind();
        QCOMPARE(kind(), std::optional<Kind>(Kind::ambient));
        QSignalSpy changes(halo.get(), &HaloController::currentChanged);
        QSignalSpy steps(halo.get(), &HaloController::ambientPhaseChanged);
        halo->stop();
        QCOMPARE(kind(), std::nullopt);
        QCOMPARE(changes.count(), 1);
        f->appState.setHaloMode(HaloMode::oneShot);
        post(hookEvent(Status::error));
        f->clock.advance(5s);
        QCOMPARE(changes.count(), 1);
        QCOMPARE(steps.count(), 0);
    }
};

BRIMLARK_TEST_MAIN(TestHaloController)
#include "tst_halocontroller.moc"
