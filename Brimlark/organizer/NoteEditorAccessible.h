#pragma once

#include <QAccessibleWidget>

class NoteEditor;

// What assistive technology reads of the notes editor: the note's own text, a long line as the
// one line it is (the cuts between its pieces are not in it), with offsets, the cursor and the
// selection counted in that text.
class NoteEditorAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit NoteEditorAccessible(NoteEditor* editor);

    // Makes NoteEditor widgets use this interface; the first editor built calls it.
    static void install();

    void* interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text kind) const override;
    QAccessible::State state() const override;

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

private:
    NoteEditor* editor() const;
};
