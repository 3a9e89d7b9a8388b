#include "Brimlark/shell/MenuBarLabel.h"

#include "Brimlark/aihooks/AIHooksService.h"
#include "Brimlark/controls/TimerService.h"
#include "Brimlark/kit/BrimlarkAnimation.h"
#include "platform/Accessibility.h"

#include <QGuiApplication>
#include <QSystemTrayIcon>
#include <QTimer>

#include <algorithm>

namespace {

constexpr qreal restingOpacity = 0.45;
constexpr qreal pulsedScale = 1.15;
constexpr double pulseLegSeconds = 0.85;
constexpr int settleMs = 200;
// The steps of one leg of the pulse, and of the settling back to rest after one: enough to look
// smooth on a dot of a few pixels, few enough that a pulse lasting for minutes hardly wakes the
// program.
constexpr int pulseSteps = 6;
constexpr int settleSteps = 4;

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
      m_accessibility(accessibility), m_stepper(new QTimer(this)),
      m_pulseCurve(BrimlarkAnimation::easeInOut(pulseLegSeconds).easingCurve()) {
    // Steps on time, so that a leg lasts its 0.85 s.
    m_stepper->setTimerType(Qt::PreciseTimer);
    connect(m_stepper, &QTimer::timeout, this, &MenuBarLabel::step);

    if (m_aiHooks) {
        connect(m_aiHooks, &AIHooksService::eventsChanged, this, &MenuBarLabel::update);
        connect(m_aiHooks, &AIHooksService::displayFilterChanged, this, &MenuBarLabel::update);
    }
    if (m_timer)
        connect(m_timer, &TimerService::activeChanged, this, &MenuBarLabel::update);
    update();
}

bool MenuBarLabel::isAnimating() const {
    return m_motion != Motion::none;
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
        stopMotion();
        m_statusObserver.setDotLook(1.0, 1.0);
    } else if (!hadDot || m_isPulsing != wasPulsing) {
        runPulseUpdate();
    }
    redraw();
}

void MenuBarLabel::runPulseUpdate() {
    const bool reduceMotion = m_accessibility && m_accessibility->reduceMotion();
    stopMotion();
    if (m_isPulsing) {
        if (reduceMotion) {
            m_statusObserver.setDotLook(opacityAt(1.0), scaleAt(1.0));
            return;
        }
        m_statusObserver.setDotLook(opacityAt(0.0), scaleAt(0.0));
        startMotion(Motion::pulse);
        return;
    }
    const bool atRest = m_statusObserver.dotOpacity() == 1.0 && m_statusObserver.dotScale() == 1.0;
    if (reduceMotion || atRest) {
        m_statusObserver.setDotLook(1.0, 1.0);
        return;
    }
    m_settleFromOpacity = m_statusObserver.dotOpacity();
    m_settleFromScale = m_statusObserver.dotScale();
    startMotion(Motion::settle);
}

void MenuBarLabel::startMotion(Motion motion) {
    m_motion = motion;
    m_step = 0;
    m_pulseRising = true;
    const bool pulse = motion == Motion::pulse;
    const int spanMs = pulse ? BrimlarkAnimation::easeInOut(pulseLegSeconds).durationMs() : settleMs;
    m_stepper->start(spanMs / (pulse ? pulseSteps : settleSteps));
}

void MenuBarLabel::stopMotion() {
    m_motion = Motion::none;
    m_stepper->stop();
}

void MenuBarLabel::step() {
    ++m_step;
    if (m_motion == Motion::pulse) {
        // Each leg ends on its exact look, and the next one runs the other way.
        const qreal t =
            m_step == pulseSteps ? 1.0 : m_pulseCurve.valueForProgress(qreal(m_step) / pulseSteps);
        const qreal pulse = m_pulseRising ? t : 1.0 - t;
        showLook(opacityAt(pulse), scaleAt(pulse));
        if (m_step == pulseSteps) {
            m_step = 0;
            m_pulseRising = !m_pulseRising;
        }
        return;
    }
    if (m_motion == Motion::settle) {
        if (m_step >= settleSteps) {
            stopMotion();
            showLook(1.0, 1.0);
            return;
        }
        const qreal t = easeOut().valueForProgress(qreal(m_step) / settleSteps);
        showLook(m_settleFromOpacity + (1.0 - m_settleFromOpacity) * t,
                 m_settleFromScale + (1.0 - m_settleFromScale) * t);
        return;
    }
    m_stepper->stop();
}

void MenuBarLabel::showLook(qreal opacity, qreal scale) {
    m_statusObserver.setDotLook(opacity, scale);
    // The tray takes a whole new picture per change, so an unchanged look draws nothing.
    if (opacity != m_drawnOpacity || scale != m_drawnScale)
        redraw();
}

void MenuBarLabel::redraw() {
    m_drawnOpacity = m_statusObserver.dotOpacity();
    m_drawnScale = m_statusObserver.dotScale();
    ++m_redrawCount;
    // Pictures are drawn only for a tray that shows: trayWillShow() draws the first one, so the
    // icon is never empty once shown, and a desktop without a tray never draws any.
    if (m_trayShown)
        m_trayIcon.setIcon(trayPicture());
}

QIcon MenuBarLabel::trayPicture() const {
    // The size of the tray's slot once it has one; the usual 22 points before.
    const QSize slot = m_trayIcon.geometry().size();
    const int side = slot.isEmpty() ? 22 : std::min(slot.width(), slot.height());
    return m_statusObserver.icon(side, qGuiApp ? qGuiApp->devicePixelRatio() : 1.0);
}

void MenuBarLabel::trayWillShow() {
    m_trayShown = true;
    m_trayIcon.setIcon(trayPicture());
}
