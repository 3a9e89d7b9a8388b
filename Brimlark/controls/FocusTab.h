#pragma once

#include <QWidget>

class BrimlarkRoundedButton;
class FocusService;
class QLabel;
class Workspace;

// The settings window's Focus page: how to set up the Do Not Disturb shortcut, buttons to try it,
// to open the shortcuts application and to copy the shortcut's name, and the outcome of the last
// toggle. It keeps no state of its own: the outcome and the busy button follow the service.
class FocusTab : public QWidget {
    Q_OBJECT
public:
    // `workspace` opens the shortcuts application and holds the clipboard.
    FocusTab(FocusService& service, Workspace& workspace, QWidget* parent = nullptr);

    // The name the user gives the shortcut.
    static const QString shortcutName;
    // Why "open shortcuts" cannot be pressed on a desktop without a shortcuts application.
    static QString noShortcutsApplication() {
        return QStringLiteral("there is no shortcuts application to open: the shortcuts program on "
                              "the search path is run instead");
    }

    BrimlarkRoundedButton* toggleButton() const { return m_toggle; }
    BrimlarkRoundedButton* openShortcutsButton() const { return m_openShortcuts; }
    BrimlarkRoundedButton* copyNameButton() const { return m_copyName; }
    // The result line's message; empty before the first toggle.
    QString resultText() const;

private:
    void sync();

    FocusService& m_service;
    Workspace& m_workspace;
    BrimlarkRoundedButton* m_toggle;
    BrimlarkRoundedButton* m_openShortcuts;
    BrimlarkRoundedButton* m_copyName;
    QWidget* m_result;
    QLabel* m_resultSymbol;
    QLabel* m_resultMessage;
};
