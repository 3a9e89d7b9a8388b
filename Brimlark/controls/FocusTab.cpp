#include "Brimlark/controls/FocusTab.h"

#include "Brimlark/controls/FocusService.h"
#include "Brimlark/kit/BrimlarkRoundedButton.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PlainLabel.h"
#include "Brimlark/kit/SymbolIcon.h"
#include "platform/Workspace.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

constexpr int symbolSide = 13;

QString rgba(const QColor& color, qreal alpha) {
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg(color.red())
        .arg(color.green())
        .arg(color.blue())
        .arg(color.alphaF() * alpha);
}

// The shortcut's name in accent type on a faint accent plate.
QLabel* nameBadge(const QString& name, QWidget* parent) {
    QLabel* badge = plainLabel(name, BrimlarkTheme::monoSemibold13(), BrimlarkTheme::accent(), parent);
    const QColor& accent = BrimlarkTheme::accent();
    badge->setStyleSheet(QStringLiteral("QLabel { padding: 6px 10px; border-radius: 6px; background: %1;"
                                        " border: 1px solid %2; color: %3; }")
                             .arg(rgba(accent, 0.10), rgba(accent, 0.45), accent.name()));
    badge->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return badge;
}

} // namespace

const QString FocusTab::shortcutName = QStringLiteral("Brimlark.ToggleDND");

FocusTab::FocusTab(FocusService& service, Workspace& workspace, QWidget* parent)
    : QWidget(parent), m_service(service), m_workspace(workspace) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(16);
    column->addWidget(plainLabel(QStringLiteral("toggle do not disturb"), BrimlarkTheme::monoSemibold11(),
                                 BrimlarkTheme::textSecondary(), this));

    auto* instructions = new QVBoxLayout();
    instructions->setSpacing(8);
    QLabel* intro = plainLabel(QStringLiteral("brimlark triggers do not disturb by running \"shortcuts run "
                                              "NAME\": put an executable named shortcuts on the search "
                                              "path. the name it is run with:"),
                               BrimlarkTheme::monoRegular13(), BrimlarkTheme::textSecondary(), this);
    intro->setWordWrap(true);
    instructions->addWidget(intro);
    instructions->addWidget(nameBadge(shortcutName, this), 0, Qt::AlignLeft);
    QLabel* action = plainLabel(QStringLiteral("make that program toggle do not disturb when it is run with "
                                               "this name; exit status 0 means it worked."),
                                BrimlarkTheme::monoRegular12(), BrimlarkTheme::textTertiary(), this);
    action->setWordWrap(true);
    instructions->addWidget(action);
    column->addLayout(instructions);

    auto* buttons = new QHBoxLayout();
    buttons->setSpacing(8);
    using Look = BrimlarkRoundedButton::Look;
    m_toggle = new BrimlarkRoundedButton(QStringLiteral("toggle dnd now"),
                                         Look::filled(BrimlarkTheme::warning()), this);
    m_openShortcuts = new BrimlarkRoundedButton(QStringLiteral("open shortcuts"),
                                                Look::outlined(BrimlarkTheme::accent()), this);
    m_copyName =
        new BrimlarkRoundedButton(QStringLiteral("copy name"), Look::outlined(BrimlarkTheme::accent()), this);
    // The outcome shows through the service's last toggle, not through the answer.
    connect(m_toggle, &QAbstractButton::clicked, this, [this] { m_service.toggleDND({}); });
    // Linux has no shortcuts application of its own: the button says so instead of doing nothing.
    if (!m_workspace.hasShortcutsApplication()) {
        m_openShortcuts->setEnabled(false);
        m_openShortcuts->setToolTip(noShortcutsApplication());
        m_openShortcuts->setAccessibleDescription(noShortcutsApplication());
    }
    connect(m_openShortcuts, &QAbstractButton::clicked, this,
            [this] { m_workspace.openShortcutsApplication(); });
    connect(m_copyName, &QAbstractButton::clicked, this,
            [this] { m_workspace.setClipboardText(shortcutName); });
    buttons->addWidget(m_toggle, 0, Qt::AlignVCenter);
    buttons->addWidget(m_openShortcuts, 0, Qt::AlignVCenter);
    buttons->addWidget(m_copyName, 0, Qt::AlignVCenter);
    buttons->addStretch(1);
    column->addLayout(buttons);

    m_result = new QWidget(this);
    auto* resultRow = new QHBoxLayout(m_result);
    resultRow->setContentsMargins(0, 0, 0, 0);
    resultRow->setSpacing(6);
    m_resultSymbol = new QLabel(m_result);
    m_resultSymbol->setFixedSize(symbolSide, symbolSide);
    m_resultMessage =
        plainLabel(QString(), BrimlarkTheme::monoRegular12(), BrimlarkTheme::textSecondary(), m_result);
    m_resultMessage->setWordWrap(true);
    // The symbol sits level with the message's first line.
    resultRow->addWidget(m_resultSymbol, 0, Qt::AlignTop);
    resultRow->addWidget(m_resultMessage, 1, Qt::AlignTop);
    column->addWidget(m_result);
    column->addStretch(1);

    connect(&m_service, &FocusService::isTogglingDNDChanged, this, &FocusTab::sync);
    connect(&m_service, &FocusService::lastDNDToggleChanged, this, &FocusTab::sync);
    sync();
}

QString FocusTab::resultText() const {
    return m_result->isHidden() ? QString() : m_resultMessage->text();
}

void FocusTab::sync() {
    m_toggle->setEnabled(!m_service.isTogglingDND());
    const std::optional<FocusService::DNDToggleResult>& last = m_service.lastDNDToggle();
    if (!last) {
        m_result->hide();
        return;
    }
    const bool ran = last->exitCode == 0;
    const QColor& color = ran ? BrimlarkTheme::success() : BrimlarkTheme::danger();
    m_resultSymbol->setPixmap(symbolPixmap(ran ? QStringLiteral("checkmark.circle.fill")
                                               : QStringLiteral("exclamationmark.triangle.fill"),
                                           color, QSize(symbolSide, symbolSide), devicePixelRatioF()));
    m_resultMessage->setText(
        ran ? QStringLiteral(
                  "shortcuts ran. if dnd didn't change, check what the program does with the name.")
            : QStringLiteral("could not run \"shortcuts run %1\". make sure a shortcuts program on the "
                             "search path handles that name.")
                  .arg(shortcutName));
    // Shown once it holds its text, so the page lays it out at its wrapped height.
    m_result->show();
}
