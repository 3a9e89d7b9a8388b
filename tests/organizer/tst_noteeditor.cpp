#include "Brimlark/organizer/NoteEditor.h"
#include "tests/support/TestMain.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTextBlock>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace {

QString longLine(qsizetype size) {
    QString text;
    text.reserve(size);
    for (qsizetype i = 0; i < size; ++i)
        text.append(QChar(char16_t(u'a' + i % 26)));
    return text;
}

int longestBlock(const QTextDocument* document) {
    int longest = 0;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        longest = std::max(longest, block.length() - 1);
    return longest;
}

// The editor with the clipboard's two entry points open to the test.
class Editor : public NoteEditor {
public:
    using NoteEditor::createMimeDataFromSelection;
    using NoteEditor::insertFromMimeData;
};

// Random text holding every kind of character a note can hold, in lines ending every way a line
// can end; `longLines` of them over NoteEditor::longestLine.
QString randomText(QRandomGenerator& random, int lines, int longLines, bool windows, bool special) {
    static const std::array<QString, 14> plain = {
        QStringLiteral("a"), QStringLiteral("ok"), QStringLiteral("item-37"), QStringLiteral("\"ok\":true"),
        QStringLiteral(" "), QStringLiteral(","),  QStringLiteral("x"),       QStringLiteral("{"),
        QStringLiteral("}"), QStringLiteral("z"),  QStringLiteral("line"),    QStringLiteral("7"),
        QStringLiteral("."), QStringLiteral("q"),
    };
    static const std::array<QString, 7> odd = {
        QStringLiteral("\u00a0"), QStringLiteral("\u202f"),     QStringLiteral("\u2028"),
        QStringLiteral("\t"),     QStringLiteral("\U0001F600"), QStringLiteral("\u00e9"),
        QStringLiteral("\u20ac"),
    };
    const std::array<QString, 4> ends = {QStringLiteral("\n"), QStringLiteral("\r\n"), QStringLiteral("\r"),
                                         QStringLiteral("\u2029")};
    QString text;
    for (int line = 0; line < lines; ++line) {
        const bool isLong = line < longLines ? random.bounded(lines - line) <= longLines - line : false;
        const int length = isLong ? NoteEditor::longestLine + 1 + random.bounded(3000) : random.bounded(50);
        const qsizetype start = text.size();
        while (text.size() - start < length)
            text.append(special && random.bounded(4) == 0 ? odd.at(random.bounded(int(odd.size())))
                                                          : plain.at(random.bounded(int(plain.size()))));
        if (line + 1 < lines)
            text.append(windows ? ends.at(random.bounded(special ? 4 : 3)) : ends.at(0));
    }
    return text;
}

// Where the text shows a character between two document positions, and the note's text before a
// document position, both as a copy of the selection gives them.
class Probe {
public:
    explicit Probe(Editor& editor) : m_editor(editor) {}
    QString text(int from, int to) const {
        QTextCursor selection(m_editor.document());
        selection.setPosition(from);
        selection.setPosition(to, QTextCursor::KeepAnchor);
        const QTextCursor kept = m_editor.textCursor();
        m_editor.setTextCursor(selection);
        const std::unique_ptr<QMimeData> copied(m_editor.createMimeDataFromSelection());
        m_editor.setTextCursor(kept);
        return copied->text();
    }
    int offset(int position) const { return int(text(0, position).size()); }
    int end() const { return m_editor.document()->characterCount() - 1; }
    // The document positions one character before and after `position`.
    int before(int position) const {
        const QTextDocument* doc = m_editor.document();
        --position;
        if (position > 0 && doc->characterAt(position).isLowSurrogate() &&
            doc->characterAt(position - 1).isHighSurrogate())
            --position;
        return position;
    }
    int after(int position) const {
        const QTextDocument* doc = m_editor.document();
        return position + (doc->characterAt(position).isHighSurrogate() ? 2 : 1);
    }
    // A position the user could click: a paragraph's start or end, or somewhere inside it.
    int randomPosition(QRandomGenerator& random) const {
        const QTextDocument* doc = m_editor.document();
        const QTextBlock block = doc->findBlockByNumber(random.bounded(doc->blockCount()));
        int position = block.position();
        const int choice = random.bounded(4);
        if (choice == 1)
            position += block.length() - 1;
        else if (choice > 1)
            position += random.bounded(block.length());
        if (doc->characterAt(position).isLowSurrogate())
            --position;
        return position;
    }

private:
    Editor& m_editor;
};

QString shown(const QString& text, qsizetype at) {
    QString out;
    for (const QChar c : text.mid(std::max<qsizetype>(0, at - 12), 24))
        out += c.unicode() < 0x20 || c.unicode() > 0x7e ? QStringLiteral("<%1>").arg(c.unicode(), 0, 16)
                                                        : QString(c);
    return out;
}

// Why `body` is not `expected`, for a failure message.
QString difference(const QString& body, const QString& expected) {
    qsizetype at = 0;
    while (at < body.size() && at < expected.size() && body.at(at) == expected.at(at))
        ++at;
    return QStringLiteral("%1 characters, %2 expected; first difference at %3: \"%4\", expected \"%5\"")
        .arg(body.size())
        .arg(expected.size())
        .arg(at)
        .arg(shown(body, at), shown(expected, at));
}

} // namespace

// The notes editor holds a very long line in pieces: what it shows is laid out piece by piece, and
// what it gives back (the note's text, a copied selection) is what the user wrote.
class TestNoteEditor : public QObject {
    Q_OBJECT
private slots:
    void aNoteComesBackAsItWasWritten_data() {
        QTest::addColumn<QString>("body");
        QTest::addColumn<int>("breaks");
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("lines as people type them") << QStringLiteral("milk\n\neggs\n") << 0;
        QTest::newRow("one line just short enough") << longLine(NoteEditor::longestLine) << 0;
        QTest::newRow("a pasted blob of 5 MB") << longLine(5'000'000) << 4999;
        QTest::newRow("a long line between short ones")
            << QStringLiteral("head\n") + longLine(2500) + QStringLiteral("\ntail") << 2;
        QTest::newRow("windows line ends around a long line")
            << QStringLiteral("from a windows log\r\nline two\r\n") + longLine(3000) +
                   QStringLiteral("\r\nlast line")
            << 2;
        QTest::newRow("no-break spaces, separators, a lone CR")
            << QStringLiteral("prix\u00a0: 10\u00a0\u20ac\ttab\u2028after LS\u2029para\rold mac\u202fend")
            << 0;
        // A character outside the basic plane right at a cut stays whole.
        QTest::newRow("an emoji at the cut")
            << longLine(NoteEditor::pieceLength - 1) + QStringLiteral("\U0001F600") + longLine(3000) << 3;
    }
    void aNoteComesBackAsItWasWritten() {
        QFETCH(QString, body);
        NoteEditor editor;
        editor.setBody(body);
        QTEST(editor.pieceBreaks(), "breaks");
        QCOMPARE(editor.body(), body);
        QVERIFY(longestBlock(editor.document()) <= NoteEditor::longestLine);
        // No piece starts with the second half of a character.
        for (QTextBlock block = editor.document()->begin(); block.isValid(); block = block.next())
            QVERIFY(block.text().isEmpty() || !block.text().at(0).isLowSurrogate());
        // Assistive technology reads the note, a long line as one line.
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&editor);
        QVERIFY(accessible && accessible->textInterface());
        QCOMPARE(accessible->text(QAccessible::Value), body);
        QCOMPARE(accessible->textInterface()->characterCount(), int(body.size()));
        QCOMPARE(accessible->textInterface()->text(1, int(body.size()) - 1), body.mid(1, body.size() - 2));
    }

    void editsAcrossPiecesKeepTheText_data() {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("expected");
        const QString line = longLine(3000);
        QTest::newRow("typed inside the second piece")
            << "type" << line.left(1500) + QStringLiteral("xy") + line.mid(1500);
        QTest::newRow("a line break typed inside a piece")
            << "enter" << line.left(1500) + QStringLiteral("\n") + line.mid(1500);
        // The cut between two pieces is no character: BackSpace takes the one before it.
        QTest::newRow("BackSpace at the start of a piece")
            << "join" << line.left(NoteEditor::pieceLength - 1) + line.mid(NoteEditor::pieceLength);
        QTest::newRow("Ctrl+BackSpace at the start of a piece")
            << "word" << line.mid(NoteEditor::pieceLength);
        QTest::newRow("a CRLF committed by an input method")
            << "commit" << line.left(1500) + QStringLiteral("a\r\nb") + line.mid(1500);
        QTest::newRow("a selection over a break cut") << "cut" << line.left(990) + line.mid(1010);
        QTest::newRow("a long line pasted in the middle")
            << "paste" << line.left(10) + longLine(4000) + line.mid(10);
    }
    void editsAcrossPiecesKeepTheText() {
        QFETCH(QString, edit);
        const QString line = longLine(3000);
        Editor editor;
        editor.setBody(line);
        QSignalSpy changed(&editor, &QPlainTextEdit::textChanged);
        QTextCursor cursor = editor.textCursor();
        if (edit == QLatin1String("type") || edit == QLatin1String("enter")) {
            // Position 1501 is the 1,500th character of the line: one break lies before it.
            cursor.setPosition(1501);
            editor.setTextCursor(cursor);
            if (edit == QLatin1String("type"))
                QTest::keyClicks(&editor, QStringLiteral("xy"));
            else
                QTest::keyClick(&editor, Qt::Key_Return);
        } else if (edit == QLatin1String("join")) {
            cursor.setPosition(1001); // the start of the second piece
            editor.setTextCursor(cursor);
            QTest::keyClick(&editor, Qt::Key_Backspace);
            QCOMPARE(editor.pieceBreaks(), 2);
            editor.undo();
            QCOMPARE(editor.body(), line);
            editor.redo();
        } else if (edit == QLatin1String("word")) {
            cursor.setPosition(1001);
            editor.setTextCursor(cursor);
            QTest::keyClick(&editor, Qt::Key_Backspace, Qt::ControlModifier);
        } else if (edit == QLatin1String("commit")) {
            cursor.setPosition(1501);
            editor.setTextCursor(cursor);
            QInputMethodEvent commit;
            commit.setCommitString(QStringLiteral("a\r\nb"));
            QApplication::sendEvent(&editor, &commit);
        } else if (edit == QLatin1String("cut")) {
            cursor.setPosition(990);
            cursor.setPosition(1011, QTextCursor::KeepAnchor);
            editor.setTextCursor(cursor);
            const std::unique_ptr<QMimeData> copied(editor.createMimeDataFromSelection());
            QCOMPARE(copied->text(), line.mid(990, 20));
            editor.cut();
            QCOMPARE(QApplication::clipboard()->text(), line.mid(990, 20));
        } else if (edit == QLatin1String("paste")) {
            cursor.setPosition(10);
            editor.setTextCursor(cursor);
            QMimeData pasted;
            pasted.setText(longLine(4000));
            editor.insertFromMimeData(&pasted);
            QVERIFY(longestBlock(editor.document()) <= NoteEditor::longestLine);
        }
        QVERIFY(changed.count() > 0);
        QTEST(editor.body(), "expected");
    }

    // Seeded random edits as a user makes them, at every kind of place (either side of a cut between
    // pieces or of a CRLF, inside a surrogate pair's neighbours), checked after every step against
    // the same edits made to a plain string. NOTE_EDITOR_SEED=<seed> replays a run.
    void randomEditsKeepEveryOtherCharacter_data() {
        QTest::addColumn<int>("salt");
        QTest::addColumn<bool>("windows");
        QTest::addColumn<bool>("special");
        QTest::newRow("long lines of plain text") << 1 << false << false;
        QTest::newRow("windows and old mac line ends") << 2 << true << false;
        QTest::newRow("no-break spaces, separators, tabs, emoji") << 3 << true << true;
    }
    void randomEditsKeepEveryOtherCharacter() {
        QFETCH(int, salt);
        QFETCH(bool, windows);
        QFETCH(bool, special);
        const quint32 seed = qEnvironmentVariableIsSet("NOTE_EDITOR_SEED")
                                 ? quint32(qEnvironmentVariableIntValue("NOTE_EDITOR_SEED"))
                                 : QRandomGenerator::global()->generate();
        QRandomGenerator random(seed * 7919u + quint32(salt));
        const QString loaded = randomText(random, 12, 3, windows, special);
        Editor editor;
        const Probe probe(editor);
        editor.setBody(loaded);
        QString model = loaded;
        // What the model held after each edit; undo and redo move in it.
        std::vector<QString> states{model};
        size_t current = 0;
        QString step = QStringLiteral("load");
        const auto fail = [&](const QString& why) {
            return qPrintable(
                QStringLiteral("seed %1 (NOTE_EDITOR_SEED=%1), after %2: %3").arg(seed).arg(step, why));
        };
        const auto edited = [&] {
            if (model == states[current])
                return;
            states.resize(current + 1);
            states.push_back(model);
            ++current;
        };
        const auto typed = [&](const QString& text) {
            QTest::sendKeyEvent(QTest::Click, &editor,
                                text == QLatin1String("\t") ? Qt::Key_Tab : Qt::Key_unknown, text,
                                Qt::NoModifier);
        };
        const std::array<QString, 9> keys = {
            QStringLiteral("a"),      QStringLiteral(" "),  QStringLiteral("!"),
            QStringLiteral("\u00a0"), QStringLiteral("\t"), QStringLiteral("\U0001F600"),
            QStringLiteral("\u2028"), QStringLiteral(":"),  QStringLiteral("\u2029"),
        };
        QVERIFY2(editor.body() == model, fail(difference(editor.body(), model)));
        const int steps = 3000;
        for (int i = 0; i < steps; ++i) {
            const int kind = random.bounded(100);
            int position = probe.randomPosition(random);
            QTextCursor cursor(editor.document());
            cursor.setPosition(position);
            const int offset = probe.offset(position);
            if (kind < 60) {
                editor.setTextCursor(cursor);
            } else if (kind < 80) {
                // A selection, replaced by a key, Return or a paste, or cut.
                const int other = probe.randomPosition(random);
                cursor.setPosition(other, QTextCursor::KeepAnchor);
                editor.setTextCursor(cursor);
                position = std::min(position, other);
            }
            int from = probe.offset(editor.textCursor().selectionStart());
            int to = probe.offset(editor.textCursor().selectionEnd());
            QString inserted;
            if (kind < 8) {
                // An arrow key first: it moves over one character the user sees.
                const bool left = random.bounded(2) == 0;
                int moved = position;
                while (left ? moved > 0 : moved < probe.end()) {
                    moved = left ? probe.before(moved) : probe.after(moved);
                    if (probe.offset(moved) != offset)
                        break;
                }
                QTest::keyClick(&editor, left ? Qt::Key_Left : Qt::Key_Right);
                from = to = probe.offset(moved);
            }
            if (kind < 25 || (kind >= 60 && kind < 66)) {
                inserted = keys.at(random.bounded(int(special ? keys.size() : 3)));
                step = QStringLiteral("typing %1 at %2-%3").arg(shown(inserted, 0)).arg(from).arg(to);
                typed(inserted);
            } else if (kind < 29 || (kind >= 66 && kind < 69)) {
                inserted = QStringLiteral("\n");
                step = QStringLiteral("Return at %1-%2").arg(from).arg(to);
                QTest::keyClick(&editor, Qt::Key_Return);
            } else if (kind < 31 && special) {
                inserted = QStringLiteral("\u2028");
                step = QStringLiteral("Shift+Return at %1").arg(from);
                QTest::keyClick(&editor, Qt::Key_Return, Qt::ShiftModifier);
            } else if (kind < 45) {
                // BackSpace takes the character the user sees before the cursor.
                int start = position;
                while (start > 0 && (start = probe.before(start), probe.offset(start) == offset)) {
                }
                if (probe.offset(start) == offset)
                    start = position;
                step = QStringLiteral("BackSpace at %1").arg(offset);
                model.remove(probe.offset(start), offset - probe.offset(start));
                QTest::keyClick(&editor, Qt::Key_Backspace);
            } else if (kind < 57) {
                int end = position;
                while (end < probe.end() && (end = probe.after(end), probe.offset(end) == offset)) {
                }
                step = QStringLiteral("Delete at %1").arg(offset);
                model.remove(offset, probe.offset(end) - offset);
                QTest::keyClick(&editor, Qt::Key_Delete);
            } else if (kind < 60 || (kind >= 69 && kind < 76)) {
                inserted = random.bounded(2) ? randomText(random, 3, 1, true, special)
                                             : QStringLiteral("one\r\ntwo\r\n") + QString(2500, QChar(u'w'));
                step =
                    QStringLiteral("paste of %1 characters at %2-%3").arg(inserted.size()).arg(from).arg(to);
                QApplication::clipboard()->setText(inserted);
                editor.paste();
            } else if (kind < 80) {
                step = QStringLiteral("cut of %1-%2").arg(from).arg(to);
                QApplication::clipboard()->clear();
                editor.cut();
                QVERIFY2(QApplication::clipboard()->text() == model.mid(from, to - from),
                         fail(difference(QApplication::clipboard()->text(), model.mid(from, to - from))));
            }
            if (kind < 80) {
                if (!step.startsWith(QLatin1String("BackSpace")) && !step.startsWith(QLatin1String("Delete")))
                    model.replace(from, to - from, inserted);
                edited();
                QVERIFY2(editor.body() == model, fail(difference(editor.body(), model)));
                continue;
            }
            // Undo and redo walk back and forth through what the model held.
            const bool undo = kind < 93;
            step = undo ? QStringLiteral("undo") : QStringLiteral("redo");
            undo ? editor.undo() : editor.redo();
            const QString body = editor.body();
            bool found = false;
            if (undo) {
                for (size_t j = current + 1; j-- > 0 && !found;)
                    found = states[j] == body ? (current = j, true) : false;
            } else {
                for (size_t j = current; j < states.size() && !found; ++j)
                    found = states[j] == body ? (current = j, true) : false;
            }
            QVERIFY2(found, fail(QStringLiteral("the text is none the model held: ") +
                                 difference(body, states[current])));
            model = body;
        }
        step = QStringLiteral("undoing everything");
        for (int i = 0; i < steps && editor.document()->isUndoAvailable(); ++i)
            editor.undo();
        QVERIFY2(editor.body() == loaded, fail(difference(editor.body(), loaded)));
    }
};

BRIMLARK_TEST_MAIN(TestNoteEditor)
#include "tst_noteeditor.moc"
