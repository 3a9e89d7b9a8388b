#pragma once

#include "KeyboardShortcuts/Name.h"
#include "KeyboardShortcuts/Shortcut.h"

#include <QColor>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>

class BrimlarkRoundedButton;
class QKeyEvent;
class QToolButton;

namespace KeyboardShortcuts {
class CarbonKeyboardShortcuts;
class LocalEventMonitor;
} // namespace KeyboardShortcuts

// The settings' recorder of one named global shortcut: a button showing the stored combination
// that, clicked, records the next key press, and a clear button beside it.
//
// While it records, it holds the keyboard (an active grab, let go whenever recording ends), so a
// combination the window manager or another program grabs reaches it too; every key press of the
// program comes here first and no shortcut of the program fires; the hot keys let go of their
// grabs, so a combination that already is one can be pressed; while its window does not have the
// keyboard it holds nothing and the hot keys work as usual (a row records only what reaches its
// window). Modifier keys alone wait for their key; Escape cancels; a key without Ctrl, Alt or Super
// (F1-F35 aside) would take a plain key from every application and is refused with the bell. The
// row shows what is stored when it comes on screen and after its own actions only. A stored
// combination the desktop refused to grab is drawn in the danger colour, its reason in the
// tooltip; so is a stored value that is no combination, which is kept aside
// (keepAsideUnreadable()).
class BrimlarkShortcutRecorder : public QWidget {
    Q_OBJECT
public:
    // `registry` (may be null) is where recording lets go of the grabs and failed grabs are heard.
    BrimlarkShortcutRecorder(const KeyboardShortcuts::Name& name, const QColor& tint,
                             KeyboardShortcuts::CarbonKeyboardShortcuts* registry, QWidget* parent = nullptr);
    ~BrimlarkShortcutRecorder() override;

    const KeyboardShortcuts::Name& name() const { return m_name; }
    const std::optional<KeyboardShortcuts::Shortcut>& currentShortcut() const { return m_currentShortcut; }
    bool isRecording() const { return m_isRecording; }
    // Whether the shown combination is stored but not grabbed (another program holds it).
    bool isFailed() const { return m_failed; }
    // Whether the stored value could not be read and was kept aside; told until a shortcut is
    // recorded or cleared.
    bool isUnreadable() const { return m_unreadable; }
    BrimlarkRoundedButton* recordButton() const { return m_recordButton; }
    QToolButton* clearButton() const { return m_clearButton; }

    // The record button's action: starts recording, or cancels it when it runs.
    void startRecording();
    // Ends recording without storing; also when the row leaves the screen.
    void stopRecording();
    // The key press while recording; true when it is consumed.
    bool handleKeyDown(QKeyEvent* event);
    // Shows what is stored; run when the row comes on screen.
    void loadCurrentShortcut();
    // The clear button's action: the name has no shortcut (a default does not come back, also at
    // the next start), the row offers to record one.
    void clearShortcut();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool event(QEvent* event) override;

private:
    void refresh();
    void updateFailed();
    void holdKeyboard(bool hold);

    KeyboardShortcuts::Name m_name;
    QColor m_tint;
    QPointer<KeyboardShortcuts::CarbonKeyboardShortcuts> m_registry;
    std::optional<KeyboardShortcuts::Shortcut> m_currentShortcut;
    bool m_isRecording = false;
    bool m_failed = false;
    bool m_unreadable = false;
    bool m_holdsKeyboard = false;
    std::unique_ptr<KeyboardShortcuts::LocalEventMonitor> m_eventMonitor;
    BrimlarkRoundedButton* m_recordButton;
    QToolButton* m_clearButton;
};
