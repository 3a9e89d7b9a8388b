#include "Brimlark/settings/PermissionsTab.h"

#include "Brimlark/core/EnumText.h"
#include "Brimlark/core/PermissionsCoordinator.h"
#include "Brimlark/kit/BrimlarkRoundedButton.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PlainLabel.h"
#include "Brimlark/settings/PermissionRow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

QLabel* wrappingLabel(const QString& text, const QFont& font, const QColor& color, QWidget* parent) {
    QLabel* label = plainLabel(text, font, color, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

PermissionsTab::PermissionsTab(PermissionsCoordinator& permissions, QWidget* parent)
    : QWidget(parent), m_permissions(&permissions) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(12);
    column->addWidget(wrappingLabel(QStringLiteral("permissions are required only for the features you use. "
                                                   "select the ones you need or turn them all on for the "
                                                   "full experience."),
                                    BrimlarkTheme::monoRegular13(), BrimlarkTheme::textSecondary(), this));

    m_allowAll =
        new BrimlarkRoundedButton(QStringLiteral("allow all permissions"),
                                  BrimlarkRoundedButton::Look::filled(BrimlarkTheme::warning()), this);
    // The requests go on after the page is left; their answers come back as new states.
    connect(m_allowAll, &QAbstractButton::clicked, this, [this] {
        if (m_permissions)
            m_permissions->requestAll();
    });
    m_refresh =
        new BrimlarkRoundedButton(QStringLiteral("refresh statuses"),
                                  BrimlarkRoundedButton::Look::outlined(BrimlarkTheme::accent()), this);
    connect(m_refresh, &QAbstractButton::clicked, this, [this] {
        if (m_permissions)
            m_permissions->refresh();
    });
    m_systemSettings =
        new BrimlarkRoundedButton(QStringLiteral("open system settings"),
                                  BrimlarkRoundedButton::Look::outlined(BrimlarkTheme::accent()), this);
    connect(m_systemSettings, &QAbstractButton::clicked, this, &PermissionsTab::openSystemSettings);
    // Without GNOME Settings the button would lead nowhere: it says so from the start.
    if (!permissions.canOpenPrivacySettings())
        disableWithReason(m_systemSettings, QStringLiteral("GNOME Settings (gnome-control-center) is not "
                                                           "installed"));
    // The three titles side by side are wider than the page: the first button takes a line of its
    // own, so that no title is cut and nothing runs past the page's edge.
    auto* buttons = new QVBoxLayout();
    buttons->setSpacing(8);
    for (const QList<BrimlarkRoundedButton*>& line :
         {QList<BrimlarkRoundedButton*>{m_allowAll},
          QList<BrimlarkRoundedButton*>{m_refresh, m_systemSettings}}) {
        auto* row = new QHBoxLayout();
        row->setSpacing(8);
        for (BrimlarkRoundedButton* button : line) {
            // The titles stay whole on one line; the texts around them wrap instead.
            button->setMinimumSize(button->sizeHint());
            row->addWidget(button);
        }
        row->addStretch(1);
        buttons->addLayout(row);
    }
    column->addLayout(buttons);

    column->addWidget(wrappingLabel(QStringLiteral("once everything is granted, the big permission button "
                                                   "steps aside and lets the status view stay clean."),
                                    BrimlarkTheme::monoRegular12(), BrimlarkTheme::textTertiary(), this));

    for (PermissionsCoordinator::Permission permission : allCases<PermissionsCoordinator::Permission>()) {
        auto* row = new PermissionRow(permission, permissions.state(permission), this);
        column->addWidget(row);
        m_rows.append(row);
    }
    connect(&permissions, &PermissionsCoordinator::stateChanged, this,
            [this](PermissionsCoordinator::Permission permission, PermissionsCoordinator::State state) {
                m_rows.at(int(allCases<PermissionsCoordinator::Permission>().indexOf(permission)))
                    ->setState(state);
                showAllowAll();
            });
    showAllowAll();
}

void PermissionsTab::showAllowAll() {
    // The requests ask only what was never asked; a denied permission changes in the desktop's
    // settings.
    const bool asks = m_permissions && m_permissions->hasUnaskedPermissions();
    const QString reason = asks ? QString() : QStringLiteral("every permission has been asked for");
    m_allowAll->setEnabled(asks);
    m_allowAll->setToolTip(reason);
    m_allowAll->setAccessibleDescription(reason);
}

void PermissionsTab::disableWithReason(QAbstractButton* button, const QString& reason) {
    button->setEnabled(false);
    button->setToolTip(reason);
    button->setAccessibleDescription(reason);
}

void PermissionsTab::openSystemSettings() {
    if (!m_permissions || m_permissions->openPrivacySettings())
        return;
    // Nothing could be opened here (the platform logged why); the button says so instead of
    // staying a dead end.
    disableWithReason(m_systemSettings, QStringLiteral("this desktop has no privacy settings to open"));
}
