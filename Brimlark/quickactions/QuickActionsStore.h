#pragma once

#include "Brimlark/quickactions/QuickAction.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSet>

#include <optional>

class UserDefaults;

// The user's quick actions in their stored order, and the kinds that are on right now (microphone
// muted, notifications muted, timer running, mirror showing).
//
// The list is loaded once from "brimlark.quickActions" (a compact JSON array of {"kind", "enabled"}
// objects, held as data or as text); a value that does not decode as a whole is ignored and the
// default list used, and kinds missing from a stored list are appended, enabled. Loading writes
// nothing; every later assignment of the list writes it back at once. The active kinds start empty
// at every launch and are never stored; the coordinator keeps them in step with the services.
class QuickActionsStore : public QObject {
    Q_OBJECT
    Q_PROPERTY(QList<QuickAction> actions READ actions WRITE setActions NOTIFY actionsChanged)
    Q_PROPERTY(QList<QuickAction> enabledActions READ enabledActions NOTIFY actionsChanged)
public:
    static constexpr const char* storageKey = "brimlark.quickActions";

    explicit QuickActionsStore(UserDefaults& defaults, QObject* parent = nullptr);

    // The process-wide store, created on first use over the platform's settings store.
    static QuickActionsStore& shared();

    const QList<QuickAction>& actions() const { return m_actions; }
    // Publishes `actions` and then saves it, also when it is unchanged.
    void setActions(const QList<QuickAction>& actions);
    // The actions basic mode shows: the enabled ones, in list order, never `focus`.
    QList<QuickAction> enabledActions() const;
    // Flips the first action of `kind` and assigns the changed list; nothing when the kind is absent.
    void toggle(QuickAction::Kind kind);
    // Writes the current list under the storage key.
    void save();

    const QSet<QuickAction::Kind>& activeKinds() const { return m_activeKinds; }
    bool isActive(QuickAction::Kind kind) const { return m_activeKinds.contains(kind); }
    // Every assignment publishes, also an unchanged set.
    void setActiveKinds(const QSet<QuickAction::Kind>& kinds);
    void insertActiveKind(QuickAction::Kind kind);
    void removeActiveKind(QuickAction::Kind kind);

    // The stored form of `actions`: a compact JSON array, "kind" before "enabled" in each object.
    static QByteArray encode(const QList<QuickAction>& actions);
    // The list in `bytes`, or nothing when any part of it is not a valid action: not a JSON array,
    // an element that is not an object, a "kind" that is not exactly one of the raw values, an
    // "enabled" that is not a Boolean. Other keys are ignored.
    static std::optional<QList<QuickAction>> decode(const QByteArray& bytes);

signals:
    void actionsChanged();
    void activeKindsChanged();

private:
    void load();

    UserDefaults& m_defaults;
    QList<QuickAction> m_actions;
    QSet<QuickAction::Kind> m_activeKinds;
};
