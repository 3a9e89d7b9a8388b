#include "Brimlark/settings/onboarding/VibeCodingStep.h"

#include "Brimlark/aihooks/AIHooksService.h"
#include "Brimlark/kit/BrimlarkStatusBadge.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/ColorBlend.h"
#include "Brimlark/kit/PlainLabel.h"
#include "Brimlark/settings/SelectionKnob.h"
#include "Brimlark/settings/onboarding/OnboardingButtonStyle.h"
#include "Brimlark/settings/onboarding/OnboardingCard.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

VibeCodingStep::VibeCodingStep(AIHooksService& service, AppState& appState, QWidget* parent)
    : QWidget(parent), m_service(service), m_appState(appState) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(16);
    column->addWidget(plainLabel(tr("connect your coding tools"),
                                 BrimlarkTheme::monoFont(19, QFont::DemiBold), BrimlarkTheme::textPrimary(),
                                 this));
    auto* subtitle = plainLabel(tr("connect once. brimlark only shows approvals, finishes, and errors."),
                                BrimlarkTheme::monoRegular13(), BrimlarkTheme::textSecondary(), this);
    subtitle->setWordWrap(true);
    column->addWidget(subtitle);

    auto* options = new QVBoxLayout();
    options->setSpacing(8);
    AppState* state = &appState;
    options->addWidget(hookOptionRow(
        QStringLiteral("sparkles"), BrimlarkTheme::warning(), QStringLiteral("manage claude"),
        QStringLiteral("grant once"), [state] { return state->allowClaudeHookInstall(); },
        [state](bool on) { state->setAllowClaudeHookInstall(on); }));
    options->addWidget(hookOptionRow(
        QStringLiteral("terminal.fill"), BrimlarkTheme::accent(), QStringLiteral("manage codex"),
        QStringLiteral("grant once"), [state] { return state->allowCodexHookInstall(); },
        [state](bool on) { state->setAllowCodexHookInstall(on); }));
    options->addWidget(hookOptionRow(
        QStringLiteral("waveform.path.ecg"), BrimlarkTheme::accent(),
        QStringLiteral("show other local hooks"), QStringLiteral("include helper scripts"),
        [state] { return state->showOtherHookClients(); },
        [state](bool on) { state->setShowOtherHookClients(on); }));
    column->addLayout(options);

    auto* ruleSet = new QVBoxLayout();
    ruleSet->setSpacing(6);
    ruleSet->addWidget(
        plainLabel(tr("rule set"), BrimlarkTheme::monoSemibold12(), BrimlarkTheme::textSecondary(), this));
    auto* chips = new QHBoxLayout();
    chips->setSpacing(8);
    chips->addWidget(presetChip(Preset::approvalsOnly, QStringLiteral("approvals only")), 1);
    chips->addWidget(presetChip(Preset::focused, QStringLiteral("focused")), 1);
    chips->addWidget(presetChip(Preset::fullFeed, QStringLiteral("full feed")), 1);
    ruleSet->addLayout(chips);
    column->addLayout(ruleSet);

    auto* buttons = new QHBoxLayout();
    buttons->setSpacing(8);
    m_connectSelected = new QPushButton(tr("connect selected"), this);
    OnboardingButtonStyle(true).apply(m_connectSelected);
    connect(m_connectSelected, &QPushButton::clicked, this, &VibeCodingStep::connectSelected);
    buttons->addWidget(m_connectSelected);
    auto* connectBothButton = new QPushButton(tr("connect both"), this);
    OnboardingButtonStyle(false).apply(connectBothButton);
    connect(connectBothButton, &QPushButton::clicked, this, &VibeCodingStep::connectBoth);
    buttons->addWidget(connectBothButton);
    buttons->addStretch(1);
    column->addLayout(buttons);

    auto* statuses = new QVBoxLayout();
    statuses->setSpacing(8);
    statuses->addWidget(toolStatusRow(QStringLiteral("claude"), m_claude));
    statuses->addWidget(toolStatusRow(QStringLiteral("codex"), m_codex));
    column->addLayout(statuses);
    column->addStretch(1);

    connect(&appState, &AppState::allowClaudeHookInstallChanged, this, &VibeCodingStep::showOptions);
    connect(&appState, &AppState::allowCodexHookInstallChanged, this, &VibeCodingStep::showOptions);
    connect(&appState, &AppState::showOtherHookClientsChanged, this, &VibeCodingStep::showOptions);
    connect(&appState, &AppState::hookRulePresetChanged, this, &VibeCodingStep::showPreset);
    connect(&service, &AIHooksService::hookAccessStatusChanged, this, &VibeCodingStep::showStatuses);
    connect(&service, &AIHooksService::hookInstallationStatusChanged, this, &VibeCodingStep::showStatuses);
    showOptions();
    showPreset();
    showStatuses();
}

QWidget* VibeCodingStep::hookOptionRow(const QString& icon, const QColor& tint, const QString& title,
                                       const QString& subtitle, std::function<bool()> value,
                                       std::function<void(bool)> store) {
    auto* card = new OnboardingCard({}, true, this);
    card->setCheckable(true);
    card->setText(title);
    card->setAccessibleName(title);
    auto* row = new QHBoxLayout(card);
    row->setContentsMargins(12, 12, 12, 12);
    row->setSpacing(8);
    row->addWidget(OnboardingCard::symbol(icon, tint, 13, 22, card));
    auto* texts = new QVBoxLayout();
    texts->setSpacing(3);
    texts->addWidget(plainLabel(title, BrimlarkTheme::monoSemibold12(), BrimlarkTheme::textPrimary(), card));
    auto* under = plainLabel(subtitle, BrimlarkTheme::monoRegular10(), BrimlarkTheme::textSecondary(), card);
    under->setWordWrap(true);
    texts->addWidget(under);
    row->addLayout(texts, 1);
    auto* knob = new SelectionKnob(value(), card);
    row->addWidget(knob);
    connect(card, &QAbstractButton::clicked, this, [this, value, store] {
        store(!value());
        // The click toggled the card; the setting decides what is checked.
        showOptions();
    });
    m_options.append({card, knob, tint, std::move(value)});
    return card;
}

QWidget* VibeCodingStep::presetChip(Preset preset, const QString& label) {
    auto* card = new OnboardingCard({}, true, this);
    card->setCheckable(true);
    card->setText(label);
    card->setAccessibleName(label);
    auto* row = new QHBoxLayout(card);
    row->setContentsMargins(8, 6, 8, 6);
    auto* text = plainLabel(label, BrimlarkTheme::monoMedium10(), BrimlarkTheme::textSecondary(), card);
    text->setAlignment(Qt::AlignCenter);
    row->addWidget(text);
    connect(card, &QAbstractButton::clicked, this, [this, preset] {
        m_appState.setHookRulePreset(preset);
        showPreset();
    });
    m_chips.append({preset, card, text});
    return card;
}

QWidget* VibeCodingStep::toolStatusRow(const QString& tool, ToolStatus& status) {
    auto* card = new OnboardingCard({BrimlarkTheme::surface(), QColor(), 10}, false, this);
    card->setObjectName(tool + QStringLiteral("Status"));
    status.row = card;
    status.tool = tool;
    auto* row = new QHBoxLayout(card);
    row->setContentsMargins(12, 12, 12, 12);
    row->setSpacing(8);
    row->addWidget(plainLabel(tool, BrimlarkTheme::monoSemibold12(), BrimlarkTheme::textPrimary(), card));
    row->addStretch(1);
    status.granted =
        new BrimlarkStatusBadge(QStringLiteral("access ready"), BrimlarkTheme::accent(), false, card);
    status.needsAccess =
        new BrimlarkStatusBadge(QStringLiteral("needs access"), BrimlarkTheme::warning(), false, card);
    status.connected =
        new BrimlarkStatusBadge(QStringLiteral("connected"), BrimlarkTheme::accent(), false, card);
    status.notConnected =
        new BrimlarkStatusBadge(QStringLiteral("not connected"), BrimlarkTheme::textTertiary(), false, card);
    for (BrimlarkStatusBadge* badge :
         {status.granted, status.needsAccess, status.connected, status.notConnected})
        row->addWidget(badge);
    return card;
}

void VibeCodingStep::showOptions() {
    for (const Option& option : std::as_const(m_options)) {
        const bool on = option.value();
        option.card->setChecked(on);
        option.card->setLook({BrimlarkTheme::surface(),
                              on ? ColorBlend::faded(option.tint, 0.7) : BrimlarkTheme::stroke(), 10});
        option.knob->setOn(on, isVisible());
    }
    m_connectSelected->setEnabled(m_appState.allowClaudeHookInstall() || m_appState.allowCodexHookInstall());
}

void VibeCodingStep::showPreset() {
    for (const Chip& chip : std::as_const(m_chips)) {
        const bool selected = m_appState.hookRulePreset() == chip.preset;
        chip.card->setChecked(selected);
        chip.card->setLook(
            {selected ? ColorBlend::faded(BrimlarkTheme::warning(), 0.18) : BrimlarkTheme::surface(),
             selected ? BrimlarkTheme::warning() : BrimlarkTheme::stroke(), 16});
        QPalette palette = chip.label->palette();
        palette.setColor(QPalette::WindowText,
                         selected ? BrimlarkTheme::textPrimary() : BrimlarkTheme::textSecondary());
        chip.label->setPalette(palette);
    }
}

void VibeCodingStep::showStatuses() {
    const AIHookAccessStatus access = m_service.hookAccessStatus();
    const AIHookInstallationStatus installed = m_service.hookInstallationStatus();
    const auto show = [](const ToolStatus& status, bool granted, bool connected) {
        status.granted->setVisible(granted);
        status.needsAccess->setVisible(!granted);
        status.connected->setVisible(connected);
        status.notConnected->setVisible(!connected);
        // Read as one control: the tool, then its two badges as they show.
        const BrimlarkStatusBadge* reach = granted ? status.granted : status.needsAccess;
        const BrimlarkStatusBadge* link = connected ? status.connected : status.notConnected;
        status.row->setAccessibleName(status.tool + QStringLiteral(": ") + reach->label() +
                                      QStringLiteral(", ") + link->label());
    };
    show(m_claude, access.claudeGranted, installed.claudeInstalled);
    show(m_codex, access.codexGranted, installed.codexInstalled);
}

void VibeCodingStep::connectSelected() {
    // The service connects the tools its own settings allow.
    const AppState& settings = m_service.appState();
    m_service.installHooks(settings.allowClaudeHookInstall(), settings.allowCodexHookInstall());
}

void VibeCodingStep::connectBoth() {
    AppState& settings = m_service.appState();
    settings.setAllowClaudeHookInstall(true);
    settings.setAllowCodexHookInstall(true);
    m_service.installHooks(true, true);
}
