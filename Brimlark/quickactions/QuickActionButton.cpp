#include "Brimlark/quickactions/QuickActionButton.h"

#include "Brimlark/kit/BrimlarkButtonStyle.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/ColorBlend.h"
#include "Brimlark/kit/SymbolIcon.h"
#include "Brimlark/quickactions/QuickActionLook.h"

#include <QMouseEvent>
#include <QPainter>
#include <QVariantAnimation>

#include <cmath>

namespace {
constexpr int bounceMs = 320;
constexpr qreal bounceScale = 0.2;
// The symbol's square, matching a 16-point semibold glyph.
constexpr qreal symbolSide = 17;
constexpr qreal focusOpacity = 0.6;

} // namespace

QuickActionButton::QuickActionButton(QuickAction::Kind kind, QWidget* parent)
    : QAbstractButton(parent), m_kind(kind), m_color(QuickActionLook::color(kind)),
      m_hoverAnimation(new QVariantAnimation(this)), m_bounceAnimation(new QVariantAnimation(this)) {
    setFixedSize(diameter, diameter);
    setAccessibleName(QuickActionLook::buttonName(kind));
    setToolTip(QuickActionLook::stateText(kind, false));
    setCheckable(true);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    BrimlarkButtonStyle(0.92, 0.92).apply(this);
    // Focus is listed for completeness but is not a tap target.
    setEnabled(!isFocusButton());

    const BrimlarkAnimation& ease = BrimlarkTheme::quickEase();
    m_hoverAnimation->setDuration(ease.durationMs());
    m_hoverAnimation->setEasingCurve(ease.easingCurve());
    connect(m_hoverAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_hover = value.toReal();
        update();
    });
    m_bounceAnimation->setDuration(bounceMs);
    m_bounceAnimation->setStartValue(0.0);
    m_bounceAnimation->setEndValue(1.0);
    connect(m_bounceAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_bounce = value.toReal();
        update();
    });
    connect(m_bounceAnimation, &QVariantAnimation::finished, this, [this] {
        m_bounce = 0.0;
        update();
    });

    m_holdTimer.setSingleShot(true);
    m_holdTimer.setInterval(holdMs);
    connect(&m_holdTimer, &QTimer::timeout, this, [this] {
        if (!isDown())
            return;
        m_heldThrough = true;
        setDown(false);
        emit alternateTriggered();
    });
    // A right click (or the menu key) asks for the alternate; the panel leaves such a click to it.
    connect(this, &QWidget::customContextMenuRequested, this, [this] {
        if (hasAlternate() && isEnabled())
            emit alternateTriggered();
    });
}

void QuickActionButton::setActive(bool active) {
    if (m_active == active)
        return;
    m_active = active;
    setChecked(active);
    updateToolTip();
    m_bounceAnimation->stop();
    m_bounceAnimation->start();
    update();
}

void QuickActionButton::setHovered(bool hovered, bool animated) {
    if (m_hovered == hovered)
        return;
    m_hovered = hovered;
    m_hoverAnimation->stop();
    if (!animated) {
        m_hover = hovered ? 1.0 : 0.0;
        update();
        return;
    }
    m_hoverAnimation->setStartValue(m_hover);
    m_hoverAnimation->setEndValue(hovered ? 1.0 : 0.0);
    m_hoverAnimation->start();
}

void QuickActionButton::setProblem(const QString& problem) {
    m_problem = problem;
    updateToolTip();
}

void QuickActionButton::setAlternate(const QString& hint) {
    m_alternateHint = hint;
    setContextMenuPolicy(hint.isEmpty() ? Qt::DefaultContextMenu : Qt::CustomContextMenu);
    if (hint.isEmpty())
        m_holdTimer.stop();
    updateToolTip();
}

void QuickActionButton::updateToolTip() {
    const QString title = QuickActionLook::stateText(m_kind, m_active);
    QString tip = m_problem.isEmpty() ? title : title + QStringLiteral(": ") + m_problem;
    if (!m_alternateHint.isEmpty())
        tip += QLatin1Char('\n') + m_alternateHint;
    setToolTip(tip);
    QStringList description;
    if (!m_problem.isEmpty())
        description.append(m_problem);
    if (!m_alternateHint.isEmpty())
        description.append(m_alternateHint);
    setAccessibleDescription(description.join(QStringLiteral("; ")));
}

void QuickActionButton::mousePressEvent(QMouseEvent* event) {
    m_heldThrough = false;
    QAbstractButton::mousePressEvent(event);
    if (hasAlternate() && event->button() == Qt::LeftButton && isDown())
        m_holdTimer.start();
}

void QuickActionButton::mouseMoveEvent(QMouseEvent* event) {
    // After a held press ran the alternate, moving back over the button does not re-arm a click.
    if (m_heldThrough) {
        event->accept();
        return;
    }
    QAbstractButton::mouseMoveEvent(event);
}

void QuickActionButton::mouseReleaseEvent(QMouseEvent* event) {
    m_holdTimer.stop();
    if (m_heldThrough && event->button() == Qt::LeftButton) {
        m_heldThrough = false;
        event->accept();
        return;
    }
    QAbstractButton::mouseReleaseEvent(event);
}

QString QuickActionButton::symbolName() const {
    return QuickActionLook::symbol(m_kind, m_active);
}

QSize QuickActionButton::sizeHint() const {
    return {diameter, diameter};
}

bool QuickActionButton::hitButton(const QPoint& position) const {
    const QPointF d = QPointF(position) - QRectF(rect()).center();
    return d.x() * d.x() + d.y() * d.y() <= (diameter / 2.0) * (diameter / 2.0);
}

void QuickActionButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (isFocusButton())
        painter.setOpacity(focusOpacity);
    const QRectF disc = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);

    if (m_active) {
        painter.setBrush(ColorBlend::faded(m_color, 0.12));
        painter.setPen(QPen(ColorBlend::faded(m_color, 0.45), 1));
        painter.drawEllipse(disc);
        painter.save();
        painter.setCompositionMode(QPainter::CompositionMode_Plus);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QBrush(BrimlarkTheme::cardSheen()), 1));
        painter.drawEllipse(disc);
        painter.restore();
    } else if (m_hover > 0) {
        painter.setBrush(ColorBlend::faded(QColor(Qt::white), 0.05 * m_hover));
        painter.setPen(QPen(ColorBlend::faded(m_color, 0.22 * m_hover), 1));
        painter.drawEllipse(disc);
    }

    QColor tint = BrimlarkTheme::textSecondary();
    if (isFocusButton())
        tint = BrimlarkTheme::textTertiary();
    else if (m_active)
        tint = m_color;
    else if (m_hover > 0)
        tint = ColorBlend::blend(BrimlarkTheme::textSecondary(), m_color, m_hover);
    const qreal side = symbolSide * (1.0 + bounceScale * std::sin(M_PI * m_bounce));
    const QPointF centre = disc.center();
    paintSymbol(painter, QRectF(centre.x() - side / 2, centre.y() - side / 2, side, side), symbolName(),
                tint);
}
