#include "Brimlark/settings/onboarding/PermissionsStep.h"

#include "Brimlark/kit/BrimlarkRoundedButton.h"
#include "Brimlark/kit/BrimlarkStatusBadge.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PlainLabel.h"
#include "Brimlark/settings/PermissionRow.h"
#include "Brimlark/settings/onboarding/OnboardingCard.h"
#include "Brimlark/settings/onboarding/OnboardingView.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

using Permission = PermissionsCoordinator::Permission;
using State = PermissionsCoordinator::State;

constexpr Permission allPermissions[] = {Permission::calendar, Permission::reminders, Permission::camera,
                                         Permission::microphone, Permission::notifications};

QColor tintFor(Permission permission) {
    return permission == Permission::reminders || permission == Permission::microphone
               ? BrimlarkTheme::warning()
               : BrimlarkTheme::accent();
}

} // namespace

QWidget* bringOnboardingWindowForward() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() != OnboardingView::windowIdentifier || !window->isVisible())
            continue;
        window->raise();
        window->activateWindow();
        return window;
    }
    return nullptr;
}

PermissionsStep::PermissionsStep(PermissionsCoordinator& permissions, QWidget* parent)
    : QWidget(parent), m_permissions(permissions) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(12);
    column->addWidget(plainLabel(tr("your wishes, your choices"), BrimlarkTheme::monoSemibold16(),
                                 BrimlarkTheme::textPrimary(), this));
    auto* blurb = plainLabel(tr("permissions are required only for the features you use. select the ones you "
                                "need or turn them all on for the full experience."),
                             BrimlarkTheme::monoRegular13(), BrimlarkTheme::textSecondary(), this);
    blurb->setWordWrap(true);
    column->addWidget(blurb);

    auto* actions = new QHBoxLayout();
    actions->setSpacing(8);
    m_allowAll =
        new BrimlarkRoundedButton(QStringLiteral("allow all permissions"),
                                  BrimlarkRoundedButton::Look::filled(BrimlarkTheme::warning()), this);
    connect(m_allowAll, &QAbstractButton::clicked, this, &PermissionsStep::allowAll);
    actions->addWidget(m_allowAll);
    m_openDenied =
        new BrimlarkRoundedButton(QStringLiteral("open denied permission"),
                                  BrimlarkRoundedButton::Look::outlined(BrimlarkTheme::accent()), this);
    connect(m_openDenied, &QAbstractButton::clicked, this, [this] {
        if (const std::optional<Permission> denied = openableDenied())
            m_permissions.openSettings(*denied);
    });
    actions->addWidget(m_openDenied);
    actions->addStretch(1);
    column->addLayout(actions);

    auto* rows = new QVBoxLayout();
    rows->setSpacing(4);
    for (Permission permission : allPermissions)
        rows->addWidget(permissionRow(permission));
    column->addLayout(rows);
    column->addStretch(1);

    connect(&permissions, &PermissionsCoordinator::stateChanged, this, &PermissionsStep::showStates);
    showStates();
}

QWidget* PermissionsStep::permissionRow(Permission permission) {
    auto* card = new OnboardingCard({BrimlarkTheme::surface(), BrimlarkTheme::stroke(), 10}, false, this);
    card->setObjectName(QVariant::fromValue(permission).toString() + QStringLiteral("Row"));
    auto* row = new QHBoxLayout(card);
    row->setContentsMargins(12, 12, 12, 12);
    row->setSpacing(8);
    row->addWidget(OnboardingCard::symbol(PermissionsCoordinator::symbolName(permission), tintFor(permission),
                                          13, 22, card));
    auto* texts = new QVBoxLayout();
    texts->setSpacing(2);
    texts->addWidget(plainLabel(PermissionsCoordinator::title(permission).toLower(),
                                BrimlarkTheme::monoSemibold12(), BrimlarkTheme::textPrimary(), card));
    auto* reason = plainLabel(PermissionsCoordinator::reason(permission), BrimlarkTheme::monoRegular12(),
                              BrimlarkTheme::textSecondary(), card);
    reason->setWordWrap(true);
    texts->addWidget(reason);
    row->addLayout(texts, 1);

    card->setAccessibleDescription(PermissionsCoordinator::reason(permission));
    Row controls;
    controls.card = card;
    controls.ready = new BrimlarkStatusBadge(QStringLiteral("ready"), BrimlarkTheme::success(), false, card);
    row->addWidget(controls.ready);
    controls.allow = new BrimlarkRoundedButton(
        QStringLiteral("allow"), BrimlarkRoundedButton::Look::outlined(tintFor(permission)), card);
    connect(controls.allow, &QAbstractButton::clicked, this, [this, permission] { request(permission); });
    row->addWidget(controls.allow);
    m_rows.insert(permission, controls);
    return card;
}

void PermissionsStep::showStates() {
    for (auto it = m_rows.cbegin(); it != m_rows.cend(); ++it) {
        const State state = m_permissions.state(it.key());
        const bool granted = state == State::granted;
        it->ready->setVisible(granted);
        it->allow->setVisible(!granted);
        // The card is read as one control: its permission and that permission's state.
        it->card->setAccessibleName(PermissionsCoordinator::title(it.key()).toLower() + QStringLiteral(": ") +
                                    PermissionRow::badgeText(state));
    }
    // The requests ask only what was never asked; a refused one changes in the desktop's settings.
    const bool asks = m_permissions.hasUnaskedPermissions();
    setReason(m_allowAll, asks ? QString() : QStringLiteral("every permission has been asked for"));
    const QList<Permission> denied = m_permissions.deniedPermissions();
    m_openDenied->setVisible(!denied.isEmpty());
    setReason(m_openDenied, denied.isEmpty() || openableDenied()
                                ? QString()
                                : QStringLiteral("nothing on this desktop opens the settings of ") +
                                      PermissionsCoordinator::title(denied.first()).toLower());
}

std::optional<PermissionsCoordinator::Permission> PermissionsStep::openableDenied() const {
    for (Permission permission : m_permissions.deniedPermissions()) {
        if (m_permissions.canOpenSettings(permission))
            return permission;
    }
    return std::nullopt;
}

void PermissionsStep::setReason(QAbstractButton* button, const QString& reason) {
    button->setEnabled(reason.isEmpty());
    button->setToolTip(reason);
    button->setAccessibleDescription(reason);
}

void PermissionsStep::allowAll() {
    m_permissions.requestAll([] { bringOnboardingWindowForward(); });
}

void PermissionsStep::request(Permission permission) {
    const auto forward = [](State) { bringOnboardingWindowForward(); };
    switch (permission) {
    case Permission::calendar:
        m_permissions.requestCalendar(forward);
        return;
    case Permission::reminders:
        m_permissions.requestReminders(forward);
        return;
    case Permission::camera:
        m_permissions.requestCamera(forward);
        return;
    case Permission::microphone:
        m_permissions.requestMicrophone(forward);
        return;
    case Permission::notifications:
        m_permissions.requestNotifications(forward);
        return;
    }
}
