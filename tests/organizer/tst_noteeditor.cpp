#include "Brimlark/organizer/NoteEditor.h"
#include "tests/support/TestMain.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QSignalSpy>
#include <QTextBlock>

#include <algorithm>
#include <memory>

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
    }

    void editsAcrossPiecesKeepTheText_data() {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("expected");
        const QString line = longLine(3000);
        QTest::newRow("typed inside the second piece")
            << "type" << line.left(1500) + QStringLiteral("xy") + line.mid(1500);
        QTest::newRow("a line break typed inside a piece")
            << "enter" << line.left(1500) + QStringLiteral("\n") + line.mid(1500);
        QTest::newRow("the break between two pieces deleted") << "join" << line;
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
            QCOMPARE(editor.pieceBreaks(), 1);
            QTRY_VERIFY(!editor.document()->isUndoAvailable());
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
};

BRIMLARK_TEST_MAIN(TestNoteEditor)
#include "tst_noteeditor.moc"
