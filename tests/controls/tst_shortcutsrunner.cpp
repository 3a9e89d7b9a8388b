#include "Brimlark/controls/ShortcutsRunner.h"
#include "tests/support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <optional>

// The runner against a stand-in `shortcuts` tool placed first on the search path. The tool writes
// its argument vector (its own name first, one argument per field) as one line of its log, then
// behaves as its shortcut name says: "loud" writes 1 MB to each stream, "killed" dies of SIGKILL,
// "slow" takes a second; any other name exits with the status the test listed for it, else 0.
class TestShortcutsRunner : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    QString logPath() const { return m_dir.filePath(QStringLiteral("calls.log")); }
    QString statusesPath() const { return m_dir.filePath(QStringLiteral("statuses")); }

    QStringList calls() const {
        QFile log(logPath());
        if (!log.open(QIODevice::ReadOnly))
            return {};
        QStringList lines = QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'));
        lines.removeAll(QString());
        return lines;
    }

    // Runs `names` through the runner and waits for its answer.
    std::optional<int> runCandidates(const QStringList& names, const std::optional<QString>& input,
                                     int timeoutMs = 5000) {
        ShortcutsRunner runner;
        std::optional<int> result;
        runner.runShortcutCandidates(names, input, this, [&](int status) { result = status; });
        (void)QTest::qWaitFor([&] { return result.has_value(); }, timeoutMs);
        return result;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        const QString tool = m_dir.filePath(QStringLiteral("shortcuts"));
        QFile script(tool);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(R"SH(#!/bin/sh
{ printf '%s' "$(basename "$0")"; for a in "$@"; do printf '|%s' "$a"; done; printf '\n'; } >> "$SHORTCUTS_LOG"
case "$2" in
    loud) head -c 1048576 /dev/zero; head -c 1048576 /dev/zero >&2; exit 0 ;;
    killed) kill -KILL $$ ;;
    slow) sleep 1; exit 0 ;;
esac
status=$(awk -F '\t' -v name="$2" '$1 == name { print $2 }' "$SHORTCUTS_STATUSES" 2>/dev/null)
exit "${status:-0}"
)SH");
        script.close();
        QVERIFY(script.setPermissions(script.permissions() | QFile::ExeOwner));
        qputenv("PATH", QFile::encodeName(m_dir.path()) + ':' + qgetenv("PATH"));
        qputenv("SHORTCUTS_LOG", QFile::encodeName(logPath()));
        qputenv("SHORTCUTS_STATUSES", QFile::encodeName(statusesPath()));
    }

    void init() {
        QFile::remove(logPath());
        QFile::remove(statusesPath());
    }

    void candidatesRunInOrderUntilOneSucceeds_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("input"); // null: none
        QTest::addColumn<QStringList>("statuses");
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("expectedCalls");

        QTest::newRow("one name, no input") << QStringList{"Brimlark.ToggleDND"} << QString() << QStringList()
                                            << 0 << QStringList{"shortcuts|run|Brimlark.ToggleDND"};
        QTest::newRow("input comes fourth and fifth")
            << QStringList{"Brimlark.ToggleFocus"} << QStringLiteral("deep work") << QStringList() << 0
            << QStringList{"shortcuts|run|Brimlark.ToggleFocus|--input|deep work"};
        QTest::newRow("spaces and dots stay one argument")
            << QStringList{"  my focus. v2 .mode "} << QString() << QStringList() << 0
            << QStringList{"shortcuts|run|  my focus. v2 .mode "};
        QTest::newRow("a failure moves on, a success stops")
            << QStringList{"A", "B", "C"} << QString() << QStringList{"A\t1"} << 0
            << QStringList{"shortcuts|run|A", "shortcuts|run|B"};
        QTest::newRow("all fail: the last status")
            << QStringList{"A", "B", "C"} << QString() << QStringList{"A\t1", "B\t1", "C\t2"} << 2
            << QStringList{"shortcuts|run|A", "shortcuts|run|B", "shortcuts|run|C"};
        QTest::newRow("the input goes to every attempt")
            << QStringList{"A", "B"} << QStringLiteral("x") << QStringList{"A\t3", "B\t4"} << 4
            << QStringList{"shortcuts|run|A|--input|x", "shortcuts|run|B|--input|x"};
        QTest::newRow("no names: -1, nothing runs")
            << QStringList() << QString() << QStringList() << -1 << QStringList();
    }

    void candidatesRunInOrderUntilOneSucceeds() {
        QFETCH(QStringList, names);
        QFETCH(QString, input);
        QFETCH(QStringList, statuses);
        QFETCH(int, result);
        QFETCH(QStringList, expectedCalls);
        QFile table(statusesPath());
        QVERIFY(table.open(QIODevice::WriteOnly));
        table.write(statuses.join(QLatin1Char('\n')).toUtf8() + '\n');
        table.close();

        const std::optional<int> status =
            runCandidates(names, input.isNull() ? std::nullopt : std::optional<QString>(input));
        QVERIFY(status.has_value());
        QCOMPARE(*status, result);
        QCOMPARE(calls(), expectedCalls);
    }

    void howTheToolEndsGivesTheStatus_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("result");
        // Output goes nowhere, so a chatty tool never blocks on a full pipe.
        QTest::newRow("1 MB on each stream") << QStringLiteral("loud") << 0;
        QTest::newRow("killed by a signal") << QStringLiteral("killed") << -1;
    }

    void howTheToolEndsGivesTheStatus() {
        QFETCH(QString, name);
        QFETCH(int, result);
        const std::optional<int> status = runCandidates({name}, std::nullopt);
        QVERIFY(status.has_value());
        QCOMPARE(*status, result);
    }

    void theMainThreadKeepsRunningWhileAToolRuns() {
        int ticks = 0;
        QTimer timer;
        timer.setInterval(100);
        connect(&timer, &QTimer::timeout, this, [&] { ++ticks; });
        timer.start();
        const std::optional<int> status = runCandidates({QStringLiteral("slow")}, std::nullopt);
        QVERIFY(status.has_value());
        QCOMPARE(*status, 0);
        // About ten in the second the tool takes; a blocked main thread would get none.
        QVERIFY2(ticks >= 7, qPrintable(QString::number(ticks)));
    }
};

BRIMLARK_TEST_MAIN(TestShortcutsRunner)
#include "tst_shortcutsrunner.moc"
