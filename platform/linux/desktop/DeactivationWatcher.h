#pragma once

#include <QObject>
#include <QTimer>

// Reports when the application as a whole stops being the active one: focus went to another
// application. Focus moving between the program's own windows (the panel, the settings window,
// a Qt file dialog) keeps the application active and reports nothing. A deactivation must last
// `confirmDelay` before it is reported, so a platform that passes through "inactive" while focus
// moves between two of our windows does not count.
class DeactivationWatcher final : public QObject {
    Q_OBJECT
public:
    explicit DeactivationWatcher(QObject* parent = nullptr);

    // While disabled nothing is reported; enabling starts from the application's current state.
    void setEnabled(bool enabled);

    static constexpr int confirmDelayMs = 100;

signals:
    // The application was active and has lost the focus to another application.
    void deactivated();

private:
    void onStateChanged(Qt::ApplicationState state);
    void confirm();

    bool m_enabled = false;
    bool m_wasActive = false;
    QTimer m_confirm;
};
