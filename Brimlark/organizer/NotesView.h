#pragma once

#include "Brimlark/organizer/NoteEditor.h"

#include <QPointer>
#include <QWidget>

class NotesService;
class QAbstractButton;
class QLabel;
class Workspace;

// The advanced panel's notes page: "notes" with a copy and a delete button (shown only while the
// current note has text) above an editor of the current note. Every change typed goes to the
// store at once; loading a note into the editor (when the page opens, or when another note becomes
// current) is never sent back as an edit. While saving fails, one line under the editor says so,
// and the text stays in the editor. When the notes file could not be read, a line says where the
// store kept it.
class NotesView : public QWidget {
    Q_OBJECT
public:
    // `workspace` holds the clipboard (null: copying does nothing).
    NotesView(NotesService& service, Workspace* workspace, QWidget* parent = nullptr);

    // The editor's text.
    QString draft() const;
    NoteEditor* editor() const { return m_editor; }
    QAbstractButton* copyButton() const { return m_copy; }
    QAbstractButton* deleteButton() const { return m_delete; }
    // "notes could not be saved: <reason>" while the last save failed, else empty (and hidden).
    QString saveLine() const;
    // Where the unreadable notes file was kept, while the store kept one; else empty (and hidden).
    QString setAsideLine() const;

    // Puts the current note's text on the clipboard.
    void copyNote();
    // Deletes the current note at once.
    void deleteCurrentNote();

private:
    void loadCurrentNote();
    void updateButtons();
    void showSaveError(const QString& error);
    void showSetAside(const QString& path);

    NotesService& m_service;
    Workspace* m_workspace;
    NoteEditor* m_editor;
    QAbstractButton* m_copy;
    QAbstractButton* m_delete;
    QLabel* m_saveLine;
    QLabel* m_setAsideLine;
    // While false, changes of the editor's text are not sent to the store.
    bool m_didLoadDraft = false;
};
