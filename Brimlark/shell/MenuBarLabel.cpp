#include "MenuBarLabel.h"

#include "Brimlark/aihooks/AIHooksService.h"
#include "Brimlark/controls/TimerService.h"
#include "Brimlark/surface/BrimlarkAnimation.h"
#include "platform/Accessibility.h"

#include <QSystemTrayIcon>
#include <QVariantAnimation>

#include <cmath>

namespace {

constexpr qreal restingOpacity = 0.45;
constexpr qreal pulsedScale = 1.15;

qreal opacityAt(qreal pulse) {
    return restingOpacity + (1.0 - restingOpacity) * pulse;
}

qreal scaleAt(qreal pulse) {
    return 1.0 + (pulsedScale - 1.0) * pulse;
}

QEasingCurve easeOut() {
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0.0, 0.0), QPointF(0.58, 1.0), QPointF(1.0, 1.0));
    return curve;
}

} // namespace

MenuBarLabel::MenuBarLabel(QSystemTrayIcon& trayIcon, AIHooksService* aiHooks, TimerService* timer,
                           Accessibility* accessibility, QObject* parent)
    : QObject(parent), m_trayIcon(trayIcon), m_aiHooks(aiHooks), m_timer(timer),
      m_accessibility(accessibility), m_pulse(new QVariantAnimation(this)),
      m_settle(new QVariantAnimation(this)) {
    const BrimlarkAnimation leg = BrimlarkAnimation::easeInOut(0.85);
    m_pulse->setStartValue(0.0);
    m_pulse->setEndValue(1.0);
    m_pulse->setDuration(leg.durationMs());
    m_pulse->setEasingCurve(leg.easingCurve());
    connect(m_pulse, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        showLook(opacityAt(value.toDouble()), scaleAt(value.toDouble()));
    });
    // Repeats for as long as the dot pulses, each leg the other way round.
    connect(m_pulse, &QAbstractAnimation::finished, this, [this] {
        if (!m_isPulsing)
            return;
        m_pulse->setDirection(m_pulse->direction() == QAbstractAnimation::Forward
                                  ? QAbstractAnimation::Backward
                                  : QAbstractAnimation::Forward);
        m_pulse->start();
    });

    m_settle->setStartValue(0.0);
    m_settle->setEndValue(1.0);
    m_settle->setDuration(200);
    m_settle->setEasingCurve(easeOut());
    connect(m_settle, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        const qreal t = value.toDouble();
        showLook(m_settleFromOpacity + (1.0 - m_settleFromOpacity) * t,
                 m_settleFromScale + (1.0 - m_settleFromScale) * t);
    });

    if (m_aiHooks) {
        connect(m_aiHooks, &AIHooksService::eventsChanged, this, &MenuBarLabel::update);
        connect(m_aiHooks, &AIHooksService::displayFilterChanged, this, &MenuBarLabel::update);
    }
    if (m_timer)
        connect(m_timer, &TimerService::activeChanged, this, &MenuBarLabel::update);
    update();
}

bool MenuBarLabel::isAnimating() const {
    return m_pulse->state() == QAbstractAnimation::Running ||
           m_settle->state() == QAbstractAnimation::Running;
}

void MenuBarLabel::update() {
    const std::optional<HookEvent> active = m_aiHooks ? m_aiHooks->activeEvent() : std::nullopt;
    const bool timerRunning = m_timer && m_timer->active().has_value();
    const std::optional<QColor> color = StatusObserver::dotColorFor(active, timerRunning);
    const bool pulsing = StatusObserver::isPulsingFor(active);
    // Hook events arrive often; most leave the dot as it is, and the tray is not asked to redraw.
    if (m_redrawCount > 0 && color == m_statusObserver.dotColor() && pulsing == m_isPulsing)
        return;
    const bool hadDot = m_statusObserver.dotColor().has_value();
    const bool wasPulsing = m_isPulsing;
    m_statusObserver.setDotColor(color);
    m_isPulsing = pulsing;
    const bool hasDot = color.has_value();

    if (!hasDot) {
        m_pulse->stop();
        m_settle->stop();
        m_statusObserver.setDotLook(1.0, 1.0);
    } else if (!hadDot || m_isPulsing != wasPulsing) {
        runPulseUpdate();
    }
    redraw();
}

void MenuBarLabel::runPulseUpdate() {
    const bool reduceMotion = m_accessibility && m_accessibility->reduceMotion();
    m_pulse->stop();
    m_settle->stop();
    if (m_isPulsing) {
        if (reduceMotion) {
            m_statusObserver.setDotLook(opacityAt(1.0), scaleAt(1.0));
            return;
        }
        m_statusObserver.setDotLook(opacityAt(0.0), scaleAt(0.0));
        m_pulse->setDirection(QAbstractAnimation::Forward);
        m_pulse->start();
        return;
    }
    const bool atRest = m_statusObserver.dotOpacity() == 1.0 && m_statusObserver.dotScale() == 1.0;
    if (reduceMotion || atRest) {
        m_statusObserver.setDotLook(1.0, 1.0);
        return;
    }
    m_settleFromOpacity = m_statusObserver.dotOpacity();
    m_settleFromScale = m_statusObserver.dotScale();
    m_settle->start();
}

void MenuBarLabel::showLook(qreal opacity, qreal scale) {
    m_statusObserver.setDotLook(opacity, scale);
    // The tray takes a whole new picture per change: about ten per leg of the pulse are enough to
    // look smooth at its size, and each leg ends on its exact look.
    const bool step = std::abs(opacity - m_drawnOpacity) >= 0.055 || std::abs(scale - m_drawnScale) >= 0.015;
    const bool end = (opacity == opacityAt(0.0) || opacity == 1.0) && opacity != m_drawnOpacity;
    if (step || end)
        redraw();
}

void MenuBarLabel::redraw() {
    m_drawnOpacity = m_statusObserver.dotOpacity();
    m_drawnScale = m_statusObserver.dotScale();
    ++m_redrawCount;
    m_trayIcon.setIcon(m_statusObserver.icon());
}
