#pragma once

#include "Brimlark/aihooks/events/HookEvent.h"

#include <QColor>
#include <QDateTime>
#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class AIHooksService;
class RelativeTimeRefresh;
class QLabel;
class QScrollArea;

// The advanced panel's AI hooks page: whether the listener runs and which tool is connected, the
// events the rule preset lets through (newest first) with allow and deny, "clear", and while the
// list is empty the next setup step, a listener restart and the way to the settings; under them,
// while the hooks inbox cannot be read, a line that says so and why. It keeps no
// state of its own beyond what it showed last, and follows the service whenever the service
// changes something it shows, so that a change it does not show leaves a press in progress and the
// scroll position alone. While events stay listed, only the rows that changed are removed, inserted
// or moved; rows that join a list already showing fade in, and the list stays where it was
// scrolled to.
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
    // "the hooks inbox could not be read: <why>" while it cannot; empty otherwise.
    QString inboxLine() const;

    static QColor statusColor(HookEvent::Status status);
    static QString sourceLabel(HookEvent::Source source);
    static QString setupStepTitle(SetupStep step);

    // What showing the page does: status, listener, inbox watch, then the notification question.
    void start();
    // Stops the listener and starts again.
    void restart();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // What decides the page's widgets: the listed events (as their rows show them), the listener,
    // and, while nothing is listed, the tools' wiring behind the header and the setup step.
    struct Shown {
        QList<HookEvent> events;
        bool listening = false;
        bool claudeInstalled = false;
        bool codexInstalled = false;
        bool claudeGranted = false;
        bool codexGranted = false;

        bool operator==(const Shown& other) const;
    };

    Shown shownNow() const;
    // Rebuilds the page when what it would show differs from what it shows; a list that stays a
    // list is updated in place.
    void refresh();
    void rebuild();
    // Removes, inserts and moves only the rows that changed, and recounts the header.
    void updateList();
    void runSetupStep(SetupStep step);
    QWidget* buildHeader(QWidget* parent, bool hasEvents);
    QWidget* buildEmptyState(QWidget* parent);
    QScrollArea* buildEventList(QWidget* parent, const QList<HookEvent>& events);
    void fadeIn(QWidget* row);
    QDateTime currentTime() const;
    // Sets the listed rows' relative times anew.
    void refreshTimes();
    // Ends the fades under way: their rows show whole at once.
    void finishFades();
    void showInboxProblem(const QString& problem);

    QPointer<AIHooksService> m_service;
    std::function<void()> m_onOpenSettings;
    QWidget* m_content = nullptr;
    // Below the content, kept through its rebuilds.
    QLabel* m_inboxLine = nullptr;
    // The list's scroll area while events are listed.
    QPointer<QScrollArea> m_scroll;
    // The header's count while events are listed.
    QPointer<QLabel> m_subtitle;
    // The header's line saying the notifications are muted; shown while they are.
    QPointer<QLabel> m_muted;
    std::optional<Shown> m_shown;
    // The ids of the rows the last build listed, in order (none while the page was empty).
    QList<QUuid> m_listedIds;
    // The rows fading in since the last change of the list.
    QList<QPointer<QWidget>> m_fading;
    // Running while the page shows.
    RelativeTimeRefresh* m_timeRefresh = nullptr;
};
