#include "Brimlark/core/AppState.h"
#include "Brimlark/core/InteractionEngine.h"
#include "tests/support/StateFixture.h"
#include "tests/support/TestMain.h"

#include <QSignalSpy>

#include <limits>
#include <memory>

using Mode = InteractionEngine::Mode;
using Trigger = InteractionEngine::InteractionTrigger;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(Trigger)
Q_DECLARE_METATYPE(std::optional<Trigger>)

namespace {
// Shorthand for table rows: "-" is no trigger.
std::optional<Trigger> trig(const char* name) {
    const QString n = QString::fromLatin1(name);
    if (n == QLatin1String("hover"))
        return Trigger::hover;
    if (n == QLatin1String("click"))
        return Trigger::click;
    if (n == QLatin1String("shortcut"))
        return Trigger::shortcut;
    if (n == QLatin1String("gesture"))
        return Trigger::gesture;
    return std::nullopt;
}
} // namespace

class TestInteractionEngine : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<StateFixture> f;
    std::unique_ptr<InteractionEngine> m_engine;

private slots:
    void init() {
        f = std::make_unique<StateFixture>();
        m_engine = std::make_unique<InteractionEngine>(f->appState, &f->clock);
    }
    void cleanup() {
        m_engine.reset();
        f.reset();
    }

    void openFollowsTheTriggerAndToggles_data() {
        QTest::addColumn<Mode>("start");
        QTest::addColumn<bool>("advancedDefault");
        QTest::addColumn<int>("lastPage");
        QTest::addColumn<std::optional<Trigger>>("trigger");
        QTest::addColumn<Mode>("expected");
        QTest::addColumn<std::optional<Trigger>>("expectedTrigger");

        QTest::newRow("click opens basic")
            << Mode::hidden() << false << 0 << trig("click") << Mode::basic() << trig("click");
        QTest::newRow("click closes basic")
            << Mode::basic() << false << 0 << trig("click") << Mode::hidden() << trig("-");
        QTest::newRow("shortcut opens advanced on last page")
            << Mode::hidden() << true << 3 << trig("shortcut") << Mode::advanced(3) << trig("shortcut");
        QTest::newRow("click closes advanced on last page")
            << Mode::advanced(2) << true << 2 << trig("click") << Mode::hidden() << trig("-");
        QTest::newRow("click on advanced with basic default goes basic")
            << Mode::advanced(2) << false << 2 << trig("click") << Mode::basic() << trig("click");
        QTest::newRow("gesture opens advanced")
            << Mode::hidden() << false << 4 << trig("gesture") << Mode::advanced(4) << trig("gesture");
        QTest::newRow("gesture from basic goes advanced")
            << Mode::basic() << false << 1 << trig("gesture") << Mode::advanced(1) << trig("gesture");
        QTest::newRow("hover opens basic")
            << Mode::hidden() << true << 0 << trig("hover") << Mode::basic() << trig("hover");
        QTest::newRow("hover never closes basic")
            << Mode::basic() << false << 0 << trig("hover") << Mode::basic() << trig("hover");
        QTest::newRow("stored page out of range is wrapped")
            << Mode::hidden() << true << 13 << trig("click") << Mode::advanced(1) << trig("click");
        QTest::newRow("negative stored page is wrapped")
            << Mode::hidden() << false << -1 << trig("gesture") << Mode::advanced(5) << trig("gesture");
    }
    void openFollowsTheTriggerAndToggles() {
        QFETCH(Mode, start);
        QFETCH(bool, advancedDefault);
        QFETCH(int, lastPage);
        QFETCH(std::optional<Trigger>, trigger);
        QFETCH(Mode, expected);
        QFETCH(std::optional<Trigger>, expectedTrigger);

        m_engine->setMode(start);
        f->appState.setLastAdvancedPage(lastPage);
        f->appState.setDefaultOpenMode(advancedDefault ? AppState::DefaultOpenMode::advanced
                                                       : AppState::DefaultOpenMode::basic);
        m_engine->setSuppressHoverActivationUntilExit(true);
        m_engine->open(*trigger);
        QCOMPARE(m_engine->mode(), expected);
        QCOMPARE(m_engine->lastOpenTrigger(), expectedTrigger);
        if (expected == Mode::hidden())
            QVERIFY(!m_engine->suppressHoverActivationUntilExit());
        if (expected.isAdvanced())
            QCOMPARE(f->appState.lastAdvancedPage(), expected.page());
    }

    void setModePublishesOnlyRealChangesAndStoresThePage() {
        QSignalSpy spy(m_engine.get(), &InteractionEngine::modeChanged);
        m_engine->setMode(Mode::hidden());
        QCOMPARE(spy.count(), 0);
        m_engine->setMode(Mode::advanced(2));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<Mode>(), Mode::advanced(2));
        QCOMPARE(spy.at(0).at(1).value<Mode>(), Mode::hidden());
        QCOMPARE(f->defaults.integer(QStringLiteral("brimlark.lastAdvancedPage")), 2);
        QVERIFY(Mode::advanced(2) != Mode::advanced(3));
        QCOMPARE(Mode::advanced(2).toString(), QStringLiteral("advanced(page: 2)"));
        // A page out of range (a hand-edited store) is one real page wherever a mode is built,
        // and that page is what is stored back.
        QCOMPARE(Mode::advanced(9), Mode::advanced(3));
        m_engine->setMode(Mode::advanced(-1));
        QCOMPARE(m_engine->mode(), Mode::advanced(5));
        QCOMPARE(f->defaults.integer(QStringLiteral("brimlark.lastAdvancedPage")), 5);
    }

    void pagingWrapsBothWays_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<bool>("forward");
        QTest::addColumn<int>("to");
        QTest::newRow("last to first") << 5 << true << 0;
        QTest::newRow("first to last") << 0 << false << 5;
        QTest::newRow("middle forward") << 2 << true << 3;
        QTest::newRow("middle back") << 2 << false << 1;
    }
    void pagingWrapsBothWays() {
        QFETCH(int, from);
        QFETCH(bool, forward);
        QFETCH(int, to);
        m_engine->setMode(Mode::advanced(from));
        forward ? m_engine->nextPage(6) : m_engine->previousPage(6);
        QCOMPARE(m_engine->mode(), Mode::advanced(to));
    }

    void pagingOutsideAdvancedOrWithoutPagesIsIgnored() {
        m_engine->setMode(Mode::basic());
        m_engine->nextPage(6);
        QCOMPARE(m_engine->mode(), Mode::basic());
        m_engine->setMode(Mode::advanced(1));
        m_engine->previousPage(0);
        m_engine->nextPage(-3);
        QCOMPARE(m_engine->mode(), Mode::advanced(1));
    }

    void hoverOpensBasicOnlyAfterTheDelay() {
        m_engine->hover(true);
        f->clock.advance(90ms);
        QCOMPARE(m_engine->mode(), Mode::hidden());
        m_engine->hover(false); // left before the delay ended
        f->clock.advance(1s);
        QCOMPARE(m_engine->mode(), Mode::hidden());

        m_engine->hover(true);
        f->clock.advance(100ms);
        QCOMPARE(m_engine->mode(), Mode::basic());
        QCOMPARE(m_engine->lastOpenTrigger(), trig("hover"));
        QVERIFY(!m_engine->hasPendingHoverActivation());
    }

    void hoverDelayIsClamped_data() {
        QTest::addColumn<double>("stored");
        QTest::addColumn<int>("expectedMs");
        QTest::newRow("default") << 0.1 << 100;
        QTest::newRow("too long") << 2.0 << 500;
        QTest::newRow("zero") << 0.0 << 100;
        QTest::newRow("negative") << -4.0 << 100;
        QTest::newRow("in range") << 0.3 << 300;
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << 100;
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << 100;
        QTest::newRow("minus infinite") << -std::numeric_limits<double>::infinity() << 100;
    }
    void hoverDelayIsClamped() {
        QFETCH(double, stored);
        QFETCH(int, expectedMs);
        f->appState.setHoverPeekDelay(stored);
        m_engine->hover(true);
        f->clock.advance(std::chrono::milliseconds(expectedMs - 1));
        QCOMPARE(m_engine->mode(), Mode::hidden());
        f->clock.advance(1ms);
        QCOMPARE(m_engine->mode(), Mode::basic());
    }

    void anyModeChangeCancelsAPendingHoverOpening() {
        m_engine->hover(true);
        m_engine->setMode(Mode::advanced(0));
        m_engine->close();
        QVERIFY(!m_engine->hasPendingHoverActivation());
        f->clock.advance(1s);
        QCOMPARE(m_engine->mode(), Mode::hidden());

        // Setting the current mode is no change: the pending opening survives.
        m_engine->hover(true);
        m_engine->setMode(Mode::hidden());
        QVERIFY(m_engine->hasPendingHoverActivation());
        f->clock.advance(100ms);
        QCOMPARE(m_engine->mode(), Mode::basic());
    }

    void suppressionHoldsUntilThePointerLeaves() {
        m_engine->open(Trigger::click);
        m_engine->close();
        m_engine->setSuppressHoverActivationUntilExit(true);
        m_engine->hover(true);
        f->clock.advance(1s);
        QCOMPARE(m_engine->mode(), Mode::hidden());

        m_engine->hover(false);
        QVERIFY(!m_engine->suppressHoverActivationUntilExit());
        m_engine->hover(true);
        f->clock.advance(100ms);
        QCOMPARE(m_engine->mode(), Mode::basic());
    }

    void leavingNeverClosesAnOpenPanel() {
        m_engine->open(Trigger::click);
        m_engine->hover(false);
        QCOMPARE(m_engine->mode(), Mode::basic());
        m_engine->setMode(Mode::advanced(3));
        m_engine->hover(true);
        m_engine->hover(false);
        f->clock.advance(1s);
        QCOMPARE(m_engine->mode(), Mode::advanced(3));
    }

    void hoverOpenedBasicClearsSuppressionOnExit() {
        m_engine->hover(true);
        f->clock.advance(100ms);
        m_engine->setSuppressHoverActivationUntilExit(true);
        m_engine->hover(false);
        QVERIFY(!m_engine->suppressHoverActivationUntilExit());
        QCOMPARE(m_engine->mode(), Mode::basic());
    }
};

BRIMLARK_TEST_MAIN(TestInteractionEngine)
#include "tst_interactionengine.moc"
