#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/shell/MenuBarLabel.h"
#include "tests/support/EventCounter.h"
#include "tests/support/Screenshot.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QSystemTrayIcon>

using Status = HookEvent::Status;

namespace {

HookEvent hookEvent(Status status, QUuid id = QUuid::createUuid()) {
    HookEvent e;
    e.id = id;
    e.source = HookEvent::Source::claude;
    e.status = status;
    // Names that every display preset shows.
    e.eventName = status == Status::working ? QStringLiteral("SessionStart") : QStringLiteral("Stop");
    return e;
}

} // namespace

class TestMenuBarLabel : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<ServiceFixture> f;
    std::unique_ptr<QSystemTrayIcon> tray;
    std::unique_ptr<MenuBarLabel> label;

    void build() { label = std::make_unique<MenuBarLabel>(*tray, &f->aiHooks, &f->timer, &f->accessibility); }
    StatusObserver& dot() { return label->statusObserver(); }

private slots:
    void init() {
        f = std::make_unique<ServiceFixture>();
        tray = std::make_unique<QSystemTrayIcon>();
    }
    void cleanup() {
        label.reset();
        tray.reset();
        f.reset();
    }

    void dotColourAndPulseRule_data() {
        QTest::addColumn<std::optional<Status>>("active");
        QTest::addColumn<bool>("timer");
        QTest::addColumn<std::optional<QColor>>("color");
        QTest::addColumn<bool>("pulsing");
        const auto colour = [](const QColor& c) { return std::optional<QColor>(c); };
        QTest::newRow("idle") << std::optional<Status>(Status::idle) << false
                              << colour(BrimlarkTheme::textTertiary()) << false;
        QTest::newRow("asking") << std::optional<Status>(Status::asking) << true
                                << colour(BrimlarkTheme::accent()) << true;
        QTest::newRow("working") << std::optional<Status>(Status::working) << false
                                 << colour(BrimlarkTheme::warning()) << true;
        QTest::newRow("finished") << std::optional<Status>(Status::finished) << false
                                  << colour(BrimlarkTheme::success()) << false;
        QTest::newRow("error") << std::optional<Status>(Status::error) << true
                               << colour(BrimlarkTheme::danger()) << false;
        QTest::newRow("timer only") << std::optional<Status>() << true << colour(BrimlarkTheme::accent())
                                    << false;
        QTest::newRow("nothing") << std::optional<Status>() << false << std::optional<QColor>() << false;
    }
    void dotColourAndPulseRule() {
        QFETCH(std::optional<Status>, active);
        QFETCH(bool, timer);
        QFETCH(std::optional<QColor>, color);
        QFETCH(bool, pulsing);
        const std::optional<HookEvent> event =
            active ? std::optional<HookEvent>(hookEvent(*active)) : std::nullopt;
        QCOMPARE(StatusObserver::dotColorFor(event, timer), color);
        QCOMPARE(StatusObserver::isPulsingFor(event), pulsing);
    }

    void askingPulsesThenErrorSettlesAtFullSize() {
        build();
        const QUuid id = QUuid::createUuid();
        f->aiHooks.ingest(hookEvent(Status::asking, id));
        QCOMPARE(dot().dotColor(), std::optional<QColor>(BrimlarkTheme::accent()));
        QVERIFY(label->isPulsing());
        QCOMPARE(dot().dotOpacity(), 0.45);
        const int before = label->redrawCount();
        QTRY_VERIFY_WITH_TIMEOUT(dot().dotOpacity() > 0.99 && dot().dotScale() > 1.14, 1500);
        QTRY_VERIFY_WITH_TIMEOUT(dot().dotOpacity() < 0.46, 1500); // and back: it reverses
        // The tray is redrawn per visible step of the pulse, not per animation frame.
        QVERIFY2(label->redrawCount() - before <= 30,
                 qPrintable(QString::number(label->redrawCount() - before)));

        f->aiHooks.ingest(hookEvent(Status::error, id));
        QCOMPARE(dot().dotColor(), std::optional<QColor>(BrimlarkTheme::danger()));
        QVERIFY(!label->isPulsing());
        QElapsedTimer settling;
        settling.start();
        QTRY_VERIFY_WITH_TIMEOUT(!label->isAnimating(), 1000);
        QVERIFY(settling.elapsed() < 600);
        QCOMPARE(dot().dotOpacity(), 1.0);
        QCOMPARE(dot().dotScale(), 1.0);

        f->aiHooks.dismiss(id);
        QCOMPARE(dot().dotColor(), std::nullopt);
        f->timer.start(60);
        QCOMPARE(dot().dotColor(), std::optional<QColor>(BrimlarkTheme::accent()));
        QVERIFY(!label->isAnimating());
    }

    void aPulseLegMovesTheDotInAFewSteps() {
        build();
        // Every timer that fires in the program while the dot pulses, whoever owns it.
        EventCounter timers(QEvent::Timer);
        qApp->installEventFilter(&timers);
        f->aiHooks.ingest(hookEvent(Status::asking));
        const int before = label->redrawCount();
        QElapsedTimer leg;
        leg.start();
        QTRY_VERIFY_WITH_TIMEOUT(dot().dotOpacity() == 1.0, 1500);
        const qint64 took = leg.elapsed();
        const int icons = label->redrawCount() - before;
        const int fired = timers.count;
        qApp->removeEventFilter(&timers);
        // The leg keeps its length, and the tray gets a new picture per step, not per frame.
        QVERIFY2(took >= 750, qPrintable(QString::number(took)));
        QVERIFY2(icons >= 2 && icons <= 12, qPrintable(QString::number(icons)));
        QVERIFY2(fired <= 15, qPrintable(QString::number(fired)));
        QCOMPARE(dot().dotScale(), 1.15);
    }

    void noTrayPictureUntilTheTrayIsShown() {
        build();
        const qint64 resting = tray->icon().cacheKey();
        f->aiHooks.ingest(hookEvent(Status::asking));
        QTRY_VERIFY_WITH_TIMEOUT(dot().dotOpacity() > 0.9, 1500);
        // The dot moves, but without a tray no picture is rendered for it.
        QCOMPARE(tray->icon().cacheKey(), resting);
        label->trayWillShow();
        const qint64 first = tray->icon().cacheKey();
        QVERIFY(first != resting);
        QTRY_VERIFY_WITH_TIMEOUT(tray->icon().cacheKey() != first, 1500);
    }

    void reduceMotionHoldsThePulsedLook() {
        f->accessibility.setReduceMotion(true);
        build();
        f->aiHooks.ingest(hookEvent(Status::working));
        QVERIFY(label->isPulsing());
        QVERIFY(!label->isAnimating());
        QCOMPARE(dot().dotOpacity(), 1.0);
        QCOMPARE(dot().dotScale(), 1.15);
        // Another event that leaves the dot as it is does not redraw the tray.
        const int drawn = label->redrawCount();
        f->aiHooks.ingest(hookEvent(Status::working));
        QCOMPARE(label->redrawCount(), drawn);
    }

    // The tray is light on some desktops and dark on others: the symbol and the dot stand out on
    // both, and the tray is told the name of the program.
    void theLabelReadsOnLightAndDarkTrays_data() {
        QTest::addColumn<QColor>("background");
        QTest::addColumn<bool>("dot");
        QTest::newRow("light") << QColor(0xf2, 0xf2, 0xf2) << false;
        QTest::newRow("dark") << QColor(0x20, 0x22, 0x26) << false;
        QTest::newRow("light, dot") << QColor(0xf2, 0xf2, 0xf2) << true;
        QTest::newRow("dark, dot") << QColor(0x20, 0x22, 0x26) << true;
    }
    void theLabelReadsOnLightAndDarkTrays() {
        QFETCH(QColor, background);
        QFETCH(bool, dot);
        StatusObserver observer;
        if (dot)
            observer.setDotColor(BrimlarkTheme::accent());
        QImage shown(22, 22, QImage::Format_ARGB32_Premultiplied);
        shown.fill(background);
        {
            QPainter painter(&shown);
            painter.drawPixmap(0, 0, observer.render(22));
        }
        // The symbol's strongest contrast with the tray, in lightness.
        int contrast = 0;
        for (int y = 0; y < 22; ++y)
            for (int x = 0; x < 22; ++x)
                contrast =
                    std::max(contrast, std::abs(shown.pixelColor(x, y).lightness() - background.lightness()));
        QVERIFY2(contrast > 120, qPrintable(QString::number(contrast)));
        const QString name =
            QStringLiteral("tray-%1%2")
                .arg(background.lightness() > 128 ? QStringLiteral("light") : QStringLiteral("dark"))
                .arg(dot ? QStringLiteral("-dot") : QString());
        // Magnified without smoothing, to be looked at pixel by pixel.
        brimlark::test::saveScreenshot(shown.scaled(shown.size() * 8), name);
    }
};

BRIMLARK_TEST_MAIN(TestMenuBarLabel)
#include "tst_menubarlabel.moc"
