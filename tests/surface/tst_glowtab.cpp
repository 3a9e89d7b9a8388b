#include "Brimlark/core/EnumText.h"
#include "Brimlark/core/InteractionEngine.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/settings/SettingsScene.h"
#include "Brimlark/surface/GlowModeRow.h"
#include "Brimlark/surface/GlowTab.h"
#include "Brimlark/surface/GlowTestButton.h"
#include "Brimlark/surface/GlowTriggerRow.h"
#include "Brimlark/surface/HaloController.h"
#include "Brimlark/surface/SettingsGlowKnob.h"
#include "tests/support/Screenshot.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"

#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QVBoxLayout>

#include <memory>

namespace {

struct GlowFixture : ServiceFixture {
    InteractionEngine engine{appState, &clock};
    HaloController halo{appState, media, aiHooks, engine, &clock};
    GlowTab tab{appState, halo, aiHooks};
};

qreal shownOpacity(QWidget* widget) {
    auto* effect = qobject_cast<QGraphicsOpacityEffect*>(widget->graphicsEffect());
    return effect ? effect->opacity() : 1.0;
}

} // namespace

class TestGlowTab : public QObject {
    Q_OBJECT
private slots:
    void modesSetTheSettingAndGateTheTriggers_data() {
        QTest::addColumn<HaloMode>("mode");
        QTest::addColumn<bool>("triggersInUse");
        QTest::addColumn<QString>("note");
        QTest::newRow("off") << HaloMode::off << false
                             << QStringLiteral("glow is off — turn on a mode above to enable triggers.");
        QTest::newRow("oneShot") << HaloMode::oneShot << true << QString();
        QTest::newRow("persistent") << HaloMode::persistent << true << QString();
        QTest::newRow("ambient") << HaloMode::ambient << false
                                 << QStringLiteral("ambient mode glows continuously regardless of triggers.");
    }
    void modesSetTheSettingAndGateTheTriggers() {
        QFETCH(HaloMode, mode);
        QFETCH(bool, triggersInUse);
        GlowFixture f;
        f.appState.setHaloMode(mode == HaloMode::persistent ? HaloMode::oneShot : HaloMode::persistent);
        f.tab.resize(560, 700);
        f.tab.show();
        GlowModeRow* row = f.tab.modeRows().at(static_cast<int>(mode));
        QTest::mouseClick(row, Qt::LeftButton);
        QCOMPARE(f.appState.haloMode(), mode);
        QCOMPARE(f.defaults.value(AppState::Keys::haloMode), QVariant(rawValue(mode)));
        for (GlowModeRow* other : f.tab.modeRows())
            QCOMPARE(other->isSelected(), other == row);
        QTEST(f.tab.note(), "note");

        // A press on a trigger row toggles its setting only while triggers are in use.
        const bool media = f.appState.haloOnMedia();
        const bool hooks = f.appState.haloOnHooks();
        QTest::mouseClick(f.tab.mediaTrigger(), Qt::LeftButton);
        QTest::mouseClick(f.tab.hooksTrigger(), Qt::LeftButton);
        QCOMPARE(f.appState.haloOnMedia(), triggersInUse ? !media : media);
        QCOMPARE(f.appState.haloOnHooks(), triggersInUse ? !hooks : hooks);
        QCOMPARE(f.tab.mediaTrigger()->knob()->isOn(), f.appState.haloOnMedia());
        QCOMPARE(shownOpacity(f.tab.mediaTrigger()), triggersInUse ? 1.0 : 0.5);
        QCOMPARE(shownOpacity(f.tab.hooksTrigger()), triggersInUse ? 1.0 : 0.5);
    }

    void modeTitlesAreLowerCasedDescriptionsKeepTheirCapitals() {
        GlowFixture f;
        QCOMPARE(f.tab.modeRows().size(), 4);
        QCOMPARE(f.tab.modeRows().at(3)->text(), QStringLiteral("always-on ambient"));
        QStringList labels;
        for (QLabel* label : f.tab.modeRows().at(3)->findChildren<QLabel*>())
            if (!label->text().isEmpty())
                labels << label->text();
        QCOMPARE(labels, QStringList({"always-on ambient",
                                      "The notch glows constantly, cycling through accent colors."}));
    }

    void testGlowClearsAPersistentGlowThenSendsATestEvent() {
        GlowFixture f;
        f.appState.setHaloMode(HaloMode::persistent);
        f.appState.setHaloOnHooks(true);
        f.halo.observeHookEvents();
        HookEvent asking;
        asking.id = QUuid::createUuid();
        asking.source = HookEvent::Source::codex;
        asking.status = HookEvent::Status::asking;
        asking.timestamp = f.clock.now();
        f.aiHooks.ingest(asking);
        QTRY_VERIFY(f.halo.current() && f.halo.current()->kind == ActiveHalo::Kind::persistent);

        f.tab.findChild<GlowTestButton*>()->click();
        QVERIFY(!f.halo.current());
        QCOMPARE(f.aiHooks.events().size(), 1); // not yet: the event follows shortly
        QTRY_COMPARE(f.aiHooks.events().size(), 2);
        const HookEvent& test = f.aiHooks.events().first();
        QCOMPARE(test.title, QStringLiteral("claude is coding"));
        QCOMPARE(test.status, HookEvent::Status::working);
        QTRY_VERIFY(f.halo.current() && f.halo.current()->color == HaloController::colorFor(test.status));
    }

    void settingsWindowHostsTheTab() {
        ServiceFixture f;
        auto coordinator = f.makeCoordinator();
        auto* scene = coordinator->openSettings()->findChild<SettingsScene*>();
        scene->setSelection(SettingsTab::glow);
        QVERIFY(scene->findChild<GlowTab*>());
        brimlark::test::saveScreenshot(scene, QStringLiteral("settings-glow"));
    }

    void screenshots() {
        if (brimlark::test::screenshotDir().isEmpty())
            QSKIP("BRIMLARK_SCREENSHOT_DIR is not set");
        GlowFixture f;
        QWidget host;
        host.setAutoFillBackground(true);
        QPalette palette = host.palette();
        palette.setColor(QPalette::Window, BrimlarkTheme::notchBlack());
        host.setPalette(palette);
        auto* layout = new QVBoxLayout(&host);
        layout->setContentsMargins(24, 24, 24, 24);
        f.tab.setParent(&host);
        layout->addWidget(&f.tab);
        host.resize(560, 720);
        f.appState.setHaloOnHooks(true);
        f.appState.setHaloMode(HaloMode::ambient);
        brimlark::test::saveScreenshot(&host, QStringLiteral("glow-tab-ambient"));
        f.appState.setHaloMode(HaloMode::off);
        brimlark::test::saveScreenshot(&host, QStringLiteral("glow-tab-off"));
        f.tab.setParent(nullptr);
    }
};

BRIMLARK_TEST_MAIN(TestGlowTab)
#include "tst_glowtab.moc"
