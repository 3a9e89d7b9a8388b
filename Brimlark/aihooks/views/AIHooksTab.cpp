#include "Brimlark/aihooks/views/AIHooksTab.h"

#include "Brimlark/aihooks/AIHooksService.h"
#include "Brimlark/aihooks/views/AIHooksCheckRow.h"
#include "Brimlark/aihooks/views/AIHooksConnectedBadge.h"
#include "Brimlark/aihooks/views/AIHooksDot.h"
#include "Brimlark/core/AppState.h"
#include "Brimlark/kit/BrimlarkRoundedButton.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PlainLabel.h"
#include "Brimlark/kit/SymbolIcon.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

using Preset = AppState::HookRulePreset;

QColor toolTint(AIHookTool tool) {
    return tool == AIHookTool::codex ? BrimlarkTheme::accent() : BrimlarkTheme::warning();
}

QString toolSymbol(AIHookTool tool) {
    return tool == AIHookTool::codex ? QStringLiteral("terminal.fill") : QStringLiteral("sparkles");
}

QString presetLabel(Preset preset) {
    switch (preset) {
    case Preset::approvalsOnly:
        return QStringLiteral("approvals only");
    case Preset::focused:
        return QStringLiteral("focused");
    case Preset::fullFeed:
        break;
    }
    return QStringLiteral("full feed");
}

} // namespace

AIHooksTab::AIHooksTab(AIHooksService& service, AppState& appState, QWidget* parent)
    : QWidget(parent), m_service(&service), m_appState(appState) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // The tab keeps its natural height at the top of whatever room it gets.
    layout->addStretch(1);
    connect(&service, &AIHooksService::isListeningChanged, this, &AIHooksTab::rebuild);
    connect(&service, &AIHooksService::hookAccessStatusChanged, this, &AIHooksTab::rebuild);
    connect(&service, &AIHooksService::hookInstallationStatusChanged, this, &AIHooksTab::rebuild);
    connect(&service, &AIHooksService::lastErrorChanged, this, &AIHooksTab::rebuild);
    connect(&service, &AIHooksService::lastInstallMessageChanged, this, &AIHooksTab::rebuild);
    connect(&appState, &AppState::hookRulePresetChanged, this, &AIHooksTab::rebuild);
    connect(&appState, &AppState::showOtherHookClientsChanged, this, &AIHooksTab::rebuild);
    rebuild();
}

bool AIHooksTab::anyToolConnected() const {
    const auto installed = m_service->hookInstallationStatus();
    return installed.codexInstalled || installed.claudeInstalled;
}

QString AIHooksTab::statusTitle() const {
    const auto installed = m_service->hookInstallationStatus();
    if (installed.codexInstalled && !installed.claudeInstalled)
        return QStringLiteral("codex is connected");
    if (installed.claudeInstalled && !installed.codexInstalled)
        return QStringLiteral("claude is connected");
    if (anyToolConnected())
        return QStringLiteral("ai hooks are ready");
    return QStringLiteral("connect a coding tool");
}

QString AIHooksTab::statusSubtitle() const {
    return anyToolConnected() ? QStringLiteral("local only. approvals, finishes, and errors.")
                              : QStringLiteral("grant access once and connect codex or claude.");
}

QString AIHooksTab::toolStateText(AIHookTool tool) const {
    const auto installed = m_service->hookInstallationStatus();
    const auto access = m_service->hookAccessStatus();
    const bool isInstalled = tool == AIHookTool::codex ? installed.codexInstalled : installed.claudeInstalled;
    const bool isGranted = tool == AIHookTool::codex ? access.codexGranted : access.claudeGranted;
    if (isInstalled)
        return QStringLiteral("connected and ready");
    if (isGranted)
        return QStringLiteral("access granted, ready to connect");
    return QStringLiteral("needs one-time folder access");
}

QString AIHooksTab::messageText() const {
    if (!m_service->lastError().isEmpty())
        return m_service->lastError().toLower();
    return m_service->lastInstallMessage().toLower();
}

QColor AIHooksTab::messageColor() const {
    return m_service->lastError().isEmpty() ? BrimlarkTheme::accent() : BrimlarkTheme::danger();
}

void AIHooksTab::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_service)
        m_service->refreshStatus();
}

void AIHooksTab::rebuild() {
    if (!m_service)
        return;
    // The old content may hold the button whose press led here, so it goes on the next turn.
    if (m_content) {
        m_content->hide();
        layout()->removeWidget(m_content);
        m_content->deleteLater();
    }
    m_content = new QWidget(this);
    auto* column = new QVBoxLayout(m_content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(24);
    column->addWidget(buildStatusRow(m_content));
    column->addWidget(buildSection(
        m_content, QStringLiteral("connect once"),
        {buildToolRow(m_content, AIHookTool::codex), buildToolRow(m_content, AIHookTool::claude)}));

    auto* others = new AIHooksCheckRow(tr("include other local tools"), m_content);
    others->setObjectName(QStringLiteral("otherToolsRow"));
    others->setOn(m_appState.showOtherHookClients());
    connect(others, &QAbstractButton::clicked, this,
            [this] { m_appState.setShowOtherHookClients(!m_appState.showOtherHookClients()); });
    column->addWidget(buildSection(m_content, QStringLiteral("show only important coding moments"),
                                   {buildPresetRow(m_content), others}));

    const QString message = messageText();
    if (!message.isEmpty()) {
        auto* line = plainLabel(message, BrimlarkTheme::monoMedium10(), messageColor(), m_content);
        line->setObjectName(QStringLiteral("messageLine"));
        line->setWordWrap(true);
        column->addWidget(line);
    }
    static_cast<QVBoxLayout*>(layout())->insertWidget(0, m_content);
}

QWidget* AIHooksTab::buildStatusRow(QWidget* parent) {
    auto* status = new QWidget(parent);
    auto* row = new QHBoxLayout(status);
    row->setContentsMargins(0, 4, 0, 4);
    row->setSpacing(8);
    row->addWidget(new AIHooksDot(
        m_service->isListening() ? BrimlarkTheme::accent() : BrimlarkTheme::danger(), 8, status));
    auto* titles = new QVBoxLayout();
    titles->setSpacing(3);
    titles->addWidget(
        plainLabel(statusTitle(), BrimlarkTheme::monoSemibold13(), BrimlarkTheme::textPrimary(), status));
    titles->addWidget(
        plainLabel(statusSubtitle(), BrimlarkTheme::monoRegular12(), BrimlarkTheme::textSecondary(), status));
    row->addLayout(titles);
    row->addStretch(1);
    auto* test = new BrimlarkRoundedButton(
        QStringLiteral("send test"), BrimlarkRoundedButton::Look::outlined(BrimlarkTheme::warning()), status);
    test->setEnabled(anyToolConnected());
    connect(test, &QAbstractButton::clicked, this, [this] {
        if (m_service)
            m_service->sendTestEvent();
    });
    row->addWidget(test);
    return status;
}

QWidget* AIHooksTab::buildSection(QWidget* parent, const QString& caption, const QList<QWidget*>& rows) {
    auto* section = new QWidget(parent);
    auto* column = new QVBoxLayout(section);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(12);
    column->addWidget(
        plainLabel(caption, BrimlarkTheme::monoSemibold11(), BrimlarkTheme::textSecondary(), section));
    for (QWidget* row : rows) {
        row->setParent(section);
        column->addWidget(row);
    }
    return section;
}

QWidget* AIHooksTab::buildToolRow(QWidget* parent, AIHookTool tool) {
    const QColor tint = toolTint(tool);
    const auto installed = m_service->hookInstallationStatus();
    const auto access = m_service->hookAccessStatus();
    const bool isInstalled = tool == AIHookTool::codex ? installed.codexInstalled : installed.claudeInstalled;
    const bool isGranted = tool == AIHookTool::codex ? access.codexGranted : access.claudeGranted;

    auto* toolRow = new QWidget(parent);
    toolRow->setObjectName(aiHookToolKey(tool) + QStringLiteral("Row"));
    auto* row = new QHBoxLayout(toolRow);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    auto* symbol = new QLabel(toolRow);
    const int symbolSize = QFontMetrics(BrimlarkTheme::monoSemibold11()).height();
    symbol->setPixmap(
        symbolPixmap(toolSymbol(tool), tint, QSize(symbolSize, symbolSize), devicePixelRatioF()));
    symbol->setFixedWidth(18);
    symbol->setAlignment(Qt::AlignCenter);
    row->addWidget(symbol);

    auto* texts = new QVBoxLayout();
    texts->setSpacing(2);
    texts->addWidget(plainLabel(aiHookToolKey(tool), BrimlarkTheme::monoSemibold12(),
                                BrimlarkTheme::textPrimary(), toolRow));
    texts->addWidget(plainLabel(toolStateText(tool), BrimlarkTheme::monoRegular12(),
                                BrimlarkTheme::textSecondary(), toolRow));
    row->addLayout(texts);
    row->addStretch(1);

    // A lost folder grant asks for the folder again, even with the hooks still in place.
    if (!isGranted) {
        auto* grant = new BrimlarkRoundedButton(QStringLiteral("grant access"),
                                                BrimlarkRoundedButton::Look::outlined(tint), toolRow);
        connect(grant, &QAbstractButton::clicked, this, [this, tool] {
            if (m_service)
                m_service->grantAccess(tool);
        });
        row->addWidget(grant);
    } else if (!isInstalled) {
        auto* connectButton = new BrimlarkRoundedButton(QStringLiteral("connect"),
                                                        BrimlarkRoundedButton::Look::filled(tint), toolRow);
        connect(connectButton, &QAbstractButton::clicked, this, [this, tool] {
            if (m_service)
                m_service->installHooks(tool == AIHookTool::claude, tool == AIHookTool::codex);
        });
        row->addWidget(connectButton);
    } else {
        row->addWidget(new AIHooksConnectedBadge(tint, toolRow));
    }
    return toolRow;
}

QWidget* AIHooksTab::buildPresetRow(QWidget* parent) {
    auto* presets = new QWidget(parent);
    presets->setObjectName(QStringLiteral("presetRow"));
    auto* row = new QHBoxLayout(presets);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    for (Preset preset : {Preset::approvalsOnly, Preset::focused, Preset::fullFeed}) {
        const bool selected = m_appState.hookRulePreset() == preset;
        BrimlarkRoundedButton::Look look{selected ? BrimlarkTheme::warning() : BrimlarkTheme::notchBlack(),
                                         selected ? BrimlarkTheme::warning() : BrimlarkTheme::stroke(),
                                         selected ? BrimlarkTheme::black() : BrimlarkTheme::textPrimary(), 0,
                                         10};
        auto* option = new BrimlarkRoundedButton(presetLabel(preset), look, presets);
        option->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        connect(option, &QAbstractButton::clicked, this,
                [this, preset] { m_appState.setHookRulePreset(preset); });
        row->addWidget(option, 1);
    }
    return presets;
}
