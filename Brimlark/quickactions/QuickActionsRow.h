#pragma once

#include "Brimlark/quickactions/QuickAction.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QSet>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class QuickActionButton;

// The strip of round quick-action buttons in basic mode, one per action given, in order, on a
// faint rounded capsule. Active kinds get a coloured disc, ring and glow; the button under the
// pointer is highlighted. A tap on any button but focus reports its kind once through `onTap`.
// The row holds no service: its owner gives it the actions and the active kinds.
class QuickActionsRow : public QWidget {
    Q_OBJECT
public:
    QuickActionsRow(QList<QuickAction> actions, QSet<QuickAction::Kind> activeKinds,
                    std::function<void(QuickAction::Kind)> onTap, QWidget* parent = nullptr);

    void setActions(const QList<QuickAction>& actions);
    const QSet<QuickAction::Kind>& activeKinds() const { return m_activeKinds; }
    void setActiveKinds(const QSet<QuickAction::Kind>& kinds);

    // What the button of `kind` tells about its last tap (QuickActionButton::setProblem); kept for
    // the buttons a new list of actions makes.
    void setProblem(QuickAction::Kind kind, const QString& problem);
    // Gives the button of `kind` a second action (QuickActionButton::setAlternate), reached by a
    // right click or a held press; kept for the buttons a new list of actions makes.
    void setAlternate(QuickAction::Kind kind, const QString& hint, std::function<void()> action);

    // The kind whose button the pointer is over.
    std::optional<QuickAction::Kind> hovering() const { return m_hovering; }
    const QList<QuickActionButton*>& buttons() const { return m_buttons; }
    // The first button of `kind`, or null.
    QuickActionButton* button(QuickAction::Kind kind) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void rebuild();
    void setHovering(std::optional<QuickAction::Kind> kind);

    QList<QuickAction> m_actions;
    QSet<QuickAction::Kind> m_activeKinds;
    std::function<void(QuickAction::Kind)> m_onTap;
    std::optional<QuickAction::Kind> m_hovering;
    QList<QuickActionButton*> m_buttons;
    QHash<QuickAction::Kind, QString> m_problems;
    struct Alternate {
        QString hint;
        std::function<void()> action;
    };
    QHash<QuickAction::Kind, Alternate> m_alternates;
    // The capsule's fill and its outline, drawn once for the row's size and pixel ratio: the row
    // is repainted with whatever changes over the panel, and its halos go between the two.
    QImage m_fill;
    QImage m_outline;
};
