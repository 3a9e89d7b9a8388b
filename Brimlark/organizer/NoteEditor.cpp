#include "Brimlark/organizer/NoteEditor.h"

#include "Brimlark/organizer/NoteEditorAccessible.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <array>

namespace {

// The property of a paragraph separator's character format that tells what the separator stands
// for in the note: an index into `separatorTexts`. A separator without it stands for '\n'.
constexpr int separatorProperty = QTextFormat::UserProperty + 0x4e45;

// What a separator can stand for: the first is a cut between two pieces of one line. The others
// are every character or pair that QTextCursor::insertText turns into a paragraph separator.
const std::array<QString, 7> separatorTexts = {
    QString(),
    QStringLiteral("\n"),
    QStringLiteral("\r\n"),
    QStringLiteral("\r"),
    QString(QChar(QChar::ParagraphSeparator)),
    QString(QChar(0xfdd0)),
    QString(QChar(0xfdd1)),
};
constexpr int cutIndex = 0;
constexpr int lineFeedIndex = 1;

// The index in separatorTexts of the line end starting at `text[at]`, or -1.
int lineEndAt(QStringView text, qsizetype at) {
    switch (text.at(at).unicode()) {
    case u'\n':
        return 1;
    case u'\r':
        return at + 1 < text.size() && text.at(at + 1) == u'\n' ? 2 : 3;
    case QChar::ParagraphSeparator:
        return 4;
    case 0xfdd0:
        return 5;
    case 0xfdd1:
        return 6;
    default:
        return -1;
    }
}

// The index in separatorTexts of what the separator before `block` stands for.
int separatorIndex(const QTextBlock& block) {
    const QVariant index = block.charFormat().property(separatorProperty);
    if (!index.isValid())
        return lineFeedIndex;
    return std::clamp(index.toInt(), 0, int(separatorTexts.size()) - 1);
}

const QString& separatorText(const QTextBlock& block) {
    return separatorTexts[separatorIndex(block)];
}

QTextCharFormat separatorFormat(int index) {
    QTextCharFormat format;
    format.setProperty(separatorProperty, index);
    return format;
}

// Whether a line may be cut after `c`: a space ends a word; after a punctuation mark, where no
// space is near.
bool endsWord(QChar c, bool punctuation) {
    switch (c.category()) {
    case QChar::Separator_Space:
        return c != QChar::Nbsp && c != QChar(0x2007) && c != QChar(0x202f);
    case QChar::Punctuation_Close:
    case QChar::Punctuation_Dash:
    case QChar::Punctuation_Other:
        return punctuation && c != u'\'';
    default:
        return c == u'\t';
    }
}

// Whether a piece may start at `line[at]`: not inside a character or a cluster.
bool startsCharacter(QStringView line, qsizetype at) {
    if (at <= 0 || at >= line.size())
        return true;
    const QChar c = line.at(at);
    return !c.isLowSurrogate() && !c.isMark() && c != QChar(0x200d) && line.at(at - 1) != QChar(0x200d);
}

// Where to end the piece of `line` that starts at `from` and may reach `limit`.
qsizetype cutBefore(QStringView line, qsizetype from, qsizetype limit) {
    for (const bool punctuation : {false, true}) {
        for (qsizetype at = limit; at > from + 1 && at > limit - NoteEditor::wordWindow; --at) {
            if (endsWord(line.at(at - 1), punctuation) && startsCharacter(line, at))
                return at;
        }
    }
    qsizetype at = limit;
    while (at < line.size() && !startsCharacter(line, at))
        ++at;
    return at;
}

} // namespace

NoteEditor::NoteEditor(QWidget* parent) : QPlainTextEdit(parent) {
    NoteEditorAccessible::install();
    connect(document(), &QTextDocument::contentsChange, this,
            [this](int position, int, int added) { noteSeparators(position, added); });
}

bool NoteEditor::isCut(const QTextBlock& block) {
    if (block.position() == 0)
        return false;
    const QVariant index = block.charFormat().property(separatorProperty);
    return index.isValid() && index.toInt() == cutIndex;
}

void NoteEditor::setBody(const QString& body) {
    QTextDocument* doc = document();
    doc->setUndoRedoEnabled(false);
    setPlainText(QString());
    QTextCursor cursor(doc);
    insertBody(cursor, body);
    doc->setUndoRedoEnabled(true);
    doc->setModified(false);
    setTextCursor(QTextCursor(doc));
}

QString NoteEditor::body() const {
    // The document's raw text holds a U+2029 for each separator, in order; each paragraph's user
    // state tells what the one before it stands for. While they stand for '\n', the raw text is
    // changed in place.
    const QTextDocument* doc = document();
    QString raw = doc->toRawText();
    const auto meaning = [](const QTextBlock& block) {
        const int index = block.userState();
        return index >= 0 && index < int(separatorTexts.size()) ? index : separatorIndex(block);
    };
    QTextBlock block = doc->begin().next();
    qsizetype at = 0;
    qsizetype separator = -1;
    QChar* chars = raw.data();
    for (; block.isValid(); block = block.next()) {
        separator = raw.indexOf(QChar(QChar::ParagraphSeparator), at);
        if (separator < 0 || meaning(block) != lineFeedIndex)
            break;
        chars[separator] = u'\n';
        at = separator + 1;
    }
    if (!block.isValid() || separator < 0)
        return raw;
    QString text;
    text.reserve(raw.size() + 16);
    text.append(QStringView(raw).left(at));
    for (; block.isValid(); block = block.next()) {
        separator = raw.indexOf(QChar(QChar::ParagraphSeparator), at);
        if (separator < 0)
            break;
        text.append(QStringView(raw).mid(at, separator - at));
        text.append(separatorTexts[meaning(block)]);
        at = separator + 1;
    }
    text.append(QStringView(raw).mid(at));
    return text;
}

void NoteEditor::noteSeparators(int position, int added) {
    const QTextDocument* doc = document();
    for (QTextBlock block = doc->findBlock(position); block.isValid() && block.position() <= position + added;
         block = block.next())
        block.setUserState(separatorIndex(block));
}

QString NoteEditor::bodyBetween(int from, int to) const {
    const QTextDocument* doc = document();
    from = std::max(from, 0);
    to = std::min(to, doc->characterCount() - 1);
    QString text;
    if (from >= to)
        return text;
    text.reserve(to - from + (to - from) / pieceLength + 16);
    for (QTextBlock block = doc->findBlock(from); block.isValid() && block.position() <= to;
         block = block.next()) {
        const int position = block.position();
        if (position > from)
            text.append(separatorText(block));
        const int start = std::max(from, position) - position;
        const int end = std::min(to, position + block.length() - 1) - position;
        if (end > start)
            text.append(QStringView(block.text()).mid(start, end - start));
    }
    return text;
}

int NoteEditor::bodyOffset(int position) const {
    return int(bodyBetween(0, position).size());
}

int NoteEditor::documentPosition(int offset) const {
    int at = 0;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (block.position() > 0) {
            const int separator = int(separatorText(block).size());
            if (offset < at + separator)
                return block.position() - 1;
            at += separator;
        }
        const int length = block.length() - 1;
        if (offset <= at + length)
            return block.position() + std::max(offset - at, 0);
        at += length;
    }
    return document()->characterCount() - 1;
}

int NoteEditor::pieceBreaks() const {
    int cuts = 0;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next())
        cuts += isCut(block) ? 1 : 0;
    return cuts;
}

void NoteEditor::insertBody(QTextCursor& cursor, const QString& text) {
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    QTextCharFormat plain = cursor.charFormat();
    plain.clearProperty(separatorProperty);
    const auto insertCut = [&cursor] { cursor.insertBlock(cursor.blockFormat(), separatorFormat(cutIndex)); };
    // What the paragraph holds before and after the text inserted.
    qsizetype before = cursor.positionInBlock();
    const qsizetype after = cursor.block().length() - 1 - before;
    const QStringView all(text);
    // Lines short enough, each ended by a '\n', go in together: Qt makes their separators alike.
    qsizetype pending = 0;
    const auto insertPending = [&](qsizetype end) {
        if (end > pending)
            cursor.insertText(all.mid(pending, end - pending).toString(), plain);
    };
    qsizetype lineStart = 0;
    while (true) {
        qsizetype lineEnd = lineStart;
        int separator = -1;
        while (lineEnd < all.size() && (separator = lineEndAt(all, lineEnd)) < 0)
            ++lineEnd;
        const bool last = lineEnd == all.size();
        const QStringView line = all.mid(lineStart, lineEnd - lineStart);
        const bool isLong = before + line.size() + (last ? after : 0) > longestLine;
        if (!isLong && (last || separator == lineFeedIndex)) {
            if (last)
                break;
            lineStart = lineEnd + 1;
            before = 0;
            continue;
        }
        insertPending(lineStart);
        qsizetype at = 0;
        if (isLong) {
            qsizetype room = pieceLength - before;
            if (room < wordWindow && before > 0) {
                insertCut();
                room = pieceLength;
            }
            while (line.size() - at > room) {
                const qsizetype cut = cutBefore(line, at, at + std::max<qsizetype>(room, 1));
                cursor.insertText(line.mid(at, cut - at).toString(), plain);
                insertCut();
                at = cut;
                room = pieceLength;
            }
        }
        if (at < line.size())
            cursor.insertText(line.mid(at).toString(), plain);
        if (last) {
            // The rest of the paragraph goes on in a piece of its own where it would be too long.
            if (after > 0 && !line.isEmpty() &&
                (at > 0 ? 0 : before) + line.size() - at + after > longestLine)
                insertCut();
            pending = all.size();
            break;
        }
        cursor.insertBlock(cursor.blockFormat(), separatorFormat(separator));
        lineStart = lineEnd + separatorTexts[separator].size();
        pending = lineStart;
        before = 0;
    }
    insertPending(all.size());
    cursor.setCharFormat(plain);
    cursor.endEditBlock();
}

void NoteEditor::skipCuts(QTextCursor& cursor, bool backward, bool keepAnchor) {
    const auto mode = keepAnchor ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor;
    if (backward) {
        while (cursor.atBlockStart() && isCut(cursor.block()))
            cursor.setPosition(cursor.position() - 1, mode);
    } else {
        while (cursor.atBlockEnd() && isCut(cursor.block().next()))
            cursor.setPosition(cursor.position() + 1, mode);
    }
}

void NoteEditor::keyPressEvent(QKeyEvent* event) {
    if (isReadOnly()) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    QTextCursor cursor = textCursor();
    const bool plainBackspace =
        event->key() == Qt::Key_Backspace && !(event->modifiers() & ~Qt::ShiftModifier);
    if (event == QKeySequence::InsertParagraphSeparator ||
        event->text().contains(QChar(QChar::ParagraphSeparator))) {
        // Qt would give the new separator the format of the text before it.
        insertBody(cursor, event == QKeySequence::InsertParagraphSeparator ? separatorTexts[lineFeedIndex]
                                                                           : event->text());
        setTextCursor(cursor);
        ensureCursorVisible();
        event->accept();
        return;
    }
    if ((plainBackspace || event == QKeySequence::Delete) && !cursor.hasSelection()) {
        // A cut between pieces is no character: the key takes the one the user sees beyond it.
        const bool backward = plainBackspace;
        QTextCursor beyond = cursor;
        skipCuts(beyond, backward, false);
        if (beyond.position() != cursor.position()) {
            if (backward)
                beyond.deletePreviousChar();
            else
                beyond.deleteChar();
            ensureCursorVisible();
            event->accept();
            return;
        }
    }
    // Keys that move or delete from the cursor start beyond the cuts beside it, so that none of
    // them is spent on a cut. With a selection, moving by a character only collapses it.
    const bool single = !cursor.hasSelection();
    const bool backward =
        (single && event == QKeySequence::MoveToPreviousChar) || event == QKeySequence::SelectPreviousChar ||
        event == QKeySequence::MoveToPreviousWord || event == QKeySequence::SelectPreviousWord ||
        (single && event == QKeySequence::DeleteStartOfWord);
    const bool forward = (single && event == QKeySequence::MoveToNextChar) ||
                         event == QKeySequence::SelectNextChar || event == QKeySequence::MoveToNextWord ||
                         event == QKeySequence::SelectNextWord ||
                         (single && event == QKeySequence::DeleteEndOfWord);
    if (backward || forward) {
        const bool select =
            event == QKeySequence::SelectPreviousChar || event == QKeySequence::SelectNextChar ||
            event == QKeySequence::SelectPreviousWord || event == QKeySequence::SelectNextWord;
        const int position = cursor.position();
        skipCuts(cursor, backward, select);
        if (cursor.position() != position)
            setTextCursor(cursor);
    } else if (!event->text().isEmpty() && !cursor.hasSelection() &&
               cursor.charFormat().hasProperty(separatorProperty)) {
        // Typed at the start of an empty paragraph, text would take its separator's format.
        QTextCharFormat plain = cursor.charFormat();
        plain.clearProperty(separatorProperty);
        cursor.setCharFormat(plain);
        setTextCursor(cursor);
    }
    QPlainTextEdit::keyPressEvent(event);
}

void NoteEditor::inputMethodEvent(QInputMethodEvent* event) {
    const QString commit = event->commitString();
    const bool hasLineEnd = std::any_of(commit.cbegin(), commit.cend(), [&commit](const QChar& c) {
        return lineEndAt(commit, &c - commit.constData()) >= 0;
    });
    if (isReadOnly() || !hasLineEnd || !event->preeditString().isEmpty() || event->replacementLength() != 0) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    // Line ends committed by an input method keep what they are, as when typed or pasted.
    QTextCursor cursor = textCursor();
    insertBody(cursor, commit);
    setTextCursor(cursor);
    ensureCursorVisible();
    event->accept();
}

QMimeData* NoteEditor::createMimeDataFromSelection() const {
    const QTextCursor cursor = textCursor();
    auto* mime = new QMimeData();
    mime->setText(bodyBetween(cursor.selectionStart(), cursor.selectionEnd()));
    return mime;
}

void NoteEditor::insertFromMimeData(const QMimeData* source) {
    if (!source || !source->hasText() || isReadOnly()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    QTextCursor cursor = textCursor();
    insertBody(cursor, source->text());
    setTextCursor(cursor);
    ensureCursorVisible();
}
