#include "Brimlark/core/EnumText.h"
#include "Brimlark/settings/SettingsScene.h"
#include "Brimlark/settings/SettingsSidebarRow.h"
#include "Brimlark/settings/onboarding/OnboardingView.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/Screenshot.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"

#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>

class TestSettingsScene : public QObject {
    Q_OBJECT
private slots:
    void sidebarListsTheTenPagesAndSelects() {
        ServiceFixture f;
        auto coordinator = f.makeCoordinator();
        QWidget* window = coordinator->openSettings();
        auto* scene = window->findChild<SettingsScene*>();
        QCOMPARE(scene->selection(), SettingsTab::general);
        const auto rows = scene->findChildren<SettingsSidebarRow*>();
        QCOMPARE(rows.size(), 10);
        QStringList titles;
        for (SettingsSidebarRow* row : rows)
            titles << SettingsTabs::title(row->tab());
        QCOMPARE(titles, QStringList({"general", "glow", "quick actions", "app batch", "shortcuts",
                                      "ai hooks", "focus", "mirror", "permissions", "about"}));
        brimlark::test::saveScreenshot(window, QStringLiteral("settings-general"));
        // A click on the row already selected keeps the page and where it was scrolled to.
        QTest::mouseClick(rows.at(8), Qt::LeftButton, {}, QPoint(8, 4));
        QCOMPARE(scene->selection(), SettingsTab::permissions);
        auto* scroll = scene->findChild<QScrollArea*>();
        QVERIFY(scroll);
        QWidget* page = scroll->widget();
        QTRY_VERIFY(scroll->verticalScrollBar()->maximum() > 0);
        scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
        const int scrolled = scroll->verticalScrollBar()->value();
        QTest::mouseClick(rows.at(8), Qt::LeftButton, {}, QPoint(8, 4));
        QCOMPARE(scroll->widget(), page);
        QCOMPARE(scroll->verticalScrollBar()->value(), scrolled);
        // The whole padded row takes the click, also right of its title.
        QTest::mouseClick(rows.at(5), Qt::LeftButton, {}, QPoint(rows.at(5)->width() - 4, 4));
        QCOMPARE(scene->selection(), SettingsTab::aiHooks);
        // Closing only hides: the chosen page is still there next time.
        for (QAbstractButton* button : scene->findChildren<QAbstractButton*>()) {
            if (button->accessibleName() == QLatin1String("Close"))
                button->click();
        }
        QVERIFY(!window->isVisible());
        QCOMPARE(coordinator->openSettings(), window);
        QCOMPARE(scene->selection(), SettingsTab::aiHooks);
    }

    // A setting the disk will not take is told in the window, and the line goes once one is saved.
    void aSettingThatCannotBeSavedIsTold() {
        ServiceFixture f;
        SettingsScene scene(f.services(), {});
        auto* line = scene.findChild<QLabel*>(QStringLiteral("saveLine"));
        QVERIFY(line && !line->isVisibleTo(&scene));
        {
            brimlark::test::FileSizeLimit full(8);
            QVERIFY(full.isActive());
            QTest::ignoreMessage(QtCriticalMsg,
                                 QRegularExpression(QStringLiteral("^defaults save failed: ")));
            f.appState.setHoverToPeekEnabled(!f.appState.hoverToPeekEnabled());
            QCOMPARE(scene.saveLine(), QStringLiteral("settings could not be saved: file too large"));
            QVERIFY(line->isVisibleTo(&scene));
        }
        f.appState.setHoverToPeekEnabled(!f.appState.hoverToPeekEnabled());
        QVERIFY(scene.saveLine().isEmpty());
        QVERIFY(!line->isVisibleTo(&scene));
    }

    void tabsComeFromTheirExactRawValues() {
        QCOMPARE(enumFromRawValue<SettingsTab>(QStringLiteral("quickActions")), SettingsTab::quickActions);
        QVERIFY(!enumFromRawValue<SettingsTab>(QStringLiteral("quick actions")));
        QVERIFY(!enumFromRawValue<SettingsTab>(QStringLiteral("QuickActions")));
        QVERIFY(!enumFromRawValue<SettingsTab>(QString()));
    }

    void onboardingWalksItsStepsAndFinishes() {
        ServiceFixture f;
        int closed = 0;
        OnboardingView view(f.permissionsCoordinator, f.aiHooks, f.appState, f.defaults, [&] {
            QVERIFY(f.defaults.boolValue(OnboardingView::onboardedKey)); // stored before closing
            ++closed;
        });
        view.resize(580, 540);
        view.show();
        auto button = [&](const QString& text) {
            for (QPushButton* b : view.findChildren<QPushButton*>()) {
                if (b->text() == text)
                    return b;
            }
            return static_cast<QPushButton*>(nullptr);
        };
        QVERIFY(!button("back")->isVisible());
        QVERIFY(button("continue")->isVisible());
        brimlark::test::saveScreenshot(&view, QStringLiteral("onboarding-welcome"));
        for (int i = 0; i < 3; ++i)
            button("continue")->click();
        QCOMPARE(view.step(), 3);
        QVERIFY(!button("continue")->isVisible());
        QVERIFY(button("get started")->isVisible());
        view.advance(); // never past the last step
        QCOMPARE(view.step(), 3);
        button("get started")->click();
        QCOMPARE(closed, 1);
    }
};

BRIMLARK_TEST_MAIN(TestSettingsScene)
#include "tst_settingsscene.moc"
