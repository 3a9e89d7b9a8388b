#include "Brimlark/surface/GlowTab.h"

#include "Brimlark/aihooks/AIHooksService.h"
#include "Brimlark/core/AppState.h"
#include "Brimlark/core/EnumText.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PlainLabel.h"
#include "Brimlark/surface/GlowModeRow.h"
#include "Brimlark/surface/GlowTestButton.h"
#include "Brimlark/surface/GlowTriggerRow.h"
#include "Brimlark/surface/HaloController.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QWidget* divider(QWidget* parent) {
    auto* line = new QWidget(parent);
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, BrimlarkTheme::stroke());
    line->setPalette(palette);
    return line;
}

} // namespace

GlowTab::GlowTab(AppState& appState, HaloController& halo, AIHooksService& aiHooks, QWidget* parent)
    : QWidget(parent), m_appState(appState), m_halo(halo), m_aiHooks(&aiHooks) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(16);
    column->addWidget(plainLabel(QStringLiteral("how would you like brimlark to glow?"),
                                 BrimlarkTheme::monoSemibold11(), BrimlarkTheme::textSecondary(), this));

    auto* modes = new QVBoxLayout();
    modes->setSpacing(8);
    for (HaloMode mode : allCases<HaloMode>()) {
        auto* row = new GlowModeRow(mode, this);
        connect(row, &QAbstractButton::clicked, this, [this, mode] { m_appState.setHaloMode(mode); });
        modes->addWidget(row);
        m_modeRows.append(row);
    }
    column->addLayout(modes);
    column->addWidget(divider(this));

    auto* triggers = new QVBoxLayout();
    triggers->setSpacing(8);
    triggers->addWidget(plainLabel(QStringLiteral("what should trigger a glow?"),
                                   BrimlarkTheme::monoSemibold11(), BrimlarkTheme::textSecondary(), this));
    m_mediaTrigger = new GlowTriggerRow(
        QStringLiteral("music.note"), QStringLiteral("new media starts playing"),
        QStringLiteral("use the notch edge as a subtle now-playing cue."), appState.haloOnMedia(), this);
    m_hooksTrigger = new GlowTriggerRow(
        QStringLiteral("bolt.horizontal.fill"), QStringLiteral("ai hook event arrives"),
        QStringLiteral("light up for asking, working, finished, and errors."), appState.haloOnHooks(), this);
    connect(m_mediaTrigger, &QAbstractButton::clicked, this,
            [this] { m_appState.setHaloOnMedia(!m_appState.haloOnMedia()); });
    connect(m_hooksTrigger, &QAbstractButton::clicked, this,
            [this] { m_appState.setHaloOnHooks(!m_appState.haloOnHooks()); });
    triggers->addWidget(m_mediaTrigger);
    triggers->addWidget(m_hooksTrigger);
    m_note = plainLabel(QString(), BrimlarkTheme::monoRegular12(), BrimlarkTheme::textTertiary(), this);
    m_note->setWordWrap(true);
    triggers->addWidget(m_note);
    column->addLayout(triggers);
    column->addWidget(divider(this));

    auto* testRow = new QHBoxLayout();
    auto* test = new GlowTestButton(this);
    connect(test, &QAbstractButton::clicked, this, &GlowTab::testGlow);
    testRow->addWidget(test);
    testRow->addStretch(1);
    column->addLayout(testRow);
    column->addStretch(1);

    connect(&appState, &AppState::haloModeChanged, this, &GlowTab::sync);
    connect(&appState, &AppState::haloOnMediaChanged, this, &GlowTab::sync);
    connect(&appState, &AppState::haloOnHooksChanged, this, &GlowTab::sync);
    sync();
}

QString GlowTab::note() const {
    return m_note->text();
}

void GlowTab::sync() {
    const HaloMode mode = m_appState.haloMode();
    for (GlowModeRow* row : std::as_const(m_modeRows))
        row->setSelected(row->mode() == mode);
    // Triggers matter only for the glows that events start.
    const bool triggersInUse = mode != HaloMode::off && mode != HaloMode::ambient;
    m_mediaTrigger->setEnabled(triggersInUse);
    m_hooksTrigger->setEnabled(triggersInUse);
    m_mediaTrigger->setOn(m_appState.haloOnMedia());
    m_hooksTrigger->setOn(m_appState.haloOnHooks());
    if (mode == HaloMode::ambient)
        m_note->setText(QStringLiteral("ambient mode glows continuously regardless of triggers."));
    else if (mode == HaloMode::off)
        m_note->setText(QStringLiteral("glow is off — turn on a mode above to enable triggers."));
    else
        m_note->clear();
    m_note->setVisible(!m_note->text().isEmpty());
}

void GlowTab::testGlow() {
    m_halo.dismissPersistent();
    // The event is sent even when the tab is gone by then: the service runs the timer.
    if (!m_aiHooks)
        return;
    QPointer<AIHooksService> hooks = m_aiHooks;
    QTimer::singleShot(testEventDelayMs, m_aiHooks, [hooks] {
        if (hooks)
            hooks->sendTestEvent();
    });
}
