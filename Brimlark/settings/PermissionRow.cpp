#include "Brimlark/settings/PermissionRow.h"

#include "Brimlark/kit/BrimlarkStatusBadge.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PlainLabel.h"
#include "Brimlark/kit/SymbolIcon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {

// Calendar, camera and notifications in the accent colour, the others in the warning colour.
QColor iconColor(PermissionsCoordinator::Permission permission) {
    switch (permission) {
    case PermissionsCoordinator::Permission::reminders:
    case PermissionsCoordinator::Permission::microphone:
        return BrimlarkTheme::warning();
    case PermissionsCoordinator::Permission::calendar:
    case PermissionsCoordinator::Permission::camera:
    case PermissionsCoordinator::Permission::notifications:
        break;
    }
    return BrimlarkTheme::accent();
}

} // namespace

PermissionRow::PermissionRow(PermissionsCoordinator::Permission permission,
                             PermissionsCoordinator::State state, QWidget* parent)
    : QWidget(parent), m_permission(permission) {
    const QString name = PermissionsCoordinator::title(permission).toLower();
    setAccessibleName(name);
    m_layout = new QHBoxLayout(this);
    m_layout->setContentsMargins(12, 12, 12, 12);
    m_layout->setSpacing(8);

    auto* texts = new QVBoxLayout();
    texts->setSpacing(3);
    auto* titleLine = new QHBoxLayout();
    titleLine->setSpacing(6);
    auto* icon = new QLabel(this);
    const int side = QFontMetrics(BrimlarkTheme::monoSemibold11()).height();
    icon->setPixmap(symbolPixmap(PermissionsCoordinator::symbolName(permission), iconColor(permission),
                                 QSize(side, side), devicePixelRatioF()));
    icon->setObjectName(QStringLiteral("symbol"));
    titleLine->addWidget(icon);
    titleLine->addWidget(
        plainLabel(name, BrimlarkTheme::monoSemibold12(), BrimlarkTheme::textPrimary(), this));
    titleLine->addStretch(1);
    texts->addLayout(titleLine);
    QLabel* description = plainLabel(PermissionsCoordinator::reason(permission),
                                     BrimlarkTheme::monoRegular12(), BrimlarkTheme::textSecondary(), this);
    description->setWordWrap(true);
    texts->addWidget(description);
    m_layout->addLayout(texts, 1);
    setState(state);
}

void PermissionRow::setState(PermissionsCoordinator::State state) {
    auto* badge = new BrimlarkStatusBadge(badgeText(state), badgeColor(state), false, this);
    if (m_badge) {
        // The layout hands back the old badge's item, which is ours to free.
        delete m_layout->replaceWidget(m_badge, badge);
        delete m_badge;
    } else {
        m_layout->addWidget(badge, 0, Qt::AlignVCenter);
    }
    // At once, not on the layout's next turn.
    badge->show();
    m_badge = badge;
}

QString PermissionRow::badgeText(PermissionsCoordinator::State state) {
    switch (state) {
    case PermissionsCoordinator::State::granted:
        return QStringLiteral("granted");
    case PermissionsCoordinator::State::denied:
        return QStringLiteral("denied");
    case PermissionsCoordinator::State::writeOnly:
        return QStringLiteral("write only");
    case PermissionsCoordinator::State::unknown:
        break;
    }
    return QStringLiteral("not asked");
}

QColor PermissionRow::badgeColor(PermissionsCoordinator::State state) {
    switch (state) {
    case PermissionsCoordinator::State::granted:
        return BrimlarkTheme::success();
    case PermissionsCoordinator::State::denied:
        return BrimlarkTheme::danger();
    case PermissionsCoordinator::State::writeOnly:
        return BrimlarkTheme::warning();
    case PermissionsCoordinator::State::unknown:
        break;
    }
    return BrimlarkTheme::textTertiary();
}

void PermissionRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF edge = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath tile;
    tile.addRoundedRect(edge, 10, 10);
    painter.fillPath(tile, BrimlarkTheme::surface());
    painter.setPen(QPen(BrimlarkTheme::stroke(), 1.0));
    painter.drawPath(tile);
}
