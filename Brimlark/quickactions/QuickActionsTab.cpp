#include "Brimlark/quickactions/QuickActionsTab.h"

#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PlainLabel.h"
#include "Brimlark/quickactions/QuickActionsCard.h"
#include "Brimlark/quickactions/QuickActionsStore.h"

#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

QuickActionsTab::QuickActionsTab(QuickActionsStore& store, QWidget* parent)
    : QWidget(parent), m_store(store) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    QLabel* header = plainLabel(QStringLiteral("drag to reorder. toggle to show/hide an icon in basic mode."),
                                BrimlarkTheme::monoSemibold11(), BrimlarkTheme::textSecondary(), this);
    header->setWordWrap(true);
    layout->addWidget(header);

    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setMinimumHeight(280);
    QPalette clear = m_scroll->palette();
    clear.setColor(QPalette::Window, Qt::transparent);
    clear.setColor(QPalette::Base, Qt::transparent);
    m_scroll->setPalette(clear);
    m_scroll->setAutoFillBackground(false);
    m_scroll->viewport()->setAutoFillBackground(false);
    auto* content = new QWidget();
    content->setAutoFillBackground(false);
    m_list = new QVBoxLayout(content);
    m_list->setContentsMargins(0, 0, 0, 0);
    m_list->setSpacing(8);
    m_list->addStretch(1);
    m_scroll->setWidget(content);
    layout->addWidget(m_scroll, 1);

    connect(&m_store, &QuickActionsStore::actionsChanged, this, &QuickActionsTab::sync);
    rebuild();
}

QuickActionsCard* QuickActionsTab::card(QuickAction::Kind kind) const {
    for (QuickActionsCard* card : m_cards) {
        if (card->kind() == kind)
            return card;
    }
    return nullptr;
}

void QuickActionsTab::sync() {
    const QList<QuickAction>& actions = m_store.actions();
    bool sameKinds = actions.size() == m_cards.size();
    for (qsizetype i = 0; sameKinds && i < actions.size(); ++i)
        sameKinds = actions.at(i).kind == m_cards.at(i)->kind();
    if (!sameKinds) {
        rebuild();
        return;
    }
    for (qsizetype i = 0; i < actions.size(); ++i)
        m_cards.at(i)->setShown(actions.at(i).enabled);
}

void QuickActionsTab::rebuild() {
    qDeleteAll(m_cards);
    m_cards.clear();
    const QList<QuickAction>& actions = m_store.actions();
    for (qsizetype i = 0; i < actions.size(); ++i) {
        auto* card = new QuickActionsCard(actions.at(i), m_scroll->widget());
        const QuickAction::Kind kind = actions.at(i).kind;
        connect(card, &QAbstractButton::clicked, this, [this, kind] { m_store.toggle(kind); });
        // Before the closing stretch.
        m_list->insertWidget(int(i), card);
        m_cards.append(card);
    }
}
