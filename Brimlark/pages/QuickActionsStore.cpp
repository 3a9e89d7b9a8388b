#include "Brimlark/pages/QuickActionsStore.h"

QuickActionsStore::QuickActionsStore(QObject* parent) : QObject(parent) {}

void QuickActionsStore::setActiveKinds(const QSet<QuickAction::Kind>& kinds) {
    m_activeKinds = kinds;
    emit activeKindsChanged();
}

void QuickActionsStore::insertActiveKind(QuickAction::Kind kind) {
    QSet<QuickAction::Kind> kinds = m_activeKinds;
    kinds.insert(kind);
    setActiveKinds(kinds);
}

void QuickActionsStore::removeActiveKind(QuickAction::Kind kind) {
    QSet<QuickAction::Kind> kinds = m_activeKinds;
    kinds.remove(kind);
    setActiveKinds(kinds);
}
