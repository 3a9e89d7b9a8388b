#include "Brimlark/aihooks/events/HookDisplayRules.h"
#include "tests/support/TestMain.h"

using Preset = AppState::HookRulePreset;
using SourceFilter = AppState::AIHooksSourceFilter;
using StatusFilter = AppState::AIHooksStatusFilter;
using Source = HookEvent::Source;
using Status = HookEvent::Status;

Q_DECLARE_METATYPE(HookDisplayRules)

namespace {

HookDisplayRules rules(Preset preset, bool showOtherClients = false, SourceFilter source = SourceFilter::all,
                       StatusFilter status = StatusFilter::all) {
    return HookDisplayRules{preset, showOtherClients, source, status};
}

HookEvent makeEvent(Source source, Status status, const char* eventName = nullptr,
                    const char* toolName = nullptr) {
    HookEvent event;
    event.id = QUuid::createUuid();
    event.source = source;
    event.status = status;
    if (eventName)
        event.eventName = QString::fromLatin1(eventName);
    if (toolName)
        event.toolName = QString::fromLatin1(toolName);
    return event;
}

} // namespace

// Each row is one event under one set of settings, and what every rule makes of it.
class TestHookDisplayRules : public QObject {
    Q_OBJECT
private slots:
    void decidesEachEvent_data() {
        QTest::addColumn<HookDisplayRules>("rules");
        QTest::addColumn<HookEvent>("event");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("active");
        QTest::addColumn<bool>("notifies");

        const HookDisplayRules focused = rules(Preset::focused);
        const HookDisplayRules approvals = rules(Preset::approvalsOnly);
        const HookDisplayRules fullFeed = rules(Preset::fullFeed);
        QTest::newRow("focused, working with a tool")
            << focused << makeEvent(Source::claude, Status::working, "PreToolUse", "Bash") << true << true
            << true << false;
        QTest::newRow("focused, working with a listed name")
            << focused << makeEvent(Source::claude, Status::working, "UserPromptSubmit") << true << true
            << true << false;
        QTest::newRow("focused, working with another name")
            << focused << makeEvent(Source::claude, Status::working, "PreToolUse") << false << false << false
            << false;
        QTest::newRow("focused, finished with a listed name in any case")
            << focused << makeEvent(Source::codex, Status::finished, "SUBAGENTSTOP") << true << true << false
            << false;
        QTest::newRow("focused, finished with another name")
            << focused << makeEvent(Source::claude, Status::finished, "Done") << false << false << false
            << false;
        QTest::newRow("focused, idle even with a tool")
            << focused << makeEvent(Source::claude, Status::idle, "Stop", "Edit") << false << false << false
            << false;
        QTest::newRow("focused, asking")
            << focused << makeEvent(Source::codex, Status::asking) << true << true << true << true;
        QTest::newRow("focused, failed")
            << focused << makeEvent(Source::claude, Status::error) << true << true << true << false;
        QTest::newRow("approvals only, a listed name")
            << approvals << makeEvent(Source::claude, Status::finished, "Stop") << true << true << false
            << false;
        QTest::newRow("approvals only, a tool is not enough")
            << approvals << makeEvent(Source::claude, Status::finished, "PostToolUse", "Edit") << false
            << false << false << false;
        QTest::newRow("approvals only, asking")
            << approvals << makeEvent(Source::claude, Status::asking) << true << true << true << true;
        QTest::newRow("full feed, idle")
            << fullFeed << makeEvent(Source::claude, Status::idle) << true << true << false << false;
        QTest::newRow("another client, hidden")
            << fullFeed << makeEvent(Source::other, Status::asking) << false << false << false << false;
        QTest::newRow("another client, shown but silent")
            << rules(Preset::fullFeed, true) << makeEvent(Source::other, Status::asking) << true << true
            << true << false;
        QTest::newRow("the source filter hides but does not silence")
            << rules(Preset::fullFeed, false, SourceFilter::codex)
            << makeEvent(Source::claude, Status::asking) << true << false << false << true;
        QTest::newRow("the source filter keeps its source")
            << rules(Preset::fullFeed, false, SourceFilter::codex)
            << makeEvent(Source::codex, Status::working) << true << true << true << false;
        QTest::newRow("the status filter keeps its status")
            << rules(Preset::fullFeed, false, SourceFilter::all, StatusFilter::asking)
            << makeEvent(Source::claude, Status::asking) << true << true << true << true;
        QTest::newRow("the status filter hides another status")
            << rules(Preset::fullFeed, false, SourceFilter::all, StatusFilter::finished)
            << makeEvent(Source::claude, Status::working, "Stop", "Edit") << true << false << false << false;
    }

    void decidesEachEvent() {
        QFETCH(HookDisplayRules, rules);
        QFETCH(HookEvent, event);
        QFETCH(bool, shown);
        QFETCH(bool, visible);
        QFETCH(bool, active);
        QFETCH(bool, notifies);
        const QList<HookEvent> events{event};
        QCOMPARE(rules.shouldDisplay(event), shown);
        QCOMPARE(rules.presetFilteredEvents(events).size(), shown ? 1 : 0);
        QCOMPARE(rules.isVisible(event), visible);
        QCOMPARE(rules.visibleEvents(events).size(), visible ? 1 : 0);
        QCOMPARE(rules.activeEvent(events).has_value(), active);
        QCOMPARE(rules.shouldNotify(event), notifies);
    }
};

BRIMLARK_TEST_MAIN(TestHookDisplayRules)
#include "tst_hookdisplayrules.moc"
