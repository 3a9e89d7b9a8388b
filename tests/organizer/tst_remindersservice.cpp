#include "tests/support/RemindersFixture.h"
#include "tests/support/TestMain.h"

#include <QSignalSpy>

// The reminders service over a fake store: what it lists and in which order, which list it
// searches, which fetch may publish, and how toggles and quick adds end.
class TestRemindersService : public QObject {
    Q_OBJECT
private:
    // Runs the queued answers of the fake store.
    static void settle() {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
    // The outcome a save reports; the fake store answers before returning.
    template <typename Save> static RemindersService::Outcome outcomeOf(Save save) {
        RemindersService::Outcome outcome;
        outcome.error = QStringLiteral("no answer");
        save([&outcome](const RemindersService::Outcome& answered) { outcome = answered; });
        return outcome;
    }

private slots:
    void listingFollowsTheSelectionAndAccess_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<QString>("selection");
        QTest::addColumn<QStringList>("fetched");
        QTest::addColumn<int>("lists");
        QTest::newRow("by due date, stable, undated last")
            << "sorted" << QStringList{"c", "b", "d", "a", "e"} << "work" << QStringList{"work"} << 2;
        QTest::newRow("a stale selection searches all lists")
            << "stale" << QStringList{"w", "h"} << "gone" << QStringList{"*"} << 2;
        QTest::newRow("no lists, no selection")
            << "no lists" << QStringList{} << "-" << QStringList{"*"} << 0;
        QTest::newRow("write only empties both")
            << "write only" << QStringList{} << "work" << QStringList{"work"} << 0;
    }
    void listingFollowsTheSelectionAndAccess() {
        QFETCH(QString, setup);
        QFETCH(QStringList, ids);
        QFETCH(QString, selection);
        QFETCH(QStringList, fetched);
        QFETCH(int, lists);
        RemindersFixture f;
        if (setup == QLatin1String("sorted")) {
            f.add(QStringLiteral("a"), QStringLiteral("A"));
            f.add(QStringLiteral("b"), QStringLiteral("B"), f.local(10, 0));
            f.add(QStringLiteral("c"), QStringLiteral("C"), f.local(9, 0));
            f.add(QStringLiteral("d"), QStringLiteral("D"), f.local(10, 0));
            f.add(QStringLiteral("e"), QStringLiteral("E"));
            f.add(QStringLiteral("h"), QStringLiteral("at home"), {}, QStringLiteral("home"));
        } else if (setup == QLatin1String("stale")) {
            f.add(QStringLiteral("w"), QStringLiteral("W"));
            f.add(QStringLiteral("h"), QStringLiteral("H"), {}, QStringLiteral("home"));
            f.service.setSelectedListID(QStringLiteral("gone"));
        } else if (setup == QLatin1String("no lists")) {
            f.store.lists.clear();
            f.store.defaultList.reset();
        } else {
            f.add(QStringLiteral("w"), QStringLiteral("W"));
            f.service.refresh();
            settle();
            QCOMPARE(f.ids(), QStringList{"w"});
            f.store.reminders = PermissionStatus::writeOnly;
            f.coordinator.refresh();
        }
        f.service.refresh();
        settle();
        QCOMPARE(f.ids(), ids);
        QCOMPARE(f.service.selectedListID().value_or(QStringLiteral("-")), selection);
        QCOMPARE(f.store.fetchedLists, fetched);
        QCOMPARE(f.service.lists().size(), lists);
    }

    void itemsCarryTheReminderAsTheStoreHoldsIt() {
        RemindersFixture f;
        f.add(QStringLiteral("none"), std::nullopt);
        f.add(QStringLiteral("empty"), QString(), f.local(8, 0), QStringLiteral("work"), true);
        f.service.refresh();
        settle();
        const QList<ReminderItem> items = f.service.items();
        QCOMPARE(items.size(), 2);
        QCOMPARE(items[0].id, QStringLiteral("empty"));
        QCOMPARE(items[0].title, QString());
        QVERIFY(items[0].isCompleted);
        QCOMPARE(items[0].dueDate, std::optional<QDateTime>(f.local(8, 0)));
        QCOMPARE(items[0].listName, std::optional<QString>(QStringLiteral("Work")));
        QCOMPARE(items[1].title, QStringLiteral("(Untitled)"));
        QCOMPARE(items[1].dueDate, std::nullopt);
    }

    void anOlderFetchEndingAfterANewerOneChangesNothing() {
        RemindersFixture f;
        f.add(QStringLiteral("w"), QStringLiteral("W"));
        f.add(QStringLiteral("h"), QStringLiteral("H"), {}, QStringLiteral("home"));
        f.store.holdFetches = true;
        f.service.refresh(); // "work", the first list
        f.service.setSelectedListID(QStringLiteral("home"));
        f.service.refresh();
        QCOMPARE(f.store.fetchedLists, (QStringList{"work", "home"}));
        QSignalSpy published(&f.service, &RemindersService::itemsChanged);
        f.store.answerFetch(1);
        QCOMPARE(f.ids(), QStringList{"h"});
        f.store.answerFetch(0);
        QCOMPARE(f.ids(), QStringList{"h"});
        QCOMPARE(published.size(), 1);
    }

    void aStoreChangeRefreshes() {
        RemindersFixture f;
        f.add(QStringLiteral("w"), QStringLiteral("W"));
        emit f.store.changed();
        settle();
        QCOMPARE(f.ids(), QStringList{"w"});
    }

    void quickAdd_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("selection");
        QTest::addColumn<PermissionStatus>("status");
        QTest::addColumn<QString>("saveError");
        QTest::addColumn<QStringList>("saves");
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("refreshed");
        const int ignored = int(RemindersService::Outcome::Kind::ignored);
        const int saved = int(RemindersService::Outcome::Kind::saved);
        const int failed = int(RemindersService::Outcome::Kind::failed);
        const PermissionStatus granted = PermissionStatus::authorized;
        QTest::newRow("blank") << " \n\t "
                               << "work" << granted << "" << QStringList{} << ignored << false;
        QTest::newRow("blank without access")
            << "  "
            << "work" << PermissionStatus::denied << "" << QStringList{} << ignored << false;
        QTest::newRow("kept as passed")
            << "  milk "
            << "work" << granted << "" << QStringList{"add:work:  milk "} << saved << true;
        QTest::newRow("no selection: the default list")
            << "milk"
            << "-" << granted << "" << QStringList{"add:home:milk"} << saved << true;
        QTest::newRow("stale selection: the default list")
            << "milk"
            << "gone" << granted << "" << QStringList{"add:home:milk"} << saved << true;
        QTest::newRow("without access")
            << "milk"
            << "work" << PermissionStatus::writeOnly << "" << QStringList{} << ignored << false;
        QTest::newRow("failing save")
            << "milk"
            << "work" << granted << "Disk full" << QStringList{"add:work:milk"} << failed << false;
    }
    void quickAdd() {
        QFETCH(QString, title);
        QFETCH(QString, selection);
        QFETCH(PermissionStatus, status);
        QFETCH(QString, saveError);
        QFETCH(QStringList, saves);
        QFETCH(int, kind);
        QFETCH(bool, refreshed);
        RemindersFixture f;
        f.service.refresh();
        settle();
        f.service.setSelectedListID(selection == QLatin1String("-") ? std::nullopt
                                                                    : std::optional<QString>(selection));
        f.store.reminders = status;
        f.coordinator.refresh();
        f.store.saveError = saveError;
        f.store.fetchedLists.clear();
        if (!saveError.isEmpty())
            QTest::ignoreMessage(QtCriticalMsg, qPrintable(QStringLiteral("quick add failed: ") + saveError));
        const RemindersService::Outcome outcome =
            outcomeOf([&](auto done) { f.service.quickAdd(title, done); });
        QCOMPARE(int(outcome.kind), kind);
        QCOMPARE(f.store.saves, saves);
        QCOMPARE(!f.store.fetchedLists.isEmpty(), refreshed);
        QCOMPARE(f.service.lastError(),
                 saveError.isEmpty() ? std::nullopt : std::optional<QString>(saveError));
        QCOMPARE(outcome.error, saveError);
    }

    void toggle_data() {
        QTest::addColumn<QString>("id");
        QTest::addColumn<bool>("shownCompleted");
        QTest::addColumn<QString>("saveError");
        QTest::addColumn<QStringList>("saves");
        QTest::addColumn<bool>("refreshed");
        QTest::newRow("a completed item is set open")
            << "done" << true << "" << QStringList{"done:open"} << true;
        QTest::newRow("an open item is completed")
            << "open" << false << "" << QStringList{"open:done"} << true;
        QTest::newRow("the state shown decides, not the store's")
            << "done" << false << "" << QStringList{"done:done"} << true;
        QTest::newRow("an unknown id does nothing") << "gone" << false << "" << QStringList{} << false;
        QTest::newRow("failing save")
            << "open" << false << "Permission denied" << QStringList{"open:done"} << false;
    }
    void toggle() {
        QFETCH(QString, id);
        QFETCH(bool, shownCompleted);
        QFETCH(QString, saveError);
        QFETCH(QStringList, saves);
        QFETCH(bool, refreshed);
        RemindersFixture f;
        f.add(QStringLiteral("open"), QStringLiteral("Open"));
        f.add(QStringLiteral("done"), QStringLiteral("Done"), {}, QStringLiteral("work"), true);
        f.store.saveError = saveError;
        ReminderItem item;
        item.id = id;
        item.title = id;
        item.isCompleted = shownCompleted;
        if (!saveError.isEmpty())
            QTest::ignoreMessage(QtCriticalMsg,
                                 qPrintable(QStringLiteral("toggle reminder failed: ") + saveError));
        f.service.toggle(item);
        QCOMPARE(f.store.saves, saves);
        QCOMPARE(!f.store.fetchedLists.isEmpty(), refreshed);
        QCOMPARE(f.service.lastError(),
                 saveError.isEmpty() ? std::nullopt : std::optional<QString>(saveError));
        // Without access nothing is tried.
        f.store.reminders = PermissionStatus::denied;
        f.coordinator.refresh();
        f.store.saves.clear();
        f.service.toggle(item);
        QCOMPARE(f.store.saves, QStringList{});
    }

    void lastErrorIsNeverCleared() {
        RemindersFixture f;
        f.store.saveError = QStringLiteral("Disk full");
        QTest::ignoreMessage(QtCriticalMsg, "quick add failed: Disk full");
        f.service.quickAdd(QStringLiteral("milk"));
        f.store.saveError.clear();
        QCOMPARE(int(outcomeOf([&](auto done) { f.service.quickAdd(QStringLiteral("eggs"), done); }).kind),
                 int(RemindersService::Outcome::Kind::saved));
        QCOMPARE(f.service.lastError(), std::optional<QString>(QStringLiteral("Disk full")));
    }
};

BRIMLARK_TEST_MAIN(TestRemindersService)
#include "tst_remindersservice.moc"
