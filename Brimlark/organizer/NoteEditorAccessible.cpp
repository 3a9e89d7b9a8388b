#include "Brimlark/organizer/NoteEditorAccessible.h"

#include "Brimlark/organizer/NoteEditor.h"

#include <QScrollBar>
#include <QTextCursor>

namespace {

QAccessibleInterface* noteEditorInterface(const QString& className, QObject* object) {
    if (className == QLatin1String("NoteEditor") && object && object->isWidgetType())
        return new NoteEditorAccessible(static_cast<NoteEditor*>(object));
    return nullptr;
}

} // namespace

NoteEditorAccessible::NoteEditorAccessible(NoteEditor* editor)
    : QAccessibleWidget(editor, QAccessible::EditableText) {}

void NoteEditorAccessible::install() {
    static const bool installed = [] {
        QAccessible::installFactory(noteEditorInterface);
        return true;
    }();
    Q_UNUSED(installed);
}

NoteEditor* NoteEditorAccessible::editor() const {
    return static_cast<NoteEditor*>(widget());
}

void* NoteEditorAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString NoteEditorAccessible::text(QAccessible::Text kind) const {
    if (kind == QAccessible::Value)
        return editor()->body();
    return QAccessibleWidget::text(kind);
}

QAccessible::State NoteEditorAccessible::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = !editor()->isReadOnly();
    state.readOnly = editor()->isReadOnly();
    state.multiLine = true;
    state.selectableText = true;
    return state;
}

void NoteEditorAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = 0;
    const QTextCursor cursor = editor()->textCursor();
    if (selectionIndex != 0 || !cursor.hasSelection())
        return;
    *startOffset = editor()->bodyOffset(cursor.selectionStart());
    *endOffset = editor()->bodyOffset(cursor.selectionEnd());
}

int NoteEditorAccessible::selectionCount() const {
    return editor()->textCursor().hasSelection() ? 1 : 0;
}

void NoteEditorAccessible::addSelection(int startOffset, int endOffset) {
    setSelection(0, startOffset, endOffset);
}

void NoteEditorAccessible::removeSelection(int selectionIndex) {
    if (selectionIndex != 0)
        return;
    QTextCursor cursor = editor()->textCursor();
    cursor.clearSelection();
    editor()->setTextCursor(cursor);
}

void NoteEditorAccessible::setSelection(int selectionIndex, int startOffset, int endOffset) {
    if (selectionIndex != 0)
        return;
    QTextCursor cursor = editor()->textCursor();
    cursor.setPosition(editor()->documentPosition(startOffset));
    cursor.setPosition(editor()->documentPosition(endOffset), QTextCursor::KeepAnchor);
    editor()->setTextCursor(cursor);
}

int NoteEditorAccessible::cursorPosition() const {
    return editor()->bodyOffset(editor()->textCursor().position());
}

void NoteEditorAccessible::setCursorPosition(int position) {
    QTextCursor cursor = editor()->textCursor();
    cursor.setPosition(editor()->documentPosition(position));
    editor()->setTextCursor(cursor);
}

QString NoteEditorAccessible::text(int startOffset, int endOffset) const {
    return editor()->bodyBetween(editor()->documentPosition(startOffset),
                                 editor()->documentPosition(endOffset));
}

int NoteEditorAccessible::characterCount() const {
    return int(editor()->body().size());
}

QRect NoteEditorAccessible::characterRect(int offset) const {
    QTextCursor cursor = editor()->textCursor();
    cursor.setPosition(editor()->documentPosition(offset));
    const QRect rect = editor()->cursorRect(cursor);
    return QRect(editor()->viewport()->mapToGlobal(rect.topLeft()), rect.size());
}

int NoteEditorAccessible::offsetAtPoint(const QPoint& point) const {
    const QPoint local = editor()->viewport()->mapFromGlobal(point);
    return editor()->bodyOffset(editor()->cursorForPosition(local).position());
}

void NoteEditorAccessible::scrollToSubstring(int startIndex, int endIndex) {
    QTextCursor cursor = editor()->textCursor();
    cursor.setPosition(editor()->documentPosition(startIndex));
    cursor.setPosition(editor()->documentPosition(endIndex), QTextCursor::KeepAnchor);
    editor()->setTextCursor(cursor);
    editor()->ensureCursorVisible();
}

QString NoteEditorAccessible::attributes(int offset, int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = offset;
    return QString();
}
