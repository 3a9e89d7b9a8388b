#include "Brimlark/controls/FocusService.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"

class TestFocusService : public QObject {
    Q_OBJECT
private slots:
    void favouritesCycleInOrderAfterAdvancing() {
        ServiceFixture f;
        f.defaults.setArray(FocusService::favoritesKey,
                            {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
        FocusService focus(f.defaults, f.runner);
        for (int i = 0; i < 3; ++i)
            focus.cycleFocus();
        QCOMPARE(f.runner.ran, QStringList({"B", "C", "A"}));
        QCOMPARE(focus.activeIndex(), 0);
    }

    void oneOddFavouriteDiscardsTheList() {
        ServiceFixture f;
        f.defaults.setArray(FocusService::favoritesKey, {QStringLiteral("A"), qint64(3)});
        FocusService focus(f.defaults, f.runner);
        QVERIFY(focus.favorites().isEmpty());
        focus.cycleFocus();
        QCOMPARE(f.runner.ran, QStringList({"Brimlark.ToggleFocus"}));
    }

    void toggleDNDTriesTheNamesUntilOneRuns() {
        ServiceFixture f;
        f.runner.statuses.insert(QStringLiteral("brimlark.togglednd"), 0);
        std::optional<bool> result;
        f.focus.toggleDND([&](bool ok) { result = ok; });
        QVERIFY(f.focus.isTogglingDND());
        QTRY_VERIFY(result);
        QVERIFY(*result);
        QCOMPARE(f.runner.ran, FocusService::toggleDNDNames);
        QCOMPARE(f.focus.lastDNDToggle()->exitCode, 0);
        QVERIFY(!f.focus.isTogglingDND());

        f.runner.ran.clear();
        f.runner.statuses.clear();
        f.runner.statuses.insert(QStringLiteral("brimlark.togglednd"), 2);
        result.reset();
        f.focus.toggleDND([&](bool ok) { result = ok; });
        QTRY_VERIFY(result);
        QVERIFY(!*result);
        QCOMPARE(f.focus.lastDNDToggle()->exitCode, 2); // the last name's status
    }

    void theRealRunnerReportsAMissingToolAsAFailure() {
        // With an empty search path /usr/bin/env finds no "shortcuts": a non-zero status.
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", "/nonexistent");
        ShortcutsRunner runner;
        std::optional<int> status;
        runner.runShortcut(QStringLiteral("Brimlark.ToggleDND"), std::nullopt, this,
                           [&](int s) { status = s; });
        QTRY_VERIFY(status);
        QVERIFY(*status != 0);
        status.reset();
        runner.runShortcutCandidates({}, std::nullopt, this, [&](int s) { status = s; });
        QCOMPARE(status, std::optional<int>(-1));
        qputenv("PATH", path);
    }
};

BRIMLARK_TEST_MAIN(TestFocusService)
#include "tst_focusservice.moc"
