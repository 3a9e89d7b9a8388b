#include "Brimlark/aihooks/install/CodexConfig.h"
#include "tests/support/TestMain.h"

#include <QDirIterator>

namespace {
const QString script = QStringLiteral("brimlark-hook-bridge.py");
const QString bridgeCommand = QStringLiteral(
    "command = \"/usr/bin/env python3 '/data/com.brimlark.app/hooks/brimlark-hook-bridge.py'\"\n");
} // namespace

class TestCodexConfig : public QObject {
    Q_OBJECT
private slots:
    void updatedConfigHasTheFlagAndKeepsTheRest_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        const QString flag = QStringLiteral("[features]\ncodex_hooks = true\n");
        QTest::newRow("empty") << QString() << flag;
        QTest::newRow("only white space") << QStringLiteral(" \n\t\n") << flag;
        QTest::newRow("features table gains the flag first")
            << QStringLiteral("[features]\nweb_search = true")
            << QStringLiteral("[features]\ncodex_hooks = true\nweb_search = true\n");
        QTest::newRow("other tables only")
            << QStringLiteral("[tui]\nx = 1\n") << flag + QStringLiteral("\n[tui]\nx = 1\n");
        QTest::newRow("already on: trimmed only")
            << QStringLiteral("\n\n[features]\ncodex_hooks = true\n\n\n") << flag;
        QTest::newRow("flag written with other spacing and a comment stays")
            << QStringLiteral("[features]\ncodex_hooks=true # mine\n")
            << QStringLiteral("[features]\ncodex_hooks=true # mine\n");
        QTest::newRow("top-level keys stay top-level")
            << QStringLiteral("model = \"x\"\n") << QStringLiteral("model = \"x\"\n\n") + flag;
        QTest::newRow("flag in another table does not count")
            << QStringLiteral("[tui]\ncodex_hooks = true\n")
            << flag + QStringLiteral("\n[tui]\ncodex_hooks = true\n");
        QTest::newRow("value over several lines is replaced whole")
            << QStringLiteral("[features]\ncodex_hooks = [\n  \"a\",\n]\nx = 1\n")
            << QStringLiteral("[features]\ncodex_hooks = true\nx = 1\n");
        QTest::newRow("quoted key") << QStringLiteral("[\"features\"]\n'codex_hooks' = false\n")
                                    << QStringLiteral("[\"features\"]\ncodex_hooks = true\n");
        QTest::newRow("header with a comment")
            << QStringLiteral("[ features ] # on\nx = 1\n")
            << QStringLiteral("[ features ] # on\ncodex_hooks = true\nx = 1\n");
        QTest::newRow("dotted top-level flag counts")
            << QStringLiteral("features.codex_hooks = true\n[tui]\n")
            << QStringLiteral("features.codex_hooks = true\n[tui]\n");
        QTest::newRow("dotted top-level flag off is turned on")
            << QStringLiteral("features.codex_hooks = false\n")
            << QStringLiteral("features.codex_hooks = true\n");
        QTest::newRow("dotted features table gains a dotted flag")
            << QStringLiteral("features.web_search = true\nmodel = \"x\"\n[tui]\n")
            << QStringLiteral(
                   "features.web_search = true\nfeatures.codex_hooks = true\nmodel = \"x\"\n[tui]\n");
        QTest::newRow("old marked block goes, the break after it stays")
            << QStringLiteral(
                   "a = 1\n# BEGIN Brimlark AI hooks\n[[hooks]]\nx = 2\n# END Brimlark AI hooks\n[b]\n")
            << QStringLiteral("a = 1\n\n") + flag + QStringLiteral("\n[b]\n");
        QTest::newRow("end marker before begin marker: nothing removed")
            << QStringLiteral("# END Brimlark AI hooks\n[b]\n# BEGIN Brimlark AI hooks\n")
            << flag + QStringLiteral("\n# END Brimlark AI hooks\n[b]\n# BEGIN Brimlark AI hooks\n");
        QTest::newRow("indented marker lines still bound the old block")
            << QStringLiteral("a = 1\n  # BEGIN Brimlark AI hooks\n[[hooks]]\nx = 2\n\t# END Brimlark AI "
                              "hooks  \n[b]\n")
            << QStringLiteral("a = 1\n\n") + flag + QStringLiteral("\n[b]\n");
        QTest::newRow("marker text in strings bounds nothing")
            << QStringLiteral("a = \"# BEGIN Brimlark AI hooks\"\nb = 1\nc = \"# END Brimlark AI hooks\"\n"
                              "[features]\n")
            << QStringLiteral("a = \"# BEGIN Brimlark AI hooks\"\nb = 1\nc = \"# END Brimlark AI hooks\"\n"
                              "[features]\ncodex_hooks = true\n");
        QTest::newRow("a marker line inside a multi-line string bounds nothing")
            << QStringLiteral(
                   "n = \"\"\"\n# BEGIN Brimlark AI hooks\n\"\"\"\nb = 1\n# END Brimlark AI hooks\n")
            << QStringLiteral(
                   "n = \"\"\"\n# BEGIN Brimlark AI hooks\n\"\"\"\nb = 1\n# END Brimlark AI hooks\n\n") +
                   flag;
        QTest::newRow("a marker after a value bounds nothing")
            << QStringLiteral("a = 1 # BEGIN Brimlark AI hooks\nb = 2\n# END Brimlark AI hooks\n")
            << QStringLiteral("a = 1 # BEGIN Brimlark AI hooks\nb = 2\n# END Brimlark AI hooks\n\n") + flag;
        QTest::newRow("our hook tables go, the user's stay")
            << QStringLiteral("[[hooks]]\n") + bridgeCommand +
                   QStringLiteral("\n[[hooks]]\ncommand = \"mine\"\n[[hooks]]\n") + bridgeCommand +
                   QStringLiteral("[x]\ny = 1\n")
            << flag + QStringLiteral("\n[[hooks]]\ncommand = \"mine\"\n[x]\ny = 1\n");
        QTest::newRow("brackets and a features header inside multi-line strings")
            << QStringLiteral("a = \"\"\"[{\n[features]\n\"\"\"\nb = '''\n]]} '''\n")
            << QStringLiteral("a = \"\"\"[{\n[features]\n\"\"\"\nb = '''\n]]} '''\n\n") + flag;
        const QString closed =
            QStringLiteral("a = \"\"\"one \\\n two \\\\\"\"\"\nb = \"\"\"x\\\"\"\"\"\"\nc = '''it's'''''\n");
        QTest::newRow("multi-line strings closed after escapes and extra quotes")
            << closed + QStringLiteral("[tui]\n") << closed + flag + QStringLiteral("\n[tui]\n");
        QTest::newRow("arrays and inline tables over several lines")
            << QStringLiteral(
                   "[tui]\nargs = [\n  [1, 2], # ]\n  { a = \"]\", b = '}' },\n]\nenv = {\n  A = \"1\",\n}\n")
            << flag + QStringLiteral("\n[tui]\nargs = [\n  [1, 2], # ]\n  { a = \"]\", b = '}' },\n]\nenv = "
                                     "{\n  A = \"1\",\n}\n");
        QTest::newRow("byte-order mark kept")
            << QStringLiteral("\uFEFF[tui]\n")
            << QStringLiteral("\uFEFF") + flag + QStringLiteral("\n[tui]\n");
    }
    void updatedConfigHasTheFlagAndKeepsTheRest() {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QString error;
        const std::optional<QString> once = CodexConfig::updated(input, script, &error);
        QVERIFY2(once, qPrintable(error));
        QCOMPARE(*once, expected);
        QCOMPARE(CodexConfig::updated(*once, script).value_or(QString()), *once);
    }

    // A dropped table of ours takes its own lines; the comments heading the next table stay.
    void bridgeTablesGoButTheNextTablesHeadingStays_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        const QString ours = QStringLiteral("[[hooks]]\n") + bridgeCommand;
        QTest::newRow("the blank line before the heading stays when it is the only one")
            << QStringLiteral("a = 1\n") + ours + QStringLiteral("\n# next\n[x]\n")
            << QStringLiteral("a = 1\n\n# next\n[x]\n");
        QTest::newRow("heading of the user's own hook table right below ours")
            << ours + QStringLiteral("# my own hook\n[[hooks]]\ncommand = \"mine\"\n")
            << QStringLiteral("# my own hook\n[[hooks]]\ncommand = \"mine\"\n");
        QTest::newRow("a heading naming the script does not condemn the table above it")
            << QStringLiteral("[[hooks]]\ncommand = \"mine\"\n# was brimlark-hook-bridge.py\n[x]\n")
            << QStringLiteral("[[hooks]]\ncommand = \"mine\"\n# was brimlark-hook-bridge.py\n[x]\n");
        QTest::newRow("a comment set apart from the next header goes with our table")
            << ours + QStringLiteral("# old wiring\n\n[x]\n") << QStringLiteral("[x]\n");
        QTest::newRow("string lines that look like comments go with our table")
            << ours + QStringLiteral("note = \"\"\"\n# not a comment\"\"\"\n[x]\n")
            << QStringLiteral("[x]\n");
    }
    void bridgeTablesGoButTheNextTablesHeadingStays() {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(CodexConfig::removingBridgeHookTables(input, script), expected);
    }

    void ambiguousConfigsAreRefused_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("reason");
        QTest::newRow("inline table")
            << QStringLiteral("features = { web_search = true }\n") << QStringLiteral("one line");
        QTest::newRow("array of tables")
            << QStringLiteral("[[features]]\nx = 1\n") << QStringLiteral("array of tables");
        QTest::newRow("flag twice") << QStringLiteral("[features]\ncodex_hooks = true\ncodex_hooks = false\n")
                                    << QStringLiteral("more than once");
    }
    void ambiguousConfigsAreRefused() {
        QFETCH(QString, input);
        QFETCH(QString, reason);
        QString error;
        QVERIFY(!CodexConfig::updated(input, script, &error));
        QVERIFY2(error.contains(reason), qPrintable(error));
    }

    // Text that ends inside a value is broken for certain: it is refused, not edited around.
    void unfinishedValuesAreRefused_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("reason");
        const QString string = QStringLiteral("(an unterminated multi-line string from line 2)");
        const QString brackets = QStringLiteral("(an unclosed array or inline table from line 2)");
        QTest::newRow("basic string") << QStringLiteral("[tui]\na = \"\"\"abc\n") << string;
        QTest::newRow("literal string") << QStringLiteral("[tui]\na = '''abc\n[features]\n") << string;
        QTest::newRow("escaped closing quotes") << QStringLiteral("\na = \"\"\"abc\\\"\"\"\n") << string;
        QTest::newRow("array") << QStringLiteral("[tui]\nargs = [\"a\",\n  \"b\"\n") << brackets;
        QTest::newRow("inline table") << QStringLiteral("\nenv = { A = \"1\"\n[features]\n") << brackets;
        QTest::newRow("bracket inside a string closes nothing")
            << QStringLiteral("# x\nargs = [\"]\", '}'\n") << brackets;
    }
    void unfinishedValuesAreRefused() {
        QFETCH(QString, input);
        QFETCH(QString, reason);
        QString error;
        QVERIFY(!CodexConfig::updated(input, script, &error));
        QCOMPARE(error, QStringLiteral("the file is not valid TOML ") + reason);
    }

    void decodingRefusesInvalidUtf8() {
        QString error;
        QVERIFY(!CodexConfig::decode(QByteArray("a = \"caf\xe9\"\n"), &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(CodexConfig::decode(QByteArray("\xef\xbb\xbf"
                                                "a = 1"))
                     .value_or(QString())
                     .toUtf8(),
                 QByteArray("\xef\xbb\xbf"
                            "a = 1"));
    }

    // Every corpus config with an expected twin becomes exactly that twin, byte for byte.
    void corpusVariantsKeepTheUsersBytes() {
        const QString corpus = QFINDTESTDATA("corpus");
        QVERIFY(!corpus.isEmpty());
        int checked = 0;
        QDirIterator it(corpus, {QStringLiteral("*.expected.toml")});
        while (it.hasNext()) {
            const QString expectedPath = it.next();
            QString inputPath = expectedPath;
            inputPath.replace(QLatin1String(".expected.toml"), QLatin1String(".toml"));
            QFile input(inputPath);
            QFile expected(expectedPath);
            QVERIFY(input.open(QIODevice::ReadOnly) && expected.open(QIODevice::ReadOnly));
            const std::optional<QString> text = CodexConfig::decode(input.readAll());
            QVERIFY(text);
            const std::optional<QString> result = CodexConfig::updated(*text, script);
            QVERIFY2(result, qPrintable(inputPath));
            QCOMPARE(result->toUtf8(), expected.readAll());
            ++checked;
        }
        QVERIFY(checked >= 4);
    }
};

BRIMLARK_TEST_MAIN(TestCodexConfig)
#include "tst_codexconfig.moc"
