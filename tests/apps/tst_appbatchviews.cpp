#include "Brimlark/apps/AppBatchButton.h"
#include "Brimlark/apps/AppBatchTab.h"
#include "Brimlark/apps/AppGridTile.h"
#include "Brimlark/apps/AppLauncherView.h"
#include "Brimlark/kit/BrimlarkStatusBadge.h"
#include "Brimlark/kit/LineClampLabel.h"
#include "Brimlark/settings/SettingsScene.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/LogCapture.h"
#include "tests/support/Screenshot.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"

#include <QEnterEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>

#include <memory>

namespace {

using Launch = Workspace::Launch;

QStringList visibleTexts(QWidget* parent) {
    QStringList texts;
    for (QLabel* label : parent->findChildren<QLabel*>()) {
        if (label->isVisible() && !label->text().isEmpty())
            texts.append(label->text());
    }
    for (BrimlarkPill* pill : parent->findChildren<BrimlarkPill*>()) {
        if (pill->isVisible())
            texts.append(pill->label());
    }
    return texts;
}

QWidget* framed(QWidget* view, const QSize& size) {
    view->setAttribute(Qt::WA_StyledBackground);
    view->setStyleSheet(QStringLiteral("background: #0b0b0d;"));
    view->resize(size);
    view->show();
    return view;
}

} // namespace

class TestAppBatchViews : public QObject {
    Q_OBJECT

    // Adds a desktop entry file named `name` (which exists unless `exists` is false).
    static void add(ServiceFixture& f, const QString& name, bool exists = true) {
        const QString path = f.dir.filePath(name + QStringLiteral(".desktop"));
        if (exists)
            QFile(path).open(QIODevice::WriteOnly);
        f.workspace.applicationFiles.insert(path, {std::nullopt, name, std::nullopt, QString()});
        QVERIFY(f.apps.addApp(path));
    }

    // Launches the batch; the launches answer as listed (a refusal for names in `refused`).
    static void launchAll(ServiceFixture& f, const QStringList& refused = {}) {
        f.apps.launchAll();
        while (!f.workspace.pendingOpens.isEmpty()) {
            const bool refuse =
                refused.contains(QFileInfo(f.workspace.pendingOpens.first().path).completeBaseName());
            f.workspace.answerOpen(0, refuse ? Launch{Launch::Outcome::failed, QStringLiteral("refused")}
                                             : FakeWorkspace::launched());
        }
    }

private slots:
    void contentFollowsTheBatch() {
        ServiceFixture f;
        AppLauncherView view(f.apps);
        framed(&view, QSize(640, 240));
        QCOMPARE(view.content(), AppLauncherView::Content::empty);
        QVERIFY(visibleTexts(&view).contains(QStringLiteral("build a one-tap launch group")));
        QVERIFY(visibleTexts(&view).contains(QStringLiteral(
            "pick apps from /usr/share/applications and they\u2019ll all open together when you "
            "tap the app-batch quick action.")));
        QVERIFY(!view.launchAllButton()->isEnabled());
        QCOMPARE(view.launchAllButton()->contentOpacity(), 0.5);
        QVERIFY(view.addButton()->isEnabled());
        brimlark::test::saveScreenshot(&view, QStringLiteral("app-batch-empty"));

        add(f, QStringLiteral("Clock"));
        add(f, QStringLiteral("Gone"), false);
        add(f, QStringLiteral("Refuses to start"));
        QCOMPARE(view.content(), AppLauncherView::Content::list);
        QVERIFY(view.launchAllButton()->isEnabled());
        QCOMPARE(view.launchAllButton()->contentOpacity(), 1.0);
        launchAll(f, {QStringLiteral("Refuses to start")});
        QStringList badges;
        for (BrimlarkStatusBadge* badge : view.findChildren<BrimlarkStatusBadge*>())
            badges.append(badge->label());
        badges.sort();
        QCOMPARE(badges, QStringList({"failed", "launched", "missing"}));
        QVERIFY(!visibleTexts(&view).contains(QStringLiteral("refused")));
        brimlark::test::saveScreenshot(&view, QStringLiteral("app-batch-list-results"));

        add(f, QStringLiteral("Terminal"));
        QCOMPARE(view.content(), AppLauncherView::Content::grid);
        QCOMPARE(view.tiles().size(), 4);
        add(f, QStringLiteral("A very long application name that wraps"));
        QApplication::processEvents();
        for (AppGridTile* tile : view.tiles()) {
            QVERIFY(tile->width() >= 78 && tile->width() <= 98);
            QVERIFY(tile->height() >= AppGridTile::minimumTileHeight);
        }
        brimlark::test::saveScreenshot(&view, QStringLiteral("app-batch-grid-dots"));

        // Removing tiles (the click's removal runs once the click is over) goes back to the list.
        QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), QPointF(10, 10));
        QApplication::sendEvent(view.tiles().last(), &enter);
        QTest::mouseClick(view.tiles().last()->removeButton(), Qt::LeftButton);
        QTRY_COMPARE(f.apps.entries().size(), 4);
        f.apps.remove(f.apps.entries().last().id);
        QCOMPARE(view.content(), AppLauncherView::Content::list);
    }

    // A name wider than its row is cut with an ellipsis, not clipped at the row's edge.
    void aLongNameInTheListEndsInAnEllipsis() {
        ServiceFixture f;
        AppLauncherView view(f.apps);
        framed(&view, QSize(300, 240));
        const QString name = QStringLiteral("A very long application name that does not fit its row");
        add(f, name);
        QCOMPARE(view.content(), AppLauncherView::Content::list);
        QApplication::processEvents();
        auto* label = view.findChild<LineClampLabel*>(QStringLiteral("appRowName"));
        QVERIFY(label);
        QVERIFY(label->width() > 0 && label->width() < QFontMetrics(label->font()).horizontalAdvance(name));
        const QStringList lines = label->linesFor(label->width());
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().endsWith(QChar(0x2026)), qPrintable(lines.first()));
        QVERIFY(QFontMetricsF(label->font()).horizontalAdvance(lines.first()) <= label->width());
        QCOMPARE(label->toolTip(), name);
        brimlark::test::saveScreenshot(&view, QStringLiteral("app-batch-long-name"));
    }

    // A batch change the disk will not take is told on the page and kept until there is room.
    void aChangeThatCannotBeSavedIsToldAndRetried() {
        ServiceFixture f;
        AppLauncherView view(f.apps);
        framed(&view, QSize(640, 260));
        {
            brimlark::test::FileSizeLimit full(8);
            QVERIFY(full.isActive());
            QTest::ignoreMessage(QtCriticalMsg,
                                 QRegularExpression(QStringLiteral("^defaults save failed: ")));
            add(f, QStringLiteral("Editor"));
            QCOMPARE(view.saveLine(), QStringLiteral("the app batch could not be saved: file too large"));
            QVERIFY(visibleTexts(&view).contains(view.saveLine()));
            brimlark::test::saveScreenshot(&view, QStringLiteral("app-batch-save-failed"));
        }
        f.apps.flush();
        QVERIFY(view.saveLine().isEmpty());
        QVERIFY(!visibleTexts(&view).contains(
            QStringLiteral("the app batch could not be saved: file too large")));
        QVERIFY(!UserDefaults(f.defaults.filePath()).data(AppLauncherService::storageKey()).isEmpty());
    }

    void launchAllWaitsForTheRun() {
        ServiceFixture f;
        AppLauncherView view(f.apps);
        framed(&view, QSize(640, 240));
        add(f, QStringLiteral("Clock"));
        QTest::mouseClick(view.launchAllButton(), Qt::LeftButton);
        QTRY_VERIFY(f.apps.isLaunching());
        QVERIFY(!view.launchAllButton()->isEnabled());
        QCOMPARE(view.launchAllButton()->contentOpacity(), 1.0);
        QVERIFY(view.addButton()->isEnabled());
        f.workspace.answerAllOpens(FakeWorkspace::launched());
        QVERIFY(view.launchAllButton()->isEnabled());
    }

    void aTileShowsItsRemoveButtonWhileHovered() {
        ServiceFixture f;
        for (const char* name : {"a", "b", "c", "d"})
            add(f, QLatin1String(name));
        AppLauncherView view(f.apps);
        framed(&view, QSize(640, 240));
        AppGridTile* tile = view.tiles().first();
        QVERIFY(!tile->removeButton()->isVisible());
        QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), QPointF(10, 10));
        QApplication::sendEvent(tile, &enter);
        QVERIFY(tile->isHovering());
        QVERIFY(tile->removeButton()->isVisible());
        QTRY_COMPARE(tile->removeButton()->contentOpacity(), 1.0);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(tile, &leave);
        QTRY_VERIFY(!tile->removeButton()->isVisible());
        QVERIFY(!view.tiles().at(1)->removeButton()->isVisible());
    }

    void thePickGoesToTheService_data() {
        QTest::addColumn<std::optional<QString>>("picked");
        QTest::addColumn<bool>("deleteThePage");
        QTest::addColumn<QStringList>("errors");
        const std::optional<QString> clock(QStringLiteral("clock.desktop"));
        QTest::newRow("cancelled") << std::optional<QString>() << false << QStringList();
        QTest::newRow("picked") << clock << false << QStringList();
        QTest::newRow("picked after the page was deleted") << clock << true << QStringList();
        QTest::newRow("no application") << std::optional<QString>(QStringLiteral("notes.txt")) << false
                                        << QStringList{QStringLiteral("error addApp failed: %1 is not an "
                                                                      "application's desktop entry.")};
    }
    void thePickGoesToTheService() {
        QFETCH(std::optional<QString>, picked);
        QFETCH(bool, deleteThePage);
        QFETCH(QStringList, errors);
        ServiceFixture f;
        const QString path = f.dir.filePath(QStringLiteral("clock.desktop"));
        f.workspace.applicationFiles.insert(path,
                                            {std::nullopt, QStringLiteral("Clock"), std::nullopt, QString()});
        auto view = std::make_unique<AppLauncherView>(f.apps);
        framed(view.get(), QSize(640, 240));
        QTest::mouseClick(view->addButton(), Qt::LeftButton);
        QCOMPARE(f.filePicker.asked.size(), 1);
        QCOMPARE(f.filePicker.asked.first().title, QStringLiteral("Add app to Brimlark batch"));
        QCOMPARE(f.filePicker.asked.first().directory, QStringLiteral("/usr/share/applications"));
        QCOMPARE(f.filePicker.asked.first().nameFilters,
                 QStringList{QStringLiteral("applications (*.desktop)")});
        QVERIFY(!f.filePicker.asked.first().canChooseDirectories);
        if (deleteThePage)
            view.reset();
        LogCapture log;
        const std::optional<QString> answer =
            picked ? std::optional<QString>(f.dir.filePath(*picked)) : std::nullopt;
        QVERIFY(f.filePicker.answerPick(answer));
        QCOMPARE(f.apps.entries().size(), answer == path ? 1 : 0);
        for (QString& error : errors)
            error = error.arg(answer.value_or(QString()));
        QCOMPARE(log.at(QStringLiteral("error")), errors);
    }

    void theSettingsPageShowsTheBatch() {
        ServiceFixture f;
        for (const char* name : {"Clock", "Calculator", "Terminal", "Files", "Editor"})
            add(f, QLatin1String(name));
        launchAll(f, {QStringLiteral("Files")});
        SettingsScene::Context context;
        context.apps = &f.apps;
        SettingsScene scene(f.services(), std::move(context), SettingsTab::appBatch);
        scene.show();
        auto* tab = scene.findChild<AppBatchTab*>();
        QVERIFY(tab);
        QTRY_VERIFY(tab->view()->isVisible());
        QCOMPARE(tab->view()->tiles().size(), 5);
        brimlark::test::saveScreenshot(&scene, QStringLiteral("settings-app-batch"));
    }
};

BRIMLARK_TEST_MAIN(TestAppBatchViews)
#include "tst_appbatchviews.moc"
