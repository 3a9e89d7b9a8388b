#pragma once

#include "Brimlark/aihooks/events/AIHookTool.h"

#include <QColor>
#include <QPointer>
#include <QWidget>

class AIHooksService;
class AppState;

// The settings window's AI hooks tab: whether the listener runs and a tool is connected, a test
// event, each tool's two setup steps (grant its folder once, then connect its hooks), the rule
// preset and the switch for other local clients, and the service's last error or message. It keeps
// no state of its own and is rebuilt whenever the service or those two settings change.
class AIHooksTab : public QWidget {
    Q_OBJECT
public:
    AIHooksTab(AIHooksService& service, AppState& appState, QWidget* parent = nullptr);

    bool anyToolConnected() const;
    QString statusTitle() const;
    QString statusSubtitle() const;
    QString toolStateText(AIHookTool tool) const;
    // The message line: the error, else the install message, lower-cased; empty when neither.
    QString messageText() const;
    QColor messageColor() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void rebuild();
    QWidget* buildStatusRow(QWidget* parent);
    QWidget* buildSection(QWidget* parent, const QString& caption, const QList<QWidget*>& rows);
    QWidget* buildToolRow(QWidget* parent, AIHookTool tool);
    QWidget* buildPresetRow(QWidget* parent);

    QPointer<AIHooksService> m_service;
    AppState& m_appState;
    QWidget* m_content = nullptr;
};
