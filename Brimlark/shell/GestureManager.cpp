#include "Brimlark/shell/GestureManager.h"

#include "Brimlark/core/InteractionEngine.h"
#include "Brimlark/core/NotchGeometry.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QScrollBar>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>

#include <cmath>
#include <cstdlib>

GestureManager::GestureManager(InteractionEngine& engine, std::function<void()> onMediaPrev,
                               std::function<void()> onMediaNext, std::function<int()> pageCount,
                               const Screens& screens, Clock* clock, QObject* parent)
    : QObject(parent), m_engine(engine), m_onMediaPrev(std::move(onMediaPrev)),
      m_onMediaNext(std::move(onMediaNext)), m_pageCount(std::move(pageCount)), m_screens(screens),
      m_clock(clock), m_idleTimer(clock->createTimer(this)) {
    connect(m_idleTimer, &ClockTimer::timeout, this, &GestureManager::endGesture);
}

GestureManager::~GestureManager() {
    stop();
}

void GestureManager::setObservedWindow(QWidget* window) {
    m_observedWindow = window;
}

void GestureManager::installMonitors(GlobalInput* globalInput) {
    if (!m_localMonitorInstalled && qApp) {
        qApp->installEventFilter(this);
        m_localMonitorInstalled = true;
    }
    if (globalInput && !m_globalConnection) {
        m_globalInput = globalInput;
        // Queued: the global source's own dispatch finishes before any state here is touched.
        m_globalConnection = connect(
            globalInput, &GlobalInput::scrolled, this,
            [this](const ScrollSample& sample) {
                if (isInNotchZone(sample.position))
                    handleScroll(sample);
            },
            Qt::QueuedConnection);
    }
}

void GestureManager::stop() {
    if (m_localMonitorInstalled && qApp)
        qApp->removeEventFilter(this);
    m_localMonitorInstalled = false;
    if (m_globalConnection)
        disconnect(m_globalConnection);
    m_globalConnection = {};
    m_globalInput = nullptr;
    m_idleTimer->stop();
    m_accumulatedX = 0;
    m_accumulatedY = 0;
    m_inActiveGesture = false;
}

bool GestureManager::isInNotchZone(const QPoint& position) const {
    std::optional<ScreenDescription> under;
    const auto screens = m_screens.screens();
    for (const ScreenDescription& screen : screens) {
        if (screen.frame.contains(position)) {
            under = screen;
            break;
        }
    }
    const ScreenDescription screen = notchScreen(m_screens, under);
    const QRectF zone = notchPanelFrame(screen, notchSize(screen)).adjusted(-28, -18, 28, 18);
    return zone.contains(QPointF(position));
}

bool GestureManager::eventFilter(QObject* watched, QEvent* event) {
    // Watching the platform windows, not the widgets: a wheel event reaches its window once,
    // while the widgets inside may pass it up from child to parent several times.
    if (event->type() == QEvent::Wheel && watched->isWindowType())
        handleLocalWheel(static_cast<QWindow*>(watched), *static_cast<QWheelEvent*>(event));
    return false; // the event always goes on unchanged
}

std::optional<ScrollSample> GestureManager::localSample(const QWheelEvent& event) {
    ScrollSample sample = sampleFromWheelEvent(event);
    if (sample.hasPreciseDeltas)
        return sample;
    // A high-resolution wheel sends parts of a notch; they count once they make whole notches, as
    // a classic wheel's clicks do. Until then nothing is fed, and the idle gap still ends the
    // gesture (and drops the parts).
    m_wheelRemainder += event.angleDelta();
    const QPoint whole(m_wheelRemainder.x() / 120, m_wheelRemainder.y() / 120);
    m_wheelRemainder -= whole * 120;
    if (whole.isNull()) {
        m_idleTimer->start(idleGap);
        return std::nullopt;
    }
    sample.delta = QPointF(whole);
    return sample;
}

void GestureManager::handleLocalWheel(QWindow* window, const QWheelEvent& event) {
    const std::optional<ScrollSample> local = localSample(event);
    if (!local)
        return;
    const ScrollSample& sample = *local;
    if (m_engine.mode() == InteractionEngine::Mode::hidden()) {
        // Over the closed panel only the notch zone counts, as for other programs' windows.
        if (isInNotchZone(sample.position))
            handleScroll(sample);
        return;
    }
    if (m_observedWindow && m_observedWindow->windowHandle() && window != m_observedWindow->windowHandle())
        return;
    // A notch steps the panel at once, so a list or a text in the open panel would otherwise never
    // scroll by wheel: a view that scrolls along the notch's axis keeps it.
    if (!sample.hasPreciseDeltas && scrollsContentAt(sample.position, event.angleDelta()))
        return;
    handleScroll(sample);
}

bool GestureManager::scrollsContentAt(const QPoint& global, const QPoint& angle) const {
    QWidget* observed = m_observedWindow;
    if (!observed)
        return false;
    const bool vertical = std::abs(angle.y()) >= std::abs(angle.x());
    for (QWidget* widget = observed->childAt(observed->mapFromGlobal(global)); widget && widget != observed;
         widget = widget->parentWidget()) {
        auto* area = qobject_cast<QAbstractScrollArea*>(widget);
        if (!area)
            continue;
        const QScrollBar* bar = vertical ? area->verticalScrollBar() : area->horizontalScrollBar();
        if (bar && bar->maximum() > bar->minimum())
            return true;
    }
    return false;
}

ScrollSample GestureManager::sampleFromWheelEvent(const QWheelEvent& event) {
    ScrollSample sample;
    sample.position = event.globalPosition().toPoint();
    if (!event.pixelDelta().isNull()) {
        sample.hasPreciseDeltas = true;
        sample.delta = QPointF(event.pixelDelta());
    } else {
        sample.delta = QPointF(event.angleDelta()) / 120.0;
    }
    sample.invertedFromDevice = event.inverted();
    switch (event.phase()) {
    case Qt::ScrollBegin:
        sample.phase = ScrollSample::Phase::began;
        break;
    case Qt::ScrollUpdate:
        sample.phase = ScrollSample::Phase::changed;
        break;
    case Qt::ScrollEnd:
        sample.phase = ScrollSample::Phase::ended;
        break;
    case Qt::ScrollMomentum:
        sample.momentum = true;
        break;
    case Qt::NoScrollPhase:
        break;
    }
    return sample;
}

void GestureManager::handleScroll(const ScrollSample& sample) {
    if (sample.momentum)
        return;
    if (!sample.hasPreciseDeltas) {
        handleWheelNotch(sample);
        return;
    }
    const double dx = sample.delta.x();
    const double dy = sample.delta.y() * (sample.invertedFromDevice ? -1.0 : 1.0);
    const double ax = std::abs(dx);
    const double ay = std::abs(dy);

    if (ax > noiseThreshold && ay * axisDominance <= ax)
        m_accumulatedX += dx;
    if (ax * axisDominance <= ay && ay > noiseThreshold)
        m_accumulatedY += dy;

    if (!m_inActiveGesture) {
        if (std::abs(m_accumulatedX) >= triggerThreshold) {
            m_inActiveGesture = true;
            fireHorizontal(m_accumulatedX >= 0);
        } else if (std::abs(m_accumulatedY) >= triggerThreshold) {
            m_inActiveGesture = true;
            fireVertical(m_accumulatedY > 0);
        }
    }

    if (sample.phase == ScrollSample::Phase::ended || (ax < noiseThreshold && ay < noiseThreshold)) {
        endGesture();
        return;
    }
    m_idleTimer->start(idleGap);
}

void GestureManager::handleWheelNotch(const ScrollSample& sample) {
    // A wheel has no phases and no way to tell one turn from the next but the notch itself: each
    // notch is a gesture of its own, the same axis rules pick its direction, and the cooldown alone
    // keeps a fast spin from running through every level.
    m_idleTimer->stop();
    m_accumulatedX = 0;
    m_accumulatedY = 0;
    m_inActiveGesture = false;
    const double dx = sample.delta.x() * lineScale;
    const double dy = sample.delta.y() * lineScale * (sample.invertedFromDevice ? -1.0 : 1.0);
    const double ax = std::abs(dx);
    const double ay = std::abs(dy);
    if (ax > noiseThreshold && ay * axisDominance <= ax)
        fireHorizontal(dx >= 0);
    else if (ax * axisDominance <= ay && ay > noiseThreshold)
        fireVertical(dy > 0);
}

void GestureManager::endGesture() {
    m_idleTimer->stop();
    m_wheelRemainder = QPoint();
    m_accumulatedX = 0;
    m_accumulatedY = 0;
    m_inActiveGesture = false;
}

bool GestureManager::passCooldown() {
    const QDateTime now = m_clock->now();
    // A clock set back makes the interval negative: that counts as long past, not as "just now".
    if (m_lastFireDate) {
        const qint64 elapsed = m_lastFireDate->msecsTo(now);
        if (elapsed >= 0 && elapsed <= cooldown.count())
            return false;
    }
    m_lastFireDate = now;
    return true;
}

void GestureManager::fireVertical(bool positive) {
    if (!passCooldown())
        return;
    using Mode = InteractionEngine::Mode;
    const Mode mode = m_engine.mode();
    switch (mode.kind()) {
    case Mode::Kind::hidden:
        if (positive)
            m_engine.setMode(Mode::basic());
        break;
    case Mode::Kind::peek:
        break;
    case Mode::Kind::basic:
        if (positive) {
            m_engine.setLastOpenTrigger(InteractionEngine::InteractionTrigger::gesture);
            m_engine.setMode(m_engine.targetMode(InteractionEngine::InteractionTrigger::gesture));
        } else {
            m_engine.setLastOpenTrigger(std::nullopt);
            m_engine.setSuppressHoverActivationUntilExit(true);
            m_engine.setMode(Mode::hidden());
        }
        break;
    case Mode::Kind::advanced:
        if (!positive)
            m_engine.setMode(Mode::basic());
        break;
    }
}

void GestureManager::fireHorizontal(bool positive) {
    if (!passCooldown())
        return;
    using Mode = InteractionEngine::Mode;
    switch (m_engine.mode().kind()) {
    case Mode::Kind::hidden:
    case Mode::Kind::peek:
        break;
    case Mode::Kind::basic:
        if (positive && m_onMediaPrev)
            m_onMediaPrev();
        else if (!positive && m_onMediaNext)
            m_onMediaNext();
        break;
    case Mode::Kind::advanced: {
        const int pages = m_pageCount ? m_pageCount() : 0;
        positive ? m_engine.previousPage(pages) : m_engine.nextPage(pages);
        break;
    }
    }
}
