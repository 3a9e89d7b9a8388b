#pragma once

#include <QPlainTextEdit>
#include <QString>

class QTextBlock;
class QTextCursor;

// The notes page's editor. It gives back the note exactly as written (body()): whatever line ends
// the text has (LF, CRLF, a lone CR, U+2029), no-break spaces, U+2028, tabs and every other
// character stay as they are unless the user changes them.
//
// Every paragraph of the document is a line of the note, or a piece of one: Qt lays a paragraph
// out whole, and again at every change to it, so one line of megabytes (a pasted log line,
// minified JSON, a base64 blob) would take seconds per keystroke. A line longer than longestLine is
// therefore held in pieces of at most pieceLength characters, cut after a space or a punctuation
// mark where one lies within wordWindow characters of the mark, never inside a character.
//
// What stands between two paragraphs is recorded on the paragraph separator itself, as a property
// of its character format: the line end it stands for, or nothing for a cut between two pieces.
// The format belongs to that one character, so it moves with the text, goes when the separator is
// deleted and comes back with it on undo; a separator without the property (one Qt made) is a
// '\n'. A line end typed or pasted is inserted with its property, and copies join the paragraphs'
// raw text with what their separators stand for. So that body() need not look up every
// separator's format at every key, each paragraph also holds a copy of its separator's meaning in
// its user state, made again for the paragraphs of every change to the document (undo and redo
// included).
//
// BackSpace and Delete step over a cut between pieces to the character the user sees, and so do
// the arrow and word keys. Assistive technology reads body() (NoteEditorAccessible).
class NoteEditor : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int longestLine = 2000;
    static constexpr int pieceLength = 1000;
    static constexpr int wordWindow = 100;

    explicit NoteEditor(QWidget* parent = nullptr);

    // Shows `body`, long lines in pieces; the undo history starts anew.
    void setBody(const QString& body);
    // The note as the user wrote it.
    QString body() const;
    // The note's text between two positions of the document.
    QString bodyBetween(int from, int to) const;
    // The offset in body() of a document position, and the document position of an offset.
    int bodyOffset(int position) const;
    int documentPosition(int offset) const;
    // How many cuts between pieces the editor holds.
    int pieceBreaks() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // Replaces the cursor's selection by `text`, its line ends as they are, long lines in pieces.
    void insertBody(QTextCursor& cursor, const QString& text);
    // Copies what the separators of the paragraphs from `position` to `position + added` stand for
    // into the paragraphs' user state, where body() reads it at once.
    void noteSeparators(int position, int added);
    // Whether the separator before `block` is only a cut between two pieces.
    static bool isCut(const QTextBlock& block);
    // Moves `cursor` (no selection) over the cuts beside it in the direction given.
    static void skipCuts(QTextCursor& cursor, bool backward, bool keepAnchor);
};
