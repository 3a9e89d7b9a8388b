#pragma once

#include "Brimlark/aihooks/HookEvent.h"

#include <QColor>
#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class AIHooksService;

// The advanced panel's AI hooks page: whether the listener runs and which tool is connected, the
// events the rule preset lets through (newest first) with allow and deny, "clear", and while the
// list is empty the next setup step, a listener restart and the way to the settings. It keeps no
// state of its own beyond the ids it listed last, and is rebuilt from the service whenever the
// service changes; rows that join a list already showing fade in.
class AIHooksView : public QWidget {
    Q_OBJECT
public:
    // The one setup step the empty page offers; codex comes before claude.
    enum class SetupStep { grantCodexAccess, connectCodex, grantClaudeAccess, connectClaude };

    // `onOpenSettings` brings up the settings window (the application's coordinator does that).
    explicit AIHooksView(AIHooksService& service, std::function<void()> onOpenSettings = {},
                         QWidget* parent = nullptr);

    QString headerTitle() const;
    QString headerSubtitle() const;
    QString emptyTitle() const;
    std::optional<SetupStep> nextSetupStep() const;

    static QColor statusColor(HookEvent::Status status);
    static QString sourceLabel(HookEvent::Source source);
    static QString setupStepTitle(SetupStep step);

    // What showing the page does: status, listener, inbox watch, then the notification question.
    void start();
    // Stops the listener and starts again.
    void restart();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void rebuild();
    void runSetupStep(SetupStep step);
    QWidget* buildHeader(QWidget* parent, bool hasEvents);
    QWidget* buildEmptyState(QWidget* parent);
    QWidget* buildEventList(QWidget* parent, const QList<HookEvent>& events);
    static void fadeIn(QWidget* row);

    QPointer<AIHooksService> m_service;
    std::function<void()> m_onOpenSettings;
    QWidget* m_content = nullptr;
    // The ids of the rows the last build listed, in order (none while the page was empty).
    QList<QUuid> m_listedIds;
};
