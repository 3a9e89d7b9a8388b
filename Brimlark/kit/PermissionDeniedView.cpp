#include "Brimlark/kit/PermissionDeniedView.h"

#include "Brimlark/kit/BrimlarkCapsuleButton.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PlainLabel.h"
#include "Brimlark/kit/SymbolIcon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>

PermissionDeniedView::PermissionDeniedView(PermissionsCoordinator::Permission permission,
                                           std::function<void()> onRequest,
                                           PermissionsCoordinator* coordinator, QWidget* parent)
    : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(8);
    layout->addStretch(1);

    auto* shield = new QLabel(this);
    shield->setPixmap(symbolPixmap(QStringLiteral("lock.shield"), BrimlarkTheme::textTertiary(),
                                   QSize(22, 22), devicePixelRatioF()));
    shield->setAlignment(Qt::AlignCenter);
    layout->addWidget(shield, 0, Qt::AlignHCenter);

    auto* title =
        plainLabel(headline(permission), BrimlarkTheme::monoSemibold13(), BrimlarkTheme::textPrimary(), this);
    title->setAlignment(Qt::AlignCenter);
    title->setObjectName(QStringLiteral("headline"));
    layout->addWidget(title, 0, Qt::AlignHCenter);

    auto* reason = plainLabel(PermissionsCoordinator::reason(permission), BrimlarkTheme::monoRegular12(),
                              BrimlarkTheme::textSecondary(), this);
    reason->setAlignment(Qt::AlignCenter);
    reason->setWordWrap(true);
    reason->setObjectName(QStringLiteral("reason"));
    layout->addWidget(reason);

    auto* buttons = new QHBoxLayout();
    buttons->setSpacing(8);
    buttons->addStretch(1);
    if (onRequest) {
        auto* allow =
            new BrimlarkCapsuleButton(QStringLiteral("allow"), {BrimlarkTheme::warning(), true, 0.0, 14, 8},
                                      BrimlarkTheme::monoMedium13(), this);
        connect(allow, &QAbstractButton::clicked, this, [onRequest] { onRequest(); });
        buttons->addWidget(allow);
    }
    auto* settings = new BrimlarkCapsuleButton(QStringLiteral("open system settings"),
                                               {BrimlarkTheme::accent(), false, 0.55, 14, 8},
                                               BrimlarkTheme::monoMedium13(), this);
    settings->setObjectName(QStringLiteral("openSettings"));
    // Where the desktop has no place for the permission the button is shown, but cannot be pressed,
    // and says why.
    if (!coordinator || !coordinator->canOpenSettings(permission)) {
        settings->setEnabled(false);
        settings->setToolTip(noSettingsReason());
        settings->setAccessibleDescription(noSettingsReason());
    }
    QPointer<PermissionsCoordinator> target(coordinator);
    connect(settings, &QAbstractButton::clicked, this, [target, permission] {
        if (target)
            target->openSettings(permission);
    });
    buttons->addWidget(settings);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    layout->addStretch(1);
}

QString PermissionDeniedView::noSettingsReason() {
    return QStringLiteral("no settings application is installed on this desktop");
}

QString PermissionDeniedView::headline(PermissionsCoordinator::Permission permission) {
    return PermissionsCoordinator::title(permission).toLower() + QStringLiteral(" access required");
}
