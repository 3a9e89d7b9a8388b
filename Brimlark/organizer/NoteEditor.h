#pragma once

#include <QList>
#include <QPlainTextEdit>
#include <QString>

// The notes page's editor. Qt lays a paragraph out whole, and again at every change to it, so one
// line of megabytes (a pasted log line, minified JSON, a base64 blob) would take seconds per
// keystroke. A line longer than longestLine is therefore held in pieces of pieceLength characters,
// each a paragraph of its own, joined by breaks the editor shows but the text does not have:
// body() leaves them out, and so does a copy of the selection. Deleting one only joins two pieces;
// since undo would bring it back as a real line break, the undo history goes with it.
class NoteEditor : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int longestLine = 2000;
    static constexpr int pieceLength = 1000;

    explicit NoteEditor(QWidget* parent = nullptr);

    // Shows `body`, long lines in pieces.
    void setBody(const QString& body);
    // The text as the user wrote it: the editor's text without the breaks between pieces.
    QString body() const;
    // How many breaks between pieces the editor holds.
    int pieceBreaks() const { return int(m_softBreaks.size()); }

    // `text` with every line longer than longestLine cut into pieces by '\n'; `breaks` gets the
    // offsets of the added '\n' characters, in order.
    static QString inPieces(const QString& text, QList<int>* breaks);

protected:
    QMimeData* createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void followChange(int position, int removed, int added);
    // The document's text from `from` to `to` without the breaks between pieces.
    QString textWithoutBreaks(int from, int to) const;

    // The document positions of the paragraph breaks that only cut a long line, ascending.
    QList<int> m_softBreaks;
    // The breaks of a paste being inserted, in the positions they will have.
    QList<int> m_pastedBreaks;
    bool m_loading = false;
};
