#include "Brimlark/organizer/NoteEditor.h"

#include <QMimeData>
#include <QPointer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include <algorithm>

NoteEditor::NoteEditor(QWidget* parent) : QPlainTextEdit(parent) {
    connect(document(), &QTextDocument::contentsChange, this, &NoteEditor::followChange);
}

QString NoteEditor::inPieces(const QString& text, QList<int>* breaks) {
    breaks->clear();
    QString result;
    result.reserve(text.size() + text.size() / pieceLength + 1);
    qsizetype lineStart = 0;
    while (lineStart <= text.size()) {
        qsizetype lineEnd = text.indexOf(QLatin1Char('\n'), lineStart);
        if (lineEnd < 0)
            lineEnd = text.size();
        qsizetype at = lineStart;
        if (lineEnd - lineStart > longestLine) {
            while (lineEnd - at > pieceLength) {
                qsizetype cut = at + pieceLength;
                // Never between the two halves of a character outside the basic plane.
                if (text.at(cut - 1).isHighSurrogate())
                    ++cut;
                result.append(QStringView(text).mid(at, cut - at));
                breaks->append(int(result.size()));
                result.append(QLatin1Char('\n'));
                at = cut;
            }
        }
        result.append(QStringView(text).mid(at, lineEnd - at));
        if (lineEnd < text.size())
            result.append(QLatin1Char('\n'));
        lineStart = lineEnd + 1;
    }
    return result;
}

void NoteEditor::setBody(const QString& body) {
    QList<int> breaks;
    const QString shown = inPieces(body, &breaks);
    m_loading = true;
    setPlainText(shown);
    m_loading = false;
    m_softBreaks = breaks;
}

QString NoteEditor::body() const {
    return textWithoutBreaks(0, document()->characterCount() - 1);
}

QString NoteEditor::textWithoutBreaks(int from, int to) const {
    const QString text = toPlainText();
    to = std::min(to, int(text.size()));
    if (m_softBreaks.isEmpty())
        return from == 0 && to == text.size() ? text : text.mid(from, to - from);
    QString result;
    result.reserve(to - from);
    int at = from;
    for (auto it = std::lower_bound(m_softBreaks.cbegin(), m_softBreaks.cend(), from);
         it != m_softBreaks.cend() && *it < to; ++it) {
        result.append(QStringView(text).mid(at, *it - at));
        at = *it + 1;
    }
    result.append(QStringView(text).mid(at, to - at));
    return result;
}

void NoteEditor::followChange(int position, int removed, int added) {
    if (m_loading || (m_softBreaks.isEmpty() && m_pastedBreaks.isEmpty()))
        return;
    const auto first = std::lower_bound(m_softBreaks.begin(), m_softBreaks.end(), position);
    const auto last = std::lower_bound(first, m_softBreaks.end(), position + removed);
    const bool joined = first != last;
    for (auto it = last; it != m_softBreaks.end(); ++it)
        *it += added - removed;
    m_softBreaks.erase(first, last);
    if (!m_pastedBreaks.isEmpty()) {
        // Before the text's change is told: whoever reads body() then reads it whole.
        m_softBreaks.append(m_pastedBreaks);
        m_pastedBreaks.clear();
        std::sort(m_softBreaks.begin(), m_softBreaks.end());
    }
    if (joined) {
        // An undo would put the break back as a line break of the text; the history cannot be
        // cleared while the document is still applying the change.
        QPointer<NoteEditor> self(this);
        QTimer::singleShot(0, this, [self] {
            if (self)
                self->document()->clearUndoRedoStacks();
        });
    }
}

QMimeData* NoteEditor::createMimeDataFromSelection() const {
    const QTextCursor cursor = textCursor();
    auto* mime = new QMimeData();
    mime->setText(textWithoutBreaks(cursor.selectionStart(), cursor.selectionEnd()));
    return mime;
}

void NoteEditor::insertFromMimeData(const QMimeData* source) {
    if (!source || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    QList<int> breaks;
    const QString pieces = inPieces(source->text(), &breaks);
    if (breaks.isEmpty()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    const int start = cursor.position();
    for (int offset : breaks)
        m_pastedBreaks.append(start + offset);
    cursor.insertText(pieces);
    cursor.endEditBlock();
    m_pastedBreaks.clear();
    setTextCursor(cursor);
    ensureCursorVisible();
}
