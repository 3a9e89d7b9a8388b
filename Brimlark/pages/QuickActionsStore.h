#pragma once

#include "Brimlark/pages/QuickAction.h"

#include <QObject>
#include <QSet>

// The quick actions and the kinds that are on right now (microphone muted, notifications muted,
// timer running, mirror showing). The active kinds start empty at every launch and are never
// stored; the coordinator keeps them in step with the services.
class QuickActionsStore : public QObject {
    Q_OBJECT
public:
    explicit QuickActionsStore(QObject* parent = nullptr);

    // The process-wide store, created on first use.
    static QuickActionsStore& shared();

    const QSet<QuickAction::Kind>& activeKinds() const { return m_activeKinds; }
    bool isActive(QuickAction::Kind kind) const { return m_activeKinds.contains(kind); }
    // Every assignment publishes, also an unchanged set.
    void setActiveKinds(const QSet<QuickAction::Kind>& kinds);
    void insertActiveKind(QuickAction::Kind kind);
    void removeActiveKind(QuickAction::Kind kind);

signals:
    void activeKindsChanged();

private:
    QSet<QuickAction::Kind> m_activeKinds;
};
