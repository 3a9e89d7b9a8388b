#include "Brimlark/core/EnumText.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/SymbolIcon.h"
#include "Brimlark/settings/SettingsScene.h"
#include "Brimlark/settings/SettingsSidebarRow.h"
#include "KeyboardShortcuts/CarbonKeyboardShortcuts.h"
#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "platform/fake/FakeDesktopWindows.h"
#include "platform/fake/FakeHotKeys.h"
#include "platform/fake/FakeKeyboardLayout.h"
#include "tests/support/Screenshot.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"

#include <QImage>
#include <QPainter>
#include <QScrollArea>
#include <QWindow>

// The settings window as the coordinator builds it over the fixture's services.
class TestSettingsWindow : public QObject {
    Q_OBJECT
private:
    static QImage symbolOf(const SettingsSidebarRow& row, const QString& name) {
        QImage image(row.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        paintSymbol(painter, row.symbolRect(), name, BrimlarkTheme::textSecondary());
        painter.end();
        return image.copy(row.symbolRect().toAlignedRect());
    }

private slots:
    void theCardIsWholeInsideItsClearMargin() {
        ServiceFixture f;
        auto coordinator = f.makeCoordinator();
        QWidget* window = coordinator->openSettings();
        QCOMPARE(window->size(), QSize(840, 600));
        const QImage image = window->grab().toImage();
        // The margin is clear; the outer ring shows on all four sides, lighter than the card.
        for (const QPoint& clear : {QPoint(2, 2), QPoint(420, 4), QPoint(835, 300), QPoint(420, 596)})
            QCOMPARE(qAlpha(image.pixel(clear)), 0);
        const QList<QPair<QPoint, QPoint>> ringAndInside = {{QPoint(420, 10), QPoint(420, 16)},
                                                            {QPoint(420, 589), QPoint(420, 583)},
                                                            {QPoint(10, 300), QPoint(16, 300)},
                                                            {QPoint(829, 300), QPoint(823, 300)}};
        for (const auto& [ring, inside] : ringAndInside) {
            QCOMPARE(qAlpha(image.pixel(ring)), 255);
            QVERIFY(qGray(image.pixel(ring)) > qGray(image.pixel(inside)));
        }
        brimlark::test::saveScreenshot(image, QStringLiteral("settings-window-card"));
    }

    void withoutACompositorTheWindowIsCutToTheCard_data() {
        QTest::addColumn<bool>("compositor");
        QTest::newRow("compositing manager running") << true;
        QTest::newRow("no compositing manager") << false;
    }

    void withoutACompositorTheWindowIsCutToTheCard() {
        QFETCH(bool, compositor);
        ServiceFixture f;
        FakeDesktopWindows desktop;
        desktop.compositor = compositor;
        AppCoordinator::Platform platform = f.platform();
        platform.desktopWindows = &desktop;
        AppCoordinator coordinator(f.services(), platform);
        QWidget* window = coordinator.openSettings();
        const QRegion shape = desktop.shapes.value(window->windowHandle());
        QCOMPARE(shape.isEmpty(), compositor);
        if (!compositor) {
            QVERIFY(!shape.contains(QPoint(12, 12)));
            QVERIFY(!shape.contains(QPoint(5, 300)));
            QVERIFY(shape.contains(QPoint(420, 300)));
            QVERIFY(shape.contains(QPoint(420, 11)));
        }
        // The cut follows the compositor.
        desktop.setCompositor(!compositor);
        QCOMPARE(desktop.shapes.value(window->windowHandle()).isEmpty(), !compositor);
    }

    void eachTabHostsItsPage_data() {
        QTest::addColumn<SettingsTab>("tab");
        QTest::addColumn<QString>("page");
        QTest::newRow("general") << SettingsTab::general << "GeneralTab";
        QTest::newRow("glow") << SettingsTab::glow << "GlowTab";
        QTest::newRow("quick actions") << SettingsTab::quickActions << "QuickActionsTab";
        QTest::newRow("ai hooks") << SettingsTab::aiHooks << "AIHooksTab";
        QTest::newRow("focus") << SettingsTab::focus << "FocusTab";
        QTest::newRow("mirror") << SettingsTab::mirror << "MirrorTab";
        QTest::newRow("permissions") << SettingsTab::permissions << "PermissionsTab";
        QTest::newRow("about") << SettingsTab::about << "AboutTab";
        QTest::newRow("app batch") << SettingsTab::appBatch << "AppBatchTab";
        QTest::newRow("shortcuts") << SettingsTab::shortcuts << "ShortcutsTab";
    }

    void eachTabHostsItsPage() {
        QFETCH(SettingsTab, tab);
        QFETCH(QString, page);
        ServiceFixture f;
        FakeKeyboardLayout layout;
        FakeHotKeys hotKeys;
        KeyboardShortcuts::CarbonKeyboardShortcuts registry(&hotKeys);
        KeyboardShortcuts::install(&f.defaults, &layout, &registry);
        auto coordinator = f.makeCoordinator();
        QWidget* window = coordinator->openSettings();
        auto* scene = window->findChild<SettingsScene*>();
        const auto rows = scene->findChildren<SettingsSidebarRow*>();
        QTest::mouseClick(rows.at(allCases<SettingsTab>().indexOf(tab)), Qt::LeftButton);
        QCOMPARE(scene->selection(), tab);
        QWidget* hosted = scene->findChild<QScrollArea*>()->widget();
        QStringList pages;
        for (QWidget* child : hosted->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            pages << QString::fromLatin1(child->metaObject()->className());
        if (!page.isEmpty())
            QVERIFY2(pages.contains(page), qPrintable(pages.join(QLatin1Char(' '))));
        QTest::qWait(200); // the highlight eases over
        brimlark::test::saveScreenshot(window, QStringLiteral("settings-window-") + rawValue(tab));
        KeyboardShortcuts::install(nullptr, nullptr, nullptr);
    }

    void eachRowDrawsItsOwnSymbol_data() {
        QTest::addColumn<SettingsTab>("tab");
        for (SettingsTab tab : allCases<SettingsTab>())
            QTest::newRow(qPrintable(rawValue(tab))) << tab;
    }

    void eachRowDrawsItsOwnSymbol() {
        QFETCH(SettingsTab, tab);
        SettingsSidebarRow row(tab);
        row.resize(row.sizeHint());
        // Without the window's background: only what the row paints.
        QImage image(row.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        row.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        const QImage drawn = image.copy(row.symbolRect().toAlignedRect());
        const QString name = SettingsTabs::systemImage(tab);
        QCOMPARE(drawn, symbolOf(row, name));
        if (!hasSymbol(name))
            QSKIP("the drawing of this symbol is not bundled yet");
        QVERIFY(drawn != symbolOf(row, QStringLiteral("no such symbol")));
    }
};

BRIMLARK_TEST_MAIN(TestSettingsWindow)
#include "tst_settingswindow.moc"
