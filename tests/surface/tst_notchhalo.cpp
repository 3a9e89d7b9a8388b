#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/organizer/CalendarService.h"
#include "Brimlark/organizer/RemindersService.h"
#include "Brimlark/surface/CompactHiddenStatusView.h"
#include "Brimlark/surface/NotchHalo.h"
#include "Brimlark/surface/NotchRootView.h"
#include "tests/support/EventCounter.h"
#include "tests/support/Screenshot.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"

#include <QTimer>

using Kind = ActiveHalo::Kind;

namespace {

ActiveHalo glow(Kind kind, const QColor& color = BrimlarkTheme::accent()) {
    return ActiveHalo{QUuid::createUuid(), kind, color, HaloSource::hooks, QDateTime::currentDateTimeUtc()};
}

QImage render(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

int inked(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
    return count;
}

} // namespace

class TestNotchHalo : public QObject {
    Q_OBJECT
private:
    FakeAccessibility accessibility;
    std::unique_ptr<NotchHalo> halo;

    void build() {
        halo = std::make_unique<NotchHalo>(&accessibility, [] { return false; });
        halo->resize(356, 102);
    }

private slots:
    void init() {
        accessibility.setReduceMotion(false);
        build();
    }
    void cleanup() { halo.reset(); }

    void noGlowDrawsNothingAndTakesNoClicks() {
        QVERIFY(halo->testAttribute(Qt::WA_TransparentForMouseEvents));
        QCOMPARE(inked(render(*halo)), 0);
        halo->setAmbientPhase(0.5); // the phase alone draws nothing
        QCOMPARE(inked(render(*halo)), 0);
    }

    void theLineRunsInsideThePanelsEdgeButNotAlongTheScreenTop() {
        accessibility.setReduceMotion(true);
        halo->setActive(glow(Kind::persistent, QColor(255, 0, 0)));
        const QImage image = render(*halo);
        QVERIFY(qAlpha(image.pixel(1, 50)) > 0);    // left edge
        QVERIFY(qAlpha(image.pixel(354, 50)) > 0);  // right edge
        QVERIFY(qAlpha(image.pixel(178, 101)) > 0); // bottom edge
        for (int x = 0; x < image.width(); ++x)
            QCOMPARE(qAlpha(image.pixel(x, 0)), 0);
        QCOMPARE(qAlpha(image.pixel(178, 50)), 0); // nothing over the content
    }

    void reduceMotionHoldsStillOrEasesOnly() {
        accessibility.setReduceMotion(true);
        halo->setActive(glow(Kind::persistent));
        QCOMPARE(halo->lineOpacity(), 1.0);
        QCOMPARE(halo->lineColor().alphaF(), 0.8f);
        QTest::qWait(100);
        QCOMPARE(halo->lineColor().alphaF(), 0.8f);

        halo->setActive(glow(Kind::oneShot));
        QCOMPARE(halo->lineOpacity(), 0.0);
        QTRY_COMPARE_WITH_TIMEOUT(halo->lineOpacity(), 1.0, 1000);
        QTRY_COMPARE_WITH_TIMEOUT(halo->lineOpacity(), 0.0, 2000);
    }

    void persistentBreathesWithoutReduceMotion() {
        halo->setActive(glow(Kind::persistent));
        QCOMPARE(halo->lineColor().alphaF(), 0.6f);
        QTRY_VERIFY_WITH_TIMEOUT(halo->lineColor().alphaF() > 0.79f, 2000);
        QTRY_VERIFY_WITH_TIMEOUT(halo->lineColor().alphaF() < 0.61f, 2000);
    }

    void lastingGlowsRedrawAtACappedRate() {
        EventCounter paints(QEvent::Paint);
        halo->installEventFilter(&paints);
        halo->show();
        QVERIFY(QTest::qWaitForWindowExposed(halo.get()));

        // The ceiling is the point; the floor only says that it moves at all, however slow the
        // machine running the test.
        halo->setActive(glow(Kind::persistent));
        QTest::qWait(100);
        paints.count = 0;
        QTest::qWait(1000);
        QVERIFY2(paints.count >= 2 && paints.count <= 32, qPrintable(QString::number(paints.count)));

        // The ambient glow, stepped by the controller's phase four times a second, drifts at the
        // same rate.
        halo->setActive(glow(Kind::ambient));
        double phase = 0.0;
        QTimer stepper;
        connect(&stepper, &QTimer::timeout, halo.get(), [&] {
            phase = phase >= 1.0 ? 0.0 : phase + 1.0 / 24.0;
            halo->setAmbientPhase(phase);
        });
        stepper.start(250);
        QTest::qWait(300);
        paints.count = 0;
        QTest::qWait(1000);
        QVERIFY2(paints.count >= 2 && paints.count <= 32, qPrintable(QString::number(paints.count)));
        // Once the phase stands still, the drift ends and nothing more is drawn.
        stepper.stop();
        QTest::qWait(500);
        paints.count = 0;
        QTest::qWait(200);
        QCOMPARE(paints.count, 0);
        QCOMPARE(halo->lineColor().rgba(), NotchHalo::ambientColor(phase).rgba());
    }

    void aNewOneShotRestartsTheFlare() {
        halo->setActive(glow(Kind::oneShot));
        QTRY_VERIFY_WITH_TIMEOUT(halo->lineOpacity() > 0.5, 1000);
        halo->setActive(glow(Kind::oneShot));
        QCOMPARE(halo->lineOpacity(), 0.0);
        // The same glow delivered again keeps its flare.
        QTRY_VERIFY_WITH_TIMEOUT(halo->lineOpacity() > 0.5, 1000);
        halo->setActive(halo->active());
        QVERIFY(halo->lineOpacity() > 0.5);
    }

    void ambientColours_data() {
        QTest::addColumn<double>("phase");
        QTest::addColumn<QColor>("color");
        QColor orange = BrimlarkTheme::warning();
        orange.setAlphaF(0.55f);
        QColor cyan = BrimlarkTheme::accent();
        cyan.setAlphaF(0.55f);
        QTest::newRow("0") << 0.0 << orange;
        QTest::newRow("1") << 1.0 << orange;
        QTest::newRow("0.5") << 0.5 << cyan;
    }
    void ambientColours() {
        QFETCH(double, phase);
        QFETCH(QColor, color);
        const QColor actual = NotchHalo::ambientColor(phase);
        QCOMPARE(actual.rgba(), color.rgba());
    }

    void ambientFollowsThePhase() {
        accessibility.setReduceMotion(true);
        halo->setActive(glow(Kind::ambient, BrimlarkTheme::danger()));
        QCOMPARE(halo->lineColor().rgba(), NotchHalo::ambientColor(0.0).rgba()); // its own colour is ignored
        halo->setAmbientPhase(0.5);
        QCOMPARE(halo->lineColor().rgba(), NotchHalo::ambientColor(0.5).rgba());
    }

    void screenshots() {
        if (brimlark::test::screenshotDir().isEmpty())
            QSKIP("BRIMLARK_SCREENSHOT_DIR is not set");
        accessibility.setReduceMotion(true);
        ServiceFixture f;
        InteractionEngine engine(f.appState, &f.clock);
        CalendarService calendar(f.permissionsCoordinator);
        RemindersService reminders(f.permissionsCoordinator);
        NotchHalo* shown = nullptr;
        NotchRootView::Inputs inputs;
        inputs.interactionEngine = &engine;
        inputs.quickActionsStore = &f.quickActions;
        inputs.appState = &f.appState;
        inputs.calendar = &calendar;
        inputs.reminders = &reminders;
        inputs.hasCompactStatus = [] { return true; };
        inputs.makeCompactStatusView = [&f](QWidget* parent, bool notched, const QSizeF& notch) {
            HookEvent e;
            e.source = HookEvent::Source::claude;
            e.status = HookEvent::Status::working;
            return new CompactHiddenStatusView(CompactLiveStatus::ai(e), nullptr, notched, notch, &f.clock,
                                               parent);
        };
        inputs.makeHaloView = [this, &shown](QWidget* parent, std::function<bool()> notched) {
            shown = new NotchHalo(&accessibility, std::move(notched), parent);
            return shown;
        };
        NotchRootView root(inputs, f.screens, &f.accessibility);
        root.resize(356, 102);
        root.show();

        shown->setActive(glow(Kind::oneShot, BrimlarkTheme::success()));
        QTRY_COMPARE(shown->lineOpacity(), 1.0);
        brimlark::test::saveScreenshot(&root, QStringLiteral("glow-one-shot"));
        shown->setActive(glow(Kind::persistent, BrimlarkTheme::accent()));
        brimlark::test::saveScreenshot(&root, QStringLiteral("glow-persistent"));
        shown->setActive(glow(Kind::ambient, BrimlarkTheme::warning()));
        shown->setAmbientPhase(0.3);
        brimlark::test::saveScreenshot(&root, QStringLiteral("glow-ambient"));
    }
};

BRIMLARK_TEST_MAIN(TestNotchHalo)
#include "tst_notchhalo.moc"
