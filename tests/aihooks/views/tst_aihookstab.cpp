#include "Brimlark/aihooks/views/AIHooksCheckRow.h"
#include "Brimlark/aihooks/views/AIHooksConnectedBadge.h"
#include "Brimlark/aihooks/views/AIHooksTab.h"
#include "Brimlark/kit/BrimlarkRoundedButton.h"
#include "Brimlark/settings/SettingsScene.h"
#include "tests/aihooks/views/HookViewFixture.h"
#include "tests/support/Screenshot.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"

#include <QLabel>

#include <memory>

using Preset = AppState::HookRulePreset;

namespace {

QWidget* row(AIHooksTab& tab, AIHookTool tool) {
    for (QWidget* widget : shown<QWidget>(&tab))
        if (widget->objectName() == aiHookToolKey(tool) + QStringLiteral("Row"))
            return widget;
    return nullptr;
}

// The row's state text and its control: a button's title, or "badge".
QStringList rowState(AIHooksTab& tab, AIHookTool tool) {
    QWidget* r = row(tab, tool);
    QStringList found{tab.toolStateText(tool)};
    QStringList labels;
    for (QLabel* label : shown<QLabel>(r))
        labels << label->text();
    if (!labels.contains(tab.toolStateText(tool)))
        return {"state text not shown"};
    found << buttonTexts(r);
    if (!shown<AIHooksConnectedBadge>(r).isEmpty())
        found << "badge";
    return found;
}

} // namespace

// The settings tab of the AI hooks, over a service with real tool wiring in a private home.
class TestAIHooksTab : public QObject {
    Q_OBJECT
private slots:
    void textsFollowEachInstallState() {
        HookViewFixture f;
        AIHooksTab tab(f.service, f.appState);
        auto sendTest = [&] { return buttonNamed(&tab, "send test"); };

        QCOMPARE(tab.statusTitle(), QStringLiteral("connect a coding tool"));
        QCOMPARE(tab.statusSubtitle(), QStringLiteral("grant access once and connect codex or claude."));
        QCOMPARE(rowState(tab, AIHookTool::codex),
                 QStringList({"needs one-time folder access", "grant access"}));
        QCOMPARE(rowState(tab, AIHookTool::claude),
                 QStringList({"needs one-time folder access", "grant access"}));
        QVERIFY(!sendTest()->isEnabled());

        f.picker.answers = {f.home};
        buttonNamed(row(tab, AIHookTool::codex), "grant access")->click();
        QCOMPARE(rowState(tab, AIHookTool::codex),
                 QStringList({"access granted, ready to connect", "connect"}));
        auto* connectButton = buttonNamed<BrimlarkRoundedButton>(row(tab, AIHookTool::codex), "connect");
        QCOMPARE(connectButton->look().fill, BrimlarkTheme::accent());
        QSignalSpy finished(&f.service, &AIHooksService::installFinished);
        connectButton->click();
        QVERIFY(finished.count() == 1 || finished.wait(10000));

        QCOMPARE(tab.statusTitle(), QStringLiteral("codex is connected"));
        QCOMPARE(tab.statusSubtitle(), QStringLiteral("local only. approvals, finishes, and errors."));
        QCOMPARE(rowState(tab, AIHookTool::codex), QStringList({"connected and ready", "badge"}));
        QCOMPARE(shown<AIHooksConnectedBadge>(row(tab, AIHookTool::codex)).first()->tint(),
                 BrimlarkTheme::accent());
        QCOMPARE(rowState(tab, AIHookTool::claude),
                 QStringList({"needs one-time folder access", "grant access"}));
        QVERIFY(sendTest()->isEnabled());

        f.grant(AIHookTool::claude);
        QVERIFY(f.install(true, false));
        QCOMPARE(tab.statusTitle(), QStringLiteral("ai hooks are ready"));

        // The grants are lost while the hooks stay written: connected, yet asking for the folder.
        f.bookmarks.resolveError = QStringLiteral("gone");
        f.service.refreshStatus();
        QCOMPARE(rowState(tab, AIHookTool::codex), QStringList({"connected and ready", "grant access"}));
        QCOMPARE(tab.statusTitle(), QStringLiteral("ai hooks are ready"));

        sendTest()->click();
        QCOMPARE(f.service.events().first().title, QStringLiteral("claude is coding"));
    }

    void messageLineShowsTheErrorFirst() {
        HookViewFixture f;
        AIHooksTab tab(f.service, f.appState);
        auto line = [&] {
            const auto labels = shown<QLabel>(&tab);
            for (QLabel* label : labels)
                if (label->objectName() == QLatin1String("messageLine"))
                    return label;
            return static_cast<QLabel*>(nullptr);
        };
        QVERIFY(!line());
        f.grant(AIHookTool::codex);
        QCOMPARE(line()->text(), QStringLiteral("codex cli folder access granted."));
        QCOMPARE(line()->palette().color(QPalette::WindowText), BrimlarkTheme::accent());

        // A failed action leaves the message and sets the error, which wins.
        HookEvent asking;
        asking.id = QUuid::createUuid();
        asking.source = HookEvent::Source::claude;
        asking.status = HookEvent::Status::asking;
        asking.timestamp = QDateTime::currentDateTimeUtc();
        asking.approveAction = HookEvent::Action{HookEvent::Action::Kind::approve, QStringLiteral("Approve"),
                                                 std::nullopt, QUrl(QStringLiteral("https://x.test/a"))};
        f.service.ingest(asking);
        f.workspace.openUrlSucceeds = false;
        f.service.runAction(asking.id, HookEvent::Action::Kind::approve);
        QVERIFY(!f.service.lastInstallMessage().isEmpty());
        QCOMPARE(line()->text(), f.service.lastError().toLower());
        QCOMPARE(line()->palette().color(QPalette::WindowText), BrimlarkTheme::danger());
        QCOMPARE(line()->textFormat(), Qt::PlainText);
    }

    void presetAndOtherToolsAreSavedAtOnce() {
        HookViewFixture f;
        AIHooksTab tab(f.service, f.appState);
        auto option = [&](const QString& text) { return buttonNamed<BrimlarkRoundedButton>(&tab, text); };
        QCOMPARE(option("focused")->look().fill, BrimlarkTheme::warning());
        option("focused")->click();
        QCOMPARE(f.appState.hookRulePreset(), Preset::focused);
        QCOMPARE(option("focused")->look().fill, BrimlarkTheme::warning());
        option("full feed")->click();
        QCOMPARE(f.appState.hookRulePreset(), Preset::fullFeed);
        QCOMPARE(f.defaults.value(AppState::Keys::hookRulePreset), QVariant(QStringLiteral("fullFeed")));
        QCOMPARE(option("full feed")->look().fill, BrimlarkTheme::warning());
        QCOMPARE(option("focused")->look().fill, BrimlarkTheme::notchBlack());

        auto others = [&] { return shown<AIHooksCheckRow>(&tab).first(); };
        QCOMPARE(others()->text(), QStringLiteral("include other local tools"));
        const bool before = f.appState.showOtherHookClients();
        QCOMPARE(others()->isOn(), before);
        others()->click();
        QCOMPARE(f.appState.showOtherHookClients(), !before);
        QCOMPARE(f.defaults.value(AppState::Keys::showOtherHookClients), QVariant(!before));
        QCOMPARE(others()->isOn(), !before);
        others()->click();
        QCOMPARE(f.appState.showOtherHookClients(), before);
        QCOMPARE(others()->isOn(), before);
    }

    void settingsWindowHostsTheTab() {
        ServiceFixture f;
        auto coordinator = f.makeCoordinator();
        auto* scene = coordinator->openSettings()->findChild<SettingsScene*>();
        QVERIFY(!scene->findChild<AIHooksTab*>());
        scene->setSelection(SettingsTab::aiHooks);
        QVERIFY(scene->findChild<AIHooksTab*>());
        brimlark::test::saveScreenshot(scene, QStringLiteral("settings-aihooks"));
    }

    void screenshots() {
        if (brimlark::test::screenshotDir().isEmpty())
            QSKIP("BRIMLARK_SCREENSHOT_DIR is not set");
        HookViewFixture f;
        auto* tab = new AIHooksTab(f.service, f.appState);
        std::unique_ptr<QWidget> host(darkHost(tab, QSize(560, 420)));
        brimlark::test::saveScreenshot(host.get(), QStringLiteral("aihooks-tab-nothing-granted"));
        f.service.startListener();
        f.grant(AIHookTool::codex);
        QVERIFY(f.install(false, true));
        brimlark::test::saveScreenshot(host.get(), QStringLiteral("aihooks-tab-codex-connected"));
    }
};

BRIMLARK_TEST_MAIN(TestAIHooksTab)
#include "tst_aihookstab.moc"
