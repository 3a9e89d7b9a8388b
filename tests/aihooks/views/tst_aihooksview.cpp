// Presses go through the window as real input does, so a release reaches whatever button is under
// the pointer by then.
#define QTEST_QPA_MOUSE_HANDLING
#include "Brimlark/aihooks/views/AIHooksDot.h"
#include "Brimlark/aihooks/views/AIHooksEventRow.h"
#include "Brimlark/aihooks/views/AIHooksPillButton.h"
#include "Brimlark/aihooks/views/AIHooksRowText.h"
#include "Brimlark/aihooks/views/AIHooksView.h"
#include "Brimlark/core/RelativeTimeFormatter.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PlainLabel.h"
#include "Brimlark/pages/AdvancedModeView.h"
#include "Brimlark/pages/PanelServices.h"
#include "tests/aihooks/views/HookViewFixture.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestMain.h"

#include <QFile>
#include <QGraphicsOpacityEffect>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>
#include <memory>

using Status = HookEvent::Status;
using Source = HookEvent::Source;
using Preset = AppState::HookRulePreset;

namespace {

HookEvent hookEvent(Source source, Status status, std::optional<QString> title = {},
                    std::optional<QString> detail = {}) {
    HookEvent e;
    e.id = QUuid::createUuid();
    e.source = source;
    e.status = status;
    e.title = std::move(title);
    e.detail = std::move(detail);
    // Five seconds before the fixture's clock, which the page reads.
    e.timestamp = FakeClock().now().addSecs(-5);
    return e;
}

HookEvent::Action action(HookEvent::Action::Kind kind, std::optional<QUrl> url) {
    return HookEvent::Action{kind, QStringLiteral("Go"), QStringLiteral("true"), std::move(url)};
}

// Lets queued shows and deferred deletions run, as a turn of the event loop would.
void settle() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QStringList labelTexts(QWidget* root) {
    QStringList texts;
    for (QLabel* label : root->findChildren<QLabel*>())
        if (label->isVisibleTo(root))
            texts.append(label->text());
    return texts;
}

} // namespace

// The AI hooks page of the advanced panel, over a service with real tool wiring in a private home.
class TestAIHooksView : public QObject {
    Q_OBJECT
private slots:
    void headerCountsOnlyWhatThePresetShows_data() {
        QTest::addColumn<QList<Status>>("statuses");
        QTest::addColumn<bool>("listening");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("subtitle");
        // Under the "focused" preset an idle event is hidden.
        QTest::newRow("one event") << QList<Status>{Status::asking} << true << "ai hooks"
                                   << "1 event";
        QTest::newRow("two events") << QList<Status>{Status::asking, Status::error} << true << "ai hooks"
                                    << "2 events";
        QTest::newRow("one shown, one hidden")
            << QList<Status>{Status::idle, Status::asking} << true << "ai hooks"
            << "1 event";
        QTest::newRow("only hidden, listening") << QList<Status>{Status::idle} << true << "ai hooks ready"
                                                << "waiting for something important";
        QTest::newRow("empty, offline") << QList<Status>{} << false << "ai hooks offline"
                                        << "listener offline";
    }
    void headerCountsOnlyWhatThePresetShows() {
        QFETCH(QList<Status>, statuses);
        QFETCH(bool, listening);
        HookViewFixture f;
        f.appState.setHookRulePreset(Preset::focused);
        AIHooksView view(f.service);
        if (listening)
            view.start();
        for (Status status : statuses)
            f.service.ingest(hookEvent(Source::claude, status));
        QTEST(view.headerTitle(), "title");
        QTEST(view.headerSubtitle(), "subtitle");
        QVERIFY(labelTexts(&view).contains(view.headerTitle()));
        QVERIFY(labelTexts(&view).contains(view.headerSubtitle()));
        const bool listed = !f.service.presetFilteredEvents().isEmpty();
        QCOMPARE(buttonNamed(&view, "clear") != nullptr, listed);
        QCOMPARE(shown<AIHooksEventRow>(&view).size(), f.service.presetFilteredEvents().size());
        // The header light follows the listener.
        QCOMPARE(shown<AIHooksDot>(&view).first()->color(),
                 listening ? BrimlarkTheme::accent() : BrimlarkTheme::danger());
        if (!listed && !listening)
            QVERIFY(buttonNamed(&view, "restart listener"));
    }

    void aPresetChangeRecountsAtOnce() {
        HookViewFixture f;
        f.appState.setHookRulePreset(Preset::approvalsOnly);
        AIHooksView view(f.service);
        f.service.ingest(hookEvent(Source::claude, Status::asking));
        f.service.ingest(hookEvent(Source::claude, Status::working));
        QCOMPARE(view.headerSubtitle(), QStringLiteral("1 event"));
        f.appState.setHookRulePreset(Preset::fullFeed);
        QCOMPARE(view.headerSubtitle(), QStringLiteral("2 events"));
    }

    void setupStepsGoCodexFirstThenClaude() {
        HookViewFixture f;
        AIHooksView view(f.service);
        view.start();
        auto steps = [&] { return buttonTexts(&view); };
        QCOMPARE(steps(), QStringList({"grant codex access", "open settings"}));
        QCOMPARE(view.emptyTitle(), QStringLiteral("connect a coding tool"));

        // The button runs its step.
        f.picker.answers = {f.home};
        buttonNamed(&view, "grant codex access")->click();
        QVERIFY(f.service.hookAccessStatus().codexGranted);
        QCOMPARE(steps(), QStringList({"connect codex", "open settings"}));

        QVERIFY(f.install(false, true));
        QCOMPARE(steps(), QStringList({"grant claude access", "open settings"}));
        QCOMPARE(buttonNamed<AIHooksPillButton>(&view, "grant claude access")->tint(),
                 BrimlarkTheme::warning());
        QCOMPARE(view.headerTitle(), QStringLiteral("codex connected"));
        QCOMPARE(view.emptyTitle(), QStringLiteral("waiting for the first event"));

        f.grant(AIHookTool::claude);
        QCOMPARE(steps(), QStringList({"connect claude", "open settings"}));
        QVERIFY(f.install(true, false));
        QCOMPARE(steps(), QStringList({"open settings"}));
        QCOMPARE(view.headerTitle(), QStringLiteral("ai hooks ready"));

        // Offline, the page offers the restart, and the restart brings the listener back.
        f.service.stopListener();
        QCOMPARE(steps(), QStringList({"restart listener", "open settings"}));
        buttonNamed(&view, "restart listener")->click();
        QVERIFY(f.service.isListening());
        QCOMPARE(steps(), QStringList({"open settings"}));
    }

    void clearEmptiesTheStoreAndTheInbox() {
        HookViewFixture f;
        AIHooksView view(f.service);
        view.start();
        HookEvent fromFile = hookEvent(Source::codex, Status::asking, QStringLiteral("from the inbox"));
        {
            QFile inbox(f.service.inboxPath());
            QVERIFY(inbox.open(QIODevice::WriteOnly | QIODevice::Truncate));
            inbox.write("[" + QJsonDocument(fromFile.toJson()).toJson(QJsonDocument::Compact) + "]");
        }
        f.inboxWatch->fireChange();
        QTRY_COMPARE(f.service.events().size(), 1);
        f.service.ingest(hookEvent(Source::claude, Status::asking));
        QCOMPARE(f.service.notifiedEventIDs().size(), 2);
        f.grant(AIHookTool::codex);
        QVERIFY(!f.service.lastInstallMessage().isEmpty());

        QSignalSpy changed(&f.service, &AIHooksService::eventsChanged);
        buttonNamed(&view, "clear")->click();
        QVERIFY(f.service.events().isEmpty());
        QVERIFY(f.service.notifiedEventIDs().isEmpty());
        QVERIFY(f.service.lastInstallMessage().isEmpty());
        QCOMPARE(changed.count(), 1);
        QFile inbox(f.service.inboxPath());
        QVERIFY(inbox.open(QIODevice::ReadOnly));
        QCOMPARE(inbox.readAll(), QByteArray("[]"));
        QVERIFY(!buttonNamed(&view, "clear"));

        // The watch sees the write and any later read; neither brings the old events back.
        f.inboxWatch->fireChange();
        f.service.refreshFromFile();
        QVERIFY(f.service.events().isEmpty());
        QCOMPARE(view.headerSubtitle(), QStringLiteral("waiting for something important"));
    }

    void relativeTimesFollowTheClockWhileShown_data() {
        QTest::addColumn<int>("seconds"); // the clock moves on this far
        QTest::addColumn<bool>("visible");
        QTest::addColumn<QString>("time");
        QTest::newRow("a second on") << 1 << true << "6 sec. ago";
        QTest::newRow("twenty seconds on") << 20 << true << "25 sec. ago";
        QTest::newRow("into minutes") << 70 << true << "1 min. ago";
        QTest::newRow("hidden: left alone") << 20 << false << "5 sec. ago";
    }

    // While the page shows, the rows' "… ago" keep up with the clock; the rows themselves stay.
    void relativeTimesFollowTheClockWhileShown() {
        QFETCH(int, seconds);
        QFETCH(bool, visible);
        QFETCH(QString, time);
        HookViewFixture f;
        AIHooksView view(f.service);
        view.resize(640, 400);
        view.show();
        f.service.ingest(hookEvent(Source::claude, Status::asking, QStringLiteral("run")));
        settle();
        AIHooksEventRow* row = view.findChild<AIHooksEventRow*>();
        QVERIFY(row);
        QCOMPARE(row->timeText(), QStringLiteral("5 sec. ago"));
        if (!visible)
            view.hide();
        f.clock.advance(std::chrono::seconds(seconds));
        QCOMPARE(row->timeText(), time);
        QCOMPARE(view.findChild<AIHooksEventRow*>(), row);
        // Shown again, the page catches up at once.
        view.show();
        QCOMPARE(row->timeText(), RelativeTimeFormatter::string(row->event().timestamp, f.clock.now()));
    }

    void rowsShowEventsAsPlainLowerCaseText() {
        HookViewFixture f;
        f.appState.setHookRulePreset(Preset::fullFeed);
        AIHooksView view(f.service);
        HookEvent untitled = hookEvent(Source::codex, Status::finished, std::nullopt, QString());
        HookEvent markup = hookEvent(Source::claude, Status::asking, QStringLiteral("<b>Run</b> RM -rf"),
                                     QStringLiteral("In /Tmp"));
        markup.denyAction =
            action(HookEvent::Action::Kind::deny, QUrl(QStringLiteral("https://example.test/d")));
        f.service.ingest(untitled);
        f.service.ingest(markup);

        const auto rows = shown<AIHooksEventRow>(&view);
        QCOMPARE(rows.size(), 2);
        AIHooksEventRow* first = rows.at(0);
        AIHooksEventRow* second = rows.at(1);
        QCOMPARE(first->event().id, markup.id); // newest first
        const QStringList asking = labelTexts(first);
        QCOMPARE(asking, QStringList({"claude", "5 sec. ago", "<b>run</b> rm -rf", "in /tmp"}));
        for (QLabel* label : first->findChildren<QLabel*>())
            QCOMPARE(label->textFormat(), Qt::PlainText);
        // No title reads "event"; an empty detail adds no line; finished is drawn in warning.
        QCOMPARE(labelTexts(second), QStringList({"codex", "5 sec. ago", "event"}));
        QCOMPARE(second->findChild<AIHooksDot*>()->color(), BrimlarkTheme::warning());
        QCOMPARE(buttonTexts(second), QStringList());

        // Only a deny action: allow is off, deny runs it and the event leaves.
        QVERIFY(!buttonNamed(first, "allow")->isEnabled());
        QVERIFY(buttonNamed(first, "deny")->isEnabled());
        buttonNamed(first, "deny")->click();
        QCOMPARE(f.workspace.openedUrls, QList<QUrl>{QUrl(QStringLiteral("https://example.test/d"))});
        QCOMPARE(f.service.events().size(), 1);
    }

    void rowsJoiningAShownListFadeIn() {
        HookViewFixture f;
        f.appState.setHookRulePreset(Preset::fullFeed);
        AIHooksView view(f.service);
        const HookEvent older = hookEvent(Source::codex, Status::working, QStringLiteral("older"));
        f.service.ingest(older);
        // The list that takes the empty page's place comes at once.
        QCOMPARE(shown<AIHooksEventRow>(&view).size(), 1);
        QVERIFY(!shown<AIHooksEventRow>(&view).at(0)->graphicsEffect());

        f.service.ingest(hookEvent(Source::claude, Status::asking, QStringLiteral("newer")));
        auto rows = shown<AIHooksEventRow>(&view);
        QCOMPARE(rows.size(), 2);
        QPointer<AIHooksEventRow> joined = rows.at(0);
        auto* fade = qobject_cast<QGraphicsOpacityEffect*>(joined->graphicsEffect());
        QVERIFY(fade);
        QVERIFY(fade->opacity() < 1.0);
        QVERIFY(!rows.at(1)->graphicsEffect());
        // Once in, the row paints directly again.
        QTRY_VERIFY(joined && !joined->graphicsEffect());

        // A rebuild that lists the same events (one replaced by id) fades nothing.
        f.service.ingest(older);
        for (AIHooksEventRow* row : shown<AIHooksEventRow>(&view))
            QVERIFY(!row->graphicsEffect());
    }

    void aChangeThePageDoesNotShowLeavesItAlone() {
        HookViewFixture f;
        f.appState.setHookRulePreset(Preset::focused);
        AIHooksView view(f.service);
        view.resize(360, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QList<HookEvent> asking;
        for (int i = 0; i < 12; ++i) {
            HookEvent e = hookEvent(Source::claude, Status::asking, QStringLiteral("question %1").arg(i));
            e.approveAction = action(HookEvent::Action::Kind::approve,
                                     QUrl(QStringLiteral("https://example.test/%1").arg(i)));
            asking.append(e);
        }
        f.service.ingest(asking);
        settle();
        QScrollBar* bar = shown<QScrollArea>(&view).first()->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        bar->setValue(bar->maximum());
        const int scrolledTo = bar->value();
        QList<QPointer<AIHooksEventRow>> rows;
        for (AIHooksEventRow* row : shown<AIHooksEventRow>(&view))
            rows.append(row);
        QCOMPARE(rows.size(), 12);
        auto sameRows = [&] {
            const auto now = shown<AIHooksEventRow>(&view);
            return now.size() == rows.size() && std::equal(now.begin(), now.end(), rows.begin());
        };

        // An idle event, which this preset hides, and access granted to a tool, which only the
        // empty page shows.
        f.service.ingest(hookEvent(Source::claude, Status::idle, QStringLiteral("heartbeat")));
        f.grant(AIHookTool::codex);
        QVERIFY(f.service.hookAccessStatus().codexGranted);
        settle();
        QVERIFY(sameRows());
        QCOMPARE(shown<QScrollArea>(&view).first()->verticalScrollBar()->value(), scrolledTo);

        // A press held on "allow" while such an event arrives completes on release.
        AIHooksEventRow* last = rows.last();
        // The row goes with its event once the action ran.
        const QUrl approved = *last->event().approveAction->url;
        QAbstractButton* allow = buttonNamed(last, "allow");
        const QPoint at = allow->mapTo(&view, allow->rect().center());
        QTest::mousePress(&view, Qt::LeftButton, {}, at);
        QVERIFY(allow->isDown());
        f.service.ingest(hookEvent(Source::codex, Status::idle, QStringLiteral("another heartbeat")));
        settle();
        QTest::mouseRelease(&view, Qt::LeftButton, {}, at);
        settle();
        QCOMPARE(f.workspace.openedUrls, QList<QUrl>{approved});
        QCOMPARE(f.service.presetFilteredEvents().size(), 11);

        // An event the page shows joins the list: the new row fades in, and the list stays where
        // it was scrolled to.
        bar = shown<QScrollArea>(&view).first()->verticalScrollBar();
        bar->setValue(bar->maximum() / 2);
        const int halfway = bar->value();
        QVERIFY(halfway > 0);
        f.service.ingest(hookEvent(Source::claude, Status::error, QStringLiteral("failed")));
        settle();
        const auto rebuilt = shown<AIHooksEventRow>(&view);
        QCOMPARE(rebuilt.size(), 12);
        // Only the new row was built: the others are the widgets that were there.
        QVERIFY(rows.contains(rebuilt.at(1)));
        QVERIFY(qobject_cast<QGraphicsOpacityEffect*>(rebuilt.at(0)->graphicsEffect()));
        QVERIFY(!rebuilt.at(1)->graphicsEffect());
        QCOMPARE(shown<QScrollArea>(&view).first()->verticalScrollBar()->value(), halfway);
    }

    // With a full list shown, a change builds, drops or moves only the rows it concerns.
    void onlyTheRowsThatChangedAreTouched_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("a new event pushes out the oldest") << QStringLiteral("arrives");
        QTest::newRow("an event dismissed") << QStringLiteral("dismissed");
        QTest::newRow("an event sent again with a new title") << QStringLiteral("retitled");
        QTest::newRow("an event sent again unchanged") << QStringLiteral("again");
    }

    void onlyTheRowsThatChangedAreTouched() {
        QFETCH(QString, change);
        HookViewFixture f;
        f.appState.setHookRulePreset(Preset::fullFeed);
        AIHooksView view(f.service);
        view.resize(360, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QList<HookEvent> events;
        for (int i = 0; i < HookEventStore::maxEvents; ++i)
            events.append(hookEvent(Source::claude, Status::working, QStringLiteral("step %1").arg(i)));
        f.service.ingest(events);
        settle();
        QList<QPointer<AIHooksEventRow>> before;
        for (AIHooksEventRow* row : shown<AIHooksEventRow>(&view))
            before.append(row);
        QCOMPARE(before.size(), HookEventStore::maxEvents);

        // `before` is newest first: the tenth row shows events[39].
        HookEvent touched = events.at(39);
        QList<QPointer<AIHooksEventRow>> expected = before;
        QPointer<AIHooksEventRow> reused;
        if (change == QStringLiteral("arrives")) {
            f.service.ingest(hookEvent(Source::codex, Status::asking, QStringLiteral("new")));
            expected.removeLast();
        } else if (change == QStringLiteral("dismissed")) {
            f.service.dismiss(touched.id);
            expected.removeAt(10);
        } else {
            if (change == QStringLiteral("retitled"))
                touched.title = QStringLiteral("step 39, again");
            else
                reused = before.at(10);
            f.service.ingest(touched);
            expected.removeAt(10);
        }
        settle();
        QList<QPointer<AIHooksEventRow>> after;
        for (AIHooksEventRow* row : shown<AIHooksEventRow>(&view))
            after.append(row);
        if (change != QStringLiteral("dismissed")) {
            // Only the top row may be new; it is the old widget when nothing about it changed.
            QVERIFY(!after.isEmpty());
            if (reused)
                QCOMPARE(after.first(), reused);
            else
                QVERIFY(!before.contains(after.first()));
            after.removeFirst();
        }
        QCOMPARE(after, expected);
        // The widgets' order is the list's order.
        const QList<HookEvent> listed = f.service.presetFilteredEvents();
        const auto rows = shown<AIHooksEventRow>(&view);
        QCOMPARE(rows.size(), listed.size());
        for (qsizetype i = 0; i < rows.size(); ++i)
            QCOMPARE(rows.at(i)->event().id, listed.at(i).id);
        QVERIFY(labelTexts(&view).contains(QString::number(listed.size()) + QStringLiteral(" events")));
    }

    void longTextsShowTheirBeginning() {
        HookViewFixture f;
        f.appState.setHookRulePreset(Preset::fullFeed);
        AIHooksView view(f.service);
        const QString detail = QStringLiteral("Output ").repeated(3000).left(20000);
        const QString title = QStringLiteral("Step\n").repeated(20);
        f.service.ingest(hookEvent(Source::codex, Status::working, title, detail));
        QCOMPARE(f.service.events().first().detail, detail); // the store keeps the whole text

        const QStringList texts = labelTexts(shown<AIHooksEventRow>(&view).first());
        QCOMPARE(texts.size(), 4);
        const QString shownTitle = texts.at(2);
        const QString shownDetail = texts.at(3);
        QVERIFY2(shownDetail.size() <= AIHooksEventRow::maxTextLength,
                 qPrintable(QString::number(shownDetail.size())));
        QVERIFY(shownDetail.endsWith(QChar(0x2026)));
        QVERIFY(shownDetail.startsWith(QStringLiteral("output output")));
        // Many short lines are cut after a few.
        QCOMPARE(shownTitle.count(QLatin1Char('\n')), AIHooksEventRow::maxTextLines - 1);
        QVERIFY(shownTitle.endsWith(QStringLiteral("step…")));
        // Text that fits is shown whole; a cut never splits a character in two.
        QCOMPARE(AIHooksEventRow::shownText(QStringLiteral("Step\n").repeated(6)),
                 QStringLiteral("step\n").repeated(6));
        const QString wide = QStringLiteral("\U0001F600").repeated(400);
        const QString cut = AIHooksEventRow::shownText(wide);
        QVERIFY(cut.size() <= AIHooksEventRow::maxTextLength);
        QVERIFY(!cut.chopped(1).back().isHighSurrogate());

        if (!brimlark::test::screenshotDir().isEmpty()) {
            auto* page = new AIHooksView(f.service);
            std::unique_ptr<QWidget> host(darkHost(page, QSize(640, 360)));
            brimlark::test::saveScreenshot(host.get(), QStringLiteral("aihooks-page-long-texts"));
        }
    }

    // Two requests whose commands begin alike: a row shows each command whole, wrapped, up to its
    // limit; past it the rows are cut alike and each one's tooltip holds the whole command.
    void aRowShowsWhatWouldBeApproved_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<bool>("cut");
        QTest::newRow("alike for longer than a line")
            << QStringLiteral("cd /home/dev/projects/").repeated(4) << false;
        QTest::newRow("alike for longer than a row shows")
            << QStringLiteral("cd /home/dev/projects/").repeated(14) << true;
    }
    void aRowShowsWhatWouldBeApproved() {
        QFETCH(QString, start);
        QFETCH(bool, cut);
        HookViewFixture f;
        AIHooksView view(f.service);
        QStringList commands{start + QStringLiteral(" && rm -rf build"),
                             start + QStringLiteral(" && git clean -fdx")};
        for (const QString& command : commands) {
            HookEvent event = hookEvent(Source::claude, Status::asking, QStringLiteral("approve bash"));
            event.toolInput = QJsonDocument(QJsonObject{{QStringLiteral("command"), command}})
                                  .toJson(QJsonDocument::Compact);
            f.service.ingest(event);
        }
        settle();
        QStringList shownLines, tips;
        for (AIHooksEventRow* row : shown<AIHooksEventRow>(&view)) {
            auto* line = row->findChild<QLabel*>(QStringLiteral("toolInput"));
            QVERIFY(line);
            shownLines.append(line->text());
            tips.append(line->toolTip());
        }
        std::sort(shownLines.begin(), shownLines.end());
        std::sort(tips.begin(), tips.end());
        std::sort(commands.begin(), commands.end());
        QCOMPARE(shownLines.size(), 2);
        if (cut) {
            QCOMPARE(shownLines.at(0), shownLines.at(1));
            QVERIFY(shownLines.at(0).endsWith(QChar(0x2026)));
            QCOMPARE(tips, commands);
        } else {
            QCOMPARE(shownLines, commands);
            QCOMPARE(tips, QStringList(2, QString()));
        }
    }

    // A row's wrapped text keeps the height it measured per width only while nothing that breaks
    // its lines changed: a stale height would clip the text or leave a gap under it.
    void aRowTextsHeightFollowsWhatBreaksItsLines_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("a longer text") << "text";
        QTest::newRow("a larger font") << "font";
        QTest::newRow("margins") << "margins";
    }

    void aRowTextsHeightFollowsWhatBreaksItsLines() {
        QFETCH(QString, change);
        const QString words = QStringLiteral("edit the file and run the tests again ");
        AIHooksRowText text(words.repeated(2), BrimlarkTheme::monoRegular13(), BrimlarkTheme::textPrimary());
        QLabel reference(words.repeated(2));
        reference.setFont(BrimlarkTheme::monoRegular13());
        reference.setWordWrap(true);
        // Asked at two widths, as a list asks its rows, so that both are remembered.
        QCOMPARE(text.heightForWidth(200), reference.heightForWidth(200));
        QCOMPARE(text.heightForWidth(640), reference.heightForWidth(640));
        const int before = text.heightForWidth(200);

        for (QLabel* label : {static_cast<QLabel*>(&text), &reference}) {
            if (change == QLatin1String("text")) {
                label->setText(words.repeated(6));
            } else if (change == QLatin1String("font")) {
                QFont larger = BrimlarkTheme::monoRegular13();
                if (larger.pixelSize() > 0)
                    larger.setPixelSize(larger.pixelSize() * 2);
                else
                    larger.setPointSizeF(larger.pointSizeF() * 2);
                label->setFont(larger);
            } else {
                label->setContentsMargins(0, 10, 0, 10);
            }
        }
        QCOMPARE(text.heightForWidth(200), reference.heightForWidth(200));
        QCOMPARE(text.heightForWidth(640), reference.heightForWidth(640));
        QVERIFY(text.heightForWidth(200) > before);
    }

    void aRowTextPaintsAsAPlainLabel_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("wrap");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height"); // 0: the height the text asks for
        const QString words = QStringLiteral("edit the file and run the tests again ");
        QTest::newRow("one line") << QStringLiteral("run the tests") << true << 300 << 0;
        QTest::newRow("one line in a taller place") << QStringLiteral("run the tests") << true << 300 << 60;
        QTest::newRow("wrapped") << words.repeated(4) << true << 220 << 0;
        QTest::newRow("line breaks, tabs and returns")
            << QStringLiteral("step one\nstep\ttwo\r\n\n  three\t\tfour") << true << 400 << 0;
        QTest::newRow("a word wider than the place")
            << QStringLiteral("x").repeated(120) + QStringLiteral(" end") << true << 200 << 0;
        QTest::newRow("taller than the place") << QStringLiteral("line\n").repeated(8) << true << 200 << 30;
        QTest::newRow("emoji and accents")
            << QStringLiteral("d\u00e9j\u00e0 vu \U0001F600 ").repeated(6) << true << 180 << 0;
        QTest::newRow("unwrapped") << QStringLiteral("claude  ") << false << 120 << 20;
        QTest::newRow("unwrapped, wider than the place") << words.repeated(3) << false << 150 << 20;
        QTest::newRow("unwrapped, line breaks") << QStringLiteral("one\ntwo\tthree") << false << 200 << 50;
    }

    // The row text keeps its text laid out between paints; it must paint as the plain word-wrapped
    // label does, also after its text, font or width changed.
    void aRowTextPaintsAsAPlainLabel() {
        QFETCH(QString, text);
        QFETCH(bool, wrap);
        QFETCH(int, width);
        QFETCH(int, height);
        AIHooksRowText row(text, BrimlarkTheme::monoRegular13(), BrimlarkTheme::textSecondary(), nullptr,
                           wrap);
        QLabel* reference =
            plainLabel(text, BrimlarkTheme::monoRegular13(), BrimlarkTheme::textSecondary(), nullptr);
        std::unique_ptr<QLabel> owner(reference);
        reference->setWordWrap(wrap);
        const auto painted = [](QLabel* label, int w, int h) {
            label->resize(w, h > 0 ? h : label->heightForWidth(w));
            QImage image(label->size(), QImage::Format_ARGB32_Premultiplied);
            image.fill(QColor(24, 24, 27));
            label->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
            return image;
        };
        const auto compare = [&](int w) {
            QCOMPARE(row.sizeHint(), reference->sizeHint());
            QCOMPARE(row.minimumSizeHint(), reference->minimumSizeHint());
            QCOMPARE(row.heightForWidth(w), reference->heightForWidth(w));
            QCOMPARE(painted(&row, w, height), painted(reference, w, height));
        };
        compare(width);
        // Painted again as it is, and after each change.
        compare(width);
        for (QLabel* label : {static_cast<QLabel*>(&row), reference})
            label->setText(text + QStringLiteral(" and more words after it"));
        compare(width);
        for (QLabel* label : {static_cast<QLabel*>(&row), reference})
            label->setFont(BrimlarkTheme::monoSemibold11());
        compare(width);
        compare(width + 37);
    }

    // While the bell has muted Brimlark's notifications the page says so, over a list or not.
    void aMutedBellIsSaidOnThePage() {
        HookViewFixture f;
        AIHooksView view(f.service);
        const QString muted = QStringLiteral("Brimlark's notifications are muted");
        f.appState.setNotificationsMuted(true);
        QVERIFY(labelTexts(&view).contains(muted));
        f.service.ingest(hookEvent(Source::claude, Status::asking, QStringLiteral("Edit file?")));
        settle();
        QVERIFY(labelTexts(&view).contains(muted));
        f.appState.setNotificationsMuted(false);
        QVERIFY(!labelTexts(&view).contains(muted));
    }

    void anActionThatDoesNotStartKeepsTheEvent() {
        HookViewFixture f;
        AIHooksView view(f.service);
        HookEvent asking = hookEvent(Source::claude, Status::asking, QStringLiteral("Edit file?"));
        asking.approveAction =
            action(HookEvent::Action::Kind::approve, QUrl(QStringLiteral("https://x.test/a")));
        f.service.ingest(asking);
        f.workspace.openUrlSucceeds = false;
        buttonNamed(&view, "allow")->click();
        QCOMPARE(f.service.events().size(), 1);
        QVERIFY(!f.service.lastError().isEmpty());
    }

    void advancedModeHostsThePageOnItsPage() {
        HookViewFixture f;
        int opened = 0;
        PanelServices services;
        services.aiHooks = &f.service;
        for (int page = 0; page < 6; ++page) {
            AdvancedModeView::Inputs inputs;
            inputs.page = page;
            inputs.onOpenSettings = [&] { ++opened; };
            AdvancedModeView advanced(services, inputs);
            auto* hooks = advanced.findChild<AIHooksView*>();
            QCOMPARE(hooks != nullptr, page == 4);
            if (hooks)
                buttonNamed(hooks, "open settings")->click();
        }
        QCOMPARE(opened, 1);
    }

    void screenshots() {
        if (brimlark::test::screenshotDir().isEmpty())
            QSKIP("BRIMLARK_SCREENSHOT_DIR is not set");
        HookViewFixture f;
        auto* view = new AIHooksView(f.service);
        std::unique_ptr<QWidget> host(darkHost(view, QSize(640, 300)));
        f.service.stopListener();
        brimlark::test::saveScreenshot(host.get(), QStringLiteral("aihooks-page-empty-offline"));
        f.grant(AIHookTool::codex);
        QVERIFY(f.install(false, true));
        view->start();
        brimlark::test::saveScreenshot(host.get(), QStringLiteral("aihooks-page-empty-ready"));
        HookEvent asking =
            hookEvent(Source::claude, Status::asking, QStringLiteral("Claude wants to run Bash"),
                      QStringLiteral("npm test -- --watch=false"));
        asking.approveAction = action(HookEvent::Action::Kind::approve, std::nullopt);
        asking.denyAction = action(HookEvent::Action::Kind::deny, std::nullopt);
        f.service.ingest(hookEvent(Source::codex, Status::finished, QStringLiteral("Task complete")));
        f.service.ingest(asking);
        // The newer row fades in first.
        QTRY_VERIFY(!view->findChild<QGraphicsOpacityEffect*>());
        brimlark::test::saveScreenshot(host.get(), QStringLiteral("aihooks-page-asking"));
    }
};

BRIMLARK_TEST_MAIN(TestAIHooksView)
#include "tst_aihooksview.moc"
