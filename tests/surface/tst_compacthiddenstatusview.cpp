#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/organizer/CalendarService.h"
#include "Brimlark/organizer/RemindersService.h"
#include "Brimlark/surface/CompactHiddenStatusView.h"
#include "Brimlark/surface/CompactStatusButton.h"
#include "Brimlark/surface/NotchRootView.h"
#include "platform/fake/FakeProcessLauncher.h"
#include "tests/support/Screenshot.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"

#include <QAccessible>
#include <QPaintEvent>
#include <QScreen>
#include <QTimeZone>

using Status = HookEvent::Status;
using Source = HookEvent::Source;
using Content = CompactHiddenStatusView::Content;

namespace {

const QDateTime now = QDateTime(QDate(2026, 1, 5), QTime(9, 0), QTimeZone::utc());

HookEvent hookEvent(Source source, Status status, const std::optional<QString>& title = {},
                    const std::optional<QString>& detail = {}) {
    HookEvent e;
    e.id = QUuid::createUuid();
    e.source = source;
    e.status = status;
    e.title = title;
    e.detail = detail;
    e.timestamp = now;
    return e;
}

HookEvent withActions(HookEvent e, bool approve, bool deny) {
    if (approve)
        e.approveAction = HookEvent::Action{HookEvent::Action::Kind::approve, QStringLiteral("Approve"),
                                            QStringLiteral("true"), std::nullopt};
    if (deny)
        e.denyAction = HookEvent::Action{HookEvent::Action::Kind::deny, QStringLiteral("Deny"),
                                         QStringLiteral("false"), std::nullopt};
    return e;
}

CompactLiveStatus timerEndingIn(double seconds, bool burst = false) {
    return CompactLiveStatus::timer(
        TimerInfo{QUuid::createUuid(), 900, now.addMSecs(static_cast<qint64>(seconds * 1000))}, burst);
}

CompactLiveStatus meeting(double startsIn, std::optional<QUrl> link, std::optional<QString> location = {}) {
    CalendarItem item;
    item.id = QStringLiteral("standup");
    item.title = QStringLiteral("Standup");
    item.startDate = now.addMSecs(static_cast<qint64>(startsIn * 1000));
    item.endDate = item.startDate.addSecs(900);
    item.conferenceURL = std::move(link);
    item.location = std::move(location);
    return CompactLiveStatus::calendar(item);
}

CompactLiveStatus track(const std::optional<QString>& title, const std::optional<QString>& artist,
                        bool playing, bool burst) {
    MediaRemoteBridge::NowPlaying nowPlaying;
    nowPlaying.title = title;
    nowPlaying.artist = artist;
    nowPlaying.isPlaying = playing;
    return CompactLiveStatus::media(nowPlaying, burst);
}

// The union of the areas a widget was asked to paint.
class PaintedRegion : public QObject {
public:
    QRegion region;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            region += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};

const std::optional<QString> none;
std::optional<QString> some(const char* text) {
    return QString::fromUtf8(text);
}

} // namespace

class TestCompactHiddenStatusView : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<ServiceFixture> f;

    // The closed panel showing `status`, as the window manager hosts it.
    std::unique_ptr<NotchRootView> closedPanel(const CompactLiveStatus& status, InteractionEngine& engine,
                                               CalendarService& calendar, RemindersService& reminders) {
        f->setOrganizer(&calendar, &reminders);
        NotchRootView::Inputs inputs;
        inputs.interactionEngine = &engine;
        inputs.hasCompactStatus = [] { return true; };
        inputs.makeCompactStatusView = [this, status](QWidget* parent, bool notched, const QSizeF& notch) {
            return new CompactHiddenStatusView(status, &f->aiHooks, notched, notch, &f->clock, parent);
        };
        auto root = std::make_unique<NotchRootView>(f->services(), inputs, f->screens);
        root->resize(356, 102);
        root->show();
        return root;
    }

    // What the window shows: its backing store, as the last repaints left it.
    static QImage onScreen(QWidget& window) {
        QCoreApplication::processEvents();
        return window.screen()->grabWindow(window.winId()).toImage();
    }

    // The pill as the closed panel shows it, on the panel's own background.
    QString screenshot(const CompactLiveStatus& status, const QString& name) {
        InteractionEngine engine(f->appState, &f->clock);
        CalendarService calendar(f->permissionsCoordinator);
        RemindersService reminders(f->permissionsCoordinator);
        const std::unique_ptr<NotchRootView> root = closedPanel(status, engine, calendar, reminders);
        return brimlark::test::saveScreenshot(root.get(), name);
    }

private slots:
    void init() { f = std::make_unique<ServiceFixture>(); }
    void cleanup() { f.reset(); }

    // What a screen reader reads of the pill: its two lines and its buttons, with their roles.
    void screenReadersReadThePill_data() {
        QTest::addColumn<CompactLiveStatus>("status");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QStringList>("buttons");
        QTest::newRow("a question with both actions")
            << CompactLiveStatus::ai(
                   withActions(hookEvent(Source::claude, Status::asking, some("Approve Bash")), true, true))
            << "claude needs approval"
            << "approve bash" << QStringList{"allow", "deny"};
        QTest::newRow("a question answered in the terminal")
            << CompactLiveStatus::ai(hookEvent(Source::claude, Status::asking, some("waiting for input")))
            << "claude needs approval"
            << "waiting for input" << QStringList();
        QTest::newRow("a failure") << CompactLiveStatus::ai(
                                          hookEvent(Source::codex, Status::error, some("t"), some("Exit 1")))
                                   << "codex needs attention"
                                   << "exit 1" << QStringList();
        QTest::newRow("a track") << track(some("Song"), some("Band"), true, false) << "song"
                                 << "band" << QStringList();
    }

    void screenReadersReadThePill() {
        QFETCH(CompactLiveStatus, status);
        QFETCH(QString, name);
        QFETCH(QString, description);
        QFETCH(QStringList, buttons);
        CompactHiddenStatusView view(status, &f->aiHooks, false, QSizeF(200, 32), &f->clock);
        view.resize(356, 102);
        view.show();
        QAccessibleInterface* pill = QAccessible::queryAccessibleInterface(&view);
        QVERIFY(pill);
        QCOMPARE(pill->role(), QAccessible::StatusBar);
        QCOMPARE(pill->text(QAccessible::Name), name);
        QCOMPARE(pill->text(QAccessible::Description), description);
        QStringList read;
        for (int i = 0; i < pill->childCount(); ++i) {
            QAccessibleInterface* child = pill->child(i);
            QCOMPARE(child->role(), QAccessible::Button);
            read.append(child->text(QAccessible::Name));
        }
        QCOMPARE(read, buttons);
    }

    void texts_data() {
        QTest::addColumn<CompactLiveStatus>("status");
        QTest::addColumn<QString>("headline");
        QTest::addColumn<std::optional<QString>>("secondLine");
        QTest::addColumn<QString>("icon");
        QTest::addColumn<QColor>("color");
        const QColor accent = BrimlarkTheme::accent();
        const QColor warning = BrimlarkTheme::warning();

        QTest::newRow("claude asks") << CompactLiveStatus::ai(
                                            hookEvent(Source::claude, Status::asking, some("Run tests?")))
                                     << "claude needs approval" << some("run tests?") << "sparkles" << accent;
        QTest::newRow("title equal to the headline")
            << CompactLiveStatus::ai(hookEvent(Source::claude, Status::asking, some("Claude Needs Approval"),
                                               some("Edit main.cpp")))
            << "claude needs approval" << some("edit main.cpp") << "sparkles" << accent;
        QTest::newRow("empty title") << CompactLiveStatus::ai(
                                            hookEvent(Source::codex, Status::asking, some(""), some("Shell")))
                                     << "codex needs approval" << some("shell") << "terminal.fill" << accent;
        QTest::newRow("codex error") << CompactLiveStatus::ai(hookEvent(Source::codex, Status::error,
                                                                        some("t"), some("Exit 1")))
                                     << "codex needs attention" << some("exit 1") << "terminal.fill"
                                     << BrimlarkTheme::danger();
        QTest::newRow("other works") << CompactLiveStatus::ai(
                                            hookEvent(Source::other, Status::working, some("Busy")))
                                     << "ai working" << none << "bolt.horizontal.fill" << warning;
        QTest::newRow("finished") << CompactLiveStatus::ai(
                                         hookEvent(Source::claude, Status::finished, some("Done")))
                                  << "claude complete" << none << "sparkles" << warning;
        QTest::newRow("idle") << CompactLiveStatus::ai(hookEvent(Source::claude, Status::idle)) << "claude"
                              << none << "sparkles" << warning;
        QTest::newRow("a line break stays one line")
            << CompactLiveStatus::ai(hookEvent(Source::claude, Status::asking, some("Run\ntests?")))
            << "claude needs approval" << some("run tests?") << "sparkles" << accent;

        QTest::newRow("timer 61 s") << timerEndingIn(61) << "timer • 01:01" << some("ends in 01:01")
                                    << "timer" << accent;
        QTest::newRow("timer 60 s") << timerEndingIn(60) << "timer • 01:00" << some("ends in 01:00")
                                    << "timer" << warning;
        QTest::newRow("timer past its end")
            << timerEndingIn(-2) << "timer • 00:00" << some("time is up") << "timer" << warning;
        QTest::newRow("timer over an hour")
            << timerEndingIn(3725) << "timer • 1:02:05" << some("ends in 1:02:05") << "timer" << accent;
        QTest::newRow("timer finished")
            << timerEndingIn(-3, true) << "timer finished" << some("time is up") << "timer" << warning;

        const QUrl link(QStringLiteral("https://Meet.Example.com/abc-defg"));
        QTest::newRow("meeting in 30 s") << meeting(30, link) << "standup • in 1 min"
                                         << some("meet.example.com") << "video.fill" << accent;
        QTest::newRow("meeting in 5.5 min")
            << meeting(330, link, QStringLiteral("Room 4")) << "standup • in 6 min"
            << some("meet.example.com") << "video.fill" << accent;
        QTest::newRow("in progress") << meeting(-60, std::nullopt, QStringLiteral("Room 4"))
                                     << "standup • now" << some("room 4") << "calendar" << warning;
        QTest::newRow("already over")
            << meeting(-3600, std::nullopt) << "standup • in 0 min" << none << "calendar" << warning;

        QTest::newRow("untitled, playing")
            << track(none, none, true, false) << "now playing" << none << "play.fill" << warning;
        QTest::newRow("untitled burst")
            << track(none, none, false, true) << "track changed" << none << "pause.fill" << warning;
        QTest::newRow("titled") << track(some("Blue Monday"), some("New Order"), false, false)
                                << "blue monday" << some("new order") << "pause.fill" << warning;
    }
    void texts() {
        QFETCH(CompactLiveStatus, status);
        QFETCH(QString, headline);
        QFETCH(std::optional<QString>, secondLine);
        QFETCH(QString, icon);
        QFETCH(QColor, color);
        const Content content = CompactHiddenStatusView::contentFor(status, now);
        QCOMPARE(content.headline, headline);
        QCOMPARE(content.secondLine, secondLine);
        QCOMPARE(content.iconName, icon);
        QCOMPARE(content.iconColor, color);
    }

    void buttonsFollowTheActions_data() {
        QTest::addColumn<bool>("approve");
        QTest::addColumn<bool>("deny");
        QTest::newRow("both") << true << true;
        QTest::newRow("deny only") << false << true;
        QTest::newRow("none") << false << false;
    }
    void buttonsFollowTheActions() {
        QFETCH(bool, approve);
        QFETCH(bool, deny);
        const HookEvent e =
            withActions(hookEvent(Source::claude, Status::asking, some("Run tests?")), approve, deny);
        CompactHiddenStatusView view(CompactLiveStatus::ai(e), &f->aiHooks, false, QSizeF(200, 32),
                                     &f->clock);
        QCOMPARE(view.allowButton() != nullptr, approve);
        QCOMPARE(view.denyButton() != nullptr, deny);
        if (deny)
            QCOMPARE(view.denyButton()->text(), QStringLiteral("deny"));
    }

    void pillSitsBelowTheNotch_data() {
        QTest::addColumn<bool>("notched");
        QTest::addColumn<double>("minTop");
        QTest::newRow("no notch") << false << 12.0;
        QTest::newRow("notch 38 high") << true << 48.0;
    }
    void pillSitsBelowTheNotch() {
        QFETCH(bool, notched);
        QFETCH(double, minTop);
        const HookEvent e =
            withActions(hookEvent(Source::claude, Status::asking, some("Run tests?")), true, true);
        CompactHiddenStatusView view(CompactLiveStatus::ai(e), &f->aiHooks, notched, QSizeF(200, 38),
                                     &f->clock);
        view.resize(356, 102);
        view.show();
        QVERIFY(view.pillRect().top() >= minTop);
        QCOMPARE(view.pillRect().bottom(), 90.0);
        QCOMPARE(view.pillRect().left(), 20.0);
        QCOMPARE(view.pillRect().width(), 316.0);
        QVERIFY(view.pillRect().contains(view.allowButton()->geometry()));
        QVERIFY(view.denyButton()->geometry().left() > view.allowButton()->geometry().right());
    }

    void allowRunsTheActionThenDismisses() {
        FakeProcessLauncher launcher;
        AIHooksService hooks(f->appState, f->dir.filePath(QStringLiteral("own")), nullptr, &f->workspace,
                             &launcher, &f->clock);
        const HookEvent e =
            withActions(hookEvent(Source::claude, Status::asking, some("Run tests?")), true, true);
        hooks.ingest(e);
        CompactHiddenStatusView view(CompactLiveStatus::ai(e), &hooks, false, QSizeF(200, 32), &f->clock);
        view.resize(356, 102);
        QTest::mouseClick(view.denyButton(), Qt::LeftButton);
        QCOMPARE(launcher.commands, QStringList{QStringLiteral("false")});
        QVERIFY(hooks.events().isEmpty());
    }

    // An action that does not start keeps the event, and the pill, where the click was, says why
    // in place of its second line, to the eye and to a screen reader.
    void aFailedActionLeavesTheEventWithAnError_data() {
        QTest::addColumn<bool>("deny"); // deny opens a link, allow runs a command
        QTest::addColumn<QString>("failure");
        // The fixture's service has no process launcher: no command can start.
        QTest::newRow("allow") << false << "could not run approve: no process launcher";
        QTest::newRow("deny") << true << "could not open deny: nothing could open the link";
    }
    void aFailedActionLeavesTheEventWithAnError() {
        QFETCH(bool, deny);
        QFETCH(QString, failure);
        HookEvent e = withActions(hookEvent(Source::claude, Status::asking, some("Run tests?")), true, true);
        e.denyAction->url = QUrl(QStringLiteral("https://tool.test/deny"));
        f->workspace.openUrlSucceeds = false;
        f->aiHooks.ingest(e);
        CompactHiddenStatusView view(CompactLiveStatus::ai(e), &f->aiHooks, false, QSizeF(200, 32),
                                     &f->clock);
        view.resize(356, 102);
        QTest::mouseClick(deny ? view.denyButton() : view.allowButton(), Qt::LeftButton);
        QCOMPARE(f->aiHooks.events().size(), 1);
        QCOMPARE(f->aiHooks.lastError(), failure);
        QCOMPARE(view.content().secondLine, std::optional<QString>(failure));
        QCOMPARE(QAccessible::queryAccessibleInterface(&view)->text(QAccessible::Description), failure);
        QCOMPARE(view.toolTip(), failure);
        // It stays as the same status is published again each second.
        f->clock.setNow(f->clock.now().addSecs(1));
        view.refreshContent();
        QCOMPARE(view.content().secondLine, std::optional<QString>(failure));
    }

    void refreshRepaintsOnlyWhenATextMoves() {
        CompactHiddenStatusView view(timerEndingIn(90), nullptr, false, QSizeF(200, 32), &f->clock);
        f->clock.setNow(now);
        view.refreshContent();
        QCOMPARE(view.content().headline, QStringLiteral("timer • 01:30"));
        f->clock.setNow(now.addMSecs(300));
        view.refreshContent();
        QCOMPARE(view.content().headline, QStringLiteral("timer • 01:30"));
        f->clock.setNow(now.addSecs(31));
        view.refreshContent();
        QCOMPARE(view.content().headline, QStringLiteral("timer • 00:59"));
        QCOMPARE(view.content().iconColor, BrimlarkTheme::warning());
    }

    // A running countdown moves on screen once a second and draws nothing in between; what it
    // leaves on screen is what a panel drawn afresh at that moment shows.
    void aCountdownRedrawsOnlyWhenItsTextMoves_data() {
        QTest::addColumn<double>("left");
        QTest::addColumn<int>("stepMs");
        QTest::addColumn<bool>("redrawn");
        // Whether the start of the lines ("timer • ", "ends in ") is left as it is on screen.
        QTest::addColumn<bool>("startKept");
        QTest::newRow("within a second") << 754.0 << 400 << false << true;
        QTest::newRow("the next second") << 754.0 << 600 << true << true;
        QTest::newRow("the last minute begins") << 60.6 << 700 << true << true;
        QTest::newRow("the end") << 0.4 << 600 << true << false;
    }

    void aCountdownRedrawsOnlyWhenItsTextMoves() {
        QFETCH(double, left);
        QFETCH(int, stepMs);
        QFETCH(bool, redrawn);
        QFETCH(bool, startKept);
        const CompactLiveStatus status = timerEndingIn(left);
        InteractionEngine engine(f->appState, &f->clock);
        CalendarService calendar(f->permissionsCoordinator);
        RemindersService reminders(f->permissionsCoordinator);
        f->clock.setNow(now);
        const std::unique_ptr<NotchRootView> panel = closedPanel(status, engine, calendar, reminders);
        QVERIFY(QTest::qWaitForWindowExposed(panel.get()));
        auto* pill = qobject_cast<CompactHiddenStatusView*>(panel->modeView());
        QVERIFY(pill);
        const QImage before = onScreen(*panel);
        PaintedRegion painted;
        pill->installEventFilter(&painted);

        f->clock.setNow(now.addMSecs(stepMs));
        pill->refreshContent();
        const QImage after = onScreen(*panel);
        QCOMPARE(!painted.region.isEmpty(), redrawn);
        QCOMPARE(after != before, redrawn);
        // The first characters of both lines, right of the icon.
        const QRectF pillRect = pill->pillRect();
        const QRect lineStarts(int(pillRect.left()) + 38, int(pillRect.top()), 40, int(pillRect.height()));
        QCOMPARE(!painted.region.intersects(lineStarts), startKept);

        const std::unique_ptr<NotchRootView> fresh = closedPanel(status, engine, calendar, reminders);
        QVERIFY(QTest::qWaitForWindowExposed(fresh.get()));
        const QRect pillArea =
            pill->pillRect().translated(pill->mapTo(panel.get(), QPoint())).toAlignedRect();
        QCOMPARE(after.copy(pillArea), onScreen(*fresh).copy(pillArea));
    }

    void screenshots() {
        if (brimlark::test::screenshotDir().isEmpty())
            QSKIP("BRIMLARK_SCREENSHOT_DIR is not set");
        f->clock.setNow(now);
        const HookEvent asking =
            withActions(hookEvent(Source::claude, Status::asking, some("Run tests?")), true, true);
        QVERIFY(!screenshot(CompactLiveStatus::ai(asking), QStringLiteral("pill-ai-asking")).isEmpty());
        screenshot(CompactLiveStatus::ai(
                       hookEvent(Source::codex, Status::error, none, some("Build failed: exit 2"))),
                   QStringLiteral("pill-ai-error"));
        screenshot(timerEndingIn(754), QStringLiteral("pill-timer-running"));
        screenshot(timerEndingIn(-3, true), QStringLiteral("pill-timer-finished"));
        screenshot(meeting(240, QUrl(QStringLiteral("https://meet.example.com/abc-defg"))),
                   QStringLiteral("pill-calendar-link"));
        screenshot(track(some("Blue Monday"), some("New Order"), true, false),
                   QStringLiteral("pill-media-playing"));
    }
};

BRIMLARK_TEST_MAIN(TestCompactHiddenStatusView)
#include "tst_compacthiddenstatusview.moc"
