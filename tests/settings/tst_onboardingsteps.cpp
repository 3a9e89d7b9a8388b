#include "Brimlark/kit/BrimlarkStatusBadge.h"
#include "Brimlark/settings/GeneralTab.h"
#include "Brimlark/settings/onboarding/OnboardingCard.h"
#include "Brimlark/settings/onboarding/PermissionsStep.h"
#include "Brimlark/settings/onboarding/ShortcutVisual.h"
#include "Brimlark/settings/onboarding/VibeCodingStep.h"
#include "Brimlark/settings/onboarding/WelcomeStep.h"
#include "tests/aihooks/views/HookViewFixture.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>

Q_DECLARE_METATYPE(PermissionStatus)

namespace {

using Mode = AppState::DefaultOpenMode;
using State = PermissionsCoordinator::State;

OnboardingCard* card(QWidget* root, const QString& name) {
    for (OnboardingCard* card : root->findChildren<OnboardingCard*>())
        if (card->accessibleName() == name)
            return card;
    return nullptr;
}

QStringList checkedCards(QWidget* root) {
    QStringList names;
    for (OnboardingCard* card : root->findChildren<OnboardingCard*>())
        if (card->isChecked())
            names << card->accessibleName();
    return names;
}

// The labels of the badges and buttons shown at the end of a row.
QStringList rowEnd(QWidget* row) {
    QStringList shown;
    for (QWidget* widget : row->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(row))
            continue;
        if (auto* badge = qobject_cast<BrimlarkStatusBadge*>(widget))
            shown << badge->label();
        else if (auto* button = qobject_cast<QAbstractButton*>(widget))
            shown << button->text();
    }
    return shown;
}

QWidget* row(QWidget* root, const QString& name) {
    return root->findChild<QWidget*>(name);
}

} // namespace

class TestOnboardingSteps : public QObject {
    Q_OBJECT
private slots:
    void welcomeCardStoresTheOpenMode_data() {
        QTest::addColumn<Mode>("before");
        QTest::addColumn<QString>("clicked");
        QTest::addColumn<QString>("stored");
        QTest::newRow("full dashboard from basic") << Mode::basic << "full dashboard"
                                                   << "advanced";
        QTest::newRow("media first from advanced") << Mode::advanced << "media first"
                                                   << "basic";
        QTest::newRow("full dashboard again") << Mode::advanced << "full dashboard"
                                              << "advanced";
    }
    void welcomeCardStoresTheOpenMode() {
        QFETCH(Mode, before);
        QFETCH(QString, clicked);
        StateFixture f;
        f.appState.setDefaultOpenMode(before);
        WelcomeStep step(f.appState);
        QCOMPARE(checkedCards(&step).size(), 1);
        QSignalSpy stored(&f.appState, &AppState::defaultOpenModeChanged);
        card(&step, clicked)->click();
        QCOMPARE(stored.count(), 1);
        QTEST(f.defaults.string(AppState::Keys::defaultOpenMode).value_or(QString()), "stored");
        QCOMPARE(checkedCards(&step), QStringList{clicked});
    }

    // Settings the store could not read are all back at their defaults, so onboarding comes back:
    // its first step and the general page say so and name the kept copy.
    void anUnreadableSettingsFileIsToldWithWhereItWent_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("told");
        QTest::newRow("garbage") << QByteArray("\x01\x02{{ not json") << true;
        QTest::newRow("cut short") << QByteArray("{\"brimlark.onboarded\": tr") << true;
        QTest::newRow("read") << QByteArray("{\"brimlark.onboarded\": false}") << false;
    }
    void anUnreadableSettingsFileIsToldWithWhereItWent() {
        QFETCH(QByteArray, content);
        QFETCH(bool, told);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("defaults.json"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        file.close();
        if (told)
            QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(QStringLiteral("could not be parsed")));
        UserDefaults defaults(path);
        AppState appState(defaults);
        WelcomeStep step(appState);
        GeneralTab general(appState);
        for (QWidget* page : {static_cast<QWidget*>(&step), static_cast<QWidget*>(&general)}) {
            auto* line = page->findChild<QLabel*>(QStringLiteral("setAsideLine"));
            QCOMPARE(line != nullptr, told);
            if (!line)
                continue;
            QVERIFY(line->text().contains(appState.setAsidePath()));
            QFile aside(appState.setAsidePath());
            QVERIFY(aside.open(QIODevice::ReadOnly));
            QCOMPARE(aside.readAll(), content);
        }
    }

    void permissionRowsFollowTheirState_data() {
        QTest::addColumn<PermissionStatus>("calendar");
        QTest::addColumn<QStringList>("rowEnd");
        QTest::addColumn<bool>("openDeniedShown");
        // What a screen reader says of the card.
        QTest::addColumn<QString>("readAs");
        QTest::newRow("granted") << PermissionStatus::authorized << QStringList{"ready"} << false
                                 << "calendar: granted";
        QTest::newRow("never asked") << PermissionStatus::notDetermined << QStringList{"allow"} << false
                                     << "calendar: not asked";
        QTest::newRow("write only") << PermissionStatus::writeOnly << QStringList{"allow"} << false
                                    << "calendar: write only";
        QTest::newRow("denied") << PermissionStatus::denied << QStringList{"allow"} << true
                                << "calendar: denied";
    }
    void permissionRowsFollowTheirState() {
        QFETCH(PermissionStatus, calendar);
        ServiceFixture f;
        f.eventStore.events = calendar;
        f.eventStore.reminders = PermissionStatus::authorized;
        f.permissionsCoordinator.refresh();
        PermissionsStep step(f.permissionsCoordinator);
        QTEST(rowEnd(row(&step, QStringLiteral("calendarRow"))), "rowEnd");
        QTEST(row(&step, QStringLiteral("calendarRow"))->accessibleName(), "readAs");
        QCOMPARE(row(&step, QStringLiteral("cameraRow"))->accessibleName(),
                 QStringLiteral("camera: granted"));
        QCOMPARE(rowEnd(row(&step, QStringLiteral("cameraRow"))), QStringList{"ready"});
        QAbstractButton* openDenied = buttonNamed(&step, QStringLiteral("open denied permission"));
        QTEST(openDenied != nullptr, "openDeniedShown");
    }

    void openDeniedOpensTheFirstRefusedOne_data() {
        QTest::addColumn<bool>("present");
        QTest::addColumn<QList<Permission>>("opened");
        QTest::newRow("the desktop has its settings") << true << QList<Permission>{Permission::reminders};
        // Nothing would open: the button is off from the start and says why.
        QTest::newRow("nothing opens") << false << QList<Permission>{};
    }
    void openDeniedOpensTheFirstRefusedOne() {
        QFETCH(bool, present);
        QFETCH(QList<Permission>, opened);
        ServiceFixture f;
        f.permissions.settingsPresent = present;
        f.eventStore.reminders = PermissionStatus::denied;
        f.permissions.video = PermissionStatus::denied;
        f.permissionsCoordinator.refresh();
        PermissionsStep step(f.permissionsCoordinator);
        QAbstractButton* openDenied = buttonNamed(&step, QStringLiteral("open denied permission"));
        QCOMPARE(openDenied->isEnabled(), present);
        QCOMPARE(openDenied->toolTip().isEmpty(), present);
        QTest::mouseClick(openDenied, Qt::LeftButton);
        QCOMPARE(f.permissions.openedSettings, opened);
    }

    void failedNotificationRequestLeavesItDenied() {
        ServiceFixture f;
        f.notifications.requestError = QStringLiteral("no notification server");
        PermissionsStep step(f.permissionsCoordinator);
        QWidget* notifications = row(&step, QStringLiteral("notificationsRow"));
        buttonNamed(notifications, QStringLiteral("allow"))->click();
        QCOMPARE(f.permissionsCoordinator.notifications(), State::denied);
        QCOMPARE(rowEnd(notifications), QStringList{"allow"});
        QVERIFY(buttonNamed(&step, QStringLiteral("open denied permission")));
    }

    void bringingForwardFindsOnlyAShownWindow() {
        QWidget other;
        other.show();
        auto* window = new QWidget();
        window->setObjectName(QStringLiteral("BrimlarkOnboardingWindow"));
        window->show();
        QCOMPARE(bringOnboardingWindowForward(), window);
        window->close();
        QCOMPARE(bringOnboardingWindowForward(), nullptr);
        delete window;
        QCOMPARE(bringOnboardingWindowForward(), nullptr);
    }

    void connectBothTurnsBothOnThenInstalls() {
        HookViewFixture f;
        VibeCodingStep step(f.service, f.appState);
        QVERIFY(!buttonNamed(&step, QStringLiteral("connect selected"))->isEnabled());
        QVERIFY(buttonNamed(&step, QStringLiteral("connect both"))->isEnabled());
        QCOMPARE(rowEnd(row(&step, QStringLiteral("claudeStatus"))),
                 QStringList({"needs access", "not connected"}));
        f.picker.answers = {f.home, f.home};
        QSignalSpy finished(&f.service, &AIHooksService::installFinished);
        buttonNamed(&step, QStringLiteral("connect both"))->click();
        QVERIFY(f.appState.allowClaudeHookInstall());
        QVERIFY(f.appState.allowCodexHookInstall());
        QVERIFY(finished.count() == 1 || finished.wait(10000));
        QCOMPARE(checkedCards(&step),
                 QStringList({"manage claude", "manage codex", "show other local hooks", "focused"}));
        QCOMPARE(rowEnd(row(&step, QStringLiteral("claudeStatus"))),
                 QStringList({"access ready", "connected"}));
        QCOMPARE(rowEnd(row(&step, QStringLiteral("codexStatus"))),
                 QStringList({"access ready", "connected"}));
        step.show(); // laid out
        QWidget* claude = row(&step, QStringLiteral("claudeStatus"));
        QVERIFY(claude->y() < row(&step, QStringLiteral("codexStatus"))->y());
    }

    void connectSelectedConnectsOnlyCodex() {
        HookViewFixture f;
        VibeCodingStep step(f.service, f.appState);
        card(&step, QStringLiteral("manage codex"))->click();
        f.picker.answers = {f.home};
        QSignalSpy finished(&f.service, &AIHooksService::installFinished);
        buttonNamed(&step, QStringLiteral("connect selected"))->click();
        QVERIFY(finished.count() == 1 || finished.wait(10000));
        QVERIFY(f.service.hookInstallationStatus().codexInstalled);
        QVERIFY(!f.service.hookInstallationStatus().claudeInstalled);
        QCOMPARE(rowEnd(row(&step, QStringLiteral("claudeStatus"))),
                 QStringList({"needs access", "not connected"}));
        QCOMPARE(rowEnd(row(&step, QStringLiteral("codexStatus"))),
                 QStringList({"access ready", "connected"}));
    }

    void chipsStoreTheRuleSet_data() {
        QTest::addColumn<QString>("chip");
        QTest::addColumn<QString>("stored");
        QTest::newRow("approvals only") << "approvals only"
                                        << "approvalsOnly";
        QTest::newRow("focused") << "focused"
                                 << "focused";
        QTest::newRow("full feed") << "full feed"
                                   << "fullFeed";
    }
    void chipsStoreTheRuleSet() {
        QFETCH(QString, chip);
        HookViewFixture f;
        VibeCodingStep step(f.service, f.appState);
        card(&step, chip)->click();
        QTEST(f.defaults.string(AppState::Keys::hookRulePreset).value_or(QString()), "stored");
        QCOMPARE(checkedCards(&step), QStringList({"show other local hooks", chip}));
    }

    void keyCapsAreJoinedByPlusSigns_data() {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QStringList>("caps");
        QTest::addColumn<int>("plusSigns");
        QTest::addColumn<QString>("written");
        QTest::newRow("one key") << QStringList{"command"} << QStringList{"Super"} << 0 << "Super";
        QTest::newRow("no keys") << QStringList{} << QStringList{} << 0 << "";
        QTest::newRow("the same key twice") << QStringList{"N", "N"} << QStringList{"N", "N"} << 1 << "N+N";
        QTest::newRow("modifiers") << QStringList{"command", "option", "N"}
                                   << QStringList{"Super", "Alt", "N"} << 2 << "Super+Alt+N";
    }
    void keyCapsAreJoinedByPlusSigns() {
        QFETCH(QStringList, keys);
        QList<ShortcutToken> tokens;
        for (const QString& key : keys)
            tokens << (key == QLatin1String("command")  ? ShortcutToken::command()
                       : key == QLatin1String("option") ? ShortcutToken::option()
                                                        : ShortcutToken::character(key));
        ShortcutVisual visual(tokens);
        QStringList caps;
        for (QWidget* cap : visual.findChildren<QWidget*>(QStringLiteral("keyCap")))
            caps << cap->accessibleName();
        QTEST(caps, "caps");
        QTEST(int(visual.findChildren<QWidget*>(QStringLiteral("plus")).size()), "plusSigns");
        QTEST(visual.accessibleName(), "written");
    }
};

BRIMLARK_TEST_MAIN(TestOnboardingSteps)
#include "tst_onboardingsteps.moc"
