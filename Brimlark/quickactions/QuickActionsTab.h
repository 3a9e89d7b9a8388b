#pragma once

#include "Brimlark/quickactions/QuickAction.h"

#include <QList>
#include <QWidget>

class QScrollArea;
class QVBoxLayout;
class QuickActionsCard;
class QuickActionsStore;

// The settings page on which the user picks the quick actions basic mode shows: one card per
// stored action, in stored order. A click on a card flips that action through the store, which
// saves at once; the page follows every change of the store's list.
class QuickActionsTab : public QWidget {
    Q_OBJECT
public:
    explicit QuickActionsTab(QuickActionsStore& store, QWidget* parent = nullptr);

    const QList<QuickActionsCard*>& cards() const { return m_cards; }
    // The first card of `kind`, or null.
    QuickActionsCard* card(QuickAction::Kind kind) const;

private:
    void sync();
    void rebuild();

    QuickActionsStore& m_store;
    QScrollArea* m_scroll;
    QVBoxLayout* m_list;
    QList<QuickActionsCard*> m_cards;
};
