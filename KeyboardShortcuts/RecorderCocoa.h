#pragma once

#include "KeyboardShortcuts/Name.h"
#include "KeyboardShortcuts/Shortcut.h"

#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QAction;

namespace KeyboardShortcuts {

class LocalEventMonitor;

// A field that records one key combination for a name while it has the keyboard focus.
//
// Idle it shows the stored combination (a clear button beside it while there is one) or the
// "record shortcut" placeholder. Focused, it records: the placeholder says "press shortcut", the
// global hot keys are paused and let go, "recorder active" is announced, and every key press and
// mouse release of the program passes its handler first. A combination a menu item of the given
// menu uses, or one another program holds, is not stored without asking. Escape, Tab, a click
// more than 3 points away, the window losing the keyboard and the field leaving the screen end
// recording. A change stored for the same name elsewhere shows at once.
class RecorderCocoa : public QLineEdit {
    Q_OBJECT
public:
    using OnChange = std::function<void(const std::optional<Shortcut>& shortcut)>;

    // What an alert is about.
    enum class AlertKind { menuItem, disallowed, system };
    // An alert to show; `buttons` is empty for a single "ok".
    struct Alert {
        AlertKind kind;
        QString message;
        QString informativeText;
        QStringList buttons;
    };
    // The alert's response codes, by button.
    static constexpr int firstButtonReturn = 1000;
    static constexpr int secondButtonReturn = 1001;
    // Shows the alert over `window` and later calls `done` once with the response code. The default
    // shows a window-modal message box and never blocks.
    using AlertPresenter =
        std::function<void(QWidget* window, const Alert& alert, std::function<void(int response)> done)>;

    explicit RecorderCocoa(const Name& name, OnChange onChange = {}, QWidget* parent = nullptr);
    ~RecorderCocoa() override;

    // The slot the field edits. A name with another raw value shows its combination at once.
    const Name& shortcutName() const { return m_shortcutName; }
    void setShortcutName(const Name& name);

    // The menu whose items' combinations are refused (none: no menu to check).
    void setMainMenu(QMenu* menu) { m_mainMenu = menu; }
    void setAlertPresenter(AlertPresenter presenter) { m_presenter = std::move(presenter); }

    bool isRecording() const { return m_eventMonitor != nullptr; }
    // The clear button; shown exactly while the field holds text.
    QAction* cancelButton() const { return m_cancelButton; }
    static constexpr int preferredWidth = 130;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The monitor's handler while recording: true when the event is consumed.
    bool handleRecordingEvent(QEvent* event);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void setStringValue();
    void applyCancelButtonRule();
    void preventBecomingKey();
    void windowDidBecomeKey();
    void windowDidResignKey();
    void startRecording();
    void endRecording();
    // Gives up the keyboard focus, which ends recording.
    void resign();
    // Takes the keyboard focus again, which starts recording.
    void focusAgain();
    void textDidChange();
    void clearClicked();
    void store(const Shortcut& shortcut);
    // Shows the alert once the key event has returned; `done` gets the response.
    void showAlert(Alert alert, std::function<void(int response)> done);
    bool isReserved(const Shortcut& shortcut) const;

    Name m_shortcutName;
    OnChange m_onChange;
    QPointer<QMenu> m_mainMenu;
    AlertPresenter m_presenter;
    QAction* m_cancelButton = nullptr;
    std::unique_ptr<LocalEventMonitor> m_eventMonitor;
    bool m_canBecomeKey = false;
    bool m_focusRequested = false;
};

} // namespace KeyboardShortcuts
