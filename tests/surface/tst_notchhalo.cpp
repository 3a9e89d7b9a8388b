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

#include <cmath>

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
        halo->resize(NotchHalo::frameAround(QRect(0, 0, 356, 102)).size());
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

    void theLineRunsWholeOutsideThePanelButNotAlongTheScreenTop() {
        accessibility.setReduceMotion(true);
        halo->setActive(glow(Kind::persistent, QColor(255, 0, 0)));
        const QImage image = render(*halo);
        const QRect panel = halo->panelRect().toRect();
        QCOMPARE(panel, QRect(4, 0, 356, 102));
        // Across each edge the whole 1.25-point line, at 0.8, lies outside the panel; its own rim
        // and the content stay clear.
        const auto across = [&](QPoint from, QPoint step, int count) {
            int ink = 0;
            for (int i = 0; i < count; ++i)
                ink += qAlpha(image.pixel(from + step * i));
            return ink / 255.0;
        };
        const double whole = NotchHalo::lineWidth * 0.8;
        for (const double ink : {across(QPoint(0, 50), QPoint(1, 0), panel.left()),
                                 across(QPoint(panel.right() + 1, 50), QPoint(1, 0), NotchHalo::margin),
                                 across(QPoint(180, panel.bottom() + 1), QPoint(0, 1), NotchHalo::margin)})
            QVERIFY2(std::abs(ink - whole) < 0.1, qPrintable(QString::number(ink)));
        for (const QPoint inside :
             {QPoint(panel.left(), 50), QPoint(panel.right(), 50), QPoint(180, 101), QPoint(180, 50)})
            QCOMPARE(qAlpha(image.pixel(inside)), 0);
        for (int x = panel.left() + 30; x < panel.right() - 30; ++x)
            QCOMPARE(qAlpha(image.pixel(x, 0)), 0);
    }

    // A frame of the breath repaints the strip alone: it must hold every pixel the line touches,
    // for every panel size, with and without a physical notch.
    void theStripHoldsTheWholeLine_data() {
        QTest::addColumn<QSize>("panel");
        QTest::addColumn<bool>("notched");
        for (const QSize panel : {QSize(200, 32), QSize(356, 102), QSize(724, 388)}) {
            for (const bool notched : {false, true}) {
                const QString name = QStringLiteral("%1x%2%3")
                                         .arg(panel.width())
                                         .arg(panel.height())
                                         .arg(notched ? QStringLiteral(" notched") : QString());
                QTest::newRow(qPrintable(name)) << panel << notched;
            }
        }
    }
    void theStripHoldsTheWholeLine() {
        QFETCH(QSize, panel);
        QFETCH(bool, notched);
        NotchHalo view(&accessibility, [notched] { return notched; });
        view.resize(NotchHalo::frameAround(QRect(QPoint(0, 0), panel)).size());
        view.setActive(glow(Kind::persistent));
        const QRegion line = view.linePixels();
        QVERIFY(!line.isEmpty());
        QCOMPARE(line - view.lineStrip(), QRegion());
        // The strip is a band, not the whole view, and a few rectangles, not one per row.
        QVERIFY(!view.lineStrip().contains(view.panelRect().center().toPoint()));
        QVERIFY(view.lineStrip().rectCount() <= 8);
    }

    // A desktop without a compositor shows a translucent window's clear pixels black: there the
    // line has hard edges, and linePixels() (the window's cut) is exactly what it inks.
    void withoutSoftEdgesTheLineIsItsPixels() {
        accessibility.setReduceMotion(true);
        halo->setActive(glow(Kind::persistent, QColor(0, 200, 255)));
        halo->setSoftEdges(false);
        const QImage image = render(*halo);
        QRegion inked;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const int alpha = qAlpha(image.pixel(x, y));
                if (alpha > 0) {
                    inked += QRect(x, y, 1, 1);
                    QCOMPARE(alpha, qRound(0.8 * 255));
                }
            }
        }
        QVERIFY(!inked.isEmpty());
        QCOMPARE(inked, halo->linePixels());
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
        bool hasStatus = true;
        f.setOrganizer(&calendar, &reminders);
        NotchRootView::Inputs inputs;
        inputs.interactionEngine = &engine;
        inputs.hasCompactStatus = [&hasStatus] { return hasStatus; };
        inputs.makeCompactStatusView = [&f](QWidget* parent, bool notched, const QSizeF& notch) {
            HookEvent e;
            e.source = HookEvent::Source::claude;
            e.status = HookEvent::Status::asking;
            e.title = QStringLiteral("may I run make?");
            return new CompactHiddenStatusView(CompactLiveStatus::ai(e), nullptr, notched, notch, &f.clock,
                                               parent);
        };

        // The panel as the desktop shows it: the glow's window over the panel's, both over a
        // desktop of `background`, 20 pixels of it below.
        const auto shoot = [&](const QSize& panelSize, const ActiveHalo& active, const QColor& background,
                               const QString& name) {
            NotchRootView root(f.services(), inputs, f.screens);
            root.resize(panelSize);
            root.refresh();
            NotchHalo around(&accessibility, [] { return false; });
            around.resize(NotchHalo::frameAround(QRect(QPoint(0, 0), panelSize)).size());
            around.setActive(active);
            QTRY_COMPARE(around.lineOpacity(), 1.0);
            QImage desktop(around.size() + QSize(40, 20), QImage::Format_ARGB32_Premultiplied);
            desktop.fill(background);
            root.render(&desktop, QPoint(20 + NotchHalo::margin, 0), QRegion(), QWidget::DrawChildren);
            around.render(&desktop, QPoint(20, 0), QRegion(), QWidget::DrawChildren);
            brimlark::test::saveScreenshot(desktop.scaled(desktop.size() * 3), name);
        };
        const QColor light(0xdd, 0xe3, 0xea);
        const QColor dark(0x2b, 0x30, 0x3a);
        shoot(QSize(356, 102), glow(Kind::persistent, BrimlarkTheme::accent()), light, "glow-asking-light");
        shoot(QSize(356, 102), glow(Kind::persistent, BrimlarkTheme::accent()), dark, "glow-asking-dark");
        hasStatus = false;
        shoot(QSize(200, 32), glow(Kind::persistent, BrimlarkTheme::accent()), light, "glow-asking-notch");
        shoot(QSize(200, 32), glow(Kind::oneShot, BrimlarkTheme::success()), dark, "glow-one-shot");
        NotchHalo ambient(&accessibility, [] { return false; });
        ambient.resize(NotchHalo::frameAround(QRect(0, 0, 200, 32)).size());
        ambient.setActive(glow(Kind::ambient, BrimlarkTheme::warning()));
        ambient.setAmbientPhase(0.3);
        shoot(QSize(200, 32), *ambient.active(), dark, "glow-ambient");
    }
};

BRIMLARK_TEST_MAIN(TestNotchHalo)
#include "tst_notchhalo.moc"
